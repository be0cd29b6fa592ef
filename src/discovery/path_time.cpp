#include "discovery/path_time.h"

static std::string TwoDigits(int value) {
    std::string digits = std::to_string(value);
    if (value < 10) digits.insert(digits.begin(), '0');
    return digits;
}

std::string FormatElapsedTime(int ms) {
    int seconds = ms / 1000;
    int totalMinutes = seconds / 60;
    int hours = totalMinutes / 60;
    int minutes = totalMinutes - 60 * hours;
    return TwoDigits(hours) + ":" + TwoDigits(minutes) + ":" + TwoDigits(seconds % 60);
}

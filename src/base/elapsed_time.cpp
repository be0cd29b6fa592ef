#include "base/elapsed_time.h"

static std::string TwoDigits(int value) {
    std::string digits = std::to_string(value);
    if (digits.size() < 2) digits.insert(digits.begin(), '0');
    return digits;
}

std::string FormatElapsedTime(int ms) {
    if (ms < 0) ms = 0;
    int seconds = ms / 1000;
    int totalMinutes = seconds / 60;
    int hours = totalMinutes / 60;
    int minutes = totalMinutes - 60 * hours;
    return TwoDigits(hours) + ":" + TwoDigits(minutes) + ":" + TwoDigits(seconds % 60);
}

int ElapsedSince(std::uint32_t start, std::uint32_t now) { return static_cast<int>(now - start); }

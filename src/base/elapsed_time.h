// The elapsed time of the install run as the progress page shows it. Pure.
#pragma once
#include <cstdint>
#include <string>

// "hh:mm:ss" with at least two digits each; hours may grow past 99.
// A negative count shows as 00:00:00.
std::string FormatElapsedTime(int ms);
// Milliseconds from `start` to `now` in 32-bit arithmetic, so a tick counter
// that wrapped around in between still gives the right count.
int ElapsedSince(std::uint32_t start, std::uint32_t now);

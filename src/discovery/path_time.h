// Path and time helpers of the discovery subsystem: the elapsed-time text of
// the install run.
#pragma once
#include <string>

// Hours, minutes and seconds, each at least two digits: 3723000 -> "01:02:03".
std::string FormatElapsedTime(int ms);

// The error mode setup runs in: quiet from the first step, so that an empty
// removable drive in a copy record fails its test without asking for a disk.
#include <windows.h>

#include <gtest/gtest.h>

#include "driver/hardening.h"

TEST(ErrorMode, HardeningKeepsTheCriticalErrorBoxesAway) {
    const UINT quiet = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;
    UINT before = SetErrorMode(0);
    HardenProcess();
    UINT hardened = SetErrorMode(before);
    EXPECT_EQ(hardened & quiet, quiet);
}

// X11.TestDisplay.h: which X server the X11 tests use: the one X_TEST_DISPLAY names (scripts/test
// starts an Xvfb), never the user's DISPLAY, since the tests grab keys, move the pointer and
// change root properties. Without it they skip, or fail when X_REQUIRE_DISPLAY=1 (CI).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

// Sets AName to the test server's name; without one, leaves it nullptr and skips the test (or
// fails it). Call from SetUp and return when AName stays nullptr.
inline void UseTestDisplay(const char*& AName)
{
    AName = nullptr;
    const char* Name = std::getenv("X_TEST_DISPLAY");
    if (Name == nullptr || *Name == '\0') {
        const char* Require = std::getenv("X_REQUIRE_DISPLAY");
        if (Require != nullptr && std::strcmp(Require, "1") == 0)
            FAIL() << "X_REQUIRE_DISPLAY=1 but X_TEST_DISPLAY is unset: the test X server did not start";
        GTEST_SKIP() << "no test X server (X_TEST_DISPLAY is unset; scripts/test starts one)";
    }
    AName = Name;
}

// XCore.TestStartUp.h: for tests only: a test program runs its library's registration before
// its first test, as a program runs it at start-up, so no test depends on which objects the
// linker happened to pull in or on which test ran first. In one test file of the program:
//   const auto* const kStartUp = ::testing::AddGlobalTestEnvironment(new TXTestStartUp<&RegisterCoreStreams>);
#pragma once

#include <gtest/gtest.h>

template <void (*ARegister)()>
class TXTestStartUp : public ::testing::Environment {
public:
    void SetUp() override { ARegister(); }
};

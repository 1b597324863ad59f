// Every test of this program runs after the engine's start-up, as in the program.
#include "XCalendar.Engine.h"

#include <gtest/gtest.h>

#include "XCore.TestStartUp.h"

namespace {

const auto* const kStartUp = ::testing::AddGlobalTestEnvironment(new TXTestStartUp<&RegisterCalendarEngine>);

}  // namespace

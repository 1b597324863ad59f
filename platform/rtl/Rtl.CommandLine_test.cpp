// The test program's own command line: its path first, then what ctest passed it.
#include "Rtl.CommandLine.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>

namespace {

TEST(CommandLineTest, ParameterZeroIsTheProgramsPath)
{
    char Path[PATH_MAX] = {};
    ASSERT_GT(readlink("/proc/self/exe", Path, sizeof Path - 1), 0);
    EXPECT_EQ(ParamStr(0), Path);
    EXPECT_GE(ParamCount(), 0);
    for (int I = 1; I <= ParamCount(); ++I)
        EXPECT_EQ(ParamStr(I).find('\0'), String::npos);
    EXPECT_EQ(ParamStr(ParamCount() + 1), "");
    EXPECT_EQ(ParamStr(-1), "");
}

}  // namespace

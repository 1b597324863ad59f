// Version text, the build-first order, open ranges and file versions.
#include "XCore.Version.h"

#include <gtest/gtest.h>

#include <fstream>

#include "Win.Folders.h"
#include "Win.TestEnvironment.h"
#include "Win.Version.h"

X_FILE_VERSION(6, 2, 9, 650);

namespace {

TEST(VersionTest, TextRoundTrips)
{
    struct TCase {
        const char* Text;
        TXVersion Version;
    };
    const TCase kCases[] = {
        {"6.2.9.650", {6, 2, 9, 650}}, {"6.2", {6, 2, 0, 0}}, {"ab.cd", {}},
        {"", {}},                       {"1.x.3", {1, 0, 3, 0}}, {"1.2.3.4.5", {1, 2, 3, 4}},
    };
    for (const TCase& C : kCases)
        EXPECT_EQ(TextToVersion(C.Text), C.Version) << C.Text;
    EXPECT_EQ(VersionToText({6, 2, 9, 650}), "6.2.9.650");
    EXPECT_TRUE(IsVersionEmpty(TextToVersion("ab.cd")));
}

TEST(VersionTest, BuildRanksAboveMajor)
{
    struct TCase {
        const char *A, *B;
        int Expected;
    };
    const TCase kCases[] = {
        {"1.0.0.5", "2.0.0.4", 1}, {"2.0.0.4", "1.0.0.5", -1}, {"1.2.3.4", "1.2.3.4", 0},
        {"2.0.0.4", "1.9.9.4", 1}, {"1.1.0.4", "1.2.0.4", -1}, {"1.1.2.4", "1.1.1.4", 1},
        {"-1.0.0.0", "0.0.0.0", -1},
    };
    for (const TCase& C : kCases) {
        TXVersion A = TextToVersion(C.A), B = TextToVersion(C.B);
        EXPECT_EQ(CompareVersions(A, B), C.Expected) << C.A << " vs " << C.B;
        EXPECT_EQ(VersionAtLeast(A, B), C.Expected >= 0);
        EXPECT_EQ(VersionAtMost(A, B), C.Expected <= 0);
    }
}

TEST(VersionTest, RangesWithOpenBounds)
{
    struct TCase {
        const char *Start, *Ends, *Version;
        bool InRange;
    };
    const TCase kCases[] = {
        {"6.0.0.0", "", "7.0.0.0", true}, {"6.0.0.0", "", "5.0.0.0", false}, {"", "", "", true},
        {"", "6.0.0.0", "5.0.0.0", true}, {"", "6.0.0.0", "7.0.0.0", false},
        {"1.0.0.1", "1.0.0.3", "9.0.0.2", true}, {"1.0.0.1", "1.0.0.3", "1.0.0.4", false},
    };
    for (const TCase& C : kCases) {
        TXVersionRange Range{TextToVersion(C.Start), TextToVersion(C.Ends)};
        EXPECT_EQ(VersionInRange(Range, TextToVersion(C.Version)), C.InRange)
            << C.Start << ".." << C.Ends << " " << C.Version;
    }
    TXVersionRange Range{{1, 0, 0, 0}, {2, 0, 0, 0}};
    ClearVersionRange(Range);
    EXPECT_TRUE(IsVersionEmpty(Range.Start) && IsVersionEmpty(Range.Ends));
}

TEST(VersionTest, FileVersionsOfOurProgramAndOfOtherFiles)
{
    TTestHome Home;
    StartNVVersion();
    EXPECT_EQ(NVVersion()->GetFileVersionText(GetModuleFileName()), "6.2.9.650");
    std::string Text = Home.Root() + "/plain.txt";
    std::ofstream(Text) << "no version";
    TXVersion Version{1, 2, 3, 4};
    EXPECT_FALSE(NVVersion()->GetFileVersion(Text, Version));
    EXPECT_TRUE(IsVersionEmpty(Version));
    EXPECT_EQ(NVVersion()->GetFileVersionText(Text), "0.0.0.0");
    StopNVVersion();
    EXPECT_EQ(NVVersion(), nullptr);
}

}  // namespace

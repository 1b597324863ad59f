// The system image lists: sizes from the screen metrics, bound to the shell's shared lists.
#include "XPlatform.System.Shell.h"

#include <gtest/gtest.h>

#include "Display.Headless.h"
#include "Vcl.ShellIcons.h"
#include "Win.TestEnvironment.h"
#include "XPlatform.System.Metrics.h"
#include "XSpark.App.h"

namespace {

TEST(SystemImageListsTest, ListsAtTheIconSizesShowWhatTheShellAdds)
{
    TTestHome Home;
    Home.Set("XDG_DATA_DIRS", Home.Root() + "/share");
    ASSERT_NE(HeadlessDisplay(), nullptr);
    HeadlessDisplay()->SetLogicalDpi({144, 144});
    ReadScreenMetrics();
    StopSystemImageLists();
    StartSystemImageLists();
    TImageList* Large = SystemImageListLarge();
    TImageList* Small = SystemImageListSmall();
    ASSERT_NE(Large, nullptr);
    StartSystemImageLists();
    EXPECT_EQ(SystemImageListLarge(), Large);
    EXPECT_EQ(Large->Width(), ScreenMetrics().CXIcon);
    EXPECT_EQ(Small->Height(), ScreenMetrics().CYSmIcon);
    EXPECT_EQ(Large->DrawingStyle(), dsTransparent);

    int Before = Large->Count();
    int Index = GetSystemIconIndex(Home.Root(), Large->Width());
    EXPECT_EQ(Large->Count(), std::max(Before, Index + 1));
    StopSystemImageLists();
    EXPECT_EQ(SystemImageListLarge(), nullptr);
    EXPECT_EQ(SystemImageListSmall(), nullptr);
    EXPECT_GT(GetSystemImageList(ScreenMetrics().CXIcon)->Images.size(), size_t(Index));   // the shell keeps its own

    HeadlessDisplay()->Reset();
    ReadScreenMetrics();
}

TEST(SystemImageListsTest, RegisteredListsComeAndGoWithTheFrameworkSingletons)
{
    TTestHome Home;
    RegisterSystemImageLists();
    StartAppSingletons();
    EXPECT_NE(SystemImageListLarge(), nullptr);
    EXPECT_NE(SystemImageListSmall(), nullptr);
    StopAppSingletons();
    EXPECT_EQ(SystemImageListLarge(), nullptr);
    SetSystemImageListSteps(nullptr, nullptr);
}

}  // namespace

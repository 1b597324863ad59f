// Application, date and list helpers, and property access by name.
#include "XCore.App.Helpers.h"

#include <gtest/gtest.h>

#include "Rtl.DateUtils.h"
#include "Rtl.TypInfo.h"
#include "XCore.App.h"
#include "XCore.Classes.Props.h"
#include "XCore.IO.h"
#include "XSpark.App.h"
#include "Win.TestEnvironment.h"

namespace {

TEST(AppHelpersTest, DateTimeToISOTextPadsAllButTheYear)
{
    EXPECT_EQ(DateTimeToISOText(EncodeDate(2021, 3, 5) + EncodeTime(7, 8, 9, 0).Value), "2021-03-05T07:08:09");
    EXPECT_EQ(DateTimeToISOText(EncodeDate(2024, 12, 31) + EncodeTime(23, 59, 59, 0).Value), "2024-12-31T23:59:59");
    EXPECT_TRUE(SameDateTimeValue(EncodeDate(2021, 3, 5), EncodeDate(2021, 3, 5).Value + 1e-10));
    EXPECT_FALSE(SameDateTimeValue(EncodeDate(2021, 3, 5), EncodeDate(2021, 3, 5) + EncodeTime(0, 0, 1, 0).Value));
}

TEST(AppHelpersTest, JoinWithPipe)
{
    EXPECT_EQ(JoinWithPipe({}), "");
    EXPECT_EQ(JoinWithPipe({"a"}), "a");
    EXPECT_EQ(JoinWithPipe({"a", "", "c"}), "a||c");
}

TEST(AppHelpersTest, TerminatingFollowsTheCoreApplication)
{
    SetNVCoreApp(nullptr);
    EXPECT_FALSE(IsApplicationTerminating());
    SetNVCoreApp(TXNVCoreApp::Create());
    EXPECT_FALSE(IsApplicationTerminating());
    NVCoreApp()->NotifyTerminated();
    EXPECT_TRUE(IsApplicationTerminating());
    SetNVCoreApp(nullptr);
}

class TXOptions : public TPersistent {
    X_CLASS(TXOptions, TPersistent)
public:
    String Folder;
    int32_t Limit = 0;
    bool Deep = false;
    TObject* Owner = nullptr;

    static void DeclareProperties(TPropertyDeclarer& P)
    {
        P.Property("Folder", &TXOptions::Folder, &TXOptions::Folder);
        P.Property("Limit", &TXOptions::Limit, &TXOptions::Limit);
        P.Property("Deep", &TXOptions::Deep, &TXOptions::Deep);
        P.Property("Owner", &TXOptions::Owner, &TXOptions::Owner);
    }

protected:
    TXOptions() = default;
};

TEST(PropsByNameTest, ReadAndWriteAsTextWithoutRaising)
{
    TOwned<TXOptions> Options = Owned(TXOptions::Create());
    EXPECT_TRUE(SetPropTextByName(Options.get(), "Folder", "/media/card"));
    EXPECT_TRUE(SetPropTextByName(Options.get(), "Limit", "12"));
    EXPECT_TRUE(SetPropTextByName(Options.get(), "Deep", "True"));
    EXPECT_FALSE(SetPropTextByName(Options.get(), "Limit", "many"));
    EXPECT_FALSE(SetPropTextByName(Options.get(), "Missing", "1"));
    EXPECT_FALSE(SetPropTextByName(nullptr, "Limit", "1"));
    EXPECT_EQ(Options->Limit, 12);

    String Text = "old";
    EXPECT_TRUE(GetPropTextByName(Options.get(), "Folder", Text));
    EXPECT_EQ(Text, "/media/card");
    EXPECT_TRUE(GetPropTextByName(Options.get(), "Limit", Text));
    EXPECT_EQ(Text, "12");
    EXPECT_FALSE(GetPropTextByName(Options.get(), "Missing", Text));
    EXPECT_EQ(Text, "");
    EXPECT_FALSE(GetPropTextByName(Options.get(), "Owner", Text));   // no text form

    bool Deep = false;
    EXPECT_TRUE(GetBoolPropByName(Options.get(), "Deep", Deep));
    EXPECT_TRUE(Deep);
    EXPECT_TRUE(GetBoolPropByName(Options.get(), "Folder", Deep));
    EXPECT_FALSE(Deep);   // "/media/card" is not a Boolean
}

TEST(AppHelpersTest, TheRecoverySystemNamesTheUsersProgramsFolder)
{
    TTestHome Home;
    StartAppSingletons(nullptr, TXRecoverySystem::StaticClass());
    EXPECT_EQ(NVSystem()->ClassType(), TXRecoverySystem::StaticClass());
    EXPECT_EQ(ExpandPathMacros("<wpf>x.exe"), Home.Root() + "/Programs\\x.exe");
    StopAppSingletons();
}

}  // namespace

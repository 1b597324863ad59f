// The recovery program's start-up, in a program that references nothing else of the libraries:
// whatever a library registers only from an object nothing references would be missing here.
#include <gtest/gtest.h>

#include "Rtl.Classes.h"
#include "XAppW.h"
#include "XCore.IO.Classes.h"
#include "XCore.TestStartUp.h"
#include "XDR.Work.F.FAT.h"

#include "StartUpProbe.h"

namespace {

void StartUp()
{
    RegisterRecoveryEngine();
    RegisterUIApp();
}

const auto* const kStartUp = ::testing::AddGlobalTestEnvironment(new TXTestStartUp<&StartUp>);

TEST(RecoveryStartUpTest, ObjectsGoThroughTheHooksInTheRecoveryFormOfXML)
{
    String Text = TStartUpProbe::Text();
    EXPECT_TRUE(Text.starts_with("<?xml")) << Text;
    EXPECT_NE(Text.find("<p name=\"Data\">01AB</p>"), String::npos) << Text;
    EXPECT_EQ(Text.find("Stream"), String::npos) << Text;
    auto Read = TStartUpProbe::ReadBack();
    ASSERT_TRUE(Read);
    EXPECT_EQ(Read->Caption, "Grüße");
    EXPECT_EQ(Read->Data, "\x01\xAB");
}

TEST(RecoveryStartUpTest, StoredClassesAreFoundByName)
{
    for (const char* Name : {"TXDataIndex", "TXImageItem", "TXThnImageItem", "TXImageGroupItem", "TXImageGroupObject",
                             "TBitmap", "TJPEGImage", "TPngImage", "TXLgHeader", "TXLgProject"})
        EXPECT_NE(GetClass(Name), nullptr) << Name;
}

TEST(RecoveryStartUpTest, TheFATReaderReadsBothKinds)
{
    for (int32_t Kind : {fskFat16, fskFat32})
        EXPECT_EQ(FileSystemClassOfKind(Kind)->ClassName(), "TXFAT") << Kind;
}

TEST(RecoveryStartUpTest, TheFrameworksCursorsAreRegistered)
{
    ExpectFrameworkCursors();
}

}  // namespace

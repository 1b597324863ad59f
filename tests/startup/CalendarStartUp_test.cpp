// The calendar program's start-up, in a program that references nothing else of the libraries:
// whatever a library registers only from an object nothing references would be missing here.
#include <gtest/gtest.h>

#include "Rtl.Classes.h"
#include "XAppW.h"
#include "XCalendar.Engine.h"
#include "XCore.TestStartUp.h"

#include "StartUpProbe.h"

namespace {

void StartUp()
{
    RegisterCalendarEngine();
    RegisterUIApp();
}

const auto* const kStartUp = ::testing::AddGlobalTestEnvironment(new TXTestStartUp<&StartUp>);

// The framework's form walks into streams and has no place for data an object defines itself.
TEST(CalendarStartUpTest, ObjectsGoThroughTheHooksInTheFrameworksFormOfXML)
{
    String Text = TStartUpProbe::Text();
    EXPECT_TRUE(Text.starts_with("<?xml")) << Text;
    EXPECT_NE(Text.find("<o name=\"Stream\""), String::npos) << Text;
    EXPECT_EQ(Text.find("Data"), String::npos) << Text;
    auto Read = TStartUpProbe::ReadBack();
    ASSERT_TRUE(Read);
    EXPECT_EQ(Read->Caption, "Grüße");
}

TEST(CalendarStartUpTest, StoredClassesAreFoundByName)
{
    for (const char* Name : {"TXDataIndex", "TXImageItem", "TXThnImageItem", "TXImageGroupItem", "TXImageGroupObject",
                             "TBitmap", "TJPEGImage", "TPngImage", "TXLgHeader", "TXLgProject", "TXFotoPackHeader",
                             "TXL", "TXVQuickNoteObject", "TXVJournalObject", "TXVEventObject", "TXVHolidayObject",
                             "TXVTabObject", "TXVQuickNoteTabObject", "TXVJournalTabObject", "TXVEventTabObject",
                             "TXVHolidayTabObject", "TXVNotebookObject", "TXVVolumeObject"})
        EXPECT_NE(GetClass(Name), nullptr) << Name;
}

TEST(CalendarStartUpTest, TheFrameworksCursorsAreRegistered)
{
    ExpectFrameworkCursors();
}

}  // namespace

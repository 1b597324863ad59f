// The colour dialog run modally and driven by the mouse and keys while it shows.
#include "Vcl.Dialogs.h"

#include <gtest/gtest.h>

#include "Vcl.TestInput.h"

namespace {

struct TInput {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
};

class DialogsTest : public UserInputTest {
public:
    // Once the dialog shows, the user's input arrives in its queue.
    void Shown(TObject*)
    {
        for (const TInput& Input : FInput)
            PostMessageW(FDialog->Form()->Handle(), Input.Msg, Input.WParam, Input.LParam);
    }

protected:
    void SetUp() override
    {
        UserInputTest::SetUp();
        FDialog = TColorDialog::Create(FForm);
        FDialog->SetOnShow(TNotifyEvent::Bind<&DialogsTest::Shown>(this));
    }
    TColorDialog* FDialog = nullptr;
    std::vector<TInput> FInput;
};

TEST_F(DialogsTest, TheColourDialogTakesASwatchOrTypedChannelsAndKeepsTheColourOnCancel)
{
    // The first swatch of the second row is pure red: (2 + 24 * 0 + 10, 2 + 24 + 10) on the grid at (8, 8).
    LPARAM Red = MakeMouseLParam(8 + 12, 8 + 24 + 12);
    struct TCase {
        std::vector<TInput> Input;
        bool Confirmed;
        TColor Expected;
    };
    const TCase Cases[] = {
        {{{WM_LBUTTONDOWN, MK_LBUTTON, Red}, {WM_LBUTTONUP, 0, Red}, {WM_KEYDOWN, VK_RETURN, 0}}, true, clRed},
        {{{WM_SYSCHAR, 'g', 0}, {WM_CHAR, '1', 0}, {WM_CHAR, '2', 0}, {WM_CHAR, '8', 0}, {WM_KEYDOWN, VK_RETURN, 0}},
         true, RGB(255, 128, 0)},
        {{{WM_SYSCHAR, 'b', 0}, {WM_CHAR, '9', 0}, {WM_KEYDOWN, VK_ESCAPE, 0}}, false, RGB(255, 128, 0)},
    };
    for (const TCase& Case : Cases) {
        FInput = Case.Input;
        EXPECT_EQ(FDialog->Execute(), Case.Confirmed);
        EXPECT_EQ(FDialog->Color(), Case.Expected);
        EXPECT_EQ(FDialog->Form(), nullptr);
    }
    FDialog->CustomColors()->Add("ColorA=123456");
    FInput = {{WM_KEYDOWN, VK_RETURN, 0}};
    FDialog->SetColor(Hex(0x123456));
    EXPECT_TRUE(FDialog->Execute());
    EXPECT_EQ(FDialog->Color(), Hex(0x123456));
}

}  // namespace

// ---- Open, save and folder dialogs -----------------------------------------------------------

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "Vcl.StdCtrls.h"
#include "Vcl.TestScript.h"

namespace {

const String kLong = String(250, 'z') + ".bin";
const String kNewline = "line\nbreak.bin";
const String kInvalid = "\xFF\xFE.bin";

class FileDialogTest : public UserInputTest {
protected:
    void SetUp() override
    {
        UserInputTest::SetUp();
        char Template[] = "/tmp/dialogs-XXXXXX";
        ASSERT_NE(mkdtemp(Template), nullptr);
        FDir = Template;
        for (const String& Name : {String("a.txt"), String("b.bin"), String("c.BIN"), kNewline, kLong, kInvalid,
                                   String(".hidden.bin"), String("sub/inner.bin"), String("d\nir/x.bin")}) {
            std::filesystem::create_directories(std::filesystem::path(FDir + "/" + Name).parent_path());
            std::ofstream(FDir + "/" + Name) << "x";
        }
    }
    void TearDown() override
    {
        std::filesystem::permissions(FDir, std::filesystem::perms::owner_all);
        std::error_code Error;
        std::filesystem::remove_all(FDir, Error);
        UserInputTest::TearDown();
    }
    // Runs the dialog with the user's steps; answers Execute's result.
    bool Run(TOpenDialog* ADialog, std::vector<TUserScript::TStep> ASteps)
    {
        size_t Count = ASteps.size();
        TUserScript Script(std::move(ASteps));
        bool Result = ADialog->Execute();
        EXPECT_FALSE(Script.TimedOut()) << "the dialog did not close within 10 s";
        EXPECT_EQ(Script.Ran(), Count) << "not every step found its form";
        return Result;
    }
    std::vector<String> Files(TOpenDialog* ADialog)
    {
        std::vector<String> Result;
        for (int I = 0; I < ADialog->Files()->Count(); ++I)
            Result.push_back(ADialog->Files()->Strings(I));
        return Result;
    }
    String FDir;
};

// The file list of "*.bin" in order: b.bin, c.BIN, line\nbreak.bin, zzz...bin, \xFF\xFE.bin.
TEST_F(FileDialogTest, TheOpenDialogGivesThePickedOrTypedFilesByteForByte)
{
    struct TCase {
        const char* What;
        TOpenOptions Options;
        std::vector<TKey> Input;
        std::vector<String> Expected;   // names in the folder; empty: cancelled
        int FilterIndex = 1;
    };
    const TKey ToFiles = KeyIn(VK_TAB, {ssShift});
    const TCase Cases[] = {
        {"a typed name takes the default extension", {}, {TextIn(U"b"), KeyIn(VK_RETURN)}, {"b.bin"}},
        {"a typed name that exists is taken as it is", {}, {TextIn(U"a.txt"), KeyIn(VK_RETURN)}, {"a.txt"}},
        {"a picked name with a newline", {}, {ToFiles, KeyIn(VK_DOWN), KeyIn(VK_DOWN), KeyIn(VK_DOWN), KeyIn(VK_RETURN)}, {kNewline}},
        {"a picked name of malformed UTF-8", {}, {ToFiles, KeyIn(VK_END), KeyIn(VK_RETURN)}, {kInvalid}},
        {"a picked long name", {}, {ToFiles, KeyIn(VK_END), KeyIn(VK_UP), KeyIn(VK_RETURN)}, {kLong}},
        {"a double click's keyboard twin: Enter in the list", {ofAllowMultiSelect},
         {ToFiles, KeyIn(VK_HOME), KeyIn(VK_DOWN, {ssShift}), KeyIn(VK_DOWN, {ssShift}), KeyIn(VK_RETURN)}, {"b.bin", "c.BIN", kNewline}},
        {"select all", {ofAllowMultiSelect}, {ToFiles, KeyIn('A', {ssCtrl}), KeyIn(VK_RETURN)},
         {"b.bin", "c.BIN", kNewline, kLong, kInvalid}},
        {"typed names of a multiple choice", {ofAllowMultiSelect}, {TextIn(U"\"a.txt\" \"b.bin\""), KeyIn(VK_RETURN)}, {"a.txt", "b.bin"}},
        {"a typed folder is opened, then a name in it", {}, {TextIn(U"sub"), KeyIn(VK_RETURN), TextIn(U"inner"), KeyIn(VK_RETURN)},
         {"sub/inner.bin"}},
        {"Enter in the folder list opens the folder", {},
         {ToFiles, ToFiles, KeyIn(VK_DOWN), KeyIn(VK_DOWN), KeyIn(VK_RETURN), KeyIn(VK_TAB), KeyIn(VK_HOME), KeyIn(VK_RETURN)}, {"d\nir/x.bin"}},
        {"Backspace goes up again", {}, {TextIn(U"sub"), KeyIn(VK_RETURN), ToFiles, KeyIn(VK_BACK), KeyIn(VK_HOME), KeyIn(VK_RETURN)}, {"b.bin"}},
        {"the second filter shows every file", {}, {KeyIn('T', {ssAlt}), KeyIn(VK_DOWN), ToFiles, ToFiles, KeyIn(VK_HOME), KeyIn(VK_RETURN)},
         {"a.txt"}, 2},
        {"a typed mask filters the list", {}, {TextIn(U"*.txt"), KeyIn(VK_RETURN), ToFiles, KeyIn(VK_HOME), KeyIn(VK_RETURN)}, {"a.txt"}},
        {"a missing file is refused when it must exist", {ofFileMustExist}, {TextIn(U"nothere"), KeyIn(VK_RETURN), KeyIn(VK_ESCAPE)}, {}},
        {"a name in a missing folder is refused", {}, {TextIn(U"/nonexistent/x.bin"), KeyIn(VK_RETURN), KeyIn(VK_ESCAPE)}, {}},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.What);
        TOpenDialog* Dialog = TOpenDialog::Create(FForm);
        Dialog->SetFilter("Binaries (*.bin)|*.bin|All files|*.*");
        Dialog->SetDefaultExt("bin");
        Dialog->SetInitialDir(FDir);
        Dialog->SetOptions(Case.Options);
        Dialog->SetFileName("/proposed");
        bool Ok = Run(Dialog, {Keys(Case.Input)});
        EXPECT_EQ(Ok, !Case.Expected.empty());
        std::vector<String> Expected;
        for (const String& Name : Case.Expected)
            Expected.push_back(FDir + "/" + Name);
        if (Ok) {
            EXPECT_EQ(Files(Dialog), Expected);
            EXPECT_EQ(Dialog->FileName(), Expected.front());
            EXPECT_EQ(Dialog->FilterIndex(), Case.FilterIndex);
        } else {
            EXPECT_EQ(Dialog->FileName(), "/proposed");
        }
        Dialog->Free();
    }
}

TEST_F(FileDialogTest, CtrlClicksAddAndDropFilesOfAMultipleChoice)
{
    TOpenDialog* Dialog = TOpenDialog::Create(FForm);
    Dialog->SetFilter("Binaries|*.bin");
    Dialog->SetInitialDir(FDir);
    Dialog->SetOptions({ofAllowMultiSelect});
    auto ClickRows = [](TCustomForm* AForm) {
        std::vector<TCustomListBox*> Lists;
        for (int I = 0; I < AForm->ControlCount(); ++I)
            if (auto* List = dynamic_cast<TCustomListBox*>(AForm->Controls(I)))
                Lists.push_back(List);
        ASSERT_EQ(Lists.size(), 2u);
        TCustomListBox* Files = Lists[1];
        const std::pair<int, bool> Clicks[] = {{0, false}, {3, true}, {0, true}, {4, true}};
        for (auto [Row, Ctrl] : Clicks) {
            TRect Item = Files->ItemRect(Row);
            LPARAM At = MakeMouseLParam(Files->Left() + Item.Left + 10, Files->Top() + Item.Top + 3);
            WPARAM Keys = Ctrl ? MK_CONTROL : 0;
            if (Ctrl)
                PostMessageW(AForm->Handle(), WM_KEYDOWN, VK_CONTROL, 0);
            PostMessageW(AForm->Handle(), WM_LBUTTONDOWN, MK_LBUTTON | Keys, At);
            PostMessageW(AForm->Handle(), WM_LBUTTONUP, Keys, At);
            if (Ctrl)
                PostMessageW(AForm->Handle(), WM_KEYUP, VK_CONTROL, 0);
        }
        PostKeys(AForm, {KeyIn(VK_RETURN)});
    };
    EXPECT_TRUE(Run(Dialog, {{true, ClickRows}}));
    EXPECT_EQ(Files(Dialog), (std::vector<String>{FDir + "/" + kLong, FDir + "/" + kInvalid}));
}

TEST_F(FileDialogTest, TheSaveDialogAsksBeforeReplacingAFileAndNoKeepsTheDialogOpen)
{
    TSaveDialog* Dialog = TSaveDialog::Create(FForm);
    Dialog->SetDefaultExt("bin");
    Dialog->SetInitialDir(FDir);
    Dialog->SetOptions({ofOverwritePrompt});
    String Question;
    std::vector<TUserScript::TStep> Steps = {
        Keys({TextIn(U"b"), KeyIn(VK_RETURN)}),
        {true,
         [&](TCustomForm* AForm) {
             Question = LabelsOf(AForm);
             PostKeys(AForm, {KeyIn(VK_RETURN)});   // No is the default
         }},
        Keys({KeyIn(VK_RETURN)}),
        Keys({KeyIn('Y', {ssAlt})}),
    };
    EXPECT_TRUE(Run(Dialog, std::move(Steps)));
    EXPECT_EQ(Dialog->FileName(), FDir + "/b.bin");
    EXPECT_NE(Question.find("\"b.bin\" already exists"), String::npos) << Question;

    // A new name is not asked about.
    EXPECT_TRUE(Run(Dialog, {Keys({TextIn(U"fresh"), KeyIn(VK_RETURN)})}));
    EXPECT_EQ(Dialog->FileName(), FDir + "/fresh.bin");
}

TEST_F(FileDialogTest, AFolderThatCannotBeReadIsReportedAndTheDialogStaysWhereItWas)
{
    std::filesystem::create_directory(FDir + "/locked");
    chmod((FDir + "/locked").c_str(), 0);
    bool Privileged = geteuid() == 0;   // root reads every folder
    TOpenDialog* Dialog = TOpenDialog::Create(FForm);
    Dialog->SetInitialDir(FDir);
    String Said;
    std::u32string Locked(FDir.begin(), FDir.end());
    Locked += U"/locked";
    std::vector<TUserScript::TStep> Steps = {
        Keys({KeyIn('I', {ssAlt}), TextIn(U"/nonexistent/folder"), KeyIn(VK_RETURN)}),
        Then([&](TCustomForm* AForm) {
            Said = LabelsOf(AForm);
            if (!Privileged)
                PostKeys(AForm, {KeyIn('I', {ssAlt}), TextIn(Locked), KeyIn(VK_RETURN)});
        }),
        Then([&](TCustomForm* AForm) {
            Said += LabelsOf(AForm);
            PostKeys(AForm, {KeyIn('N', {ssAlt}), TextIn(U"b.bin"), KeyIn(VK_RETURN)});
        }),
    };
    EXPECT_TRUE(Run(Dialog, std::move(Steps)));
    EXPECT_EQ(Dialog->FileName(), FDir + "/b.bin");
    EXPECT_NE(Said.find("Cannot open the folder \"/nonexistent/folder\": "), String::npos) << Said;
    if (!Privileged)
        EXPECT_NE(Said.find("Permission denied"), String::npos) << Said;
}

TEST_F(FileDialogTest, TheFolderDialogChoosesTheSelectedOrCurrentFolderAndStaysInsideItsRoot)
{
    struct TCase {
        const char* What;
        String Root;
        std::vector<TKey> Input;
        String Expected;   // below the test folder; "-": cancelled
    };
    const TCase Cases[] = {
        {"the selected folder, its name with a newline", "", {KeyIn(VK_HOME), KeyIn(VK_DOWN), KeyIn(VK_RETURN)}, "/d\nir"},
        {"the current folder when none is selected", "", {KeyIn(VK_TAB), KeyIn(VK_RETURN)}, ""},
        {"the folder a typed path opens", "", {KeyIn(VK_TAB, {ssShift}), TextIn(U"sub"), KeyIn(VK_RETURN), KeyIn(VK_RETURN)}, "/sub"},
        {"Backspace stops at the root", FDir, {KeyIn(VK_BACK), KeyIn(VK_END), KeyIn(VK_RETURN)}, "/sub"},
        {"Escape", "", {KeyIn(VK_ESCAPE)}, "-"},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.What);
        String Folder = FDir;
        TUserScript Script({Keys(Case.Input)});
        bool Ok = SelectDirectory("Restore to", Case.Root, Folder);
        EXPECT_FALSE(Script.TimedOut());
        EXPECT_EQ(Ok, Case.Expected != "-");
        EXPECT_EQ(Folder, Ok ? FDir + Case.Expected : FDir);
    }
}

TEST(DisplayFileName, ShowsWhatWouldHideOrBreakTheLine)
{
    const std::pair<String, String> Cases[] = {
        {"photo é.jpg", "photo é.jpg"},
        {"a\nb\x7F", "a\u240Ab\u2421"},
        {"\xFF\xFE.bin", "\uFFFD\uFFFD.bin"},
        {"cod\u202Egpj.exe", "cod\uFFFDgpj.exe"},
        {"\xC2\x85x\u2028", "\uFFFDx\uFFFD"},
    };
    for (const auto& [Name, Shown] : Cases)
        EXPECT_EQ(DisplayFileName(Name), Shown) << Name;
}

}  // namespace

#include "Vcl.SystemFonts.h"

namespace {

TEST_F(FileDialogTest, TheFontDialogTakesAFamilyStyleSizeAndEffectsAndKeepsTheRest)
{
    std::vector<String> Families = InstalledFontFamilies();
    ASSERT_FALSE(Families.empty()) << "fontconfig lists no font";
    struct TCase {
        const char* What;
        String Name;
        std::vector<TKey> Input;
        bool Confirmed;
        String ExpectedName;
        int ExpectedSize;
        TFontStyles ExpectedStyle;
    };
    const TCase Cases[] = {
        {"style, typed size and an effect", Families.back(),
         {KeyIn('Y', {ssAlt}), KeyIn(VK_END), KeyIn('S', {ssAlt}), TextIn(U"14"), KeyIn('U', {ssAlt}), KeyIn(VK_RETURN)},
         true, Families.back(), 14, {fsBold, fsItalic, fsUnderline, fsStrikeOut}},
        {"a family and a size from the lists", Families.back(),
         {KeyIn('F', {ssAlt}), KeyIn(VK_HOME), KeyIn(VK_TAB), KeyIn(VK_TAB), KeyIn(VK_TAB), KeyIn(VK_HOME), KeyIn(VK_RETURN)},
         true, Families.front(), 8, {fsStrikeOut}},
        {"a face that is not installed stays", "No Such Face 1234", {KeyIn(VK_RETURN)}, true, "No Such Face 1234", 10, {fsStrikeOut}},
        {"Escape", Families.back(), {KeyIn('Y', {ssAlt}), KeyIn(VK_END), KeyIn(VK_ESCAPE)}, false, Families.back(), 10, {fsStrikeOut}},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.What);
        TFontDialog* Dialog = TFontDialog::Create(FForm);
        Dialog->Font()->SetName(Case.Name);
        Dialog->Font()->SetSize(10);
        Dialog->Font()->SetStyle({fsStrikeOut});
        Dialog->Font()->SetColor(clMaroon);
        TUserScript Script({Keys(Case.Input)});
        EXPECT_EQ(Dialog->Execute(), Case.Confirmed);
        EXPECT_FALSE(Script.TimedOut());
        EXPECT_EQ(Dialog->Font()->Name(), Case.ExpectedName);
        EXPECT_EQ(Dialog->Font()->Size(), Case.ExpectedSize);
        EXPECT_EQ(Dialog->Font()->Style(), Case.ExpectedStyle);
        EXPECT_EQ(Dialog->Font()->Color(), clMaroon);
        Dialog->Free();
    }
}

}  // namespace

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

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "Vcl.StdCtrls.h"

namespace {

using namespace std::chrono_literals;

// The user's part, run when the application is idle (the input before is handled): a step
// waits for a new modal form to become active (the dialog, then a question it asks, then the
// dialog again) or, made with Then, acts on the form that is active. A step that does not
// come in time cancels every form, so no run hangs.
class TUserScript {
public:
    struct TStep {
        bool OnNewForm = true;
        std::function<void(TCustomForm*)> Act;
    };
    explicit TUserScript(std::vector<TStep> ASteps) : FSteps(std::move(ASteps))
    {
        FDeadline = std::chrono::steady_clock::now() + 10s;
        Application->SetOnIdle(TIdleEvent::Bind<&TUserScript::Idle>(this));
    }
    ~TUserScript() { Application->SetOnIdle({}); }
    size_t Ran() const { return FNext; }
    bool TimedOut() const { return FTimedOut; }

private:
    void Idle(TObject*, bool& ADone)
    {
        ADone = false;
        TCustomForm* Form = ActiveForm();
        bool Modal = Form != nullptr && Form->Modal();
        if (std::chrono::steady_clock::now() > FDeadline) {
            FTimedOut = true;
            if (Modal)
                Form->SetModalResult(mrCancel);
            return;
        }
        if (Modal && FNext < FSteps.size() && (Form != FLast || !FSteps[FNext].OnNewForm)) {
            FLast = Form;
            FSteps[FNext++].Act(Form);
        } else if (Form != FLast) {
            FLast = Form;
        }
        std::this_thread::sleep_for(1ms);
    }

    std::vector<TStep> FSteps;
    size_t FNext = 0;
    TCustomForm* FLast = nullptr;
    bool FTimedOut = false;
    std::chrono::steady_clock::time_point FDeadline;
};

TUserScript::TStep Then(std::function<void(TCustomForm*)> AAct)
{
    return {false, std::move(AAct)};
}

void PostKey(TCustomForm* AForm, UINT AKey, TShiftState AShift = {})
{
    HWND Window = AForm->Handle();
    const std::pair<TShiftStateItem, UINT> Modifiers[] = {{ssShift, VK_SHIFT}, {ssCtrl, VK_CONTROL}};
    for (auto [Item, Key] : Modifiers)
        if (AShift.Contains(Item))
            PostMessageW(Window, WM_KEYDOWN, Key, 0);
    if (AShift.Contains(ssAlt)) {
        PostMessageW(Window, WM_SYSKEYDOWN, AKey, 0);
        PostMessageW(Window, WM_SYSCHAR, AKey - 'A' + 'a', 0);
        PostMessageW(Window, WM_SYSKEYUP, AKey, 0);
    } else {
        PostMessageW(Window, WM_KEYDOWN, AKey, 0);
        PostMessageW(Window, WM_KEYUP, AKey, 0);
    }
    for (auto [Item, Key] : Modifiers)
        if (AShift.Contains(Item))
            PostMessageW(Window, WM_KEYUP, Key, 0);
}

// Keys and text as the user gives them: a text goes in as characters through the input method.
struct TKey {
    UINT Key = 0;
    TShiftState Shift;
    std::u32string Text;
};
TKey K(UINT AKey, TShiftState AShift = {}) { return {AKey, AShift, {}}; }
TKey T(std::u32string AText) { return {0, {}, std::move(AText)}; }

void PostKeys(TCustomForm* AForm, const std::vector<TKey>& AKeys)
{
    for (const TKey& Key : AKeys) {
        if (Key.Key != 0)
            PostKey(AForm, Key.Key, Key.Shift);
        for (char32_t C : Key.Text)
            PostMessageW(AForm->Handle(), WM_CHAR, C, 0);
    }
}

TUserScript::TStep Keys(std::vector<TKey> AKeys)
{
    return {true, [AKeys](TCustomForm* AForm) { PostKeys(AForm, AKeys); }};
}


// The dialog's labels, to read what it says.
String LabelsOf(TWinControl* AForm)
{
    String Text;
    for (int I = 0; I < AForm->ControlCount(); ++I)
        if (auto* Label = dynamic_cast<TLabel*>(AForm->Controls(I)))
            Text += Label->Caption() + "\n";
    return Text;
}

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
    const TKey ToFiles = K(VK_TAB, {ssShift});
    const TCase Cases[] = {
        {"a typed name takes the default extension", {}, {T(U"b"), K(VK_RETURN)}, {"b.bin"}},
        {"a typed name that exists is taken as it is", {}, {T(U"a.txt"), K(VK_RETURN)}, {"a.txt"}},
        {"a picked name with a newline", {}, {ToFiles, K(VK_DOWN), K(VK_DOWN), K(VK_DOWN), K(VK_RETURN)}, {kNewline}},
        {"a picked name of malformed UTF-8", {}, {ToFiles, K(VK_END), K(VK_RETURN)}, {kInvalid}},
        {"a picked long name", {}, {ToFiles, K(VK_END), K(VK_UP), K(VK_RETURN)}, {kLong}},
        {"a double click's keyboard twin: Enter in the list", {ofAllowMultiSelect},
         {ToFiles, K(VK_HOME), K(VK_DOWN, {ssShift}), K(VK_DOWN, {ssShift}), K(VK_RETURN)}, {"b.bin", "c.BIN", kNewline}},
        {"select all", {ofAllowMultiSelect}, {ToFiles, K('A', {ssCtrl}), K(VK_RETURN)},
         {"b.bin", "c.BIN", kNewline, kLong, kInvalid}},
        {"typed names of a multiple choice", {ofAllowMultiSelect}, {T(U"\"a.txt\" \"b.bin\""), K(VK_RETURN)}, {"a.txt", "b.bin"}},
        {"a typed folder is opened, then a name in it", {}, {T(U"sub"), K(VK_RETURN), T(U"inner"), K(VK_RETURN)},
         {"sub/inner.bin"}},
        {"Enter in the folder list opens the folder", {},
         {ToFiles, ToFiles, K(VK_DOWN), K(VK_DOWN), K(VK_RETURN), K(VK_TAB), K(VK_HOME), K(VK_RETURN)}, {"d\nir/x.bin"}},
        {"Backspace goes up again", {}, {T(U"sub"), K(VK_RETURN), ToFiles, K(VK_BACK), K(VK_HOME), K(VK_RETURN)}, {"b.bin"}},
        {"the second filter shows every file", {}, {K('T', {ssAlt}), K(VK_DOWN), ToFiles, ToFiles, K(VK_HOME), K(VK_RETURN)},
         {"a.txt"}, 2},
        {"a typed mask filters the list", {}, {T(U"*.txt"), K(VK_RETURN), ToFiles, K(VK_HOME), K(VK_RETURN)}, {"a.txt"}},
        {"a missing file is refused when it must exist", {ofFileMustExist}, {T(U"nothere"), K(VK_RETURN), K(VK_ESCAPE)}, {}},
        {"a name in a missing folder is refused", {}, {T(U"/nonexistent/x.bin"), K(VK_RETURN), K(VK_ESCAPE)}, {}},
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
        PostKeys(AForm, {K(VK_RETURN)});
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
        Keys({T(U"b"), K(VK_RETURN)}),
        {true,
         [&](TCustomForm* AForm) {
             Question = LabelsOf(AForm);
             PostKeys(AForm, {K(VK_RETURN)});   // No is the default
         }},
        Keys({K(VK_RETURN)}),
        Keys({K('Y', {ssAlt})}),
    };
    EXPECT_TRUE(Run(Dialog, std::move(Steps)));
    EXPECT_EQ(Dialog->FileName(), FDir + "/b.bin");
    EXPECT_NE(Question.find("\"b.bin\" already exists"), String::npos) << Question;

    // A new name is not asked about.
    EXPECT_TRUE(Run(Dialog, {Keys({T(U"fresh"), K(VK_RETURN)})}));
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
        Keys({K('I', {ssAlt}), T(U"/nonexistent/folder"), K(VK_RETURN)}),
        Then([&](TCustomForm* AForm) {
            Said = LabelsOf(AForm);
            if (!Privileged)
                PostKeys(AForm, {K('I', {ssAlt}), T(Locked), K(VK_RETURN)});
        }),
        Then([&](TCustomForm* AForm) {
            Said += LabelsOf(AForm);
            PostKeys(AForm, {K('N', {ssAlt}), T(U"b.bin"), K(VK_RETURN)});
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
        {"the selected folder, its name with a newline", "", {K(VK_HOME), K(VK_DOWN), K(VK_RETURN)}, "/d\nir"},
        {"the current folder when none is selected", "", {K(VK_TAB), K(VK_RETURN)}, ""},
        {"the folder a typed path opens", "", {K(VK_TAB, {ssShift}), T(U"sub"), K(VK_RETURN), K(VK_RETURN)}, "/sub"},
        {"Backspace stops at the root", FDir, {K(VK_BACK), K(VK_END), K(VK_RETURN)}, "/sub"},
        {"Escape", "", {K(VK_ESCAPE)}, "-"},
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

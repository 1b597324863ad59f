// Standard controls driven by mouse and keyboard: their events and state.
#include "Vcl.StdCtrls.h"

#include <gtest/gtest.h>

#include <span>

#include "Vcl.Clipbrd.h"
#include "Vcl.TestInput.h"

namespace {

class StdCtrlsTest : public UserInputTest {
public:
    void Log(TObject* ASender) { FLog.push_back(static_cast<TComponent*>(ASender)->Name()); }
    void LogChange(TObject*) { FLog.push_back("change"); }
    void LogSelect(TObject*) { FLog.push_back("select"); }
    void LogClick(TObject*) { FLog.push_back("click"); }
    void LogScroll(TObject*, TScrollCode ACode, int& APos)
    {
        FLog.push_back(std::to_string(int(ACode)) + ":" + std::to_string(APos));
        if (FScrollLimit >= 0)
            APos = std::min(APos, FScrollLimit);
    }

protected:
    TButton* Button(const char* AName, const char* ACaption, const TRect& ABounds)
    {
        TButton* B = Add<TButton>(ABounds);
        B->SetName(AName);
        B->SetCaption(ACaption);
        B->SetOnClick(TNotifyEvent::Bind<&StdCtrlsTest::Log>(this));
        return B;
    }
    std::vector<String> TakeLog() { return std::exchange(FLog, {}); }

    std::vector<String> FLog;
    int FScrollLimit = -1;
};

TEST_F(StdCtrlsTest, ButtonsAnswerTheMouseSpaceEnterEscAndAccelerators)
{
    TButton* Ok = Button("Ok", "&OK", Rect(10, 10, 85, 35));
    TButton* Cancel = Button("Cancel", "Cancel", Rect(90, 10, 165, 35));
    TButton* Apply = Button("Apply", "&Apply", Rect(170, 10, 245, 35));
    TEdit* Edit = Add<TEdit>(Rect(10, 50, 130, 71));
    Ok->SetDefault(true);
    Cancel->SetCancel(true);

    struct TCase {
        TWinControl* Focus;
        UINT Key;
        TShiftState Shift;
        std::vector<String> Clicked;
    };
    const TCase Cases[] = {
        {Edit, VK_RETURN, {}, {"Ok"}},            // the default button
        {Edit, VK_ESCAPE, {}, {"Cancel"}},        // the cancel button
        {Apply, VK_RETURN, {}, {"Apply"}},        // a focused button takes Enter itself
        {Apply, VK_SPACE, {}, {"Apply"}},
        {Edit, VK_SPACE, {}, {}},                 // a space typed into the edit
        {Edit, 'A', {ssAlt}, {"Apply"}},          // Alt + the accelerator
        {Cancel, 'O', {ssAlt}, {"Ok"}},
        {Edit, VK_RETURN, {ssCtrl}, {}},          // Enter with a modifier is no dialog key
    };
    for (const TCase& Case : Cases) {
        Case.Focus->SetFocus();
        Press(Case.Key, Case.Shift);
        EXPECT_EQ(TakeLog(), Case.Clicked) << Case.Focus->ClassName() << " " << Case.Key;
    }
    EXPECT_EQ(Edit->Text(), " ");
    Cancel->SetFocus();
    Press('O', {ssAlt});
    EXPECT_TRUE(Ok->Focused()) << "an accelerator focuses its button";
    EXPECT_EQ(TakeLog(), (std::vector<String>{"Ok"}));

    Click(Cancel, 5, 5);
    EXPECT_EQ(TakeLog(), (std::vector<String>{"Cancel"}));
    Drag(Cancel, Point(5, 5), Point(200, 5));   // released elsewhere: no click
    Apply->SetEnabled(false);
    Click(Apply, 5, 5);
    Cancel->SetFocus();
    Press('A', {ssAlt});
    EXPECT_EQ(TakeLog(), std::vector<String>{});
}

TEST_F(StdCtrlsTest, AButtonWithAModalResultEndsTheModalLoop)
{
    TForm* Dialog = TForm::Create(Application);
    Dialog->SetBounds(0, 0, 200, 100);
    TButton* No = TButton::Create(Dialog);
    No->SetParent(Dialog);
    No->SetModalResult(mrNo);
    No->SetCancel(true);
    PostMessageW(Dialog->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(Dialog->ShowModal(), mrNo);
    Dialog->Free();
}

TEST_F(StdCtrlsTest, TabAndShiftTabWalkTheTabOrderAndArrowsTheSiblings)
{
    TButton* A = Button("A", "A", Rect(0, 0, 50, 20));
    TEdit* B = Add<TEdit>(Rect(60, 0, 110, 20));
    TGroupBox* Group = Add<TGroupBox>(Rect(0, 40, 200, 140));
    TRadioButton* R1 = Add<TRadioButton>(Rect(10, 20, 100, 37), Group);
    TRadioButton* R2 = Add<TRadioButton>(Rect(10, 40, 100, 57), Group);
    TButton* C = Button("C", "C", Rect(0, 150, 50, 170));
    A->SetFocus();
    std::vector<TWinControl*> Seen;
    for (int I = 0; I < 5; ++I) {
        Press(VK_TAB);
        Seen.push_back(FForm->FocusedControl());
    }
    EXPECT_EQ(Seen, (std::vector<TWinControl*>{B, R1, R2, C, A}));
    Press(VK_TAB, {ssShift});
    EXPECT_EQ(FForm->FocusedControl(), C);

    R1->SetFocus();
    Press(VK_DOWN);   // the check follows the focus among the group's radio buttons
    EXPECT_TRUE(R2->Focused());
    EXPECT_TRUE(R2->Checked());
    EXPECT_FALSE(R1->Checked());
    Press(VK_DOWN);
    EXPECT_TRUE(R1->Checked()) << "wraps round";
}

TEST_F(StdCtrlsTest, CheckBoxesToggleByMouseAndSpaceAndClickOnEveryChange)
{
    TCheckBox* Box = Add<TCheckBox>(Rect(10, 10, 110, 27));
    Box->SetName("Box");
    Box->SetOnClick(TNotifyEvent::Bind<&StdCtrlsTest::Log>(this));
    struct TCase {
        bool AllowGrayed;
        bool ByKey;
        TCheckBoxState Expected;
    };
    const TCase Cases[] = {
        {false, false, cbChecked}, {false, true, cbUnchecked}, {true, false, cbChecked},
        {true, true, cbGrayed},    {true, false, cbUnchecked},
    };
    for (const TCase& Case : Cases) {
        Box->SetAllowGrayed(Case.AllowGrayed);
        if (Case.ByKey) {
            Box->SetFocus();
            Press(VK_SPACE);
        } else {
            Click(Box, 5, 8);
        }
        EXPECT_EQ(Box->State(), Case.Expected);
    }
    EXPECT_EQ(TakeLog().size(), 5u);
    Box->SetChecked(true);   // set by the program: a click too, unless clicks are off
    Box->SetClicksDisabled(true);
    Box->SetChecked(false);
    Box->SetChecked(false);
    EXPECT_EQ(TakeLog().size(), 1u);
}

TEST_F(StdCtrlsTest, CheckingARadioButtonUnchecksItsSiblingsOnly)
{
    TRadioButton* A = Add<TRadioButton>(Rect(0, 0, 80, 17));
    TRadioButton* B = Add<TRadioButton>(Rect(0, 20, 80, 37));
    TGroupBox* Other = Add<TGroupBox>(Rect(100, 0, 200, 60));
    TRadioButton* C = Add<TRadioButton>(Rect(5, 20, 80, 37), Other);
    A->SetName("A");
    B->SetName("B");
    for (TRadioButton* R : {A, B})
        R->SetOnClick(TNotifyEvent::Bind<&StdCtrlsTest::Log>(this));
    C->SetChecked(true);
    Click(A, 5, 8);
    Click(B, 5, 8);
    Click(B, 5, 8);   // a checked radio button stays checked and does not click
    EXPECT_FALSE(A->Checked());
    EXPECT_TRUE(B->Checked());
    EXPECT_TRUE(C->Checked());
    EXPECT_EQ(TakeLog(), (std::vector<String>{"A", "B"}));
}

TEST_F(StdCtrlsTest, LabelsSizeToTheirTextAndTheirAcceleratorFocusesTheirControl)
{
    TLabel* Label = Add<TLabel>(Rect(10, 10, 20, 20));
    TEdit* Edit = Add<TEdit>(Rect(10, 40, 100, 61));
    TButton* Other = Button("Other", "Other", Rect(10, 70, 80, 95));
    Label->SetCaption("&Name of the thing");
    int Wide = Label->Width();
    EXPECT_GT(Wide, 60);
    EXPECT_GT(Label->Height(), 8);
    Label->SetCaption("&Name");
    EXPECT_LT(Label->Width(), Wide);
    Label->SetWordWrap(true);
    Label->SetWidth(30);
    Label->SetCaption("many words that wrap");
    EXPECT_EQ(Label->Width(), 30) << "a wrapping label grows down only";
    EXPECT_GT(Label->Height(), 30);

    Label->SetCaption("&Name");
    Label->SetFocusControl(Edit);
    Other->SetFocus();
    Press('N', {ssAlt});
    EXPECT_TRUE(Edit->Focused());
}

// Steps of editing: keys or characters, then the text and selection they leave.
struct TEditStep {
    std::u32string Typed;
    UINT Key = 0;
    TShiftState Shift;
    const char* Text;
    int SelStart;
    int SelLength;
};

TEST_F(StdCtrlsTest, EditingByKeysMovesTheCaretSelectsCutsPastesAndUndoes)
{
    TEdit* Edit = Add<TEdit>(Rect(10, 10, 200, 31));
    Edit->SetName("Edit");
    Edit->SetOnChange(TNotifyEvent::Bind<&StdCtrlsTest::LogChange>(this));
    Edit->SetFocus();
    const TEditStep Steps[] = {
        {U"héllo wörld", 0, {}, "héllo wörld", 11, 0},
        {U"", VK_LEFT, {ssCtrl}, "héllo wörld", 6, 0},
        {U"", VK_LEFT, {ssShift, ssCtrl}, "héllo wörld", 0, 6},
        {U"", 'X', {ssCtrl}, "wörld", 0, 0},
        {U"", VK_END, {}, "wörld", 5, 0},
        {U" ", 0, {}, "wörld ", 6, 0},
        {U"", 'V', {ssCtrl}, "wörld héllo ", 12, 0},
        {U"", VK_BACK, {}, "wörld héllo", 11, 0},
        {U"", 'Z', {ssCtrl}, "wörld héllo ", 12, 0},   // undo, then redo
        {U"", 'Z', {ssCtrl}, "wörld héllo", 11, 0},
        {U"", VK_HOME, {ssShift}, "wörld héllo", 0, 11},
        {U"日本", 0, {}, "日本", 2, 0},                    // typing replaces the selection
        {U"", VK_LEFT, {}, "日本", 1, 0},
        {U"", VK_DELETE, {}, "日", 1, 0},
        {U"", 'A', {ssCtrl}, "日", 0, 1},
        {U"", VK_RIGHT, {}, "日", 1, 0},                 // collapses to the selection's end
    };
    for (const TEditStep& Step : Steps) {
        if (Step.Key != 0)
            Press(Step.Key, Step.Shift);
        Type(Step.Typed);
        EXPECT_EQ(Edit->Text(), Step.Text) << Step.Key;
        EXPECT_EQ(Edit->SelStart(), Step.SelStart) << Step.Text;
        EXPECT_EQ(Edit->SelLength(), Step.SelLength) << Step.Text;
    }
    EXPECT_EQ(Clipboard()->AsText(), "héllo ");
    EXPECT_GE(TakeLog().size(), 10u);
    Edit->SetText("set");   // the program's text: a change, caret at the start, nothing to undo
    EXPECT_EQ(TakeLog(), (std::vector<String>{"change"}));
    EXPECT_EQ(Edit->SelStart(), 0);
    EXPECT_FALSE(Edit->CanUndo());
}

TEST_F(StdCtrlsTest, EditRulesLimitWhatTypingAndPastingPutIn)
{
    TEdit* Edit = Add<TEdit>(Rect(10, 10, 200, 31));
    Edit->SetFocus();
    struct TCase {
        const char* Name;
        void (*Setup)(TEdit*);
        std::u32string Typed;
        const char* Pasted;
        const char* Expected;
    };
    const TCase Cases[] = {
        {"plain", [](TEdit*) {}, U"ab", "c\r\nd", "abc"},
        {"max length", [](TEdit* E) { E->SetMaxLength(4); }, U"abc", "def", "abcd"},
        {"numbers only", [](TEdit* E) { E->SetNumbersOnly(true); }, U"1a2", "x3", "12"},
        {"numbers pasted", [](TEdit* E) { E->SetNumbersOnly(true); }, U"", "34", "34"},
        {"read only", [](TEdit* E) { E->SetReadOnly(true); }, U"ab", "cd", ""},
        {"upper case", [](TEdit* E) { E->SetCharCase(ecUpperCase); }, U"ab", "cd", "ABCD"},
    };
    for (const TCase& Case : Cases) {
        Edit->SetText("");
        Edit->SetMaxLength(0);
        Edit->SetNumbersOnly(false);
        Edit->SetReadOnly(false);
        Edit->SetCharCase(ecNormal);
        Case.Setup(Edit);
        Type(Case.Typed);
        Clipboard()->SetAsText(Case.Pasted);
        Press('V', {ssCtrl});
        EXPECT_EQ(Edit->Text(), Case.Expected) << Case.Name;
    }

    Edit->SetReadOnly(false);
    Edit->SetCharCase(ecNormal);
    Edit->SetPasswordChar(U'*');
    Edit->SetText("secret");
    Clipboard()->SetAsText("kept");
    Press('A', {ssCtrl});
    Press('C', {ssCtrl});
    Press('X', {ssCtrl});
    EXPECT_EQ(Clipboard()->AsText(), "kept") << "a password is never copied";
    EXPECT_EQ(Edit->Text(), "secret");
}

TEST_F(StdCtrlsTest, EditSelectsByMouseAndKeepsTheCaretInView)
{
    TEdit* Edit = Add<TEdit>(Rect(10, 10, 80, 31));
    Edit->SetText("one two three four five six");
    DoubleClick(Edit, 5, 10);
    EXPECT_EQ(Edit->SelText(), "one");
    Click(Edit, 60, 10);
    int Caret = Edit->SelStart();
    EXPECT_GT(Caret, 0);
    Drag(Edit, Point(5, 10), Point(60, 10));
    EXPECT_EQ(Edit->SelStart(), 0);
    EXPECT_EQ(Edit->SelLength(), Caret);
    Press(VK_END);
    // The end of the text is in view: the caret is drawn inside the edit.
    EXPECT_EQ(Edit->CharAtX(Edit->Width() - 5), int(ToChars(Edit->Text()).size()));
}

TEST_F(StdCtrlsTest, ListBoxesSelectByKeysTypingClicksAndScrollByWheelAndBar)
{
    TListBox* List = Add<TListBox>(Rect(10, 10, 150, 94));   // four lines of 20 showing
    List->SetItemHeight(20);
    List->SetName("List");
    List->SetOnClick(TNotifyEvent::Bind<&StdCtrlsTest::Log>(this));
    for (const char* Item : {"apple", "banana", "blueberry", "cherry", "date", "elder", "fig", "grape", "kiwi", "lime"})
        List->Items()->Add(Item);
    List->SetFocus();
    struct TCase {
        std::u32string Typed;
        UINT Key;
        int Index;
        int Top;
    };
    const TCase Cases[] = {
        {U"", VK_DOWN, 0, 0},  {U"", VK_END, 9, 6},  {U"", VK_HOME, 0, 0}, {U"", VK_NEXT, 3, 0},
        {U"", VK_NEXT, 6, 3},  {U"", VK_PRIOR, 3, 3}, {U"bl", 0, 2, 1},     {U"", VK_UP, 1, 1},
        {U"k", 0, 8, 5},
    };
    for (const TCase& Case : Cases) {
        if (Case.Key != 0)
            Press(Case.Key);
        Type(Case.Typed);
        EXPECT_EQ(List->ItemIndex(), Case.Index) << Case.Key << " " << Case.Index;
        EXPECT_EQ(List->TopIndex(), Case.Top) << Case.Key << " " << Case.Index;
    }
    EXPECT_EQ(TakeLog().size(), std::size(Cases) + 1) << "each change by the user clicks once, \"bl\" twice";

    Wheel(List, 20, 20, -1);
    EXPECT_EQ(List->TopIndex(), 6) << "three lines a notch, kept in range";
    Click(List, 20, 25);
    EXPECT_EQ(List->ItemIndex(), 7);
    Drag(List, Point(130, 55), Point(130, 2));   // the thumb dragged to the top
    EXPECT_EQ(List->TopIndex(), 0);
    Click(List, 130, 79);   // the lower arrow
    EXPECT_EQ(List->TopIndex(), 1);
    List->SetItemIndex(2);
    EXPECT_EQ(TakeLog(), (std::vector<String>{"List"})) << "the program's selection clicks not";
    List->Items()->Delete(9);
    List->Items()->Delete(8);
    List->SetItemIndex(7);
    List->Items()->Delete(7);
    EXPECT_EQ(List->ItemIndex(), -1);
}

class ComboBoxTest : public StdCtrlsTest {
protected:
    void SetUp() override
    {
        StdCtrlsTest::SetUp();
        FCombo = Add<TComboBox>(Rect(10, 10, 160, 31));
        for (const char* Item : {"8", "9", "10", "11", "12", "14", "16"})
            FCombo->Items()->Add(Item);
        FCombo->SetOnChange(TNotifyEvent::Bind<&StdCtrlsTest::LogChange>(this));
        FCombo->SetOnSelect(TNotifyEvent::Bind<&StdCtrlsTest::LogSelect>(this));
        FOk = Button("Ok", "OK", Rect(200, 10, 275, 35));
        FOk->SetDefault(true);
    }
    TComboBox* FCombo = nullptr;
    TButton* FOk = nullptr;
};

TEST_F(ComboBoxTest, ADropDownListOpensAPopupAndTakesTheItemClicked)
{
    FCombo->SetStyle(csDropDownList);
    FCombo->SetItemIndex(1);
    EXPECT_EQ(FCombo->Text(), "9");
    Click(FCombo, 140, 10);
    ASSERT_TRUE(FCombo->DroppedDown());
    TCustomListBox* List = FCombo->ListBox();
    ASSERT_NE(List, nullptr);
    EXPECT_EQ(List->ItemIndex(), 1);
    TPoint Below = FCombo->ClientToScreen(Point(0, FCombo->Height()));
    EXPECT_EQ(List->ClientToScreen(Point(0, 0)).Y, Below.Y + 0) << "under the box";
    Click(List, 20, 2 + 3 * 16 + 5);
    EXPECT_FALSE(FCombo->DroppedDown());
    EXPECT_EQ(FCombo->ItemIndex(), 3);
    EXPECT_EQ(FCombo->Text(), "11");
    EXPECT_EQ(TakeLog(), (std::vector<String>{"select"}));

    struct TCase {
        UINT Key;
        TShiftState Shift;
        std::u32string Typed;
        bool Dropped;
        int Index;
        std::vector<String> Log;
    };
    const TCase Cases[] = {
        {VK_DOWN, {}, U"", false, 4, {"select"}},
        {VK_DOWN, {ssAlt}, U"", true, 4, {}},
        {VK_DOWN, {}, U"", true, 4, {}},            // moves in the list only
        {VK_RETURN, {}, U"", false, 5, {"select"}},  // taken: the default button is not clicked
        {VK_F4, {}, U"", true, 5, {}},
        {VK_ESCAPE, {}, U"", false, 5, {}},
        {VK_HOME, {}, U"", false, 0, {"select"}},
        {0, {}, U"1", false, 2, {"select"}},         // type-to-find: "10" after "8"
        {0, {}, U"6", false, 6, {"select"}},         // typed together: "16"
    };
    FCombo->SetFocus();
    for (const TCase& Case : Cases) {
        if (Case.Key != 0)
            Press(Case.Key, Case.Shift);
        Type(Case.Typed);
        EXPECT_EQ(FCombo->DroppedDown(), Case.Dropped) << Case.Key;
        EXPECT_EQ(FCombo->ItemIndex(), Case.Index) << Case.Key;
        EXPECT_EQ(TakeLog(), Case.Log) << Case.Key;
    }
}

TEST_F(ComboBoxTest, AnEditableBoxSelectsTheItemEqualToItsTextAndCompletesTyping)
{
    FCombo->SetAutoComplete(false);
    TCustomEdit* Edit = FCombo->Edit();
    ASSERT_NE(Edit, nullptr);
    Press(VK_TAB);
    EXPECT_TRUE(Edit->Focused()) << "the edit takes the box's place in the tab order";
    Type(U"1");
    EXPECT_EQ(FCombo->ItemIndex(), -1);
    Type(U"2");
    EXPECT_EQ(FCombo->ItemIndex(), 4);
    EXPECT_EQ(FCombo->Text(), "12");
    Press(VK_DOWN);
    EXPECT_EQ(FCombo->Text(), "14");
    Press(VK_RETURN);
    EXPECT_EQ(TakeLog(), (std::vector<String>{"change", "change", "select", "Ok"}))
        << "Enter in a closed box goes to the default button";

    FCombo->SetAutoComplete(true);
    Press('A', {ssCtrl});
    Type(U"1");
    EXPECT_EQ(FCombo->Text(), "10") << "completed with the first item it starts";
    EXPECT_EQ(Edit->SelText(), "0");
    Type(U"6");
    EXPECT_EQ(FCombo->Text(), "16");
    EXPECT_EQ(FCombo->ItemIndex(), 6);

    FCombo->SetText("99");
    EXPECT_EQ(Edit->Text(), "99");
    EXPECT_EQ(FCombo->ItemIndex(), -1);
}

TEST_F(StdCtrlsTest, MultiSelectListBoxesSelectRangesAndSingleItemsByShiftAndCtrl)
{
    TListBox* List = Add<TListBox>(Rect(10, 10, 150, 134));   // six lines of 20
    List->SetItemHeight(20);
    List->SetName("List");
    List->SetOnClick(TNotifyEvent::Bind<&StdCtrlsTest::Log>(this));
    for (const char* Item : {"a", "b", "c", "d", "e", "f"})
        List->Items()->Add(Item);
    List->SetMultiSelect(true);
    List->SetFocus();
    auto Shown = [&] {
        String Text;
        for (int I = 0; I < List->Count(); ++I)
            Text += List->Selected(I) ? char('0' + I) : '.';
        return Text;
    };
    struct TStep {
        int ClickRow;   // -1: a key instead
        UINT Key;
        TShiftState Shift;
        const char* Selected;
        int Focus;
    };
    const TStep Extended[] = {
        {1, 0, {}, ".1....", 1},
        {3, 0, {ssShift}, ".123..", 3},   // a range from the item chosen alone
        {5, 0, {ssCtrl}, ".123.5", 5},    // one more
        {0, 0, {ssCtrl}, "0123.5", 0},
        {-1, VK_DOWN, {ssShift}, "01....", 1},
        {-1, VK_DOWN, {ssCtrl}, "01....", 2},   // the focus alone
        {-1, VK_SPACE, {ssCtrl}, "012...", 2},
        {-1, VK_DOWN, {}, "...3..", 3},
        {4, 0, {}, "....4.", 4},
    };
    const TStep Simple[] = {
        {1, 0, {}, ".1....", 1},
        {3, 0, {}, ".1.3..", 3},   // each click toggles one
        {1, 0, {}, "...3..", 1},
        {-1, VK_DOWN, {}, "...3..", 2},
        {-1, VK_SPACE, {}, "..23..", 2},
    };
    for (bool Mode : {true, false}) {
        List->SetExtendedSelect(Mode);
        List->ClearSelection();
        int Step = 0;
        for (const TStep& S : Mode ? std::span<const TStep>(Extended) : std::span<const TStep>(Simple)) {
            SCOPED_TRACE(String(Mode ? "extended " : "simple ") + std::to_string(Step++));
            if (S.ClickRow >= 0) {
                WPARAM Keys = (S.Shift.Contains(ssShift) ? MK_SHIFT : 0) | (S.Shift.Contains(ssCtrl) ? MK_CONTROL : 0);
                MouseAt(WM_LBUTTONDOWN, List, 20, S.ClickRow * 20 + 10, MK_LBUTTON | Keys);
                MouseAt(WM_LBUTTONUP, List, 20, S.ClickRow * 20 + 10, Keys);
            } else {
                Press(S.Key, S.Shift);
            }
            EXPECT_EQ(Shown(), S.Selected);
            EXPECT_EQ(List->ItemIndex(), S.Focus);
            EXPECT_EQ(List->SelCount(), int(std::count_if(S.Selected, S.Selected + 6, [](char C) { return C != '.'; })));
        }
    }
    EXPECT_FALSE(FLog.empty()) << "each change of the selection clicks";
    List->SelectAll();
    EXPECT_EQ(Shown(), "012345");
    List->SetMultiSelect(false);
    List->SetItemIndex(2);
    EXPECT_EQ(Shown(), "..2...") << "one selected again";
}

TEST_F(StdCtrlsTest, ScrollBarsMoveByArrowsPagesThumbKeysAndWheel)
{
    TScrollBar* Bar = Add<TScrollBar>(Rect(10, 10, 210, 27));
    Bar->SetParams(0, 0, 100);
    Bar->SetLargeChange(10);
    Bar->SetSmallChange(2);
    Bar->SetOnScroll(TScrollEvent::Bind<&StdCtrlsTest::LogScroll>(this));
    struct TCase {
        TPoint ClickAt;
        UINT Key;
        int Expected;
    };
    const TCase Cases[] = {
        {Point(190, 8), 0, 2},   // right arrow
        {Point(150, 8), 0, 12},  // the track right of the thumb
        {Point(5, 8), 0, 10},    // left arrow
        {Point(-1, -1), VK_END, 100},
        {Point(-1, -1), VK_PRIOR, 90},
        {Point(-1, -1), VK_HOME, 0},
    };
    Bar->SetFocus();
    for (const TCase& Case : Cases) {
        if (Case.Key != 0)
            Press(Case.Key);
        else
            Click(Bar, Case.ClickAt.X, Case.ClickAt.Y);
        EXPECT_EQ(Bar->Position(), Case.Expected) << Case.Expected;
    }
    Wheel(Bar, 10, 8, -2);
    EXPECT_EQ(Bar->Position(), 2) << "one line a wheel message";
    TakeLog();
    Bar->SetPosition(0);
    Drag(Bar, Point(25, 8), Point(200, 8));
    EXPECT_EQ(Bar->Position(), 100);
    std::vector<String> Log = TakeLog();
    ASSERT_FALSE(Log.empty());
    EXPECT_EQ(Log.back(), std::to_string(int(scPosition)) + ":100");
    FScrollLimit = 50;   // OnScroll may hold the position back
    Bar->SetPosition(0);
    Drag(Bar, Point(25, 8), Point(200, 8));
    EXPECT_EQ(Bar->Position(), 50);
    EXPECT_THROW(Bar->SetParams(0, 10, 5), EInvalidOperation);
}

}  // namespace

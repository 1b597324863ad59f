// Popup menus driven by mouse and keyboard, menu items with checks, radio groups and sub-menus,
// and actions run through their list, the application, their handler or their target.
#include "Vcl.Menus.h"

#include <gtest/gtest.h>

#include <functional>

#include "Vcl.ComCtrls.h"
#include "Vcl.StdCtrls.h"
#include "Vcl.TestInput.h"

namespace {

class MenusTest : public UserInputTest {
public:
    void Log(TObject* ASender) { FLog.push_back(static_cast<TComponent*>(ASender)->Name()); }
    void ListExecute(TBasicAction* AAction, bool& AHandled)
    {
        FLog.push_back("list " + AAction->Name());
        AHandled = FListHandles;
    }
    void AppExecute(TBasicAction* AAction, bool& AHandled)
    {
        FLog.push_back("application " + AAction->Name());
        AHandled = FApplicationHandles;
    }

protected:
    void SetUp() override
    {
        UserInputTest::SetUp();
        FMenu = TPopupMenu::Create(FForm);
        FMenu->SetOnClose(TNotifyEvent::Bind<&MenusTest::Log>(this));
        FMenu->SetName("closed");
    }
    void TearDown() override
    {
        Application->SetOnActionExecute({});
        UserInputTest::TearDown();
    }
    TMenuItem* Item(TMenuItem* AParent, const char* ACaption, const char* AName = nullptr)
    {
        TMenuItem* Item = TMenuItem::Create(FForm);
        Item->SetCaption(ACaption);
        if (AName != nullptr) {
            Item->SetName(AName);
            Item->SetOnClick(TNotifyEvent::Bind<&MenusTest::Log>(this));
        }
        AParent->Add(Item);
        return Item;
    }
    // The menu window of that level, or nullptr.
    TCustomForm* Level(size_t AIndex) const
    {
        std::vector<TCustomForm*> Windows = FMenu->Windows();
        return AIndex < Windows.size() ? Windows[AIndex] : nullptr;
    }
    // Clicks the item row AIndex (counting separators) of a menu window.
    void ClickRow(TCustomForm* AWindow, int AY) { Click(AWindow, 20, AY); }
    std::vector<String> TakeLog() { return std::exchange(FLog, {}); }

    TPopupMenu* FMenu = nullptr;
    std::vector<String> FLog;
    bool FListHandles = false;
    bool FApplicationHandles = false;
};

TEST_F(MenusTest, APopupMenuShowsAtThePointAndRunsTheItemChosenByMouseOrKeys)
{
    Item(FMenu->Items(), "&Open", "open");
    Item(FMenu->Items(), "-");
    TMenuItem* Disabled = Item(FMenu->Items(), "&Disabled", "disabled");
    Disabled->SetEnabled(false);
    TMenuItem* More = Item(FMenu->Items(), "&More");
    Item(More, "&First", "first");
    Item(More, "&Second", "second");
    Item(FMenu->Items(), "&Properties", "properties")->SetDefault(true);

    FMenu->Popup(300, 200);
    TCustomForm* Top = Level(0);
    ASSERT_NE(Top, nullptr);
    EXPECT_EQ(Top->Left(), 300);
    EXPECT_EQ(Top->Top(), 200);
    EXPECT_TRUE(Top->Visible());

    struct TCase {
        std::vector<UINT> Keys;
        std::u32string Typed;
        std::vector<String> Log;
    };
    const TCase Cases[] = {
        {{VK_DOWN, VK_RETURN}, U"", {"closed", "open"}},
        {{VK_DOWN, VK_DOWN}, U"", {}},                            // the separator and the disabled item are skipped
        {{VK_RIGHT, VK_UP, VK_UP, VK_RIGHT, VK_DOWN, VK_RETURN}, U"", {"closed", "second"}},
        {{}, U"p", {"closed", "properties"}},                    // the accelerator
        {{}, U"d", {}},                                           // a disabled item's accelerator does nothing
        {{}, U"ms", {"closed", "second"}},                       // into the sub-menu and on
        {{VK_ESCAPE}, U"", {"closed"}},
        {{VK_UP, VK_RIGHT, VK_LEFT, VK_ESCAPE}, U"", {"closed"}},  // Left closes only the sub-menu
    };
    for (const TCase& Case : Cases) {
        FMenu->Popup(300, 200);
        for (UINT Key : Case.Keys)
            Press(Key, {}, Level(FMenu->Windows().size() - 1));
        for (char32_t C : Case.Typed)
            Type(std::u32string(1, C), Level(FMenu->Windows().size() - 1));
        EXPECT_EQ(TakeLog(), Case.Log) << Case.Keys.size() << " " << Case.Log.size();
        FMenu->CloseMenu();
        TakeLog();
    }

    FMenu->Popup(300, 200);
    Top = Level(0);
    MouseAt(WM_MOUSEMOVE, Top, 20, 60);   // over "More": its sub-menu opens beside it
    ASSERT_NE(Level(1), nullptr);
    EXPECT_GE(Level(1)->Left(), Top->Left() + Top->Width() - 6);
    ClickRow(Level(1), 10);
    EXPECT_EQ(TakeLog(), (std::vector<String>{"closed", "first"}));
    EXPECT_TRUE(FMenu->Windows().empty());

    FMenu->Popup(1900, 1070);   // kept on the screen
    EXPECT_LE(Level(0)->Left() + Level(0)->Width(), Screen->Width());
    EXPECT_LE(Level(0)->Top() + Level(0)->Height(), Screen->Height());
}

TEST_F(MenusTest, CheckAndRadioItemsFollowTheirClicks)
{
    TMenuItem* Wrap = Item(FMenu->Items(), "Wrap", "wrap");
    Wrap->SetAutoCheck(true);
    std::vector<TMenuItem*> Radios;
    for (const char* Caption : {"Small", "Large", "Huge"}) {
        TMenuItem* Radio = Item(FMenu->Items(), Caption, Caption);
        Radio->SetRadioItem(true);
        Radio->SetAutoCheck(true);
        Radio->SetGroupIndex(1);
        Radios.push_back(Radio);
    }
    TMenuItem* Other = Item(FMenu->Items(), "Other group");
    Other->SetRadioItem(true);
    Other->SetGroupIndex(2);
    Other->SetChecked(true);
    struct TCase {
        TMenuItem* Clicked;
        std::vector<bool> Checked;   // wrap, small, large, huge
    };
    const TCase Cases[] = {
        {Wrap, {true, false, false, false}},      {Radios[1], {true, false, true, false}},
        {Radios[2], {true, false, false, true}},  {Radios[2], {true, false, false, true}},
        {Wrap, {false, false, false, true}},
    };
    for (const TCase& Case : Cases) {
        Case.Clicked->Click();
        std::vector<bool> Checked{Wrap->Checked()};
        for (TMenuItem* R : Radios)
            Checked.push_back(R->Checked());
        EXPECT_EQ(Checked, Case.Checked) << Case.Clicked->Caption();
    }
    EXPECT_TRUE(Other->Checked()) << "another group keeps its check";
    Radios[0]->Free();   // a freed item leaves its parent
    EXPECT_EQ(FMenu->Items()->Count(), 4);
}

class TEditAction : public TAction {
    X_CLASS(TEditAction, TAction)
public:
    std::vector<TObject*> Executed;

protected:
    TEditAction() = default;
    bool HandlesTarget(TObject* ATarget) override { return dynamic_cast<TCustomEdit*>(ATarget) != nullptr; }
    void ExecuteTarget(TObject* ATarget) override { Executed.push_back(ATarget); }
    void UpdateTarget(TObject* ATarget) override { SetEnabled(!static_cast<TCustomEdit*>(ATarget)->ReadOnly()); }
};

TEST_F(MenusTest, ActionsRunThroughTheirListTheApplicationTheirHandlerOrTheirTarget)
{
    TActionList* List = TActionList::Create(FForm);
    List->SetOnExecute(TActionEvent::Bind<&MenusTest::ListExecute>(this));
    Application->SetOnActionExecute(TActionEvent::Bind<&MenusTest::AppExecute>(this));
    TEditAction* Action = TEditAction::Create(FForm);
    Action->SetName("act");
    Action->SetActionList(List);
    Action->SetCaption("&Select all");
    TEdit* Edit = Add<TEdit>(Rect(10, 10, 100, 31));
    TButton* Button = Add<TButton>(Rect(10, 40, 85, 65));

    TMenuItem* Linked = Item(FMenu->Items(), "placeholder");
    Linked->SetAction(Action);
    EXPECT_EQ(Linked->Caption(), "&Select all") << "the item shows the action";

    struct TCase {
        bool List, Application, Handler;
        TWinControl* Focus;
        std::vector<String> Log;
        size_t Targets;
    };
    const TCase Cases[] = {
        {true, false, false, Edit, {"list act"}, 0},
        {false, true, false, Edit, {"list act", "application act"}, 0},
        {false, false, true, Edit, {"list act", "application act", "act"}, 0},
        {false, false, false, Edit, {"list act", "application act"}, 1},   // the focused edit
        {false, false, false, Button, {"list act", "application act"}, 1}, // a button is no target
    };
    for (const TCase& Case : Cases) {
        FListHandles = Case.List;
        FApplicationHandles = Case.Application;
        Action->SetOnExecute(Case.Handler ? TNotifyEvent::Bind<&MenusTest::Log>(this) : TNotifyEvent());
        Case.Focus->SetFocus();
        Linked->Click();
        EXPECT_EQ(TakeLog(), Case.Log);
        EXPECT_EQ(Action->Executed.size(), Case.Targets);
    }
    EXPECT_EQ(Action->Executed.front(), Edit);

    Edit->SetReadOnly(true);   // the update reaches the target, and the item follows the action
    Edit->SetFocus();
    List->UpdateActions();
    EXPECT_FALSE(Action->Enabled());
    EXPECT_FALSE(Linked->Enabled());
    Linked->Click();
    EXPECT_EQ(TakeLog(), std::vector<String>{}) << "a disabled action does not run";
    Action->Free();   // the item forgets a freed action
    EXPECT_EQ(Linked->Action(), nullptr);
}

// A press outside a popup closes it (the press goes on to where it was); a press on the
// popup, or on the control it drops from, is the popup's own.
TEST_F(MenusTest, PopupsCloseOnAPressOutsideThem)
{
    auto* Combo = Add<TComboBox>(Rect(10, 10, 120, 31));
    Combo->SetStyle(csDropDownList);
    for (const char* Text : {"One", "Two", "Three"})
        Combo->Items()->Add(Text);
    auto* Picker = Add<TDateTimePicker>(Rect(130, 10, 280, 31));
    auto* Button = Add<TButton>(Rect(10, 200, 90, 225));
    Button->SetName("button");
    Button->SetOnClick(TNotifyEvent::Bind<&MenusTest::Log>(this));
    TMenuItem* Sub = Item(FMenu->Items(), "Sub");
    Item(Sub, "Inner", "inner");
    Item(FMenu->Items(), "Plain", "plain");
    TForm* Other = TForm::Create(FForm);
    Other->SetBounds(400, 0, 100, 100);
    Other->Show();

    struct TPopup {
        const char* Name;
        std::function<void()> Open;
        std::function<bool()> IsOpen;
        std::function<TWinControl*()> Window;
    };
    const TPopup Popups[] = {
        {"combo box", [&] { Combo->SetDroppedDown(true); }, [&] { return Combo->DroppedDown(); },
         [&] { return static_cast<TWinControl*>(Combo->ListBox()->Parent()); }},
        {"date picker", [&] { Picker->SetDroppedDown(true); }, [&] { return Picker->DroppedDown(); },
         [&] { return static_cast<TWinControl*>(Picker->Calendar()->Parent()); }},
        {"menu", [&] { FMenu->Popup(150, 60); }, [&] { return Level(0) != nullptr; }, [&] { return Level(0); }},
    };
    for (const TPopup& P : Popups) {
        SCOPED_TRACE(P.Name);
        P.Open();
        ASSERT_TRUE(P.IsOpen());
        MouseAt(WM_RBUTTONDOWN, P.Window(), 2, 2, MK_RBUTTON);
        MouseAt(WM_RBUTTONUP, P.Window(), 2, 2);
        EXPECT_TRUE(P.IsOpen()) << "a press on the popup";
        Click(Button, 5, 5);
        EXPECT_FALSE(P.IsOpen()) << "a press on the form";
        P.Open();
        Click(Other, 5, 5);
        EXPECT_FALSE(P.IsOpen()) << "a press on another window";
    }
    std::vector<String> Log = TakeLog();
    EXPECT_EQ(std::count(Log.begin(), Log.end(), "button"), 3) << "the press went on to the button";

    // A sub-menu's window is the menu's own.
    FMenu->Popup(150, 60);
    Press(VK_DOWN, {}, Level(0));
    Press(VK_RIGHT, {}, Level(0));
    ASSERT_NE(Level(1), nullptr);
    Click(Level(1), 20, 10);
    EXPECT_EQ(TakeLog(), (std::vector<String>{"closed", "inner"}));
    // The box the list drops from toggles it itself.
    Click(Combo, Combo->Width() - 5, 5);
    EXPECT_TRUE(Combo->DroppedDown());
    Click(Combo, Combo->Width() - 5, 5);
    EXPECT_FALSE(Combo->DroppedDown());
}

}  // namespace

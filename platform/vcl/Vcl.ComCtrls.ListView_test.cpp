// List views driven by mouse and keyboard: selection, check boxes, header clicks, sorting,
// groups, icon view and its spacing.
#include <gtest/gtest.h>

#include "Vcl.ComCtrls.h"
#include "Vcl.TestInput.h"

namespace {

class ListViewTest : public UserInputTest {
public:
    void ColumnClicked(TObject*, TListColumn* AColumn) { FLog.push_back("column " + std::to_string(AColumn->Index())); }
    void Selected(TObject*, TListItem* AItem, bool ASelected)
    {
        FLog.push_back((ASelected ? "select " : "leave ") + AItem->Caption());
    }
    void Checked(TObject*, TListItem* AItem) { FLog.push_back("check " + AItem->Caption()); }

protected:
    void SetUp() override
    {
        UserInputTest::SetUp();
        FView = Add<TListView>(Rect(10, 10, 260, 160));
        FView->SetViewStyle(vsReport);
        for (const char* Caption : {"Name", "Size"})
            FView->AddColumn()->SetCaption(Caption);
        FView->Column(0)->SetWidth(120);
        FView->Column(1)->SetWidth(80);
        const std::pair<const char*, const char*> Rows[] = {{"delta", "4"}, {"alpha", "30"}, {"charlie", "200"},
                                                            {"bravo", "1"}};
        for (auto [Caption, Size] : Rows) {
            TListItem* Item = FView->Items()->Add();
            Item->SetCaption(Caption);
            Item->SubItems()->Add(Size);
        }
        FView->SetOnColumnClick(TLVColumnClickEvent::Bind<&ListViewTest::ColumnClicked>(this));
        FView->SetOnSelectItem(TLVSelectItemEvent::Bind<&ListViewTest::Selected>(this));
        FView->SetOnItemChecked(TLVCheckedEvent::Bind<&ListViewTest::Checked>(this));
    }
    std::vector<String> Captions() const
    {
        std::vector<String> Result;
        for (int I = 0; I < FView->Items()->Count(); ++I)
            Result.push_back(FView->Items()->Item(I)->Caption());
        return Result;
    }
    // The point in the middle of an item's row.
    TPoint At(int AIndex) const
    {
        TRect R = FView->ItemRect(FView->Items()->Item(AIndex));
        return Point(R.Left + 60, (R.Top + R.Bottom) / 2);
    }
    std::vector<String> TakeLog() { return std::exchange(FLog, {}); }

    TListView* FView = nullptr;
    std::vector<String> FLog;
};

int BySize(LPARAM A, LPARAM B, LPARAM ADescending)
{
    int SizeA = std::stoi(reinterpret_cast<TListItem*>(A)->SubItems()->Strings(0));
    int SizeB = std::stoi(reinterpret_cast<TListItem*>(B)->SubItems()->Strings(0));
    return ADescending ? SizeB - SizeA : SizeA - SizeB;
}

TEST_F(ListViewTest, HeaderClicksAndCustomSortOrderTheItemsKeepingTheirIDs)
{
    int AlphaID = FView->Items()->Item(1)->ID();
    TRect Header = Rect(2, 2, 122, 2 + FView->HeaderHeight());
    Click(FView, 150, Header.Top + 5);
    Click(FView, 20, Header.Top + 5);
    EXPECT_EQ(TakeLog(), (std::vector<String>{"column 1", "column 0"}));
    FView->AlphaSort();
    EXPECT_EQ(Captions(), (std::vector<String>{"alpha", "bravo", "charlie", "delta"}));
    FView->CustomSort(&BySize, 1);
    EXPECT_EQ(Captions(), (std::vector<String>{"charlie", "alpha", "delta", "bravo"}));
    FView->CustomSort(&BySize, 0);
    EXPECT_EQ(Captions(), (std::vector<String>{"bravo", "delta", "alpha", "charlie"}));
    EXPECT_EQ(FView->Items()->FindItemByID(AlphaID)->Caption(), "alpha");
    FView->Items()->Delete(0);
    TListItem* Added = FView->Items()->Add();
    EXPECT_GT(Added->ID(), AlphaID) << "an ID is never given again";
}

TEST_F(ListViewTest, ItemsAreSelectedByMouseKeysAndTypingAndCheckedBySpaceOrTheirBox)
{
    FView->SetCheckboxes(true);
    Click(FView, At(2).X, At(2).Y);
    EXPECT_EQ(FView->ItemIndex(), 2);
    EXPECT_TRUE(FView->Focused());
    struct TCase {
        UINT Key;
        std::u32string Typed;
        int Index;
    };
    const TCase Cases[] = {{VK_DOWN, U"", 3}, {VK_DOWN, U"", 3}, {VK_HOME, U"", 0}, {VK_END, U"", 3},
                           {0, U"a", 1},      {VK_UP, U"", 0},   {0, U"ch", 2}};
    for (const TCase& Case : Cases) {
        if (Case.Key != 0)
            Press(Case.Key);
        Type(Case.Typed);
        EXPECT_EQ(FView->ItemIndex(), Case.Index) << Case.Key;
    }
    TakeLog();
    Press(VK_SPACE);
    EXPECT_TRUE(FView->Items()->Item(2)->Checked());
    TRect Box = FView->CheckRect(FView->ItemRect(FView->Items()->Item(0)));
    Click(FView, Box.Left + 3, Box.Top + 3);
    EXPECT_TRUE(FView->Items()->Item(0)->Checked());
    EXPECT_EQ(TakeLog(), (std::vector<String>{"check charlie", "check delta", "leave charlie", "select delta"}));
    FView->Items()->Delete(0);   // the selected item goes: nothing is selected
    EXPECT_EQ(FView->Selected(), nullptr);
}

TEST_F(ListViewTest, GroupsShowTheirItemsUnderTheirHeadersAndKeysPassTheHeadersOver)
{
    FView->AddGroup(1, "Pictures");
    FView->AddGroup(2, "Videos");
    for (int I = 0; I < 4; ++I)
        FView->Items()->Item(I)->SetGroupID(I % 2 == 0 ? 1 : 2);
    FView->SetGroupView(true);
    // Rows: Pictures, delta, charlie, Videos, alpha, bravo.
    EXPECT_LT(FView->ItemRect(FView->Items()->Item(2)).Top, FView->ItemRect(FView->Items()->Item(1)).Top);
    EXPECT_EQ(FView->GetItemAt(40, 2 + FView->HeaderHeight() + 2 + 2), nullptr) << "a group's header";
    FView->SetFocus();
    FView->SetItemIndex(2);   // charlie, last of its group
    Press(VK_DOWN);
    EXPECT_EQ(FView->Selected()->Caption(), "alpha");
    Press(VK_UP);
    EXPECT_EQ(FView->Selected()->Caption(), "charlie");
}

TEST_F(ListViewTest, TheIconViewPlacesItemsInCellsOfItsSpacing)
{
    FView->SetViewStyle(vsIcon);
    LRESULT Old = FView->Perform(LVM_SETICONSPACING, 0, LPARAM(uint32_t(60) | (uint32_t(50) << 16)));
    EXPECT_EQ(Old, LRESULT(75 | (70 << 16)));
    EXPECT_EQ(FView->IconSpacing(), (TSize{60, 50}));
    // 246 - 4 wide: four cells a row.
    EXPECT_EQ(FView->ItemRect(FView->Items()->Item(3)), Rect(2 + 180, 2, 2 + 240, 52));
    FView->Items()->Add()->SetCaption("echo");
    EXPECT_EQ(FView->ItemRect(FView->Items()->Item(4)).Top, 52);
    FView->SetFocus();
    FView->SetItemIndex(1);
    Press(VK_DOWN);
    EXPECT_EQ(FView->ItemIndex(), 4) << "down a row of cells";
    Press(VK_LEFT);
    EXPECT_EQ(FView->ItemIndex(), 3);
    Click(FView, 2 + 60 + 30, 2 + 20);
    EXPECT_EQ(FView->ItemIndex(), 1);
}

TEST_F(ListViewTest, ALongListScrollsByWheelAndKeysAndPaintsOnlyWhatShows)
{
    FView->Items()->BeginUpdate();
    for (int I = 0; I < 10000; ++I)
        FView->Items()->Add()->SetCaption("item " + std::to_string(I));
    FView->Items()->EndUpdate();
    int Visible = FView->VisibleRowCount();
    Wheel(FView, 50, 50, -2);
    EXPECT_EQ(FView->TopIndex(), 6);
    FView->SetFocus();
    Press(VK_END);
    EXPECT_EQ(FView->ItemIndex(), 10003);
    EXPECT_EQ(FView->TopIndex(), 10004 - Visible);
    FForm->Repaint();
    TRect Last = FView->ItemRect(FView->Items()->Item(10003));
    EXPECT_LE(Last.Bottom, FView->Height()) << "the selected item shows";
}

}  // namespace

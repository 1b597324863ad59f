// Tree views driven by mouse and keyboard: walking and folding, the veto on a change, check
// boxes, absolute order and sorting.
#include <gtest/gtest.h>

#include "Vcl.ComCtrls.h"
#include "Vcl.TestInput.h"

namespace {

class TreeViewTest : public UserInputTest {
public:
    void Changing(TObject*, TTreeNode* ANode, bool& AAllow)
    {
        FLog.push_back("changing " + ANode->Text());
        AAllow = ANode->Text() != FVetoed;
    }
    void Changed(TObject*, TTreeNode* ANode) { FLog.push_back("change " + (ANode != nullptr ? ANode->Text() : "-")); }

protected:
    void SetUp() override
    {
        UserInputTest::SetUp();
        FTree = Add<TTreeView>(Rect(10, 10, 210, 210));
        TTreeNodes* N = FTree->Items();
        FPictures = N->AddChild(nullptr, "Pictures");
        N->AddChild(FPictures, "raw");
        N->AddChild(FPictures, "jpeg");
        FVideos = N->AddChild(nullptr, "Videos");
        N->AddChild(FVideos, "mov");
        FTree->SetOnChanging(TTVChangingEvent::Bind<&TreeViewTest::Changing>(this));
        FTree->SetOnChange(TTVChangedEvent::Bind<&TreeViewTest::Changed>(this));
    }
    String SelectedText() const { return FTree->Selected() != nullptr ? FTree->Selected()->Text() : "-"; }
    std::vector<String> TakeLog() { return std::exchange(FLog, {}); }

    TTreeView* FTree = nullptr;
    TTreeNode* FPictures = nullptr;
    TTreeNode* FVideos = nullptr;
    String FVetoed;
    std::vector<String> FLog;
};

TEST_F(TreeViewTest, KeysWalkTheShownNodesAndFoldBranches)
{
    FTree->SetFocus();
    struct TCase {
        UINT Key;
        const char* Selected;
        size_t Shown;
    };
    const TCase Cases[] = {
        {VK_DOWN, "Pictures", 2}, {VK_RIGHT, "Pictures", 4}, {VK_RIGHT, "raw", 4},   {VK_DOWN, "jpeg", 4},
        {VK_DOWN, "Videos", 4},   {VK_END, "Videos", 4},     {VK_ADD, "Videos", 5},  {VK_END, "mov", 5},
        {VK_LEFT, "Videos", 5},   {VK_LEFT, "Videos", 4},    {VK_HOME, "Pictures", 4},
    };
    for (const TCase& Case : Cases) {
        Press(Case.Key);
        EXPECT_EQ(SelectedText(), Case.Selected) << Case.Key;
        EXPECT_EQ(FTree->VisibleNodes().size(), Case.Shown) << Case.Key;
    }
    Type(U"j");
    EXPECT_EQ(SelectedText(), "jpeg");
    FPictures->Collapse(false);   // a selection inside a folded branch moves to the branch
    EXPECT_EQ(SelectedText(), "Pictures");
}

TEST_F(TreeViewTest, OnChangingVetoesAChangeByTheUserAndMouseFoldsAndChecks)
{
    FTree->SetCheckBoxes(true);
    Click(FTree, 60, FTree->NodeRect(FVideos).Top + 5);
    EXPECT_EQ(TakeLog(), (std::vector<String>{"changing Videos", "change Videos"}));
    FVetoed = "Pictures";
    Click(FTree, 60, FTree->NodeRect(FPictures).Top + 5);
    EXPECT_EQ(SelectedText(), "Videos") << "vetoed";
    EXPECT_EQ(TakeLog(), (std::vector<String>{"changing Pictures"}));

    TRect Button = FTree->ButtonRect(FPictures);
    Click(FTree, Button.Left + 4, Button.Top + 4);
    EXPECT_TRUE(FPictures->Expanded());
    TRect Box = FTree->CheckRect(FPictures->Item(1));
    Click(FTree, Box.Left + 3, Box.Top + 3);
    EXPECT_TRUE(FPictures->Item(1)->Checked());
    EXPECT_EQ(SelectedText(), "jpeg");
    Press(VK_SPACE);
    EXPECT_FALSE(FPictures->Item(1)->Checked());
    FTree->SetSelected(FPictures);   // the program's choice is not asked
    EXPECT_EQ(TakeLog().back(), "change Pictures");
}

TEST_F(TreeViewTest, NodesKeepAbsoluteOrderThroughSortingAndDeleting)
{
    FTree->Items()->AddChild(FPictures, "avif");
    EXPECT_EQ(FTree->Items()->Count(), 6);
    EXPECT_EQ(FVideos->AbsoluteIndex(), 4);
    FTree->AlphaSort();
    std::vector<String> Order;
    for (TTreeNode* N = FTree->Items()->GetFirstNode(); N != nullptr; N = N->GetNext())
        Order.push_back(N->Text());
    EXPECT_EQ(Order, (std::vector<String>{"Pictures", "avif", "jpeg", "raw", "Videos", "mov"}));
    EXPECT_EQ(FTree->Items()->Item(3)->Text(), "raw");
    FTree->SetSelected(FVideos->Item(0));
    FVideos->Delete();   // the selection goes with its branch
    EXPECT_EQ(FTree->Selected(), nullptr);
    EXPECT_EQ(FTree->Items()->Count(), 4);
}

}  // namespace

// Vcl.ComCtrls.TreeView.cpp: tree views: nodes with children, images and check boxes, a
// selection the program may veto, keys and mouse that walk and fold the tree.
#include <algorithm>

#include "Rtl.SysUtils.h"
#include "Vcl.ComCtrls.h"
#include "Vcl.ImgList.h"

namespace {

void CollectVisible(const std::vector<TTreeNode*>& ANodes, std::vector<TTreeNode*>& AList)
{
    for (TTreeNode* Node : ANodes) {
        AList.push_back(Node);
        if (Node->Expanded())
            for (int I = 0; I < Node->Count(); ++I)
                CollectVisible({Node->Item(I)}, AList);
    }
}

}  // namespace

// ---- TTreeNode ---------------------------------------------------------------------------

TTreeNode::~TTreeNode()
{
    for (TTreeNode* Child : FChildren) {
        Child->FParent = nullptr;
        Child->Free();
    }
}

void TTreeNode::SetText(const String& AValue)
{
    FText = AValue;
    FOwner->Invalidate();
}

void TTreeNode::SetImageIndex(int AValue)
{
    FImageIndex = AValue;
    FOwner->Invalidate();
}

void TTreeNode::SetSelectedIndex(int AValue)
{
    FSelectedIndex = AValue;
    FOwner->Invalidate();
}

void TTreeNode::SetChecked(bool AValue)
{
    if (AValue == FChecked)
        return;
    FChecked = AValue;
    FOwner->Invalidate();
    if (FOwner->FOnCheckChanged)
        FOwner->FOnCheckChanged(FOwner, this);
}

void TTreeNode::SetExpanded(bool AValue)
{
    if (AValue == FExpanded)
        return;
    FExpanded = AValue;
    // A selection inside a folded branch moves to the branch.
    if (!AValue && FOwner->FSelected != nullptr)
        for (TTreeNode* P = FOwner->FSelected->FParent; P != nullptr; P = P->FParent)
            if (P == this) {
                FOwner->SelectByUser(this);
                break;
            }
    FOwner->Changed();
}

void TTreeNode::Expand(bool ARecurse)
{
    SetExpanded(true);
    if (ARecurse)
        for (TTreeNode* Child : FChildren)
            Child->Expand(true);
}

void TTreeNode::Collapse(bool ARecurse)
{
    if (ARecurse)
        for (TTreeNode* Child : FChildren)
            Child->Collapse(true);
    SetExpanded(false);
}

bool TTreeNode::Selected() const
{
    return FOwner->FSelected == this;
}

void TTreeNode::SetSelected(bool AValue)
{
    if (AValue)
        FOwner->SetSelected(this);
    else if (Selected())
        FOwner->SetSelected(nullptr);
}

TTreeNode* TTreeNode::Item(int AIndex) const
{
    if (AIndex < 0 || AIndex >= Count())
        RaiseListIndexError(AIndex);
    return FChildren[size_t(AIndex)];
}

int TTreeNode::Level() const
{
    int Level = 0;
    for (TTreeNode* P = FParent; P != nullptr; P = P->FParent)
        ++Level;
    return Level;
}

int TTreeNode::Index() const
{
    const auto& Siblings = FParent != nullptr ? FParent->FChildren : FOwner->FItems->FRoots;
    return int(std::find(Siblings.begin(), Siblings.end(), this) - Siblings.begin());
}

int TTreeNode::AbsoluteIndex() const
{
    int Index = 0;
    for (TTreeNode* N = FOwner->FItems->GetFirstNode(); N != nullptr && N != this; N = N->GetNext())
        ++Index;
    return Index;
}

TTreeNode* TTreeNode::GetNextSibling() const
{
    const auto& Siblings = FParent != nullptr ? FParent->FChildren : FOwner->FItems->FRoots;
    size_t I = size_t(Index());
    return I + 1 < Siblings.size() ? Siblings[I + 1] : nullptr;
}

TTreeNode* TTreeNode::GetPrevSibling() const
{
    const auto& Siblings = FParent != nullptr ? FParent->FChildren : FOwner->FItems->FRoots;
    int I = Index();
    return I > 0 ? Siblings[size_t(I - 1)] : nullptr;
}

TTreeNode* TTreeNode::GetNext() const
{
    if (!FChildren.empty())
        return FChildren.front();
    for (const TTreeNode* N = this; N != nullptr; N = N->FParent)
        if (TTreeNode* Next = N->GetNextSibling())
            return Next;
    return nullptr;
}

void TTreeNode::Delete()
{
    TTreeView* Owner = FOwner;
    Owner->NodeGone(this);
    std::erase(Owner->FItems->SiblingsOf(FParent), this);
    Free();
    Owner->Changed();
}

// ---- TTreeNodes --------------------------------------------------------------------------

TTreeNodes::~TTreeNodes()
{
    for (TTreeNode* Root : FRoots)
        Root->Free();
}

int TTreeNodes::Count() const
{
    int Count = 0;
    for (TTreeNode* N = GetFirstNode(); N != nullptr; N = N->GetNext())
        ++Count;
    return Count;
}

TTreeNode* TTreeNodes::Item(int AIndex) const
{
    int Index = 0;
    for (TTreeNode* N = GetFirstNode(); N != nullptr; N = N->GetNext(), ++Index)
        if (Index == AIndex)
            return N;
    RaiseListIndexError(AIndex);
    return nullptr;
}

TTreeNode* TTreeNodes::AddChildObject(TTreeNode* AParent, const String& AText, void* AData)
{
    TTreeNode* Node = TTreeNode::Create(FOwner, AParent);
    Node->FText = AText;
    Node->FData = AData;
    SiblingsOf(AParent).push_back(Node);
    FOwner->Changed();
    return Node;
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* AParent, const String& AText)
{
    return AddChildObject(AParent, AText, nullptr);
}

TTreeNode* TTreeNodes::AddObject(TTreeNode* ASibling, const String& AText, void* AData)
{
    return AddChildObject(ASibling != nullptr ? ASibling->FParent : nullptr, AText, AData);
}

TTreeNode* TTreeNodes::Add(TTreeNode* ASibling, const String& AText)
{
    return AddObject(ASibling, AText, nullptr);
}

void TTreeNodes::Clear()
{
    BeginUpdate();
    while (!FRoots.empty())
        FRoots.back()->Delete();
    EndUpdate();
}

void TTreeNodes::BeginUpdate()
{
    ++FOwner->FUpdateCount;
}

void TTreeNodes::EndUpdate()
{
    if (FOwner->FUpdateCount > 0 && --FOwner->FUpdateCount == 0)
        FOwner->Changed();
}

// ---- TTreeView ---------------------------------------------------------------------------

void TTreeView::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FItems = TTreeNodes::Create(this);
    SetBounds(0, 0, 121, 97);
    SetTabStop(true);
    SetColor(clWindow);
    SetControlStyle(TControlStyle(ControlStyle()).Exclude(csClickEvents));
}

TTreeView::~TTreeView()
{
    FSelected = nullptr;
    if (FItems != nullptr)
        FItems->Free();
}

void TTreeView::Changed()
{
    if (FUpdateCount == 0)
        Invalidate();
}

void TTreeView::NodeGone(TTreeNode* ANode)
{
    for (TTreeNode* S = FSelected; S != nullptr; S = S->FParent)
        if (S == ANode) {
            FSelected = nullptr;
            return;
        }
}

void TTreeView::SetImages(TCustomImageList* AValue)
{
    FImages = AValue;
    Invalidate();
}

void TTreeView::SetCheckBoxes(bool AValue)
{
    FCheckBoxes = AValue;
    Invalidate();
}

void TTreeView::SetIndent(int AValue)
{
    FIndent = std::max(AValue, 8);
    Invalidate();
}

void TTreeView::SetSelected(TTreeNode* AValue)
{
    if (AValue == FSelected)
        return;
    FSelected = AValue;
    if (AValue != nullptr)
        MakeVisible(AValue);
    Invalidate();
    if (FOnChange)
        FOnChange(this, AValue);
}

bool TTreeView::SelectByUser(TTreeNode* ANode)
{
    if (ANode == nullptr || ANode == FSelected)
        return false;
    bool Allow = true;
    if (FOnChanging)
        FOnChanging(this, ANode, Allow);
    if (!Allow)
        return false;
    SetSelected(ANode);
    return true;
}

std::vector<TTreeNode*> TTreeView::VisibleNodes() const
{
    std::vector<TTreeNode*> List;
    CollectVisible(FItems->FRoots, List);
    return List;
}

int TTreeView::RowHeight() const
{
    Canvas()->Font()->Assign(Font());
    int Text = Canvas()->TextHeight("Wg") + 4;
    return std::max({Text, FImages != nullptr ? FImages->Height() + 2 : 0, FCheckBoxes ? 17 : 0});
}

TRect TTreeView::ListArea() const
{
    int Bar = FScrolling ? FScroll.Bounds.Width() : 0;
    return Rect(2, 2, std::max(Width() - 2 - Bar, 2), std::max(Height() - 2, 2));
}

void TTreeView::UpdateScrollBar(int ARows) const
{
    int Bar = StyleServices()->Metrics().ScrollBarSize;
    FScroll.Bounds = Rect(Width() - 2 - Bar, 2, Width() - 2, Height() - 2);
    FScroll.Min = 0;
    FScroll.Max = std::max(ARows - 1, 0);
    FScroll.Page = std::max((Height() - 4) / RowHeight(), 1);
    FScrolling = ARows > FScroll.Page;
    FScroll.SetPosition(FScrolling ? FScroll.Position : 0);
}

TTreeNode* TTreeView::TopItem() const
{
    std::vector<TTreeNode*> Nodes = VisibleNodes();
    UpdateScrollBar(int(Nodes.size()));
    return FScroll.Position < int(Nodes.size()) ? Nodes[size_t(FScroll.Position)] : nullptr;
}

void TTreeView::SetTopItem(TTreeNode* AValue)
{
    std::vector<TTreeNode*> Nodes = VisibleNodes();
    UpdateScrollBar(int(Nodes.size()));
    auto Found = std::find(Nodes.begin(), Nodes.end(), AValue);
    if (Found != Nodes.end() && FScroll.SetPosition(int(Found - Nodes.begin())))
        Invalidate();
}

void TTreeView::MakeVisible(TTreeNode* ANode)
{
    for (TTreeNode* P = ANode->FParent; P != nullptr; P = P->FParent)
        P->FExpanded = true;
    std::vector<TTreeNode*> Nodes = VisibleNodes();
    UpdateScrollBar(int(Nodes.size()));
    int Row = int(std::find(Nodes.begin(), Nodes.end(), ANode) - Nodes.begin());
    if (Row < FScroll.Position)
        FScroll.SetPosition(Row);
    else if (Row >= FScroll.Position + FScroll.Page)
        FScroll.SetPosition(Row - FScroll.Page + 1);
}

TRect TTreeView::NodeRect(const TTreeNode* ANode) const
{
    std::vector<TTreeNode*> Nodes = VisibleNodes();
    UpdateScrollBar(int(Nodes.size()));
    auto Found = std::find(Nodes.begin(), Nodes.end(), ANode);
    if (Found == Nodes.end())
        return Rect(0, 0, 0, 0);
    TRect Area = ListArea();
    int Top = Area.Top + (int(Found - Nodes.begin()) - FScroll.Position) * RowHeight();
    return Rect(Area.Left, Top, Area.Right, Top + RowHeight());
}

TRect TTreeView::ButtonRect(const TTreeNode* ANode) const
{
    TRect Row = NodeRect(ANode);
    int Left = Row.Left + ANode->Level() * FIndent + (FIndent - 9) / 2;
    int Top = Row.Top + (Row.Height() - 9) / 2;
    return Rect(Left, Top, Left + 9, Top + 9);
}

TRect TTreeView::CheckRect(const TTreeNode* ANode) const
{
    TRect Row = NodeRect(ANode);
    int Left = Row.Left + (ANode->Level() + 1) * FIndent;
    int Top = Row.Top + (Row.Height() - 13) / 2;
    return Rect(Left, Top, Left + 13, Top + 13);
}

TTreeNode* TTreeView::GetNodeAt(int AX, int AY) const
{
    TRect Area = ListArea();
    if (!PtInRect(Area, Point(AX, AY)))
        return nullptr;
    std::vector<TTreeNode*> Nodes = VisibleNodes();
    UpdateScrollBar(int(Nodes.size()));
    int Row = (AY - Area.Top) / RowHeight() + FScroll.Position;
    return Row < int(Nodes.size()) ? Nodes[size_t(Row)] : nullptr;
}

void TTreeView::AlphaSort(bool ARecurse)
{
    auto Less = [this](TTreeNode* A, TTreeNode* B) {
        int Compare = 0;
        if (FOnCompare)
            FOnCompare(this, A, B, 0, Compare);
        else
            Compare = CompareText(A->Text(), B->Text());
        return Compare < 0;
    };
    std::stable_sort(FItems->FRoots.begin(), FItems->FRoots.end(), Less);
    if (ARecurse)
        for (TTreeNode* N = FItems->GetFirstNode(); N != nullptr; N = N->GetNext())
            std::stable_sort(N->FChildren.begin(), N->FChildren.end(), Less);
    Changed();
}

void TTreeView::FullExpand()
{
    for (TTreeNode* Root : FItems->FRoots)
        Root->Expand(true);
}

void TTreeView::FullCollapse()
{
    for (TTreeNode* Root : FItems->FRoots)
        Root->Collapse(true);
}

void TTreeView::WndProc(TMessage& AMessage)
{
    switch (AMessage.Msg) {
    case WM_GETDLGCODE:
        AMessage.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Invalidate();
        break;
    default:
        break;
    }
    inherited::WndProc(AMessage);
}

void TTreeView::KeyDown(uint16_t& AKey, TShiftState AShift)
{
    inherited::KeyDown(AKey, AShift);
    FTyped.clear();
    std::vector<TTreeNode*> Nodes = VisibleNodes();
    if (Nodes.empty())
        return;
    int Row = int(std::find(Nodes.begin(), Nodes.end(), FSelected) - Nodes.begin());
    bool None = Row >= int(Nodes.size());
    int Page = std::max((Height() - 4) / RowHeight() - 1, 1);
    int Last = int(Nodes.size()) - 1;
    TTreeNode* Node = FSelected;
    switch (AKey) {
    case VK_UP: SelectByUser(Nodes[size_t(None ? 0 : std::max(Row - 1, 0))]); break;
    case VK_DOWN: SelectByUser(Nodes[size_t(None ? 0 : std::min(Row + 1, Last))]); break;
    case VK_PRIOR: SelectByUser(Nodes[size_t(None ? 0 : std::max(Row - Page, 0))]); break;
    case VK_NEXT: SelectByUser(Nodes[size_t(None ? 0 : std::min(Row + Page, Last))]); break;
    case VK_HOME: SelectByUser(Nodes.front()); break;
    case VK_END: SelectByUser(Nodes.back()); break;
    case VK_LEFT:
        // Folds an open branch, else goes to the parent.
        if (Node != nullptr && Node->Expanded() && Node->HasChildren())
            Node->Collapse(false);
        else if (Node != nullptr && Node->Parent() != nullptr)
            SelectByUser(Node->Parent());
        break;
    case VK_RIGHT:
        if (Node != nullptr && Node->HasChildren()) {
            if (!Node->Expanded())
                Node->Expand(false);
            else
                SelectByUser(Node->GetFirstChild());
        }
        break;
    case VK_ADD:
        if (Node != nullptr)
            Node->Expand(false);
        break;
    case VK_SUBTRACT:
        if (Node != nullptr)
            Node->Collapse(false);
        break;
    case VK_SPACE:
        if (Node != nullptr && FCheckBoxes)
            Node->SetChecked(!Node->Checked());
        break;
    default:
        return;
    }
    AKey = 0;
}

void TTreeView::KeyPress(char32_t& AKey)
{
    inherited::KeyPress(AKey);
    if (AKey <= ' ' || AKey == 0x7F || AKey == '+' || AKey == '-')
        return;
    std::vector<TTreeNode*> Nodes = VisibleNodes();
    int From = int(std::find(Nodes.begin(), Nodes.end(), FSelected) - Nodes.begin());
    if (From >= int(Nodes.size()))
        From = -1;
    int Found = FindTyped(
        int(Nodes.size()), [&Nodes](int I) { return Nodes[size_t(I)]->Text(); }, From, TypedSoFar(FTyped, FTypedAt, AKey));
    if (Found >= 0)
        SelectByUser(Nodes[size_t(Found)]);
}

void TTreeView::MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY)
{
    inherited::MouseDown(AButton, AShift, AX, AY);
    if (AButton != mbLeft || AShift.Contains(ssDouble))
        return;
    if (FScrolling && PtInRect(FScroll.Bounds, Point(AX, AY))) {
        FScroll.MouseDown(Point(AX, AY), 1, std::max(FScroll.Page - 1, 1));
        Invalidate();
        return;
    }
    TTreeNode* Node = GetNodeAt(AX, AY);
    if (Node == nullptr)
        return;
    TRect Button = ButtonRect(Node);
    if (Node->HasChildren() && AX >= Button.Left - 2 && AX < Button.Right + 2) {
        Node->SetExpanded(!Node->Expanded());
        return;
    }
    if (FCheckBoxes && PtInRect(CheckRect(Node), Point(AX, AY)))
        Node->SetChecked(!Node->Checked());
    SelectByUser(Node);
}

void TTreeView::MouseMove(TShiftState AShift, int AX, int AY)
{
    inherited::MouseMove(AShift, AX, AY);
    if (FScroll.Dragging() && FScroll.SetPosition(FScroll.TrackPosition(Point(AX, AY))))
        Invalidate();
}

void TTreeView::MouseUp(TMouseButton AButton, TShiftState AShift, int AX, int AY)
{
    FScroll.MouseUp();
    inherited::MouseUp(AButton, AShift, AX, AY);
}

void TTreeView::DblClick()
{
    inherited::DblClick();
    if (FSelected != nullptr && FSelected->HasChildren())
        FSelected->SetExpanded(!FSelected->Expanded());
}

bool TTreeView::DoMouseWheel(TShiftState AShift, int AWheelDelta, TPoint AMousePos)
{
    if (inherited::DoMouseWheel(AShift, AWheelDelta, AMousePos))
        return true;
    UpdateScrollBar(int(VisibleNodes().size()));
    if (FScroll.SetPosition(FScroll.Position - AWheelDelta * 3 / WHEEL_DELTA))
        Invalidate();
    return true;
}

void TTreeView::Paint()
{
    TCustomStyleServices* Style = StyleServices();
    std::vector<TTreeNode*> Nodes = VisibleNodes();
    UpdateScrollBar(int(Nodes.size()));
    Style->DrawElement(Canvas(), Style->GetElementDetails(Enabled() ? teEditTextNormal : teEditTextDisabled), ClientRect());
    TRect Area = ListArea();
    Canvas()->Brush()->SetColor(Color() == clWindow ? Style->GetStyleColor(scTreeView) : StyledColor(Color()));
    Canvas()->FillRect(Area);
    Canvas()->Font()->Assign(Font());
    int Row = RowHeight();
    TColor Lines = StyledColor(clGrayText);
    int Last = std::min(int(Nodes.size()), FScroll.Position + FScroll.Page + 1);
    for (int R = FScroll.Position; R < Last; ++R) {
        TTreeNode* Node = Nodes[size_t(R)];
        int Top = Area.Top + (R - FScroll.Position) * Row;
        int Left = Area.Left + (Node->Level() + 1) * FIndent;
        if (Node->HasChildren()) {
            // The expand button: a box with a minus, and a plus while folded.
            TRect B = ButtonRect(Node);
            Canvas()->Brush()->SetColor(Lines);
            Canvas()->FrameRect(B);
            int MidY = (B.Top + B.Bottom) / 2;
            int MidX = (B.Left + B.Right) / 2;
            Canvas()->FillRect(Rect(B.Left + 2, MidY, B.Right - 2, MidY + 1));
            if (!Node->Expanded())
                Canvas()->FillRect(Rect(MidX, B.Top + 2, MidX + 1, B.Bottom - 2));
        }
        if (FCheckBoxes) {
            Style->DrawElement(Canvas(), Style->GetElementDetails(Node->Checked() ? tbCheckBoxCheckedNormal
                                                                                  : tbCheckBoxUncheckedNormal),
                               CheckRect(Node));
            Left += 16;
        }
        bool Selected = Node == FSelected;
        int Image = Selected && Node->SelectedIndex() >= 0 ? Node->SelectedIndex() : Node->ImageIndex();
        if (FImages != nullptr && Image >= 0) {
            FImages->Draw(Canvas(), Left, Top + (Row - FImages->Height()) / 2, Image);
            Left += FImages->Width() + 3;
        }
        TRect Text = Rect(Left, Top, Left, Top + Row);
        Canvas()->TextRect(Text, Node->Text(), {tfCalcRect, tfSingleLine, tfNoPrefix});
        Text = Rect(Left, Top, std::min(Left + Text.Width() + 4, Area.Right), Top + Row);
        if (Selected)
            Style->DrawElement(Canvas(), Style->GetElementDetails(Focused() ? tlListItemSelected
                                                                            : tlListItemSelectedNotFocus),
                               Text);
        DrawCaption(Canvas(), Node->Text(), Rect(Text.Left + 2, Text.Top, Text.Right, Text.Bottom),
                    {tfSingleLine, tfVerticalCenter, tfNoPrefix},
                    Style->GetStyleFontColor(Selected ? sfListItemTextSelected : sfListItemTextNormal));
        if (Selected && Focused())
            Style->DrawFocusRect(Canvas(), Text);
    }
    if (FScrolling)
        FScroll.Paint(Canvas(), Style, TScrollBarPart::hNone);
}

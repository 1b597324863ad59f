// Vcl.ComCtrls.ListView.cpp: list views: items, columns, groups; report and icon views.
#include <algorithm>

#include "Rtl.SysUtils.h"
#include "Vcl.ComCtrls.h"
#include "Vcl.ImgList.h"

// ---- TListColumn -------------------------------------------------------------------------

void TListColumn::SetCaption(const String& AValue)
{
    FCaption = AValue;
    FOwner->Invalidate();
}

void TListColumn::SetWidth(int AValue)
{
    FWidth = std::max(AValue, 0);
    FOwner->Invalidate();
}

void TListColumn::SetAlignment(TAlignment AValue)
{
    FAlignment = AValue;
    FOwner->Invalidate();
}

void TListColumn::SetImageIndex(int AValue)
{
    FImageIndex = AValue;
    FOwner->Invalidate();
}

int TListColumn::Index() const
{
    const auto& Columns = FOwner->FColumns;
    return int(std::find(Columns.begin(), Columns.end(), this) - Columns.begin());
}

// ---- TListItem ---------------------------------------------------------------------------

void TListItem::Construct(TListView* AOwner, int AID)
{
    inherited::Construct();
    FOwner = AOwner;
    FID = AID;
    FSubItems = TStringList::Create();
    FSubItems->SetOnChange(TNotifyEvent::Bind<&TListItem::SubItemsChanged>(this));
}

TListItem::~TListItem()
{
    if (FSubItems != nullptr)
        FSubItems->Free();
}

void TListItem::SubItemsChanged(TObject*)
{
    FOwner->Invalidate();
}

void TListItem::SetCaption(const String& AValue)
{
    FCaption = AValue;
    FOwner->Invalidate();
}

void TListItem::SetImageIndex(int AValue)
{
    FImageIndex = AValue;
    FOwner->Invalidate();
}

void TListItem::SetGroupID(int AValue)
{
    FGroupID = AValue;
    FOwner->Changed();
}

void TListItem::SetChecked(bool AValue)
{
    if (AValue == FChecked)
        return;
    FChecked = AValue;
    FOwner->Invalidate();
    if (FOwner->FOnItemChecked)
        FOwner->FOnItemChecked(FOwner, this);
}

bool TListItem::Selected() const
{
    return FOwner->FSelected == this;
}

void TListItem::SetSelected(bool AValue)
{
    if (AValue)
        FOwner->SetSelected(this);
    else if (Selected())
        FOwner->SetSelected(nullptr);
}

int TListItem::Index() const
{
    return FOwner->FItems->IndexOf(this);
}

void TListItem::MakeVisible()
{
    int Row = FOwner->RowOf(this);
    if (Row < 0)
        return;
    int Visible = FOwner->VisibleRowCount();
    if (FOwner->FViewStyle == vsIcon)
        Row /= std::max(FOwner->IconColumns(), 1);
    if (Row < FOwner->TopIndex())
        FOwner->SetTopIndex(Row);
    else if (Row >= FOwner->TopIndex() + Visible)
        FOwner->SetTopIndex(Row - Visible + 1);
}

// ---- TListItems --------------------------------------------------------------------------

TListItems::~TListItems()
{
    for (TListItem* Item : FItems)
        Item->Free();
}

TListItem* TListItems::Item(int AIndex) const
{
    if (AIndex < 0 || AIndex >= Count())
        RaiseListIndexError(AIndex);
    return FItems[size_t(AIndex)];
}

TListItem* TListItems::Add()
{
    return Insert(Count());
}

TListItem* TListItems::Insert(int AIndex)
{
    TListItem* Item = TListItem::Create(FOwner, FNextID++);
    FItems.insert(FItems.begin() + std::clamp(AIndex, 0, Count()), Item);
    FOwner->Changed();
    return Item;
}

void TListItems::Delete(int AIndex)
{
    TListItem* Item = this->Item(AIndex);
    FItems.erase(FItems.begin() + AIndex);
    FOwner->ItemGone(Item);
    Item->Free();
    FOwner->Changed();
}

void TListItems::Clear()
{
    BeginUpdate();
    while (!FItems.empty())
        Delete(Count() - 1);
    EndUpdate();
}

int TListItems::IndexOf(const TListItem* AItem) const
{
    auto Found = std::find(FItems.begin(), FItems.end(), AItem);
    return Found == FItems.end() ? -1 : int(Found - FItems.begin());
}

TListItem* TListItems::FindItemByID(int AID) const
{
    for (TListItem* Item : FItems)
        if (Item->ID() == AID)
            return Item;
    return nullptr;
}

void TListItems::BeginUpdate()
{
    ++FOwner->FUpdateCount;
}

void TListItems::EndUpdate()
{
    if (FOwner->FUpdateCount > 0 && --FOwner->FUpdateCount == 0)
        FOwner->Changed();
}

// ---- TListView ---------------------------------------------------------------------------

void TListView::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FItems = TListItems::Create(this);
    SetBounds(0, 0, 250, 150);
    SetTabStop(true);
    SetColor(clWindow);
    SetControlStyle(TControlStyle(ControlStyle()).Exclude(csClickEvents));
}

TListView::~TListView()
{
    FSelected = nullptr;
    if (FItems != nullptr)
        FItems->Free();
    ClearColumns();
}

TListColumn* TListView::Column(int AIndex) const
{
    if (AIndex < 0 || AIndex >= ColumnCount())
        RaiseListIndexError(AIndex);
    return FColumns[size_t(AIndex)];
}

TListColumn* TListView::AddColumn()
{
    TListColumn* Column = TListColumn::Create(this);
    FColumns.push_back(Column);
    Invalidate();
    return Column;
}

void TListView::ClearColumns()
{
    for (TListColumn* Column : FColumns)
        Column->Free();
    FColumns.clear();
    Invalidate();
}

void TListView::SetViewStyle(TViewStyle AValue)
{
    FViewStyle = AValue;
    Changed();
}

void TListView::SetCheckboxes(bool AValue)
{
    FCheckboxes = AValue;
    Invalidate();
}

void TListView::SetGroupView(bool AValue)
{
    FGroupView = AValue;
    Changed();
}

void TListView::AddGroup(int AGroupID, const String& AHeader)
{
    FGroups.push_back(TListGroup{AGroupID, AHeader});
    Changed();
}

void TListView::ClearGroups()
{
    FGroups.clear();
    Changed();
}

void TListView::SetLargeImages(TCustomImageList* AValue)
{
    FLargeImages = AValue;
    Invalidate();
}

void TListView::SetSmallImages(TCustomImageList* AValue)
{
    FSmallImages = AValue;
    Invalidate();
}

void TListView::SetIconSpacing(TSize AValue)
{
    FIconSpacing = TSize{std::max(AValue.cx, 1), std::max(AValue.cy, 1)};
    Changed();
}

// The rows change: they are found again when next needed.
void TListView::Changed()
{
    FRowsValid = false;
    if (FUpdateCount == 0)
        Invalidate();
}

void TListView::ItemGone(TListItem* AItem)
{
    if (FSelected == AItem)
        FSelected = nullptr;
}

void TListView::Resize()
{
    inherited::Resize();
    FRowsValid = false;
}

int TListView::RowHeight() const
{
    Canvas()->Font()->Assign(Font());
    int Text = Canvas()->TextHeight("Wg") + 4;
    int Image = FSmallImages != nullptr ? FSmallImages->Height() + 2 : 0;
    return std::max({Text, Image, FCheckboxes ? 17 : 0});
}

int TListView::HeaderHeight() const
{
    if (FViewStyle != vsReport)
        return 0;
    Canvas()->Font()->Assign(Font());
    return Canvas()->TextHeight("Wg") + 8;
}

TRect TListView::ListArea() const
{
    int Bar = FScrolling ? FScroll.Bounds.Width() : 0;
    return Rect(2, 2 + HeaderHeight(), std::max(Width() - 2 - Bar, 2), std::max(Height() - 2, 2 + HeaderHeight()));
}

int TListView::IconColumns() const
{
    return std::max((ListArea().Width()) / FIconSpacing.cx, 1);
}

// Report and list views show a row per item (with group headers in group view); the icon
// view shows rows of cells.
void TListView::BuildRows() const
{
    if (FRowsValid)
        return;
    FRows.clear();
    FRows.reserve(size_t(FItems->Count()) + FGroups.size());
    if (FGroupView && FViewStyle == vsReport) {
        for (const TListGroup& Group : FGroups) {
            FRows.push_back(TRow{nullptr, &Group});
            if (Group.Collapsed)
                continue;
            for (TListItem* Item : FItems->FItems)
                if (Item->GroupID() == Group.GroupID)
                    FRows.push_back(TRow{Item, &Group});
        }
    } else {
        for (TListItem* Item : FItems->FItems)
            FRows.push_back(TRow{Item, nullptr});
    }
    FRowsValid = true;
    UpdateScrollBar();
}

int TListView::RowOf(const TListItem* AItem) const
{
    BuildRows();
    for (size_t I = 0; I < FRows.size(); ++I)
        if (FRows[I].Item == AItem)
            return int(I);
    return -1;
}

int TListView::VisibleRowCount() const
{
    int Height = ListArea().Height();
    int Row = FViewStyle == vsIcon ? FIconSpacing.cy : RowHeight();
    return std::max(Height / Row, 1);
}

void TListView::UpdateScrollBar() const
{
    int Lines = FViewStyle == vsIcon ? (int(FRows.size()) + IconColumns() - 1) / IconColumns() : int(FRows.size());
    int Bar = StyleServices()->Metrics().ScrollBarSize;
    FScroll.Bounds = Rect(Width() - 2 - Bar, 2 + HeaderHeight(), Width() - 2, Height() - 2);
    FScroll.Min = 0;
    FScroll.Max = std::max(Lines - 1, 0);
    FScroll.Page = VisibleRowCount();
    FScrolling = Lines > FScroll.Page;
    FScroll.SetPosition(FScrolling ? FScroll.Position : 0);
}

void TListView::SetTopIndex(int AValue)
{
    BuildRows();
    if (FScroll.SetPosition(AValue))
        Invalidate();
}

void TListView::SetSelected(TListItem* AValue)
{
    if (AValue == FSelected)
        return;
    TListItem* Old = FSelected;
    FSelected = AValue;
    Invalidate();
    if (FOnSelectItem && Old != nullptr)
        FOnSelectItem(this, Old, false);
    if (FOnSelectItem && AValue != nullptr)
        FOnSelectItem(this, AValue, true);
}

void TListView::SetItemIndex(int AValue)
{
    SetSelected(AValue >= 0 && AValue < FItems->Count() ? FItems->Item(AValue) : nullptr);
}

void TListView::SelectByUser(TListItem* AItem)
{
    if (AItem == nullptr)
        return;
    SetSelected(AItem);
    AItem->MakeVisible();
}

void TListView::ToggleCheck(TListItem* AItem)
{
    if (AItem != nullptr && FCheckboxes)
        AItem->SetChecked(!AItem->Checked());
}

bool TListView::CustomSort(TLVCompare ACompare, LPARAM AParam)
{
    if (ACompare == nullptr)
        return AlphaSort();
    std::stable_sort(FItems->FItems.begin(), FItems->FItems.end(), [&](TListItem* A, TListItem* B) {
        return ACompare(reinterpret_cast<LPARAM>(A), reinterpret_cast<LPARAM>(B), AParam) < 0;
    });
    Changed();
    return true;
}

bool TListView::AlphaSort()
{
    std::stable_sort(FItems->FItems.begin(), FItems->FItems.end(), [this](TListItem* A, TListItem* B) {
        int Compare = 0;
        if (FOnCompare)
            FOnCompare(this, A, B, 0, Compare);
        else
            Compare = CompareText(A->Caption(), B->Caption());
        return Compare < 0;
    });
    Changed();
    return true;
}

TRect TListView::ItemRect(const TListItem* AItem) const
{
    int Row = RowOf(AItem);
    if (Row < 0)
        return Rect(0, 0, 0, 0);
    TRect Area = ListArea();
    if (FViewStyle == vsIcon) {
        int Columns = IconColumns();
        int Line = Row / Columns - TopIndex();
        int Left = Area.Left + (Row % Columns) * FIconSpacing.cx;
        int Top = Area.Top + Line * FIconSpacing.cy;
        return Rect(Left, Top, Left + FIconSpacing.cx, Top + FIconSpacing.cy);
    }
    int Top = Area.Top + (Row - TopIndex()) * RowHeight();
    return Rect(Area.Left, Top, Area.Right, Top + RowHeight());
}

TRect TListView::CheckRect(const TRect& AItemRect) const
{
    int Top = AItemRect.Top + (AItemRect.Height() - 13) / 2;
    if (FViewStyle == vsIcon)
        return Rect(AItemRect.Left + 2, AItemRect.Top + 2, AItemRect.Left + 15, AItemRect.Top + 15);
    return Rect(AItemRect.Left + 2, Top, AItemRect.Left + 15, Top + 13);
}

TListItem* TListView::GetItemAt(int AX, int AY) const
{
    BuildRows();
    TRect Area = ListArea();
    if (!PtInRect(Area, Point(AX, AY)))
        return nullptr;
    int Row = 0;
    if (FViewStyle == vsIcon) {
        int Column = (AX - Area.Left) / FIconSpacing.cx;
        if (Column >= IconColumns())
            return nullptr;
        Row = ((AY - Area.Top) / FIconSpacing.cy + TopIndex()) * IconColumns() + Column;
    } else {
        Row = (AY - Area.Top) / RowHeight() + TopIndex();
    }
    return Row < int(FRows.size()) ? FRows[size_t(Row)].Item : nullptr;
}

int TListView::ColumnAt(int AX, int AY) const
{
    if (FViewStyle != vsReport || AY < 2 || AY >= 2 + HeaderHeight())
        return -1;
    int Left = 2;
    for (size_t I = 0; I < FColumns.size(); ++I) {
        if (AX >= Left && AX < Left + FColumns[I]->Width())
            return int(I);
        Left += FColumns[I]->Width();
    }
    return -1;
}

void TListView::WndProc(TMessage& AMessage)
{
    switch (AMessage.Msg) {
    case WM_GETDLGCODE:
        AMessage.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return;
    case LVM_SETICONSPACING: {
        TSize Old = FIconSpacing;
        int CX = int(AMessage.LParam & 0xFFFF);
        int CY = int((AMessage.LParam >> 16) & 0xFFFF);
        SetIconSpacing(TSize{CX == 0xFFFF ? Old.cx : CX, CY == 0xFFFF ? Old.cy : CY});
        AMessage.Result = LRESULT(uint32_t(Old.cx) | (uint32_t(Old.cy) << 16));
        return;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Invalidate();
        break;
    default:
        break;
    }
    inherited::WndProc(AMessage);
}

void TListView::KeyDown(uint16_t& AKey, TShiftState AShift)
{
    inherited::KeyDown(AKey, AShift);
    BuildRows();
    FTyped.clear();
    if (AKey == VK_SPACE) {
        ToggleCheck(FSelected);
        return;
    }
    int Step = FViewStyle == vsIcon ? IconColumns() : 1;
    int Page = std::max(VisibleRowCount() - 1, 1) * Step;
    int Row = FSelected != nullptr ? RowOf(FSelected) : -1;
    int Count = int(FRows.size());
    int Target = Row;
    switch (AKey) {
    case VK_UP: Target = Row < 0 ? 0 : Row - Step; break;
    case VK_DOWN: Target = Row < 0 ? 0 : Row + Step; break;
    case VK_LEFT: Target = FViewStyle == vsIcon ? Row - 1 : Row; break;
    case VK_RIGHT: Target = FViewStyle == vsIcon ? Row + 1 : Row; break;
    case VK_PRIOR: Target = Row - Page; break;
    case VK_NEXT: Target = std::max(Row, 0) + Page; break;
    case VK_HOME: Target = 0; break;
    case VK_END: Target = Count - 1; break;
    default: return;
    }
    AKey = 0;
    if (Count == 0)
        return;
    Target = std::clamp(Target, 0, Count - 1);
    // Group headers are passed over in the direction of the move.
    int Direction = Target < Row ? -1 : 1;
    while (Target >= 0 && Target < Count && FRows[size_t(Target)].Item == nullptr)
        Target += Direction;
    if (Target >= 0 && Target < Count)
        SelectByUser(FRows[size_t(Target)].Item);
}

void TListView::KeyPress(char32_t& AKey)
{
    inherited::KeyPress(AKey);
    if (AKey <= ' ' || AKey == 0x7F || FItems->Count() == 0)
        return;
    int Found = FindTyped(
        FItems->Count(), [this](int I) { return FItems->Item(I)->Caption(); }, ItemIndex(),
        TypedSoFar(FTyped, FTypedAt, AKey));
    if (Found >= 0)
        SelectByUser(FItems->Item(Found));
}

void TListView::MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY)
{
    inherited::MouseDown(AButton, AShift, AX, AY);
    if (AButton != mbLeft)
        return;
    BuildRows();
    if (FScrolling && PtInRect(FScroll.Bounds, Point(AX, AY))) {
        FScroll.MouseDown(Point(AX, AY), 1, std::max(VisibleRowCount() - 1, 1));
        Invalidate();
        return;
    }
    FPressedColumn = ColumnAt(AX, AY);
    if (FPressedColumn >= 0) {
        Invalidate();
        return;
    }
    TListItem* Item = GetItemAt(AX, AY);
    if (Item == nullptr)
        return;
    if (FCheckboxes && PtInRect(CheckRect(ItemRect(Item)), Point(AX, AY)))
        ToggleCheck(Item);
    SelectByUser(Item);
}

void TListView::MouseMove(TShiftState AShift, int AX, int AY)
{
    inherited::MouseMove(AShift, AX, AY);
    if (FScroll.Dragging())
        SetTopIndex(FScroll.TrackPosition(Point(AX, AY)));
}

void TListView::MouseUp(TMouseButton AButton, TShiftState AShift, int AX, int AY)
{
    FScroll.MouseUp();
    int Pressed = FPressedColumn;
    FPressedColumn = -1;
    if (Pressed >= 0) {
        Invalidate();
        if (ColumnAt(AX, AY) == Pressed && FOnColumnClick)
            FOnColumnClick(this, FColumns[size_t(Pressed)]);
    }
    inherited::MouseUp(AButton, AShift, AX, AY);
}

bool TListView::DoMouseWheel(TShiftState AShift, int AWheelDelta, TPoint AMousePos)
{
    if (inherited::DoMouseWheel(AShift, AWheelDelta, AMousePos))
        return true;
    SetTopIndex(TopIndex() - AWheelDelta * 3 / WHEEL_DELTA);
    return true;
}

void TListView::PaintItemText(TCustomStyleServices* AStyle, TListItem* AItem, const TRect& ARect, bool ASelected)
{
    TRect Text = ARect;
    if (FCheckboxes) {
        TRect Check = CheckRect(ARect);
        AStyle->DrawElement(Canvas(), AStyle->GetElementDetails(AItem->Checked() ? tbCheckBoxCheckedNormal
                                                                                 : tbCheckBoxUncheckedNormal),
                            Check);
        Text.Left = Check.Right + 3;
    }
    if (FSmallImages != nullptr && AItem->ImageIndex() >= 0) {
        FSmallImages->Draw(Canvas(), Text.Left + 1, Text.Top + (Text.Height() - FSmallImages->Height()) / 2,
                           AItem->ImageIndex());
        Text.Left += FSmallImages->Width() + 3;
    }
    DrawCaption(Canvas(), AItem->Caption(), Rect(Text.Left + 2, Text.Top, Text.Right - 2, Text.Bottom),
                {tfSingleLine, tfVerticalCenter, tfNoPrefix, tfEndEllipsis},
                AStyle->GetStyleFontColor(ASelected ? sfListItemTextSelected : sfListItemTextNormal));
}

// Only the rows that show are painted: a long list paints as fast as a short one.
void TListView::PaintReport(TCustomStyleServices* AStyle)
{
    TRect Area = ListArea();
    int Row = RowHeight();
    // The header: one item per column, the rest of the row its root.
    int Left = 2;
    int HeaderBottom = 2 + HeaderHeight();
    for (size_t I = 0; I < FColumns.size(); ++I) {
        TListColumn* Column = FColumns[I];
        TRect Cell = Rect(Left, 2, Left + Column->Width(), HeaderBottom);
        AStyle->DrawElement(Canvas(), AStyle->GetElementDetails(int(I) == FPressedColumn ? thHeaderItemPressed
                                                                                          : thHeaderItemNormal),
                            Cell);
        TRect Text = Rect(Cell.Left + 4, Cell.Top, Cell.Right - 4, Cell.Bottom);
        if (FSmallImages != nullptr && Column->ImageIndex() >= 0) {
            FSmallImages->Draw(Canvas(), Text.Right - FSmallImages->Width(),
                               Text.Top + (Text.Height() - FSmallImages->Height()) / 2, Column->ImageIndex());
            Text.Right -= FSmallImages->Width() + 2;
        }
        TTextFormat Format = {tfSingleLine, tfVerticalCenter, tfNoPrefix, tfEndEllipsis};
        Format.Include(Column->Alignment() == taRightJustify ? tfRight : Column->Alignment() == taCenter ? tfCenter : tfLeft);
        DrawCaption(Canvas(), Column->Caption(), Text, Format, AStyle->GetStyleFontColor(sfHeaderSectionTextNormal));
        Left = Cell.Right;
    }
    if (Left < Width() - 2)
        AStyle->DrawElement(Canvas(), AStyle->GetElementDetails(thHeaderRoot), Rect(Left, 2, Width() - 2, HeaderBottom));
    int Last = std::min(int(FRows.size()), TopIndex() + VisibleRowCount() + 1);
    for (int R = TopIndex(); R < Last; ++R) {
        const TRow& Shown = FRows[size_t(R)];
        int Top = Area.Top + (R - TopIndex()) * Row;
        TRect Line = Rect(Area.Left, Top, Area.Right, std::min(Top + Row, Area.Bottom));
        if (Shown.Item == nullptr) {
            AStyle->DrawElement(Canvas(), AStyle->GetElementDetails(tlGroupHeaderOpen), Line);
            DrawCaption(Canvas(), Shown.Group->Header, Rect(Line.Left + 4, Line.Top, Line.Right - 24, Line.Bottom),
                        {tfSingleLine, tfVerticalCenter, tfNoPrefix}, AStyle->GetStyleFontColor(sfListItemTextNormal));
            continue;
        }
        bool Selected = Shown.Item == FSelected;
        if (Selected)
            AStyle->DrawElement(Canvas(), AStyle->GetElementDetails(Focused() ? tlListItemSelected
                                                                              : tlListItemSelectedNotFocus),
                                Line);
        int ColumnLeft = Area.Left;
        for (size_t C = 0; C < std::max<size_t>(FColumns.size(), 1); ++C) {
            int ColumnWidth = FColumns.empty() ? Line.Width() : FColumns[C]->Width();
            TRect Cell = Rect(ColumnLeft, Line.Top, ColumnLeft + ColumnWidth, Line.Bottom);
            ColumnLeft = Cell.Right;
            if (C == 0) {
                PaintItemText(AStyle, Shown.Item, Cell, Selected);
                continue;
            }
            TStrings* Sub = Shown.Item->SubItems();
            if (int(C) - 1 >= Sub->Count())
                continue;
            TTextFormat Format = {tfSingleLine, tfVerticalCenter, tfNoPrefix, tfEndEllipsis};
            TAlignment Align = FColumns[C]->Alignment();
            Format.Include(Align == taRightJustify ? tfRight : Align == taCenter ? tfCenter : tfLeft);
            DrawCaption(Canvas(), Sub->Strings(int(C) - 1), Rect(Cell.Left + 4, Cell.Top, Cell.Right - 4, Cell.Bottom), Format,
                        AStyle->GetStyleFontColor(Selected ? sfListItemTextSelected : sfListItemTextNormal));
        }
        if (Selected && Focused())
            AStyle->DrawFocusRect(Canvas(), Line);
    }
}

void TListView::PaintIcons(TCustomStyleServices* AStyle)
{
    int Columns = IconColumns();
    int First = TopIndex() * Columns;
    int Last = std::min(int(FRows.size()), First + (VisibleRowCount() + 1) * Columns);
    for (int R = First; R < Last; ++R) {
        TListItem* Item = FRows[size_t(R)].Item;
        TRect Cell = ItemRect(Item);
        bool Selected = Item == FSelected;
        int ImageSize = FLargeImages != nullptr ? FLargeImages->Height() : 32;
        TRect Text = Rect(Cell.Left + 2, Cell.Top + 4 + ImageSize + 2, Cell.Right - 2, Cell.Bottom - 2);
        if (FViewStyle != vsIcon)
            Text = Cell;
        if (Selected)
            AStyle->DrawElement(Canvas(), AStyle->GetElementDetails(Focused() ? tlListItemSelected
                                                                              : tlListItemSelectedNotFocus),
                                Rect(Cell.Left + 1, Cell.Top + 1, Cell.Right - 1, Cell.Bottom - 1));
        if (FLargeImages != nullptr && Item->ImageIndex() >= 0)
            FLargeImages->Draw(Canvas(), Cell.Left + (Cell.Width() - FLargeImages->Width()) / 2, Cell.Top + 4,
                               Item->ImageIndex());
        if (FCheckboxes)
            AStyle->DrawElement(Canvas(), AStyle->GetElementDetails(Item->Checked() ? tbCheckBoxCheckedNormal
                                                                                    : tbCheckBoxUncheckedNormal),
                                CheckRect(Cell));
        DrawCaption(Canvas(), Item->Caption(), Text, {tfCenter, tfWordBreak, tfNoPrefix, tfEndEllipsis},
                    AStyle->GetStyleFontColor(Selected ? sfListItemTextSelected : sfListItemTextNormal));
    }
}

void TListView::Paint()
{
    BuildRows();
    TCustomStyleServices* Style = StyleServices();
    Style->DrawElement(Canvas(), Style->GetElementDetails(Enabled() ? teEditTextNormal : teEditTextDisabled), ClientRect());
    Canvas()->Brush()->SetColor(Color() == clWindow ? Style->GetStyleColor(scListView) : StyledColor(Color()));
    Canvas()->FillRect(Rect(2, 2, Width() - 2, Height() - 2));
    Canvas()->Font()->Assign(Font());
    if (FViewStyle == vsReport || FViewStyle == vsList)
        PaintReport(Style);
    else
        PaintIcons(Style);
    if (FScrolling)
        FScroll.Paint(Canvas(), Style, TScrollBarPart::hNone);
}

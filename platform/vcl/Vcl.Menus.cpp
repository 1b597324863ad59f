// Vcl.Menus.cpp: menu items and popup menus.
#include "Vcl.Menus.h"

#include <algorithm>

#include "Rtl.SysUtils.h"
#include "Vcl.Forms.h"
#include "Vcl.StdCtrls.h"

// ---- TMenuItem ---------------------------------------------------------------------------

TMenuItem::~TMenuItem()
{
    SetAction(nullptr);
    Clear();
    if (FParent != nullptr)
        FParent->Remove(this);
}

TMenuItem* TMenuItem::Items(int AIndex) const
{
    if (AIndex < 0 || AIndex >= Count())
        RaiseListIndexError(AIndex);
    return FItems[size_t(AIndex)];
}

void TMenuItem::Add(TMenuItem* AItem)
{
    Insert(Count(), AItem);
}

void TMenuItem::Insert(int AIndex, TMenuItem* AItem)
{
    if (AItem == nullptr || AItem == this)
        throw EInvalidOperation("Cannot insert a menu item into itself");
    if (AItem->FParent != nullptr)
        AItem->FParent->Remove(AItem);
    FItems.insert(FItems.begin() + std::clamp(AIndex, 0, Count()), AItem);
    AItem->FParent = this;
}

void TMenuItem::Remove(TMenuItem* AItem)
{
    std::erase(FItems, AItem);
    if (AItem->FParent == this)
        AItem->FParent = nullptr;
}

void TMenuItem::Delete(int AIndex)
{
    TMenuItem* Item = Items(AIndex);
    Remove(Item);
    Item->Free();
}

void TMenuItem::Clear()
{
    while (!FItems.empty())
        Delete(Count() - 1);
}

int TMenuItem::IndexOf(const TMenuItem* AItem) const
{
    auto Found = std::find(FItems.begin(), FItems.end(), AItem);
    return Found == FItems.end() ? -1 : int(Found - FItems.begin());
}

TMenuItem* TMenuItem::FindAccel(char32_t AKey) const
{
    for (TMenuItem* Item : FItems)
        if (Item->FVisible && Item->FEnabled && !Item->IsLine() && IsAccel(AKey, Item->FCaption))
            return Item;
    return nullptr;
}

void TMenuItem::SetChecked(bool AValue)
{
    if (AValue == FChecked)
        return;
    FChecked = AValue;
    if (AValue && FRadioItem && FParent != nullptr)
        for (TMenuItem* Other : FParent->FItems)
            if (Other != this && Other->FRadioItem && Other->FGroupIndex == FGroupIndex)
                Other->FChecked = false;
    if (auto* Action = dynamic_cast<TCustomAction*>(FAction))
        Action->SetChecked(AValue);
}

void TMenuItem::SetAction(TBasicAction* AValue)
{
    if (AValue == FAction)
        return;
    if (FAction != nullptr) {
        FAction->UnRegisterChanges(TNotifyEvent::Bind<&TMenuItem::ActionChanged>(this));
        FAction->RemoveFreeNotification(this);
    }
    FAction = AValue;
    if (AValue != nullptr) {
        AValue->RegisterChanges(TNotifyEvent::Bind<&TMenuItem::ActionChanged>(this));
        AValue->FreeNotification(this);
        ActionChanged(AValue);
    }
}

void TMenuItem::ActionChanged(TObject*)
{
    auto* Action = dynamic_cast<TCustomAction*>(FAction);
    if (Action == nullptr)
        return;
    FCaption = Action->Caption();
    FChecked = Action->Checked();
    FEnabled = Action->Enabled();
    FVisible = Action->Visible();
    FHint = Action->Hint();
    FAutoCheck = Action->AutoCheck();
}

void TMenuItem::Notification(TComponent* AComponent, TOperation AOperation)
{
    inherited::Notification(AComponent, AOperation);
    if (AOperation == opRemove && AComponent == FAction)
        FAction = nullptr;
}

void TMenuItem::Click()
{
    if (!FEnabled)
        return;
    if (FAction != nullptr) {
        // The action checks itself; the item follows it.
        FAction->SetActionComponent(this);
        FAction->Execute();
        FAction->SetActionComponent(nullptr);
        return;
    }
    if (FAutoCheck)
        SetChecked(FRadioItem ? true : !FChecked);
    if (FOnClick)
        FOnClick(this);
}

// ---- TMenu -------------------------------------------------------------------------------

void TMenu::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FItems = TMenuItem::Create(nullptr);
}

TMenu::~TMenu()
{
    if (FItems != nullptr)
        FItems->Free();
}

// ---- The menu's windows ------------------------------------------------------------------

// One level of a popup menu: the items of one parent item. The first level closes the menu
// when the user presses outside all its levels.
class TMenuWindow : public TCustomForm, public TPopupOwner {
    X_CLASS(TMenuWindow, TCustomForm)
public:
    TMenuItem* Item() const { return FItem; }
    // A closed window hears no more of its menu; it is freed once the queue is served.
    void Detach()
    {
        UnregisterPopup(this);
        FMenu = nullptr;
        FItem = nullptr;
        SetVisible(false);
        Release();
    }
    int Hot() const { return FHot; }
    void SetHot(int AIndex);
    // The row of each item in client coordinates (separators are thin).
    TRect ItemRect(int AIndex);
    int ItemAt(int AY);
    TSize Needed();
    bool OwnsPress(TWinControl* AWindow, TPoint) override
    {
        return FMenu == nullptr || std::find(FMenu->FWindows.begin(), FMenu->FWindows.end(), AWindow) != FMenu->FWindows.end();
    }
    void ClosePopup() override
    {
        if (FMenu != nullptr)
            FMenu->CloseMenu();
    }

protected:
    TMenuWindow() = default;
    X_REINTRODUCE(void Construct(TPopupMenu* AMenu, size_t ALevel, TMenuItem* AItem))
    {
        inherited::Construct(nullptr);
        FMenu = AMenu;
        FLevel = ALevel;
        FItem = AItem;
        SetBorderStyle(bsNone);
        SetFormStyle(fsStayOnTop);
        SetColor(clMenu);
        if (ALevel == 0)
            RegisterPopup(this);
    }
    ~TMenuWindow() override { UnregisterPopup(this); }
    void WndProc(TMessage& AMessage) override;
    void PaintWindow() override;
    void KeyDown(uint16_t& AKey, TShiftState AShift) override;
    void KeyPress(char32_t& AKey) override;
    void MouseMove(TShiftState AShift, int AX, int AY) override;
    void MouseUp(TMouseButton AButton, TShiftState AShift, int AX, int AY) override;

private:
    bool Selectable(int AIndex) const
    {
        TMenuItem* I = FItem->Items(AIndex);
        return I->Visible() && I->Enabled() && !I->IsLine();
    }
    // Opens the item's sub-menu, or chooses it.
    void ActivateItem(int AIndex, bool AByKey);
    int RowHeight();

    TPopupMenu* FMenu = nullptr;
    size_t FLevel = 0;
    TMenuItem* FItem = nullptr;
    int FHot = -1;
};

int TMenuWindow::RowHeight()
{
    TControlCanvas* Canvas = TControlCanvas::Create(this);
    Canvas->Font()->Assign(Font());
    int Height = Canvas->TextHeight("Wg") + 8;
    Canvas->Free();
    return Height;
}

TRect TMenuWindow::ItemRect(int AIndex)
{
    int Row = RowHeight();
    int Top = 2;
    for (int I = 0; I < FItem->Count(); ++I) {
        TMenuItem* Item = FItem->Items(I);
        if (!Item->Visible())
            continue;
        int Height = Item->IsLine() ? 7 : Row;
        if (I == AIndex)
            return Rect(2, Top, Width() - 2, Top + Height);
        Top += Height;
    }
    return Rect(0, 0, 0, 0);
}

int TMenuWindow::ItemAt(int AY)
{
    for (int I = 0; I < FItem->Count(); ++I) {
        TRect R = ItemRect(I);
        if (R.Height() > 0 && AY >= R.Top && AY < R.Bottom)
            return I;
    }
    return -1;
}

TSize TMenuWindow::Needed()
{
    TControlCanvas* Canvas = TControlCanvas::Create(this);
    Canvas->Font()->Assign(Font());
    int Width = 0;
    int Height = 4;
    int Row = Canvas->TextHeight("Wg") + 8;
    for (int I = 0; I < FItem->Count(); ++I) {
        TMenuItem* Item = FItem->Items(I);
        if (!Item->Visible())
            continue;
        Height += Item->IsLine() ? 7 : Row;
        TRect Text = Rect(0, 0, 0, 0);
        TFontStyles Style = Item->Default() ? TFontStyles{fsBold} : TFontStyles{};
        Canvas->Font()->SetStyle(Style);
        Canvas->TextRect(Text, Item->Caption(), {tfCalcRect, tfSingleLine});
        Width = std::max(Width, Text.Width());
    }
    Canvas->Free();
    // Room for the check at the left and the sub-menu arrow at the right.
    return TSize{Width + 28 + 24 + 4, Height};
}

void TMenuWindow::SetHot(int AIndex)
{
    if (AIndex == FHot)
        return;
    FHot = AIndex;
    Invalidate();
}

void TMenuWindow::WndProc(TMessage& AMessage)
{
    // Input that comes after the window closed is dropped; the release passes on.
    if (FItem == nullptr && (AMessage.Msg == WM_KEYDOWN || AMessage.Msg == WM_CHAR || AMessage.Msg == WM_MOUSEMOVE ||
                             AMessage.Msg == WM_LBUTTONUP || AMessage.Msg == WM_LBUTTONDOWN))
        return;
    if (AMessage.Msg == WM_GETDLGCODE) {
        AMessage.Result = DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB;
        return;
    }
    inherited::WndProc(AMessage);
}

void TMenuWindow::ActivateItem(int AIndex, bool AByKey)
{
    if (AIndex < 0 || !Selectable(AIndex))
        return;
    TMenuItem* Item = FItem->Items(AIndex);
    SetHot(AIndex);
    if (Item->Count() > 0) {
        TRect Row = ItemRect(AIndex);
        FMenu->OpenSubMenu(int(FLevel) + 1, Item, ClientToScreen(Point(Width() - 3, Row.Top - 2)));
        if (AByKey && FMenu->FWindows.size() > FLevel + 1) {
            TMenuWindow* Sub = FMenu->FWindows[FLevel + 1];
            for (int I = 0; I < Item->Count(); ++I)
                if (Sub->Selectable(I)) {
                    Sub->SetHot(I);
                    break;
                }
        }
        return;
    }
    FMenu->Choose(Item);
}

void TMenuWindow::KeyDown(uint16_t& AKey, TShiftState AShift)
{
    inherited::KeyDown(AKey, AShift);
    int Count = FItem->Count();
    switch (AKey) {
    case VK_UP:
    case VK_DOWN: {
        int Step = AKey == VK_DOWN ? 1 : -1;
        int Index = FHot;
        for (int I = 0; I < Count; ++I) {
            Index = Index < 0 ? (Step > 0 ? 0 : Count - 1) : (Index + Step + Count) % Count;
            if (Selectable(Index)) {
                SetHot(Index);
                break;
            }
        }
        FMenu->CloseFrom(FLevel + 1);
        break;
    }
    case VK_RIGHT:
        if (FHot >= 0 && FItem->Items(FHot)->Count() > 0)
            ActivateItem(FHot, true);
        break;
    case VK_LEFT:
        if (FLevel > 0)
            FMenu->CloseFrom(FLevel);
        break;
    case VK_RETURN:
        ActivateItem(FHot, true);
        break;
    case VK_ESCAPE:
        if (FLevel > 0)
            FMenu->CloseFrom(FLevel);
        else
            FMenu->CloseMenu();
        break;
    default:
        return;
    }
    AKey = 0;
}

void TMenuWindow::KeyPress(char32_t& AKey)
{
    inherited::KeyPress(AKey);
    if (TMenuItem* Item = FItem->FindAccel(AKey))
        ActivateItem(FItem->IndexOf(Item), true);
}

void TMenuWindow::MouseMove(TShiftState AShift, int AX, int AY)
{
    inherited::MouseMove(AShift, AX, AY);
    int Index = ItemAt(AY);
    if (Index < 0 || Index == FHot)
        return;
    SetHot(Index);
    FMenu->CloseFrom(FLevel + 1);
    if (Selectable(Index) && FItem->Items(Index)->Count() > 0)
        ActivateItem(Index, false);
}

void TMenuWindow::MouseUp(TMouseButton AButton, TShiftState AShift, int AX, int AY)
{
    inherited::MouseUp(AButton, AShift, AX, AY);
    int Index = ItemAt(AY);
    if (AButton == mbLeft && Index >= 0 && FItem->Items(Index)->Count() == 0)
        ActivateItem(Index, false);
}

void TMenuWindow::PaintWindow()
{
    if (FItem == nullptr)
        return;
    TControlCanvas* Canvas = TControlCanvas::Create(this);
    TRect Client = ClientRect();
    Canvas->Brush()->SetColor(StyledColor(clMenu));
    Canvas->FillRect(Client);
    Canvas->Brush()->SetColor(StyledColor(clBtnShadow));
    Canvas->FrameRect(Client);
    for (int I = 0; I < FItem->Count(); ++I) {
        TMenuItem* Item = FItem->Items(I);
        TRect Row = ItemRect(I);
        if (Row.Height() == 0)
            continue;
        if (Item->IsLine()) {
            int Y = Row.Top + Row.Height() / 2;
            Canvas->Brush()->SetColor(StyledColor(clBtnShadow));
            Canvas->FillRect(Rect(Row.Left + 24, Y, Row.Right - 4, Y + 1));
            continue;
        }
        bool Hot = I == FHot && Item->Enabled();
        if (Hot) {
            Canvas->Brush()->SetColor(StyledColor(clHighlight));
            Canvas->FillRect(Row);
        }
        TColor Text = !Item->Enabled() ? StyledColor(clGrayText) : Hot ? StyledColor(clHighlightText) : StyledColor(clMenuText);
        int MidY = (Row.Top + Row.Bottom) / 2;
        if (Item->Checked()) {
            Canvas->Brush()->SetColor(Text);
            Canvas->Pen()->SetColor(Text);
            if (Item->RadioItem()) {
                Canvas->Ellipse(Row.Left + 8, MidY - 3, Row.Left + 15, MidY + 4);
            } else {
                const TPoint Mark[] = {Point(Row.Left + 7, MidY), Point(Row.Left + 10, MidY + 3), Point(Row.Left + 16, MidY - 3)};
                Canvas->Pen()->SetWidth(2);
                Canvas->Polyline(Mark);
                Canvas->Pen()->SetWidth(1);
            }
        }
        Canvas->Font()->Assign(Font());
        if (Item->Default())
            Canvas->Font()->SetStyle({fsBold});
        DrawCaption(Canvas, Item->Caption(), Rect(Row.Left + 26, Row.Top, Row.Right - 20, Row.Bottom),
                    {tfSingleLine, tfVerticalCenter, tfLeft}, Text);
        if (Item->Count() > 0) {
            const TPoint Arrow[] = {Point(Row.Right - 12, MidY - 4), Point(Row.Right - 8, MidY), Point(Row.Right - 12, MidY + 4)};
            Canvas->Brush()->SetColor(Text);
            Canvas->Pen()->SetColor(Text);
            Canvas->Polygon(Arrow);
        }
    }
    Canvas->Free();
}

// ---- TPopupMenu --------------------------------------------------------------------------

TPopupMenu::~TPopupMenu()
{
    CloseFrom(0);
}

std::vector<TCustomForm*> TPopupMenu::Windows() const
{
    return std::vector<TCustomForm*>(FWindows.begin(), FWindows.end());
}

void TPopupMenu::Popup(int AX, int AY)
{
    CloseFrom(0);
    if (FOnPopup)
        FOnPopup(this);
    // The items' actions say what the items show now.
    for (int I = 0; I < Items()->Count(); ++I)
        if (TBasicAction* Action = Items()->Items(I)->Action())
            Action->Update();
    OpenSubMenu(0, Items(), Point(AX, AY));
}

void TPopupMenu::OpenSubMenu(int ALevel, TMenuItem* AItem, TPoint AAt)
{
    CloseFrom(size_t(ALevel));
    bool Any = false;
    for (int I = 0; I < AItem->Count(); ++I)
        Any = Any || AItem->Items(I)->Visible();
    if (!Any)
        return;
    auto* Window = TMenuWindow::Create(this, size_t(ALevel), AItem);
    TSize Size = Window->Needed();
    // Kept on the screen: a menu that would pass the right or bottom edge opens the other way.
    int X = AAt.X;
    int Y = AAt.Y;
    if (X + Size.cx > Screen->Width())
        X = ALevel > 0 ? AAt.X - Size.cx - FWindows.back()->Width() + 6 : Screen->Width() - Size.cx;
    if (Y + Size.cy > Screen->Height())
        Y = std::max(Screen->Height() - Size.cy, 0);
    Window->SetBounds(std::max(X, 0), Y, Size.cx, Size.cy);
    FWindows.push_back(Window);
    Window->SetVisible(true);
}

void TPopupMenu::CloseFrom(size_t ALevel)
{
    while (FWindows.size() > ALevel) {
        TMenuWindow* Window = FWindows.back();
        FWindows.pop_back();
        Window->Detach();
    }
}

void TPopupMenu::CloseMenu()
{
    bool WasOpen = !FWindows.empty();
    CloseFrom(0);
    if (WasOpen && FOnClose)
        FOnClose(this);
}

void TPopupMenu::Choose(TMenuItem* AItem)
{
    CloseMenu();
    AItem->Click();
}

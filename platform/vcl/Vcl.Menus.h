// Vcl.Menus.h: menu items, main and popup menus. A popup menu shows its items in a window of
// its own at a screen point, sub-menus beside their item; the mouse and the keys (arrows,
// Enter, Esc, accelerators) choose an item, whose OnClick (or action) then runs. UI thread only.
#pragma once

#include <vector>

#include "Vcl.ActnList.h"
#include "Vcl.Controls.h"

class TCustomForm;
class TMenu;

class TMenuItem : public TComponent {
    X_CLASS(TMenuItem, TComponent)
public:
    // "-" makes the item a separator line.
    const String& Caption() const { return FCaption; }
    void SetCaption(const String& AValue) { FCaption = AValue; }
    bool IsLine() const { return FCaption == "-"; }
    bool Checked() const { return FChecked; }
    // A radio item that becomes checked unchecks the radio items of its group beside it.
    void SetChecked(bool AValue);
    bool RadioItem() const { return FRadioItem; }
    void SetRadioItem(bool AValue) { FRadioItem = AValue; }
    uint8_t GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(uint8_t AValue) { FGroupIndex = AValue; }
    // Clicking toggles Checked (a radio item: checks it).
    bool AutoCheck() const { return FAutoCheck; }
    void SetAutoCheck(bool AValue) { FAutoCheck = AValue; }
    // The default item is drawn bold.
    bool Default() const { return FDefault; }
    void SetDefault(bool AValue) { FDefault = AValue; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool AValue) { FEnabled = AValue; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool AValue) { FVisible = AValue; }
    const String& Hint() const { return FHint; }
    void SetHint(const String& AValue) { FHint = AValue; }
    // The item shows the action's caption, check and enabled state and runs the action.
    TBasicAction* Action() const { return FAction; }
    void SetAction(TBasicAction* AValue);

    int Count() const { return int(FItems.size()); }
    TMenuItem* Items(int AIndex) const;
    TMenuItem* operator[](int AIndex) const { return Items(AIndex); }
    TMenuItem* Parent() const { return FParent; }
    // The item becomes a child of this one (it leaves its former parent).
    void Add(TMenuItem* AItem);
    void Insert(int AIndex, TMenuItem* AItem);
    // Takes the item out without freeing it.
    void Remove(TMenuItem* AItem);
    // Frees the item.
    void Delete(int AIndex);
    void Clear();
    int IndexOf(const TMenuItem* AItem) const;
    int MenuIndex() const { return FParent != nullptr ? FParent->IndexOf(this) : -1; }
    // The first item whose caption's accelerator is AKey; nullptr for none.
    TMenuItem* FindAccel(char32_t AKey) const;

    // What choosing the item does: the check follows AutoCheck, then the action or OnClick runs.
    virtual void Click();
    TNotifyEvent OnClick() const { return FOnClick; }
    void SetOnClick(TNotifyEvent AValue) { FOnClick = AValue; }

protected:
    TMenuItem() = default;
    ~TMenuItem() override;
    void Notification(TComponent* AComponent, TOperation AOperation) override;

private:
    void ActionChanged(TObject*);
    String FCaption;
    bool FChecked = false;
    bool FRadioItem = false;
    uint8_t FGroupIndex = 0;
    bool FAutoCheck = false;
    bool FDefault = false;
    bool FEnabled = true;
    bool FVisible = true;
    String FHint;
    TBasicAction* FAction = nullptr;
    TMenuItem* FParent = nullptr;
    std::vector<TMenuItem*> FItems;
    TNotifyEvent FOnClick;
};

class TMenu : public TComponent {
    X_CLASS(TMenu, TComponent)
public:
    // The root whose children are the menu's items.
    TMenuItem* Items() const { return FItems; }

protected:
    TMenu() = default;
    ~TMenu() override;
    void Construct(TComponent* AOwner) override;

private:
    TMenuItem* FItems = nullptr;
};

// Kept for the forms that name one; no form here shows a menu bar.
class TMainMenu : public TMenu {
    X_CLASS(TMainMenu, TMenu)
protected:
    TMainMenu() = default;
};

class TPopupMenu : public TMenu {
    X_CLASS(TPopupMenu, TMenu)
public:
    // Shows the items with their top-left corner at the screen point (kept on the monitor);
    // returns at once, the chosen item's click comes later from the loop.
    virtual void Popup(int AX, int AY);
    // Closes the menu and its sub-menus without choosing.
    void CloseMenu();
    // The menu's windows while it shows, the top one first; empty when it is closed.
    std::vector<TCustomForm*> Windows() const;
    // The control the menu was shown for (the caller sets it).
    TComponent* PopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(TComponent* AValue) { FPopupComponent = AValue; }
    // Runs before the menu shows (to enable and check items).
    TNotifyEvent OnPopup() const { return FOnPopup; }
    void SetOnPopup(TNotifyEvent AValue) { FOnPopup = AValue; }
    // Runs when the menu closed, chosen or not.
    TNotifyEvent OnClose() const { return FOnClose; }
    void SetOnClose(TNotifyEvent AValue) { FOnClose = AValue; }

protected:
    TPopupMenu() = default;
    ~TPopupMenu() override;

private:
    friend class TMenuWindow;
    void OpenSubMenu(int ALevel, TMenuItem* AItem, TPoint AAt);
    void CloseFrom(size_t ALevel);
    void Choose(TMenuItem* AItem);
    std::vector<class TMenuWindow*> FWindows;
    TComponent* FPopupComponent = nullptr;
    TNotifyEvent FOnPopup;
    TNotifyEvent FOnClose;
};

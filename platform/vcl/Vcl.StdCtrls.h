// Vcl.StdCtrls.h: the standard controls: labels, buttons, check boxes and radio buttons, group
// boxes, edits, list boxes, combo boxes and scroll bars. Each paints through the active style
// and takes the mouse and the keyboard as users of dialogs expect. UI thread only.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Rtl.Strings.h"
#include "Vcl.Controls.h"
#include "Vcl.Themes.h"

class TCustomForm;

X_ENUM(TTextLayout, tlTop, tlCenter, tlBottom);
X_ENUM(TEllipsisPosition, epNone, epPathEllipsis, epEndEllipsis, epWordEllipsis);
X_ENUM(TLeftRight, taLeftJustifyLR, taRightJustifyLR);
X_ENUM(TCheckBoxState, cbUnchecked, cbChecked, cbGrayed);
X_ENUM(TEditCharCase, ecNormal, ecUpperCase, ecLowerCase);
X_ENUM(TScrollBarKind, sbHorizontal, sbVertical);
X_ENUM(TScrollCode, scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll);
X_ENUM(TComboBoxStyle, csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable);
X_ENUM(TListBoxStyle, lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable, lbVirtual, lbVirtualOwnerDraw);
X_ENUM(TOwnerDrawStateItem, odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odHotLight,
       odInactive, odNoAccel, odNoFocusRect, odReserved1, odReserved2, odComboBoxEdit);
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;

using TScrollEvent = TMethod<void(TObject* ASender, TScrollCode AScrollCode, int& AScrollPos)>;
using TDrawItemEvent = TMethod<void(TWinControl* AControl, int AIndex, TRect ARect, TOwnerDrawState AState)>;

// ---- Shared painting ---------------------------------------------------------------------

// The colour the active style paints AColor with (system colours follow the style).
TColor StyledColor(TColor AColor);
// ACaption laid out in ARect in AColor, with "&" marking the accelerator.
void DrawCaption(TCanvas* ACanvas, const String& ACaption, TRect ARect, TTextFormat AFormat, TColor AColor);

// ---- TScrollBarPart ----------------------------------------------------------------------

// A scroll bar's behaviour and painting inside a control that scrolls (list boxes, list views,
// scroll boxes) or as a control of its own: arrows, track and thumb in Bounds, the thumb's
// drag, positions in Min..Max - Page + 1.
class TScrollBarPart {
public:
    enum THit : uint8_t { hNone, hLineUp, hLineDown, hPageUp, hPageDown, hThumb };

    TScrollBarKind Kind = sbVertical;
    TRect Bounds;
    int Min = 0;
    int Max = 100;
    int Page = 0;   // 0: a plain bar with a thumb of the style's size
    int Position = 0;
    bool Enabled = true;

    int MaxPosition() const;
    // Keeps Position in range; answers whether it changed.
    bool SetPosition(int AValue);
    THit HitTest(TPoint APoint) const;
    TRect ThumbRect() const;
    // Starts what a press at APoint does; answers the scroll code (scEndScroll for nothing).
    TScrollCode MouseDown(TPoint APoint, int ASmallChange, int ALargeChange);
    // While the thumb is dragged: the position under APoint.
    bool Dragging() const { return FDragging; }
    int TrackPosition(TPoint APoint) const;
    void MouseUp() { FDragging = false, FPressed = hNone; }
    void Paint(TCanvas* ACanvas, TCustomStyleServices* AStyle, THit AHot) const;

private:
    bool Vertical() const { return Kind == sbVertical; }
    int ArrowSize() const;
    // The track between the arrows.
    TRect TrackRect() const;
    bool FDragging = false;
    int FDragOffset = 0;
    THit FPressed = hNone;
};

// ---- Label -------------------------------------------------------------------------------

class TCustomLabel : public TGraphicControl {
    X_CLASS(TCustomLabel, TGraphicControl)
public:
    // The label's size follows its text: the width and height, only the height while
    // WordWrap is on, or only the height with VerticalAutoSize.
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool AValue);
    bool VerticalAutoSize() const { return FVerticalAutoSize; }
    void SetVerticalAutoSize(bool AValue);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool AValue);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment AValue);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout AValue);
    TEllipsisPosition EllipsisPosition() const { return FEllipsisPosition; }
    void SetEllipsisPosition(TEllipsisPosition AValue);
    // True: the parent shows through; False fills with Color.
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool AValue);
    // True: "&" marks the accelerator, which focuses FocusControl.
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool AValue);
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* AValue) { FFocusControl = AValue; }
    // What DT_CALCRECT answers for the caption laid out in ARect's width.
    TRect TextRectFor(TRect ARect);

protected:
    TCustomLabel() = default;
    void Construct(TComponent* AOwner) override;
    void WndProc(TMessage& AMessage) override;
    void Paint() override;
    TTextFormat TextFormat() const;
    void AdjustBounds();

private:
    bool FAutoSize = true;
    bool FVerticalAutoSize = false;
    bool FWordWrap = false;
    TAlignment FAlignment = taLeftJustify;
    TTextLayout FLayout = tlTop;
    TEllipsisPosition FEllipsisPosition = epNone;
    bool FTransparent = false;
    bool FShowAccelChar = true;
    bool FAdjusting = false;
    TWinControl* FFocusControl = nullptr;
};

class TLabel : public TCustomLabel {
    X_CLASS(TLabel, TCustomLabel)
protected:
    TLabel() = default;
};

// ---- Buttons -----------------------------------------------------------------------------

// What buttons, check boxes and radio buttons share: a face that follows the mouse and the
// Space key, and an accelerator in the caption.
class TButtonControl : public TCustomControl {
    X_CLASS(TButtonControl, TCustomControl)
public:
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool AValue);

protected:
    TButtonControl() = default;
    void Construct(TComponent* AOwner) override;
    void WndProc(TMessage& AMessage) override;
    void MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY) override;
    void MouseUp(TMouseButton AButton, TShiftState AShift, int AX, int AY) override;
    void MouseMove(TShiftState AShift, int AX, int AY) override;
    void KeyDown(uint16_t& AKey, TShiftState AShift) override;
    void KeyUp(uint16_t& AKey, TShiftState AShift) override;
    // The button is held down under the mouse or by Space.
    bool Pressed() const { return FPressed && (FSpaceDown || FMouseOver); }
    bool Hot() const { return MouseInClient() && Enabled(); }
    // The focus rectangle shows on the focused control.
    void DrawFocus(TCanvas* ACanvas, const TRect& ARect);
    // A completed press: the mouse released over the control, or Space released.
    virtual void Pushed() { Click(); }

private:
    bool FWordWrap = false;
    bool FPressed = false;
    bool FSpaceDown = false;
    bool FMouseOver = false;
};

class TCustomButton : public TButtonControl {
    X_CLASS(TCustomButton, TButtonControl)
public:
    // Enter clicks the default button unless another button has the focus.
    bool Default() const { return FDefault; }
    void SetDefault(bool AValue);
    // Esc clicks the cancel button.
    bool Cancel() const { return FCancel; }
    void SetCancel(bool AValue) { FCancel = AValue; }
    // Clicking sets the form's ModalResult to this, when not mrNone.
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int AValue) { FModalResult = AValue; }
    void Click() override;

protected:
    TCustomButton() = default;
    void Construct(TComponent* AOwner) override;
    void WndProc(TMessage& AMessage) override;
    void Paint() override;

private:
    // Default and no other button focused, or itself focused.
    bool ActiveDefault() const;
    bool FDefault = false;
    bool FCancel = false;
    int FModalResult = 0;
};

class TButton : public TCustomButton {
    X_CLASS(TButton, TCustomButton)
protected:
    TButton() = default;
};

class TCustomCheckBox : public TButtonControl {
    X_CLASS(TCustomCheckBox, TButtonControl)
public:
    TCheckBoxState State() const { return FState; }
    // A change fires OnClick, unless clicks are disabled.
    void SetState(TCheckBoxState AValue);
    bool Checked() const { return FState == cbChecked; }
    void SetChecked(bool AValue) { SetState(AValue ? cbChecked : cbUnchecked); }
    bool AllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool AValue) { FAllowGrayed = AValue; }
    // taRightJustify (the default) puts the box left of the caption, taLeftJustify right of it.
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment AValue);
    // While disabled, setting the state fires no OnClick.
    bool ClicksDisabled() const { return FClicksDisabled; }
    void SetClicksDisabled(bool AValue) { FClicksDisabled = AValue; }

protected:
    TCustomCheckBox() = default;
    void Construct(TComponent* AOwner) override;
    void Paint() override;
    void Pushed() override;
    // Unchecked → checked → grayed (when allowed) → unchecked.
    virtual void Toggle();
    // The box's place: a square of the style's size at the caption's side.
    TRect BoxRect();
    TThemedButton BoxDetail() const;

private:
    TCheckBoxState FState = cbUnchecked;
    bool FAllowGrayed = false;
    TAlignment FAlignment = taRightJustify;
    bool FClicksDisabled = false;
};

class TCheckBox : public TCustomCheckBox {
    X_CLASS(TCheckBox, TCustomCheckBox)
protected:
    TCheckBox() = default;
};

// Checking a radio button unchecks the other radio buttons of its parent; arrows move the
// check among them.
class TRadioButton : public TCustomCheckBox {
    X_CLASS(TRadioButton, TCustomCheckBox)
public:
    void SetChecked(bool AValue);
    bool Checked() const { return TCustomCheckBox::Checked(); }

protected:
    TRadioButton() = default;
    void Construct(TComponent* AOwner) override;
    void WndProc(TMessage& AMessage) override;
    void KeyDown(uint16_t& AKey, TShiftState AShift) override;
    void Toggle() override { SetChecked(true); }
    void Paint() override;
};

// A frame with a caption around a group of controls.
class TCustomGroupBox : public TCustomControl {
    X_CLASS(TCustomGroupBox, TCustomControl)
protected:
    TCustomGroupBox() = default;
    void Paint() override;
    void WndProc(TMessage& AMessage) override;
};

class TGroupBox : public TCustomGroupBox {
    X_CLASS(TGroupBox, TCustomGroupBox)
protected:
    TGroupBox() = default;
};

// ---- Edit --------------------------------------------------------------------------------

// Single-line text entry. Positions count characters (code points).
class TCustomEdit : public TCustomControl {
    X_CLASS(TCustomEdit, TCustomControl)
public:
    // Every change of Text fires OnChange: typing, pasting, undo, setting it.
    int MaxLength() const { return FMaxLength; }
    // 0: no limit. Typing and pasting stop at it; setting Text does not.
    void SetMaxLength(int AValue) { FMaxLength = std::max(AValue, 0); }
    bool NumbersOnly() const { return FNumbersOnly; }
    void SetNumbersOnly(bool AValue) { FNumbersOnly = AValue; }
    char32_t PasswordChar() const { return FPasswordChar; }
    void SetPasswordChar(char32_t AValue);
    const String& TextHint() const { return FTextHint; }
    void SetTextHint(const String& AValue);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool AValue);
    // Entering the edit by the keyboard selects all of it.
    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool AValue) { FAutoSelect = AValue; }
    TEditCharCase CharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase AValue);
    bool Modified() const { return FModified; }
    void SetModified(bool AValue) { FModified = AValue; }
    bool HideSelection() const { return FHideSelection; }
    void SetHideSelection(bool AValue);

    int SelStart() const { return std::min(FAnchor, FCaret); }
    // Puts the caret there with nothing selected.
    void SetSelStart(int AValue);
    int SelLength() const { return std::abs(FCaret - FAnchor); }
    void SetSelLength(int AValue);
    String SelText() const;
    // Replaces the selection (undoable), as typing would, with no limit checks.
    void SetSelText(const String& AValue);
    void SelectAll();
    void ClearSelection() { SetSelText(""); }
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    bool CanUndo() const { return FUndo.has_value(); }
    // Undoes the last change; undoing again redoes it.
    void Undo();
    void ClearUndo() { FUndo.reset(); }
    // The caret's character position (the end of the selection that moves).
    int CaretPos() const { return FCaret; }
    // The character position nearest to the client x coordinate.
    int CharAtX(int AX);

    TNotifyEvent OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent AValue) { FOnChange = AValue; }

protected:
    TCustomEdit() = default;
    void Construct(TComponent* AOwner) override;
    void WndProc(TMessage& AMessage) override;
    void Paint() override;
    void KeyDown(uint16_t& AKey, TShiftState AShift) override;
    void KeyPress(char32_t& AKey) override;
    void MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY) override;
    void MouseMove(TShiftState AShift, int AX, int AY) override;
    void DblClick() override;
    void DoEnter() override;
    virtual void Change();
    // Where the text is drawn: inside the frame.
    TRect TextArea() const;

private:
    struct TSnapshot {
        std::u32string Text;
        int Anchor = 0;
        int Caret = 0;
    };
    // Typing, pasting: the text that may go in at the caret, after the edit's rules.
    std::u32string Filtered(std::u32string AText) const;
    void Replace(const std::u32string& AText, bool ACoalesce);
    void ReplaceRange(int AFrom, int ATo, const std::u32string& AText, bool ACoalesce);
    void SetTextInternal(const std::u32string& AText);
    void MoveCaret(int APos, bool AExtend);
    int WordStart(int APos) const;
    int WordEnd(int APos) const;
    std::u32string Shown() const;
    int XOfChar(int APos);
    void ScrollToCaret();
    void Changed();

    std::u32string FChars;
    int FAnchor = 0;
    int FCaret = 0;
    int FScroll = 0;   // pixels of the text left of the text area
    int FMaxLength = 0;
    bool FNumbersOnly = false;
    char32_t FPasswordChar = 0;
    String FTextHint;
    bool FReadOnly = false;
    bool FAutoSelect = true;
    TEditCharCase FCharCase = ecNormal;
    bool FModified = false;
    bool FHideSelection = true;
    bool FSelecting = false;
    bool FTyping = false;   // the last change was typing, which the next keystroke joins
    bool FSettingText = false;
    std::optional<TSnapshot> FUndo;
    TNotifyEvent FOnChange;
};

class TEdit : public TCustomEdit {
    X_CLASS(TEdit, TCustomEdit)
protected:
    TEdit() = default;
};

// ---- List box ----------------------------------------------------------------------------

// A list of lines with one selected, scrolled by a bar of its own.
class TCustomListBox : public TCustomControl {
    X_CLASS(TCustomListBox, TCustomControl)
public:
    TStrings* Items() const { return FItems; }
    void SetItems(TStrings* AValue) { FItems->Assign(AValue); }
    // -1 for none. Setting it scrolls the item into view and fires nothing.
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int AValue);
    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int AValue);
    int TopIndex() const { return FScroll.Position; }
    void SetTopIndex(int AValue);
    bool Sorted() const;
    void SetSorted(bool AValue);
    TListBoxStyle Style() const { return FStyle; }
    void SetStyle(TListBoxStyle AValue);
    int Count() const { return FItems->Count(); }
    // -1 outside every item.
    int ItemAtPos(TPoint APoint, bool AExisting = true) const;
    TRect ItemRect(int AIndex) const;
    void Clear() { FItems->Clear(); }
    // The lines that fit in the client area.
    int VisibleCount() const;
    // Several items may be selected: with ExtendedSelect by clicks and keys with Shift (a range
    // from the last item chosen alone) and Ctrl (one more, or the focus alone), without it each
    // click and Space toggle one item. ItemIndex is then the item with the focus.
    bool MultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool AValue);
    bool ExtendedSelect() const { return FExtendedSelect; }
    void SetExtendedSelect(bool AValue) { FExtendedSelect = AValue; }
    bool Selected(int AIndex) const;
    // By the program: fires nothing. Without MultiSelect it sets ItemIndex.
    void SetSelected(int AIndex, bool AValue);
    int SelCount() const;
    void ClearSelection();
    void SelectAll();

    TDrawItemEvent OnDrawItem() const { return FOnDrawItem; }
    void SetOnDrawItem(TDrawItemEvent AValue) { FOnDrawItem = AValue; }

protected:
    TCustomListBox() = default;
    ~TCustomListBox() override;
    void Construct(TComponent* AOwner) override;
    void WndProc(TMessage& AMessage) override;
    void Paint() override;
    void KeyDown(uint16_t& AKey, TShiftState AShift) override;
    void KeyPress(char32_t& AKey) override;
    void MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY) override;
    void MouseMove(TShiftState AShift, int AX, int AY) override;
    void MouseUp(TMouseButton AButton, TShiftState AShift, int AX, int AY) override;
    bool DoMouseWheel(TShiftState AShift, int AWheelDelta, TPoint AMousePos) override;
    void Resize() override;
    virtual void DrawItem(int AIndex, TRect ARect, TOwnerDrawState AState);
    // The user chose the item: the index changes and OnClick fires.
    void Select(int AIndex);
    TRect ListRect() const;

private:
    void ItemsChanged(TObject*);
    void UpdateScrollBar();
    void FindByTyping(char32_t AKey);
    // The user moved to AIndex with the modifiers: the selection follows as MultiSelect says.
    void SelectByUser(int AIndex, TShiftState AShift);
    void ToggleByUser(int AIndex);
    void ChangeSelection(std::vector<bool> ASelected, int AFocus);

    TStringList* FItems = nullptr;
    int FItemIndex = -1;
    bool FMultiSelect = false;
    bool FExtendedSelect = true;
    std::vector<bool> FSelected;   // with MultiSelect, one flag per item
    int FAnchor = -1;
    int FItemHeight = 16;
    TListBoxStyle FStyle = lbStandard;
    TScrollBarPart FScroll;
    bool FScrolling = false;
    bool FTracking = false;
    String FTyped;   // type-to-find: the letters typed in a row
    int64_t FTypedAt = 0;
    TDrawItemEvent FOnDrawItem;
};

class TListBox : public TCustomListBox {
    X_CLASS(TListBox, TCustomListBox)
protected:
    TListBox() = default;
};

// ---- Combo box ---------------------------------------------------------------------------

class TCustomComboBox : public TCustomControl {
    X_CLASS(TCustomComboBox, TCustomControl)
public:
    TComboBoxStyle Style() const { return FStyle; }
    void SetStyle(TComboBoxStyle AValue);
    TStrings* Items() const { return FItems; }
    void SetItems(TStrings* AValue) { FItems->Assign(AValue); }
    int ItemIndex() const { return FItemIndex; }
    // Shows the item's text; fires nothing.
    void SetItemIndex(int AValue);
    // Text is the edit's text of an editable box, the selected item's of a drop-down list;
    // setting it on a drop-down list selects the item of that text, or none.
    int DropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int AValue) { FDropDownCount = std::max(AValue, 1); }
    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int AValue) { FItemHeight = std::max(AValue, 1); }
    bool AutoComplete() const { return FAutoComplete; }
    void SetAutoComplete(bool AValue) { FAutoComplete = AValue; }
    bool Sorted() const;
    void SetSorted(bool AValue);
    int MaxLength() const;
    void SetMaxLength(int AValue);
    const String& TextHint() const { return FTextHint; }
    void SetTextHint(const String& AValue);
    TEditCharCase CharCase() const;
    void SetCharCase(TEditCharCase AValue);
    bool DroppedDown() const { return FPopup != nullptr; }
    void SetDroppedDown(bool AValue);
    // The drop-down list while it shows; nullptr otherwise.
    TCustomListBox* ListBox() const;
    // The edit of an editable box; nullptr for a drop-down list.
    TCustomEdit* Edit() const { return FEdit; }
    int Count() const { return FItems->Count(); }
    void Clear();

    // OnChange: the text changed (typing, or a new item). OnSelect: the user picked an item.
    TNotifyEvent OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent AValue) { FOnChange = AValue; }
    TNotifyEvent OnSelect() const { return FOnSelect; }
    void SetOnSelect(TNotifyEvent AValue) { FOnSelect = AValue; }
    TNotifyEvent OnDropDown() const { return FOnDropDown; }
    void SetOnDropDown(TNotifyEvent AValue) { FOnDropDown = AValue; }
    TNotifyEvent OnCloseUp() const { return FOnCloseUp; }
    void SetOnCloseUp(TNotifyEvent AValue) { FOnCloseUp = AValue; }
    TDrawItemEvent OnDrawItem() const { return FOnDrawItem; }
    void SetOnDrawItem(TDrawItemEvent AValue) { FOnDrawItem = AValue; }

protected:
    TCustomComboBox() = default;
    ~TCustomComboBox() override;
    void Construct(TComponent* AOwner) override;
    void WndProc(TMessage& AMessage) override;
    void Paint() override;
    void KeyDown(uint16_t& AKey, TShiftState AShift) override;
    void KeyPress(char32_t& AKey) override;
    void MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY) override;
    bool DoMouseWheel(TShiftState AShift, int AWheelDelta, TPoint AMousePos) override;
    void Resize() override;
    virtual void Change();
    virtual void Select();
    virtual void DropDown();
    virtual void CloseUp();

private:
    friend class TComboEdit;
    friend class TComboPopup;
    void ItemsChanged(TObject*);
    void EditChanged(TObject*);
    // The user picked AIndex (list, keys, wheel): index, text, OnChange, OnSelect, OnClick.
    void Choose(int AIndex);
    void PlaceEdit();
    TRect ButtonRect() const;
    bool HandleListKey(uint16_t AKey, TShiftState AShift);

    TComboBoxStyle FStyle = csDropDown;
    TStringList* FItems = nullptr;
    TCustomEdit* FEdit = nullptr;
    TCustomForm* FPopup = nullptr;
    int FItemIndex = -1;
    int FDropDownCount = 8;
    int FItemHeight = 16;
    bool FAutoComplete = true;
    String FTextHint;
    String FTyped;
    int64_t FTypedAt = 0;
    bool FClosing = false;
    bool FTypingChar = false;
    TNotifyEvent FOnChange;
    TNotifyEvent FOnSelect;
    TNotifyEvent FOnDropDown;
    TNotifyEvent FOnCloseUp;
    TDrawItemEvent FOnDrawItem;
};

class TComboBox : public TCustomComboBox {
    X_CLASS(TComboBox, TCustomComboBox)
protected:
    TComboBox() = default;
};

// ---- Scroll bar --------------------------------------------------------------------------

class TScrollBar : public TCustomControl {
    X_CLASS(TScrollBar, TCustomControl)
public:
    TScrollBarKind Kind() const { return FBar.Kind; }
    void SetKind(TScrollBarKind AValue);
    int Min() const { return FBar.Min; }
    int Max() const { return FBar.Max; }
    // Raises EInvalidOperation when AMin > AMax; the position is kept within.
    void SetParams(int APosition, int AMin, int AMax);
    void SetMin(int AValue) { SetParams(FBar.Position, AValue, FBar.Max); }
    void SetMax(int AValue) { SetParams(FBar.Position, FBar.Min, AValue); }
    int Position() const { return FBar.Position; }
    // A change fires OnChange.
    void SetPosition(int AValue);
    int PageSize() const { return FBar.Page; }
    void SetPageSize(int AValue);
    int SmallChange() const { return FSmallChange; }
    void SetSmallChange(int AValue) { FSmallChange = AValue; }
    int LargeChange() const { return FLargeChange; }
    void SetLargeChange(int AValue) { FLargeChange = AValue; }

    TNotifyEvent OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent AValue) { FOnChange = AValue; }
    TScrollEvent OnScroll() const { return FOnScroll; }
    void SetOnScroll(TScrollEvent AValue) { FOnScroll = AValue; }

protected:
    TScrollBar() = default;
    void Construct(TComponent* AOwner) override;
    void WndProc(TMessage& AMessage) override;
    void Paint() override;
    void KeyDown(uint16_t& AKey, TShiftState AShift) override;
    void MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY) override;
    void MouseMove(TShiftState AShift, int AX, int AY) override;
    void MouseUp(TMouseButton AButton, TShiftState AShift, int AX, int AY) override;
    bool DoMouseWheel(TShiftState AShift, int AWheelDelta, TPoint AMousePos) override;
    void Resize() override;
    virtual void Scroll(TScrollCode ACode, int& APos);

private:
    void ScrollBy(TScrollCode ACode);

    TScrollBarPart FBar;
    int FSmallChange = 1;
    int FLargeChange = 1;
    TNotifyEvent FOnChange;
    TScrollEvent FOnScroll;
};

// ---- Type-to-find ------------------------------------------------------------------------

// The letters typed so far for a search: AKey added, or AKey alone after a pause.
String TypedSoFar(String& ATyped, int64_t& ATypedAt, char32_t AKey);
// The first of ACount texts after AFrom (wrapping round) that starts with the typed letters,
// letter case ignored; one letter typed again steps on to the next text with that letter.
// -1 for none.
int FindTyped(int ACount, const std::function<String(int)>& AText, int AFrom, const String& ATyped);
int FindTyped(TStrings* AItems, int AFrom, const String& ATyped);

// ---- Code points -------------------------------------------------------------------------

std::u32string ToChars(const String& AText);
String FromChars(std::u32string_view AChars);

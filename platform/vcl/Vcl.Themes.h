// Vcl.Themes.h: styles. A style paints the standard parts of controls (buttons, boxes, bars,
// tabs, captions...) in its states and answers its colours; the style manager holds the styles
// by name and the active one; style hooks, registered per control class, let a style take over
// a control's messages while a custom style is active. UI thread only.
// Controls ask StyleServices() (the active style) or a named style for their painting; they
// never draw a standard part themselves.
#pragma once

#include <vector>

#include "Rtl.Classes.h"
#include "Rtl.SysUtils.h"
#include "Vcl.Controls.h"
#include "Vcl.Styles.h"

// Sent (performed) to every form and each of its controls after the active style changed.
inline constexpr UINT CM_STYLECHANGED = CM_BASE + 0x59;

X_EXCEPTION(EStyleEngineException, Exception);

// ---- Elements ----------------------------------------------------------------------------

enum TThemedElement : uint8_t {
    teButton,
    teComboBox,
    teEdit,
    teHeader,
    teListView,
    tePanel,
    teProgress,
    teScrollBar,
    teTab,
    teTextLabel,
    teTrackBar,
    teWindow,
};

// A part of an element in a state, as GetElementDetails hands it out.
struct TThemedElementDetails {
    TThemedElement Element = teButton;
    int Part = 0;
    int State = 0;
    friend bool operator==(const TThemedElementDetails&, const TThemedElementDetails&) = default;
};

enum TThemedButton : uint8_t {
    tbPushButtonNormal, tbPushButtonHot, tbPushButtonPressed, tbPushButtonDisabled, tbPushButtonDefaulted,
    tbRadioButtonUncheckedNormal, tbRadioButtonUncheckedHot, tbRadioButtonUncheckedPressed,
    tbRadioButtonUncheckedDisabled,
    tbRadioButtonCheckedNormal, tbRadioButtonCheckedHot, tbRadioButtonCheckedPressed, tbRadioButtonCheckedDisabled,
    tbCheckBoxUncheckedNormal, tbCheckBoxUncheckedHot, tbCheckBoxUncheckedPressed, tbCheckBoxUncheckedDisabled,
    tbCheckBoxCheckedNormal, tbCheckBoxCheckedHot, tbCheckBoxCheckedPressed, tbCheckBoxCheckedDisabled,
    tbCheckBoxMixedNormal, tbCheckBoxMixedHot, tbCheckBoxMixedPressed, tbCheckBoxMixedDisabled,
    tbGroupBoxNormal, tbGroupBoxDisabled,
};

enum TThemedComboBox : uint8_t {
    tcDropDownButtonNormal, tcDropDownButtonHot, tcDropDownButtonPressed, tcDropDownButtonDisabled,
    tcBorderNormal, tcBorderHot, tcBorderFocused, tcBorderDisabled,
    tcReadOnlyNormal, tcReadOnlyHot, tcReadOnlyPressed, tcReadOnlyDisabled,
};

enum TThemedEdit : uint8_t {
    teEditTextNormal, teEditTextHot, teEditTextFocused, teEditTextDisabled, teEditTextReadOnly,
};

enum TThemedHeader : uint8_t {
    thHeaderItemNormal, thHeaderItemHot, thHeaderItemPressed, thHeaderRoot,
};

// Group headers are drawn with their chevron: open points down, closed points right.
enum TThemedListView : uint8_t {
    tlListItemNormal, tlListItemHot, tlListItemSelected, tlListItemSelectedNotFocus, tlListItemHotSelected,
    tlGroupHeaderOpen, tlGroupHeaderOpenHot, tlGroupHeaderOpenSelected, tlGroupHeaderOpenSelectedHot,
    tlGroupHeaderClose, tlGroupHeaderCloseHot, tlGroupHeaderCloseSelected, tlGroupHeaderCloseSelectedHot,
    tlGroupHeaderLine,
};

enum TThemedPanel : uint8_t { tpPanelBackground, tpPanelBevel };

enum TThemedProgress : uint8_t { tprBar, tprBarVert, tprChunk, tprChunkVert };

enum TThemedScrollBar : uint8_t {
    tsArrowBtnUpNormal, tsArrowBtnUpHot, tsArrowBtnUpPressed, tsArrowBtnUpDisabled,
    tsArrowBtnDownNormal, tsArrowBtnDownHot, tsArrowBtnDownPressed, tsArrowBtnDownDisabled,
    tsArrowBtnLeftNormal, tsArrowBtnLeftHot, tsArrowBtnLeftPressed, tsArrowBtnLeftDisabled,
    tsArrowBtnRightNormal, tsArrowBtnRightHot, tsArrowBtnRightPressed, tsArrowBtnRightDisabled,
    tsThumbBtnHorzNormal, tsThumbBtnHorzHot, tsThumbBtnHorzPressed, tsThumbBtnHorzDisabled,
    tsThumbBtnVertNormal, tsThumbBtnVertHot, tsThumbBtnVertPressed, tsThumbBtnVertDisabled,
    tsTrackHorzNormal, tsTrackHorzDisabled, tsTrackVertNormal, tsTrackVertDisabled,
    tsSizeBox,
};

enum TThemedTab : uint8_t {
    ttTabItemNormal, ttTabItemHot, ttTabItemSelected, ttTabItemDisabled, ttTabItemFocused, ttPane,
};

// The divider is the etched line that labels and group boxes draw beside a caption.
enum TThemedTextLabel : uint8_t { ttlTextLabelNormal, ttlTextLabelDisabled, ttlDivider };

// The thumb of a horizontal bar points down, of a vertical one right.
enum TThemedTrackBar : uint8_t {
    ttbTrack, ttbTrackVert,
    ttbThumbNormal, ttbThumbHot, ttbThumbPressed, ttbThumbFocused, ttbThumbDisabled,
    ttbThumbVertNormal, ttbThumbVertHot, ttbThumbVertPressed, ttbThumbVertFocused, ttbThumbVertDisabled,
    ttbTics, ttbTicsVert,
};

// The frame parts of a window and its caption buttons; the small variants are a tool
// window's. twSysButtonNormal is the place of the window's icon in the caption.
enum TThemedWindow : uint8_t {
    twCaptionActive, twCaptionInactive, twSmallCaptionActive, twSmallCaptionInactive,
    twFrameLeftActive, twFrameLeftInactive, twFrameRightActive, twFrameRightInactive,
    twFrameBottomActive, twFrameBottomInactive,
    twSmallFrameLeftActive, twSmallFrameLeftInactive, twSmallFrameRightActive, twSmallFrameRightInactive,
    twSmallFrameBottomActive, twSmallFrameBottomInactive,
    twSysButtonNormal,
    twCloseButtonNormal, twCloseButtonHot, twCloseButtonPushed, twCloseButtonDisabled,
    twSmallCloseButtonNormal, twSmallCloseButtonHot, twSmallCloseButtonPushed, twSmallCloseButtonDisabled,
    twMaxButtonNormal, twMaxButtonHot, twMaxButtonPushed, twMaxButtonDisabled,
    twMinButtonNormal, twMinButtonHot, twMinButtonPushed, twMinButtonDisabled,
    twRestoreButtonNormal, twRestoreButtonHot, twRestoreButtonPushed, twRestoreButtonDisabled,
    twHelpButtonNormal, twHelpButtonHot, twHelpButtonPushed, twHelpButtonDisabled,
    twFormBackground,
};

// ---- Colours of a style ------------------------------------------------------------------

// The colours of the style's large areas.
enum TStyleColor : uint8_t {
    scBorder, scButtonDisabled, scButtonFocused, scButtonHot, scButtonNormal, scButtonPressed,
    scComboBox, scComboBoxDisabled, scEdit, scEditDisabled, scGenericBackground, scListBox,
    scListBoxDisabled, scListView, scPanel, scPanelDisabled, scSplitter, scTreeView, scWindow,
};

// The colours of texts on the style's parts.
enum TStyleFont : uint8_t {
    sfButtonTextNormal, sfButtonTextHot, sfButtonTextPressed, sfButtonTextFocused, sfButtonTextDisabled,
    sfCheckBoxTextNormal, sfCheckBoxTextHot, sfCheckBoxTextPressed, sfCheckBoxTextDisabled,
    sfRadioButtonTextNormal, sfRadioButtonTextHot, sfRadioButtonTextPressed, sfRadioButtonTextDisabled,
    sfGroupBoxTextNormal, sfGroupBoxTextDisabled,
    sfEditBoxTextNormal, sfEditBoxTextHot, sfEditBoxTextFocused, sfEditBoxTextDisabled, sfEditBoxTextReadOnly,
    sfComboBoxItemNormal, sfComboBoxItemDisabled,
    sfHeaderSectionTextNormal, sfHeaderSectionTextHot, sfHeaderSectionTextPressed,
    sfListItemTextNormal, sfListItemTextHot, sfListItemTextSelected, sfListItemTextDisabled,
    sfTabTextActiveNormal, sfTabTextInactiveNormal, sfTabTextInactiveHot, sfTabTextInactiveDisabled,
    sfPanelTextNormal, sfPanelTextDisabled,
    sfTextLabelNormal, sfTextLabelDisabled,
    sfCaptionTextNormal, sfCaptionTextInactive, sfSmCaptionTextNormal, sfSmCaptionTextInactive,
    sfWindowTextNormal, sfWindowTextDisabled,
};

// What GetElementColor answers of an element's face.
enum TElementColor : uint8_t {
    ecFillColor, ecFillColorEnd, ecBorderColor, ecEdgeHighlightColor, ecEdgeShadowColor, ecGlyphColor, ecTextColor,
};

enum TElementSize : uint8_t { esMinimum, esActual };

// ---- Style services ----------------------------------------------------------------------

// One style: paints the element catalogue and answers its colours and sizes. Made and owned by
// the style manager; hold a pointer, never free one.
class TCustomStyleServices : public TObject {
    X_CLASS(TCustomStyleServices, TObject)
public:
    const String& Name() const { return FName; }
    // Styles here always paint; both stay True. Callers of the Parts ask them all the same.
    bool Enabled() const { return true; }
    bool Available() const { return true; }
    // The system look ("Windows").
    bool IsSystemStyle() const { return FDescription->System; }
    // A custom style takes the messages of hooked controls; the system style never does.
    bool HandlesMessages() const { return !IsSystemStyle(); }

    TThemedElementDetails GetElementDetails(TThemedButton ADetail) const;
    TThemedElementDetails GetElementDetails(TThemedComboBox ADetail) const;
    TThemedElementDetails GetElementDetails(TThemedEdit ADetail) const;
    TThemedElementDetails GetElementDetails(TThemedHeader ADetail) const;
    TThemedElementDetails GetElementDetails(TThemedListView ADetail) const;
    TThemedElementDetails GetElementDetails(TThemedPanel ADetail) const;
    TThemedElementDetails GetElementDetails(TThemedProgress ADetail) const;
    TThemedElementDetails GetElementDetails(TThemedScrollBar ADetail) const;
    TThemedElementDetails GetElementDetails(TThemedTab ADetail) const;
    TThemedElementDetails GetElementDetails(TThemedTextLabel ADetail) const;
    TThemedElementDetails GetElementDetails(TThemedTrackBar ADetail) const;
    TThemedElementDetails GetElementDetails(TThemedWindow ADetail) const;

    // Paints the element into ARect (cut by AClip when given), sized for ADpi. False for
    // details that name no element.
    bool DrawElement(TCanvas* ACanvas, const TThemedElementDetails& ADetails, const TRect& ARect,
                     const TRect* AClip = nullptr, int ADpi = 96) const;
    // The text as TextRect lays it out, in AColor, or in the element's text colour when AColor
    // is clNone. The canvas's font and brush are left as they were.
    bool DrawText(TCanvas* ACanvas, const TThemedElementDetails& ADetails, const String& AText, TRect& ARect,
                  TTextFormat AFormat, TColor AColor = clNone) const;
    // The focus rectangle of the style.
    void DrawFocusRect(TCanvas* ACanvas, const TRect& ARect, int ADpi = 96) const;
    // Fills ARect of ACanvas (all of AControl's client area when nullptr) with what AControl's
    // parent shows there: the parent's colour as this style paints it.
    void DrawParentBackground(TControl* AControl, TCanvas* ACanvas, const TRect* ARect) const;

    // False when the element's face does not have that colour (it leaves the layer out).
    bool GetElementColor(const TThemedElementDetails& ADetails, TElementColor AColorType, TColor& AColor) const;
    // The size the element wants (check boxes, scroll bar buttons, thumbs, caption parts);
    // False for elements that take any size.
    bool GetElementSize(const TThemedElementDetails& ADetails, TElementSize AType, TSize& ASize,
                        int ADpi = 96) const;
    // Where content goes inside the element drawn in ABounds: inside its border and padding.
    TRect GetElementContentRect(const TThemedElementDetails& ADetails, const TRect& ABounds, int ADpi = 96) const;
    // True when the element leaves pixels of ARect unpainted (round corners, no fill).
    bool HasTransparentParts(const TThemedElementDetails& ADetails) const;

    // The style's value of a system colour (clBtnFace...), the system's own for the system style;
    // other colours come back unchanged.
    TColor GetSystemColor(TColor AColor) const;
    TColor GetStyleColor(TStyleColor AColor) const;
    TColor GetStyleFontColor(TStyleFont AFont) const;
    const TStyleMetrics& Metrics() const { return FMetrics; }

protected:
    TCustomStyleServices() = default;
    void Construct(const TStyleDescription& ADescription);

private:
    friend class TStyleManager;
    // The face the element is painted with, its colours resolved; nullptr for no element.
    const TStyleFace* FindFace(const TThemedElementDetails& ADetails) const;
    TStyleFace Resolved(const TStyleFace& AFace) const;
    void RefreshSystemMetrics();

    const TStyleDescription* FDescription = nullptr;
    String FName;
    TStyleMetrics FMetrics;
};

// ---- Style hooks and the style engine ----------------------------------------------------

// Takes over the messages of one control while a custom style is active: the style engine
// makes one for each control whose class (or an ancestor class) has a hook class registered,
// hands it the control's messages before the control sees them, and frees it with the control
// or when the active style changes. Descendants override WndProc and the paint hooks.
// A control performs WM_PAINT through its window procedure with the canvas to paint on in
// wParam; the hook then paints the control in its place.
class TStyleHook : public TObject {
    X_CLASS(TStyleHook, TObject)
public:
    TWinControl* Control() const { return FControl; }
    // Answers whether the hook took the message (the control's own procedure then does not
    // see it). While the hook is calling the control's own procedure it takes nothing, so a
    // message passed on does not come back.
    virtual bool HandleMessage(TMessage& AMessage);
    virtual void Invalidate();

protected:
    TStyleHook() = default;
    // Creation from the registered class reference.
    virtual void Construct(TWinControl* AControl);
    // Sets Handled for what it takes. The base paints on WM_PAINT with a canvas, follows the
    // mouse in and out of the control, and leaves everything else to the control.
    virtual void WndProc(TMessage& AMessage);
    virtual void Paint(TCanvas*) {}
    // Fills the control with what its parent shows.
    virtual void PaintBackground(TCanvas* ACanvas);
    virtual void MouseEnter() {}
    virtual void MouseLeave() {}
    // Hands the message to the control's own window procedure.
    void CallDefaultProc(TMessage& AMessage);
    // The style the hook paints with: the active style. Hooks of controls with a style of their
    // own answer that one.
    virtual TCustomStyleServices* StyleServices() const;
    bool Handled() const { return FHandled; }
    void SetHandled(bool AValue) { FHandled = AValue; }
    bool MouseInControl() const { return FMouseInControl; }
    // True: the hook paints the control on WM_PAINT; False passes WM_PAINT on.
    bool OverridePaint() const { return FOverridePaint; }
    void SetOverridePaint(bool AValue) { FOverridePaint = AValue; }

private:
    friend class TStyleEngine;
    TWinControl* FControl = nullptr;
    TWndMethod FDefaultProc;
    bool FHandled = false;
    bool FCallingDefault = false;
    bool FMouseInControl = false;
    bool FOverridePaint = true;
};

// Knows which hook class serves which control class and keeps the hooks of the controls.
class TStyleEngine {
public:
    // A later registration for the same control class wins; registering the same pair twice
    // changes nothing. AHookClass must descend from TStyleHook.
    static void RegisterStyleHook(TClass AControlClass, TClass AHookClass);
    // Raises EStyleEngineException when the pair is not registered.
    static void UnRegisterStyleHook(TClass AControlClass, TClass AHookClass);
    // The hook class for a control of AControlClass: that of the class itself or of its nearest
    // ancestor with one; nullptr for none.
    static TClass StyleHookClass(TClass AControlClass);
    // What a control's WndProc calls first: while a custom style is active, the control's hook
    // (made at the first message) gets the message; ADefWndProc is the control's own procedure,
    // which the hook calls for what it passes on. False: the control handles the message itself.
    static bool HandleMessage(TWinControl* AControl, TMessage& AMessage, TWndMethod ADefWndProc);
    // The hook the control has now; nullptr for none.
    static TStyleHook* FindHook(TWinControl* AControl);
    // Frees every hook; they are made again at their controls' next messages.
    static void FreeHooks();
};

// ---- Style manager -----------------------------------------------------------------------

using TStyleChangedEvent = TNotifyEvent;

// The styles by name, and the active one: "Windows" until a program selects another.
class TStyleManager {
public:
    static constexpr const char* SystemStyleName = "Windows";

    static TCustomStyleServices* ActiveStyle();
    static TCustomStyleServices* SystemStyle();
    // The style of that name (exact); nullptr for none.
    static TCustomStyleServices* Style(const String& AName);
    static std::vector<String> StyleNames();
    static bool IsCustomStyleActive() { return !ActiveStyle()->IsSystemStyle(); }

    // Makes the style active. A change frees the style hooks, calls the style-changed handlers,
    // then performs CM_STYLECHANGED on every form the application owns and on each of its
    // controls, and repaints the forms. An unknown name raises EStyleEngineException "Style 'name' not found".
    static void SetStyle(const String& AName);
    // SetStyle that answers False for an unknown name and keeps the active style.
    static bool TrySetStyle(const String& AName);

    // Handlers run in the order they were added, with the new style active; a handler added
    // twice runs once.
    static void AddStyleChangedHandler(TStyleChangedEvent AHandler);
    static void RemoveStyleChangedHandler(TStyleChangedEvent AHandler);
};

// The active style.
TCustomStyleServices* StyleServices();

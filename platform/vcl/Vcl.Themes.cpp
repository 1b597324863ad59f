// Vcl.Themes.cpp: the style services over a style description, the style manager, and the
// hooks that the style engine keeps per control. What each element is painted as is the
// catalogue's (Vcl.Styles.Elements).
#include "Vcl.Themes.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

#include "Vcl.Forms.h"
#include "Vcl.Styles.Elements.h"
#include "Win.Display.h"

using namespace StyleElements;

namespace {

bool IsSystemColor(TColor AColor)
{
    return (uint32_t(AColor) & 0xFF000000u) == 0xFF000000u;
}

}  // namespace

// ---- Style services ----------------------------------------------------------------------

void TCustomStyleServices::Construct(const TStyleDescription& ADescription)
{
    FDescription = &ADescription;
    FName = ADescription.Name;
    FMetrics = ADescription.Metrics;
    RefreshSystemMetrics();
}

// The system look takes the sizes the system reports, at 96 DPI.
void TCustomStyleServices::RefreshSystemMetrics()
{
    if (!FDescription->System)
        return;
    int Dpi = GetScreenLogicalDpi().Y;
    auto At96 = [&](int AIndex) {
        return Dpi > 0 ? MulDiv(GetSystemMetrics(AIndex), 96, Dpi) : GetSystemMetrics(AIndex);
    };
    FMetrics.CheckBoxSize = At96(SM_CXMENUCHECK);
    FMetrics.RadioSize = At96(SM_CXMENUCHECK);
    FMetrics.ScrollBarSize = At96(SM_CXVSCROLL);
    FMetrics.CaptionHeight = At96(SM_CYCAPTION);
    FMetrics.SmallCaptionHeight = At96(SM_CYSMCAPTION);
    FMetrics.FrameWidth = At96(SM_CXFRAME);
    FMetrics.CaptionButton = TSize{At96(SM_CXSIZE), At96(SM_CYSIZE)};
    FMetrics.SmallCaptionButton = TSize{At96(SM_CXSMSIZE), At96(SM_CYSMSIZE)};
    FMetrics.CaptionIcon = At96(SM_CXSMICON);
}

TThemedElementDetails TCustomStyleServices::GetElementDetails(TThemedButton ADetail) const
{
    static constexpr TPartRun Runs[] = {{tbPushButtonNormal, kPushButton},
                                        {tbRadioButtonUncheckedNormal, kRadioButton},
                                        {tbCheckBoxUncheckedNormal, kCheckBox},
                                        {tbGroupBoxNormal, kGroupBox}};
    return Details(teButton, ADetail, Runs);
}

TThemedElementDetails TCustomStyleServices::GetElementDetails(TThemedComboBox ADetail) const
{
    static constexpr TPartRun Runs[] = {
        {tcDropDownButtonNormal, kComboButton}, {tcBorderNormal, kComboBorder}, {tcReadOnlyNormal, kComboReadOnly}};
    return Details(teComboBox, ADetail, Runs);
}

TThemedElementDetails TCustomStyleServices::GetElementDetails(TThemedEdit ADetail) const
{
    static constexpr TPartRun Runs[] = {{teEditTextNormal, kEditText}};
    return Details(teEdit, ADetail, Runs);
}

TThemedElementDetails TCustomStyleServices::GetElementDetails(TThemedHeader ADetail) const
{
    static constexpr TPartRun Runs[] = {{thHeaderItemNormal, kHeaderItem}, {thHeaderRoot, kHeaderRoot}};
    return Details(teHeader, ADetail, Runs);
}

TThemedElementDetails TCustomStyleServices::GetElementDetails(TThemedListView ADetail) const
{
    static constexpr TPartRun Runs[] = {
        {tlListItemNormal, kListItem}, {tlGroupHeaderOpen, kGroupHeader}, {tlGroupHeaderLine, kGroupHeaderLine}};
    return Details(teListView, ADetail, Runs);
}

TThemedElementDetails TCustomStyleServices::GetElementDetails(TThemedPanel ADetail) const
{
    static constexpr TPartRun Runs[] = {{tpPanelBackground, kPanelBackground}, {tpPanelBevel, kPanelBevel}};
    return Details(tePanel, ADetail, Runs);
}

TThemedElementDetails TCustomStyleServices::GetElementDetails(TThemedProgress ADetail) const
{
    static constexpr TPartRun Runs[] = {{tprBar, kProgressBar},
                                        {tprBarVert, kProgressBarVert},
                                        {tprChunk, kProgressChunk},
                                        {tprChunkVert, kProgressChunkVert}};
    return Details(teProgress, ADetail, Runs);
}

TThemedElementDetails TCustomStyleServices::GetElementDetails(TThemedScrollBar ADetail) const
{
    static constexpr TPartRun Runs[] = {{tsArrowBtnUpNormal, kScrollArrow},   {tsThumbBtnHorzNormal, kThumbHorz},
                                        {tsThumbBtnVertNormal, kThumbVert},   {tsTrackHorzNormal, kTrackHorz},
                                        {tsTrackVertNormal, kTrackVert},      {tsSizeBox, kSizeBox}};
    return Details(teScrollBar, ADetail, Runs);
}

TThemedElementDetails TCustomStyleServices::GetElementDetails(TThemedTab ADetail) const
{
    static constexpr TPartRun Runs[] = {{ttTabItemNormal, kTabItem}, {ttPane, kTabPane}};
    return Details(teTab, ADetail, Runs);
}

TThemedElementDetails TCustomStyleServices::GetElementDetails(TThemedTextLabel ADetail) const
{
    static constexpr TPartRun Runs[] = {{ttlTextLabelNormal, kTextLabel}, {ttlDivider, kDivider}};
    return Details(teTextLabel, ADetail, Runs);
}

TThemedElementDetails TCustomStyleServices::GetElementDetails(TThemedTrackBar ADetail) const
{
    static constexpr TPartRun Runs[] = {{ttbTrack, kChannel},
                                        {ttbTrackVert, kChannelVert},
                                        {ttbThumbNormal, kThumb},
                                        {ttbThumbVertNormal, kThumbVertical},
                                        {ttbTics, kTics},
                                        {ttbTicsVert, kTicsVert}};
    return Details(teTrackBar, ADetail, Runs);
}

TThemedElementDetails TCustomStyleServices::GetElementDetails(TThemedWindow ADetail) const
{
    static constexpr TPartRun Runs[] = {
        {twCaptionActive, kCaption},           {twSmallCaptionActive, kSmallCaption},
        {twFrameLeftActive, kFrameLeft},       {twFrameRightActive, kFrameRight},
        {twFrameBottomActive, kFrameBottom},   {twSmallFrameLeftActive, kSmallFrameLeft},
        {twSmallFrameRightActive, kSmallFrameRight}, {twSmallFrameBottomActive, kSmallFrameBottom},
        {twSysButtonNormal, kSysButton},       {twCloseButtonNormal, kCloseButton},
        {twSmallCloseButtonNormal, kSmallCloseButton}, {twMaxButtonNormal, kMaxButton},
        {twMinButtonNormal, kMinButton},       {twRestoreButtonNormal, kRestoreButton},
        {twHelpButtonNormal, kHelpButton},     {twFormBackground, kFormBackground}};
    return Details(teWindow, ADetail, Runs);
}

TColor TCustomStyleServices::GetSystemColor(TColor AColor) const
{
    if (!IsSystemColor(AColor))
        return AColor;
    // The system look takes the system's colours now, so that a control painting in it under
    // another active style does not have them resolved by that style.
    if (FDescription->System)
        return ColorToRGB(AColor);
    size_t Index = uint32_t(AColor) & 0xFFu;
    return Index < FDescription->SystemColors.size() ? FDescription->SystemColors[Index] : clBlack;
}

TStyleFace TCustomStyleServices::Resolved(const TStyleFace& AFace) const
{
    TStyleFace F = AFace;
    for (TColor* C : {&F.Fill, &F.FillEnd, &F.Border, &F.Light, &F.Shadow, &F.Accent, &F.Glyph, &F.Text})
        *C = GetSystemColor(*C);
    return F;
}

const TStyleFace* TCustomStyleServices::FindFace(const TThemedElementDetails& ADetails) const
{
    return ElementPaint(FDescription->Looks, FMetrics, ADetails).Face;
}

bool TCustomStyleServices::DrawElement(TCanvas* ACanvas, const TThemedElementDetails& ADetails, const TRect& ARect,
                                       const TRect* AClip, int ADpi) const
{
    TElementPaint P = ElementPaint(FDescription->Looks, FMetrics, ADetails);
    if (P.Face == nullptr)
        return false;
    TStyleFace Face = Resolved(*P.Face);
    if (P.Vertical)
        Face.Gradient = Face.Gradient == sgVertical ? sgHorizontal : sgVertical;
    double Scale = ADpi / 96.0;
    if (PaintLineElement(ACanvas, ADetails, ARect, AClip, Face, Scale))
        return true;
    TRect Body, GlyphBox;
    PlaceElement(ADetails, FMetrics, ARect, ADpi, Body, GlyphBox);
    PaintPart(ACanvas, Body, AClip, Face, P.Shape, Scale);
    PaintGlyph(ACanvas, GlyphBox, AClip, P.Glyph, Face.Glyph, FMetrics.GlyphStroke, Scale);
    return true;
}

bool TCustomStyleServices::DrawText(TCanvas* ACanvas, const TThemedElementDetails& ADetails, const String& AText,
                                    TRect& ARect, TTextFormat AFormat, TColor AColor) const
{
    const TStyleFace* Face = FindFace(ADetails);
    if (Face == nullptr)
        return false;
    TColor Color = AColor != clNone ? AColor : GetSystemColor(Face->Text);
    TColor OldColor = ACanvas->Font()->Color();
    TBrushStyle OldStyle = ACanvas->Brush()->Style();
    if (Color != clNone)
        ACanvas->Font()->SetColor(Color);
    ACanvas->Brush()->SetStyle(bsClear);
    ACanvas->TextRect(ARect, AText, AFormat);
    ACanvas->Brush()->SetStyle(OldStyle);
    ACanvas->Font()->SetColor(OldColor);
    return true;
}

void TCustomStyleServices::DrawFocusRect(TCanvas* ACanvas, const TRect& ARect, int ADpi) const
{
    PaintFocusFrame(ACanvas, ARect, Resolved(FDescription->Looks.FocusRect), ADpi / 96.0);
}

void TCustomStyleServices::DrawParentBackground(TControl* AControl, TCanvas* ACanvas, const TRect* ARect) const
{
    TRect Area = ARect != nullptr ? *ARect : AControl != nullptr ? AControl->ClientRect() : ACanvas->ClipRect();
    TWinControl* Parent = AControl != nullptr ? AControl->Parent() : nullptr;
    TColor Color = GetSystemColor(Parent != nullptr ? Parent->Color() : FDescription->Looks.FormBackground.Fill);
    TBrush* Brush = ACanvas->Brush();
    TColor OldColor = Brush->Color();
    TBrushStyle OldStyle = Brush->Style();
    Brush->SetColor(Color);
    ACanvas->FillRect(Area);
    Brush->SetColor(OldColor);
    Brush->SetStyle(OldStyle);
}

bool TCustomStyleServices::GetElementColor(const TThemedElementDetails& ADetails, TElementColor AColorType,
                                           TColor& AColor) const
{
    const TStyleFace* Face = FindFace(ADetails);
    if (Face == nullptr)
        return false;
    TColor TStyleFace::*Members[] = {&TStyleFace::Fill,  &TStyleFace::FillEnd, &TStyleFace::Border, &TStyleFace::Light,
                                     &TStyleFace::Shadow, &TStyleFace::Glyph,  &TStyleFace::Text};
    TColor Color = GetSystemColor(Face->*Members[AColorType]);
    if (Color == clNone)
        return false;
    AColor = Color;
    return true;
}

bool TCustomStyleServices::GetElementSize(const TThemedElementDetails& ADetails, TElementSize AType, TSize& ASize,
                                          int ADpi) const
{
    if (FindFace(ADetails) == nullptr)
        return false;
    const TStyleMetrics& M = FMetrics;
    auto Answer = [&](int AWidth, int AHeight) {
        ASize = TSize{Scaled(AWidth, ADpi), Scaled(AHeight, ADpi)};
        return true;
    };
    int P = ADetails.Part;
    switch (ADetails.Element) {
    case teButton:
        if (P == kCheckBox)
            return Answer(M.CheckBoxSize, M.CheckBoxSize);
        if (P == kRadioButton)
            return Answer(M.RadioSize, M.RadioSize);
        return false;
    case teScrollBar:
        if (P == kScrollArrow || P == kSizeBox)
            return Answer(M.ScrollBarSize, M.ScrollBarSize);
        if (AType == esMinimum && P == kThumbHorz)
            return Answer(M.ScrollThumbMin, M.ScrollBarSize);
        if (AType == esMinimum && P == kThumbVert)
            return Answer(M.ScrollBarSize, M.ScrollThumbMin);
        return false;
    case teTrackBar:
        if (P == kThumb)
            return Answer(M.TrackThumb.cx, M.TrackThumb.cy);
        if (P == kThumbVertical)
            return Answer(M.TrackThumb.cy, M.TrackThumb.cx);
        if (P == kChannel)
            return Answer(0, M.TrackChannel);
        if (P == kChannelVert)
            return Answer(M.TrackChannel, 0);
        return false;
    case teWindow:
        switch (P) {
        case kCaption:
            return Answer(0, M.CaptionHeight);
        case kSmallCaption:
            return Answer(0, M.SmallCaptionHeight);
        case kFrameLeft:
        case kFrameRight:
        case kSmallFrameLeft:
        case kSmallFrameRight:
            return Answer(M.FrameWidth, 0);
        case kFrameBottom:
        case kSmallFrameBottom:
            return Answer(0, M.FrameWidth);
        case kSysButton:
            return Answer(M.CaptionIcon, M.CaptionIcon);
        case kSmallCloseButton:
            return Answer(M.SmallCaptionButton.cx, M.SmallCaptionButton.cy);
        case kFormBackground:
            return false;
        default:
            return Answer(M.CaptionButton.cx, M.CaptionButton.cy);
        }
    default:
        return false;
    }
}

TRect TCustomStyleServices::GetElementContentRect(const TThemedElementDetails& ADetails, const TRect& ABounds,
                                                  int ADpi) const
{
    const TStyleFace* Face = FindFace(ADetails);
    if (Face == nullptr)
        return ABounds;
    if (ADetails.Element == teWindow && ADetails.Part == kSysButton) {
        int Side = Scaled(FMetrics.CaptionIcon, ADpi);
        TRect Box = Centred(ABounds, Side, Side);
        return Rect(ABounds.Left + Scaled(4, ADpi), Box.Top, ABounds.Left + Scaled(4, ADpi) + Side, Box.Bottom);
    }
    int Border = Face->Border != clNone ? Scaled(Face->BorderWidth, ADpi) : 0;
    int Padding = Scaled(Face->Radius / 2, ADpi);
    bool Framed = ADetails.Element == teButton || ADetails.Element == teEdit || ADetails.Element == teComboBox;
    if (Framed)
        Padding += Scaled(2, ADpi);
    TRect Content = Inflated(ABounds, -(Border + Padding), -(Border + Padding));
    if (ADetails.Element == teComboBox && ADetails.Part == kComboReadOnly)
        Content.Right = std::max(Content.Left, ABounds.Right - Scaled(FMetrics.ScrollBarSize, ADpi));
    return Content;
}

bool TCustomStyleServices::HasTransparentParts(const TThemedElementDetails& ADetails) const
{
    TElementPaint P = ElementPaint(FDescription->Looks, FMetrics, ADetails);
    if (P.Face == nullptr)
        return false;
    // Boxes and radio buttons keep their own size inside any rectangle.
    bool Sized = ADetails.Element == teButton && (ADetails.Part == kCheckBox || ADetails.Part == kRadioButton);
    bool Square = P.Shape != shRound && P.Shape != shPointerDown && P.Shape != shPointerRight;
    return Sized || !Square || P.Face->Fill == clNone || P.Face->Radius > 0;
}

TColor TCustomStyleServices::GetStyleColor(TStyleColor AColor) const
{
    const TStyleLooks& L = FDescription->Looks;
    const TStyleFace* Faces[] = {
        &L.Edit.Normal,           // scBorder (its Border)
        &L.PushButton.Disabled,   // scButtonDisabled
        &L.PushButton.Defaulted,  // scButtonFocused
        &L.PushButton.Hot,        // scButtonHot
        &L.PushButton.Normal,     // scButtonNormal
        &L.PushButton.Pressed,    // scButtonPressed
        &L.Edit.Normal,           // scComboBox
        &L.Edit.Disabled,         // scComboBoxDisabled
        &L.Edit.Normal,           // scEdit
        &L.Edit.Disabled,         // scEditDisabled
        &L.FormBackground,        // scGenericBackground
        &L.Edit.Normal,           // scListBox
        &L.Edit.Disabled,         // scListBoxDisabled
        &L.Edit.Normal,           // scListView
        &L.PanelBackground,       // scPanel
        &L.PanelBackground,       // scPanelDisabled
        &L.FormBackground,        // scSplitter
        &L.Edit.Normal,           // scTreeView
        &L.FormBackground,        // scWindow
    };
    if (AColor >= std::size(Faces))
        return clNone;
    const TStyleFace& Face = *Faces[AColor];
    return GetSystemColor(AColor == scBorder ? Face.Border : Face.Fill);
}

TColor TCustomStyleServices::GetStyleFontColor(TStyleFont AFont) const
{
    const TStyleLooks& L = FDescription->Looks;
    const TStyleFace* Faces[] = {
        &L.PushButton.Normal, &L.PushButton.Hot, &L.PushButton.Pressed, &L.PushButton.Defaulted,
        &L.PushButton.Disabled,
        &L.CheckBoxUnchecked.Normal, &L.CheckBoxUnchecked.Hot, &L.CheckBoxUnchecked.Pressed,
        &L.CheckBoxUnchecked.Disabled,
        &L.RadioUnchecked.Normal, &L.RadioUnchecked.Hot, &L.RadioUnchecked.Pressed, &L.RadioUnchecked.Disabled,
        &L.GroupBox.Normal, &L.GroupBox.Disabled,
        &L.Edit.Normal, &L.Edit.Hot, &L.Edit.Focused, &L.Edit.Disabled, &L.Edit.ReadOnly,
        &L.Edit.Normal, &L.Edit.Disabled,
        &L.Header.Normal, &L.Header.Hot, &L.Header.Pressed,
        &L.ListItem.Normal, &L.ListItem.Hot, &L.ListItem.Selected, &L.TextLabel.Disabled,
        &L.Tab.Selected, &L.Tab.Normal, &L.Tab.Hot, &L.Tab.Disabled,
        &L.PanelBackground, &L.TextLabel.Disabled,
        &L.TextLabel.Normal, &L.TextLabel.Disabled,
        &L.Caption.Active, &L.Caption.Inactive, &L.SmallCaption.Active, &L.SmallCaption.Inactive,
        &L.FormBackground, &L.TextLabel.Disabled,
    };
    static_assert(std::size(Faces) == sfWindowTextDisabled + 1, "one face per font colour");
    if (AFont >= std::size(Faces))
        return clNone;
    return GetSystemColor(Faces[AFont]->Text);
}

// ---- Style hooks -------------------------------------------------------------------------

void TStyleHook::Construct(TWinControl* AControl)
{
    FControl = AControl;
}

bool TStyleHook::HandleMessage(TMessage& AMessage)
{
    if (FCallingDefault)
        return false;
    FHandled = false;
    WndProc(AMessage);
    return FHandled;
}

void TStyleHook::WndProc(TMessage& AMessage)
{
    switch (AMessage.Msg) {
    case WM_PAINT:
        if (FOverridePaint && AMessage.WParam != 0) {
            auto* Canvas = reinterpret_cast<TCanvas*>(AMessage.WParam);
            PaintBackground(Canvas);
            Paint(Canvas);
            FHandled = true;
        }
        break;
    case CM_MOUSEENTER:
        FMouseInControl = true;
        MouseEnter();
        Invalidate();
        break;
    case CM_MOUSELEAVE:
        FMouseInControl = false;
        MouseLeave();
        Invalidate();
        break;
    default:
        break;
    }
}

void TStyleHook::PaintBackground(TCanvas* ACanvas)
{
    StyleServices()->DrawParentBackground(FControl, ACanvas, nullptr);
}

void TStyleHook::Invalidate()
{
    FControl->Invalidate();
}

void TStyleHook::CallDefaultProc(TMessage& AMessage)
{
    if (!FDefaultProc)
        return;
    struct TGuard {
        bool& Flag;
        bool Saved;
        ~TGuard() { Flag = Saved; }
    } Guard{FCallingDefault, FCallingDefault};
    FCallingDefault = true;
    FDefaultProc(AMessage);
}

TCustomStyleServices* TStyleHook::StyleServices() const
{
    return ::StyleServices();
}

// ---- Style engine ------------------------------------------------------------------------

namespace {

// The registered pairs in registration order, and the hooks made: a component that hears when
// a hooked control goes, so its hook goes too.
class THookKeeper : public TComponent {
    X_CLASS(THookKeeper, TComponent)
public:
    std::vector<std::pair<TClass, TClass>> Registered;
    // Keyed as components: the notification of a control's end comes when it is one no more.
    std::map<TComponent*, TStyleHook*> Hooks;

    void FreeHook(TComponent* AControl)
    {
        auto Found = Hooks.find(AControl);
        if (Found == Hooks.end())
            return;
        TStyleHook* Hook = Found->second;
        Hooks.erase(Found);
        Hook->Free();
    }

protected:
    THookKeeper() = default;
    void Notification(TComponent* AComponent, TOperation AOperation) override
    {
        inherited::Notification(AComponent, AOperation);
        if (AOperation == opRemove)
            FreeHook(AComponent);
    }
};

THookKeeper& Keeper()
{
    static auto* Instance = THookKeeper::Create(nullptr);
    return *Instance;
}

}  // namespace

void TStyleEngine::RegisterStyleHook(TClass AControlClass, TClass AHookClass)
{
    if (AHookClass == nullptr || !AHookClass->InheritsFrom(TStyleHook::StaticClass()))
        throw EStyleEngineException("Style hook class " + (AHookClass ? AHookClass->ClassName() : String("nil")) +
                                    " does not descend from TStyleHook");
    auto& R = Keeper().Registered;
    std::pair Pair{AControlClass, AHookClass};
    if (std::find(R.begin(), R.end(), Pair) == R.end())
        R.push_back(Pair);
}

void TStyleEngine::UnRegisterStyleHook(TClass AControlClass, TClass AHookClass)
{
    auto& R = Keeper().Registered;
    auto Found = std::find(R.begin(), R.end(), std::pair{AControlClass, AHookClass});
    if (Found == R.end())
        throw EStyleEngineException("Style hook " + (AHookClass ? AHookClass->ClassName() : String("nil")) +
                                    " is not registered for " +
                                    (AControlClass ? AControlClass->ClassName() : String("nil")));
    R.erase(Found);
    // Hooks of that class go; their controls make new ones from what is registered now.
    std::vector<TComponent*> Stale;
    for (auto [Control, Hook] : Keeper().Hooks)
        if (Hook->ClassType() == AHookClass)
            Stale.push_back(Control);
    for (TComponent* Control : Stale)
        Keeper().FreeHook(Control);
}

TClass TStyleEngine::StyleHookClass(TClass AControlClass)
{
    const auto& R = Keeper().Registered;
    for (TClass C = AControlClass; C != nullptr; C = C->ClassParent())
        for (auto It = R.rbegin(); It != R.rend(); ++It)
            if (It->first == C)
                return It->second;
    return nullptr;
}

bool TStyleEngine::HandleMessage(TWinControl* AControl, TMessage& AMessage, TWndMethod ADefWndProc)
{
    if (AControl == nullptr || !TStyleManager::IsCustomStyleActive() ||
        AControl->ComponentState().Contains(csDestroying))
        return false;
    THookKeeper& K = Keeper();
    TStyleHook* Hook = nullptr;
    if (auto Found = K.Hooks.find(static_cast<TComponent*>(AControl)); Found != K.Hooks.end()) {
        Hook = Found->second;
    } else {
        TClass HookClass = StyleHookClass(AControl->ClassType());
        if (HookClass == nullptr)
            return false;
        Hook = XCreateFromClass<TStyleHook>(HookClass, AControl);
        K.Hooks[AControl] = Hook;
        AControl->FreeNotification(&K);
    }
    Hook->FDefaultProc = ADefWndProc;
    return Hook->HandleMessage(AMessage);
}

TStyleHook* TStyleEngine::FindHook(TWinControl* AControl)
{
    auto Found = Keeper().Hooks.find(static_cast<TComponent*>(AControl));
    return Found != Keeper().Hooks.end() ? Found->second : nullptr;
}

void TStyleEngine::FreeHooks()
{
    THookKeeper& K = Keeper();
    while (!K.Hooks.empty())
        K.FreeHook(K.Hooks.begin()->first);
}

// ---- Style manager -----------------------------------------------------------------------

namespace {

struct TStyles {
    std::vector<std::unique_ptr<TCustomStyleServices, TFreeDeleter>> All;
    TCustomStyleServices* Active = nullptr;
    std::vector<TStyleChangedEvent> Handlers;
};

TStyles& Styles()
{
    static TStyles* Instance = [] {
        auto* S = new TStyles;
        for (const TStyleDescription* D : {&WindowsStyleDescription(), &SmokeyQuartzKamriDescription()})
            S->All.emplace_back(TCustomStyleServices::Create(*D));
        S->Active = S->All.front().get();
        return S;
    }();
    return *Instance;
}

void PerformStyleChanged(TControl* AControl)
{
    AControl->Perform(CM_STYLECHANGED, 0, 0);
    if (auto* Win = dynamic_cast<TWinControl*>(AControl))
        for (int I = 0; I < Win->ControlCount(); ++I)
            PerformStyleChanged(Win->Controls(I));
}

}  // namespace

TCustomStyleServices* TStyleManager::ActiveStyle()
{
    return Styles().Active;
}

TCustomStyleServices* TStyleManager::SystemStyle()
{
    return Styles().All.front().get();
}

TCustomStyleServices* TStyleManager::Style(const String& AName)
{
    for (const auto& S : Styles().All)
        if (S->Name() == AName)
            return S.get();
    return nullptr;
}

std::vector<String> TStyleManager::StyleNames()
{
    std::vector<String> Names;
    for (const auto& S : Styles().All)
        Names.push_back(S->Name());
    return Names;
}

void TStyleManager::SetStyle(const String& AName)
{
    if (!TrySetStyle(AName))
        throw EStyleEngineException("Style '" + AName + "' not found");
}

bool TStyleManager::TrySetStyle(const String& AName)
{
    TCustomStyleServices* Style = TStyleManager::Style(AName);
    if (Style == nullptr)
        return false;
    TStyles& S = Styles();
    if (S.Active == Style)
        return true;
    S.Active = Style;
    Style->RefreshSystemMetrics();
    TStyleEngine::FreeHooks();
    // A handler may add or remove handlers: run the ones there were when the change came.
    std::vector<TStyleChangedEvent> Handlers = S.Handlers;
    for (const TStyleChangedEvent& Handler : Handlers)
        Handler(nullptr);
    std::vector<TCustomForm*> Forms;
    for (int I = 0; I < Application->ComponentCount(); ++I)
        if (auto* Form = dynamic_cast<TCustomForm*>(Application->Components(I)))
            Forms.push_back(Form);
    for (TCustomForm* Form : Forms) {
        PerformStyleChanged(Form);
        Form->Invalidate();
    }
    return true;
}

void TStyleManager::AddStyleChangedHandler(TStyleChangedEvent AHandler)
{
    auto& H = Styles().Handlers;
    if (std::find(H.begin(), H.end(), AHandler) == H.end())
        H.push_back(AHandler);
}

void TStyleManager::RemoveStyleChangedHandler(TStyleChangedEvent AHandler)
{
    std::erase(Styles().Handlers, AHandler);
}

TCustomStyleServices* StyleServices()
{
    return TStyleManager::ActiveStyle();
}

// Skinned base controls: their notifications, their interfaces, the style path of their
// messages, and the painting and window helpers.
#include "XSpark.VCL.h"

#include <gtest/gtest.h>

#include <vector>

#include "Vcl.Forms.h"
#include "Win.Display.h"
#include "XCore.Filer.Image.h"
#include "XCore.TestStartUp.h"

namespace {

// What the programs register at start-up that these tests draw with.
void RegisterForTests()
{
    RegisterUIMedia();
    RegisterSkinnedControls();
}

const auto* const kStartUp = ::testing::AddGlobalTestEnvironment(new TXTestStartUp<&RegisterForTests>);

class TProbe : public TXGraphicControl {
    X_CLASS(TProbe, TXGraphicControl)
protected:
    TProbe() = default;
};

class TWindowedProbe : public TXCustomControl {
    X_CLASS(TWindowedProbe, TXCustomControl)
public:
    LRESULT Hit = HTCLIENT;

protected:
    TWindowedProbe() = default;
    LRESULT HitTest(TPoint) override { return Hit; }
};

// A hook that counts what reaches it and takes nothing.
class TCountingHook : public TXSkinStyleHook {
    X_CLASS(TCountingHook, TXSkinStyleHook)
public:
    static inline int Messages = 0;

protected:
    TCountingHook() = default;
    void WndProc(TMessage& AMessage) override
    {
        ++Messages;
        inherited::WndProc(AMessage);
    }
};

// Logs the aspect classes and senders it hears, and the events.
struct TLog {
    std::vector<String> Lines;
    void Hear(IXNotification* ANotification)
    {
        Lines.push_back(ANotification->GetAspect()->ClassName() +
                        (ANotification->GetSender() != nullptr ? "" : " without sender"));
    }
    void Moved(TObject*) { Lines.push_back("OnMoved"); }
    void Sized(TObject*) { Lines.push_back("OnSizeChanged"); }
};

class TLoggingForm : public TForm {
    X_CLASS(TLoggingForm, TForm)
public:
    std::vector<WPARAM> NonClientPresses;

protected:
    TLoggingForm() = default;
    void WndProc(TMessage& AMessage) override
    {
        if (AMessage.Msg == WM_NCLBUTTONDOWN)
            NonClientPresses.push_back(AMessage.WParam);
        inherited::WndProc(AMessage);
    }
};

class BaseControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FForm = TLoggingForm::Create(Application);
        FForm->SetBounds(20, 20, 300, 200);
    }
    void TearDown() override
    {
        FForm->Free();
        TStyleManager::SetStyle("Windows");
        Application->ProcessMessages();
    }
    TLoggingForm* FForm = nullptr;
};

TEST_F(BaseControlTest, BoundsChangesAreToldMovedFirst)
{
    TProbe* Probe = TProbe::Create(FForm);
    Probe->SetParent(FForm);
    Probe->SetBounds(10, 10, 50, 20);
    TLog Log;
    Probe->Skin()->Subscribe(TXChangedAspect::StaticClass(), TXNotificationHandler::Bind<&TLog::Hear>(&Log));
    Probe->SetOnMoved(TNotifyEvent::Bind<&TLog::Moved>(&Log));
    Probe->SetOnSizeChanged(TNotifyEvent::Bind<&TLog::Sized>(&Log));
    struct {
        TRect Bounds;
        std::vector<String> Expected;
    } const kCases[] = {
        {Rect(10, 10, 60, 30), {}},
        {Rect(15, 10, 65, 30), {"TXMovedAspect", "OnMoved"}},
        {Rect(15, 10, 70, 40), {"TXSizeChangedAspect", "OnSizeChanged"}},
        {Rect(0, 0, 10, 10), {"TXMovedAspect", "OnMoved", "TXSizeChangedAspect", "OnSizeChanged"}},
    };
    for (const auto& Case : kCases) {
        Log.Lines.clear();
        Probe->SetBoundsRect(Case.Bounds);
        EXPECT_EQ(Log.Lines, Case.Expected) << Case.Bounds.Left << "," << Case.Bounds.Top;
    }
}

TEST_F(BaseControlTest, TheControlInterfaceForwardsAndAnswersTheSkin)
{
    TWindowedProbe* Probe = TWindowedProbe::Create(FForm);
    Probe->SetVisible(false);
    Probe->SetAlign(alTop);
    TIntf<IXControl> Control;
    ASSERT_TRUE(Supports(static_cast<TObject*>(Probe), Control));
    Control->Place(FForm, alNone);
    EXPECT_EQ(Probe->Parent(), FForm);
    EXPECT_EQ(Probe->Align(), alTop);
    EXPECT_TRUE(Control->GetVisible());
    Control->Place(FForm, alBottom);
    EXPECT_EQ(Probe->Align(), alBottom);
    TIntf<IXObservable> Observable;
    ASSERT_TRUE(Supports(static_cast<TObject*>(Probe), Observable));
    EXPECT_EQ(Observable->GetContainer(), static_cast<TObject*>(Probe));
    EXPECT_EQ(Control->GetObservable()->GetContainer(), static_cast<TObject*>(Probe));
}

TEST_F(BaseControlTest, LeavingTheFocusIsToldToTheSkinsObservers)
{
    TWindowedProbe* First = TWindowedProbe::Create(FForm);
    First->SetParent(FForm);
    First->SetTabStop(true);
    TWindowedProbe* Second = TWindowedProbe::Create(FForm);
    Second->SetParent(FForm);
    Second->SetTabStop(true);
    FForm->Show();
    First->SetFocus();
    TLog Log;
    First->Skin()->Subscribe(TXFocusChangedAspect::StaticClass(), TXNotificationHandler::Bind<&TLog::Hear>(&Log));
    Second->SetFocus();
    EXPECT_EQ(Log.Lines, std::vector<String>{"TXFocusChangedAspect"});
}

TEST_F(BaseControlTest, OnlyAStyleThatTakesMessagesReachesTheHook)
{
    TStyleEngine::RegisterStyleHook(TWindowedProbe::StaticClass(), TCountingHook::StaticClass());
    TWindowedProbe* Probe = TWindowedProbe::Create(FForm);
    Probe->SetParent(FForm);
    FForm->Show();
    Application->ProcessMessages();
    TCountingHook::Messages = 0;
    auto Dark = Owned(TXStyleSkin::Create(nullptr));
    Dark->SetStyleName("Smokey Quartz Kamri");
    Dark->SetSkinName("Dark");
    NVSkinEngine()->Skins()->Add(Dark.get());
    // The system style active: the style engine is not in use, whatever the control's skin.
    Probe->Skin()->SetStyleName("Dark");
    Probe->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_EQ(TCountingHook::Messages, 0);
    Probe->Skin()->SetStyleName("Windows");
    TStyleManager::SetStyle("Smokey Quartz Kamri");
    Probe->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_EQ(TCountingHook::Messages, 0);
    EXPECT_EQ(TStyleEngine::FindHook(Probe), nullptr);
    Probe->Skin()->SetStyleName("Dark");
    Probe->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_GT(TCountingHook::Messages, 0);
    auto* Hook = dynamic_cast<TCountingHook*>(TStyleEngine::FindHook(Probe));
    ASSERT_NE(Hook, nullptr);
    EXPECT_EQ(Hook->ControlSkin(), Probe->Skin());
    TStyleEngine::UnRegisterStyleHook(TWindowedProbe::StaticClass(), TCountingHook::StaticClass());
}

TEST_F(BaseControlTest, ANonClientPartOfAControlPressesItsForm)
{
    TWindowedProbe* Probe = TWindowedProbe::Create(FForm);
    Probe->SetBounds(10, 10, 100, 30);
    Probe->SetParent(FForm);
    Probe->Hit = HTCAPTION;
    FForm->Show();
    Application->ProcessMessages();
    Probe->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeMouseLParam(5, 5));
    Application->ProcessMessages();
    EXPECT_TRUE(FForm->NonClientPresses.empty()) << "forwarded although ForwardNonClientClicks is off";
    Probe->SetForwardNonClientClicks(true);
    Probe->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeMouseLParam(5, 5));
    Application->ProcessMessages();
    EXPECT_EQ(FForm->NonClientPresses, std::vector<WPARAM>{HTCAPTION});
    // A client part stays the control's.
    Probe->Hit = HTCLIENT;
    Probe->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeMouseLParam(5, 5));
    Application->ProcessMessages();
    EXPECT_EQ(FForm->NonClientPresses.size(), 1u);
}

TEST(WindowHelpersTest, TransparencyAndPopupParameters)
{
    auto Probe = Owned(TWindowedProbe::Create(nullptr));
    SetControlTransparent(Probe.get(), true);
    EXPECT_TRUE(Probe->ControlStyle().Contains(csParentBackground));
    EXPECT_FALSE(Probe->ControlStyle().Contains(csOpaque));
    SetControlTransparent(Probe.get(), false);
    EXPECT_TRUE(Probe->ControlStyle().Contains(csOpaque));
    EXPECT_FALSE(Probe->ControlStyle().Contains(csParentBackground));

    TCreateParams Params;
    TransparentCreateParams(Params, true);
    EXPECT_EQ(Params.ExStyle, WS_EX_TRANSPARENT);
    EXPECT_EQ(Params.WindowClassStyle, CS_HREDRAW | CS_VREDRAW);
    TransparentCreateParams(Params, false);
    EXPECT_EQ(Params.WindowClassStyle, 0u);
    PopupCreateParams(Params);
    EXPECT_EQ(Params.Style, 0x82000000u);
    EXPECT_EQ(Params.ExStyle, 0x80u);
    EXPECT_EQ(Params.WindowClassStyle, 0x20800u);
}

TEST(WindowHelpersTest, DividersAreTwoLinesThroughTheMiddle)
{
    auto Bitmap = Owned(TBitmap::Create());
    Bitmap->SetSize(40, 10);
    TCanvas* Canvas = Bitmap->Canvas();
    Canvas->Brush()->SetColor(clWhite);
    Canvas->FillRect(Rect(0, 0, 40, 10));
    TColor Base = RGB(100, 140, 200);
    DrawColorDivider(Canvas, Base, Rect(10, 0, 40, 10));
    EXPECT_EQ(Canvas->Pixels(20, 4), GetShadowColor(Base, -50));
    EXPECT_EQ(Canvas->Pixels(20, 5), GetHighLightColor(Base, 19));
    EXPECT_EQ(Canvas->Pixels(5, 4), clWhite) << "the line starts at the rectangle's left";
    EXPECT_EQ(Canvas->Pixels(20, 3), clWhite);
    EXPECT_EQ(Canvas->Pixels(39, 4), GetShadowColor(Base, -50)) << "the line reaches the right edge";

    TCustomStyleServices* Dark = TStyleManager::Style("Smokey Quartz Kamri");
    DrawStyledDivider(Canvas, Dark, Rect(0, 0, 40, 10));
    EXPECT_EQ(Canvas->Pixels(0, 4), Dark->GetSystemColor(clBtnShadow));
    EXPECT_EQ(Canvas->Pixels(0, 5), Dark->GetSystemColor(clBtnHighlight));
}

TEST(WindowHelpersTest, ShadesKeepTheHueAndStayInRange)
{
    struct {
        TColor Color;
        int Luminance;
        TColor Expected;
    } const kCases[] = {
        {clWhite, 19, clWhite},        {clBlack, -50, clBlack},
        {RGB(128, 128, 128), 0, RGB(128, 128, 128)},
        {RGB(120, 120, 120), 24, RGB(146, 146, 146)},   // 24 of 240 is a tenth of full lightness
        {RGB(255, 0, 0), -60, RGB(128, 0, 0)},
    };
    for (const auto& Case : kCases)
        EXPECT_EQ(ColorAdjustLuma(Case.Color, Case.Luminance), Case.Expected)
            << std::hex << Case.Color << " by " << std::dec << Case.Luminance;
}

}  // namespace

// Style skins by name, control skins and their notifications, and paint states.
#include "XSpark.VCL.Skins.h"

#include <gtest/gtest.h>

#include <vector>

#include "Vcl.Forms.h"
#include "Vcl.StdCtrls.h"
#include "Vcl.Themes.h"
#include "XSpark.Skin.Data.h"

namespace {

constexpr const char* kCustomStyle = "Smokey Quartz Kamri";

struct THeard {
    std::vector<TObject*> Senders;
    void Hear(IXNotification* ANotification) { Senders.push_back(ANotification->GetSender()); }
};

// A style skin registered under a name for the length of a test.
TOwned<TXStyleSkin> RegisteredSkin(const String& ASkinName, const String& AStyleName)
{
    auto Skin = Owned(TXStyleSkin::Create(nullptr));
    Skin->SetStyleName(AStyleName);
    Skin->SetSkinName(ASkinName);
    NVSkinEngine()->Skins()->Add(Skin.get());
    return Skin;
}

TEST(SkinEngineTest, NamesNoSkinBearsSelectTheDefaultSkin)
{
    TXStyleSkin* Default = NVSkinEngine()->DefaultSkin();
    ASSERT_EQ(NVSkinEngine()->Skins()->GetItem(0), Default);
    EXPECT_EQ(Default->SkinName(), "Windows");
    EXPECT_TRUE(Default->StyleServices()->IsSystemStyle());
    auto Dark = RegisteredSkin("Dark", kCustomStyle);
    for (const char* Name : {"", "Windows", "Nothing", "dark"})
        EXPECT_EQ(GetStyleSkin(Name), Default) << Name;
    EXPECT_EQ(GetStyleSkin("Dark"), Dark.get());
    // The first of two skins under one name wins; a freed skin leaves the list.
    auto Second = RegisteredSkin("Dark", "Windows");
    EXPECT_EQ(GetStyleSkin("Dark"), Dark.get());
    Dark.reset();
    EXPECT_EQ(GetStyleSkin("Dark"), Second.get());
}

TEST(SkinEngineTest, AStyleSkinBindsItsStyleOrElseTheActiveOne)
{
    auto Skin = Owned(TXStyleSkin::Create(nullptr));
    THeard Heard;
    Skin->Subscribe(TXSkinChangedAspect::StaticClass(), TXNotificationHandler::Bind<&THeard::Hear>(&Heard));
    Skin->SetStyleName(kCustomStyle);
    EXPECT_EQ(Skin->StyleServices(), TStyleManager::Style(kCustomStyle));
    Skin->SetStyleName("No Such Style");
    EXPECT_EQ(Skin->StyleServices(), TStyleManager::ActiveStyle());
    EXPECT_EQ(Heard.Senders.size(), 2u);
}

class ControlSkinTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        TStyleManager::SetStyle("Windows");
        Application->ProcessMessages();
    }
};

TEST_F(ControlSkinTest, ANewStyleNameIsToldOnceAndBindsItsSkin)
{
    TStyleManager::SetStyle(kCustomStyle);
    auto Dark = RegisteredSkin("Dark", kCustomStyle);
    auto Label = Owned(TLabel::Create(nullptr));
    auto Skin = Owned(TXControlSkin::Create(static_cast<TControl*>(Label.get())));
    EXPECT_EQ(Skin->Skin(), NVSkinEngine()->DefaultSkin());
    THeard Heard;
    Skin->Subscribe(TXSkinAspect::StaticClass(), TXNotificationHandler::Bind<&THeard::Hear>(&Heard));
    Skin->SetStyleName("Windows");
    EXPECT_EQ(Heard.Senders.size(), 1u);
    EXPECT_TRUE(Skin->StyleServices()->IsSystemStyle());
    Skin->SetStyleName("Dark");
    EXPECT_EQ(Heard.Senders.size(), 2u);
    EXPECT_EQ(Skin->StyleName(), "Dark");
    EXPECT_EQ(Skin->StyleServices(), TStyleManager::Style(kCustomStyle));
}

TEST_F(ControlSkinTest, AFormsNewStyleNameMakesItsWindowAgainAndKeepsItsState)
{
    auto Form = Owned(TForm::Create(Application));
    Form->SetBounds(40, 40, 200, 120);
    Form->SetCaption("Kept");
    TEdit* Edit = TEdit::Create(Form.get());
    Edit->SetParent(Form.get());
    TEdit* Other = TEdit::Create(Form.get());
    Other->SetParent(Form.get());
    Other->SetTop(40);
    Form->Show();
    Other->SetFocus();
    Application->ProcessMessages();
    HWND Old = Form->Handle();
    auto Skin = Owned(TXControlSkin::Create(static_cast<TControl*>(Form.get())));
    Skin->SetStyleName("Windows");
    Application->ProcessMessages();
    EXPECT_NE(Form->Handle(), Old);
    EXPECT_TRUE(IsWindowVisible(Form->Handle()));
    EXPECT_EQ(Form->BoundsRect(), Rect(40, 40, 240, 160));
    EXPECT_EQ(Form->Caption(), "Kept");
    EXPECT_EQ(Form->FocusedControl(), Other);
    EXPECT_EQ(Form->ControlCount(), 2);
}

TEST(PaintStateTest, FlagsMapToOneState)
{
    struct {
        TXPaintStateFlags Flags;
        TXPaintState Expected;
    } const kCases[] = {
        {{}, cstOff},
        {{cstOff}, cstOff},
        {{cstOn, cstHot, cstDis}, cstDisOn},
        {{cstOn, cstGroupDis}, cstDisOn},
        {{cstOn, cstHot, cstFocus}, cstHotOn},
        {{cstOn, cstFocus}, cstFocusOn},
        {{cstOn}, cstOn},
        {{cstMix, cstFocus}, cstMix},
        {{cstMix, cstHot}, cstHotMix},
        {{cstMix, cstDis, cstHot}, cstDisMix},
        {{cstPress, cstHot}, cstPress},
        {{cstPress, cstGroupDis}, cstDis},
        {{cstHot, cstFocus}, cstHot},
        {{cstFocus}, cstFocus},
    };
    for (const auto& Case : kCases) {
        EXPECT_EQ(PaintStateFromFlags(Case.Flags), Case.Expected) << Case.Flags.Bits();
        EXPECT_EQ(PaintStateFlagsFromByte(PaintStateFlagsToByte(Case.Flags)), Case.Flags);
    }
}

TEST(PaintStateTest, ButtonsAndPlainControls)
{
    struct {
        bool Enabled, Hot;
        TXButtonState Button;
        TXPaintState Expected;
    } const kCases[] = {
        {true, false, cstOff, cstOff},  {true, true, cstOff, cstHot},    {false, true, cstOff, cstDis},
        {true, false, cstOn, cstOn},    {true, true, cstOn, cstHotOn},   {false, true, cstOn, cstDisOn},
        {true, false, cstMix, cstMix},  {true, true, cstMix, cstHotMix}, {false, false, cstMix, cstDisMix},
    };
    for (const auto& Case : kCases)
        EXPECT_EQ(PaintStateOfButton(Case.Enabled, Case.Hot, Case.Button), Case.Expected)
            << Case.Enabled << Case.Hot << int(Case.Button);
    EXPECT_STREQ(PaintStatePrefix(cstDis), "Dis_");
    EXPECT_STREQ(PaintStatePrefix(cstHotMix), "HotMix_");
}

}  // namespace

// Skin data, colour data, skins by key and the skin-change broadcast.
#include "XSkin.h"

#include <gtest/gtest.h>

#include <vector>

#include "XSkinData.h"

namespace {

class TSkinForm : public TForm {
    X_CLASS(TSkinForm, TForm)
public:
    int SkinChanges = 0;

protected:
    TSkinForm() = default;
    void WndProc(TMessage& AMessage) override
    {
        if (AMessage.Msg == XM_SKINCHANGED)
            ++SkinChanges;
        inherited::WndProc(AMessage);
    }
};

// Binds the skin data named by SkinDataName from "xAppSkin" and counts the changes.
class TBoundComponent : public TXSkinComponent {
    X_CLASS(TBoundComponent, TXSkinComponent)
public:
    int Changes = 0;
    void LoadSkinData() override
    {
        BindSkinData(XSkin::AppSkin()->FindSkinData(SkinDataName(), TXSkinData::StaticClass()));
    }
    void SkinDataChanged() override { ++Changes; }

protected:
    TBoundComponent() = default;
};

TEST(SkinDataTest, FreshAndClearedValues)
{
    auto Data = Owned(TXSkinData::Create(nullptr));
    EXPECT_EQ(Data->PaintType(), ptSkin);
    EXPECT_EQ(Data->ControlRegion(nullptr, false), nullptr);
    auto Colors = Owned(TXColorData::Create());
    for (int S = cstDis; S <= cstHotMix; ++S)
        EXPECT_EQ(Colors->Color(TXPaintState(S)), clBtnFace) << S;
    Colors->SetColor(cstHotOn, clRed);
    auto Copy = Owned(TXColorData::Create());
    Copy->Assign(Colors.get());
    EXPECT_EQ(Copy->Color(cstHotOn), clRed);
    EXPECT_EQ(Copy->StateColor<cstHotOn>(), clRed);
    auto Form = Owned(TXFormColorData::Create());
    EXPECT_EQ(Form->Alpha(), 255);
    EXPECT_EQ(Form->colOn(), clBtnFace);
    Form->SetAlpha(9);
    Form->SetcolOn(clBlue);
    auto FormCopy = Owned(TXFormColorData::Create());
    FormCopy->Assign(Form.get());
    EXPECT_EQ(FormCopy->Alpha(), 9);
    EXPECT_EQ(FormCopy->colOn(), clBlue);
}

TEST(SkinDataTest, AControlsRegionHasRoundCorners)
{
    auto Panel = Owned(TForm::Create(nullptr));
    Panel->SetBounds(10, 20, 100, 50);
    auto Data = Owned(TXSkinData::Create(nullptr));
    HRGN Region = Data->ControlRegion(Panel.get(), true);
    ASSERT_NE(Region, nullptr);
    TRect Box;
    GetRgnBox(Region, Box);
    EXPECT_EQ(Box, Rect(10, 20, 111, 71));
    DeleteObject(Region);
}

TEST(SkinListTest, ARegisteredKeyReplacesTheSkinAndEveryFormHears)
{
    auto Form = Owned(TSkinForm::Create(Application));
    auto First = Owned(XSkin::TXSkin::Create(nullptr));
    auto Second = Owned(XSkin::TXSkin::Create(nullptr));
    XSkin::SetSkinKey(First.get(), "Skin");
    EXPECT_EQ(XSkin::FindSkin("Skin"), First.get());
    int Before = Form->SkinChanges;
    XSkin::SetSkinKey(Second.get(), "Skin");
    EXPECT_EQ(XSkin::FindSkin("Skin"), Second.get());
    EXPECT_EQ(First->SkinKey(), "Skin") << "the replaced skin is left alone";
    EXPECT_EQ(Form->SkinChanges, Before + 1);
    EXPECT_EQ(XSkin::FindSkin("Nothing"), nullptr);
    EXPECT_EQ(XSkin::FindSkinOrDefault("Nothing"), XSkin::AppSkin());
    EXPECT_EQ(XSkin::AppSkin()->Name(), "xAppSkin");
    Second.reset();
    EXPECT_EQ(XSkin::FindSkin("Skin"), nullptr);
}

TEST(SkinListTest, SkinComponentsFollowTheirSkinData)
{
    auto Data = Owned(TXSkinData::Create(nullptr));
    Data->SetName("Buttons");
    XSkin::AppSkin()->AddSkinData(Data.get());
    EXPECT_EQ(XSkin::AppSkin()->FindSkinData("Buttons", TXSkinData::StaticClass()), Data.get());
    EXPECT_EQ(XSkin::AppSkin()->FindSkinData("Buttons", TXSkinComponent::StaticClass()), nullptr);
    auto Form = Owned(TForm::Create(Application));
    TBoundComponent* Component = TBoundComponent::Create(Form.get());
    Component->SetSkinDataName("Buttons");
    EXPECT_EQ(Component->SkinData(), Data.get());
    EXPECT_EQ(Component->Changes, 1);
    Data.reset();
    EXPECT_EQ(Component->SkinData(), nullptr);
    EXPECT_EQ(Component->Changes, 2);
    EXPECT_EQ(XSkin::AppSkin()->SkinData()->Count(), 0);
}

}  // namespace

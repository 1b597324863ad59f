// XSpark.VCL.TestForm.h: for tests only: a borderless form on the headless screen, a style skin
// "Dark" bound to the custom style, and the picture of what the form shows.
#pragma once

#include <gtest/gtest.h>

#include "Vcl.Forms.h"
#include "Vcl.Themes.h"
#include "XSpark.VCL.Buttons.h"
#include "XSpark.VCL.Panels.h"
#include "XSpark.VCL.Skins.h"

inline constexpr const char* kCustomStyleName = "Smokey Quartz Kamri";

class SkinnedFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FDark.reset(TXStyleSkin::Create(nullptr));
        FDark->SetStyleName(kCustomStyleName);
        FDark->SetSkinName("Dark");
        NVSkinEngine()->Skins()->Add(FDark.get());
        FForm = TForm::Create(Application);
        FForm->SetBorderStyle(bsNone);
        FForm->SetBounds(30, 30, 320, 200);
    }
    void TearDown() override
    {
        FForm->Free();
        FDark.reset();
        TStyleManager::SetStyle("Windows");
        Application->ProcessMessages();
    }
    template <class T>
    T* Add(const TRect& ABounds, const String& ACaption = String(), TWinControl* AParent = nullptr)
    {
        T* Control = T::Create(FForm);
        Control->SetBoundsRect(ABounds);
        Control->SetCaption(ACaption);
        Control->SetParent(AParent != nullptr ? AParent : FForm);
        return Control;
    }
    // One of each skinned control on a white form, all bound to the skin named ASkin.
    void AddEverySkinnedControl(const String& ASkin)
    {
        FForm->SetColor(clWhite);
        TXButton* Button = Add<TXButton>(Rect(10, 10, 95, 35), "Open");
        TXButton* Wrapped = Add<TXButton>(Rect(105, 10, 175, 45), "Restore all files");
        Wrapped->SetWordWrap(true);
        TXCheckBox* Box = Add<TXCheckBox>(Rect(185, 10, 300, 27), "Deep scan");
        Box->SetChecked(true);
        TXPanel* Panel = Add<TXPanel>(Rect(10, 55, 150, 95), "Panel");
        Panel->SetParentBackground(false);
        TXPanel* Spaced = Add<TXPanel>(Rect(160, 55, 300, 95), "Space");
        Spaced->SetBevelOuter(bvSpace);
        Spaced->SetParentBackground(false);
        TXGroupBox* Group = Add<TXGroupBox>(Rect(10, 105, 150, 190), "Files");
        TXCheckBox* Inner = Add<TXCheckBox>(Rect(10, 30, 120, 47), "Photos", Group);
        TXGroupBox* Divider = Add<TXGroupBox>(Rect(160, 105, 300, 130), "Options");
        Divider->SetFrameStyle(xfsDivider);
        TXScrollBox* Scroll = Add<TXScrollBox>(Rect(160, 140, 300, 190));
        Add<TXButton>(Rect(5, 5, 200, 30), "Far", Scroll);
        for (auto* Skinned : std::initializer_list<TXSkinOwner*>{Button, Wrapped, Box, Panel, Spaced, Group, Inner,
                                                                  Divider, Scroll})
            Skinned->Skin()->SetStyleName(ASkin);
    }
    // The form as painted now.
    TOwned<TBitmap> Picture()
    {
        FForm->Show();
        Application->ProcessMessages();
        TOwned<TBitmap> Bitmap(TBitmap::Create());
        Bitmap->SetSize(FForm->Width(), FForm->Height());
        FForm->PaintTo(Bitmap->Canvas(), 0, 0);
        return Bitmap;
    }
    // The pixels of ARect of the form's picture, row by row.
    std::vector<TColor> Pixels(const TRect& ARect)
    {
        TOwned<TBitmap> Bitmap = Picture();
        std::vector<TColor> Result;
        for (int Y = ARect.Top; Y < ARect.Bottom; ++Y)
            for (int X = ARect.Left; X < ARect.Right; ++X)
                Result.push_back(Bitmap->Canvas()->Pixels(X, Y));
        return Result;
    }

    TOwned<TXStyleSkin> FDark;
    TForm* FForm = nullptr;
};

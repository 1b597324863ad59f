// XSpark.VCL.TestForm.h: for tests only: a borderless form on the headless screen, a style skin
// "Dark" bound to the custom style, and the picture of what the form shows.
#pragma once

#include <gtest/gtest.h>

#include "Vcl.Forms.h"
#include "Vcl.Themes.h"
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

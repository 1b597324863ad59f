// XSpark.Skin.Data.Win.cpp: the standard images, drawn here at 64 pixels and resampled.
#include "XSpark.Skin.Data.Win.h"

#include <algorithm>
#include <cmath>

#include "Vcl.Imaging.PngImage.h"
#include "XMedia.Graphics.Converters.h"
#include "XMedia.Graphics.Filters.h"
#include "XSpark.Skin.h"

namespace {

constexpr int kSize = 64;

// How much of the pixel at (AX, AY) the sign covers, 0 to 1, from 4 x 4 samples: a disc, or
// a triangle standing on its base.
double ShapeCoverage(int AX, int AY, bool ATriangle)
{
    int Inside = 0;
    for (int SY = 0; SY < 4; ++SY)
        for (int SX = 0; SX < 4; ++SX) {
            double X = AX + (SX + 0.5) / 4, Y = AY + (SY + 0.5) / 4;
            if (ATriangle) {
                // Apex (32, 3), base from (2, 60) to (62, 60).
                double HalfWidth = (Y - 3) * 30.0 / 57.0;
                Inside += Y >= 3 && Y <= 60 && std::abs(X - 32) <= HalfWidth;
            } else {
                Inside += std::hypot(X - 32, Y - 32) <= 30;
            }
        }
    return Inside / 16.0;
}

// A 64-pixel sign: the shape in AFill with ASymbol in white over it, transparent around.
TOwned<TPngImage> DrawSign(TColor AFill, const String& ASymbol, bool ATriangle)
{
    TOwned<TBitmap> Mask(TBitmap::Create());
    Mask->SetSize(kSize, kSize);
    TCanvas* C = Mask->Canvas();
    C->Brush()->SetColor(clBlack);
    C->FillRect(Rect(0, 0, kSize, kSize));
    C->Brush()->SetStyle(bsClear);
    C->Font()->SetName("DejaVu Sans");
    C->Font()->SetSize(ATriangle ? 26 : 30);
    C->Font()->SetStyle({fsBold});
    C->Font()->SetColor(clWhite);
    TRect Box = Rect(0, ATriangle ? 10 : 0, kSize, kSize);
    C->TextRect(Box, ASymbol, {tfCenter, tfVerticalCenter, tfSingleLine, tfNoPrefix});

    TOwned<TPngImage> Png(TPngImage::Create());
    Png->CreateBlank(COLOR_RGBALPHA, 8, kSize, kSize);
    for (int Y = 0; Y < kSize; ++Y) {
        auto* Row = static_cast<uint8_t*>(Png->Scanline(Y));
        uint8_t* Alpha = Png->AlphaScanline(Y);
        for (int X = 0; X < kSize; ++X) {
            double Sign = GetRValue(C->Pixels(X, Y)) / 255.0;
            auto Mix = [&](uint8_t AChannel) { return static_cast<uint8_t>(std::lround(AChannel + (255 - AChannel) * Sign)); };
            Row[3 * X] = Mix(GetBValue(AFill));
            Row[3 * X + 1] = Mix(GetGValue(AFill));
            Row[3 * X + 2] = Mix(GetRValue(AFill));
            Alpha[X] = static_cast<uint8_t>(std::lround(255 * ShapeCoverage(X, Y, ATriangle)));
        }
    }
    return Png;
}

// A box with the items "64", "48", "32" and "16", the first holding ASign.
TXImagesBox* SignBox(TComponent* AOwner, const String& AName, TPngImage* ASign)
{
    TXImagesBox* Box = TXImagesBox::Create(AOwner);
    Box->SetName(AName);
    for (const char* Size : {"64", "48", "32", "16"})
        Box->Images()->Add()->SetDisplayName(Size);
    Box->Images()->Items(0)->Data()->LoadFromObject(ASign);
    return Box;
}

}  // namespace

void TxskWinData::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FInfoImages = SignBox(this, "InfoImages", DrawSign(RGB(0, 102, 204), "i", false).get());
    FQuestionImages = SignBox(this, "QuestionImages", DrawSign(RGB(0, 120, 90), "?", false).get());
    FErrorImages = SignBox(this, "ErrorImages", DrawSign(RGB(200, 30, 40), "\u00D7", false).get());
    FWarningImages = SignBox(this, "WarningImages", DrawSign(RGB(230, 160, 0), "!", true).get());
    FAppImages = TXImagesBox::Create(this);
    FAppImages->SetName("AppImages");
    SetOnCreate(TNotifyEvent::Bind<&TxskWinData::DataModuleCreate>(this));
}

void TxskWinData::DataModuleCreate(TObject*)
{
    TOwned<TPngImage> Source(TPngImage::Create());
    TOwned<TPngImage> Sized(TPngImage::Create());
    for (TXImagesBox* Box : {FInfoImages, FQuestionImages, FErrorImages, FWarningImages}) {
        TXImageObject* Original = Box->Images()->Items(0)->Data();
        Original->DataStream()->SetPosition(0);
        Source->LoadFromStream(Original->DataStream());
        // Every size from the 64-pixel picture, never from the size before.
        for (int I = 1; I < 4; ++I) {
            int Size = 64 - 16 * I;
            ResampleToPngImage(Source.get(), Sized.get(), Size, Size, DefaultKernel());
            Box->Images()->Items(I)->Data()->LoadFromObject(Sized.get());
        }
    }
    TXNVSkin* Skin = NVSkin();
    Skin->SetAppImages(FAppImages);
    Skin->SetErrorImages(FErrorImages);
    Skin->SetInfoImages(FInfoImages);
    Skin->SetQuestionImages(FQuestionImages);
    Skin->SetWarningImages(FWarningImages);
}

// Vcl.ImgList.cpp: each image is its own small bitmap, so adding, replacing and deleting
// never move pixels of the others.
#include "Vcl.ImgList.h"

#include <algorithm>

namespace {

bool MaskSays(TBitmap* AMask, int AX, int AY)
{
    if (AMask == nullptr || AX >= AMask->Width() || AY >= AMask->Height())
        return false;
    return ColorToRGB(AMask->Canvas()->Pixels(AX, AY)) != clBlack;
}

// A grey, half transparent copy: how a disabled image looks.
TOwned<TBitmap> Disabled(TBitmap* AImage)
{
    auto Grey = Owned(TBitmap::Create());
    Grey->Assign(AImage);
    for (int Y = 0; Y < Grey->Height(); ++Y) {
        auto* Row = static_cast<uint8_t*>(Grey->ScanLine(Y));
        for (int X = 0; X < Grey->Width(); ++X, Row += 4) {
            auto Level = uint8_t((Row[0] * 29 + Row[1] * 150 + Row[2] * 77) >> 8);
            Row[0] = Row[1] = Row[2] = Level;
            Row[3] = uint8_t(Row[3] / 2);
        }
    }
    return Grey;
}

TOwned<TBitmap> Stretched(TBitmap* ASource, int AWidth, int AHeight)
{
    auto Result = Owned(TBitmap::Create());
    Result->SetSize(AWidth, AHeight);
    Result->Canvas()->StretchDraw(Rect(0, 0, AWidth, AHeight), ASource);
    return Result;
}

}  // namespace

TImageListImages::~TImageListImages()
{
    for (TBitmap* Image : Images)
        Image->Free();
}

void TCustomImageList::SetSize(int AWidth, int AHeight)
{
    AWidth = std::max(1, AWidth);
    AHeight = std::max(1, AHeight);
    if (AWidth == Width() && AHeight == Height())
        return;
    FHandle->Width = AWidth;
    FHandle->Height = AHeight;
    Clear();
}

void TCustomImageList::SetHandle(const HIMAGELIST& AValue)
{
    if (AValue == nullptr || AValue == FHandle)
        return;
    FHandle = AValue;
    Change();
}

void TCustomImageList::SetDrawingStyle(TDrawingStyle AValue)
{
    if (FDrawingStyle == AValue)
        return;
    FDrawingStyle = AValue;
    Change();
}

void TCustomImageList::SetBkColor(TColor AValue)
{
    if (FBkColor == AValue)
        return;
    FBkColor = AValue;
    Change();
}

std::vector<TBitmap*> TCustomImageList::Cut(TBitmap* AImage, const TMaskRule& AMask, int AMaxCount)
{
    std::vector<TBitmap*> Result;
    if (AImage == nullptr || AImage->Empty())
        return Result;
    auto Source = Owned(TBitmap::Create());
    Source->Assign(AImage);
    bool KeepsAlpha = AImage->PixelFormat() == pf32bit && AImage->AlphaFormat() != afIgnored;
    Source->SetPixelFormat(pf32bit);
    TColor Key = ColorToRGB(AMask.Color);
    const int ImageWidth = Width(), ImageHeight = Height();
    int Count = std::min(AMaxCount, std::max(1, Source->Width() / ImageWidth));
    for (int I = 0; I < Count; ++I) {
        auto Image = Owned(TBitmap::Create());
        Image->SetSize(ImageWidth, ImageHeight);
        for (int Y = 0; Y < ImageHeight; ++Y) {
            auto* Out = static_cast<uint8_t*>(Image->ScanLine(Y));
            for (int X = 0; X < ImageWidth; ++X, Out += 4) {
                int SX = I * ImageWidth + X;
                if (Y >= Source->Height() || SX >= Source->Width()) {
                    Out[3] = 0;   // past the picture: transparent
                    continue;
                }
                const uint8_t* In = static_cast<const uint8_t*>(Source->ScanLine(Y)) + 4 * SX;
                std::copy(In, In + 4, Out);
                bool Clear = (AMask.Kind == TMaskKind::Bitmap && MaskSays(AMask.Bitmap, SX, Y))
                             || (AMask.Kind == TMaskKind::Color && RGB(In[2], In[1], In[0]) == Key);
                Out[3] = Clear ? 0 : KeepsAlpha && AMask.Kind == TMaskKind::None ? In[3] : 255;
            }
        }
        Image->SetAlphaFormat(afDefined);
        Result.push_back(Image.release());
    }
    return Result;
}

int TCustomImageList::Append(TBitmap* AImage, const TMaskRule& AMask)
{
    int First = Count();
    std::vector<TBitmap*> Images = Cut(AImage, AMask, MaxGraphicSide);
    if (Images.empty())
        return -1;
    FHandle->Images.insert(FHandle->Images.end(), Images.begin(), Images.end());
    Change();
    return First;
}

int TCustomImageList::Add(TBitmap* AImage, TBitmap* AMask)
{
    return Append(AImage, AMask ? TMaskRule{TMaskKind::Bitmap, AMask, clNone} : TMaskRule{});
}

int TCustomImageList::AddMasked(TBitmap* AImage, TColor AMaskColor)
{
    return Append(AImage, TMaskRule{TMaskKind::Color, nullptr, AMaskColor});
}

int TCustomImageList::AddIcon(TIcon* AIcon)
{
    if (AIcon == nullptr || AIcon->Empty())
        return -1;
    // A canvas keeps no alpha, so colours and alpha are stretched apart.
    auto Colours = Owned(TBitmap::Create());
    Colours->Assign(AIcon->Image());
    Colours->SetAlphaFormat(afIgnored);
    auto Coverage = Owned(TBitmap::Create());
    Coverage->Assign(Colours.get());
    for (int Y = 0; Y < Coverage->Height(); ++Y) {
        auto* Row = static_cast<uint8_t*>(Coverage->ScanLine(Y));
        for (int X = 0; X < Coverage->Width(); ++X, Row += 4)
            Row[0] = Row[1] = Row[2] = Row[3];
    }
    auto Sized = Stretched(Colours.get(), Width(), Height());
    auto SizedCoverage = Stretched(Coverage.get(), Width(), Height());
    for (int Y = 0; Y < Height(); ++Y) {
        auto* Row = static_cast<uint8_t*>(Sized->ScanLine(Y));
        const auto* Alpha = static_cast<const uint8_t*>(SizedCoverage->ScanLine(Y));
        for (int X = 0; X < Width(); ++X)
            Row[4 * X + 3] = Alpha[4 * X];
    }
    Sized->SetAlphaFormat(afDefined);
    return Append(Sized.get(), TMaskRule{});
}

void TCustomImageList::CheckIndex(int AIndex) const
{
    if (AIndex < 0 || AIndex >= Count())
        throw EInvalidOperation("Image list index out of bounds (" + IntToStr(AIndex) + ")");
}

void TCustomImageList::Replace(int AIndex, TBitmap* AImage, TBitmap* AMask)
{
    CheckIndex(AIndex);
    std::vector<TBitmap*> Images = Cut(AImage, AMask ? TMaskRule{TMaskKind::Bitmap, AMask, clNone} : TMaskRule{}, 1);
    if (Images.empty())
        return;
    std::vector<TBitmap*>& All = FHandle->Images;
    All[size_t(AIndex)]->Free();
    All[size_t(AIndex)] = Images.front();
    Change();
}

void TCustomImageList::Delete(int AIndex)
{
    CheckIndex(AIndex);
    std::vector<TBitmap*>& All = FHandle->Images;
    All[size_t(AIndex)]->Free();
    All.erase(All.begin() + AIndex);
    Change();
}

void TCustomImageList::Clear()
{
    for (TBitmap* Image : FHandle->Images)
        Image->Free();
    FHandle->Images.clear();
    Change();
}

void TCustomImageList::Draw(TCanvas* ACanvas, int AX, int AY, int AIndex, bool AEnabled)
{
    if (ACanvas == nullptr || AIndex < 0 || AIndex >= Count())
        return;
    if (FBkColor != clNone && FDrawingStyle != dsTransparent) {
        ACanvas->Brush()->SetStyle(bsSolid);
        ACanvas->Brush()->SetColor(FBkColor);
        ACanvas->FillRect(Rect(AX, AY, AX + Width(), AY + Height()));
    }
    TBitmap* Image = FHandle->Images[size_t(AIndex)];
    if (AEnabled)
        ACanvas->Draw(AX, AY, Image);
    else
        ACanvas->Draw(AX, AY, Disabled(Image).get());
}

void TCustomImageList::GetBitmap(int AIndex, TBitmap* AImage)
{
    CheckIndex(AIndex);
    AImage->Assign(FHandle->Images[size_t(AIndex)]);
}

void TCustomImageList::Change()
{
    if (FOnChange)
        FOnChange(this);
}

void TImageList::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("BkColor", &TImageList::BkColor, &TImageList::SetBkColor).Default(clNone);
    P.Property("ColorDepth", &TImageList::ColorDepth, &TImageList::SetColorDepth).Default(cd32Bit);
    P.Property("DrawingStyle", &TImageList::DrawingStyle, &TImageList::SetDrawingStyle).Default(dsNormal);
    P.Property("Height", &TImageList::Height, &TImageList::SetHeight).Default(16);
    P.Property("Width", &TImageList::Width, &TImageList::SetWidth).Default(16);
}

// XSpark.VCL.Images.cpp: the image control.
#include "XSpark.VCL.Images.h"

#include "XMedia.Graphics.Converters.h"
#include "XMedia.VCL.Graphics.h"

// ---- TXImage -----------------------------------------------------------------------------

void TXImage::SetImage(TXImageObject* AImage)
{
    SetImageObject(AImage);
    if (FAutoSize)
        AdjustSize();
    Repaint();
}

void TXImage::SetImageItem(TXImageItem* AItem)
{
    SetImage(AItem != nullptr ? AItem->Data() : nullptr);
}

void TXImage::SetImageFromCollection(TXImageCollection* ACollection)
{
    if (ACollection == nullptr || ACollection->Count() == 0) {
        SetImage(nullptr);
        return;
    }
    TXImageObject* Choice = ACollection->Items(0)->Data();
    if (FImageSize > 0)
        for (int I = 1; I < ACollection->Count(); ++I) {
            TXImageObject* Item = ACollection->Items(I)->Data();
            if (Choice->Width() > FImageSize && Item->Width() >= FImageSize)
                Choice = Item;
        }
    SetImage(Choice);
}

void TXImage::SetAutoSize(bool AValue)
{
    if (FAutoSize == AValue)
        return;
    FAutoSize = AValue;
    AdjustSize();
}

void TXImage::SetImageSize(int32_t AValue)
{
    if (FImageSize == AValue)
        return;
    FImageSize = AValue;
    AdjustSize();
}

void TXImage::SetBevelStyle(TBevelCut AValue)
{
    if (FBevelStyle == AValue)
        return;
    FBevelStyle = AValue;
    if (FAutoSize)
        AdjustSize();
}

void TXImage::SetImageBevelStyle(TBevelCut AValue)
{
    if (FImageBevelStyle == AValue)
        return;
    FImageBevelStyle = AValue;
    if (FAutoSize)
        AdjustSize();
}

void TXImage::SetPosition(TXImagePosition AValue)
{
    if (FPosition == AValue)
        return;
    FPosition = AValue;
    Invalidate();
}

void TXImage::SetResample(bool AValue)
{
    if (FResample == AValue)
        return;
    FResample = AValue;
    Invalidate();
}

void TXImage::SetBgColor(TColor AValue)
{
    if (FBgColor == AValue)
        return;
    FBgColor = AValue;
    Invalidate();
}

void TXImage::Loaded()
{
    inherited::Loaded();
    if (FAutoSize)
        AdjustSize();
}

void TXImage::AdjustSize()
{
    if (ComponentState().Contains(csLoading) || !FAutoSize || FImage == nullptr)
        return;
    int Extra = (FBevelStyle != bvNone ? 2 : 0) + (FImageBevelStyle != bvNone ? 2 : 0);
    if (FImageSize > 0 && FImage->IsIcon()) {
        TIcon* Icon = nullptr;
        TPoint Size;
        FImage->DataStream()->SetPosition(0);
        ReadIconFromStream(FImage->DataStream(), Point(FImageSize, FImageSize), Icon, Size);
        Icon->Free();
        FImage->SetWidth(Size.X);
        FImage->SetHeight(Size.Y);
    }
    SetBounds(Left(), Top(), FImage->Width() + Extra, FImage->Height() + Extra);
}

void TXImage::Observe(IXObservable* AObservable)
{
    if (AObservable != nullptr)
        AObservable->Subscribe(TXImageObjectChangedAspect::StaticClass(),
                               TXNotificationHandler::Bind<&TXImage::ImageChanged>(this));
}

void TXImage::Unobserve(IXObservable* AObservable)
{
    if (AObservable != nullptr)
        AObservable->Unsubscribe(TXImageObjectChangedAspect::StaticClass(),
                                 TXNotificationHandler::Bind<&TXImage::ImageChanged>(this));
}

void TXImage::ImageChanged(IXNotification* ANotification)
{
    if (auto* Aspect = AspectOf<TXImageObjectChangedAspect>(ANotification))
        SetImage(Aspect->Value);
}

void TXImage::Paint()
{
    inherited::Paint();
    TCanvas* Canvas = this->Canvas();
    TCustomStyleServices* Style = StyleServices();
    Canvas->Brush()->SetColor(Style->GetSystemColor(FBgColor));
    TColor Shadow = Style->GetSystemColor(clBtnShadow);
    TColor Highlight = Style->GetSystemColor(clBtnHighlight);
    // The two colours of a frame cut as ACut: sunk, raised or flat.
    auto FrameColors = [&](TBevelCut ACut) {
        return ACut == bvLowered ? std::pair{Shadow, Highlight}
               : ACut == bvRaised ? std::pair{Highlight, Shadow}
                                  : std::pair{Shadow, Shadow};
    };
    TRect R = ClientRect();
    if (FBevelStyle != bvNone) {
        auto [TopLeft, BottomRight] = FrameColors(FBevelStyle);
        DrawTwoColorFrame(Canvas, R, TopLeft, BottomRight);
        R = Rect(R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1);
    }
    if (FImage == nullptr)
        return;
    const TXFilterKernel* Kernel = FResample ? DefaultKernel() : nullptr;
    if (FPosition == ipDefault) {
        DrawImageObject(Canvas, R.Left, R.Top, FImage);
    } else if (FPosition == ipBestFit) {
        if (FImageBevelStyle == bvNone) {
            DrawImageObjectFitted(Canvas, R, FImage, Kernel);
        } else {
            auto [TopLeft, BottomRight] = FrameColors(FBevelStyle);
            DrawFramedImageObject(Canvas, R, FImage, TopLeft, BottomRight, Kernel);
        }
    } else {
        StretchDrawImageObject(Canvas, R, FImage, Kernel);
    }
}

// ---- TXContainedImage --------------------------------------------------------------------

void TXContainedImage::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    inherited::SetImageObject(TXImageObject::Create());
}

TXContainedImage::~TXContainedImage()
{
    if (Image() != nullptr)
        Image()->Free();
}

void TXContainedImage::SetImageObject(TXImageObject* AImage)
{
    if (AImage != nullptr)
        Image()->Assign(AImage);
    else
        Image()->Clear();
}

#include "XMedia.Graphics.Converters.h"

#include "Vcl.Imaging.Jpeg.h"
#include "Vcl.Imaging.PngImage.h"
#include "XMedia.VCL.Jpeg.h"

namespace {

bool HasData(TXImageObject* ASource)
{
    return ASource != nullptr && ASource->DataStream()->Size() > 0 && !ASource->DataClass().empty();
}

// The class registered under ADataClass when it is a graphic class, else nil.
TGraphicClass GraphicClassOf(const String& ADataClass)
{
    RegisterGraphicClasses();
    TClass Class = GetClass(ADataClass);
    return Class != nullptr && Class->InheritsFrom(TGraphic::StaticClass()) ? Class : nullptr;
}

void LoadPicture(TPicture* APicture, TXImageObject* ASource)
{
    EnsurePictureClass(APicture, GraphicClassOf(ASource->DataClass()));
    if (APicture->Graphic() == nullptr)
        throw EInvalidGraphic("Unknown picture class " + ASource->DataClass());
    ASource->DataStream()->SetPosition(0);
    APicture->Graphic()->LoadFromStream(ASource->DataStream());
}

}  // namespace

void RegisterGraphicClasses()
{
    static const bool Registered = [] {
        RegisterClasses({TIcon::StaticClass(), TBitmap::StaticClass(), TMetafile::StaticClass(),
                         TJPEGImage::StaticClass(), TXJPEGImage::StaticClass(), TPngImage::StaticClass()});
        return true;
    }();
    (void)Registered;
}

TXLanczosKernel* DefaultKernel()
{
    static const TOwned<TXLanczosKernel> Kernel = [] {
        auto Result = Owned(TXLanczosKernel::Create());
        Result->SetRadius(3.0f);
        return Result;
    }();
    return Kernel.get();
}

void EnsurePictureClass(TPicture* APicture, TGraphicClass AGraphicClass)
{
    if (AGraphicClass == nullptr)
        return;
    if (AGraphicClass == TJPEGImage::StaticClass())
        AGraphicClass = TXJPEGImage::StaticClass();
    APicture->ForceType(AGraphicClass);
}

TXImageObjectToPictureConverter* TXImageObjectToPictureConverter::CreateWithSource(TXImageObject* ASource)
{
    auto* Result = Create();
    Result->FSource = ASource;
    return Result;
}

void TXImageObjectToPictureConverter::DoConvert(TPicture* ATarget)
{
    if (!HasData(FSource))
        return;
    try {
        LoadPicture(ATarget, FSource);
    } catch (const std::exception&) {
        // the picture stays as the failed load left it; drawing then draws nothing
    }
}

TXImageObjectToBitmapConverter* TXImageObjectToBitmapConverter::CreateWithSource(TXImageObject* ASource)
{
    auto* Result = Create();
    Result->FSource = ASource;
    return Result;
}

void TXImageObjectToBitmapConverter::DoConvert(TBitmap* ATarget)
{
    if (!HasData(FSource))
        return;
    try {
        auto Picture = Owned(TPicture::Create());
        LoadPicture(Picture.get(), FSource);
        ATarget->SetSize(FSource->Width(), FSource->Height());
        ATarget->Canvas()->Draw(0, 0, Picture->Graphic());
    } catch (const std::exception&) {
        ATarget->SetSize(0, 0);
    }
}

// XMedia.Graphics.Converters.h: from an image object's bytes to a drawable picture or bitmap,
// the graphic classes a DataClass name may name, and the shared resampling kernel.
#pragma once

#include "Vcl.Graphics.h"
#include "XCore.Classes.h"
#include "XMedia.Classes.h"
#include "XMedia.Graphics.Containers.h"

// Registers TIcon, TBitmap, TMetafile, TJPEGImage, TXJPEGImage and TPngImage with the class
// registry, once; everything here calls it before looking a class up.
void RegisterGraphicClasses();

// The Lanczos kernel of radius 3 that controls use when resampling is wanted.
TXLanczosKernel* DefaultKernel();

// Forces APicture to an empty AGraphicClass graphic unless it already holds one (or a
// subclass); JPEG pictures are always ours. A nil class changes nothing.
void EnsurePictureClass(TPicture* APicture, TGraphicClass AGraphicClass);

// Decoding failures leave the picture as the failed load left it; an empty source, or one
// without a class name, leaves it untouched.
class TXImageObjectToPictureConverter : public TXCustomObjectConverter<TPicture> {
    X_CLASS(TXImageObjectToPictureConverter, TXCustomObjectConverter<TPicture>)
public:
    static TXImageObjectToPictureConverter* CreateWithSource(TXImageObject* ASource);
    TXImageObject* Source() const { return FSource; }
    void SetSource(TXImageObject* AValue) { FSource = AValue; }

protected:
    TXImageObjectToPictureConverter() = default;
    void DoConvert(TPicture* ATarget) override;

private:
    TXImageObject* FSource = nullptr;   // not owned
};

// The bitmap takes the source's stored size; a decoding failure leaves it 0 x 0.
class TXImageObjectToBitmapConverter : public TXCustomObjectConverter<TBitmap> {
    X_CLASS(TXImageObjectToBitmapConverter, TXCustomObjectConverter<TBitmap>)
public:
    static TXImageObjectToBitmapConverter* CreateWithSource(TXImageObject* ASource);
    TXImageObject* Source() const { return FSource; }
    void SetSource(TXImageObject* AValue) { FSource = AValue; }

protected:
    TXImageObjectToBitmapConverter() = default;
    void DoConvert(TBitmap* ATarget) override;

private:
    TXImageObject* FSource = nullptr;   // not owned
};

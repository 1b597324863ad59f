// XMedia.VCL.Jpeg.h: the framework's JPEG picture, which draws its decoded pixels with the
// bitmap's canvas locked so that another thread drawing on it cannot interleave.
#pragma once

#include "Vcl.Imaging.Jpeg.h"

class TXJPEGImage : public TJPEGImage {
    X_CLASS(TXJPEGImage, TJPEGImage)
protected:
    TXJPEGImage() = default;
    void Draw(TCanvas* ACanvas, const TRect& ARect) override;
};

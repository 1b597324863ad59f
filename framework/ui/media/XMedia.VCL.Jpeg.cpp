#include "XMedia.VCL.Jpeg.h"

void TXJPEGImage::Draw(TCanvas* ACanvas, const TRect& ARect)
{
    TBitmap* Pixels = Bitmap();
    if (Pixels == nullptr)
        return;
    Pixels->Canvas()->Lock();
    try {
        ACanvas->StretchDraw(ARect, Pixels);
    } catch (...) {
        Pixels->Canvas()->Unlock();
        throw;
    }
    Pixels->Canvas()->Unlock();
}

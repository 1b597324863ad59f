// Loads arbitrary bytes as each kind of picture the platform decodes and draws what loads:
// no crash, hang or sanitizer report; bad bytes raise EInvalidGraphic and nothing else.
#include <cstddef>
#include <cstdint>

#include "Vcl.Graphics.h"
#include "Vcl.Imaging.Jpeg.h"
#include "Vcl.Imaging.PngImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize)
{
    auto Stream = Owned(TMemoryStream::Create());
    Stream->WriteBuffer(AData, int64_t(ASize));
    auto Target = Owned(TBitmap::Create());
    Target->SetSize(16, 16);
    for (TClass Class : {TBitmap::StaticClass(), TIcon::StaticClass(), TJPEGImage::StaticClass(), TPngImage::StaticClass()}) {
        auto Graphic = Owned(XCreateFromClass<TGraphic>(Class));
        Stream->SetPosition(0);
        try {
            Graphic->LoadFromStream(Stream.get());
            // Large pictures are legal; decoding them only makes the run slow.
            if (int64_t(Graphic->Width()) * Graphic->Height() <= 1 << 20)
                Target->Canvas()->StretchDraw(Rect(0, 0, 16, 16), Graphic.get());
        } catch (const EInvalidGraphic&) {
        }
    }
    return 0;
}

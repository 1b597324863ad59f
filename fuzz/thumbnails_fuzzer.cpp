// Makes the thumbnail of arbitrary bytes taken as a found JPEG and as a found TIFF-family raw
// (its embedded JPEG, found by the IFD walk): no crash, hang or sanitizer report; bytes that do
// not decode record an error and leave the picture empty.
#include <cstddef>
#include <cstdint>

#include "Rtl.Streams.h"
#include "XCore.App.h"
#include "XCore.Errors.h"
#include "XCore.Intervals.Blocks.h"
#include "XDR.Work.P.h"
#include "XMedia.Graphics.Containers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize)
{
    // Thumbnails are resampled through caches stamped with the core application's clock.
    static const bool kAppStarted = (SetNVCoreApp(TXNVCoreApp::Create()), true);
    (void)kAppStarted;
    auto Stream = Owned(TMemoryStream::Create());
    Stream->Write(AData, static_cast<int64_t>(ASize));
    auto Blocks = Owned(TXBlocks::Create());
    Blocks->Add(0, static_cast<int64_t>(ASize));
    for (uint8_t Kind : {uint8_t(skJPG), uint8_t(skTIF)}) {
        auto Format = Owned(FormatClassOfKind(Kind)->Create());
        (void)Format->ValidateBlocks(Stream.get(), Blocks.get());
        auto Image = Owned(TXImageObject::Create());
        TXDRDimensions PictureSize;
        if (!Format->MakeThumbnail(PictureSize, Image.get(), Blocks.get(), Stream.get()) && Image->Width() != 0)
            __builtin_trap();
        ClearError();
    }
    return 0;
}

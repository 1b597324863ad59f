// Vcl.Imaging.Jpeg.cpp: libjpeg reports errors through a callback that must not return;
// it jumps back with longjmp, and the exception is raised only after that, outside libjpeg.
// No object with a destructor is made between setjmp and the calls that may jump.
#include "Vcl.Imaging.Jpeg.h"

#include <csetjmp>
#include <cstdio>   // jpeglib.h needs FILE

#include <jpeglib.h>
#include <jerror.h>

#include <algorithm>

namespace {

struct TJpegError {
    jpeg_error_mgr Manager;
    jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX] = {};
    bool StrictEnd = false;   // a premature end of the data is an error
};

void ErrorExit(j_common_ptr AInfo)
{
    auto* Error = reinterpret_cast<TJpegError*>(AInfo->err);
    (*AInfo->err->format_message)(AInfo, Error->Message);
    std::longjmp(Error->Jump, 1);
}

// Warnings (a file cut short, extra bytes) are not failures: what decodes is kept. A cut
// file is one where the caller asked for a strict end.
void IgnoreMessage(j_common_ptr) {}

void EmitMessage(j_common_ptr AInfo, int ALevel)
{
    auto* Error = reinterpret_cast<TJpegError*>(AInfo->err);
    if (ALevel < 0 && Error->StrictEnd && AInfo->err->msg_code == JWRN_JPEG_EOF)
        ErrorExit(AInfo);
}

void InstallErrors(jpeg_common_struct* AInfo, TJpegError& AError)
{
    AInfo->err = jpeg_std_error(&AError.Manager);
    AError.Manager.error_exit = ErrorExit;
    AError.Manager.output_message = IgnoreMessage;
    AError.Manager.emit_message = EmitMessage;
}

[[noreturn]] void RaiseJpeg(const TJpegError& AError)
{
    throw EJPEG(String("JPEG error: ") + AError.Message);
}

int ScaleDenominator(TJPEGScale AScale)
{
    return 1 << int(AScale);
}

class TJpegReader {
public:
    explicit TJpegReader(const TBytes& AData)
    {
        InstallErrors(reinterpret_cast<jpeg_common_struct*>(&Info), Error);
        jpeg_create_decompress(&Info);
        jpeg_mem_src(&Info, AData.data(), static_cast<unsigned long>(AData.size()));
    }
    ~TJpegReader() { jpeg_destroy_decompress(&Info); }
    TJpegReader(const TJpegReader&) = delete;
    TJpegReader& operator=(const TJpegReader&) = delete;

    jpeg_decompress_struct Info{};
    TJpegError Error;
    TBytes Row;
};

void ReadHeader(const TBytes& AData, int& AWidth, int& AHeight)
{
    if (AData.empty())
        throw EJPEG("JPEG error: the image is empty");
    TJpegReader Reader(AData);
    if (setjmp(Reader.Error.Jump))
        RaiseJpeg(Reader.Error);
    jpeg_read_header(&Reader.Info, TRUE);
    // Only the decoded size is held to the pixel limit: a photo too large at full size
    // still decodes at a smaller scale.
    CheckGraphicSize("JPEG", Reader.Info.image_width / 8 + 1, Reader.Info.image_height / 8 + 1);
    AWidth = int(Reader.Info.image_width);
    AHeight = int(Reader.Info.image_height);
}

// One decoded row into blue, green, red. Adobe's CMYK files store the inks inverted.
void StoreRow(const jpeg_decompress_struct& AInfo, const uint8_t* ASource, uint8_t* ADest)
{
    for (JDIMENSION X = 0; X < AInfo.output_width; ++X, ADest += 3) {
        if (AInfo.out_color_space == JCS_GRAYSCALE) {
            ADest[0] = ADest[1] = ADest[2] = ASource[X];
        } else if (AInfo.out_color_space == JCS_CMYK) {
            const uint8_t* P = ASource + 4 * X;
            auto Channel = [&](uint8_t AInk) {
                int Ink = AInfo.saw_Adobe_marker ? AInk : 255 - AInk, Black = AInfo.saw_Adobe_marker ? P[3] : 255 - P[3];
                return uint8_t(Ink * Black / 255);
            };
            ADest[2] = Channel(P[0]);
            ADest[1] = Channel(P[1]);
            ADest[0] = Channel(P[2]);
        } else {
            const uint8_t* P = ASource + 3 * X;
            ADest[0] = P[2];
            ADest[1] = P[1];
            ADest[2] = P[0];
        }
    }
}

J_COLOR_SPACE OutputSpace(const jpeg_decompress_struct& AInfo, bool AGrayscale)
{
    if (AGrayscale || AInfo.jpeg_color_space == JCS_GRAYSCALE)
        return JCS_GRAYSCALE;
    return AInfo.jpeg_color_space == JCS_CMYK || AInfo.jpeg_color_space == JCS_YCCK ? JCS_CMYK : JCS_RGB;
}

void Decode(const TBytes& AData, TJPEGScale AScale, bool AGrayscale, TJPEGPerformance APerformance, bool AStrictEnd,
            TBitmap* ABitmap)
{
    TJpegReader Reader(AData);
    Reader.Error.StrictEnd = AStrictEnd;
    jpeg_decompress_struct& Info = Reader.Info;
    if (setjmp(Reader.Error.Jump))
        RaiseJpeg(Reader.Error);
    jpeg_read_header(&Info, TRUE);
    Info.scale_num = 1;
    Info.scale_denom = unsigned(ScaleDenominator(AScale));
    Info.out_color_space = OutputSpace(Info, AGrayscale);
    bool Fast = APerformance == jpBestSpeed;
    Info.dct_method = Fast ? JDCT_IFAST : JDCT_ISLOW;
    Info.do_fancy_upsampling = Fast ? FALSE : TRUE;
    // Progressive files keep every coefficient of the full size: past this libjpeg fails
    // with its out-of-memory error instead of asking for gigabytes.
    Info.mem->max_memory_to_use = 1L << 29;
    jpeg_calc_output_dimensions(&Info);
    CheckGraphicSize("JPEG", Info.output_width, Info.output_height);
    jpeg_start_decompress(&Info);
    ABitmap->SetSize(0, 0);
    ABitmap->SetPixelFormat(pf24bit);
    ABitmap->SetSize(int(Info.output_width), int(Info.output_height));
    Reader.Row.resize(size_t(Info.output_width) * Info.output_components);
    while (Info.output_scanline < Info.output_height) {
        JSAMPROW Row = Reader.Row.data();
        JDIMENSION Y = Info.output_scanline;
        if (jpeg_read_scanlines(&Info, &Row, 1) != 1)
            break;
        StoreRow(Info, Reader.Row.data(), static_cast<uint8_t*>(ABitmap->ScanLine(int(Y))));
    }
    jpeg_finish_decompress(&Info);
}

class TJpegWriter {
public:
    TJpegWriter()
    {
        InstallErrors(reinterpret_cast<jpeg_common_struct*>(&Info), Error);
        jpeg_create_compress(&Info);
        jpeg_mem_dest(&Info, &Buffer, &Size);
    }
    ~TJpegWriter()
    {
        jpeg_destroy_compress(&Info);
        free(Buffer);   // libjpeg's memory destination allocates with malloc
    }
    TJpegWriter(const TJpegWriter&) = delete;
    TJpegWriter& operator=(const TJpegWriter&) = delete;

    jpeg_compress_struct Info{};
    TJpegError Error;
    unsigned char* Buffer = nullptr;
    unsigned long Size = 0;
    TBytes Row;
};

TBytes Encode(TBitmap* ABitmap, int AQuality, bool AGrayscale)
{
    TJpegWriter Writer;
    jpeg_compress_struct& Info = Writer.Info;
    int Bpp = ABitmap->BytesPerPixel();
    Writer.Row.resize(size_t(ABitmap->Width()) * 3);
    if (setjmp(Writer.Error.Jump))
        RaiseJpeg(Writer.Error);
    Info.image_width = JDIMENSION(ABitmap->Width());
    Info.image_height = JDIMENSION(ABitmap->Height());
    Info.input_components = 3;
    Info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&Info);
    jpeg_set_quality(&Info, AQuality, TRUE);
    if (AGrayscale)
        jpeg_set_colorspace(&Info, JCS_GRAYSCALE);
    jpeg_start_compress(&Info, TRUE);
    while (Info.next_scanline < Info.image_height) {
        const uint8_t* Source = static_cast<const uint8_t*>(ABitmap->ScanLine(int(Info.next_scanline)));
        for (int X = 0; X < ABitmap->Width(); ++X) {
            Writer.Row[3 * size_t(X)] = Source[Bpp * X + 2];
            Writer.Row[3 * size_t(X) + 1] = Source[Bpp * X + 1];
            Writer.Row[3 * size_t(X) + 2] = Source[Bpp * X];
        }
        JSAMPROW Row = Writer.Row.data();
        jpeg_write_scanlines(&Info, &Row, 1);
    }
    jpeg_finish_compress(&Info);
    return TBytes(Writer.Buffer, Writer.Buffer + Writer.Size);
}

}  // namespace

TJPEGImage::~TJPEGImage()
{
    FreeAndNil(FBitmap);
}

int TJPEGImage::Width() const
{
    if (FBitmap != nullptr)
        return FBitmap->Width();
    int Denominator = ScaleDenominator(FScale);
    return (FImageWidth + Denominator - 1) / Denominator;
}

int TJPEGImage::Height() const
{
    if (FBitmap != nullptr)
        return FBitmap->Height();
    int Denominator = ScaleDenominator(FScale);
    return (FImageHeight + Denominator - 1) / Denominator;
}

void TJPEGImage::SetCompressionQuality(int AValue)
{
    FCompressionQuality = std::clamp(AValue, 1, 100);
}

// Pixels that came without a file (assigned from a bitmap) have nothing to decode again.
void TJPEGImage::FreeBitmap()
{
    if (!FData.empty())
        FreeAndNil(FBitmap);
}

void TJPEGImage::SetScale(TJPEGScale AValue)
{
    if (FScale == AValue)
        return;
    FScale = AValue;
    FreeBitmap();
    Changed();
}

void TJPEGImage::SetGrayscale(bool AValue)
{
    if (FGrayscale == AValue)
        return;
    FGrayscale = AValue;
    FreeBitmap();
    Changed();
}

void TJPEGImage::SetStrictEnd(bool AValue)
{
    if (FStrictEnd == AValue)
        return;
    FStrictEnd = AValue;
    FreeBitmap();
    Changed();
}

void TJPEGImage::SetPerformance(TJPEGPerformance AValue)
{
    if (FPerformance == AValue)
        return;
    FPerformance = AValue;
    FreeBitmap();
    Changed();
}

TBitmap* TJPEGImage::Bitmap()
{
    if (FBitmap == nullptr && !FData.empty()) {
        auto Decoded = Owned(TBitmap::Create());
        Decode(FData, FScale, FGrayscale, FPerformance, FStrictEnd, Decoded.get());
        FBitmap = Decoded.release();
    }
    return FBitmap;
}

void TJPEGImage::Compress()
{
    if (TBitmap* Pixels = Bitmap()) {
        FData = Encode(Pixels, FCompressionQuality, FGrayscale);
        FImageWidth = Pixels->Width();
        FImageHeight = Pixels->Height();
        FScale = jsFullSize;
    }
}

void TJPEGImage::LoadFromStream(TStream* AStream)
{
    TBytes Data = ReadRestOfStream(AStream);
    int W = 0, H = 0;
    ReadHeader(Data, W, H);
    FreeAndNil(FBitmap);
    FData = std::move(Data);
    FImageWidth = W;
    FImageHeight = H;
    Changed();
}

void TJPEGImage::SaveToStream(TStream* AStream)
{
    if (FData.empty())
        Compress();
    AStream->WriteBuffer(FData.data(), int64_t(FData.size()));
}

void TJPEGImage::Assign(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TJPEGImage>(ASource)) {
        FData = Source->FData;
        FImageWidth = Source->FImageWidth;
        FImageHeight = Source->FImageHeight;
        FCompressionQuality = Source->FCompressionQuality;
        FScale = Source->FScale;
        FGrayscale = Source->FGrayscale;
        FPerformance = Source->FPerformance;
        FStrictEnd = Source->FStrictEnd;
        FreeAndNil(FBitmap);
        if (Source->FBitmap != nullptr && FData.empty()) {
            FBitmap = TBitmap::Create();
            FBitmap->Assign(Source->FBitmap);
        }
        return Changed();
    }
    auto* Bitmap = AsOrNull<TBitmap>(ASource);
    if (Bitmap == nullptr)
        return inherited::Assign(ASource);
    auto Copy = Owned(TBitmap::Create());
    Copy->Assign(Bitmap);
    Copy->SetPixelFormat(pf24bit);
    Copy->SetTransparent(false);
    FreeAndNil(FBitmap);
    FBitmap = Copy.release();
    FData.clear();
    FImageWidth = FBitmap->Width();
    FImageHeight = FBitmap->Height();
    FScale = jsFullSize;
    Changed();
}

void TJPEGImage::AssignTo(TPersistent* ADest)
{
    if (auto* Dest = AsOrNull<TBitmap>(ADest))
        return Dest->Assign(Bitmap());
    inherited::AssignTo(ADest);
}

void TJPEGImage::Draw(TCanvas* ACanvas, const TRect& ARect)
{
    ACanvas->StretchDraw(ARect, Bitmap());
}

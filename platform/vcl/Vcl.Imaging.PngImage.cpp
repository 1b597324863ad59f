// Vcl.Imaging.PngImage.cpp: libpng reports errors through a callback that must not return;
// it jumps back with longjmp, and the exception is raised only after that. Buffers live in
// objects made before setjmp, so a jump skips no destructor.
#include "Vcl.Imaging.PngImage.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <png.h>

#include <algorithm>

namespace {

struct TPngState {
    png_structp Png = nullptr;
    png_infop Info = nullptr;
    char Message[256] = "unknown error";
};

void PngError(png_structp APng, png_const_charp AMessage)
{
    auto* State = static_cast<TPngState*>(png_get_error_ptr(APng));
    std::snprintf(State->Message, sizeof(State->Message), "%s", AMessage);
    png_longjmp(APng, 1);
}

// Warnings (a bad ancillary chunk) are not failures.
void PngWarning(png_structp, png_const_charp) {}

struct TPngReader : TPngState {
    explicit TPngReader(const TBytes& AData) : Data(AData) {}
    ~TPngReader() { png_destroy_read_struct(&Png, &Info, nullptr); }
    TPngReader(const TPngReader&) = delete;
    TPngReader& operator=(const TPngReader&) = delete;

    const TBytes& Data;
    size_t Position = 0;
    TBytes Pixels;
    std::vector<png_bytep> Rows;
};

void ReadData(png_structp APng, png_bytep AOut, size_t ACount)
{
    auto* Reader = static_cast<TPngReader*>(png_get_io_ptr(APng));
    if (ACount > Reader->Data.size() - Reader->Position)
        png_error(APng, "the image is truncated");
    std::memcpy(AOut, Reader->Data.data() + Reader->Position, ACount);
    Reader->Position += ACount;
}

struct TPngWriter : TPngState {
    ~TPngWriter() { png_destroy_write_struct(&Png, &Info); }
    TPngWriter() = default;
    TPngWriter(const TPngWriter&) = delete;
    TPngWriter& operator=(const TPngWriter&) = delete;

    TBytes Out;
    TBytes Pixels;
    std::vector<png_bytep> Rows;
};

void WriteData(png_structp APng, png_bytep AData, size_t ACount)
{
    auto* Writer = static_cast<TPngWriter*>(png_get_io_ptr(APng));
    Writer->Out.insert(Writer->Out.end(), AData, AData + ACount);
}

void FlushData(png_structp) {}

struct TTransparency {
    TPNGTransparencyMode Mode = ptmNone;
    TColor Key = clNone;
};

uint8_t To8Bits(unsigned AValue, int ABitDepth)
{
    return ABitDepth == 16 ? uint8_t(AValue >> 8) : uint8_t(AValue * 255 / ((1u << ABitDepth) - 1));
}

// Read before the expansion turns it into alpha: one fully transparent palette entry or one
// key colour is ptmBit, anything else with transparency ptmPartial.
TTransparency ReadTransparency(png_structp APng, png_infop AInfo, int AColorType, int ABitDepth)
{
    if (AColorType & PNG_COLOR_MASK_ALPHA)
        return {ptmPartial, clNone};
    png_bytep Alphas = nullptr;
    int AlphaCount = 0;
    png_color_16p KeyColor = nullptr;
    if (!png_get_valid(APng, AInfo, PNG_INFO_tRNS) || !png_get_tRNS(APng, AInfo, &Alphas, &AlphaCount, &KeyColor))
        return {ptmNone, clNone};
    if (AColorType == PNG_COLOR_TYPE_GRAY) {
        uint8_t G = To8Bits(KeyColor->gray, ABitDepth);
        return {ptmBit, RGB(G, G, G)};
    }
    if (AColorType == PNG_COLOR_TYPE_RGB)
        return {ptmBit, RGB(To8Bits(KeyColor->red, ABitDepth), To8Bits(KeyColor->green, ABitDepth),
                            To8Bits(KeyColor->blue, ABitDepth))};
    png_colorp Palette = nullptr;
    int PaletteCount = 0;
    png_get_PLTE(APng, AInfo, &Palette, &PaletteCount);
    int Clear = -1;
    for (int I = 0; I < AlphaCount; ++I) {
        if (Alphas[I] == 255)
            continue;
        if (Alphas[I] != 0 || Clear >= 0 || I >= PaletteCount)
            return {ptmPartial, clNone};
        Clear = I;
    }
    if (Clear < 0)
        return {ptmNone, clNone};
    return {ptmBit, RGB(Palette[Clear].red, Palette[Clear].green, Palette[Clear].blue)};
}

}  // namespace

// Decoding and encoding with access to the image's fields.
class TPngCodec {
public:
    static void Read(TPngImage* AImage, const TBytes& AData);
    static TBytes Write(TPngImage* AImage);
};

// Whether every chunk's claimed length fits in the file: libpng allocates what a chunk claims
// before it reads it, so a few bytes could otherwise ask for gigabytes.
static bool ChunksFitTheFile(const TBytes& AData)
{
    size_t Pos = 8;   // past the signature
    while (Pos + 12 <= AData.size()) {
        const uint32_t Length = uint32_t(AData[Pos]) << 24 | uint32_t(AData[Pos + 1]) << 16 |
                                uint32_t(AData[Pos + 2]) << 8 | uint32_t(AData[Pos + 3]);
        if (Length > AData.size() - Pos - 12)
            return false;
        Pos += 12 + size_t(Length);
    }
    return true;
}

void TPngCodec::Read(TPngImage* AImage, const TBytes& AData)
{
    if (!ChunksFitTheFile(AData))
        throw EInvalidGraphic("PNG image is not valid: a chunk is longer than the file");
    TPngReader R(AData);
    R.Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &R, PngError, PngWarning);
    if (R.Png == nullptr || (R.Info = png_create_info_struct(R.Png)) == nullptr)
        throw EOutOfMemory(SOutOfMemory);
    if (setjmp(png_jmpbuf(R.Png)))
        throw EInvalidGraphic(String("PNG image is not valid: ") + R.Message);
    png_set_read_fn(R.Png, &R, ReadData);
    png_set_user_limits(R.Png, MaxGraphicSide, MaxGraphicSide);
    png_read_info(R.Png, R.Info);
    png_uint_32 Width = 0, Height = 0;
    int BitDepth = 0, ColorType = 0;
    png_get_IHDR(R.Png, R.Info, &Width, &Height, &BitDepth, &ColorType, nullptr, nullptr, nullptr);
    CheckGraphicSize("PNG", Width, Height);
    TTransparency Transparency = ReadTransparency(R.Png, R.Info, ColorType, BitDepth);
    png_set_expand(R.Png);
    png_set_strip_16(R.Png);
    png_set_gray_to_rgb(R.Png);
    png_set_bgr(R.Png);
    png_set_interlace_handling(R.Png);
    png_read_update_info(R.Png, R.Info);
    size_t Channels = png_get_channels(R.Png, R.Info);
    if ((Channels != 3 && Channels != 4) || png_get_rowbytes(R.Png, R.Info) != Width * Channels)
        throw EInvalidGraphic("PNG image has an unsupported layout");
    R.Pixels.resize(size_t(Width) * Height * Channels);
    for (size_t Y = 0; Y < Height; ++Y)
        R.Rows.push_back(&R.Pixels[Y * Width * Channels]);
    png_read_image(R.Png, R.Rows.data());
    png_read_end(R.Png, nullptr);

    AImage->CreateBlank(uint8_t(ColorType), 8, int(Width), int(Height));
    AImage->FAlpha.assign(Channels == 4 ? size_t(Width) * Height : 0, 255);
    for (size_t Y = 0; Y < Height; ++Y) {
        auto* Row = static_cast<uint8_t*>(AImage->FRows->ScanLine(int(Y)));
        for (size_t X = 0; X < Width; ++X) {
            std::memcpy(Row + 3 * X, R.Rows[Y] + Channels * X, 3);
            if (Channels == 4)
                AImage->FAlpha[Y * Width + X] = R.Rows[Y][Channels * X + 3];
        }
    }
    AImage->FTransparencyMode = Transparency.Mode;
    AImage->FTransparentColor = Transparency.Key;
}

namespace {

// Kept apart from the pixel copy so that nothing but W lives across the setjmp.
void EncodeRows(TPngWriter& W, int AWidth, int AHeight, bool AAlpha)
{
    W.Png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &W, PngError, PngWarning);
    if (W.Png == nullptr || (W.Info = png_create_info_struct(W.Png)) == nullptr)
        throw EOutOfMemory(SOutOfMemory);
    if (setjmp(png_jmpbuf(W.Png)))
        throw EInvalidGraphic(String("PNG image could not be written: ") + W.Message);
    png_set_write_fn(W.Png, &W, WriteData, FlushData);
    png_set_IHDR(W.Png, W.Info, png_uint_32(AWidth), png_uint_32(AHeight), 8,
                 AAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_bgr(W.Png);
    png_write_info(W.Png, W.Info);
    png_write_image(W.Png, W.Rows.data());
    png_write_end(W.Png, nullptr);
}

}  // namespace

TBytes TPngCodec::Write(TPngImage* AImage)
{
    TPngWriter W;
    int Width = AImage->Width(), Height = AImage->Height();
    size_t Channels = AImage->HasAlpha() ? 4 : 3;
    W.Pixels.resize(size_t(Width) * Height * Channels);
    for (int Y = 0; Y < Height; ++Y) {
        const auto* Row = static_cast<const uint8_t*>(AImage->Scanline(Y));
        uint8_t* Out = &W.Pixels[size_t(Y) * Width * Channels];
        W.Rows.push_back(Out);
        for (int X = 0; X < Width; ++X) {
            std::memcpy(Out + Channels * X, Row + 3 * X, 3);
            if (Channels == 4)
                Out[Channels * X + 3] = AImage->FAlpha[size_t(Y) * Width + X];
        }
    }
    EncodeRows(W, Width, Height, Channels == 4);
    return std::move(W.Out);
}

TPngImage::~TPngImage()
{
    FreeAndNil(FRows);
}

void TPngImage::Construct()
{
    inherited::Construct();
    FRows = TBitmap::Create();
    FRows->SetPixelFormat(pf24bit);
}

void TPngImage::Resize(int AWidth, int AHeight)
{
    AWidth = std::max(0, AWidth);
    AHeight = std::max(0, AHeight);
    if (AWidth == FHeader.Width && AHeight == FHeader.Height)
        return;
    FRows->SetSize(AWidth, AHeight);
    if (HasAlpha()) {
        TBytes Alpha(size_t(AWidth) * AHeight, 255);
        for (int Y = 0; Y < std::min(AHeight, FHeader.Height); ++Y)
            std::memcpy(&Alpha[size_t(Y) * AWidth], &FAlpha[size_t(Y) * FHeader.Width],
                        size_t(std::min(AWidth, FHeader.Width)));
        FAlpha = std::move(Alpha);
    }
    FHeader.Width = AWidth;
    FHeader.Height = AHeight;
    Changed();
}

void TPngImage::CreateBlank(uint8_t AColorType, uint8_t ABitDepth, int AWidth, int AHeight)
{
    if (ABitDepth != 8)
        throw EInvalidGraphicOperation("PNG images are made at 8 bits per channel only");
    if (AColorType != COLOR_GRAYSCALE && AColorType != COLOR_RGB && AColorType != COLOR_PALETTE
        && AColorType != COLOR_GRAYSCALEALPHA && AColorType != COLOR_RGBALPHA)
        throw EInvalidGraphicOperation("Invalid PNG colour type " + IntToStr(AColorType));
    FRows->SetSize(0, 0);
    FRows->SetSize(AWidth, AHeight);
    for (int Y = 0; Y < FRows->Height(); ++Y)
        std::memset(FRows->ScanLine(Y), 0, size_t(FRows->Width()) * 3);
    bool Alpha = AColorType & PNG_COLOR_MASK_ALPHA;
    FAlpha.assign(Alpha ? size_t(FRows->Width()) * FRows->Height() : 0, 0);
    FHeader = TPngHeader{FRows->Width(), FRows->Height(), 8, AColorType};
    FTransparencyMode = Alpha ? ptmPartial : ptmNone;
    FTransparentColor = clNone;
    Changed();
}

void TPngImage::CreateAlpha()
{
    if (!HasAlpha()) {
        FAlpha.assign(size_t(Width()) * Height(), 255);
        for (int Y = 0; FTransparencyMode == ptmBit && Y < Height(); ++Y) {
            const auto* Row = static_cast<const uint8_t*>(Scanline(Y));
            for (int X = 0; X < Width(); ++X)
                if (RGB(Row[3 * X + 2], Row[3 * X + 1], Row[3 * X]) == FTransparentColor)
                    FAlpha[size_t(Y) * Width() + X] = 0;
        }
    }
    if (FHeader.ColorType == COLOR_GRAYSCALE)
        FHeader.ColorType = COLOR_GRAYSCALEALPHA;
    else if (FHeader.ColorType == COLOR_RGB)
        FHeader.ColorType = COLOR_RGBALPHA;
    FTransparencyMode = ptmPartial;
    Changed();
}

void* TPngImage::Scanline(int ARow)
{
    return FRows->ScanLine(ARow);
}

uint8_t* TPngImage::AlphaScanline(int ARow)
{
    if (ARow < 0 || ARow >= Height())
        throw EInvalidGraphicOperation("Scan line index out of range");
    return HasAlpha() ? &FAlpha[size_t(ARow) * Width()] : nullptr;
}

void TPngImage::LoadFromStream(TStream* AStream)
{
    TBytes Data = ReadRestOfStream(AStream);
    auto Decoded = Owned(TPngImage::Create());
    TPngCodec::Read(Decoded.get(), Data);
    Assign(Decoded.get());
}

void TPngImage::SaveToStream(TStream* AStream)
{
    TBytes Data = TPngCodec::Write(this);
    AStream->WriteBuffer(Data.data(), int64_t(Data.size()));
}

void TPngImage::Assign(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TPngImage>(ASource)) {
        FRows->Assign(Source->FRows);
        FAlpha = Source->FAlpha;
        FHeader = Source->FHeader;
        FTransparencyMode = Source->FTransparencyMode;
        FTransparentColor = Source->FTransparentColor;
        return Changed();
    }
    auto* Bitmap = AsOrNull<TBitmap>(ASource);
    if (Bitmap == nullptr)
        return inherited::Assign(ASource);
    FRows->Assign(Bitmap);
    bool Alpha = Bitmap->PixelFormat() == pf32bit && Bitmap->AlphaFormat() != afIgnored;
    FAlpha.assign(Alpha ? size_t(Bitmap->Width()) * Bitmap->Height() : 0, 255);
    for (int Y = 0; Alpha && Y < FRows->Height(); ++Y) {
        auto* Row = static_cast<uint8_t*>(FRows->ScanLine(Y));
        for (int X = 0; X < FRows->Width(); ++X) {
            uint8_t A = Row[4 * X + 3];
            // Premultiplied colours are divided back out: PNG stores them straight.
            for (int C = 0; C < 3 && Bitmap->AlphaFormat() == afPremultiplied; ++C)
                Row[4 * X + C] = A == 0 ? 0 : uint8_t(std::min(255, Row[4 * X + C] * 255 / A));
            FAlpha[size_t(Y) * FRows->Width() + X] = A;
        }
    }
    FRows->SetPixelFormat(pf24bit);
    FRows->SetAlphaFormat(afIgnored);
    FRows->SetTransparent(false);
    FHeader = TPngHeader{FRows->Width(), FRows->Height(), 8, Alpha ? COLOR_RGBALPHA : COLOR_RGB};
    FTransparencyMode = Alpha ? ptmPartial : ptmNone;
    FTransparentColor = clNone;
    Changed();
}

void TPngImage::AssignTo(TPersistent* ADest)
{
    auto* Dest = AsOrNull<TBitmap>(ADest);
    if (Dest == nullptr)
        return inherited::AssignTo(ADest);
    Dest->Assign(FRows);
    if (!HasAlpha())
        return;
    Dest->SetPixelFormat(pf32bit);
    for (int Y = 0; Y < Height(); ++Y) {
        auto* Row = static_cast<uint8_t*>(Dest->ScanLine(Y));
        for (int X = 0; X < Width(); ++X)
            Row[4 * X + 3] = FAlpha[size_t(Y) * Width() + X];
    }
    Dest->SetAlphaFormat(afDefined);
}

void TPngImage::Draw(TCanvas* ACanvas, const TRect& ARect)
{
    if (!HasAlpha())
        return ACanvas->StretchDraw(ARect, FRows);
    auto Composed = Owned(TBitmap::Create());
    AssignTo(Composed.get());
    ACanvas->StretchDraw(ARect, Composed.get());
}

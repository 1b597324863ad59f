// XDR.Work.P.cpp: the signature table, the format classes and their end finders.
#include "XDR.Work.P.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "Rtl.Streams.h"
#include "Rtl.SysUtils.h"
#include "XCore.Errors.h"
#include "XCore.Intervals.Blocks.h"
#include "XCore.Search.h"
#include "XCore.Streams.Buffered.h"
#include "XDR.Work.Tiff.h"
#include "XMedia.Graphics.Containers.h"
#include "XMedia.Graphics.Converters.h"
#include "XMedia.Graphics.Filters.h"
#include "XMedia.Types.h"
#include "XMedia.VCL.Jpeg.h"

namespace {

constexpr uint8_t kSignature0[] = {0xFF, 0xD8};
constexpr uint8_t kSignature1[] = {0x49, 0x49, 0x2A, 0x00};
constexpr uint8_t kSignature2[] = {0x4D, 0x4D, 0x00, 0x2A};
constexpr uint8_t kSignature3[] = {0x49, 0x49, 0x52, 0x4F};
constexpr uint8_t kSignature4[] = {0x49, 0x49, 0x55, 0x00};
constexpr uint8_t kSignature5[] = {0x00, 0x4D, 0x52, 0x4D};
constexpr uint8_t kSignature6[] = {0x52, 0x49, 0x46, 0x46};
constexpr uint8_t kSignature7[] = {0x00, 0x00, 0x00, 0x18, 0x66, 0x74, 0x79, 0x70};
constexpr uint8_t kSignature8[] = {0x00, 0x00, 0x00, 0x20, 0x66, 0x74, 0x79, 0x70};
constexpr uint8_t kSignature9[] = {0x00, 0x00, 0x00, 0x1C, 0x66, 0x74, 0x79, 0x70};
constexpr uint8_t kSignature10[] = {0x00, 0x00, 0x01, 0x18, 0x73, 0x6B, 0x69, 0x70};
// "ftyp" after a size below 64 KiB, which the movie's end finder checks as an atom.
constexpr uint8_t kSignature11[] = {0x00, 0x00, 0x00, 0x00, 0x66, 0x74, 0x79, 0x70};
constexpr uint8_t kSignature11Mask[] = {0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF};

const std::span<const uint8_t> kSignatures[kSignatureCount] = {
    kSignature0, kSignature1, kSignature2, kSignature3, kSignature4, kSignature5,
    kSignature6, kSignature7, kSignature8, kSignature9, kSignature10, kSignature11};
const std::span<const uint8_t> kSignatureMasks[kSignatureCount] = {{}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {},
                                                                   kSignature11Mask};

template <class T>
TXDRScanFormat* CreateFormat()
{
    return T::Create();
}

const TXDRSignatureSet kTiffSignatures{1, 2};
const TXDRSignatureSet kMovieSignatures{7, 8, 9, 10, 11};

const TXDRScanFormatInfo kFormats[kScanKindCount] = {
    {skJPG, ".jpg", {0}, &CreateFormat<TXDRScanFormatJPG>},
    {skTIF, ".tif", kTiffSignatures, &CreateFormat<TXDRScanFormatTIF>},
    {skDNG, ".dng", kTiffSignatures, &CreateFormat<TXDRScanFormatDNG>},
    {skCR2, ".cr2", kTiffSignatures, &CreateFormat<TXDRScanFormatCR2>},
    {skNEF, ".nef", kTiffSignatures, &CreateFormat<TXDRScanFormatNEF>},
    {skORF, ".orf", {3}, &CreateFormat<TXDRScanFormatORF>},
    {skPEF, ".pef", kTiffSignatures, &CreateFormat<TXDRScanFormatPEF>},
    {skARW, ".arw", kTiffSignatures, &CreateFormat<TXDRScanFormatARW>},
    {skARWTIF, ".arw", kTiffSignatures, &CreateFormat<TXDRScanFormatARWTIF>},
    {skSRF, ".srf", kTiffSignatures, &CreateFormat<TXDRScanFormatSRF>},
    {skSR2, ".sr2", kTiffSignatures, &CreateFormat<TXDRScanFormatSR2>},
    {skRAW, ".raw", kTiffSignatures, &CreateFormat<TXDRScanFormatRAW>},
    {skMRW, ".mrw", {5}, &CreateFormat<TXDRScanFormatMRW>},
    {skRW2, ".rw2", {4}, &CreateFormat<TXDRScanFormatRW2>},
    {skAVI, ".avi", {6}, &CreateFormat<TXDRScanFormatAVI>},
    {skMOV, ".mov", kMovieSignatures, &CreateFormat<TXDRScanFormatMOV>},
    {skMP4, ".mp4", kMovieSignatures, &CreateFormat<TXDRScanFormatMP4>},
};

// Reads fields at offsets from a file's first byte. Offsets come from the file, so every sum
// is checked before it can overflow or leave the source.
class TXDRFieldReader {
public:
    TXDRFieldReader(TXDRScanSource& ASource, int64_t ABase) : FSource(ASource), FBase(ABase) {}

    bool Read(uint64_t AOffset, void* ABuffer, int64_t ACount)
    {
        int64_t Room = FSource.Size() - FBase;
        if (AOffset > static_cast<uint64_t>(std::max<int64_t>(Room, 0)))
            return false;
        return FSource.ReadAt(FBase + static_cast<int64_t>(AOffset), ABuffer, ACount);
    }
    bool Match(uint64_t AOffset, std::span<const uint8_t> APattern)
    {
        uint8_t Bytes[16];
        return APattern.size() <= sizeof(Bytes) && Read(AOffset, Bytes, static_cast<int64_t>(APattern.size()))
               && std::memcmp(Bytes, APattern.data(), APattern.size()) == 0;
    }
    bool MatchSignature(uint64_t AOffset, int ASignature)
    {
        uint8_t Bytes[16];
        const int64_t Count = static_cast<int64_t>(SignatureBytes(ASignature).size());
        return Read(AOffset, Bytes, Count) && MatchesSignature(ASignature, std::span<const uint8_t>(Bytes, size_t(Count)));
    }
    bool Byte(uint64_t AOffset, uint8_t& AValue) { return Read(AOffset, &AValue, 1); }
    bool BigEndian(uint64_t AOffset, int ASize, uint64_t& AValue)
    {
        uint8_t Bytes[8];
        if (!Read(AOffset, Bytes, ASize))
            return false;
        AValue = 0;
        for (int I = 0; I < ASize; ++I)
            AValue = (AValue << 8) | Bytes[I];
        return true;
    }
    bool LittleEndian(uint64_t AOffset, int ASize, uint64_t& AValue)
    {
        uint8_t Bytes[8];
        if (!Read(AOffset, Bytes, ASize))
            return false;
        AValue = 0;
        for (int I = ASize - 1; I >= 0; --I)
            AValue = (AValue << 8) | Bytes[I];
        return true;
    }
    // The bytes left in the source from AOffset on (0 past its end).
    uint64_t Room(uint64_t AOffset) const
    {
        int64_t Room = FSource.Size() - FBase;
        return Room > 0 && AOffset <= static_cast<uint64_t>(Room) ? static_cast<uint64_t>(Room) - AOffset : 0;
    }

private:
    TXDRScanSource& FSource;
    int64_t FBase;
};

// A finder's answer when its walk raised: the error stays recorded for the scan.
template <class TFinder>
int64_t EndOrNone(TFinder AFinder)
{
    try {
        return AFinder();
    } catch (...) {
        CheckError();
        return -1;
    }
}

bool IsFrameHeader(uint8_t ACode)
{
    // SOF0..SOF15 but DHT (C4), JPG (C8) and DAC (CC), which share the range.
    return ACode >= 0xC0 && ACode <= 0xCF && ACode != 0xC4 && ACode != 0xC8 && ACode != 0xCC;
}

}  // namespace

std::span<const uint8_t> SignatureBytes(int AIndex)
{
    return AIndex >= 0 && AIndex < kSignatureCount ? kSignatures[AIndex] : std::span<const uint8_t>();
}

std::span<const uint8_t> SignatureMask(int AIndex)
{
    return AIndex >= 0 && AIndex < kSignatureCount ? kSignatureMasks[AIndex] : std::span<const uint8_t>();
}

bool MatchesSignature(int AIndex, std::span<const uint8_t> ABytes)
{
    std::span<const uint8_t> Bytes = SignatureBytes(AIndex), Mask = SignatureMask(AIndex);
    if (Bytes.empty() || ABytes.size() < Bytes.size())
        return false;
    for (size_t I = 0; I < Bytes.size(); ++I) {
        const uint8_t Bits = Mask.empty() ? 0xFF : Mask[I];
        if ((ABytes[I] & Bits) != (Bytes[I] & Bits))
            return false;
    }
    return true;
}

// ---- Search source -----------------------------------------------------------------------

int64_t TXDRSearchSource::Size()
{
    return FSearch->Stream()->Size();
}

bool TXDRSearchSource::ReadAt(int64_t APosition, void* ABuffer, int64_t ACount)
{
    if (APosition < 0 || ACount < 0 || APosition > Size() - ACount)
        return false;
    return ACount == 0 || StreamReadAt(FSearch->Stream(), ABuffer, ACount, APosition);
}

int64_t TXDRSearchSource::FindPattern(std::span<const uint8_t> APattern, int64_t AStart)
{
    return FSearch->FindPattern(TXByteArray(APattern.begin(), APattern.end()), INT64_MAX, AStart);
}

bool TXDRSearchSource::Cancelled()
{
    TXTerminatedTest Terminated = FSearch->Terminated();
    return Terminated && Terminated();
}

// ---- Memory source -----------------------------------------------------------------------

bool TXDRMemoryScanSource::ReadAt(int64_t APosition, void* ABuffer, int64_t ACount)
{
    if (APosition < 0 || ACount < 0 || APosition > Size() || ACount > Size() - APosition)
        return false;
    if (ACount > 0)
        std::memcpy(ABuffer, FData.data() + APosition, static_cast<size_t>(ACount));
    return true;
}

int64_t TXDRMemoryScanSource::FindPattern(std::span<const uint8_t> APattern, int64_t AStart)
{
    if (FCancelled || APattern.empty() || AStart < 0 || AStart >= Size())
        return -1;
    const uint8_t* End = FData.data() + FData.size();
    for (const uint8_t* At = FData.data() + AStart; At < End; ++At) {
        At = static_cast<const uint8_t*>(std::memchr(At, APattern[0], static_cast<size_t>(End - At)));
        if (At == nullptr || static_cast<size_t>(End - At) < APattern.size())
            return -1;
        if (std::memcmp(At, APattern.data(), APattern.size()) == 0)
            return At - FData.data();
    }
    return -1;
}

// ---- Lookups -----------------------------------------------------------------------------

TXDRScanFormatClass FormatClassOfKind(uint8_t AKind)
{
    uint8_t Kind = AKind & 0x7F;
    return Kind < kScanKindCount ? &kFormats[Kind] : &kFormats[skJPG];
}

TXDRScanFormatClass FormatClassOfExtension(const String& AExtension)
{
    String Extension = LowerCase(AExtension);
    for (const TXDRScanFormatInfo& Format : kFormats)
        if (Extension == Format.DefaultExtension)
            return &Format;
    return nullptr;
}

TXDRKindSet AllFormatsMask()
{
    return TXDRKindSet::FromBits((uint64_t(1) << kScanKindCount) - 1);
}

void BuildSignatureSet(TXByteArrays& APatterns, std::array<int, kSignatureCount>& APatternIndexOfSignature,
                       TXDRKindSet AKindMask)
{
    TXByteArrays Masks;
    BuildSignatureSet(APatterns, Masks, APatternIndexOfSignature, AKindMask);
}

void BuildSignatureSet(TXByteArrays& APatterns, TXByteArrays& AMasks,
                       std::array<int, kSignatureCount>& APatternIndexOfSignature, TXDRKindSet AKindMask)
{
    APatternIndexOfSignature.fill(-1);
    TXDRSignatureSet Claimed;
    for (const TXDRScanFormatInfo& Format : kFormats)
        if (AKindMask.Contains(Format.Kind))
            Claimed = Claimed + Format.SignatureSet;
    APatterns.clear();
    AMasks.clear();
    for (int I = 0; I < kSignatureCount; ++I)
        if (Claimed.Contains(static_cast<uint8_t>(I))) {
            APatternIndexOfSignature[I] = static_cast<int>(APatterns.size());
            APatterns.emplace_back(kSignatures[I].begin(), kSignatures[I].end());
            AMasks.emplace_back(kSignatureMasks[I].begin(), kSignatureMasks[I].end());
        }
}

TXDRScanKind FormatKindOfSignature(int ASignature)
{
    for (const TXDRScanFormatInfo& Format : kFormats)
        if (ASignature >= 0 && ASignature < kSignatureCount && Format.SignatureSet.Contains(static_cast<uint8_t>(ASignature)))
            return Format.Kind;
    return skJPG;
}

int SignatureOfPattern(const std::array<int, kSignatureCount>& APatternIndexOfSignature, int APatternIndex)
{
    for (int I = 0; I < kSignatureCount; ++I)
        if (APatternIndexOfSignature[I] == APatternIndex)
            return I;
    return 0;
}

// ---- TXDRScanFormat ----------------------------------------------------------------------

void TXDRScanFormat::Init()
{
    inherited::Init();
    FKind = FormatClass()->Kind;
}

String TXDRScanFormat::GetExtension() const
{
    return FormatClassOfKind(FKind)->DefaultExtension;
}

int64_t TXDRScanFormat::FindEnd(TXDRScanSource&, int64_t)
{
    return -1;
}

bool TXDRScanFormat::Validate(TXDRScanSource&, int64_t)
{
    return true;
}

bool TXDRScanFormat::ValidateBlocks(TStream* AStream, const TXBlocks* ABlocks)
{
    try {
        auto Blocks = Owned(TXBlockStream::Create(AStream, ABlocks));
        auto Search = Owned(TXSearch::Create(static_cast<TComponent*>(nullptr)));
        Search->SetStream(Blocks.get());
        TXDRSearchSource Source(Search.get());
        return Validate(Source, 0);
    } catch (...) {
        return false;
    }
}

// ---- Thumbnails --------------------------------------------------------------------------

namespace {

constexpr TXDRDimensions kThumbnailSize{72, 72};
constexpr TXDRDimensions kPreviewSize{600, 600};

bool ThumbnailFailed(const String& AText)
{
    SetFirstError(kErrThumbnail, 0, AText);
    return false;
}

// The smallest of libjpeg's DCT scales whose picture still covers what AMaxSize fits the
// full picture into: an eighth of the pixels, or less, is decoded for most photos.
void ChooseScale(TJPEGImage* AJpeg, TXDRDimensions AMaxSize)
{
    AJpeg->SetScale(jsFullSize);
    int32_t Width = 0, Height = 0;
    ShrinkToFit(Width, Height, AJpeg->Width(), AJpeg->Height(), AMaxSize.Width, AMaxSize.Height);
    for (TJPEGScale Scale : {jsEighth, jsQuarter, jsHalf}) {
        AJpeg->SetScale(Scale);
        if (AJpeg->Width() >= Width && AJpeg->Height() >= Height)
            return;
    }
    AJpeg->SetScale(jsFullSize);
}

// A header may claim any size. libjpeg decodes every block of the full picture, whatever the
// scale, and fills what the data lacks: a picture holds at most this many pixels per byte of
// its data (a plain colour compresses to a few hundred), and never more than a camera makes.
constexpr int64_t kMaxPixelsPerByte = 1024;
constexpr int64_t kMaxPictureSide = 65535;
constexpr int64_t kMaxDecodedPixels = 4096 * 4096;

bool IsPlausibleSize(int64_t AWidth, int64_t AHeight, int64_t ADataSize)
{
    return AWidth > 0 && AHeight > 0 && AWidth <= kMaxPictureSide && AHeight <= kMaxPictureSide
           && AWidth * AHeight <= std::max<int64_t>(ADataSize, 1024) * kMaxPixelsPerByte;
}

// The JPEG that starts at AOffset in AStream, fitted into AMaxSize as a bitmap in AImage;
// AFullSize gets the picture's full size. A JPEG whose data ends before its picture does is
// no picture: a thumbnail must not make a cut file look whole.
bool DecodeJpegFitted(TStream* AStream, int64_t AOffset, TXDRDimensions AMaxSize, TXDRDimensions& AFullSize,
                      TXImageObject* AImage)
{
    AFullSize = {};
    AImage->Clear();
    if (AOffset >= AStream->Size())
        return ThumbnailFailed("No picture data at " + IntToStr(AOffset));
    try {
        auto Jpeg = Owned(TXJPEGImage::Create());
        AStream->SetPosition(AOffset);
        Jpeg->LoadFromStream(AStream);
        Jpeg->SetStrictEnd(true);
        const int64_t FullWidth = Jpeg->Width(), FullHeight = Jpeg->Height();
        if (!IsPlausibleSize(FullWidth, FullHeight, AStream->Size() - AOffset))
            return ThumbnailFailed("The picture's size (" + IntToStr(FullWidth) + " x " + IntToStr(FullHeight)
                                   + ") is more than its data can hold");
        ChooseScale(Jpeg.get(), AMaxSize);
        if (int64_t(Jpeg->Width()) * Jpeg->Height() > kMaxDecodedPixels)
            return ThumbnailFailed("The picture is too large to show");
        TBitmap* Decoded = Jpeg->Bitmap();
        int32_t Width = 0, Height = 0;
        ShrinkToFit(Width, Height, Decoded->Width(), Decoded->Height(), AMaxSize.Width, AMaxSize.Height);
        // A panorama's short side may round to nothing; it keeps a line.
        Width = std::max(Width, 1);
        Height = std::max(Height, 1);
        auto Fitted = Owned(TBitmap::Create());
        ResampleBitmap(Decoded, Fitted.get(), Width, Height, DefaultKernel());
        if (!AImage->LoadFromObject(Fitted.get()))
            return false;
        // The header's size: the eighth-scale one times 8 overshoots a side that is no
        // multiple of 8.
        AFullSize = {static_cast<uint16_t>(FullWidth), static_cast<uint16_t>(FullHeight)};
        return true;
    } catch (const std::exception& E) {
        AImage->Clear();
        return ThumbnailFailed(E.what());
    }
}

}  // namespace

bool TXDRScanFormat::MakeThumbnail(TXDRDimensions& APictureSize, TXImageObject* AImage, const TXBlocks* ABlocks,
                                   TStream* AStream)
{
    return MakePicture(kThumbnailSize, APictureSize, AImage, ABlocks, AStream);
}

bool TXDRScanFormat::MakePreview(TXDRDimensions& APictureSize, TXImageObject* AImage, const TXBlocks* ABlocks,
                                 TStream* AStream)
{
    return MakePicture(kPreviewSize, APictureSize, AImage, ABlocks, AStream);
}

bool TXDRScanFormat::MakePicture(TXDRDimensions AMaxSize, TXDRDimensions& APictureSize, TXImageObject* AImage,
                                 const TXBlocks* ABlocks, TStream* AStream)
{
    APictureSize = {};
    AImage->Clear();
    if (!HasThumbnail())
        return true;
    auto Data = Owned(TMemoryStream::Create());
    return ReadPictureBytes(ABlocks, AStream, Data.get()) && DecodePicture(AMaxSize, APictureSize, Data.get(), AImage);
}

bool TXDRScanFormat::ReadPictureBytes(const TXBlocks* ABlocks, TStream* AStream, TStream* ABytes)
{
    try {
        if (!ABlocks->CopyData(AStream, ABytes))
            return ThumbnailFailed("The file's data could not be read");
        return true;
    } catch (const std::exception& E) {
        return ThumbnailFailed(E.what());
    }
}

bool TXDRScanFormat::DecodeThumbnailBytes(TXDRDimensions& APictureSize, TStream* ABytes, TXImageObject* AImage)
{
    APictureSize = {};
    AImage->Clear();
    return !HasThumbnail() || DecodePicture(kThumbnailSize, APictureSize, ABytes, AImage);
}

bool TXDRScanFormat::DecodePicture(TXDRDimensions AMaxSize, TXDRDimensions& APictureSize, TStream* ABytes,
                                   TXImageObject* AImage)
{
    try {
        return DecodeThumbnail(AMaxSize, APictureSize, ABytes, AImage);
    } catch (const std::exception& E) {
        return ThumbnailFailed(E.what());
    }
}

bool TXDRScanFormat::DecodeThumbnail(TXDRDimensions, TXDRDimensions& APictureSize, TStream*, TXImageObject* AImage)
{
    APictureSize = {};
    AImage->Clear();
    return true;
}

bool TXDRScanFormatJPG::DecodeThumbnail(TXDRDimensions AMaxSize, TXDRDimensions& APictureSize, TStream* AStream,
                                        TXImageObject* AImage)
{
    return DecodeJpegFitted(AStream, 0, AMaxSize, APictureSize, AImage);
}

bool TXDRScanFormatTIF::DecodeThumbnail(TXDRDimensions AMaxSize, TXDRDimensions& APictureSize, TStream* AStream,
                                        TXImageObject* AImage)
{
    APictureSize = {};
    AImage->Clear();
    if (FPreviewOffset == 0)
        return ThumbnailFailed("The file holds no preview picture");   // a DNG, or a raw cut short
    TXDRDimensions PreviewSize;
    return DecodeJpegFitted(AStream, FPreviewOffset, AMaxSize, PreviewSize, AImage);
}

// ---- JPEG --------------------------------------------------------------------------------

int64_t TXDRScanFormatJPG::FindScanStart(TXDRScanSource& ASource, int64_t APosition)
{
    return EndOrNone([&]() -> int64_t {
        TXDRFieldReader Reader(ASource, APosition);
        if (!Reader.Match(0, kSignature0))
            return -1;
        for (uint64_t Offset = 2, Segment = 0;; ++Segment) {
            uint8_t Head[4];
            if (ASource.Cancelled() || !Reader.Read(Offset, Head, 4))
                return -1;
            uint8_t Code = Head[1];
            // A head with another marker byte is still taken unless its code is 0.
            if (Head[0] != 0xFF && Code == 0)
                return -1;
            if (Segment == 0 && !(Code >= 0xE0 && Code <= 0xEF) && Code != 0xDA)
                return -1;
            uint64_t Next = Offset + ((Head[2] << 8) | Head[3]) + 2;
            if (Code == 0xDA)
                return static_cast<int64_t>(Next);
            uint8_t Frame[5];
            if (FDimensions == TXDRDimensions() && Head[0] == 0xFF && IsFrameHeader(Code)
                && Reader.Read(Offset + 4, Frame, 5))
                FDimensions = {static_cast<uint16_t>((Frame[3] << 8) | Frame[4]),
                               static_cast<uint16_t>((Frame[1] << 8) | Frame[2])};
            Offset = Next;
        }
    });
}

int64_t TXDRScanFormatJPG::FindEnd(TXDRScanSource& ASource, int64_t APosition)
{
    int64_t ScanStart = FindScanStart(ASource, APosition);
    if (ScanStart < 0)
        return -1;
    return EndOrNone([&]() -> int64_t {
        static constexpr uint8_t kEndOfImage[] = {0xFF, 0xD9};
        int64_t Found = ASource.FindPattern(kEndOfImage, APosition + ScanStart);
        return Found < 0 ? -1 : Found + 1;
    });
}

bool TXDRScanFormatJPG::Validate(TXDRScanSource& ASource, int64_t APosition)
{
    return FindScanStart(ASource, APosition) >= 0;
}

// ---- TIFF --------------------------------------------------------------------------------

int64_t TXDRScanFormatTIF::FindEnd(TXDRScanSource& ASource, int64_t APosition)
{
    int64_t End = EndOrNone([&]() -> int64_t {
        FKind = skTIF;
        FPreviewOffset = 0;
        TXDRTiffWalk Walk(ASource, APosition, *this);
        int64_t Extent = Walk.Run();
        return !ASource.Cancelled() && Extent > 0 ? APosition + Extent - 1 : -1;
    });
    if (End < 0)
        FPreviewOffset = 0;
    return End;
}

bool TXDRScanFormatTIF::Validate(TXDRScanSource& ASource, int64_t APosition)
{
    return FindEnd(ASource, APosition) >= 0;
}

// ---- MRW ---------------------------------------------------------------------------------

int64_t TXDRScanFormatMRW::FindEnd(TXDRScanSource& ASource, int64_t APosition)
{
    return EndOrNone([&]() -> int64_t {
        TXDRFieldReader Reader(ASource, APosition);
        uint64_t HeaderLength, SensorHeight, SensorWidth;
        uint8_t BitsPerSample;
        if (!Reader.Match(0, kSignature5) || !Reader.BigEndian(4, 4, HeaderLength)
            || !Reader.BigEndian(24, 2, SensorHeight) || !Reader.BigEndian(26, 2, SensorWidth)
            || SensorHeight == 0 || SensorWidth == 0 || !Reader.Byte(32, BitsPerSample))
            return -1;
        // The block stores height first.
        FDimensions = {static_cast<uint16_t>(SensorWidth), static_cast<uint16_t>(SensorHeight)};
        uint64_t Pairs = static_cast<uint32_t>(SensorHeight * SensorWidth) / 2;
        uint64_t DataSize = BitsPerSample == 16 ? Pairs * 4 : Pairs * 3;
        // The "MRM" block's 8-byte head is not counted in its length.
        return APosition + 8 + static_cast<int64_t>(HeaderLength + DataSize) - 1;
    });
}

bool TXDRScanFormatMRW::Validate(TXDRScanSource& ASource, int64_t APosition)
{
    return FindEnd(ASource, APosition) >= 0;
}

// ---- AVI ---------------------------------------------------------------------------------

int64_t TXDRScanFormatAVI::FindEnd(TXDRScanSource& ASource, int64_t APosition)
{
    return EndOrNone([&]() -> int64_t {
        static constexpr uint8_t kAvi[] = {'A', 'V', 'I', ' '};
        TXDRFieldReader Reader(ASource, APosition);
        uint64_t Size;
        if (!Reader.Match(0, kSignature6) || !Reader.Match(8, kAvi) || !Reader.LittleEndian(4, 4, Size) || Size == 0)
            return -1;
        // A RIFF chunk that claims more than the source holds is no whole file.
        if (Size > Reader.Room(8))
            return -1;
        return APosition + static_cast<int64_t>(Size) + 7;
    });
}

bool TXDRScanFormatAVI::Validate(TXDRScanSource& ASource, int64_t APosition)
{
    return FindEnd(ASource, APosition) >= 0;
}

// ---- QuickTime ---------------------------------------------------------------------------

int64_t TXDRScanFormatMOV::FindEnd(TXDRScanSource& ASource, int64_t APosition)
{
    return EndOrNone([&]() -> int64_t {
        FKind = skMOV;
        TXDRFieldReader Reader(ASource, APosition);
        bool Matched = false;
        for (int Signature : {7, 8, 9, 10, 11})
            Matched = Matched || Reader.MatchSignature(0, Signature);
        if (!Matched)
            return -1;
        uint64_t Length = 0;
        for (;;) {
            if (ASource.Cancelled())
                return -1;
            uint64_t Size = ReadQuickTimeAtom(ASource, APosition, static_cast<int64_t>(Length));
            if (Size == 0)
                break;
            Length += Size;
        }
        return Length == 0 ? -1 : APosition + static_cast<int64_t>(Length) - 1;
    });
}

bool TXDRScanFormatMOV::Validate(TXDRScanSource& ASource, int64_t APosition)
{
    return FindEnd(ASource, APosition) >= 0;
}

uint64_t TXDRScanFormatMOV::ReadQuickTimeAtom(TXDRScanSource& ASource, int64_t APosition, int64_t ARelative)
{
    // "wide" and "pnot" belong to ordinary QuickTime files between "ftyp" and "mdat".
    static constexpr std::string_view kKnownAtoms[] = {"ftyp", "skip", "mdat", "moov", "free", "uuid", "wide", "pnot"};
    TXDRFieldReader Reader(ASource, APosition);
    uint64_t Offset = static_cast<uint64_t>(ARelative);
    uint8_t Head[8];
    if (!Reader.Read(Offset, Head, 8))
        return 0;
    std::string_view Type(reinterpret_cast<const char*>(Head + 4), 4);
    if (std::find(std::begin(kKnownAtoms), std::end(kKnownAtoms), Type) == std::end(kKnownAtoms))
        return 0;
    uint64_t Size = (uint64_t(Head[0]) << 24) | (Head[1] << 16) | (Head[2] << 8) | Head[3];
    uint64_t HeadSize = 8;
    if (Size == 1) {
        HeadSize = 16;
        if (!Reader.BigEndian(Offset + 8, 8, Size))
            return 0;
    }
    // A size inside its own head makes no progress; one past the source is no whole atom.
    if (Size < HeadSize || Size > Reader.Room(Offset))
        return 0;
    if (Type == "ftyp" && Size > 8) {
        // Brands are a few dozen bytes; a huge "ftyp" is looked at only so far.
        char Brands[4096];
        int64_t Count = static_cast<int64_t>(std::min<uint64_t>(Size - 8, sizeof(Brands)));
        if (Reader.Read(Offset + 8, Brands, Count)
            && std::string_view(Brands, static_cast<size_t>(Count)).find("mp4") != std::string_view::npos)
            FKind = skMP4;
    }
    return Size;
}

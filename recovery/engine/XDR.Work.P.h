// XDR.Work.P.h: the carving formats: the signature table, one class per file kind, the lookups
// between kinds, classes, extensions and signatures, and the end finders.
// End finders read only through a TXDRScanSource and check every offset they read before using
// it; -1 means "no file of this kind starts here". Ends computed from header fields (MRW, the
// data a TIFF points to) may lie past the source; the carving loop clips the file's blocks.
// Thumbnails and previews are 32-bit bitmaps decoded from the file's JPEG (a raw's embedded one).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "Rtl.Sets.h"
#include "XCore.Classes.h"
#include "XCore.Types.Bytes.h"

class TStream;
class TXBlocks;
class TXImageObject;
class TXSearch;

// What a thumbnail or a preview of a found file records when its bytes do not decode.
inline constexpr int32_t kErrThumbnail = 44;

// ---- Signatures and kinds ----------------------------------------------------------------

inline constexpr int kSignatureCount = 12;

// The kinds of the carving formats, in table order; the number is what found files store.
enum TXDRScanKind : uint8_t {
    skJPG, skTIF, skDNG, skCR2, skNEF, skORF, skPEF, skARW, skARWTIF, skSRF, skSR2, skRAW, skMRW, skRW2,
    skAVI, skMOV, skMP4
};
inline constexpr int kScanKindCount = 17;

using TXDRSignatureSet = TSet<uint8_t>;   // signature indices 0..11
using TXDRKindSet = TSet<uint8_t>;        // kinds 0..16
// The bytes of signature AIndex (0..11).
std::span<const uint8_t> SignatureBytes(int AIndex);
// The bits of each of its bytes that must match; empty for a signature matched exactly. The
// last signature is a QuickTime "ftyp" box of any size: cameras write 20, 24, 28 or 32 bytes.
std::span<const uint8_t> SignatureMask(int AIndex);
// ABytes start with signature AIndex.
bool MatchesSignature(int AIndex, std::span<const uint8_t> ABytes);

// ---- The searched bytes ------------------------------------------------------------------

// What an end finder reads: the searched stream (a candidate starts at a position in it) and
// the scan's cancel test.
class TXDRScanSource {
public:
    virtual ~TXDRScanSource() = default;
    virtual int64_t Size() = 0;
    // ACount bytes at APosition; False unless all of them lie inside the source and were read.
    virtual bool ReadAt(int64_t APosition, void* ABuffer, int64_t ACount) = 0;
    // The first position at or after AStart where APattern starts; -1 when none or cancelled.
    virtual int64_t FindPattern(std::span<const uint8_t> APattern, int64_t AStart) = 0;
    // The application is ending or the scan's worker was terminated.
    virtual bool Cancelled() = 0;
};

// The source of a carving search: its stream (read tolerantly: unreadable bytes read as zeros),
// its pattern search and its worker's cancel test.
class TXDRSearchSource final : public TXDRScanSource {
public:
    explicit TXDRSearchSource(TXSearch* ASearch) : FSearch(ASearch) {}
    int64_t Size() override;
    bool ReadAt(int64_t APosition, void* ABuffer, int64_t ACount) override;
    int64_t FindPattern(std::span<const uint8_t> APattern, int64_t AStart) override;
    bool Cancelled() override;

private:
    TXSearch* FSearch;   // not owned
};

// A source over bytes in memory (a copied file, a test stream, a fuzzer's input).
class TXDRMemoryScanSource final : public TXDRScanSource {
public:
    explicit TXDRMemoryScanSource(std::span<const uint8_t> AData) : FData(AData) {}
    int64_t Size() override { return static_cast<int64_t>(FData.size()); }
    bool ReadAt(int64_t APosition, void* ABuffer, int64_t ACount) override;
    int64_t FindPattern(std::span<const uint8_t> APattern, int64_t AStart) override;
    bool Cancelled() override { return FCancelled; }
    void SetCancelled(bool AValue) { FCancelled = AValue; }

private:
    std::span<const uint8_t> FData;
    bool FCancelled = false;
};

// ---- Formats -----------------------------------------------------------------------------

class TXDRScanFormat;

// A format class with its class operations (Delphi's "class of TXDRScanFormat").
struct TXDRScanFormatInfo {
    TXDRScanKind Kind;
    const char* DefaultExtension;
    TXDRSignatureSet SignatureSet;
    TXDRScanFormat* (*Create)();
};
using TXDRScanFormatClass = const TXDRScanFormatInfo*;

// The class of the kind's low 7 bits; JPG for any value past the table.
TXDRScanFormatClass FormatClassOfKind(uint8_t AKind);
// The first class whose extension equals AExtension lower-cased (".arw" gives ARW, not
// ARWTIF); nullptr for none.
TXDRScanFormatClass FormatClassOfExtension(const String& AExtension);
TXDRKindSet AllFormatsMask();
// The patterns of every signature some kind of AKindMask claims, in signature order;
// APatternIndexOfSignature[i] is signature i's pattern index, -1 when it is not searched.
void BuildSignatureSet(TXByteArrays& APatterns, std::array<int, kSignatureCount>& APatternIndexOfSignature,
                       TXDRKindSet AKindMask);
// The same with each pattern's mask (empty for an exact one), for TXSearch::FindAny.
void BuildSignatureSet(TXByteArrays& APatterns, TXByteArrays& AMasks,
                       std::array<int, kSignatureCount>& APatternIndexOfSignature, TXDRKindSet AKindMask);
// The first kind whose signature set holds ASignature; 0 for none.
TXDRScanKind FormatKindOfSignature(int ASignature);
// The signature whose pattern index is APatternIndex; 0 for none.
int SignatureOfPattern(const std::array<int, kSignatureCount>& APatternIndexOfSignature, int APatternIndex);

// Picture size in pixels, as an end finder reads it from the file's header.
struct TXDRDimensions {
    uint16_t Width = 0;
    uint16_t Height = 0;
    friend bool operator==(const TXDRDimensions&, const TXDRDimensions&) = default;
};

// In the body of a format class: its identity and its class operations.
#define XDR_SCAN_FORMAT(Self, Parent, AKind)                                 \
    X_CLASS(Self, Parent)                                                    \
    static TXDRScanFormatClass Info() { return FormatClassOfKind(AKind); }   \
    TXDRScanFormatClass FormatClass() const override { return Info(); }      \
                                                                             \
protected:                                                                   \
    Self() = default;                                                        \
                                                                             \
public:

// One candidate file of one kind. The instance's kind starts as its class's and the end finders
// of TIFF and QuickTime refine it from the content, which changes GetExtension.
class TXDRScanFormat : public TXObject {
    X_CLASS(TXDRScanFormat, TXObject)
public:
    virtual TXDRScanFormatClass FormatClass() const = 0;
    uint8_t Kind() const { return FKind; }
    TXDRDimensions Dimensions() const { return FDimensions; }
    // The refined type: the extension of the instance's kind (".nef" for a NIKON TIFF).
    String GetExtension() const;

    virtual bool HasThumbnail() const { return false; }
    // The file's picture fitted into 72 x 72 (thumbnail) or 600 x 600 (preview), decoded from
    // the bytes of ABlocks in AStream into AImage. APictureSize: the full picture's size where
    // the decoder learns it (JPEG), else 0 x 0. True with AImage empty for a kind without
    // thumbnails; False, with the error recorded, when the bytes cannot be read or decoded.
    [[nodiscard]] bool MakeThumbnail(TXDRDimensions& APictureSize, TXImageObject* AImage, const TXBlocks* ABlocks,
                                     TStream* AStream);
    [[nodiscard]] bool MakePreview(TXDRDimensions& APictureSize, TXImageObject* AImage, const TXBlocks* ABlocks,
                                   TStream* AStream);
    // The two steps of MakeThumbnail, for decoding on another thread: the file's bytes into
    // ABytes (False, with the error recorded, when they cannot be read), then the thumbnail
    // from them.
    [[nodiscard]] bool ReadPictureBytes(const TXBlocks* ABlocks, TStream* AStream, TStream* ABytes);
    [[nodiscard]] bool DecodeThumbnailBytes(TXDRDimensions& APictureSize, TStream* ABytes, TXImageObject* AImage);
    // Decodes the file held whole in AStream into AImage, fitted into AMaxSize.
    [[nodiscard]] virtual bool DecodeThumbnail(TXDRDimensions AMaxSize, TXDRDimensions& APictureSize, TStream* AStream,
                                               TXImageObject* AImage);
    // The offset of the file's last byte for a file that starts at APosition, or -1.
    virtual int64_t FindEnd(TXDRScanSource& ASource, int64_t APosition);
    virtual bool Validate(TXDRScanSource& ASource, int64_t APosition);
    // Validate on the bytes of ABlocks in AStream, as one stream from position 0; False when
    // anything raises.
    bool ValidateBlocks(TStream* AStream, const TXBlocks* ABlocks);

protected:
    TXDRScanFormat() = default;
    void Init() override;

    uint8_t FKind = 0;
    TXDRDimensions FDimensions;

private:
    [[nodiscard]] bool MakePicture(TXDRDimensions AMaxSize, TXDRDimensions& APictureSize, TXImageObject* AImage,
                                   const TXBlocks* ABlocks, TStream* AStream);
    // DecodeThumbnail, with what raises recorded as the error.
    [[nodiscard]] bool DecodePicture(TXDRDimensions AMaxSize, TXDRDimensions& APictureSize, TStream* ABytes,
                                     TXImageObject* AImage);
};

class TXDRScanFormatJPG : public TXDRScanFormat {
    XDR_SCAN_FORMAT(TXDRScanFormatJPG, TXDRScanFormat, skJPG)
    bool HasThumbnail() const override { return true; }
    bool DecodeThumbnail(TXDRDimensions AMaxSize, TXDRDimensions& APictureSize, TStream* AStream,
                         TXImageObject* AImage) override;
    // The offset from APosition of the first byte after the start-of-scan header, or -1. Sets
    // the dimensions from the frame header met on the way.
    int64_t FindScanStart(TXDRScanSource& ASource, int64_t APosition);
    int64_t FindEnd(TXDRScanSource& ASource, int64_t APosition) override;
    // The header walk only.
    bool Validate(TXDRScanSource& ASource, int64_t APosition) override;
};

// The TIFF family: the end is the largest end of all data the directories point to.
class TXDRScanFormatTIF : public TXDRScanFormat {
    XDR_SCAN_FORMAT(TXDRScanFormatTIF, TXDRScanFormat, skTIF)
    bool HasThumbnail() const override { return true; }
    // Where the embedded JPEG for thumbnails starts, from the file's first byte; 0 for none.
    int64_t PreviewOffset() const { return FPreviewOffset; }
    // From the embedded JPEG that FindEnd found; the picture's size stays 0 x 0 (the raw's is
    // not the JPEG's).
    bool DecodeThumbnail(TXDRDimensions AMaxSize, TXDRDimensions& APictureSize, TStream* AStream,
                         TXImageObject* AImage) override;
    int64_t FindEnd(TXDRScanSource& ASource, int64_t APosition) override;
    bool Validate(TXDRScanSource& ASource, int64_t APosition) override;

private:
    friend class TXDRTiffWalk;
    int64_t FPreviewOffset = 0;
};

class TXDRScanFormatDNG : public TXDRScanFormatTIF {
    XDR_SCAN_FORMAT(TXDRScanFormatDNG, TXDRScanFormatTIF, skDNG)
};
class TXDRScanFormatCR2 : public TXDRScanFormatTIF {
    XDR_SCAN_FORMAT(TXDRScanFormatCR2, TXDRScanFormatTIF, skCR2)
};
class TXDRScanFormatNEF : public TXDRScanFormatTIF {
    XDR_SCAN_FORMAT(TXDRScanFormatNEF, TXDRScanFormatTIF, skNEF)
};
class TXDRScanFormatORF : public TXDRScanFormatTIF {
    XDR_SCAN_FORMAT(TXDRScanFormatORF, TXDRScanFormatTIF, skORF)
};
class TXDRScanFormatPEF : public TXDRScanFormatTIF {
    XDR_SCAN_FORMAT(TXDRScanFormatPEF, TXDRScanFormatTIF, skPEF)
};
class TXDRScanFormatARW : public TXDRScanFormatTIF {
    XDR_SCAN_FORMAT(TXDRScanFormatARW, TXDRScanFormatTIF, skARW)
};
class TXDRScanFormatARWTIF : public TXDRScanFormatTIF {
    XDR_SCAN_FORMAT(TXDRScanFormatARWTIF, TXDRScanFormatTIF, skARWTIF)
};
class TXDRScanFormatSRF : public TXDRScanFormatTIF {
    XDR_SCAN_FORMAT(TXDRScanFormatSRF, TXDRScanFormatTIF, skSRF)
};
class TXDRScanFormatSR2 : public TXDRScanFormatTIF {
    XDR_SCAN_FORMAT(TXDRScanFormatSR2, TXDRScanFormatTIF, skSR2)
};
class TXDRScanFormatRAW : public TXDRScanFormatTIF {
    XDR_SCAN_FORMAT(TXDRScanFormatRAW, TXDRScanFormatTIF, skRAW)
};
class TXDRScanFormatRW2 : public TXDRScanFormatTIF {
    XDR_SCAN_FORMAT(TXDRScanFormatRW2, TXDRScanFormatTIF, skRW2)
};

class TXDRScanFormatMRW : public TXDRScanFormat {
    XDR_SCAN_FORMAT(TXDRScanFormatMRW, TXDRScanFormat, skMRW)
    int64_t FindEnd(TXDRScanSource& ASource, int64_t APosition) override;
    bool Validate(TXDRScanSource& ASource, int64_t APosition) override;
};

class TXDRScanFormatAVI : public TXDRScanFormat {
    XDR_SCAN_FORMAT(TXDRScanFormatAVI, TXDRScanFormat, skAVI)
    int64_t FindEnd(TXDRScanSource& ASource, int64_t APosition) override;
    bool Validate(TXDRScanSource& ASource, int64_t APosition) override;
};

// QuickTime and MP4: the end of the last top-level atom of a known type.
class TXDRScanFormatMOV : public TXDRScanFormat {
    XDR_SCAN_FORMAT(TXDRScanFormatMOV, TXDRScanFormat, skMOV)
    int64_t FindEnd(TXDRScanSource& ASource, int64_t APosition) override;
    bool Validate(TXDRScanSource& ASource, int64_t APosition) override;

private:
    // The size of the atom at APosition + ARelative; 0 ends the walk.
    uint64_t ReadQuickTimeAtom(TXDRScanSource& ASource, int64_t APosition, int64_t ARelative);
};

class TXDRScanFormatMP4 : public TXDRScanFormatMOV {
    XDR_SCAN_FORMAT(TXDRScanFormatMP4, TXDRScanFormatMOV, skMP4)
};

// End detection, kinds and extensions of the carving formats, on real samples made at test
// time (tests/fixtures/make-samples) and on hand-built structures for the rules' corners.
#include "XDR.Work.P.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "Vcl.Graphics.h"
#include "Vcl.Imaging.Jpeg.h"
#include "XCore.App.h"
#include "XCore.Errors.h"
#include "XCore.Intervals.Blocks.h"
#include "XCore.Search.h"
#include "XCore.Streams.Buffered.h"
#include "XDR.Work.Tiff.h"
#include "XMedia.Graphics.Containers.h"

#include "../../tests/fixtures/Samples.h"

namespace {

namespace fs = std::filesystem;
using TBytes = std::vector<uint8_t>;

const fs::path& SamplesDir()
{
    return XTestFixtures::SamplesDir(X_SOURCE_FALLBACK);
}

TBytes ReadFile(const fs::path& APath)
{
    std::ifstream File(APath, std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(File), {});
}

// Filler that holds no signature and no JPEG end marker.
TBytes Filler(size_t ASize, uint8_t ASeed)
{
    TBytes Bytes(ASize);
    uint32_t X = ASeed;
    for (uint8_t& B : Bytes) {
        X = X * 1103515245 + 12345;
        B = static_cast<uint8_t>((X >> 24) % 0xF0);
    }
    return Bytes;
}

constexpr int64_t kOffset = 8192;

// The sample at kOffset inside a larger stream, with ATail bytes of other data after it.
TBytes Embed(const TBytes& ASample, size_t ATail = 65536)
{
    TBytes Stream = Filler(kOffset + ASample.size() + ATail, 1);
    std::copy(ASample.begin(), ASample.end(), Stream.begin() + kOffset);
    return Stream;
}

struct TDetection {
    int64_t End = -1;
    String Extension;
    TXDRDimensions Dimensions;
    int64_t PreviewOffset = 0;
};

// What the carving loop does at a hit: the first signature that matches picks the class,
// whose end finder runs. nullptr when no signature matches.
TOwned<TXDRScanFormat> FindFormat(TXDRScanSource& ASource, int64_t APosition, int64_t& AEnd)
{
    for (int Signature = 0; Signature < kSignatureCount; ++Signature) {
        TBytes Head(SignatureBytes(Signature).size());
        if (!ASource.ReadAt(APosition, Head.data(), static_cast<int64_t>(Head.size()))
            || !MatchesSignature(Signature, Head))
            continue;
        auto Format = Owned(FormatClassOfKind(FormatKindOfSignature(Signature))->Create());
        AEnd = Format->FindEnd(ASource, APosition);
        return Format;
    }
    return nullptr;
}

TDetection Detect(TXDRScanSource& ASource, int64_t APosition)
{
    TDetection Result;
    auto Format = FindFormat(ASource, APosition, Result.End);
    if (Format == nullptr)
        return {};
    Result.Extension = Format->GetExtension();
    Result.Dimensions = Format->Dimensions();
    if (auto* Tiff = AsOrNull<TXDRScanFormatTIF>(Format.get()))
        Result.PreviewOffset = Tiff->PreviewOffset();
    return Result;
}

TDetection Detect(const TBytes& AStream, int64_t APosition = kOffset)
{
    TXDRMemoryScanSource Source(AStream);
    return Detect(Source, APosition);
}

class ErrorStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
};

// ---- Whole samples -----------------------------------------------------------------------

enum TPreview { pvNone, pvSome };

struct TSampleCase {
    const char* File;
    const char* Extension;
    TXDRDimensions Dimensions;
    TPreview Preview;
    int64_t End;   // from the sample's first byte; 0: its last byte
};

const TSampleCase kSamples[] = {
    {"photo.jpg", ".jpg", {640, 480}, pvNone, 0},
    {"progressive.jpg", ".jpg", {2001, 1601}, pvNone, 0},
    {"plain.jpg", ".jpg", {333, 221}, pvNone, 0},
    {"image.tif", ".tif", {}, pvNone, 0},
    {"image-mm.tif", ".tif", {}, pvNone, 0},
    {"tiled.tif", ".tif", {}, pvNone, 0},
    {"nikon.nef", ".nef", {}, pvSome, 0},
    {"canon.cr2", ".cr2", {}, pvSome, 0},
    {"pentax.pef", ".pef", {}, pvSome, 0},
    {"sony-a700.arw", ".arw", {}, pvSome, 0},
    {"sony-r1.sr2", ".sr2", {}, pvSome, 0},
    {"sony.srf", ".srf", {}, pvNone, 0},
    {"olympus.orf", ".orf", {}, pvSome, 0},
    {"panasonic.rw2", ".rw2", {}, pvSome, 0},
    {"adobe.dng", ".dng", {}, pvNone, 0},
    // The A100's SubIFD value stands for a fixed file size.
    {"sony-a100.arw", ".arw", {}, pvNone, 20534752 - 1},
    {"minolta.mrw", ".mrw", {60, 40}, pvNone, 0},
    {"video.avi", ".avi", {}, pvNone, 0},
    {"video.mp4", ".mp4", {}, pvNone, 0},
    {"camera.mov", ".mov", {}, pvNone, 0},
    {"quicktime.mov", ".mov", {}, pvNone, 0},   // the encoder's 20-byte "ftyp"
};

class SampleTest : public ErrorStoreTest, public ::testing::WithParamInterface<TSampleCase> {};

TEST_P(SampleTest, EndsAtItsLastByteInsideALargerStream)
{
    const TSampleCase& Case = GetParam();
    TBytes Sample = ReadFile(SamplesDir() / Case.File);
    ASSERT_FALSE(Sample.empty());
    TDetection Found = Detect(Embed(Sample));
    int64_t Last = Case.End != 0 ? Case.End : static_cast<int64_t>(Sample.size()) - 1;
    EXPECT_EQ(Found.End, kOffset + Last);
    EXPECT_EQ(Found.Extension, Case.Extension);
    EXPECT_EQ(Found.Dimensions, Case.Dimensions);
    EXPECT_EQ(Found.PreviewOffset != 0, Case.Preview == pvSome);
}

// The carving loop's path: a search over a block stream over the buffered file. The sample's
// two halves lie in two blocks, with a gap full of JPEG end markers between them on disk.
TEST_P(SampleTest, EndsTheSameThroughASearchOverBlocksWithAGap)
{
    const TSampleCase& Case = GetParam();
    TBytes Sample = ReadFile(SamplesDir() / Case.File);
    TBytes Logical = Embed(Sample);
    size_t Split = kOffset + Sample.size() / 2;
    TBytes Gap(4096);
    for (size_t I = 0; I < Gap.size(); ++I)
        Gap[I] = I % 2 == 0 ? 0xFF : 0xD9;
    fs::path Path = fs::current_path() / (String("gap-") + Case.File);
    {
        std::ofstream File(Path, std::ios::binary);
        File.write(reinterpret_cast<const char*>(Logical.data()), static_cast<std::streamsize>(Split));
        File.write(reinterpret_cast<const char*>(Gap.data()), static_cast<std::streamsize>(Gap.size()));
        File.write(reinterpret_cast<const char*>(Logical.data() + Split), static_cast<std::streamsize>(Logical.size() - Split));
    }
    auto Blocks = Owned(TXBlocks::Create());
    Blocks->Add(0, static_cast<int64_t>(Split));
    Blocks->Add(static_cast<int64_t>(Split + Gap.size()), static_cast<int64_t>(Logical.size() - Split));
    auto File = Owned(TXBufFileStream::Create(Path.string(), fmOpenRead | fmShareDenyWrite, 262144));
    auto Stream = Owned(TXBlockStream::Create(File.get(), Blocks.get()));
    auto Search = Owned(TXSearch::Create(static_cast<TComponent*>(nullptr)));
    Search->SetStream(Stream.get());
    TXDRSearchSource Source(Search.get());
    TDetection Found = Detect(Source, kOffset);
    int64_t Last = Case.End != 0 ? Case.End : static_cast<int64_t>(Sample.size()) - 1;
    EXPECT_EQ(Found.End, kOffset + Last);
    EXPECT_EQ(Found.Extension, Case.Extension);
    fs::remove(Path);
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleTest, ::testing::ValuesIn(kSamples), [](const auto& AInfo) {
    String Name = AInfo.param.File;
    std::replace_if(Name.begin(), Name.end(), [](char C) { return !std::isalnum(static_cast<unsigned char>(C)); }, '_');
    return Name;
});

TEST(ValidateBlocksTest, ValidatesTheBytesOfABlockList)
{
    TBytes Sample = ReadFile(SamplesDir() / "photo.jpg");
    // The file's first 100 bytes, 100 bytes of other data, then the rest of the file.
    auto Memory = Owned(TMemoryStream::Create());
    TBytes Other = Filler(100, 5);
    Memory->WriteBuffer(Sample.data(), 100);
    Memory->WriteBuffer(Other.data(), 100);
    Memory->WriteBuffer(Sample.data() + 100, static_cast<int64_t>(Sample.size()) - 100);
    auto Blocks = Owned(TXBlocks::Create());
    Blocks->Add(0, 100);
    Blocks->Add(200, static_cast<int64_t>(Sample.size()) - 100);
    auto Jpeg = Owned(TXDRScanFormatJPG::Create());
    EXPECT_TRUE(Jpeg->ValidateBlocks(Memory.get(), Blocks.get()));
    auto Tiff = Owned(TXDRScanFormatTIF::Create());
    EXPECT_FALSE(Tiff->ValidateBlocks(Memory.get(), Blocks.get()));
    Blocks->Clear();
    Blocks->Add(2, 1000);
    EXPECT_FALSE(Jpeg->ValidateBlocks(Memory.get(), Blocks.get()));
}

// ---- Camera files ------------------------------------------------------------------------

// Files written by cameras and camera software, with their image data cut short: their kinds
// follow the maker tags, and only the JPEGs are whole.
struct TCameraCase {
    const char* File;
    const char* Extension;
    bool Whole;
};

const TCameraCase kCameraFiles[] = {
    {"Canon.jpg", ".jpg", true},    {"Nikon.jpg", ".jpg", true},     {"Olympus.jpg", ".jpg", true},
    {"Pentax.jpg", ".jpg", true},   {"Sony.jpg", ".jpg", true},      {"CanonRaw.cr2", ".cr2", false},
    {"Nikon.nef", ".nef", false},   {"DNG.dng", ".dng", false},      {"Panasonic.rw2", ".rw2", false},
    // A plain TIFF with a Canon camera's maker tag is taken for a CR2.
    {"ExifTool.tif", ".cr2", false}, {"Minolta.mrw", ".mrw", false}, {"RIFF.avi", ".avi", false},
    {"Pentax.avi", ".avi", false},
};

TEST(CameraFileTest, KindsAreTheCamerasAndWholeFilesEndAtTheirLastByte)
{
    const char* Source = std::getenv("X_SOURCE_DIR");
    fs::path Dir = fs::path(Source ? Source : X_SOURCE_FALLBACK) / "../shared/testdata/camera";
    if (!fs::is_directory(Dir))
        GTEST_SKIP() << "no camera files at " << Dir;
    for (const TCameraCase& Case : kCameraFiles) {
        TBytes File = ReadFile(Dir / Case.File);
        TDetection Found = Detect(Embed(File));
        EXPECT_EQ(Found.Extension, Case.Extension) << Case.File;
        if (Case.Whole) {
            EXPECT_EQ(Found.End, kOffset + static_cast<int64_t>(File.size()) - 1) << Case.File;
        }
    }
}

// ---- Cut and damaged samples -------------------------------------------------------------

size_t FindBytes(const TBytes& AData, std::string_view AText)
{
    auto Found = std::search(AData.begin(), AData.end(), AText.begin(), AText.end());
    return Found == AData.end() ? std::string::npos : static_cast<size_t>(Found - AData.begin());
}

void PutU32BE(TBytes& AData, size_t AAt, uint32_t AValue)
{
    for (int I = 0; I < 4; ++I)
        AData[AAt + I] = static_cast<uint8_t>(AValue >> (24 - 8 * I));
}

uint32_t GetU32LE(const TBytes& AData, size_t AAt)
{
    return AData[AAt] | (AData[AAt + 1] << 8) | (AData[AAt + 2] << 16) | (uint32_t(AData[AAt + 3]) << 24);
}

struct TDamageCase {
    const char* Name;
    const char* File;
    // Damages the sample; answers the expected end from the sample's first byte, -1 for none.
    std::function<int64_t(TBytes&)> Apply;
    size_t Tail = 65536;   // 0: the stream ends with the sample
};

const TDamageCase kDamageCases[] = {
    {"JpegCutBeforeItsEnd", "photo.jpg", [](TBytes& B) { B.resize(B.size() - 2); return -1; }, 0},
    {"JpegWithoutApplicationSegmentFirst", "plain.jpg", [](TBytes& B) { B[3] = 0xDB; return -1; }},
    {"JpegApplicationSegmentPastTheEnd", "photo.jpg", [](TBytes& B) { B[4] = B[5] = 0xFF; B.resize(1000); return -1; }, 0},
    {"TiffCutBeforeItsDirectory", "image-mm.tif", [](TBytes& B) { B.resize(4096); return -1; }, 0},
    {"TiffDirectoryLinkedToItself", "image.tif",
     [](TBytes& B) {
         uint32_t Ifd = GetU32LE(B, 4);
         uint32_t Count = B[Ifd] | (B[Ifd + 1] << 8);
         for (int I = 0; I < 4; ++I)
             B[Ifd + 2 + Count * 12 + I] = static_cast<uint8_t>(Ifd >> (8 * I));
         return static_cast<int64_t>(B.size()) - 1;
     }},
    {"AviCut", "video.avi", [](TBytes& B) { B.resize(B.size() / 2); return -1; }, 0},
    {"AviSizeZero", "video.avi", [](TBytes& B) { B[4] = B[5] = B[6] = B[7] = 0; return -1; }},
    {"AviOtherRiffForm", "video.avi", [](TBytes& B) { B[8] = 'W'; return -1; }},
    {"Mp4CutInsideMediaData", "video.mp4",
     [](TBytes& B) {
         size_t MediaData = FindBytes(B, "mdat") - 4;
         B.resize(MediaData + 100);
         return static_cast<int64_t>(MediaData) - 1;
     }, 0},
    {"MovUnknownAtomEndsTheFile", "camera.mov",
     [](TBytes& B) {
         size_t Movie = FindBytes(B, "moov") - 4;
         B[Movie + 4] = 'x';
         return static_cast<int64_t>(Movie) - 1;
     }},
    {"MovAtomSizeInsideItsHead", "camera.mov",
     [](TBytes& B) {
         size_t Wide = FindBytes(B, "wide") - 4;
         PutU32BE(B, Wide, 4);
         return static_cast<int64_t>(Wide) - 1;
     }},
    {"MrwCutKeepsItsDeclaredLength", "minolta.mrw", [](TBytes& B) { auto N = B.size(); B.resize(N / 2); return int64_t(N) - 1; }, 0},
    {"MrwWithoutSensorSize", "minolta.mrw", [](TBytes& B) { B[24] = B[25] = 0; return -1; }},
};

class DamageTest : public ErrorStoreTest, public ::testing::WithParamInterface<TDamageCase> {};

TEST_P(DamageTest, GivesTheRulesAnswer)
{
    const TDamageCase& Case = GetParam();
    TBytes Sample = ReadFile(SamplesDir() / Case.File);
    int64_t Expected = Case.Apply(Sample);
    TDetection Found = Detect(Embed(Sample, Case.Tail));
    EXPECT_EQ(Found.End, Expected < 0 ? -1 : kOffset + Expected);
}

INSTANTIATE_TEST_SUITE_P(Damaged, DamageTest, ::testing::ValuesIn(kDamageCases),
                         [](const auto& AInfo) { return String(AInfo.param.Name); });

// ---- Lookups -----------------------------------------------------------------------------

TEST(FormatLookupTest, SignatureSetsFollowTheKindMask)
{
    TXByteArrays Patterns;
    std::array<int, kSignatureCount> IndexOfSignature;
    BuildSignatureSet(Patterns, IndexOfSignature, TXDRKindSet{skJPG, skAVI});
    EXPECT_EQ(Patterns, (TXByteArrays{{0xFF, 0xD8}, {'R', 'I', 'F', 'F'}}));
    EXPECT_EQ(IndexOfSignature, (std::array<int, kSignatureCount>{0, -1, -1, -1, -1, -1, 1, -1, -1, -1, -1, -1}));
    EXPECT_EQ(SignatureOfPattern(IndexOfSignature, 1), 6);
    EXPECT_EQ(SignatureOfPattern(IndexOfSignature, 5), 0);
    EXPECT_EQ(FormatKindOfSignature(6), skAVI);

    BuildSignatureSet(Patterns, IndexOfSignature, AllFormatsMask());
    ASSERT_EQ(Patterns.size(), size_t(kSignatureCount));
    for (int I = 0; I < kSignatureCount; ++I) {
        EXPECT_EQ(IndexOfSignature[I], I);
        EXPECT_TRUE(std::ranges::equal(Patterns[I], SignatureBytes(I)));
    }
}

TEST(FormatLookupTest, KindsClassesAndExtensions)
{
    const std::pair<int, TXDRScanKind> kSignatureKinds[] = {
        {0, skJPG}, {1, skTIF}, {2, skTIF}, {3, skORF}, {4, skRW2}, {5, skMRW}, {6, skAVI}, {7, skMOV}, {10, skMOV}, {11, skMOV}};
    for (auto [Signature, Kind] : kSignatureKinds)
        EXPECT_EQ(FormatKindOfSignature(Signature), Kind) << Signature;
    EXPECT_EQ(FormatClassOfKind(200), TXDRScanFormatJPG::Info());   // low 7 bits: 72
    EXPECT_EQ(FormatClassOfKind(0x80 | skNEF), TXDRScanFormatNEF::Info());
    EXPECT_EQ(FormatClassOfExtension(".ARW"), TXDRScanFormatARW::Info());
    EXPECT_EQ(FormatClassOfExtension(".mp4"), TXDRScanFormatMP4::Info());
    EXPECT_EQ(FormatClassOfExtension(".png"), nullptr);
    for (int Kind = 0; Kind < kScanKindCount; ++Kind) {
        auto Format = Owned(FormatClassOfKind(static_cast<uint8_t>(Kind))->Create());
        EXPECT_EQ(Format->Kind(), Kind);
        EXPECT_EQ(Format->FormatClass()->Kind, Kind);
    }
}

// ---- Hand-built structures ---------------------------------------------------------------

// A source of ASize bytes of which only the first ones are stored: the rest read as zeros.
class TSparseSource final : public TXDRScanSource {
public:
    TSparseSource(TBytes AHead, int64_t ASize) : FHead(std::move(AHead)), FSize(ASize) {}
    int64_t Size() override { return FSize; }
    bool ReadAt(int64_t APosition, void* ABuffer, int64_t ACount) override
    {
        if (APosition < 0 || ACount < 0 || APosition > FSize - ACount)
            return false;
        auto* Out = static_cast<uint8_t*>(ABuffer);
        for (int64_t I = 0; I < ACount; ++I)
            Out[I] = APosition + I < static_cast<int64_t>(FHead.size()) ? FHead[APosition + I] : 0;
        return true;
    }
    int64_t FindPattern(std::span<const uint8_t> APattern, int64_t AStart) override
    {
        return TXDRMemoryScanSource(FHead).FindPattern(APattern, AStart);
    }
    bool Cancelled() override { return false; }

private:
    TBytes FHead;
    int64_t FSize;
};

// Bytes written at fixed offsets, big- or little-endian.
struct TLayout {
    bool BigEndian = false;
    TBytes Bytes;

    TLayout& Put(size_t AAt, uint64_t AValue, int ASize)
    {
        if (Bytes.size() < AAt + ASize)
            Bytes.resize(AAt + ASize);
        for (int I = 0; I < ASize; ++I)
            Bytes[AAt + I] = static_cast<uint8_t>(AValue >> (8 * (BigEndian ? ASize - 1 - I : I)));
        return *this;
    }
    TLayout& Text(size_t AAt, std::string_view AText)
    {
        if (Bytes.size() < AAt + AText.size())
            Bytes.resize(AAt + AText.size());
        std::copy(AText.begin(), AText.end(), Bytes.begin() + AAt);
        return *this;
    }
    // A TIFF header pointing at AFirstIfd.
    static TLayout Tiff(bool ABigEndian, uint32_t AFirstIfd)
    {
        TLayout L{ABigEndian, {}};
        L.Text(0, ABigEndian ? "MM" : "II").Put(2, 42, 2).Put(4, AFirstIfd, 4);
        return L;
    }
    // A directory at AAt: entries of (tag, type, count, value), then the next IFD's offset.
    TLayout& Ifd(size_t AAt, std::initializer_list<std::array<uint32_t, 4>> AEntries, uint32_t ANext = 0)
    {
        Put(AAt, AEntries.size(), 2);
        size_t At = AAt + 2;
        for (const auto& E : AEntries) {
            Put(At, E[0], 2).Put(At + 2, E[1], 2).Put(At + 4, E[2], 4);
            // A short stands at the start of the value field.
            Put(At + 8, E[3], E[1] == 3 && E[2] == 1 ? 2 : 4);
            At += 12;
        }
        return Put(At, ANext, 4);
    }
};

constexpr uint32_t kShort = 3, kLong = 4;

struct TStructureCase {
    const char* Name;
    std::function<TLayout()> Build;
    int64_t StreamSize;   // 0: the built bytes and nothing after them
    int64_t End;          // from the structure's first byte, -1 for none
    const char* Extension;
};

const TStructureCase kStructures[] = {
    {"JpegEndsAtItsEndMarker",
     [] {
         TLayout L{true, {}};
         L.Put(0, 0xFFD8, 2).Put(2, 0xFFE0, 2).Put(4, 16, 2).Text(6, "JFIF");
         L.Put(20, 0xFFDB, 2).Put(22, 4, 2).Put(26, 0xFFC0, 2).Put(28, 11, 2).Put(30, 8, 1).Put(31, 1601, 2).Put(33, 2001, 2);
         return L.Put(39, 0xFFDA, 2).Put(41, 12, 2).Put(60, 0xFF00, 2).Put(70, 0xFFD9, 2);
     },
     200, 71, ".jpg"},
    {"JpegScanAtOnce", [] { return TLayout{true, {}}.Put(0, 0xFFD8FFDA, 4).Put(4, 8, 2).Put(30, 0xFFD9, 2); }, 0, 31, ".jpg"},
    {"JpegTablesFirst", [] { return TLayout{true, {}}.Put(0, 0xFFD8FFDB, 4).Put(4, 4, 2).Put(30, 0xFFD9, 2); }, 0, -1, ".jpg"},
    {"AviOfRiffSize1000", [] { return TLayout{}.Text(0, "RIFF").Put(4, 1000, 4).Text(8, "AVI "); }, 2000, 1007, ".avi"},
    {"MrwOf12BitSamples",
     [] { return TLayout{true, {}}.Put(0, 0x004D524D, 4).Put(4, 65536, 4).Put(24, 2000, 2).Put(26, 3000, 2).Put(32, 12, 1); },
     0, 8 + 65536 + 9000000 - 1, ".mrw"},
    {"MrwOf16BitSamples",
     [] { return TLayout{true, {}}.Put(0, 0x004D524D, 4).Put(4, 100, 4).Put(24, 10, 2).Put(26, 20, 2).Put(32, 16, 1); },
     0, 8 + 100 + 400 - 1, ".mrw"},
    {"QuickTimeWith64BitMediaData",
     [] {
         TLayout L{true, {}};
         L.Put(0, 24, 4).Text(4, "ftypqt  ").Put(24, 1000, 4).Text(28, "moov");
         return L.Put(1024, 1, 4).Text(1028, "mdat").Put(1032, 0x140000000ull, 8);
     },
     1024 + 0x140000000ll + 4096, 1024 + 0x140000000ll - 1, ".mov"},
    {"Mp4BrandInFileType",
     [] { return TLayout{true, {}}.Put(0, 24, 4).Text(4, "ftypmp42").Put(24, 16, 4).Text(28, "free"); }, 40, 39, ".mp4"},
    {"QuickTime64BitSizePastTheSource",
     [] { return TLayout{true, {}}.Put(0, 24, 4).Text(4, "ftypqt  ").Put(24, 1, 4).Text(28, "mdat").Put(32, ~0ull, 8); },
     4096, 23, ".mov"},
    {"TiffSingleStrip",
     [] { return TLayout::Tiff(false, 8).Ifd(8, {{256, kShort, 1, 100}, {273, kLong, 1, 1000}, {279, kLong, 1, 5000}}); },
     0, 5999, ".tif"},
    {"TiffBigEndianShortStrip",
     [] { return TLayout::Tiff(true, 8).Ifd(8, {{273, kShort, 1, 1000}, {279, kShort, 1, 300}}); }, 0, 1299, ".tif"},
    {"TiffFirstDirectoryPastTheEnd", [] { return TLayout::Tiff(true, 5000); }, 0, -1, ".tif"},
    // Offsets of all ones are ignored; a byte count without offsets then adds to the extent.
    {"TiffStripOffsetsOfAllOnes",
     [] { return TLayout::Tiff(false, 8).Ifd(8, {{273, kLong, 1, 0xFFFFFFFF}, {279, kLong, 1, 10}}); }, 0, 8 + 30 + 10 - 1, ".tif"},
    {"TiffSubIfdPointingAtItsParent",
     [] { return TLayout::Tiff(false, 8).Ifd(8, {{330, kLong, 1, 8}, {273, kLong, 1, 100}, {279, kLong, 1, 50}}); },
     0, 149, ".tif"},
    {"TiffSubIfdChainDeeperThanTheBound",
     [] {
         TLayout L = TLayout::Tiff(false, 8);
         for (uint32_t I = 0; I < 40; ++I)
             L.Ifd(8 + 18 * I, {{330, kLong, 1, 8 + 18 * (I + 1)}});
         return L;
     },
     0, 8 + 18 * (TXDRTiffWalk::kMaxDepth + 1) - 1, ".tif"},
};

class StructureTest : public ErrorStoreTest, public ::testing::WithParamInterface<TStructureCase> {};

TEST_P(StructureTest, EndsWhereTheRulesSay)
{
    const TStructureCase& Case = GetParam();
    TLayout Layout = Case.Build();
    constexpr int64_t kAt = 4096;
    TBytes Head = Filler(kAt, 3);
    Head.insert(Head.end(), Layout.Bytes.begin(), Layout.Bytes.end());
    int64_t Size = Case.StreamSize != 0 ? kAt + Case.StreamSize : static_cast<int64_t>(Head.size());
    TSparseSource Source(Head, Size);
    TDetection Found = Detect(Source, kAt);
    EXPECT_EQ(Found.End, Case.End < 0 ? -1 : kAt + Case.End);
    EXPECT_EQ(Found.Extension, Case.Extension);
}

INSTANTIATE_TEST_SUITE_P(Structures, StructureTest, ::testing::ValuesIn(kStructures),
                         [](const auto& AInfo) { return String(AInfo.param.Name); });

TEST(FormatDimensionsTest, JpegFrameHeaderGivesThePictureSize)
{
    TLayout L = kStructures[0].Build();
    TSparseSource Source(L.Bytes, 200);
    auto Format = Owned(TXDRScanFormatJPG::Create());
    EXPECT_TRUE(Format->Validate(Source, 0));
    EXPECT_EQ(Format->Dimensions(), (TXDRDimensions{2001, 1601}));
}

TEST(FormatCancelTest, CancelledScanFindsNoFile)
{
    for (const char* File : {"photo.jpg", "nikon.nef", "camera.mov"}) {
        TBytes Stream = Embed(ReadFile(SamplesDir() / File));
        TXDRMemoryScanSource Source(Stream);
        Source.SetCancelled(true);
        EXPECT_EQ(Detect(Source, kOffset).End, -1) << File;
    }
}

// ---- Thumbnails and previews -------------------------------------------------------------

enum TPictureKind { pkThumbnail, pkPreview };

struct TPicture {
    bool OK = false;
    TXDRDimensions PictureSize{1, 1};   // a value the maker must overwrite
    int Width = -1;
    int Height = -1;
    TOwned<TXImageObject> Image = Owned(TXImageObject::Create());
};

// What the Images page does with a found file: the format that found its end in AFound (at
// kOffset) makes the picture from the blocks [kOffset, kOffset + ALength) of AStored, the
// bytes on the card now (AFound when not given). ALength 0: up to the end found.
TPicture MakePicture(const TBytes& AFound, TPictureKind AKind, int64_t ALength = 0, const TBytes* AStored = nullptr)
{
    TXDRMemoryScanSource Source(AFound);
    int64_t End = -1;
    auto Format = FindFormat(Source, kOffset, End);
    TPicture Result;
    if (Format == nullptr)
        return Result;
    const TBytes& Stored = AStored != nullptr ? *AStored : AFound;
    auto Stream = Owned(TMemoryStream::Create());
    Stream->WriteBuffer(Stored.data(), static_cast<int64_t>(Stored.size()));
    auto Blocks = Owned(TXBlocks::Create());
    Blocks->Add(kOffset, ALength != 0 ? ALength : End - kOffset + 1);
    Result.OK = AKind == pkThumbnail ? Format->MakeThumbnail(Result.PictureSize, Result.Image.get(), Blocks.get(), Stream.get())
                                     : Format->MakePreview(Result.PictureSize, Result.Image.get(), Blocks.get(), Stream.get());
    Result.Width = Result.Image->Width();
    Result.Height = Result.Image->Height();
    return Result;
}

// Resampling stamps its cache entries with the core application's clock.
class PictureTestBase : public ErrorStoreTest {
protected:
    void SetUp() override
    {
        ErrorStoreTest::SetUp();
        SetNVCoreApp(TXNVCoreApp::Create());
    }
    void TearDown() override { SetNVCoreApp(nullptr); }
};

TOwned<TBitmap> BitmapOf(TXImageObject* AImage)
{
    auto Bitmap = Owned(TBitmap::Create());
    AImage->DataStream()->SetPosition(0);
    Bitmap->LoadFromStream(AImage->DataStream());
    return Bitmap;
}

struct TPictureCase {
    const char* File;
    TPictureKind Kind;
    int Width, Height;
    TXDRDimensions PictureSize;
};

const TPictureCase kPictureCases[] = {
    // One eighth (80 x 60) still covers 72 x 54.
    {"photo.jpg", pkThumbnail, 72, 54, {640, 480}},
    // One eighth gives 251 x 201; the picture's size is the header's, not 251 x 201 times 8.
    {"progressive.jpg", pkThumbnail, 72, 58, {2001, 1601}},
    {"photo.jpg", pkPreview, 600, 450, {640, 480}},
    {"plain.jpg", pkPreview, 333, 221, {333, 221}},   // never enlarged
    // Raws show their embedded 160 x 120 JPEG and leave the picture's size to others.
    {"nikon.nef", pkThumbnail, 72, 54, {}},
    {"canon.cr2", pkThumbnail, 72, 54, {}},
    {"panasonic.rw2", pkThumbnail, 72, 54, {}},
    {"pentax.pef", pkPreview, 160, 120, {}},
};

class PictureTest : public PictureTestBase, public ::testing::WithParamInterface<TPictureCase> {};

TEST_P(PictureTest, IsTheFilesPictureFittedIntoTheBox)
{
    const TPictureCase& Case = GetParam();
    TPicture Made = MakePicture(Embed(ReadFile(SamplesDir() / Case.File)), Case.Kind);
    ASSERT_TRUE(Made.OK) << GetErrorText();
    EXPECT_EQ(Made.Image->DataClass(), "TBitmap");
    EXPECT_EQ(Made.Width, Case.Width);
    EXPECT_EQ(Made.Height, Case.Height);
    EXPECT_EQ(Made.PictureSize, Case.PictureSize);
}

INSTANTIATE_TEST_SUITE_P(Samples, PictureTest, ::testing::ValuesIn(kPictureCases), [](const auto& AInfo) {
    String Name = String(AInfo.param.File) + (AInfo.param.Kind == pkThumbnail ? "Thumbnail" : "Preview");
    std::replace_if(Name.begin(), Name.end(), [](char C) { return !std::isalnum(static_cast<unsigned char>(C)); }, '_');
    return Name;
});

TEST_F(PictureTestBase, ThumbnailShowsThePicturesColours)
{
    // photo.jpg runs from teal at the top to yellow at the bottom.
    TPicture Made = MakePicture(Embed(ReadFile(SamplesDir() / "photo.jpg")), pkThumbnail);
    ASSERT_TRUE(Made.OK);
    auto Bitmap = BitmapOf(Made.Image.get());
    TColor Top = Bitmap->Canvas()->Pixels(36, 2), Bottom = Bitmap->Canvas()->Pixels(36, 51);
    EXPECT_LT(GetRValue(Top), 90);
    EXPECT_GT(GetBValue(Top), 90);
    EXPECT_GT(GetRValue(Bottom), 170);
    EXPECT_LT(GetBValue(Bottom), 90);
}

TEST_F(PictureTestBase, KindsWithoutThumbnailsMakeNone)
{
    for (const char* File : {"video.avi", "minolta.mrw"}) {
        TPicture Made = MakePicture(Embed(ReadFile(SamplesDir() / File)), pkThumbnail);
        EXPECT_TRUE(Made.OK) << File;
        EXPECT_EQ(Made.PictureSize, TXDRDimensions{}) << File;
        EXPECT_EQ(Made.Image->DataStream()->Size(), 0) << File;
    }
}

// Damaged files give no picture and say why; none of them may crash the Images page.
struct TDamagedPicture {
    const char* Name;
    const char* File;
    void (*Damage)(TBytes& AStream);
    int64_t Length;   // of the file's blocks; 0: to the end found
};

const TDamagedPicture kDamagedPictures[] = {
    {"JpegCutInItsHeader", "photo.jpg", [](TBytes&) {}, 100},
    // The last frame header is the photo's own (the EXIF thumbnail's comes first).
    {"JpegWithoutPictureSize", "photo.jpg",
     [](TBytes& S) {
         const uint8_t Frame[] = {0xFF, 0xC0};
         auto At = std::find_end(S.begin(), S.end(), std::begin(Frame), std::end(Frame));
         std::fill_n(At + 5, 4, uint8_t(0));
     },
     0},
    {"BlocksPastTheStreamEnd", "photo.jpg", [](TBytes& S) { S.resize(kOffset + 50); }, 0},
    // 65000 x 65000 pixels from a few kilobytes: refused before any decoding.
    {"JpegClaimingAHugePicture", "photo.jpg",
     [](TBytes& S) {
         const uint8_t Frame[] = {0xFF, 0xC0};
         auto At = std::find_end(S.begin(), S.end(), std::begin(Frame), std::end(Frame));
         const uint8_t Size[] = {0xFD, 0xE8, 0xFD, 0xE8};
         std::copy(std::begin(Size), std::end(Size), At + 5);
     },
     0},
    {"DngWithoutPreview", "adobe.dng", [](TBytes&) {}, 0},
    // The walk takes an ORF's raw strip for its preview.
    {"OrfStripIsNoJpeg", "olympus.orf", [](TBytes&) {}, 0},
    {"RawCutBeforeItsPreview", "nikon.nef", [](TBytes&) {}, 64},
    {"RawPreviewOverwritten", "nikon.nef",
     [](TBytes& S) {
         TDetection Found = Detect(S);
         std::fill_n(S.begin() + kOffset + Found.PreviewOffset, 64, uint8_t(0));
     },
     0},
};

class DamagedPictureTest : public PictureTestBase, public ::testing::WithParamInterface<TDamagedPicture> {};

TEST_P(DamagedPictureTest, GivesFalseWithTheErrorRecorded)
{
    const TDamagedPicture& Case = GetParam();
    // The end is found on the whole file, as the scan did before the card went bad.
    TBytes Whole = Embed(ReadFile(SamplesDir() / Case.File), 4096);
    TBytes Stored = Whole;
    Case.Damage(Stored);
    TPicture Made = MakePicture(Whole, pkThumbnail, Case.Length, &Stored);
    EXPECT_FALSE(Made.OK);
    EXPECT_EQ(GetErrorCode(), kErrThumbnail);
    EXPECT_FALSE(GetErrorText().empty());
    EXPECT_EQ(Made.PictureSize, TXDRDimensions{});
    EXPECT_EQ(Made.Image->DataStream()->Size(), 0);
}

INSTANTIATE_TEST_SUITE_P(Damaged, DamagedPictureTest, ::testing::ValuesIn(kDamagedPictures),
                         [](const auto& AInfo) { return String(AInfo.param.Name); });

// A JPEG cut inside its scan makes no thumbnail: grey filling would make a cut file look whole.
TEST_F(PictureTestBase, JpegCutInItsScanMakesNoThumbnail)
{
    TBytes Photo = ReadFile(SamplesDir() / "photo.jpg");
    TPicture Made = MakePicture(Embed(Photo), pkThumbnail, static_cast<int64_t>(Photo.size()) / 2);
    EXPECT_FALSE(Made.OK);
    EXPECT_EQ(GetErrorCode(), kErrThumbnail);
}

TEST_F(PictureTestBase, AThinPanoramaKeepsALine)
{
    auto Pixels = Owned(TBitmap::Create());
    Pixels->SetSize(1600, 8);
    auto Jpeg = Owned(TJPEGImage::Create());
    Jpeg->Assign(Pixels.get());
    auto Encoded = Owned(TMemoryStream::Create());
    Jpeg->SaveToStream(Encoded.get());
    TBytes File(static_cast<size_t>(Encoded->Size()));
    std::copy_n(static_cast<const uint8_t*>(Encoded->Memory()), File.size(), File.begin());
    TPicture Made = MakePicture(Embed(File), pkThumbnail);
    ASSERT_TRUE(Made.OK) << GetErrorText();
    EXPECT_EQ(Made.Width, 72);
    EXPECT_EQ(Made.Height, 1);
    EXPECT_EQ(Made.PictureSize, (TXDRDimensions{1600, 8}));
}

TEST_F(PictureTestBase, CameraFilesGiveAThumbnailOrARecordedError)
{
    const char* Source = std::getenv("X_SOURCE_DIR");
    fs::path Dir = fs::path(Source ? Source : X_SOURCE_FALLBACK) / "../shared/testdata/camera";
    if (!fs::is_directory(Dir))
        GTEST_SKIP() << "no camera files at " << Dir;
    for (const TCameraCase& Case : kCameraFiles) {
        ClearError();
        TBytes File = ReadFile(Dir / Case.File);
        TPicture Made = MakePicture(Embed(File), pkThumbnail, static_cast<int64_t>(File.size()));
        if (Case.Whole) {
            EXPECT_TRUE(Made.OK) << Case.File << ": " << GetErrorText();
            EXPECT_EQ(Made.Width, 8) << Case.File;   // the samples' JPEGs are 8 x 8
            EXPECT_EQ(Made.PictureSize, (TXDRDimensions{8, 8})) << Case.File;
        } else {
            EXPECT_EQ(Made.OK, GetErrorCode() == 0) << Case.File << ": " << GetErrorText();
        }
    }
}

}  // namespace

// End detection, kinds and extensions of the carving formats, on real samples made at test
// time (tests/fixtures/make-samples) and on hand-built structures for the rules' corners.
#include "XDR.Work.P.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "XCore.Errors.h"

namespace {

namespace fs = std::filesystem;
using TBytes = std::vector<uint8_t>;

// The samples are made once per build tree; concurrent test processes share the run.
const fs::path& SamplesDir()
{
    static const fs::path Dir = [] {
        const char* Source = std::getenv("X_SOURCE_DIR");
        fs::path Script = fs::path(Source ? Source : X_SOURCE_FALLBACK) / "tests/fixtures/make-samples";
        fs::path Out = fs::current_path() / "samples";
        String Command = "\"" + Script.string() + "\" \"" + Out.string() + "\"";
        if (std::system(Command.c_str()) != 0)
            throw std::runtime_error("make-samples failed: " + Command);
        return Out;
    }();
    return Dir;
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
    TBytes Stream = Filler(kOffset, 1);
    Stream.insert(Stream.end(), ASample.begin(), ASample.end());
    TBytes Tail = Filler(ATail, 2);
    Stream.insert(Stream.end(), Tail.begin(), Tail.end());
    return Stream;
}

struct TDetection {
    int64_t End = -1;
    String Extension;
    TXDRDimensions Dimensions;
    int64_t PreviewOffset = 0;
};

// What the carving loop does at a hit: the first signature that matches picks the class.
TDetection Detect(TXDRScanSource& ASource, int64_t APosition)
{
    for (int Signature = 0; Signature < kSignatureCount; ++Signature) {
        std::span<const uint8_t> Bytes = SignatureBytes(Signature);
        TBytes Head(Bytes.size());
        if (!ASource.ReadAt(APosition, Head.data(), static_cast<int64_t>(Head.size()))
            || !std::equal(Head.begin(), Head.end(), Bytes.begin()))
            continue;
        auto Format = Owned(FormatClassOfKind(FormatKindOfSignature(Signature))->Create());
        TDetection Result;
        Result.End = Format->FindEnd(ASource, APosition);
        Result.Extension = Format->GetExtension();
        Result.Dimensions = Format->Dimensions();
        if (auto* Tiff = AsOrNull<TXDRScanFormatTIF>(Format.get()))
            Result.PreviewOffset = Tiff->PreviewOffset();
        return Result;
    }
    return {};
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

INSTANTIATE_TEST_SUITE_P(Samples, SampleTest, ::testing::ValuesIn(kSamples), [](const auto& AInfo) {
    String Name = AInfo.param.File;
    std::replace_if(Name.begin(), Name.end(), [](char C) { return !std::isalnum(static_cast<unsigned char>(C)); }, '_');
    return Name;
});

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

const TDamageCase kDamages[] = {
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

INSTANTIATE_TEST_SUITE_P(Damaged, DamageTest, ::testing::ValuesIn(kDamages),
                         [](const auto& AInfo) { return String(AInfo.param.Name); });

}  // namespace

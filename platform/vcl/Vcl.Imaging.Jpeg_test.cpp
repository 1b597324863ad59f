// JPEG pictures: decoding other writers' files at every scale, encoding, damaged files.
#include "Vcl.Imaging.Jpeg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "Vcl.TestImages.h"

namespace {

// A picture with four flat quarters, which JPEG keeps close to their colours.
const char* kQuarters = "-size 64x48 xc:red -fill lime -draw 'rectangle 32,0 63,23' -fill blue "
                        "-draw 'rectangle 0,24 31,47' -fill white -draw 'rectangle 32,24 63,47'";

TOwned<TJPEGImage> LoadJpeg(const TBytes& ABytes)
{
    auto Jpeg = Owned(TJPEGImage::Create());
    auto Stream = StreamOf(ABytes);
    Jpeg->LoadFromStream(Stream.get());
    return Jpeg;
}

TEST(JpegTest, DecodesAtEveryScaleWithTheSizeRoundedUp)
{
    TTestImages Images;
    TBytes File = TTestImages::Read(Images.Make("q.jpg", String(kQuarters) + " -resize 65x49! -quality 95"));
    const std::tuple<TJPEGScale, int, int> Cases[] = {
        {jsFullSize, 65, 49}, {jsHalf, 33, 25}, {jsQuarter, 17, 13}, {jsEighth, 9, 7}};
    for (auto [Scale, Width, Height] : Cases) {
        auto Jpeg = LoadJpeg(File);
        Jpeg->SetScale(Scale);
        EXPECT_EQ(Jpeg->Width(), Width) << int(Scale);
        EXPECT_EQ(Jpeg->Height(), Height);
        TBitmap* Pixels = Jpeg->Bitmap();
        ASSERT_NE(Pixels, nullptr);
        EXPECT_EQ(Pixels->Width(), Width);
        EXPECT_EQ(Pixels->PixelFormat(), pf24bit);
        EXPECT_LE(ChannelDelta(PixelAt(Pixels, 1, 1), clRed), 24) << int(Scale);
        EXPECT_LE(ChannelDelta(PixelAt(Pixels, Width - 2, Height - 2), clWhite), 24) << int(Scale);
    }
}

TEST(JpegTest, DrawsGreyCmykAndFastDecodesOfTheSamePicture)
{
    TTestImages Images;
    const std::tuple<const char*, String, bool> Cases[] = {
        {"Grey setting", Images.Make("g.jpg", kQuarters), true},
        {"Grey file", Images.Make("gf.jpg", String(kQuarters) + " -colorspace Gray"), false},
        {"CMYK file", Images.Make("c.jpg", String(kQuarters) + " -colorspace CMYK"), false},
    };
    for (const auto& [Name, File, GreySetting] : Cases) {
        auto Jpeg = Owned(TJPEGImage::Create());
        Jpeg->LoadFromFile(File);
        Jpeg->SetGrayscale(GreySetting);
        Jpeg->SetPerformance(jpBestSpeed);
        auto Target = WhiteBitmap(64, 48);
        Target->Canvas()->Draw(0, 0, Jpeg.get());
        TColor Corner = PixelAt(Target.get(), 60, 4);
        bool Grey = String(Name) != "CMYK file";
        if (Grey)
            EXPECT_TRUE(GetRValue(Corner) == GetGValue(Corner) && GetGValue(Corner) == GetBValue(Corner)) << Name;
        else
            EXPECT_LE(ChannelDelta(Corner, clLime), 40) << Name;
        EXPECT_GT(GetRValue(PixelAt(Target.get(), 60, 40)), 200) << Name;
    }
}

TEST(JpegTest, PixelsAreEncodedWithTheChosenQuality)
{
    TTestImages Images;
    auto Source = Owned(TBitmap::Create());
    Source->LoadFromFile(Images.Make("s.bmp", String(kQuarters) + " -fill gray -draw 'circle 32,24 40,30'", "BMP3"));
    TBytes Sizes[2];
    const int Qualities[] = {10, 95};
    for (int I = 0; I < 2; ++I) {
        auto Jpeg = Owned(TJPEGImage::Create());
        Jpeg->Assign(Source.get());
        Jpeg->SetCompressionQuality(Qualities[I]);
        auto Saved = Owned(TMemoryStream::Create());
        Jpeg->SaveToStream(Saved.get());
        Sizes[I] = BytesOf(Saved.get());
        auto Loaded = LoadJpeg(Sizes[I]);
        ASSERT_EQ(Loaded->Width(), 64);
        EXPECT_LE(ChannelDelta(PixelAt(Loaded->Bitmap(), 4, 44), clBlue), Qualities[I] == 95 ? 8 : 60);
        // What was loaded is saved as it came.
        auto Again = Owned(TMemoryStream::Create());
        Loaded->SaveToStream(Again.get());
        EXPECT_EQ(BytesOf(Again.get()), Sizes[I]);
    }
    EXPECT_LT(Sizes[0].size(), Sizes[1].size());

    auto Picture = Owned(TPicture::Create());
    Picture->LoadFromFile(Images.Make("p.jpeg", kQuarters));
    EXPECT_EQ(Picture->Graphic()->ClassType(), TJPEGImage::StaticClass());
    auto Bitmap = Owned(TBitmap::Create());
    Bitmap->Assign(Picture->Graphic());
    EXPECT_EQ(Bitmap->Width(), 64);
}

TEST(JpegTest, DamagedFilesRaiseButACutScanKeepsWhatDecodes)
{
    TTestImages Images;
    TBytes File = TTestImages::Read(Images.Make("d.jpg", String(kQuarters) + " -quality 90"));
    size_t Scan = 0;   // the start-of-scan marker
    for (size_t I = 0; I + 1 < File.size(); ++I)
        if (File[I] == 0xFF && File[I + 1] == 0xDA) {
            Scan = I;
            break;
        }
    ASSERT_GT(Scan, 0u);
    size_t Frame = 0;   // the frame header: its height and width follow the precision byte
    for (size_t I = 0; I + 1 < File.size(); ++I)
        if (File[I] == 0xFF && File[I + 1] == 0xC0) {
            Frame = I;
            break;
        }
    ASSERT_GT(Frame, 0u);
    TBytes Huge = File;
    Huge[Frame + 5] = Huge[Frame + 6] = Huge[Frame + 7] = Huge[Frame + 8] = 0xFF;
    TBytes Zero = File;
    Zero[Frame + 5] = Zero[Frame + 6] = 0;
    const std::pair<const char*, TBytes> Headers[] = {
        {"Empty", {}},
        {"TwoBytes", TBytes(File.begin(), File.begin() + 2)},
        {"CutBeforeTheScan", TBytes(File.begin(), File.begin() + std::ptrdiff_t(Scan))},
        {"NotJpeg", TBytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0}},
        {"HugeSize", Huge},
        {"ZeroHeight", Zero},
    };
    for (const auto& [Name, Bytes] : Headers) {
        auto Jpeg = Owned(TJPEGImage::Create());
        auto Stream = StreamOf(Bytes);
        EXPECT_THROW(Jpeg->LoadFromStream(Stream.get()), EInvalidGraphic) << Name;
        EXPECT_TRUE(Jpeg->Empty()) << Name;
    }

    // Too many pixels at full size, which a smaller scale still decodes.
    TBytes Large = File;   // 12000 x 12000
    Large[Frame + 5] = Large[Frame + 7] = 0x2E;
    Large[Frame + 6] = Large[Frame + 8] = 0xE0;
    auto Poster = LoadJpeg(Large);
    EXPECT_EQ(Poster->Width(), 12000);
    EXPECT_THROW(Poster->Bitmap(), EInvalidGraphic);
    Poster->SetScale(jsEighth);
    EXPECT_EQ(Poster->Bitmap()->Width(), 1500);

    // A card's photo cut in its scan: the top still shows, the rest is grey.
    auto Cut = LoadJpeg(TBytes(File.begin(), File.begin() + std::ptrdiff_t(Scan + (File.size() - Scan) / 3)));
    EXPECT_LE(ChannelDelta(PixelAt(Cut->Bitmap(), 2, 2), clRed), 24);

    // Garbage in the scan is libjpeg's error, raised when the pixels are wanted.
    TBytes Garbled = File;
    for (size_t I = Scan + 20; I < File.size() - 2; ++I)
        Garbled[I] = I % 3 == 0 ? 0xFF : uint8_t(I);
    auto Bad = LoadJpeg(Garbled);
    try {
        auto Target = WhiteBitmap(64, 48);
        Target->Canvas()->Draw(0, 0, Bad.get());
    } catch (const EJPEG& E) {
        EXPECT_EQ(E.Message().rfind("JPEG error: ", 0), 0u);
    }
}

TEST(JpegTest, CameraFilesDecodeOrFailCleanly)
{
    const char* Source = std::getenv("X_SOURCE_DIR");
    std::filesystem::path Folder = std::filesystem::path(Source ? Source : ".") / "../shared/testdata/camera";
    if (!std::filesystem::exists(Folder))
        GTEST_SKIP() << "no camera samples at " << Folder;
    for (const char* Name : {"Canon.jpg", "Nikon.jpg", "Olympus.jpg"}) {
        std::filesystem::path File = Folder / Name;
        if (!std::filesystem::exists(File))
            continue;
        auto Jpeg = Owned(TJPEGImage::Create());
        try {
            Jpeg->LoadFromFile(File.string());
            Jpeg->SetScale(jsEighth);
            EXPECT_GT(Jpeg->Bitmap()->Width(), 0) << Name;
        } catch (const EInvalidGraphic& E) {
            EXPECT_FALSE(E.Message().empty()) << Name;
        }
    }
}

}  // namespace

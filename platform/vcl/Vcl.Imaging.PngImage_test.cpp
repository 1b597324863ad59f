// PNG pictures: every colour type in, transparency, alpha kept through saving and drawing.
#include "Vcl.Imaging.PngImage.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "Vcl.TestImages.h"

namespace {

TOwned<TPngImage> LoadPng(const String& AFileName)
{
    auto Png = Owned(TPngImage::Create());
    Png->LoadFromFile(AFileName);
    return Png;
}

uint8_t AlphaAt(TPngImage* APng, int AX, int AY)
{
    const uint8_t* Row = APng->AlphaScanline(AY);
    return Row ? Row[AX] : 255;
}

TColor PngPixel(TPngImage* APng, int AX, int AY)
{
    const auto* P = static_cast<const uint8_t*>(APng->Scanline(AY)) + 3 * AX;
    return RGB(P[2], P[1], P[0]);
}

struct TPngCase {
    const char* Name;
    const char* Arguments;
    const char* Format;
    uint8_t ColorType;
    TPNGTransparencyMode Mode;
    TColor Left;   // the colour at (0, 0)
    uint8_t RightAlpha;   // the alpha at (3, 0)
};

// Four pixels wide: the left half red (or grey), the right half transparent where the type can be.
const TPngCase kPngs[] = {
    {"Rgb", "-size 4x2 xc:red -fill blue -draw 'rectangle 2,0 3,1'", "PNG24", COLOR_RGB, ptmNone, clRed, 255},
    {"RgbAlpha", "-size 4x2 xc:red -alpha set -region 2x2+2+0 -alpha transparent", "PNG32", COLOR_RGBALPHA, ptmPartial, clRed, 0},
    {"Rgb16", "-size 4x2 xc:red -depth 16", "PNG48", COLOR_RGB, ptmNone, clRed, 255},
    {"Palette", "-size 4x2 xc:red -fill blue -draw 'rectangle 2,0 3,1'", "PNG8", COLOR_PALETTE, ptmNone, clRed, 255},
    {"PaletteKey", "-size 4x2 xc:red -alpha set -region 2x2+2+0 -alpha transparent", "PNG8", COLOR_PALETTE, ptmBit, clRed, 0},
    {"Grey", "-size 4x2 xc:gray50 -colorspace Gray -depth 8", "PNG", COLOR_GRAYSCALE, ptmNone, RGB(127, 127, 127), 255},
    {"GreyAlpha", "-size 4x2 xc:gray50 -colorspace Gray -alpha set -region 2x2+2+0 -alpha transparent -depth 8",
     "PNG", COLOR_GRAYSCALEALPHA, ptmPartial, RGB(127, 127, 127), 0},
    {"TwoBitGrey", "-size 4x2 xc:black -colorspace Gray -depth 2", "PNG", COLOR_GRAYSCALE, ptmNone, clBlack, 255},
};

class PngReadTest : public ::testing::TestWithParam<TPngCase> {};

TEST_P(PngReadTest, KeepsColourTypeTransparencyAndPixels)
{
    const TPngCase& Case = GetParam();
    TTestImages Images;
    auto Png = LoadPng(Images.Make("p.png", Case.Arguments, Case.Format));
    ASSERT_EQ(Png->Width(), 4);
    ASSERT_EQ(Png->Height(), 2);
    EXPECT_EQ(Png->Header().ColorType, Case.ColorType);
    EXPECT_EQ(Png->Header().BitDepth, 8);
    EXPECT_EQ(Png->TransparencyMode(), Case.Mode);
    EXPECT_EQ(Png->Transparent(), Case.Mode != ptmNone);
    EXPECT_LE(ChannelDelta(PngPixel(Png.get(), 0, 0), Case.Left), 1);
    EXPECT_EQ(AlphaAt(Png.get(), 0, 1), 255);
    EXPECT_EQ(AlphaAt(Png.get(), 3, 0), Case.RightAlpha);
}

INSTANTIATE_TEST_SUITE_P(Types, PngReadTest, ::testing::ValuesIn(kPngs),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(PngTest, AlphaSurvivesSavingAssigningAndDrawing)
{
    TTestImages Images;
    auto Png = LoadPng(Images.Make("a.png", "-size 4x2 xc:red -alpha set -channel A -evaluate set 50%", "PNG32"));
    auto Saved = Owned(TMemoryStream::Create());
    Png->SaveToStream(Saved.get());
    auto Loaded = Owned(TPngImage::Create());
    Saved->SetPosition(0);
    Loaded->LoadFromStream(Saved.get());
    EXPECT_EQ(Loaded->Header().ColorType, COLOR_RGBALPHA);
    EXPECT_NEAR(AlphaAt(Loaded.get(), 1, 1), 128, 1);

    auto Target = WhiteBitmap(4, 2);
    Target->Canvas()->Draw(0, 0, Loaded.get());
    EXPECT_LE(ChannelDelta(PixelAt(Target.get(), 2, 1), RGB(255, 127, 127)), 2);

    auto Bitmap = Owned(TBitmap::Create());
    Bitmap->Assign(Loaded.get());
    EXPECT_EQ(Bitmap->PixelFormat(), pf32bit);
    EXPECT_EQ(Bitmap->AlphaFormat(), afDefined);
    auto Back = Owned(TPngImage::Create());
    Back->Assign(Bitmap.get());
    EXPECT_NEAR(AlphaAt(Back.get(), 3, 0), 128, 1);
    EXPECT_EQ(PngPixel(Back.get(), 3, 0), clRed);

    auto Opaque = WhiteBitmap(3, 3);
    Back->Assign(Opaque.get());
    EXPECT_EQ(Back->Header().ColorType, COLOR_RGB);
    EXPECT_EQ(Back->AlphaScanline(0), nullptr);
}

TEST(PngTest, BlankImagesGainAlphaAndResizeInPlace)
{
    auto Png = Owned(TPngImage::Create());
    Png->CreateBlank(COLOR_RGB, 8, 3, 2);
    EXPECT_EQ(PngPixel(Png.get(), 2, 1), clBlack);
    EXPECT_EQ(Png->AlphaScanline(0), nullptr);
    Png->Canvas()->SetPixels(0, 0, clLime);
    Png->CreateAlpha();
    EXPECT_EQ(Png->Header().ColorType, COLOR_RGBALPHA);
    EXPECT_EQ(AlphaAt(Png.get(), 2, 1), 255);
    Png->AlphaScanline(0)[0] = 7;
    Png->Resize(4, 4);
    EXPECT_EQ(PngPixel(Png.get(), 0, 0), clLime);
    EXPECT_EQ(AlphaAt(Png.get(), 0, 0), 7);
    EXPECT_EQ(AlphaAt(Png.get(), 3, 3), 255);
    EXPECT_THROW(Png->AlphaScanline(4), EInvalidGraphicOperation);
    EXPECT_THROW(Png->CreateBlank(COLOR_RGB, 16, 2, 2), EInvalidGraphicOperation);
    Png->CreateBlank(COLOR_RGBALPHA, 8, 2, 2);
    EXPECT_EQ(AlphaAt(Png.get(), 1, 1), 0);
}

TEST(PngTest, DamagedFilesRaise)
{
    TTestImages Images;
    TBytes File = TTestImages::Read(Images.Make("d.png", "-size 40x30 gradient:red-blue", "PNG24"));
    TBytes Huge = File;   // width in the header: its checksum no longer matches either
    Huge[16] = Huge[17] = 0x7F;
    TBytes BadData = File;   // a byte of the compressed pixels: the chunk's checksum catches it
    auto Data = std::search(File.begin(), File.end(), std::begin("IDAT"), std::end("IDAT") - 1);
    ASSERT_NE(Data, File.end());
    BadData[size_t(Data - File.begin()) + 10] ^= 0x55;
    TBytes LongChunk(File.begin(), File.begin() + 33);   // a text chunk that claims 1.5 GB
    const uint8_t ChunkHead[] = {0x60, 0x00, 0x00, 0x00, 't', 'E', 'X', 't'};
    LongChunk.insert(LongChunk.end(), std::begin(ChunkHead), std::end(ChunkHead));
    const std::pair<const char*, TBytes> Cases[] = {
        {"Empty", {}},
        {"SignatureOnly", TBytes(File.begin(), File.begin() + 8)},
        {"CutInHeader", TBytes(File.begin(), File.begin() + 20)},
        {"CutInData", TBytes(File.begin(), File.end() - 30)},
        {"HugeWidth", Huge},
        {"DamagedData", BadData},
        {"ChunkLongerThanTheFile", LongChunk},
        {"NotPng", TBytes{'B', 'M', 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& [Name, Bytes] : Cases) {
        auto Png = Owned(TPngImage::Create());
        auto Stream = StreamOf(Bytes);
        EXPECT_THROW(Png->LoadFromStream(Stream.get()), EInvalidGraphic) << Name;
        EXPECT_TRUE(Png->Empty()) << Name;
    }
}

}  // namespace

// Drawing by image position, image objects, icons from icon files, texts and shapes.
#include "XMedia.VCL.Graphics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "Vcl.TestImages.h"
#include "Vcl.Imaging.Jpeg.h"
#include "Win.Display.h"
#include "XCore.App.h"
#include "XCore.Streams.h"
#include "XMedia.Graphics.Converters.h"
#include "XMedia.Graphics.Filters.h"

namespace {

// Resampling stamps its cache entries from the core application's clock; image objects find
// their graphic classes in the class registry.
class DrawTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetNVCoreApp(TXNVCoreApp::Create());
        RegisterGraphicClasses();
    }
    void TearDown() override { SetNVCoreApp(nullptr); }
};

TOwned<TBitmap> SolidBitmap(int AWidth, int AHeight, TColor AColor, TPixelFormat AFormat = pf24bit)
{
    auto Bitmap = WhiteBitmap(AWidth, AHeight, AFormat);
    Bitmap->Canvas()->Brush()->SetColor(AColor);
    Bitmap->Canvas()->FillRect(Rect(0, 0, AWidth, AHeight));
    return Bitmap;
}

// The smallest rectangle holding every pixel near AColor; empty when there is none.
TRect BoundsOf(TBitmap* ABitmap, TColor AColor)
{
    TRect R = Rect(ABitmap->Width(), ABitmap->Height(), 0, 0);
    for (int Y = 0; Y < ABitmap->Height(); ++Y)
        for (int X = 0; X < ABitmap->Width(); ++X)
            if (ChannelDelta(PixelAt(ABitmap, X, Y), AColor) < 64)
                R = Rect(std::min(R.Left, X), std::min(R.Top, Y), std::max(R.Right, X + 1), std::max(R.Bottom, Y + 1));
    return R.Left < R.Right ? R : Rect(0, 0, 0, 0);
}

class DrawGraphicTest : public DrawTest {};
class ImageObjectDrawTest : public DrawTest {};

using TPlacement = void (*)(TCanvas*, const TRect&, TGraphic*, const TXFilterKernel*);

struct TPlacementCase {
    const char* Name;
    TPlacement Draw;
    int GraphicWidth, GraphicHeight;
    TRect Target;
    TRect Expected;   // where the graphic lands on a 300 x 300 canvas
};

const TPlacementCase kPlacements[] = {
    {"DownScaledBestFitKeepsSize", DrawGraphicDownScaledBestFit, 100, 50, {0, 0, 300, 300}, {100, 125, 200, 175}},
    {"DownScaledBestFitShrinks", DrawGraphicDownScaledBestFit, 400, 100, {0, 0, 200, 300}, {0, 125, 200, 175}},
    {"BestFitEnlarges", DrawGraphicBestFit, 100, 50, {0, 0, 300, 300}, {0, 75, 300, 225}},
    {"StretchIgnoresAspect", StretchDrawResampled, 100, 50, {10, 20, 110, 220}, {10, 20, 110, 220}},
    {"FitWidth", DrawGraphicFitWidth, 100, 50, {0, 0, 200, 300}, {0, 100, 200, 200}},
    {"FitHeight", DrawGraphicFitHeight, 100, 50, {0, 0, 300, 100}, {50, 0, 250, 100}},
    {"CenterCovers", DrawGraphicCenter, 200, 100, {100, 100, 200, 200}, {50, 100, 250, 200}},
    {"CenterCoversTall", DrawGraphicCenter, 50, 100, {0, 100, 300, 200}, {0, 0, 300, 300}},
    {"DownScaledCenterKeepsSmall", DrawGraphicDownScaledCenter, 50, 20, {0, 0, 100, 100}, {25, 40, 75, 60}},
    {"DownScaledCenterCoversLarge", DrawGraphicDownScaledCenter, 200, 100, {100, 100, 200, 200}, {50, 100, 250, 200}},
};

class PlacementTest : public DrawTest, public ::testing::WithParamInterface<std::tuple<TPlacementCase, bool>> {};

TEST_P(PlacementTest, DrawsWhereThePositionSays)
{
    const auto& [Case, Resampled] = GetParam();
    auto Canvas = SolidBitmap(300, 300, clBlack, pf32bit);
    auto Graphic = SolidBitmap(Case.GraphicWidth, Case.GraphicHeight, clRed);
    Canvas->Canvas()->Brush()->SetColor(clBlue);
    Case.Draw(Canvas->Canvas(), Case.Target, Graphic.get(), Resampled ? DefaultKernel() : nullptr);
    EXPECT_EQ(BoundsOf(Canvas.get(), clRed), Case.Expected);
}

INSTANTIATE_TEST_SUITE_P(Positions, PlacementTest,
                         ::testing::Combine(::testing::ValuesIn(kPlacements), ::testing::Bool()),
                         [](const auto& AInfo) {
                             return std::string(std::get<0>(AInfo.param).Name)
                                    + (std::get<1>(AInfo.param) ? "Resampled" : "Plain");
                         });

TEST_F(DrawGraphicTest, PlacementsFillTheRectangleAndDrawNothingWithoutAGraphic)
{
    const TPlacement Placements[] = {DrawGraphicBestFit, DrawGraphicDownScaledBestFit, DrawGraphicFitWidth,
                                     DrawGraphicFitHeight, DrawGraphicCenter, DrawGraphicDownScaledCenter,
                                     DrawGraphicTiled};
    auto Empty = Owned(TBitmap::Create());
    for (TGraphic* Graphic : {static_cast<TGraphic*>(nullptr), static_cast<TGraphic*>(Empty.get())})
        for (TPlacement Draw : Placements) {
            auto Canvas = SolidBitmap(20, 20, clBlack);
            Canvas->Canvas()->Brush()->SetColor(clBlue);
            Draw(Canvas->Canvas(), Rect(2, 3, 12, 13), Graphic, DefaultKernel());
            EXPECT_EQ(BoundsOf(Canvas.get(), clBlue), Rect(2, 3, 12, 13));
        }
    auto Canvas = SolidBitmap(20, 20, clBlack);
    auto Graphic = SolidBitmap(3, 3, clRed);
    DrawGraphicTiledScaled(Canvas->Canvas(), Rect(0, 0, 10, 10), Graphic.get(), 0, 4);
    EXPECT_EQ(BoundsOf(Canvas.get(), clRed), Rect(0, 0, 0, 0));
}

// Pixel (x, y) of the tile is red when x + y is even, else green.
TOwned<TBitmap> CheckerTile(int AWidth, int AHeight)
{
    auto Tile = SolidBitmap(AWidth, AHeight, clLime);
    for (int Y = 0; Y < AHeight; ++Y)
        for (int X = 0; X < AWidth; ++X)
            if ((X + Y) % 2 == 0)
                Tile->Canvas()->SetPixels(X, Y, clRed);
    return Tile;
}

TEST_F(DrawGraphicTest, TilesRepeatFromTheTopLeftCornerAndStayInside)
{
    auto Tile = CheckerTile(3, 2);
    auto Canvas = SolidBitmap(12, 9, clBlack);
    DrawGraphicTiled(Canvas->Canvas(), Rect(1, 1, 11, 8), Tile.get(), nullptr);
    for (int Y = 0; Y < 9; ++Y)
        for (int X = 0; X < 12; ++X) {
            const bool Inside = X >= 1 && X < 11 && Y >= 1 && Y < 8;
            const TColor Expected = !Inside ? clBlack : PixelAt(Tile.get(), (X - 1) % 3, (Y - 1) % 2);
            EXPECT_EQ(PixelAt(Canvas.get(), X, Y), Expected) << X << "," << Y;
        }
}

TEST_F(DrawGraphicTest, ScaledTilesAreStretchedToTheTileSize)
{
    auto Tile = SolidBitmap(4, 4, clRed);
    Tile->Canvas()->Brush()->SetColor(clLime);
    Tile->Canvas()->FillRect(Rect(2, 0, 4, 4));
    auto Canvas = SolidBitmap(24, 14, clBlack);
    DrawGraphicTiledScaled(Canvas->Canvas(), Rect(0, 0, 20, 12), Tile.get(), 8, 8);
    // Tiles restart every 8 pixels, red on their left, green on their right; the middle
    // columns are left out, where the stretch blends the two.
    for (int Y = 0; Y < 14; ++Y)
        for (int X = 0; X < 24; ++X) {
            const int Column = X % 8;
            if (Column == 3 || Column == 4)
                continue;
            const bool Inside = X < 20 && Y < 12;
            const TColor Expected = !Inside ? clBlack : Column < 3 ? clRed : clLime;
            EXPECT_EQ(PixelAt(Canvas.get(), X, Y), Expected) << X << "," << Y;
        }
}

TEST_F(DrawGraphicTest, ResampledPngKeepsItsTransparency)
{
    auto Png = Owned(TPngImage::Create());
    Png->CreateBlank(COLOR_RGBALPHA, 8, 10, 10);
    for (int Y = 0; Y < 10; ++Y) {
        auto* Row = static_cast<uint8_t*>(Png->Scanline(Y));
        for (int X = 0; X < 10; ++X) {
            Row[3 * X + 2] = 255;   // red
            Png->AlphaScanline(Y)[X] = X < 5 ? 255 : 0;
        }
    }
    auto Canvas = SolidBitmap(40, 20, clBlue, pf32bit);
    StretchDrawResampled(Canvas->Canvas(), Rect(0, 0, 40, 20), Png.get(), DefaultKernel());
    EXPECT_EQ(PixelAt(Canvas.get(), 5, 10), clRed);
    EXPECT_EQ(PixelAt(Canvas.get(), 35, 10), clBlue);
}

// A JPEG picture is decoded at half size when that covers the rectangle one and a half times
// over (the picture keeps its scale). On a photo-like picture (soft shapes, fine
// noise) that stays within two levels of resampling the full decode for all but a few pixels
// and within five for all; a rectangle that no smaller decode covers decodes at full size and
// gives exactly the same pixels.
TEST_F(DrawGraphicTest, ResampledJpegIsDecodedAtTheScaleThatCoversTheRectangle)
{
    constexpr int W = 1280, H = 960;
    auto Photo = WhiteBitmap(W, H);
    uint32_t Seed = 0x9E3779B9u;
    for (int Y = 0; Y < H; ++Y) {
        auto* Row = static_cast<uint8_t*>(Photo->ScanLine(Y));
        for (int X = 0; X < W; ++X) {
            Seed ^= Seed << 13, Seed ^= Seed >> 17, Seed ^= Seed << 5;
            const int Noise = int(Seed % 13) - 6;
            const double Shape = 60 * std::sin(X / 90.0) * std::cos(Y / 70.0) + 40 * std::sin((X + Y) / 37.0);
            Row[3 * X] = uint8_t(std::clamp(int(120 + Shape) + Noise, 0, 255));
            Row[3 * X + 1] = uint8_t(std::clamp(int(X * 200 / W + 20) + Noise, 0, 255));
            Row[3 * X + 2] = uint8_t(std::clamp(int(128 - Shape / 2 + Y / 10) + Noise, 0, 255));
        }
    }
    auto Encoded = Owned(TJPEGImage::Create());
    Encoded->Assign(Photo.get());
    auto Stream = Owned(TMemoryStream::Create());
    Encoded->SaveToStream(Stream.get());
    Stream->SetPosition(0);
    auto Jpeg = Owned(TJPEGImage::Create());
    Jpeg->LoadFromStream(Stream.get());

    for (const TRect& R : {Rect(0, 0, 420, 320), Rect(0, 0, 210, 160), Rect(0, 0, 160, 120), Rect(0, 0, 700, 500)}) {
        auto Full = Owned(TBitmap::Create());
        auto Expected = Owned(TBitmap::Create());
        Full->Assign(Jpeg->Bitmap());
        ResampleBitmap(Full.get(), Expected.get(), R.Right, R.Bottom, DefaultKernel());
        auto Canvas = WhiteBitmap(R.Right, R.Bottom, pf32bit);
        StretchDrawResampled(Canvas->Canvas(), R, Jpeg.get(), DefaultKernel());
        EXPECT_EQ(Jpeg->Scale(), jsFullSize);
        int Worst = 0, BeyondTwo = 0;
        for (int Y = 0; Y < R.Bottom; ++Y)
            for (int X = 0; X < R.Right; ++X) {
                const int Delta = ChannelDelta(PixelAt(Canvas.get(), X, Y), PixelAt(Expected.get(), X, Y));
                Worst = std::max(Worst, Delta);
                BeyondTwo += Delta > 2;
            }
        if (3 * R.Right > W) {   // half size would not cover it
            EXPECT_EQ(Worst, 0) << R.Right;
        } else {
            EXPECT_LE(Worst, 5) << R.Right << " scaled decode against full decode";
            EXPECT_LE(BeyondTwo * 50, R.Right * R.Bottom) << R.Right << ": more than 2 % beyond two levels";
        }
    }
}

TEST_F(DrawGraphicTest, RenderGraphicFittedSizesTheBitmap)
{
    auto Graphic = SolidBitmap(40, 20, clRed);
    auto Bitmap = Owned(TBitmap::Create());
    Bitmap->Canvas()->Brush()->SetColor(clBlue);
    RenderGraphicFitted(Bitmap.get(), 20, 20, Graphic.get(), DefaultKernel());
    EXPECT_EQ(Bitmap->Width(), 20);
    EXPECT_EQ(BoundsOf(Bitmap.get(), clRed), Rect(0, 5, 20, 15));
    EXPECT_EQ(PixelAt(Bitmap.get(), 0, 0), clBlue);
}

// ---- Bitmaps ----

TEST(DrawBitmapTest, CopyAndWrappedCopy)
{
    auto Source = WhiteBitmap(30, 4, pf32bit);
    for (int X = 0; X < 30; ++X)
        Source->Canvas()->SetPixels(X, X % 4, RGB(uint8_t(X), 0, 0));
    auto Copy = WhiteBitmap(2, 2);
    CopyBitmap(Copy.get(), Source.get());
    EXPECT_EQ(Copy->PixelFormat(), pf32bit);
    EXPECT_EQ(Grid(Copy.get()), Grid(Source.get()));

    struct {
        int DX, DY;
    } const Shifts[] = {{-10, 0}, {7, 0}, {-3, -1}, {0, 2}};
    for (const auto& Shift : Shifts) {
        auto Dest = SolidBitmap(30, 4, clBlack, pf32bit);
        CopyBitmapWrapped(Dest.get(), Source.get(), Shift.DX, Shift.DY);
        for (int Y = 0; Y < 4; ++Y)
            for (int X = 0; X < 30; ++X) {
                // Only the parts moved left or up wrap around; the rest leaves black behind.
                const int SX = X - Shift.DX, SY = Y - Shift.DY;
                const int WX = SX >= 30 ? SX - 30 : SX, WY = SY >= 4 ? SY - 4 : SY;
                const bool Covered = WX >= 0 && WX < 30 && WY >= 0 && WY < 4;
                EXPECT_EQ(PixelAt(Dest.get(), X, Y), Covered ? PixelAt(Source.get(), WX, WY) : clBlack)
                    << Shift.DX << "," << Shift.DY << " at " << X << "," << Y;
            }
    }
}

// ---- Shapes ----

TEST(DrawShapeTest, TwoColorFrameAndDoubleLine)
{
    auto Bitmap = WhiteBitmap(8, 6, pf32bit);
    DrawTwoColorFrame(Bitmap->Canvas(), Rect(1, 1, 7, 5), clRed, clBlue);
    const std::vector<String> Expected = {"........", ".RRRRRB.", ".R....B.", ".R....B.", ".RBBBBB.", "........"};
    for (int Y = 0; Y < 6; ++Y)
        for (int X = 0; X < 8; ++X) {
            const TColor Want = Expected[size_t(Y)][size_t(X)] == 'R' ? clRed
                                : Expected[size_t(Y)][size_t(X)] == 'B' ? clBlue
                                                                        : clWhite;
            EXPECT_EQ(PixelAt(Bitmap.get(), X, Y), Want) << X << "," << Y;
        }

    for (TColor Second : {clRed, clBlue}) {
        auto Lines = WhiteBitmap(6, 4, pf32bit);
        DrawDoubleLine(Lines->Canvas(), 0, 1, 6, 1, clRed, Second);
        EXPECT_EQ(PixelAt(Lines.get(), 3, 1), clRed);
        EXPECT_EQ(PixelAt(Lines.get(), 3, 2), Second == clRed ? clWhite : clBlue);
    }
}

TEST(DrawShapeTest, CornerTrianglesFillTheirCorner)
{
    struct {
        const char* Name;
        void (*Fill)(TBitmap*, TColor);
        int Width, Height;
        TPoint Inside, Outside;
    } const Cases[] = {
        {"TopLeftH", FillTriangleTopLeftH, 20, 10, {1, 1}, {8, 8}},
        {"TopRightH", FillTriangleTopRightH, 20, 10, {18, 1}, {11, 8}},
        {"BottomLeftH", FillTriangleBottomLeftH, 20, 10, {1, 8}, {8, 1}},
        {"BottomRightH", FillTriangleBottomRightH, 20, 10, {18, 8}, {11, 1}},
        {"TopLeftW", FillTriangleTopLeftW, 10, 20, {1, 1}, {7, 7}},
        {"TopRightW", FillTriangleTopRightW, 10, 20, {8, 1}, {2, 7}},
        {"BottomLeftW", FillTriangleBottomLeftW, 10, 20, {1, 18}, {7, 12}},
        {"BottomRightW", FillTriangleBottomRightW, 10, 20, {8, 18}, {2, 12}},
    };
    for (const auto& Case : Cases) {
        auto Bitmap = WhiteBitmap(Case.Width, Case.Height, pf32bit);
        Case.Fill(Bitmap.get(), clRed);
        EXPECT_EQ(PixelAt(Bitmap.get(), Case.Inside.X, Case.Inside.Y), clRed) << Case.Name;
        EXPECT_EQ(PixelAt(Bitmap.get(), Case.Outside.X, Case.Outside.Y), clWhite) << Case.Name;
    }
}

// ---- Text ----

TEST(DrawTextTest, AlignmentFollowsReadingDirection)
{
    struct {
        TAlignment Alignment;
        bool RightToLeft;
        bool InkOnLeft;
    } const Cases[] = {
        {taLeftJustify, false, true}, {taRightJustify, false, false},
        {taLeftJustify, true, false}, {taRightJustify, true, true},
    };
    for (const auto& Case : Cases) {
        auto Bitmap = SolidBitmap(200, 30, clWhite, pf32bit);
        Bitmap->Canvas()->Font()->SetColor(clBlack);
        TRect Out;
        DrawTextInRect(Bitmap->Canvas(), Rect(0, 0, 200, 30), "Ab", 2, Case.Alignment, Case.RightToLeft, xepNone,
                       fqAntialiased, false, Out);
        const TRect Ink = BoundsOf(Bitmap.get(), clBlack);
        ASSERT_LT(Ink.Left, Ink.Right);
        EXPECT_EQ(Ink.Right < 100, Case.InkOnLeft) << int(Case.Alignment) << Case.RightToLeft;
    }
}

TEST(DrawTextTest, QualityIsSwitchedForTheCallOnlyAndCalcDrawsNothing)
{
    auto Bitmap = SolidBitmap(120, 30, clRed, pf32bit);
    TCanvas* Canvas = Bitmap->Canvas();
    Canvas->Font()->SetColor(clBlack);
    Canvas->Font()->SetQuality(fqDefault);
    Canvas->Brush()->SetColor(clWhite);
    TRect Out;
    DrawTextInRect(Canvas, Rect(0, 0, 120, 30), "Wide text", 0, taLeftJustify, false, xepNone, fqNonAntialiased, true,
                   Out);
    EXPECT_EQ(BoundsOf(Bitmap.get(), clRed), Rect(0, 0, 120, 30));
    EXPECT_GT(Out.Right, 0);
    EXPECT_GT(Out.Bottom, 0);
    EXPECT_EQ(Canvas->Brush()->Style(), bsClear);
    EXPECT_EQ(Canvas->Font()->Quality(), fqDefault);

    // Without antialiasing the text is only red (clear brush) and black.
    TextOutWithQuality(Canvas, 2, 2, "Wide text", fqNonAntialiased);
    EXPECT_EQ(Canvas->Font()->Quality(), fqDefault);
    int Black = 0;
    for (int Y = 0; Y < 30; ++Y)
        for (int X = 0; X < 120; ++X) {
            const TColor C = PixelAt(Bitmap.get(), X, Y);
            EXPECT_TRUE(C == clRed || C == clBlack) << X << "," << Y;
            Black += C == clBlack;
        }
    EXPECT_GT(Black, 0);
}

// ---- Icons ----

// An icon file with one 32-bit entry per size, each filled with its colour.
TBytes IconFile(std::initializer_list<std::pair<int, TColor>> AEntries)
{
    std::vector<TBytes> Files;
    for (const auto& [Size, Color] : AEntries) {
        auto Bitmap = SolidBitmap(Size, Size, Color, pf32bit);
        auto Icon = Owned(TIcon::Create());
        Icon->Assign(Bitmap.get());
        auto Stream = Owned(TMemoryStream::Create());
        Icon->SaveToStream(Stream.get());
        Files.push_back(BytesOf(Stream.get()));
    }
    const size_t Count = Files.size();
    TBytes Result = {0, 0, 1, 0, uint8_t(Count), 0};
    TBytes Data;
    for (const TBytes& File : Files) {
        TBytes Entry(File.begin() + 6, File.begin() + 22);
        const uint32_t Offset = uint32_t(6 + 16 * Count + Data.size());
        std::memcpy(&Entry[12], &Offset, 4);
        Result.insert(Result.end(), Entry.begin(), Entry.end());
        Data.insert(Data.end(), File.begin() + 22, File.end());
    }
    Result.insert(Result.end(), Data.begin(), Data.end());
    return Result;
}

TEST(IconStreamTest, PicksTheEntryForTheRequestedSize)
{
    const TBytes File = IconFile({{16, clRed}, {32, clLime}, {48, clBlue}});
    const int System = GetSystemMetrics(SM_CXICON);
    struct {
        TPoint Requested;
        int Size;
    } const Cases[] = {{{32, 32}, 32}, {{16, 16}, 16}, {{40, 40}, 32}, {{64, 64}, 48}, {{0, 0}, System}};
    for (const auto& Case : Cases) {
        auto Stream = StreamOf(File);
        Stream->SetPosition(5);
        TIcon* Icon = nullptr;
        TPoint Size;
        ReadIconFromStream(Stream.get(), Case.Requested, Icon, Size);
        TOwned<TIcon> Owner(Icon);
        EXPECT_EQ(Size, Point(Case.Size, Case.Size)) << Case.Requested.X;
        EXPECT_EQ(Icon->Width(), Case.Size) << Case.Requested.X;
    }
    auto Canvas = SolidBitmap(40, 40, clBlack, pf32bit);
    DrawIconFromStream(Canvas->Canvas(), Rect(4, 4, 20, 20), StreamOf(File).get());
    EXPECT_EQ(BoundsOf(Canvas.get(), clRed), Rect(4, 4, 20, 20));
}

TEST(IconStreamTest, DamagedFilesRaise)
{
    TBytes File = IconFile({{16, clRed}});
    TBytes Short(File.begin(), File.begin() + 30);
    TBytes NoEntries = {0, 0, 1, 0, 0, 0};
    TBytes Garbage = File;
    std::fill(Garbage.begin() + 22, Garbage.end(), 0xEE);
    TIcon* Icon = nullptr;
    TPoint Size;
    EXPECT_THROW(ReadIconFromStream(StreamOf(Short).get(), Point(16, 16), Icon, Size), EReadError);
    EXPECT_THROW(ReadIconFromStream(StreamOf(NoEntries).get(), Point(16, 16), Icon, Size), EInvalidGraphic);
    EXPECT_THROW(ReadIconFromStream(StreamOf(Garbage).get(), Point(16, 16), Icon, Size), EOutOfResources);
    EXPECT_EQ(Icon, nullptr);
}

// ---- PNG transparency ----

// A 4 x 1 RGB PNG: red, green, blue, white; with alpha 200 everywhere when AAlpha.
TOwned<TPngImage> SmallPng(bool AAlpha)
{
    auto Png = Owned(TPngImage::Create());
    Png->CreateBlank(AAlpha ? COLOR_RGBALPHA : COLOR_RGB, 8, 4, 1);
    const uint8_t Pixels[] = {0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255};
    std::memcpy(Png->Scanline(0), Pixels, sizeof Pixels);
    if (AAlpha)
        std::fill_n(Png->AlphaScanline(0), 4, 200);
    return Png;
}

std::vector<int> AlphaOf(TPngImage* APng)
{
    return std::vector<int>(APng->AlphaScanline(0), APng->AlphaScanline(0) + APng->Width());
}

TEST(PngOpacityTest, ScalesAlphaAndKeepsKeyColourClear)
{
    struct {
        bool Alpha;
        uint8_t Opacity;
        std::vector<int> Expected;
    } const Cases[] = {
        {true, 255, {200, 200, 200, 200}},
        {true, 127, {100, 100, 100, 100}},
        {false, 127, {128, 128, 128, 128}},
        {false, 255, {255, 255, 255, 255}},
    };
    for (const auto& Case : Cases) {
        auto Png = SmallPng(Case.Alpha);
        ApplyPngOpacity(Png.get(), Case.Opacity);
        EXPECT_EQ(AlphaOf(Png.get()), Case.Expected) << Case.Alpha << int(Case.Opacity);
    }
    auto Png = SmallPng(false);
    MakePngAlpha(Png.get(), true, clLime, 90);
    EXPECT_EQ(Png->Header().ColorType, COLOR_RGBALPHA);
    EXPECT_EQ(AlphaOf(Png.get()), (std::vector<int>{90, 0, 90, 90}));
}

void PutChunk(TBytes& APng, const char* AType, const TBytes& AData)
{
    const uint32_t Size = uint32_t(AData.size());
    const uint8_t SizeBytes[] = {uint8_t(Size >> 24), uint8_t(Size >> 16), uint8_t(Size >> 8), uint8_t(Size)};
    APng.insert(APng.end(), SizeBytes, SizeBytes + 4);
    TBytes Body(AType, AType + 4);
    Body.insert(Body.end(), AData.begin(), AData.end());
    const uint32_t Crc = UpdateCrc32(0, Body.data(), Body.size());
    APng.insert(APng.end(), Body.begin(), Body.end());
    const uint8_t CrcBytes[] = {uint8_t(Crc >> 24), uint8_t(Crc >> 16), uint8_t(Crc >> 8), uint8_t(Crc)};
    APng.insert(APng.end(), CrcBytes, CrcBytes + 4);
}

// A one-row 8-bit palette PNG whose pixels are the palette entries in order, with the given
// alpha of each entry; written by hand, as the image tools reduce palette alpha to on or off.
TBytes PalettePng(const TBytes& APalette, const TBytes& AAlphas)
{
    const uint8_t Count = uint8_t(APalette.size() / 3);
    TBytes Png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    PutChunk(Png, "IHDR", {0, 0, 0, Count, 0, 0, 0, 1, 8, 3, 0, 0, 0});
    PutChunk(Png, "PLTE", APalette);
    PutChunk(Png, "tRNS", AAlphas);
    TBytes Row = {0};   // filter type none
    for (uint8_t I = 0; I < Count; ++I)
        Row.push_back(I);
    // A zlib stream of one stored block, then the Adler-32 of the row.
    TBytes Idat = {0x78, 0x01, 0x01, uint8_t(Row.size()), 0, uint8_t(~Row.size()), 0xFF};
    Idat.insert(Idat.end(), Row.begin(), Row.end());
    uint32_t A = 1, B = 0;
    for (uint8_t Byte : Row)
        A = (A + Byte) % 65521, B = (B + A) % 65521;
    const uint32_t Adler = B << 16 | A;
    Idat.insert(Idat.end(), {uint8_t(Adler >> 24), uint8_t(Adler >> 16), uint8_t(Adler >> 8), uint8_t(Adler)});
    PutChunk(Png, "IDAT", Idat);
    PutChunk(Png, "IEND", {});
    return Png;
}

TEST(PngOpacityTest, PaletteImagesKeepTheirTransparency)
{
    struct {
        const char* Name;
        TBytes Alphas;
        TPNGTransparencyMode Mode;
        std::vector<int> Expected;
    } const Cases[] = {
        {"OneClearEntry", {255, 0, 255}, ptmBit, {128, 0, 128}},
        {"SeveralLevels", {255, 100, 0}, ptmPartial, {128, 50, 0}},
    };
    for (const auto& Case : Cases) {
        auto Png = Owned(TPngImage::Create());
        Png->LoadFromStream(StreamOf(PalettePng({255, 0, 0, 255, 255, 255, 0, 0, 255}, Case.Alphas)).get());
        ASSERT_EQ(Png->TransparencyMode(), Case.Mode) << Case.Name;
        ApplyPngOpacity(Png.get(), 127);
        EXPECT_EQ(AlphaOf(Png.get()), Case.Expected) << Case.Name;
    }
}

// ---- Image objects ----

TOwned<TXImageObject> ImageObjectOf(TGraphic* AGraphic)
{
    auto Image = Owned(TXImageObject::Create());
    EXPECT_TRUE(Image->LoadFromObject(AGraphic));
    return Image;
}

TEST_F(ImageObjectDrawTest, DrawsDecodedObjectsAndNothingForEmptyOnes)
{
    auto Red = SolidBitmap(10, 6, clRed);
    auto Png = Owned(TPngImage::Create());
    Png->Assign(Red.get());
    auto Image = ImageObjectOf(Png.get());
    auto Empty = Owned(TXImageObject::Create());

    auto Canvas = SolidBitmap(40, 40, clBlack, pf32bit);
    DrawImageObject(Canvas->Canvas(), 3, 4, Image.get());
    EXPECT_EQ(BoundsOf(Canvas.get(), clRed), Rect(3, 4, 13, 10));

    Canvas = SolidBitmap(40, 40, clBlack, pf32bit);
    StretchDrawImageObject(Canvas->Canvas(), Rect(0, 0, 20, 30), Image.get(), DefaultKernel());
    EXPECT_EQ(BoundsOf(Canvas.get(), clRed), Rect(0, 0, 20, 30));

    Canvas = SolidBitmap(40, 40, clBlack, pf32bit);
    DrawImageObjectPart(Canvas->Canvas(), Rect(0, 0, 4, 4), Rect(0, 0, 4, 4), Image.get());
    EXPECT_EQ(BoundsOf(Canvas.get(), clRed), Rect(0, 0, 4, 4));

    Canvas = SolidBitmap(40, 40, clBlack, pf32bit);
    Canvas->Canvas()->Brush()->SetColor(clBlue);
    for (TXImageObject* Nothing : {static_cast<TXImageObject*>(nullptr), Empty.get()}) {
        DrawImageObject(Canvas->Canvas(), 0, 0, Nothing);
        StretchDrawImageObject(Canvas->Canvas(), Rect(0, 0, 40, 40), Nothing, nullptr);
        DrawImageObjectWithOpacity(Canvas->Canvas(), Rect(0, 0, 40, 40), 10, Nothing, nullptr);
        DrawImageObjectFitted(Canvas->Canvas(), Rect(0, 0, 10, 10), Nothing, nullptr);
    }
    // Only the fitted form fills, and only for an object that exists.
    EXPECT_EQ(BoundsOf(Canvas.get(), clBlue), Rect(0, 0, 10, 10));
    EXPECT_EQ(BoundsOf(Canvas.get(), clBlack), Rect(0, 0, 40, 40));
}

TEST_F(ImageObjectDrawTest, IconsDrawFromTheirStream)
{
    auto Image = Owned(TXImageObject::Create());
    auto File = StreamOf(IconFile({{16, clRed}, {32, clBlue}}));
    ASSERT_TRUE(Image->LoadFromStream("TIcon", File.get()));
    auto Canvas = SolidBitmap(40, 40, clBlack, pf32bit);
    // The entry is chosen by the rectangle's size, and a smaller one is stretched.
    StretchDrawImageObject(Canvas->Canvas(), Rect(0, 0, 32, 32), Image.get(), DefaultKernel());
    EXPECT_EQ(BoundsOf(Canvas.get(), clBlue), Rect(0, 0, 32, 32));
    Canvas = SolidBitmap(40, 40, clBlack, pf32bit);
    StretchDrawImageObject(Canvas->Canvas(), Rect(0, 0, 30, 30), Image.get(), DefaultKernel());
    EXPECT_EQ(BoundsOf(Canvas.get(), clRed), Rect(0, 0, 30, 30));
    Canvas = SolidBitmap(40, 40, clBlack, pf32bit);
    DrawImageObjectWithOpacity(Canvas->Canvas(), Rect(0, 0, 16, 16), 1, Image.get(), nullptr);
    EXPECT_EQ(BoundsOf(Canvas.get(), clRed), Rect(0, 0, 16, 16));
}

TEST_F(ImageObjectDrawTest, ItemsDrawTheirThumbnailWhenTheyHaveOne)
{
    auto Red = SolidBitmap(8, 8, clRed);
    auto Blue = SolidBitmap(8, 8, clBlue);
    auto Items = Owned(TXThnImageCollection::Create(nullptr));
    TXThnImageItem* Item = Items->Add();
    ASSERT_TRUE(Item->Data()->LoadFromObject(Red.get()));
    auto Canvas = SolidBitmap(20, 20, clBlack, pf32bit);
    DrawItemImageFitted(Canvas->Canvas(), Rect(0, 0, 20, 20), Item, nullptr);
    EXPECT_EQ(BoundsOf(Canvas.get(), clRed), Rect(6, 6, 14, 14));
    ASSERT_TRUE(Item->Thn()->LoadFromObject(Blue.get()));
    StretchDrawItemImage(Canvas->Canvas(), Rect(0, 0, 20, 20), Item, nullptr);
    EXPECT_EQ(BoundsOf(Canvas.get(), clBlue), Rect(0, 0, 20, 20));
}

TEST_F(ImageObjectDrawTest, FramedObjectIsShrunkInsideItsFrame)
{
    auto Red = SolidBitmap(40, 20, clRed);
    auto Image = ImageObjectOf(Red.get());
    auto Canvas = SolidBitmap(30, 30, clBlack, pf32bit);
    Canvas->Canvas()->Brush()->SetColor(clWhite);
    DrawFramedImageObject(Canvas->Canvas(), Rect(0, 0, 22, 22), Image.get(), clLime, clBlue, nullptr);
    EXPECT_EQ(BoundsOf(Canvas.get(), clRed), Rect(1, 6, 21, 16));
    EXPECT_EQ(PixelAt(Canvas.get(), 0, 5), clLime);
    EXPECT_EQ(PixelAt(Canvas.get(), 21, 16), clBlue);
    EXPECT_EQ(PixelAt(Canvas.get(), 10, 2), clWhite);
}

TEST_F(ImageObjectDrawTest, OpacityAppliesToPngOnly)
{
    auto Red = SolidBitmap(4, 4, clRed);
    auto Png = Owned(TPngImage::Create());
    Png->Assign(Red.get());
    struct {
        TGraphic* Graphic;
        TColor Expected;
    } const Cases[] = {{Png.get(), RGB(255, 127, 127)}, {Red.get(), clRed}};
    for (const auto& Case : Cases) {
        auto Image = ImageObjectOf(Case.Graphic);
        auto Canvas = SolidBitmap(8, 8, clWhite, pf32bit);
        DrawImageObjectWithOpacity(Canvas->Canvas(), Rect(0, 0, 8, 8), 127, Image.get(), DefaultKernel());
        EXPECT_LE(ChannelDelta(PixelAt(Canvas.get(), 4, 4), Case.Expected), 2);
    }
}

}  // namespace

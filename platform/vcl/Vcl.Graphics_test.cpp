// Fonts, canvases (exact shapes, images, text), bitmaps and BMP files, icons, pictures.
#include "Vcl.Graphics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "Vcl.Imaging.Jpeg.h"
#include "Vcl.Imaging.PngImage.h"
#include "Vcl.SystemFonts.h"
#include "Vcl.TestImages.h"
#include "Win.Display.h"

namespace {

// ---- Fonts, pens, brushes ----------------------------------------------------------------

struct TChangeCounter {
    int Count = 0;
    void Changed(TObject*) { ++Count; }
};

TEST(FontTest, SizeAndHeightFollowEachOtherAtTheFontsResolution)
{
    auto Font = Owned(TFont::Create());
    EXPECT_EQ(Font->Size(), 8);
    const std::pair<int, int> Cases[] = {{8, -11}, {9, -12}, {10, -13}, {12, -16}};
    for (auto [Size, Height] : Cases) {
        Font->SetSize(Size);
        EXPECT_EQ(Font->Height(), Height) << Size;
        EXPECT_EQ(Font->Size(), Size);
    }
    auto Printer = Owned(TFont::Create());
    Printer->SetPixelsPerInch(300);
    Printer->Assign(Font.get());
    EXPECT_EQ(Printer->Size(), 12);
    EXPECT_EQ(Printer->Height(), -50);
}

TEST(FontTest, SettersTellTheOwnerOnlyOfChanges)
{
    TChangeCounter Counter;
    auto Font = Owned(TFont::Create());
    Font->SetOnChange(TNotifyEvent::Bind<&TChangeCounter::Changed>(&Counter));
    Font->SetName("DejaVu Sans");
    Font->SetName("DejaVu Sans");
    Font->SetStyle({fsBold});
    Font->SetStyle({fsBold});
    Font->SetColor(clRed);
    EXPECT_EQ(Counter.Count, 3);
    EXPECT_EQ(GetPropText(Font.get(), "Style"), "[fsBold]");
    EXPECT_EQ(GetPropText(Font.get(), "Name"), "DejaVu Sans");
    EXPECT_FALSE(IsStoredProp(Font.get(), "Size"));
}

// The machine's fonts are the ones the dependencies install (DejaVu, Liberation, Carlito).
TEST(FontTest, TheDesktopFontsAreInstalledFacesAtNinePoints)
{
    std::vector<String> Families = InstalledFontFamilies();
    ASSERT_FALSE(Families.empty());
    for (size_t I = 1; I < Families.size(); ++I)
        EXPECT_LT(CompareText(Families[I - 1], Families[I]), 0) << "sorted and each once: " << Families[I];
    EXPECT_NE(std::find(Families.begin(), Families.end(), "DejaVu Sans"), Families.end());
    EXPECT_NE(std::find(Families.begin(), Families.end(), "DejaVu Sans Condensed"), Families.end())
        << "a face's second family name is listed too";

    TNonClientMetrics Metrics;
    ASSERT_TRUE(GetNonClientMetrics(Metrics));
    EXPECT_NE(std::find(Families.begin(), Families.end(), Metrics.MessageFont.Name), Families.end())
        << Metrics.MessageFont.Name;
    EXPECT_EQ(Metrics.MessageFont.Size, 9);
    EXPECT_EQ(Metrics.MessageFont.Style, TFontStyles{});
    EXPECT_EQ(Metrics.CaptionFont.Name, Metrics.MessageFont.Name);
    EXPECT_EQ(Metrics.CaptionWidth, GetSystemMetrics(SM_CXSIZE));
    EXPECT_EQ(Metrics.CaptionHeight, GetSystemMetrics(SM_CYCAPTION));
}

TEST(ColorTest, SystemColoursResolveToTheCurrentTable)
{
    TColor Old = GetSysColor(COLOR_BTNFACE);
    SetSysColor(COLOR_BTNFACE, RGB(1, 2, 3));
    EXPECT_EQ(ColorToRGB(clBtnFace), RGB(1, 2, 3));
    EXPECT_EQ(ColorToRGB(clRed), clRed);
    auto Bitmap = WhiteBitmap(2, 2);
    Bitmap->Canvas()->Brush()->SetColor(clBtnFace);
    Bitmap->Canvas()->FillRect(Rect(0, 0, 2, 2));
    EXPECT_EQ(PixelAt(Bitmap.get(), 1, 1), RGB(1, 2, 3));
    SetSysColor(COLOR_BTNFACE, Old);
}

// ---- Canvas shapes -----------------------------------------------------------------------

struct TShapeCase {
    const char* Name;
    std::function<void(TCanvas*)> Draw;
    std::vector<String> Expected;
};

const TShapeCase kShapes[] = {
    {"FillRectExcludesRightAndBottom", [](TCanvas* C) { C->Brush()->SetColor(clBlack); C->FillRect(Rect(1, 1, 4, 3)); },
     {"......", ".###..", ".###..", "......"}},
    {"LineLeavesOutItsEndPoint", [](TCanvas* C) { C->MoveTo(0, 1); C->LineTo(5, 1); },
     {"......", "#####.", "......", "......"}},
    {"DiagonalLine", [](TCanvas* C) { C->MoveTo(0, 0); C->LineTo(4, 4); },
     {"#.....", ".#....", "..#...", "...#..", "......"}},
    {"RectangleOutlineWithClearBrush",
     [](TCanvas* C) { C->Brush()->SetStyle(bsClear); C->Rectangle(0, 0, 5, 4); },
     {"#####.", "#...#.", "#...#.", "#####.", "......"}},
    {"RectangleWithoutPenFillsOneLess",
     [](TCanvas* C) { C->Pen()->SetStyle(psClear); C->Brush()->SetColor(clBlack); C->Rectangle(0, 0, 4, 3); },
     {"###...", "###...", "......", "......"}},
    {"FrameRect", [](TCanvas* C) { C->Brush()->SetColor(clBlack); C->FrameRect(Rect(1, 0, 5, 4)); },
     {".####.", ".#..#.", ".#..#.", ".####.", "......"}},
    {"PolygonFilledAndOutlined",
     [](TCanvas* C) {
         C->Brush()->SetColor(clBlack);
         const TPoint P[] = {{0, 0}, {4, 0}, {0, 4}};
         C->Polygon(P);
     },
     {"#####.", "####..", "###...", "##....", "#.....", "......"}},
    {"DottedLineSkipsEveryThreePixels",
     [](TCanvas* C) { C->Pen()->SetStyle(psDot); C->MoveTo(0, 0); C->LineTo(12, 0); },
     {"###...###...", "............"}},
    {"VerticalHatch",
     [](TCanvas* C) { C->Brush()->SetStyle(bsVertical); C->Brush()->SetColor(clBlack); C->FillRect(Rect(0, 0, 10, 2)); },
     {"....#.....", "....#....."}},
    {"EllipseStaysInsideItsBox",
     [](TCanvas* C) { C->Brush()->SetColor(clBlack); C->Ellipse(1, 1, 6, 6); },
     {".......", "..###..", ".#####.", ".#####.", ".#####.", "..###..", "......."}},
};

class CanvasShapeTest : public ::testing::TestWithParam<TShapeCase> {};

TEST_P(CanvasShapeTest, DrawsTheExactPixels)
{
    const TShapeCase& Case = GetParam();
    auto Bitmap = WhiteBitmap(int(Case.Expected[0].size()), int(Case.Expected.size()));
    Case.Draw(Bitmap->Canvas());
    EXPECT_EQ(Grid(Bitmap.get()), Case.Expected);
}

INSTANTIATE_TEST_SUITE_P(Shapes, CanvasShapeTest, ::testing::ValuesIn(kShapes),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(CanvasTest, WidePensAndBitmapBrushes)
{
    auto Bitmap = WhiteBitmap(20, 20);
    TCanvas* C = Bitmap->Canvas();
    C->Pen()->SetWidth(5);
    C->MoveTo(2, 10);
    C->LineTo(17, 10);
    for (int Y = 8; Y <= 12; ++Y)
        EXPECT_EQ(PixelAt(Bitmap.get(), 10, Y), clBlack) << Y;
    EXPECT_EQ(PixelAt(Bitmap.get(), 10, 14), clWhite);

    auto Checker = WhiteBitmap(2, 2);
    Checker->Canvas()->SetPixels(0, 0, clRed);
    Checker->Canvas()->SetPixels(1, 1, clRed);
    C->Brush()->SetBitmap(Checker.get());
    C->FillRect(Rect(0, 0, 4, 4));
    EXPECT_EQ(C->Pixels(2, 2), clRed);
    EXPECT_EQ(C->Pixels(3, 2), clWhite);
    EXPECT_EQ(C->Pixels(30, 2), clNone);
}

// A canvas over memory of its own, as a window's: its (0, 0) at Origin, drawing clipped.
class TMemoryCanvas : public TCanvas {
    X_CLASS(TMemoryCanvas, TCanvas)
public:
    std::vector<uint8_t> Bits = std::vector<uint8_t>(6 * 4 * 4, 0xFF);
    int Acquires = 0;
    int Releases = 0;
    bool Changed = false;

protected:
    TMemoryCanvas() = default;
    bool AcquireTarget(TCanvasTarget& ATarget) override
    {
        ++Acquires;
        ATarget = TCanvasTarget{Bits.data(), 6, 4, 24, Point(2, 1), Rect(-1, 0, 2, 2)};
        return true;
    }
    void ReleaseTarget(bool AChanged) override
    {
        ++Releases;
        Changed |= AChanged;
    }
};

TEST(CanvasTest, TargetsPlaceTheCanvasAtTheirOriginAndClipIt)
{
    auto Canvas = Owned(TMemoryCanvas::Create());
    Canvas->Brush()->SetColor(clBlack);
    Canvas->FillRect(Rect(-5, -5, 10, 10));
    std::vector<String> Rows;
    for (int Y = 0; Y < 4; ++Y) {
        String Row;
        for (int X = 0; X < 6; ++X)
            Row += Canvas->Bits[size_t(Y) * 24 + size_t(X) * 4] == 0 ? '#' : '.';
        Rows.push_back(Row);
    }
    EXPECT_EQ(Rows, (std::vector<String>{"......", ".###..", ".###..", "......"}));
    EXPECT_EQ(Canvas->ClipRect(), Rect(-1, 0, 2, 2));
    EXPECT_EQ(Canvas->Pixels(0, 0), clBlack);
    EXPECT_EQ(Canvas->Pixels(2, 0), clNone);   // outside the clip
    EXPECT_TRUE(Canvas->Changed);
    EXPECT_EQ(Canvas->Releases, Canvas->Acquires);
}

// ---- Bitmaps -----------------------------------------------------------------------------

class BitmapFormatTest : public ::testing::TestWithParam<TPixelFormat> {};

TEST_P(BitmapFormatTest, ScanLinesAndCanvasSeeEachOthersPixels)
{
    auto Bitmap = WhiteBitmap(3, 2, GetParam());
    int Bpp = GetParam() == pf32bit ? 4 : 3;
    EXPECT_EQ(Bitmap->BytesPerPixel(), Bpp);
    Bitmap->Canvas()->SetPixels(1, 0, RGB(10, 20, 30));
    auto* Top = static_cast<uint8_t*>(Bitmap->ScanLine(0));
    EXPECT_EQ(Top[Bpp], 30);   // blue first
    EXPECT_EQ(Top[Bpp + 2], 10);
    auto* Bottom = static_cast<uint8_t*>(Bitmap->ScanLine(1));
    Bottom[2 * Bpp] = 0;
    Bottom[2 * Bpp + 1] = 0;
    Bottom[2 * Bpp + 2] = 255;
    EXPECT_EQ(Bitmap->Canvas()->Pixels(2, 1), clRed);
    EXPECT_EQ(Bitmap->Canvas()->Pixels(0, 0), clWhite);
    EXPECT_THROW(Bitmap->ScanLine(2), EInvalidGraphicOperation);
    EXPECT_THROW(Bitmap->ScanLine(-1), EInvalidGraphicOperation);
}

TEST_P(BitmapFormatTest, ResizingAndConvertingKeepThePicture)
{
    auto Bitmap = WhiteBitmap(2, 2, GetParam());
    Bitmap->Canvas()->SetPixels(1, 1, clBlue);
    Bitmap->SetSize(3, 3);
    EXPECT_EQ(PixelAt(Bitmap.get(), 1, 1), clBlue);
    EXPECT_EQ(PixelAt(Bitmap.get(), 2, 2), clWhite);
    Bitmap->SetPixelFormat(GetParam() == pf32bit ? pf24bit : pf32bit);
    EXPECT_EQ(PixelAt(Bitmap.get(), 1, 1), clBlue);
    EXPECT_EQ(Bitmap->Canvas()->Pixels(1, 1), clBlue);
    // Through an empty width and back: nothing is left to keep.
    Bitmap->SetWidth(0);
    EXPECT_TRUE(Bitmap->Empty());
    Bitmap->SetWidth(2);
    EXPECT_EQ(PixelAt(Bitmap.get(), 1, 1), clWhite);
}

TEST_P(BitmapFormatTest, BmpFilesRoundTrip)
{
    auto Bitmap = WhiteBitmap(5, 3, GetParam());   // 5 pixels: 24-bit rows need padding
    Bitmap->Canvas()->SetPixels(4, 2, RGB(1, 2, 3));
    Bitmap->Canvas()->SetPixels(0, 0, clRed);
    auto Stream = Owned(TMemoryStream::Create());
    Bitmap->SaveToStream(Stream.get());
    Stream->SetPosition(0);
    auto Loaded = Owned(TBitmap::Create());
    Loaded->LoadFromStream(Stream.get());
    EXPECT_EQ(Loaded->PixelFormat(), GetParam());
    ASSERT_EQ(Loaded->Width(), 5);
    ASSERT_EQ(Loaded->Height(), 3);
    EXPECT_EQ(PixelAt(Loaded.get(), 4, 2), RGB(1, 2, 3));
    EXPECT_EQ(PixelAt(Loaded.get(), 0, 0), clRed);
    EXPECT_EQ(PixelAt(Loaded.get(), 2, 1), clWhite);
}

INSTANTIATE_TEST_SUITE_P(Formats, BitmapFormatTest, ::testing::Values(pf24bit, pf32bit),
                         [](const auto& AInfo) { return AInfo.param == pf24bit ? "Bits24" : "Bits32"; });

TEST(BitmapTest, ReadsBmpFilesOfOtherWriters)
{
    TTestImages Images;
    const char* Source = "-size 7x5 gradient:red-blue -fill lime -draw 'point 0,0'";
    auto Reference = Owned(TBitmap::Create());
    Reference->LoadFromFile(Images.Make("r.bmp", String(Source) + " -type truecolor", "BMP3"));
    const std::tuple<const char*, const char*, const char*> Variants[] = {
        {"palette.bmp", " -type palette", "BMP3"},
        {"alpha.bmp", " -alpha set", "BMP"},
        {"rgb565.bmp", " -define bmp:subtype=RGB565", "BMP"},
    };
    for (auto [Name, Options, Format] : Variants) {
        auto Bitmap = Owned(TBitmap::Create());
        Bitmap->LoadFromFile(Images.Make(Name, String(Source) + Options, Format));
        ASSERT_EQ(Bitmap->Width(), 7) << Name;
        ASSERT_EQ(Bitmap->Height(), 5) << Name;
        int Tolerance = String(Name) == "rgb565.bmp" ? 8 : 0;
        for (int Y = 0; Y < 5; ++Y)
            for (int X = 0; X < 7; ++X)
                EXPECT_LE(ChannelDelta(PixelAt(Bitmap.get(), X, Y), PixelAt(Reference.get(), X, Y)), Tolerance)
                    << Name << " " << X << "," << Y;
    }
    EXPECT_EQ(PixelAt(Reference.get(), 0, 0), clLime);
}

TEST(BitmapTest, DamagedBmpFilesRaiseAndLeaveTheBitmapAsItWas)
{
    auto Good = WhiteBitmap(4, 4);
    auto Stream = Owned(TMemoryStream::Create());
    Good->SaveToStream(Stream.get());
    TBytes File = BytesOf(Stream.get());
    auto Patched = [&File](size_t AAt, std::initializer_list<uint8_t> ABytes) {
        TBytes B = File;
        std::copy(ABytes.begin(), ABytes.end(), B.begin() + AAt);
        return B;
    };
    const std::pair<const char*, TBytes> Cases[] = {
        {"Empty", {}},
        {"CutInFileHeader", TBytes(File.begin(), File.begin() + 10)},
        {"CutInInfoHeader", TBytes(File.begin(), File.begin() + 30)},
        {"CutInPixels", TBytes(File.begin(), File.end() - 5)},
        {"NotBmp", Patched(0, {'X', 'Y'})},
        {"HugeWidth", Patched(18, {0xFF, 0xFF, 0xFF, 0x7F})},
        {"NegativeWidth", Patched(18, {0xFF, 0xFF, 0xFF, 0xFF})},
        {"HugeArea", Patched(18, {0xDC, 0xFF, 0, 0, 0xDC, 0xFF, 0, 0})},
        {"WiderThanDrawable", Patched(18, {0x40, 0x9C, 0, 0, 1, 0, 0, 0})},
        {"RunLengthEncoded", Patched(30, {1})},
        {"TwoBitsPerPixel", Patched(28, {2})},
        {"PixelsPastTheEnd", Patched(10, {0xF0, 0xFF, 0, 0})},
    };
    auto Bitmap = WhiteBitmap(2, 2);
    Bitmap->Canvas()->SetPixels(0, 0, clRed);
    for (const auto& [Name, Bytes] : Cases) {
        auto Input = StreamOf(Bytes);
        EXPECT_THROW(Bitmap->LoadFromStream(Input.get()), EInvalidGraphic) << Name;
        EXPECT_EQ(Bitmap->Width(), 2) << Name;
        EXPECT_EQ(PixelAt(Bitmap.get(), 0, 0), clRed) << Name;
    }
}

// ---- Canvas images -----------------------------------------------------------------------

TEST(CanvasTest, DrawStretchAndCopyPlaceImagesExactly)
{
    auto Tile = WhiteBitmap(2, 2);
    Tile->Canvas()->SetPixels(0, 0, clRed);
    Tile->Canvas()->SetPixels(1, 1, clBlue);
    auto Target = WhiteBitmap(8, 8, pf32bit);
    Target->Canvas()->Draw(5, 5, Tile.get());
    EXPECT_EQ(PixelAt(Target.get(), 5, 5), clRed);
    EXPECT_EQ(PixelAt(Target.get(), 6, 6), clBlue);
    EXPECT_EQ(PixelAt(Target.get(), 7, 7), clWhite);

    Target->Canvas()->StretchDraw(Rect(0, 0, 4, 4), Tile.get());
    EXPECT_EQ(PixelAt(Target.get(), 0, 0), clRed);
    EXPECT_EQ(PixelAt(Target.get(), 3, 3), clBlue);

    // A copy within one canvas reads the pixels as they were before it.
    Target->Canvas()->CopyRect(Rect(1, 1, 5, 5), Target->Canvas(), Rect(0, 0, 4, 4));
    EXPECT_EQ(PixelAt(Target.get(), 1, 1), clRed);
    EXPECT_EQ(PixelAt(Target.get(), 4, 4), clBlue);

    auto Other = WhiteBitmap(3, 3);
    Other->Canvas()->CopyRect(Rect(0, 0, 1, 1), Tile->Canvas(), Rect(1, 1, 2, 2));
    EXPECT_EQ(PixelAt(Other.get(), 0, 0), clBlue);
    EXPECT_EQ(PixelAt(Other.get(), 1, 1), clWhite);
}

TEST(CanvasTest, TransparentColourAndAlphaAreHonouredWhenDrawing)
{
    auto Keyed = WhiteBitmap(2, 1);
    Keyed->Canvas()->SetPixels(0, 0, clLime);
    Keyed->SetTransparent(true);
    Keyed->SetTransparentColor(clWhite);
    auto Target = WhiteBitmap(2, 1);
    Target->Canvas()->Brush()->SetColor(clBlack);
    Target->Canvas()->FillRect(Rect(0, 0, 2, 1));
    Target->Canvas()->Draw(0, 0, Keyed.get());
    EXPECT_EQ(PixelAt(Target.get(), 0, 0), clLime);
    EXPECT_EQ(PixelAt(Target.get(), 1, 0), clBlack);

    auto Translucent = Owned(TBitmap::Create());
    Translucent->SetPixelFormat(pf32bit);
    Translucent->SetSize(1, 1);
    auto* P = static_cast<uint8_t*>(Translucent->ScanLine(0));
    P[0] = 0, P[1] = 0, P[2] = 255, P[3] = 128;
    auto White = WhiteBitmap(1, 1);
    White->Canvas()->Draw(0, 0, Translucent.get());
    EXPECT_EQ(PixelAt(White.get(), 0, 0), clRed);   // alpha ignored by default
    Translucent->SetAlphaFormat(afDefined);
    White = WhiteBitmap(1, 1);
    White->Canvas()->Draw(0, 0, Translucent.get());
    EXPECT_LE(ChannelDelta(PixelAt(White.get(), 0, 0), RGB(255, 127, 127)), 2);
}

// ---- Text --------------------------------------------------------------------------------

TOwned<TBitmap> TextBitmap(int AWidth, int AHeight)
{
    auto Bitmap = WhiteBitmap(AWidth, AHeight);
    Bitmap->Canvas()->Font()->SetName("DejaVu Sans");
    Bitmap->Canvas()->Font()->SetHeight(-11);
    return Bitmap;
}

// The box of the pixels that are not white; empty when there are none.
TRect InkBox(TBitmap* ABitmap)
{
    TRect Box{ABitmap->Width(), ABitmap->Height(), 0, 0};
    for (int Y = 0; Y < ABitmap->Height(); ++Y)
        for (int X = 0; X < ABitmap->Width(); ++X)
            if (PixelAt(ABitmap, X, Y) != clWhite)
                Box = Rect(std::min(Box.Left, X), std::min(Box.Top, Y), std::max(Box.Right, X + 1), std::max(Box.Bottom, Y + 1));
    return Box.Right > Box.Left ? Box : TRect{};
}

TEST(CanvasTextTest, ExtentsFollowTheFont)
{
    auto Bitmap = TextBitmap(10, 10);
    TCanvas* C = Bitmap->Canvas();
    TSize Hello = C->TextExtent("Hello");
    EXPECT_GE(Hello.cy, 12);
    EXPECT_LE(Hello.cy, 15);
    EXPECT_GE(Hello.cx, 25);
    EXPECT_LE(Hello.cx, 35);
    EXPECT_EQ(C->TextWidth(""), 0);
    EXPECT_GT(C->TextWidth("Hello Hello"), 2 * Hello.cx);
    C->Font()->SetStyle({fsBold});
    EXPECT_GT(C->TextWidth("Hello"), Hello.cx);
    C->Font()->SetStyle({});
    C->Font()->SetSize(20);
    EXPECT_GT(C->TextHeight("Hello"), 2 * Hello.cy);
    // A canvas without pixels measures as one with them.
    auto Plain = Owned(TCanvas::Create());
    Plain->Font()->Assign(C->Font());
    EXPECT_EQ(Plain->TextExtent("Hello"), C->TextExtent("Hello"));
}

TEST(CanvasTextTest, TextOutDrawsInItsCellInTheFontColour)
{
    auto Bitmap = TextBitmap(80, 30);
    TCanvas* C = Bitmap->Canvas();
    C->Font()->SetColor(clRed);
    C->Brush()->SetStyle(bsClear);
    C->TextOut(10, 5, "Hello");
    TSize Extent = C->TextExtent("Hello");
    TRect Ink = InkBox(Bitmap.get());
    EXPECT_GE(Ink.Left, 10);
    EXPECT_GE(Ink.Top, 5);
    EXPECT_LE(Ink.Right, 10 + Extent.cx + 1);
    EXPECT_LE(Ink.Bottom, 5 + Extent.cy);
    EXPECT_GT(Ink.Width(), Extent.cx / 2);
    EXPECT_EQ(C->PenPos(), Point(10 + Extent.cx, 5));
    bool SawRed = false;
    for (int Y = Ink.Top; Y < Ink.Bottom; ++Y)
        for (int X = Ink.Left; X < Ink.Right; ++X)
            SawRed |= GetRValue(PixelAt(Bitmap.get(), X, Y)) == 255 && GetGValue(PixelAt(Bitmap.get(), X, Y)) < 100;
    EXPECT_TRUE(SawRed);

    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(clBlue);
    C->TextOut(0, 0, "x");
    EXPECT_EQ(PixelAt(Bitmap.get(), 0, 0), clBlue);   // the cell's background
}

TEST(CanvasTextTest, FormattedTextIsMeasuredAlignedCutAndWrapped)
{
    auto Bitmap = TextBitmap(200, 60);
    TCanvas* C = Bitmap->Canvas();
    C->Brush()->SetStyle(bsClear);
    TSize Extent = C->TextExtent("File");

    TRect Calc = Rect(5, 5, 5, 5);
    C->TextRect(Calc, "&File", {tfCalcRect, tfSingleLine});
    EXPECT_EQ(Calc, Rect(5, 5, 5 + Extent.cx, 5 + Extent.cy));
    EXPECT_EQ(InkBox(Bitmap.get()), TRect{});   // measuring draws nothing

    TRect Wrapped = Rect(0, 0, Extent.cx * 2, 0);
    C->TextRect(Wrapped, "File File File File", {tfCalcRect, tfWordBreak});
    EXPECT_GE(Wrapped.Height(), 2 * Extent.cy);
    EXPECT_LE(Wrapped.Width(), Extent.cx * 2);

    TRect Centred = Rect(0, 0, 200, 60);
    C->TextRect(Centred, "File", {tfCenter, tfVerticalCenter, tfSingleLine});
    TRect Ink = InkBox(Bitmap.get());
    EXPECT_NEAR((Ink.Left + Ink.Right) / 2.0, 100, 3);
    EXPECT_NEAR((Ink.Top + Ink.Bottom) / 2.0, 30, 4);

    auto Narrow = TextBitmap(40, 20);
    TRect Cut = Rect(0, 0, 30, 20);
    Narrow->Canvas()->Brush()->SetStyle(bsClear);
    Narrow->Canvas()->TextRect(Cut, "A long caption that does not fit", {tfEndEllipsis, tfSingleLine});
    TRect CutInk = InkBox(Narrow.get());
    EXPECT_LE(CutInk.Right, 30);
    EXPECT_GT(CutInk.Width(), 10);
}

// ---- Icons -------------------------------------------------------------------------------

TEST(IconTest, PicksTheEntryNearestToTheRequestedSize)
{
    TTestImages Images;
    String File = Images.Make("multi.ico", "-size 48x48 xc:red -define icon:auto-resize=48,32,16");
    const std::pair<TSize, int> Cases[] = {{{32, 32}, 32}, {{16, 16}, 16}, {{20, 20}, 16}, {{100, 100}, 48}, {{40, 40}, 48}};
    for (auto [Requested, Expected] : Cases) {
        auto Icon = Owned(TIcon::Create());
        Icon->SetSize(Requested.cx, Requested.cy);
        Icon->LoadFromFile(File);
        EXPECT_EQ(Icon->Width(), Expected) << Requested.cx;
        EXPECT_EQ(Icon->Height(), Expected);
    }
    auto Default = Owned(TIcon::Create());
    Default->LoadFromFile(File);
    EXPECT_EQ(Default->Width(), 32);
    EXPECT_EQ(PixelAt(Default->Image(), 5, 5), clRed);
}

TEST(IconTest, MasksAlphaAndPngEntriesMakeTransparency)
{
    TTestImages Images;
    const char* Shape = "-size 16x16 xc:none -fill blue -draw 'rectangle 0,0 7,15'";
    const std::pair<const char*, String> Files[] = {
        {"Mask", Images.Make("mask.ico", String(Shape) + " -depth 8 -type palettematte -colors 2")},
        {"Alpha", Images.Make("alpha.ico", String(Shape))},
        {"Png", Images.Make("png.ico", "-size 256x256 xc:none -fill blue -draw 'rectangle 0,0 127,255'")},
    };
    for (const auto& [Name, File] : Files) {
        auto Icon = Owned(TIcon::Create());
        Icon->SetSize(256, 256);
        Icon->LoadFromFile(File);
        auto Target = WhiteBitmap(Icon->Width(), Icon->Height());
        Target->Canvas()->Draw(0, 0, Icon.get());
        EXPECT_EQ(PixelAt(Target.get(), 0, 0), clBlue) << Name;
        EXPECT_EQ(PixelAt(Target.get(), Icon->Width() - 1, 0), clWhite) << Name;
    }
}

TEST(IconTest, SavesTheLoadedFileOrOneEntryMadeFromABitmap)
{
    auto Bitmap = WhiteBitmap(8, 8, pf32bit);
    Bitmap->Canvas()->SetPixels(1, 1, clRed);
    for (int Y = 0; Y < 8; ++Y)
        static_cast<uint8_t*>(Bitmap->ScanLine(Y))[3] = 0;   // column 0 transparent
    for (int Y = 0; Y < 8; ++Y)
        for (int X = 1; X < 8; ++X)
            static_cast<uint8_t*>(Bitmap->ScanLine(Y))[4 * X + 3] = 255;
    Bitmap->SetAlphaFormat(afDefined);
    auto Icon = Owned(TIcon::Create());
    Icon->Assign(Bitmap.get());
    auto Saved = Owned(TMemoryStream::Create());
    Icon->SaveToStream(Saved.get());
    auto Loaded = Owned(TIcon::Create());
    Saved->SetPosition(0);
    Loaded->LoadFromStream(Saved.get());
    ASSERT_EQ(Loaded->Width(), 8);
    EXPECT_EQ(PixelAt(Loaded->Image(), 1, 1), clRed);
    EXPECT_EQ(static_cast<uint8_t*>(Loaded->Image()->ScanLine(3))[3], 0);
    auto Again = Owned(TMemoryStream::Create());
    Loaded->SaveToStream(Again.get());
    EXPECT_EQ(BytesOf(Again.get()), BytesOf(Saved.get()));
}

TEST(IconTest, DamagedIconFilesRaise)
{
    TTestImages Images;
    TBytes File = TTestImages::Read(Images.Make("i.ico", "-size 16x16 xc:red -type truecolor"));
    auto Patched = [&File](size_t AAt, std::initializer_list<uint8_t> ABytes) {
        TBytes B = File;
        std::copy(ABytes.begin(), ABytes.end(), B.begin() + AAt);
        return B;
    };
    const std::pair<const char*, TBytes> Cases[] = {
        {"Empty", {}},
        {"CutInDirectory", TBytes(File.begin(), File.begin() + 12)},
        {"CutInImage", TBytes(File.begin(), File.begin() + 40)},
        {"NoEntries", Patched(4, {0, 0})},
        {"EntryPastTheEnd", Patched(18, {0xFF, 0xFF, 0, 0})},
        {"HugeHeader", Patched(22 + 4, {0xFF, 0xFF, 0xFF, 0x7F})},
    };
    for (const auto& [Name, Bytes] : Cases) {
        auto Icon = Owned(TIcon::Create());
        auto Input = StreamOf(Bytes);
        EXPECT_THROW(Icon->LoadFromStream(Input.get()), EInvalidGraphic) << Name;
        EXPECT_TRUE(Icon->Empty()) << Name;
    }
}

// ---- Pictures ----------------------------------------------------------------------------

TEST(PictureTest, FilesChooseTheGraphicByExtensionAndStreamsByContent)
{
    TTestImages Images;
    const std::pair<const char*, TClass> Files[] = {
        {"a.bmp", TBitmap::StaticClass()},
        {"a.PNG", TPngImage::StaticClass()},
        {"a.jpg", TJPEGImage::StaticClass()},
        {"a.jpeg", TJPEGImage::StaticClass()},
        {"a.ico", TIcon::StaticClass()},
    };
    for (auto [Name, Class] : Files) {
        String File = Images.Make(Name, "-size 6x4 xc:gray");
        auto Picture = Owned(TPicture::Create());
        Picture->LoadFromFile(File);
        ASSERT_NE(Picture->Graphic(), nullptr) << Name;
        EXPECT_EQ(Picture->Graphic()->ClassType(), Class) << Name;
        EXPECT_EQ(Picture->Width(), Class == TIcon::StaticClass() ? 6 : 6) << Name;
        auto FromStream = Owned(TPicture::Create());
        auto Stream = StreamOf(TTestImages::Read(File));
        FromStream->LoadFromStream(Stream.get());
        EXPECT_EQ(FromStream->Graphic()->ClassType(), Class) << Name;
    }
}

TEST(PictureTest, FailedLoadsKeepTheGraphicAndSayWhy)
{
    TTestImages Images;
    auto Picture = Owned(TPicture::Create());
    Picture->LoadFromFile(Images.Make("keep.bmp", "-size 3x3 xc:red"));
    Images.Write("a.xyz", {1, 2, 3});
    Images.Write("cut.png", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0});
    Images.Write("a.wmf", {0xD7, 0xCD, 0xC6, 0x9A, 0, 0});
    const std::pair<const char*, const char*> Cases[] = {
        {"a.xyz", "Unknown picture file extension (.xyz)"},
        {"cut.png", "PNG image is not valid"},
        {"a.wmf", "not supported"},
    };
    for (auto [Name, Message] : Cases) {
        try {
            Picture->LoadFromFile(Images.Path(Name));
            ADD_FAILURE() << Name;
        } catch (const EInvalidGraphic& E) {
            EXPECT_NE(E.Message().find(Message), String::npos) << E.Message();
        }
        EXPECT_EQ(Picture->Graphic()->ClassType(), TBitmap::StaticClass()) << Name;
        EXPECT_EQ(Picture->Width(), 3);
    }
    auto Garbage = StreamOf({'h', 'e', 'l', 'l', 'o'});
    EXPECT_THROW(Picture->LoadFromStream(Garbage.get()), EInvalidGraphic);
    EXPECT_THROW(Picture->LoadFromFile(Images.Path("missing.bmp")), EFOpenError);
}

TEST(PictureTest, GraphicsAreCopiedForcedAndRegistered)
{
    TChangeCounter Counter;
    auto Picture = Owned(TPicture::Create());
    Picture->SetOnChange(TNotifyEvent::Bind<&TChangeCounter::Changed>(&Counter));
    auto Bitmap = WhiteBitmap(4, 2);
    Picture->SetGraphic(Bitmap.get());
    EXPECT_NE(Picture->Graphic(), Bitmap.get());
    EXPECT_EQ(Picture->Width(), 4);
    Picture->Bitmap()->Canvas()->SetPixels(0, 0, clRed);
    EXPECT_GE(Counter.Count, 2);
    EXPECT_EQ(PixelAt(Bitmap.get(), 0, 0), clWhite);   // a copy

    TGraphic* Held = Picture->Graphic();
    Picture->ForceType(TBitmap::StaticClass());
    EXPECT_EQ(Picture->Graphic(), Held);
    Picture->ForceType(TPngImage::StaticClass());
    EXPECT_EQ(Picture->Graphic()->ClassType(), TPngImage::StaticClass());
    EXPECT_TRUE(Picture->Graphic()->Empty());

    EXPECT_EQ(TPicture::FileFormatClass(".JPG"), TJPEGImage::StaticClass());
    TPicture::RegisterFileFormat("thumb", "Thumbnails", TPngImage::StaticClass());
    EXPECT_EQ(TPicture::FileFormatClass("thumb"), TPngImage::StaticClass());
    TPicture::UnregisterGraphicClass(TPngImage::StaticClass());
    EXPECT_EQ(TPicture::FileFormatClass("thumb"), nullptr);
    EXPECT_EQ(TPicture::FileFormatClass("png"), nullptr);
    TPicture::RegisterFileFormat("png", "Portable Network Graphics", TPngImage::StaticClass());
}

TEST(PictureTest, MetafilesExistButDoNotLoad)
{
    auto Metafile = Owned(TMetafile::Create());
    Metafile->SetSize(20, 10);
    EXPECT_EQ(Metafile->Width(), 20);
    auto Stream = StreamOf({1, 0, 9, 0});
    EXPECT_THROW(Metafile->LoadFromStream(Stream.get()), EInvalidGraphic);
    auto Bitmap = WhiteBitmap(2, 2);
    Bitmap->Canvas()->Draw(0, 0, Metafile.get());
    EXPECT_EQ(PixelAt(Bitmap.get(), 0, 0), clWhite);
}

}  // namespace

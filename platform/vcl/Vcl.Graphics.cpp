// Vcl.Graphics.cpp: canvases draw through cairo (shapes, images) and pango (text) on whatever
// 32-bit pixels their owner hands out; bitmaps, icons and pictures decode their own files.
#include "Vcl.Graphics.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <memory>
#include <span>
#include <tuple>

#include "Rtl.Files.h"
#include "Rtl.SafeFiles.h"
#include "Vcl.Graphics.Cairo.h"
#include "Vcl.Imaging.Jpeg.h"
#include "Vcl.Imaging.PngImage.h"

// ---- Colours -----------------------------------------------------------------------------

TColor ColorToRGB(TColor AColor)
{
    return AColor < 0 ? GetSysColor(AColor & 0xFF) : AColor;
}

namespace {

constexpr double kHlsMax = 240;

double HueToChannel(double AP, double AQ, double AHue)
{
    if (AHue < 0)
        AHue += 1;
    if (AHue > 1)
        AHue -= 1;
    if (AHue < 1.0 / 6)
        return AP + (AQ - AP) * 6 * AHue;
    if (AHue < 0.5)
        return AQ;
    if (AHue < 2.0 / 3)
        return AP + (AQ - AP) * (2.0 / 3 - AHue) * 6;
    return AP;
}

}  // namespace

TColor ColorAdjustLuma(TColor AColor, int ALuminance)
{
    TColor C = ColorToRGB(AColor);
    double R = GetRValue(C) / 255.0, G = GetGValue(C) / 255.0, B = GetBValue(C) / 255.0;
    double Max = std::max({R, G, B}), Min = std::min({R, G, B});
    double L = (Max + Min) / 2, H = 0, S = 0;
    if (Max != Min) {
        double D = Max - Min;
        S = L > 0.5 ? D / (2 - Max - Min) : D / (Max + Min);
        H = Max == R ? (G - B) / D + (G < B ? 6 : 0) : Max == G ? (B - R) / D + 2 : (R - G) / D + 4;
        H /= 6;
    }
    L = std::clamp(std::round(L * kHlsMax) + ALuminance, 0.0, kHlsMax) / kHlsMax;
    if (S == 0) {
        auto V = static_cast<uint8_t>(std::lround(L * 255));
        return RGB(V, V, V);
    }
    double Q = L < 0.5 ? L * (1 + S) : L + S - L * S;
    double P = 2 * L - Q;
    auto Channel = [&](double AHue) { return static_cast<uint8_t>(std::lround(HueToChannel(P, Q, AHue) * 255)); };
    return RGB(Channel(H + 1.0 / 3), Channel(H), Channel(H - 1.0 / 3));
}

// ---- Fonts, pens and brushes -------------------------------------------------------------

void TGraphicsObject::Changed()
{
    if (FOnChange)
        FOnChange(this);
}

// Each setter stores a changed value and tells the owner; an unchanged one does nothing.
#define X_GRAPHICS_SETTER(Class, Setter, Field, Type) \
    void Class::Setter(Type AValue)                   \
    {                                                 \
        if (Field == AValue)                          \
            return;                                   \
        Field = AValue;                               \
        Changed();                                    \
    }

X_GRAPHICS_SETTER(TFont, SetName, FName, const String&)
X_GRAPHICS_SETTER(TFont, SetHeight, FHeight, int)
X_GRAPHICS_SETTER(TFont, SetColor, FColor, TColor)
X_GRAPHICS_SETTER(TFont, SetStyle, FStyle, TFontStyles)
X_GRAPHICS_SETTER(TFont, SetPitch, FPitch, TFontPitch)
X_GRAPHICS_SETTER(TFont, SetCharset, FCharset, TFontCharset)
X_GRAPHICS_SETTER(TFont, SetQuality, FQuality, TFontQuality)
X_GRAPHICS_SETTER(TPen, SetColor, FColor, TColor)
X_GRAPHICS_SETTER(TPen, SetStyle, FStyle, TPenStyle)
X_GRAPHICS_SETTER(TPen, SetWidth, FWidth, int)
X_GRAPHICS_SETTER(TBrush, SetColor, FColor, TColor)
X_GRAPHICS_SETTER(TBrush, SetStyle, FStyle, TBrushStyle)
X_GRAPHICS_SETTER(TBrush, SetBitmap, FBitmap, TBitmap*)
#undef X_GRAPHICS_SETTER

int TFont::Size() const
{
    return -MulDiv(FHeight, 72, FPixelsPerInch);
}

void TFont::SetSize(int AValue)
{
    SetHeight(-MulDiv(AValue, FPixelsPerInch, 72));
}

void TFont::Assign(TPersistent* ASource)
{
    auto* Source = AsOrNull<TFont>(ASource);
    if (Source == nullptr)
        return inherited::Assign(ASource);
    FName = Source->FName;
    // Size, not height, travels between different resolutions, as points are what the user chose.
    FHeight = Source->FPixelsPerInch == FPixelsPerInch ? Source->FHeight
                                                       : -MulDiv(Source->Size(), FPixelsPerInch, 72);
    FColor = Source->FColor;
    FStyle = Source->FStyle;
    FPitch = Source->FPitch;
    FCharset = Source->FCharset;
    FQuality = Source->FQuality;
    Changed();
}

void TFont::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Charset", &TFont::Charset, &TFont::SetCharset).Default(DEFAULT_CHARSET);
    P.Property("Color", &TFont::Color, &TFont::SetColor).Default(clWindowText);
    P.Property("Height", &TFont::Height, &TFont::SetHeight);
    P.Property("Name", &TFont::Name, &TFont::SetName);
    P.Property("Pitch", &TFont::Pitch, &TFont::SetPitch).Default(fpDefault);
    P.Property("Size", &TFont::Size, &TFont::SetSize).Stored(false);
    P.Property("Style", &TFont::Style, &TFont::SetStyle).Default(TFontStyles{});
    P.Property("Quality", &TFont::Quality, &TFont::SetQuality).Default(fqDefault);
}

void TPen::Assign(TPersistent* ASource)
{
    auto* Source = AsOrNull<TPen>(ASource);
    if (Source == nullptr)
        return inherited::Assign(ASource);
    FColor = Source->FColor;
    FStyle = Source->FStyle;
    FWidth = Source->FWidth;
    Changed();
}

void TPen::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Color", &TPen::Color, &TPen::SetColor).Default(clBlack);
    P.Property("Style", &TPen::Style, &TPen::SetStyle).Default(psSolid);
    P.Property("Width", &TPen::Width, &TPen::SetWidth).Default(1);
}

void TBrush::Assign(TPersistent* ASource)
{
    auto* Source = AsOrNull<TBrush>(ASource);
    if (Source == nullptr)
        return inherited::Assign(ASource);
    FColor = Source->FColor;
    FStyle = Source->FStyle;
    FBitmap = Source->FBitmap;
    Changed();
}

void TBrush::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Color", &TBrush::Color, &TBrush::SetColor).Default(clWhite);
    P.Property("Style", &TBrush::Style, &TBrush::SetStyle).Default(bsSolid);
}

// ---- Drawing context ---------------------------------------------------------------------

class TCanvasAccess {
public:
    static bool Acquire(TCanvas* ACanvas, TCanvasTarget& ATarget) { return ACanvas->AcquireTarget(ATarget); }
    static void Release(TCanvas* ACanvas, bool AChanged) { ACanvas->ReleaseTarget(AChanged); }
};

class TBitmapAccess {
public:
    static uint8_t* Surface(TBitmap* ABitmap) { return ABitmap->Surface(); }
    static void SurfaceChanged(TBitmap* ABitmap) { ABitmap->SurfaceChanged(); }
};

namespace {

TSurfacePtr WrapSurface(cairo_surface_t* ASurface)
{
    return TSurfacePtr(ASurface, &cairo_surface_destroy);
}

// 32-bit pixels in memory as a cairo surface. RGB24 ignores the fourth byte, as GDI does
// when it draws and blits.
TSurfacePtr SurfaceOn(uint8_t* ABits, int AWidth, int AHeight, int AStride, cairo_format_t AFormat = CAIRO_FORMAT_RGB24)
{
    return WrapSurface(cairo_image_surface_create_for_data(ABits, AFormat, AWidth, AHeight, AStride));
}

}  // namespace

void SetSourceColor(cairo_t* ACr, TColor AColor)
{
    TColor C = ColorToRGB(AColor);
    cairo_set_source_rgb(ACr, GetRValue(C) / 255.0, GetGValue(C) / 255.0, GetBValue(C) / 255.0);
}

TDrawContext::TDrawContext(TCanvas* ACanvas) : FCanvas(ACanvas)
{
    if (!TCanvasAccess::Acquire(ACanvas, FTarget))
        return;
    FAcquired = true;
    FSurface = SurfaceOn(FTarget.Bits, FTarget.Width, FTarget.Height, FTarget.Stride);
    FCr.reset(cairo_create(FSurface.get()));
    // A target cairo cannot take (too large, a bad stride) draws nothing.
    FUsable = cairo_status(Cr()) == CAIRO_STATUS_SUCCESS;
    cairo_translate(Cr(), FTarget.Origin.X, FTarget.Origin.Y);
    const TRect& C = FTarget.Clip;
    cairo_rectangle(Cr(), C.Left, C.Top, std::max(0, C.Width()), std::max(0, C.Height()));
    cairo_clip(Cr());
    cairo_set_antialias(Cr(), CAIRO_ANTIALIAS_NONE);
}

TDrawContext::~TDrawContext()
{
    if (!FAcquired)
        return;
    FCr.reset();
    cairo_surface_flush(FSurface.get());
    FSurface.reset();
    TCanvasAccess::Release(FCanvas, FChanged);
}

namespace {

// The eight hatches of GDI as 8 x 8 tiles: which pixels of a tile the hatch covers.
bool HatchCovers(TBrushStyle AStyle, int AX, int AY)
{
    switch (AStyle) {
    case bsHorizontal: return AY == 4;
    case bsVertical: return AX == 4;
    case bsFDiagonal: return AX == AY;
    case bsBDiagonal: return AX == 7 - AY;
    case bsCross: return AX == 4 || AY == 4;
    case bsDiagCross: return AX == AY || AX == 7 - AY;
    default: return true;
    }
}

// Sets the brush as the source; False for a brush that paints nothing.
bool SetBrushSource(cairo_t* ACr, TBrush* ABrush)
{
    TBitmap* Pattern = ABrush->Bitmap();
    if (Pattern != nullptr && !Pattern->Empty()) {
        auto Tile = SurfaceOn(TBitmapAccess::Surface(Pattern), Pattern->Width(), Pattern->Height(),
                              Pattern->Width() * 4);
        cairo_set_source_surface(ACr, Tile.get(), 0, 0);
        cairo_pattern_set_extend(cairo_get_source(ACr), CAIRO_EXTEND_REPEAT);
        return true;
    }
    if (ABrush->Style() == bsClear)
        return false;
    if (ABrush->Style() == bsSolid) {
        SetSourceColor(ACr, ABrush->Color());
        return true;
    }
    TColor C = ColorToRGB(ABrush->Color());
    auto Tile = WrapSurface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8));
    uint8_t* Bits = cairo_image_surface_get_data(Tile.get());
    int Stride = cairo_image_surface_get_stride(Tile.get());
    for (int Y = 0; Y < 8; ++Y)
        for (int X = 0; X < 8; ++X) {
            uint8_t* P = Bits + Y * Stride + X * 4;
            bool On = HatchCovers(ABrush->Style(), X, Y);
            P[0] = On ? GetBValue(C) : 0;
            P[1] = On ? GetGValue(C) : 0;
            P[2] = On ? GetRValue(C) : 0;
            P[3] = On ? 255 : 0;
        }
    cairo_surface_mark_dirty(Tile.get());
    cairo_set_source_surface(ACr, Tile.get(), 0, 0);
    cairo_pattern_set_extend(cairo_get_source(ACr), CAIRO_EXTEND_REPEAT);
    return true;
}

// GDI's cosmetic dash patterns, in pixels on and off.
std::span<const int> DashPattern(TPenStyle AStyle)
{
    static const int Dash[] = {18, 6};
    static const int Dot[] = {3, 3};
    static const int DashDot[] = {9, 6, 3, 6};
    static const int DashDotDot[] = {9, 3, 3, 3, 3, 3};
    switch (AStyle) {
    case psDash: return Dash;
    case psDot: return Dot;
    case psDashDot: return DashDot;
    case psDashDotDot: return DashDotDot;
    default: return {};
    }
}

// A thin pen's line as GDI draws it: Bresenham from the first point, leaving out the last,
// each pixel a unit square of the path. The dash phase runs on across the segments.
class TThinLine {
public:
    explicit TThinLine(TPenStyle AStyle) : FPattern(DashPattern(AStyle)) {}

    void Segment(cairo_t* ACr, TPoint AFrom, TPoint ATo)
    {
        int DX = std::abs(ATo.X - AFrom.X), DY = -std::abs(ATo.Y - AFrom.Y);
        int SX = AFrom.X < ATo.X ? 1 : -1, SY = AFrom.Y < ATo.Y ? 1 : -1;
        int Error = DX + DY;
        TPoint P = AFrom;
        while (P.X != ATo.X || P.Y != ATo.Y) {
            if (PenDown())
                cairo_rectangle(ACr, P.X, P.Y, 1, 1);
            int E2 = 2 * Error;
            if (E2 >= DY) {
                Error += DY;
                P.X += SX;
            }
            if (E2 <= DX) {
                Error += DX;
                P.Y += SY;
            }
        }
    }

private:
    bool PenDown()
    {
        if (FPattern.empty())
            return true;
        bool Down = FIndex % 2 == 0;
        if (++FRun == FPattern[FIndex]) {
            FRun = 0;
            FIndex = (FIndex + 1) % FPattern.size();
        }
        return Down;
    }

    std::span<const int> FPattern;
    size_t FIndex = 0;
    int FRun = 0;
};

bool PenDraws(TPen* APen)
{
    return APen->Style() != psClear;
}

// Outlines APoints with the pen: thin pens pixel by pixel, wide ones as a cairo stroke
// through the pixel centres with round ends, as GDI's geometric pens.
void StrokePolyline(TDrawContext& AContext, TPen* APen, std::span<const TPoint> APoints, bool AClosed)
{
    if (!PenDraws(APen) || APoints.empty())
        return;
    cairo_t* Cr = AContext.Cr();
    SetSourceColor(Cr, APen->Color());
    if (APen->Width() <= 1) {
        TThinLine Line(APen->Style());
        for (size_t I = 1; I < APoints.size(); ++I)
            Line.Segment(Cr, APoints[I - 1], APoints[I]);
        if (AClosed)
            Line.Segment(Cr, APoints.back(), APoints.front());
        AContext.Fill();
        return;
    }
    for (const TPoint& P : APoints)
        cairo_line_to(Cr, P.X + 0.5, P.Y + 0.5);
    if (AClosed)
        cairo_close_path(Cr);
    cairo_set_line_width(Cr, APen->Width());
    cairo_set_line_cap(Cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(Cr, CAIRO_LINE_JOIN_ROUND);
    AContext.Stroke();
}

TRect NormalRect(int AX1, int AY1, int AX2, int AY2)
{
    return Rect(std::min(AX1, AX2), std::min(AY1, AY2), std::max(AX1, AX2), std::max(AY1, AY2));
}

// The box a wide pen's centre line runs on: inside-frame pens keep all of their width inside.
TRect PenBox(TPen* APen, const TRect& ARect)
{
    int Inset = APen->Style() == psInsideFrame && APen->Width() > 1 ? APen->Width() / 2 : 0;
    return Rect(ARect.Left + Inset, ARect.Top + Inset, ARect.Right - Inset, ARect.Bottom - Inset);
}

}  // namespace

// ---- Canvas: shapes ----------------------------------------------------------------------

void TCanvas::Construct()
{
    FFont = TFont::Create();
    FPen = TPen::Create();
    FBrush = TBrush::Create();
}

TCanvas::~TCanvas()
{
    FreeAndNil(FFont);
    FreeAndNil(FPen);
    FreeAndNil(FBrush);
}

TRect TCanvas::ClipRect()
{
    TCanvasTarget Target;
    if (!TCanvasAccess::Acquire(this, Target))
        return TRect{};
    TCanvasAccess::Release(this, false);
    return Target.Clip;
}

void TCanvas::LineTo(int AX, int AY)
{
    const TPoint Points[] = {FPenPos, Point(AX, AY)};
    FPenPos = Points[1];
    TDrawContext Context(this);
    if (Context)
        StrokePolyline(Context, FPen, Points, false);
}

void TCanvas::Polyline(std::span<const TPoint> APoints)
{
    TDrawContext Context(this);
    if (Context)
        StrokePolyline(Context, FPen, APoints, false);
}

void TCanvas::Polygon(std::span<const TPoint> APoints)
{
    TDrawContext Context(this);
    if (!Context || APoints.empty())
        return;
    if (SetBrushSource(Context.Cr(), FBrush)) {
        for (const TPoint& P : APoints)
            cairo_line_to(Context.Cr(), P.X + 0.5, P.Y + 0.5);
        cairo_set_fill_rule(Context.Cr(), CAIRO_FILL_RULE_EVEN_ODD);
        Context.Fill();
    }
    StrokePolyline(Context, FPen, APoints, true);
}

void TCanvas::Rectangle(int AX1, int AY1, int AX2, int AY2)
{
    TDrawContext Context(this);
    TRect R = NormalRect(AX1, AY1, AX2, AY2);
    if (!Context || R.Width() == 0 || R.Height() == 0)
        return;
    cairo_t* Cr = Context.Cr();
    // Without a pen GDI fills one pixel less to the right and below.
    int Shrink = PenDraws(FPen) ? 0 : 1;
    if (SetBrushSource(Cr, FBrush)) {
        cairo_rectangle(Cr, R.Left, R.Top, R.Width() - Shrink, R.Height() - Shrink);
        Context.Fill();
    }
    if (!PenDraws(FPen))
        return;
    TRect B = PenBox(FPen, R);
    const TPoint Corners[] = {{B.Left, B.Top}, {B.Right - 1, B.Top}, {B.Right - 1, B.Bottom - 1}, {B.Left, B.Bottom - 1}};
    StrokePolyline(Context, FPen, Corners, true);
}

void TCanvas::Ellipse(int AX1, int AY1, int AX2, int AY2)
{
    TDrawContext Context(this);
    TRect R = NormalRect(AX1, AY1, AX2, AY2);
    if (!Context || R.Width() < 2 || R.Height() < 2)
        return;
    cairo_t* Cr = Context.Cr();
    auto EllipsePath = [Cr](const TRect& ABox) {
        cairo_save(Cr);
        cairo_translate(Cr, (ABox.Left + ABox.Right) / 2.0, (ABox.Top + ABox.Bottom) / 2.0);
        cairo_scale(Cr, (ABox.Width() - 1) / 2.0, (ABox.Height() - 1) / 2.0);
        cairo_new_path(Cr);
        cairo_arc(Cr, 0, 0, 1, 0, 2 * M_PI);
        cairo_restore(Cr);
    };
    if (SetBrushSource(Cr, FBrush)) {
        EllipsePath(R);
        Context.Fill();
    }
    if (!PenDraws(FPen))
        return;
    EllipsePath(PenBox(FPen, R));
    SetSourceColor(Cr, FPen->Color());
    cairo_set_line_width(Cr, std::max(1, FPen->Width()));
    Context.Stroke();
}

void TCanvas::FillRect(const TRect& ARect)
{
    TDrawContext Context(this);
    if (!Context || ARect.Width() <= 0 || ARect.Height() <= 0 || !SetBrushSource(Context.Cr(), FBrush))
        return;
    cairo_rectangle(Context.Cr(), ARect.Left, ARect.Top, ARect.Width(), ARect.Height());
    Context.Fill();
}

void TCanvas::FrameRect(const TRect& ARect)
{
    TDrawContext Context(this);
    if (!Context || ARect.Width() <= 0 || ARect.Height() <= 0)
        return;
    cairo_t* Cr = Context.Cr();
    SetSourceColor(Cr, FBrush->Color());
    cairo_rectangle(Cr, ARect.Left, ARect.Top, ARect.Width(), ARect.Height());
    cairo_rectangle(Cr, ARect.Left + 1, ARect.Top + 1, std::max(0, ARect.Width() - 2), std::max(0, ARect.Height() - 2));
    cairo_set_fill_rule(Cr, CAIRO_FILL_RULE_EVEN_ODD);
    Context.Fill();
}

TColor TCanvas::Pixels(int AX, int AY)
{
    TCanvasTarget T;
    if (!TCanvasAccess::Acquire(this, T))
        return clNone;
    TColor Result = clNone;
    int X = AX + T.Origin.X, Y = AY + T.Origin.Y;
    if (AX >= T.Clip.Left && AX < T.Clip.Right && AY >= T.Clip.Top && AY < T.Clip.Bottom && X >= 0 && Y >= 0
        && X < T.Width && Y < T.Height) {
        const uint8_t* P = T.Bits + Y * T.Stride + X * 4;
        Result = RGB(P[2], P[1], P[0]);
    }
    TCanvasAccess::Release(this, false);
    return Result;
}

void TCanvas::SetPixels(int AX, int AY, TColor AColor)
{
    TDrawContext Context(this);
    if (!Context)
        return;
    SetSourceColor(Context.Cr(), AColor);
    cairo_rectangle(Context.Cr(), AX, AY, 1, 1);
    Context.Fill();
}

// ---- Canvas: text ------------------------------------------------------------------------

namespace {

using TLayoutPtr = std::unique_ptr<PangoLayout, decltype(&g_object_unref)>;
using TFontDescriptionPtr = std::unique_ptr<PangoFontDescription, decltype(&pango_font_description_free)>;

// Text measured without a target is laid out on this scratch context, with the same font
// options as drawing, so that measuring and drawing agree.
cairo_t* MeasuringContext()
{
    thread_local TSurfacePtr Surface = WrapSurface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1));
    thread_local TCairoPtr Cr(cairo_create(Surface.get()), &cairo_destroy);
    return Cr.get();
}

cairo_antialias_t TextAntialias(TFontQuality AQuality)
{
    return AQuality == fqNonAntialiased ? CAIRO_ANTIALIAS_NONE : CAIRO_ANTIALIAS_GRAY;
}

TFontDescriptionPtr DescribeFont(TFont* AFont, int APixels)
{
    TFontDescriptionPtr Description(pango_font_description_new(), &pango_font_description_free);
    PangoFontDescription* D = Description.get();
    // Without a name the pitch chooses fontconfig's generic family.
    const char* Generic = AFont->Pitch() == fpFixed ? "Monospace" : "Sans";
    pango_font_description_set_family(D, AFont->Name().empty() ? Generic : AFont->Name().c_str());
    pango_font_description_set_absolute_size(D, std::max(1, APixels) * double(PANGO_SCALE));
    pango_font_description_set_weight(D, AFont->Style().Contains(fsBold) ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(D, AFont->Style().Contains(fsItalic) ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    return Description;
}

// A positive height is the cell height (ascent plus descent), which pango does not take:
// the character height is scaled from the font's own ratio.
int CharacterPixels(PangoContext* AContext, TFont* AFont)
{
    if (AFont->Height() <= 0)
        return AFont->Height() == 0 ? 16 : -AFont->Height();
    TFontDescriptionPtr Probe = DescribeFont(AFont, AFont->Height());
    PangoFontMetrics* Metrics = pango_context_get_metrics(AContext, Probe.get(), nullptr);
    int Cell = pango_font_metrics_get_ascent(Metrics) + pango_font_metrics_get_descent(Metrics);
    pango_font_metrics_unref(Metrics);
    return Cell > 0 ? int(std::lround(double(AFont->Height()) * AFont->Height() * PANGO_SCALE / Cell)) : AFont->Height();
}

// The text without its prefix marks ("&x" underlines x, "&&" is "&"), with the underline.
void ApplyPrefixes(const String& AText, bool AShowUnderline, String& APlain, PangoAttrList* AAttributes)
{
    APlain.clear();
    for (size_t I = 0; I < AText.size(); ++I) {
        if (AText[I] != '&' || I + 1 == AText.size()) {
            APlain += AText[I];
            continue;
        }
        ++I;
        if (AText[I] != '&' && AShowUnderline) {
            PangoAttribute* Underline = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
            Underline->start_index = guint(APlain.size());
            Underline->end_index = guint(APlain.size() + 1);
            pango_attr_list_insert(AAttributes, Underline);
        }
        APlain += AText[I];
    }
}

struct TPangoText {
    TLayoutPtr Layout{nullptr, &g_object_unref};
    TSize Extent;
};

TPangoText MakeLayout(cairo_t* ACr, TFont* AFont, const String& AText, bool APrefixes, bool AShowPrefix)
{
    cairo_font_options_t* Options = cairo_font_options_create();
    cairo_font_options_set_antialias(Options, TextAntialias(AFont->Quality()));
    cairo_font_options_set_hint_metrics(Options, CAIRO_HINT_METRICS_ON);
    TPangoText Result;
    Result.Layout.reset(pango_cairo_create_layout(ACr));
    PangoLayout* Layout = Result.Layout.get();
    PangoContext* Context = pango_layout_get_context(Layout);
    pango_cairo_context_set_font_options(Context, Options);
    cairo_font_options_destroy(Options);
    pango_layout_context_changed(Layout);

    TFontDescriptionPtr Description = DescribeFont(AFont, CharacterPixels(Context, AFont));
    pango_layout_set_font_description(Layout, Description.get());
    PangoAttrList* Attributes = pango_attr_list_new();
    if (AFont->Style().Contains(fsUnderline))
        pango_attr_list_insert(Attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    if (AFont->Style().Contains(fsStrikeOut))
        pango_attr_list_insert(Attributes, pango_attr_strikethrough_new(TRUE));
    String Plain = AText;
    if (APrefixes)
        ApplyPrefixes(AText, AShowPrefix, Plain, Attributes);
    pango_layout_set_text(Layout, Plain.c_str(), int(Plain.size()));
    pango_layout_set_attributes(Layout, Attributes);
    pango_attr_list_unref(Attributes);
    return Result;
}

void UpdateExtent(TPangoText& ALayout)
{
    PangoRectangle Logical;
    pango_layout_get_pixel_extents(ALayout.Layout.get(), nullptr, &Logical);
    ALayout.Extent = TSize{Logical.width, Logical.height};
}

void ShowLayout(TDrawContext& AContext, TPangoText& ALayout, TFont* AFont, int AX, int AY)
{
    cairo_t* Cr = AContext.Cr();
    cairo_set_antialias(Cr, TextAntialias(AFont->Quality()));
    SetSourceColor(Cr, AFont->Color());
    cairo_move_to(Cr, AX, AY);
    pango_cairo_update_layout(Cr, ALayout.Layout.get());
    pango_cairo_show_layout(Cr, ALayout.Layout.get());
    cairo_set_antialias(Cr, CAIRO_ANTIALIAS_NONE);
    AContext.MarkChanged();
}

void FillTextBackground(TDrawContext& AContext, TBrush* ABrush, const TRect& ARect)
{
    if (ABrush->Style() == bsClear || ARect.Width() <= 0 || ARect.Height() <= 0)
        return;
    SetSourceColor(AContext.Cr(), ABrush->Color());
    cairo_rectangle(AContext.Cr(), ARect.Left, ARect.Top, ARect.Width(), ARect.Height());
    AContext.Fill();
}

// Where a formatted text goes in its rectangle: pango aligns the lines among themselves
// (or inside the width when it wraps or cuts); this places the block.
TPoint PlaceText(const TRect& ARect, TSize AExtent, TTextFormat AFormat, bool AWidthSet)
{
    TPoint P{ARect.Left, ARect.Top};
    if (!AWidthSet) {
        if (AFormat.Contains(tfCenter))
            P.X = ARect.Left + (ARect.Width() - AExtent.cx) / 2;
        else if (AFormat.Contains(tfRight))
            P.X = ARect.Right - AExtent.cx;
    }
    if (AFormat.Contains(tfSingleLine)) {
        if (AFormat.Contains(tfVerticalCenter))
            P.Y = ARect.Top + (ARect.Height() - AExtent.cy) / 2;
        else if (AFormat.Contains(tfBottom))
            P.Y = ARect.Bottom - AExtent.cy;
    }
    return P;
}

// Wrapping and ellipses need a width; they are set only when the flags ask for them.
bool ApplyFormat(PangoLayout* ALayout, const TRect& ARect, TTextFormat AFormat)
{
    pango_layout_set_single_paragraph_mode(ALayout, AFormat.Contains(tfSingleLine));
    pango_layout_set_alignment(ALayout, AFormat.Contains(tfCenter)  ? PANGO_ALIGN_CENTER
                                        : AFormat.Contains(tfRight) ? PANGO_ALIGN_RIGHT
                                                                    : PANGO_ALIGN_LEFT);
    if (AFormat.Contains(tfRtlReading)) {
        pango_layout_set_auto_dir(ALayout, FALSE);
        pango_context_set_base_dir(pango_layout_get_context(ALayout), PANGO_DIRECTION_RTL);
        pango_layout_context_changed(ALayout);
    }
    bool Wraps = AFormat.Contains(tfWordBreak) && !AFormat.Contains(tfSingleLine);
    PangoEllipsizeMode Ellipsis = AFormat.Contains(tfPathEllipsis)                                    ? PANGO_ELLIPSIZE_MIDDLE
                                  : AFormat.Contains(tfEndEllipsis) || AFormat.Contains(tfWordEllipsis) ? PANGO_ELLIPSIZE_END
                                                                                                      : PANGO_ELLIPSIZE_NONE;
    if ((!Wraps && Ellipsis == PANGO_ELLIPSIZE_NONE) || ARect.Width() <= 0)
        return false;
    pango_layout_set_width(ALayout, ARect.Width() * PANGO_SCALE);
    pango_layout_set_wrap(ALayout, PANGO_WRAP_WORD);
    pango_layout_set_ellipsize(ALayout, Ellipsis);
    return true;
}

}  // namespace

TSize TCanvas::TextExtent(const String& AText)
{
    TPangoText Layout = MakeLayout(MeasuringContext(), FFont, AText, false, false);
    pango_layout_set_single_paragraph_mode(Layout.Layout.get(), TRUE);
    UpdateExtent(Layout);
    return Layout.Extent;
}

void TCanvas::TextOut(int AX, int AY, const String& AText)
{
    TPangoText Layout = MakeLayout(MeasuringContext(), FFont, AText, false, false);
    pango_layout_set_single_paragraph_mode(Layout.Layout.get(), TRUE);
    UpdateExtent(Layout);
    FPenPos = Point(AX + Layout.Extent.cx, AY);
    TDrawContext Context(this);
    if (!Context)
        return;
    FillTextBackground(Context, FBrush, Rect(AX, AY, AX + Layout.Extent.cx, AY + Layout.Extent.cy));
    ShowLayout(Context, Layout, FFont, AX, AY);
}

void TCanvas::TextRect(const TRect& ARect, int AX, int AY, const String& AText)
{
    TDrawContext Context(this);
    if (!Context)
        return;
    cairo_rectangle(Context.Cr(), ARect.Left, ARect.Top, std::max(0, ARect.Width()), std::max(0, ARect.Height()));
    cairo_clip(Context.Cr());
    FillTextBackground(Context, FBrush, ARect);
    TPangoText Layout = MakeLayout(Context.Cr(), FFont, AText, false, false);
    pango_layout_set_single_paragraph_mode(Layout.Layout.get(), TRUE);
    ShowLayout(Context, Layout, FFont, AX, AY);
}

void TCanvas::TextRect(TRect& ARect, const String& AText, TTextFormat AFormat)
{
    bool Prefixes = !AFormat.Contains(tfNoPrefix);
    TPangoText Layout = MakeLayout(MeasuringContext(), FFont, AText, Prefixes, !AFormat.Contains(tfHidePrefix));
    bool WidthSet = ApplyFormat(Layout.Layout.get(), ARect, AFormat);
    UpdateExtent(Layout);
    if (AFormat.Contains(tfCalcRect)) {
        ARect.Right = ARect.Left + Layout.Extent.cx;
        ARect.Bottom = ARect.Top + Layout.Extent.cy;
        return;
    }
    TDrawContext Context(this);
    if (!Context)
        return;
    if (!AFormat.Contains(tfNoClip)) {
        cairo_rectangle(Context.Cr(), ARect.Left, ARect.Top, std::max(0, ARect.Width()), std::max(0, ARect.Height()));
        cairo_clip(Context.Cr());
    }
    TPoint At = PlaceText(ARect, Layout.Extent, AFormat, WidthSet);
    int Width = WidthSet ? ARect.Width() : Layout.Extent.cx;
    FillTextBackground(Context, FBrush, Rect(At.X, At.Y, At.X + Width, At.Y + Layout.Extent.cy));
    ShowLayout(Context, Layout, FFont, At.X, At.Y);
}

// ---- Canvas: images ----------------------------------------------------------------------

namespace {

// Paints ASource (all of ASourceRect) into ADest of the context, scaled to fit: exact pixels
// at the same size, a smoothing filter otherwise.
void PaintSurface(TDrawContext& AContext, cairo_surface_t* ASource, const TRect& ASourceRect, const TRect& ADest)
{
    if (ADest.Width() == 0 || ADest.Height() == 0 || ASourceRect.Width() <= 0 || ASourceRect.Height() <= 0
        || cairo_surface_status(ASource) != CAIRO_STATUS_SUCCESS)
        return;
    cairo_t* Cr = AContext.Cr();
    cairo_save(Cr);
    cairo_rectangle(Cr, std::min(ADest.Left, ADest.Right), std::min(ADest.Top, ADest.Bottom), std::abs(ADest.Width()),
                    std::abs(ADest.Height()));
    cairo_clip(Cr);
    cairo_translate(Cr, ADest.Left, ADest.Top);
    double SX = double(ADest.Width()) / ASourceRect.Width(), SY = double(ADest.Height()) / ASourceRect.Height();
    cairo_scale(Cr, SX, SY);
    cairo_set_source_surface(Cr, ASource, -ASourceRect.Left, -ASourceRect.Top);
    cairo_pattern_t* Pattern = cairo_get_source(Cr);
    bool SameSize = SX == 1 && SY == 1;
    cairo_pattern_set_filter(Pattern, SameSize ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
    cairo_pattern_set_extend(Pattern, CAIRO_EXTEND_PAD);
    AContext.Paint();
    cairo_restore(Cr);
}

// The bitmap's pixels as a source surface: its own memory when drawing ignores the fourth
// byte, else a premultiplied copy with the alpha or the transparent colour applied.
TSurfacePtr BitmapSource(TBitmap* ABitmap, bool AForceCopy)
{
    int W = ABitmap->Width(), H = ABitmap->Height();
    uint8_t* Bits = TBitmapAccess::Surface(ABitmap);
    bool Keyed = ABitmap->Transparent();
    TAlphaFormat Alpha = ABitmap->PixelFormat() == pf32bit ? ABitmap->AlphaFormat() : afIgnored;
    if (!Keyed && Alpha == afIgnored && !AForceCopy)
        return SurfaceOn(Bits, W, H, W * 4);
    if (!Keyed && Alpha == afPremultiplied && !AForceCopy)
        return SurfaceOn(Bits, W, H, W * 4, CAIRO_FORMAT_ARGB32);
    TColor Key = ColorToRGB(ABitmap->TransparentColor());
    auto Copy = WrapSurface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, W, H));
    uint8_t* Out = cairo_image_surface_get_data(Copy.get());
    int Stride = cairo_image_surface_get_stride(Copy.get());
    for (int Y = 0; Y < H; ++Y) {
        const uint8_t* S = Bits + size_t(Y) * W * 4;
        uint8_t* D = Out + size_t(Y) * Stride;
        for (int X = 0; X < W; ++X, S += 4, D += 4) {
            int A = Alpha == afIgnored ? 255 : S[3];
            if (Keyed && RGB(S[2], S[1], S[0]) == Key)
                A = 0;
            bool Premultiplied = Alpha == afPremultiplied;
            for (int C = 0; C < 3; ++C)
                D[C] = Premultiplied ? std::min<int>(S[C], A) : uint8_t((S[C] * A + 127) / 255);
            D[3] = uint8_t(A);
        }
    }
    cairo_surface_mark_dirty(Copy.get());
    return Copy;
}

// A copy of part of a target's pixels, for copies within one canvas.
TSurfacePtr CopyOfTarget(const TCanvasTarget& ATarget)
{
    auto Source = SurfaceOn(ATarget.Bits, ATarget.Width, ATarget.Height, ATarget.Stride);
    auto Copy = WrapSurface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, ATarget.Width, ATarget.Height));
    TCairoPtr Cr(cairo_create(Copy.get()), &cairo_destroy);
    cairo_set_source_surface(Cr.get(), Source.get(), 0, 0);
    cairo_paint(Cr.get());
    return Copy;
}

}  // namespace

void TCanvas::Draw(int AX, int AY, TGraphic* AGraphic)
{
    if (AGraphic != nullptr && !AGraphic->Empty())
        AGraphic->Draw(this, Rect(AX, AY, AX + AGraphic->Width(), AY + AGraphic->Height()));
}

void TCanvas::StretchDraw(const TRect& ARect, TGraphic* AGraphic)
{
    if (AGraphic != nullptr && !AGraphic->Empty())
        AGraphic->Draw(this, ARect);
}

void TCanvas::CopyRect(const TRect& ADest, TCanvas* ACanvas, const TRect& ASourceRect)
{
    if (ACanvas == nullptr)
        return;
    TDrawContext Context(this);
    if (!Context)
        return;
    if (ACanvas == this) {
        TSurfacePtr Copy = CopyOfTarget(Context.Target());
        const TPoint& O = Context.Target().Origin;
        TRect Source = Rect(ASourceRect.Left + O.X, ASourceRect.Top + O.Y, ASourceRect.Right + O.X, ASourceRect.Bottom + O.Y);
        PaintSurface(Context, Copy.get(), Source, ADest);
        return;
    }
    TCanvasTarget SourceTarget;
    if (!TCanvasAccess::Acquire(ACanvas, SourceTarget))
        return;
    {
        auto Source = SurfaceOn(SourceTarget.Bits, SourceTarget.Width, SourceTarget.Height, SourceTarget.Stride);
        const TPoint& O = SourceTarget.Origin;
        PaintSurface(Context, Source.get(),
                     Rect(ASourceRect.Left + O.X, ASourceRect.Top + O.Y, ASourceRect.Right + O.X, ASourceRect.Bottom + O.Y),
                     ADest);
    }
    TCanvasAccess::Release(ACanvas, false);
}

// ---- TGraphic ----------------------------------------------------------------------------

void CheckGraphicSize(const char* AKind, int64_t AWidth, int64_t AHeight)
{
    if (AWidth < 1 || AHeight < 1 || AWidth > MaxGraphicSide || AHeight > MaxGraphicSide
        || AWidth * AHeight > MaxGraphicPixels)
        throw EInvalidGraphic(String(AKind) + " image has an invalid size (" + IntToStr(AWidth) + " x "
                              + IntToStr(AHeight) + ")");
}

TBytes ReadRestOfStream(TStream* AStream)
{
    int64_t Count = std::max<int64_t>(0, AStream->Size() - AStream->Position());
    TBytes Bytes(static_cast<size_t>(Count));
    Bytes.resize(size_t(AStream->Read(Bytes.data(), Count)));
    return Bytes;
}

void TGraphic::SetSize(int, int)
{
    throw EInvalidGraphicOperation("Cannot change the size of a " + ClassName());
}

void TGraphic::SetTransparent(bool AValue)
{
    if (FTransparent == AValue)
        return;
    FTransparent = AValue;
    Changed();
}

void TGraphic::LoadFromFile(const String& AFileName)
{
    auto Stream = Owned(TFileStream::Create(AFileName, uint16_t(fmOpenRead | fmShareDenyWrite)));
    LoadFromStream(Stream.get());
}

void TGraphic::SaveToFile(const String& AFileName)
{
    auto Stream = Owned(TMemoryStream::Create());
    SaveToStream(Stream.get());
    SafeWriteFileBytes(AFileName, TBytes(Stream->Memory(), Stream->Memory() + Stream->Size()));
}

void TGraphic::AssignTo(TPersistent* ADest)
{
    auto* Bitmap = AsOrNull<TBitmap>(ADest);
    if (Bitmap == nullptr)
        return inherited::AssignTo(ADest);
    Bitmap->SetSize(0, 0);
    Bitmap->SetPixelFormat(pf32bit);
    Bitmap->SetSize(Width(), Height());
    Bitmap->Canvas()->Draw(0, 0, this);
}

void TGraphic::Changed()
{
    FModified = true;
    if (FOnChange)
        FOnChange(this);
}

// ---- TBitmap -----------------------------------------------------------------------------

namespace {

class TBitmapCanvas : public TCanvas {
    X_CLASS(TBitmapCanvas, TCanvas)
protected:
    TBitmapCanvas() = default;
    void Construct(TBitmap* ABitmap)
    {
        inherited::Construct();
        FBitmap = ABitmap;
    }
    bool AcquireTarget(TCanvasTarget& ATarget) override
    {
        if (FBitmap->Empty())
            return false;
        ATarget.Bits = TBitmapAccess::Surface(FBitmap);
        ATarget.Width = FBitmap->Width();
        ATarget.Height = FBitmap->Height();
        ATarget.Stride = ATarget.Width * 4;
        ATarget.Origin = TPoint{};
        ATarget.Clip = Rect(0, 0, ATarget.Width, ATarget.Height);
        return true;
    }
    void ReleaseTarget(bool AChanged) override
    {
        if (AChanged)
            TBitmapAccess::SurfaceChanged(FBitmap);
    }

private:
    TBitmap* FBitmap = nullptr;
};

TPixelFormat StoredFormat(TPixelFormat AFormat)
{
    return AFormat == pfDevice || AFormat == pf32bit ? pf32bit : pf24bit;
}

}  // namespace

TBitmap::~TBitmap()
{
    FreeAndNil(FCanvas);
}

void TBitmap::SetSize(int AWidth, int AHeight)
{
    AWidth = std::max(0, AWidth);
    AHeight = std::max(0, AHeight);
    if (AWidth == FWidth && AHeight == FHeight)
        return;
    if (AWidth > 0 && AHeight > 0)
        CheckGraphicSize("Bitmap", AWidth, AHeight);
    FlushSurface();
    int Bpp = BytesPerPixel();
    // Uncovered pixels are white, the colour of a fresh canvas's brush, with a fourth byte of 0.
    // One fill of the whole block: a call per pixel took longer than decoding a photo.
    TBytes Rows(size_t(AWidth) * AHeight * Bpp, 0xFF);
    if (Bpp == 4)
        for (size_t I = 3; I < Rows.size(); I += 4)
            Rows[I] = 0;
    int CopyRow = std::min(AWidth, FWidth) * Bpp;
    // A side of 0 leaves no row to copy, from or into.
    for (int Y = 0; CopyRow > 0 && Y < std::min(AHeight, FHeight); ++Y)
        std::memcpy(&Rows[size_t(Y) * AWidth * Bpp], &FRows[size_t(Y) * RowBytes()], size_t(CopyRow));
    FRows = std::move(Rows);
    FWidth = AWidth;
    FHeight = AHeight;
    FSurface.clear();
    FNewest = TNewest::Both;
    Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat AValue)
{
    AValue = StoredFormat(AValue);
    if (AValue == FPixelFormat)
        return;
    FlushSurface();
    int From = BytesPerPixel(), To = AValue == pf32bit ? 4 : 3;
    size_t Count = size_t(FWidth) * FHeight;
    TBytes Rows(Count * To);
    for (size_t I = 0; I < Count; ++I)
        std::memcpy(&Rows[I * To], &FRows[I * From], 3);
    FRows = std::move(Rows);
    FPixelFormat = AValue;
    FSurface.clear();
    FNewest = TNewest::Both;
    Changed();
}

void TBitmap::SetAlphaFormat(TAlphaFormat AValue)
{
    if (FAlphaFormat == AValue)
        return;
    FAlphaFormat = AValue;
    Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode AValue)
{
    if (FTransparentMode == AValue)
        return;
    FTransparentMode = AValue;
    Changed();
}

TColor TBitmap::TransparentColor()
{
    if (FTransparentMode == tmFixed)
        return FTransparentColor;
    if (Empty())
        return clNone;
    const uint8_t* P = static_cast<const uint8_t*>(ScanLine(FHeight - 1));
    return RGB(P[2], P[1], P[0]);
}

void TBitmap::SetTransparentColor(TColor AValue)
{
    FTransparentMode = tmFixed;
    if (FTransparentColor == AValue)
        return;
    FTransparentColor = AValue;
    Changed();
}

TCanvas* TBitmap::Canvas()
{
    if (FCanvas == nullptr)
        FCanvas = TBitmapCanvas::Create(this);
    return FCanvas;
}

void* TBitmap::ScanLine(int ARow)
{
    if (ARow < 0 || ARow >= FHeight)
        throw EInvalidGraphicOperation("Scan line index out of range");
    FlushSurface();
    if (FPixelFormat == pf24bit)
        FNewest = TNewest::Rows;
    return &FRows[size_t(ARow) * RowBytes()];
}

void TBitmap::FlushSurface()
{
    if (FPixelFormat != pf24bit || FNewest != TNewest::Surface)
        return;
    size_t Count = size_t(FWidth) * FHeight;
    for (size_t I = 0; I < Count; ++I)
        std::memcpy(&FRows[I * 3], &FSurface[I * 4], 3);
    FNewest = TNewest::Both;
}

uint8_t* TBitmap::Surface()
{
    if (FPixelFormat == pf32bit)
        return FRows.data();
    size_t Count = size_t(FWidth) * FHeight;
    if (FSurface.size() != Count * 4 || FNewest == TNewest::Rows) {
        FSurface.resize(Count * 4);
        for (size_t I = 0; I < Count; ++I) {
            std::memcpy(&FSurface[I * 4], &FRows[I * 3], 3);
            FSurface[I * 4 + 3] = 0;
        }
        FNewest = TNewest::Both;
    }
    return FSurface.data();
}

void TBitmap::SurfaceChanged()
{
    if (FPixelFormat == pf24bit)
        FNewest = TNewest::Surface;
    Changed();
}

void TBitmap::Assign(TPersistent* ASource)
{
    if (ASource == nullptr) {
        SetSize(0, 0);
        return;
    }
    auto* Source = AsOrNull<TBitmap>(ASource);
    if (Source == nullptr)
        return inherited::Assign(ASource);
    if (Source == this)
        return;
    Source->FlushSurface();
    FRows = Source->FRows;
    FWidth = Source->FWidth;
    FHeight = Source->FHeight;
    FPixelFormat = Source->FPixelFormat;
    FAlphaFormat = Source->FAlphaFormat;
    FTransparentMode = Source->FTransparentMode;
    FTransparentColor = Source->FTransparentColor;
    FSurface.clear();
    FNewest = TNewest::Both;
    SetTransparent(Source->Transparent());
    Changed();
}

void TBitmap::Draw(TCanvas* ACanvas, const TRect& ARect)
{
    TDrawContext Context(ACanvas);
    if (!Context)
        return;
    bool OwnCanvas = Context.Target().Bits == Surface();
    TSurfacePtr Source = BitmapSource(this, OwnCanvas);
    PaintSurface(Context, Source.get(), Rect(0, 0, FWidth, FHeight), ARect);
}

// ---- BMP files ---------------------------------------------------------------------------

namespace {

// Little-endian reads that raise "<kind> image is truncated" past the end.
class TByteReader {
public:
    TByteReader(std::span<const uint8_t> AData, const char* AKind) : FData(AData), FKind(AKind) {}
    size_t Size() const { return FData.size(); }
    const uint8_t* At(size_t AOffset, size_t ACount) const
    {
        if (AOffset > FData.size() || ACount > FData.size() - AOffset)
            Fail("image is truncated");
        return FData.data() + AOffset;
    }
    uint16_t U16(size_t AOffset) const
    {
        const uint8_t* P = At(AOffset, 2);
        return uint16_t(P[0] | P[1] << 8);
    }
    uint32_t U32(size_t AOffset) const
    {
        const uint8_t* P = At(AOffset, 4);
        return uint32_t(P[0]) | uint32_t(P[1]) << 8 | uint32_t(P[2]) << 16 | uint32_t(P[3]) << 24;
    }
    [[noreturn]] void Fail(const String& AWhat) const { throw EInvalidGraphic(String(FKind) + " " + AWhat); }

private:
    std::span<const uint8_t> FData;
    const char* FKind;
};

enum : uint32_t { BI_RGB = 0, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6 };

// A device-independent bitmap's layout, as read from its header.
struct TDib {
    int32_t Width = 0;
    int32_t Height = 0;   // of the colour image: an icon's header counts its mask too
    bool TopDown = false;
    int Bits = 0;
    bool Masked = false;
    uint32_t Masks[4] = {};   // red, green, blue, alpha
    std::vector<uint32_t> Palette;   // 0x00RRGGBB
    size_t Pixels = 0;   // offset of the first stored row
    size_t Stride = 0;

    size_t End() const { return Pixels + Stride * size_t(Height); }
};

void ReadMasks(const TByteReader& AReader, size_t AAt, int ACount, TDib& ADib)
{
    for (int I = 0; I < ACount; ++I)
        ADib.Masks[I] = AReader.U32(AAt + 4 * I);
    ADib.Masked = true;
}

// Reads the header at AHeaderAt; the rows follow the palette unless APixels says where.
TDib ReadDib(const TByteReader& AReader, size_t AHeaderAt, size_t APixels, bool AIcon)
{
    TDib Dib;
    uint32_t HeaderSize = AReader.U32(AHeaderAt);
    int64_t Width, Height;
    uint32_t Compression = BI_RGB, ColorsUsed = 0;
    size_t Next = AHeaderAt + HeaderSize, EntrySize = 4;
    if (HeaderSize == 12) {
        Width = AReader.U16(AHeaderAt + 4);
        Height = int16_t(AReader.U16(AHeaderAt + 6));
        Dib.Bits = AReader.U16(AHeaderAt + 10);
        EntrySize = 3;
    } else if (HeaderSize >= 40 && HeaderSize <= 1024) {
        Width = int32_t(AReader.U32(AHeaderAt + 4));
        Height = int32_t(AReader.U32(AHeaderAt + 8));
        Dib.Bits = AReader.U16(AHeaderAt + 14);
        Compression = AReader.U32(AHeaderAt + 16);
        ColorsUsed = AReader.U32(AHeaderAt + 32);
    } else
        AReader.Fail("header is not valid");
    if (Compression == BI_BITFIELDS || Compression == BI_ALPHABITFIELDS) {
        int Count = Compression == BI_ALPHABITFIELDS || HeaderSize >= 56 ? 4 : 3;
        ReadMasks(AReader, AHeaderAt + 40, Count, Dib);
        if (HeaderSize == 40)
            Next += size_t(Count) * 4;
    } else if (Compression != BI_RGB)
        AReader.Fail("is compressed, which is not supported");
    if (Dib.Bits != 1 && Dib.Bits != 4 && Dib.Bits != 8 && Dib.Bits != 16 && Dib.Bits != 24 && Dib.Bits != 32)
        AReader.Fail("has an unsupported depth of " + IntToStr(Dib.Bits) + " bits");
    if (Dib.Masked && Dib.Bits != 16 && Dib.Bits != 32)
        AReader.Fail("has bit fields at " + IntToStr(Dib.Bits) + " bits");
    if (AIcon)
        Height /= 2;
    Dib.TopDown = Height < 0;
    CheckGraphicSize("Bitmap", Width, std::abs(Height));
    Dib.Width = int32_t(Width);
    Dib.Height = int32_t(std::abs(Height));
    if (Dib.Bits <= 8) {
        uint32_t Count = ColorsUsed == 0 ? 1u << Dib.Bits : std::min(ColorsUsed, 1u << Dib.Bits);
        const uint8_t* P = AReader.At(Next, Count * EntrySize);
        for (uint32_t I = 0; I < Count; ++I, P += EntrySize)
            Dib.Palette.push_back(uint32_t(P[2]) << 16 | uint32_t(P[1]) << 8 | P[0]);
        Next += Count * EntrySize;
    }
    Dib.Pixels = APixels != 0 ? APixels : Next;
    Dib.Stride = (size_t(Dib.Width) * Dib.Bits + 31) / 32 * 4;
    AReader.At(Dib.Pixels, Dib.Stride * Dib.Height);
    return Dib;
}

uint8_t MaskedChannel(uint32_t AValue, uint32_t AMask)
{
    if (AMask == 0)
        return 0;
    int Shift = std::countr_zero(AMask);
    uint32_t Max = AMask >> Shift;
    return uint8_t(((AValue & AMask) >> Shift) * 255 / Max);
}

// One stored row into blue, green, red (and the fourth byte for 32-bit output).
void DecodeDibRow(const TDib& ADib, const uint8_t* ASource, uint8_t* ADest, int ABytesPerPixel)
{
    for (int X = 0; X < ADib.Width; ++X, ADest += ABytesPerPixel) {
        uint32_t Value;
        if (ADib.Bits <= 8) {
            int PerByte = 8 / ADib.Bits;
            int Shift = 8 - ADib.Bits * (X % PerByte + 1);
            uint32_t Index = (ASource[X / PerByte] >> Shift) & ((1u << ADib.Bits) - 1);
            // An index past a short palette is black rather than a read past it.
            Value = Index < ADib.Palette.size() ? ADib.Palette[Index] : 0;
        } else if (ADib.Bits == 16) {
            uint32_t V = ASource[2 * X] | ASource[2 * X + 1] << 8;
            const uint32_t* M = ADib.Masked ? ADib.Masks : nullptr;
            static const uint32_t Rgb555[4] = {0x7C00, 0x03E0, 0x001F, 0};
            M = M ? M : Rgb555;
            Value = uint32_t(MaskedChannel(V, M[0])) << 16 | uint32_t(MaskedChannel(V, M[1])) << 8 | MaskedChannel(V, M[2]);
        } else if (ADib.Bits == 32 && ADib.Masked) {
            const uint8_t* P = ASource + 4 * X;
            uint32_t V = uint32_t(P[0]) | uint32_t(P[1]) << 8 | uint32_t(P[2]) << 16 | uint32_t(P[3]) << 24;
            Value = uint32_t(MaskedChannel(V, ADib.Masks[0])) << 16 | uint32_t(MaskedChannel(V, ADib.Masks[1])) << 8
                    | MaskedChannel(V, ADib.Masks[2]) | uint32_t(MaskedChannel(V, ADib.Masks[3])) << 24;
        } else {
            const uint8_t* P = ASource + X * (ADib.Bits / 8);
            Value = uint32_t(P[0]) | uint32_t(P[1]) << 8 | uint32_t(P[2]) << 16 | (ADib.Bits == 32 ? uint32_t(P[3]) << 24 : 0);
        }
        ADest[0] = uint8_t(Value);
        ADest[1] = uint8_t(Value >> 8);
        ADest[2] = uint8_t(Value >> 16);
        if (ABytesPerPixel == 4)
            ADest[3] = uint8_t(Value >> 24);
    }
}

size_t StoredRow(const TDib& ADib, int ARow)
{
    return ADib.Pixels + ADib.Stride * size_t(ADib.TopDown ? ARow : ADib.Height - 1 - ARow);
}

void DecodeDib(const TByteReader& AReader, const TDib& ADib, TBitmap* ABitmap)
{
    ABitmap->SetSize(0, 0);
    ABitmap->SetPixelFormat(ADib.Bits == 32 ? pf32bit : pf24bit);
    ABitmap->SetSize(ADib.Width, ADib.Height);
    for (int Y = 0; Y < ADib.Height; ++Y)
        DecodeDibRow(ADib, AReader.At(StoredRow(ADib, Y), ADib.Stride), static_cast<uint8_t*>(ABitmap->ScanLine(Y)),
                     ABitmap->BytesPerPixel());
}

void PutU16(TBytes& AOut, uint16_t AValue)
{
    AOut.push_back(uint8_t(AValue));
    AOut.push_back(uint8_t(AValue >> 8));
}

void PutU32(TBytes& AOut, uint32_t AValue)
{
    PutU16(AOut, uint16_t(AValue));
    PutU16(AOut, uint16_t(AValue >> 16));
}

// A BITMAPINFOHEADER and bottom-up rows of 24 or 32 bits; AHeaderHeight is what the header
// says (an icon's counts the mask).
void AppendDib(TBytes& AOut, TBitmap* ABitmap, int32_t AHeaderHeight)
{
    int W = ABitmap->Width(), H = ABitmap->Height(), Bpp = ABitmap->BytesPerPixel();
    size_t Stride = (size_t(W) * Bpp + 3) / 4 * 4;
    PutU32(AOut, 40);
    PutU32(AOut, uint32_t(W));
    PutU32(AOut, uint32_t(AHeaderHeight));
    PutU16(AOut, 1);
    PutU16(AOut, uint16_t(Bpp * 8));
    PutU32(AOut, BI_RGB);
    PutU32(AOut, uint32_t(Stride * H));
    PutU32(AOut, 3780);   // 96 DPI in pixels per metre
    PutU32(AOut, 3780);
    PutU32(AOut, 0);
    PutU32(AOut, 0);
    for (int Y = H - 1; Y >= 0; --Y) {
        const uint8_t* Row = static_cast<const uint8_t*>(ABitmap->ScanLine(Y));
        AOut.insert(AOut.end(), Row, Row + size_t(W) * Bpp);
        AOut.resize(AOut.size() + Stride - size_t(W) * Bpp, 0);
    }
}

}  // namespace

void TBitmap::LoadFromStream(TStream* AStream)
{
    TBytes Data = ReadRestOfStream(AStream);
    TByteReader Reader(Data, "Bitmap");
    if (Reader.U16(0) != 0x4D42)   // "BM"
        Reader.Fail("is not a BMP file");
    TDib Dib = ReadDib(Reader, 14, Reader.U32(10), false);
    auto Decoded = Owned(TBitmap::Create());
    DecodeDib(Reader, Dib, Decoded.get());
    Assign(Decoded.get());
}

void TBitmap::SaveToStream(TStream* AStream)
{
    TBytes Out;
    Out.reserve(54 + size_t(FWidth) * FHeight * 4);
    PutU16(Out, 0x4D42);
    PutU32(Out, 0);   // file size, set below
    PutU32(Out, 0);
    PutU32(Out, 54);
    AppendDib(Out, this, FHeight);
    for (int I = 0; I < 4; ++I)
        Out[2 + I] = uint8_t(Out.size() >> (8 * I));
    AStream->WriteBuffer(Out.data(), int64_t(Out.size()));
}

// ---- TIcon -------------------------------------------------------------------------------

namespace {

struct TIconEntry {
    int Width = 0;
    int Height = 0;
    int Bits = 0;
    size_t Offset = 0;
    size_t Size = 0;
};

std::vector<TIconEntry> ReadIconDirectory(const TByteReader& AReader)
{
    if (AReader.U16(0) != 0 || AReader.U16(2) != 1)
        AReader.Fail("is not an icon file");
    int Count = AReader.U16(4);
    if (Count == 0)
        AReader.Fail("has no images");
    std::vector<TIconEntry> Entries;
    for (int I = 0; I < Count; ++I) {
        const uint8_t* P = AReader.At(6 + 16 * size_t(I), 16);
        TIconEntry E;
        E.Width = P[0] == 0 ? 256 : P[0];   // 0 stands for 256
        E.Height = P[1] == 0 ? 256 : P[1];
        E.Bits = AReader.U16(6 + 16 * size_t(I) + 6);
        E.Size = AReader.U32(6 + 16 * size_t(I) + 8);
        E.Offset = AReader.U32(6 + 16 * size_t(I) + 12);
        AReader.At(E.Offset, E.Size);
        Entries.push_back(E);
    }
    return Entries;
}

// The entry nearest to the wanted size; between equally near ones the larger, then the
// deeper one.
const TIconEntry& BestIconEntry(const std::vector<TIconEntry>& AEntries, TSize AWanted)
{
    auto Key = [AWanted](const TIconEntry& E) {
        int Distance = std::abs(E.Width - AWanted.cx) + std::abs(E.Height - AWanted.cy);
        return std::tuple(Distance, -(E.Width + E.Height), -E.Bits);
    };
    return *std::min_element(AEntries.begin(), AEntries.end(),
                             [&Key](const TIconEntry& A, const TIconEntry& B) { return Key(A) < Key(B); });
}

// The AND mask (1 = transparent) as alpha, unless the colour image brings its own.
void ApplyIconMask(const TByteReader& AReader, const TDib& ADib, TBitmap* AImage)
{
    int W = AImage->Width(), H = AImage->Height();
    bool HasAlpha = false;
    if (ADib.Bits == 32)
        for (int Y = 0; Y < H && !HasAlpha; ++Y) {
            const uint8_t* Row = static_cast<const uint8_t*>(AImage->ScanLine(Y));
            for (int X = 0; X < W && !HasAlpha; ++X)
                HasAlpha = Row[4 * X + 3] != 0;
        }
    if (HasAlpha)
        return;
    size_t MaskStride = (size_t(W) + 31) / 32 * 4;
    // Some writers leave the mask out: the icon is then opaque.
    bool HasMask = ADib.End() + MaskStride * H <= AReader.Size();
    for (int Y = 0; Y < H; ++Y) {
        uint8_t* Row = static_cast<uint8_t*>(AImage->ScanLine(Y));
        const uint8_t* Mask = HasMask ? AReader.At(ADib.End() + MaskStride * size_t(H - 1 - Y), MaskStride) : nullptr;
        for (int X = 0; X < W; ++X)
            Row[4 * X + 3] = Mask && (Mask[X / 8] >> (7 - X % 8) & 1) ? 0 : 255;
    }
}

void DecodeIconEntry(const TByteReader& AReader, const TIconEntry& AEntry, TBitmap* AImage)
{
    static const uint8_t PngSignature[] = {0x89, 'P', 'N', 'G'};
    const uint8_t* Data = AReader.At(AEntry.Offset, AEntry.Size);
    if (AEntry.Size >= 4 && std::memcmp(Data, PngSignature, 4) == 0) {
        auto Png = Owned(TPngImage::Create());
        auto Stream = Owned(TMemoryStream::Create());
        Stream->WriteBuffer(Data, int64_t(AEntry.Size));
        Stream->SetPosition(0);
        Png->LoadFromStream(Stream.get());
        AImage->Assign(Png.get());
        AImage->SetPixelFormat(pf32bit);
    } else {
        TByteReader Entry(std::span(Data, AEntry.Size), "Icon");
        TDib Dib = ReadDib(Entry, 0, 0, true);
        DecodeDib(Entry, Dib, AImage);
        AImage->SetPixelFormat(pf32bit);
        ApplyIconMask(Entry, Dib, AImage);
    }
    AImage->SetAlphaFormat(afDefined);
}

// One 32-bit entry with straight alpha and the AND mask made from it.
TBytes EncodeIcon(TBitmap* AImage)
{
    int W = AImage->Width(), H = AImage->Height();
    TBytes Dib;
    AppendDib(Dib, AImage, 2 * H);
    size_t MaskStride = (size_t(W) + 31) / 32 * 4;
    for (int Y = H - 1; Y >= 0; --Y) {
        const uint8_t* Row = static_cast<const uint8_t*>(AImage->ScanLine(Y));
        TBytes Mask(MaskStride, 0);
        for (int X = 0; X < W; ++X)
            if (Row[4 * X + 3] == 0)
                Mask[X / 8] |= uint8_t(0x80 >> (X % 8));
        Dib.insert(Dib.end(), Mask.begin(), Mask.end());
    }
    TBytes Out;
    PutU16(Out, 0);
    PutU16(Out, 1);
    PutU16(Out, 1);
    Out.push_back(uint8_t(W == 256 ? 0 : W));
    Out.push_back(uint8_t(H == 256 ? 0 : H));
    Out.push_back(0);
    Out.push_back(0);
    PutU16(Out, 1);
    PutU16(Out, 32);
    PutU32(Out, uint32_t(Dib.size()));
    PutU32(Out, 22);
    Out.insert(Out.end(), Dib.begin(), Dib.end());
    return Out;
}

}  // namespace

TIcon::~TIcon()
{
    FreeAndNil(FImage);
}

int TIcon::Width() const
{
    return FImage ? FImage->Width() : 0;
}

int TIcon::Height() const
{
    return FImage ? FImage->Height() : 0;
}

void TIcon::SetSize(int AWidth, int AHeight)
{
    FRequested = TSize{AWidth, AHeight};
}

void TIcon::LoadFromStream(TStream* AStream)
{
    TBytes Data = ReadRestOfStream(AStream);
    TByteReader Reader(Data, "Icon");
    std::vector<TIconEntry> Entries = ReadIconDirectory(Reader);
    const TIconEntry& Best = BestIconEntry(Entries, FRequested);
    auto Image = Owned(TBitmap::Create());
    DecodeIconEntry(Reader, Best, Image.get());
    FreeAndNil(FImage);
    FImage = Image.release();
    FData = std::move(Data);
    Changed();
}

void TIcon::SaveToStream(TStream* AStream)
{
    if (FData.empty() && FImage != nullptr)
        FData = EncodeIcon(FImage);
    AStream->WriteBuffer(FData.data(), int64_t(FData.size()));
}

void TIcon::Assign(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TIcon>(ASource)) {
        FData = Source->FData;
        FRequested = Source->FRequested;
        FreeAndNil(FImage);
        if (Source->FImage != nullptr) {
            FImage = TBitmap::Create();
            FImage->Assign(Source->FImage);
        }
        return Changed();
    }
    auto* Bitmap = AsOrNull<TBitmap>(ASource);
    if (Bitmap == nullptr)
        return inherited::Assign(ASource);
    if (Bitmap->Width() > 256 || Bitmap->Height() > 256)
        throw EInvalidGraphic("Icon images are at most 256 x 256 pixels");
    auto Image = Owned(TBitmap::Create());
    Image->Assign(Bitmap);
    bool Opaque = Bitmap->PixelFormat() != pf32bit || Bitmap->AlphaFormat() == afIgnored;
    Image->SetPixelFormat(pf32bit);
    for (int Y = 0; Opaque && Y < Image->Height(); ++Y) {
        uint8_t* Row = static_cast<uint8_t*>(Image->ScanLine(Y));
        for (int X = 0; X < Image->Width(); ++X)
            Row[4 * X + 3] = 255;
    }
    Image->SetAlphaFormat(afDefined);
    FreeAndNil(FImage);
    FImage = Image.release();
    FData.clear();
    Changed();
}

void TIcon::Draw(TCanvas* ACanvas, const TRect& ARect)
{
    if (FImage != nullptr)
        ACanvas->StretchDraw(ARect, FImage);
}

// ---- TMetafile ---------------------------------------------------------------------------

void TMetafile::SetSize(int AWidth, int AHeight)
{
    FWidth = std::max(0, AWidth);
    FHeight = std::max(0, AHeight);
}

void TMetafile::LoadFromStream(TStream*)
{
    throw EInvalidGraphic("Metafile images (WMF, EMF) are not supported");
}

// ---- TPicture ----------------------------------------------------------------------------

namespace {

struct TFileFormat {
    String Extension;
    String Description;
    TGraphicClass Class;
};

// The kinds this layer decodes, registered here rather than by each unit's start-up code,
// which a static library would leave out of a program that never names the unit.
std::vector<TFileFormat>& FileFormats()
{
    static std::vector<TFileFormat> Formats = {
        {"bmp", "Bitmaps", TBitmap::StaticClass()},
        {"ico", "Icons", TIcon::StaticClass()},
        {"wmf", "Metafiles", TMetafile::StaticClass()},
        {"emf", "Enhanced Metafiles", TMetafile::StaticClass()},
        {"jpg", "JPEG Image File", TJPEGImage::StaticClass()},
        {"jpeg", "JPEG Image File", TJPEGImage::StaticClass()},
        {"png", "Portable Network Graphics", TPngImage::StaticClass()},
    };
    return Formats;
}

// The kind of picture that starts with these bytes; nullptr when none does.
TGraphicClass ClassBySignature(std::span<const uint8_t> AHead)
{
    auto StartsWith = [AHead](std::initializer_list<uint8_t> ASignature) {
        return AHead.size() >= ASignature.size() && std::equal(ASignature.begin(), ASignature.end(), AHead.begin());
    };
    if (StartsWith({'B', 'M'}))
        return TBitmap::StaticClass();
    if (StartsWith({0, 0, 1, 0}))
        return TIcon::StaticClass();
    if (StartsWith({0xFF, 0xD8, 0xFF}))
        return TJPEGImage::StaticClass();
    if (StartsWith({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}))
        return TPngImage::StaticClass();
    if (StartsWith({0xD7, 0xCD, 0xC6, 0x9A}) || StartsWith({1, 0, 0, 0}) || StartsWith({1, 0, 9, 0}))
        return TMetafile::StaticClass();
    return nullptr;
}

String ExtensionKey(const String& AExtension)
{
    return LowerCase(!AExtension.empty() && AExtension[0] == '.' ? AExtension.substr(1) : AExtension);
}

}  // namespace

TPicture::~TPicture()
{
    FreeAndNil(FGraphic);
}

void TPicture::TakeGraphic(TGraphic* AGraphic)
{
    FreeAndNil(FGraphic);
    FGraphic = AGraphic;
    if (FGraphic != nullptr)
        FGraphic->SetOnChange(TNotifyEvent::Bind<&TPicture::GraphicChanged>(this));
    GraphicChanged(this);
}

void TPicture::GraphicChanged(TObject*)
{
    if (FOnChange)
        FOnChange(this);
}

void TPicture::SetGraphic(TGraphic* AValue)
{
    if (AValue == FGraphic)
        return;
    TGraphic* Copy = nullptr;
    if (AValue != nullptr) {
        auto New = Owned(XCreateFromClass<TGraphic>(AValue->ClassType()));
        New->Assign(AValue);
        Copy = New.release();
    }
    TakeGraphic(Copy);
}

TBitmap* TPicture::Bitmap()
{
    ForceType(TBitmap::StaticClass());
    return static_cast<TBitmap*>(FGraphic);
}

void TPicture::ForceType(TGraphicClass AClass)
{
    if (FGraphic == nullptr || !FGraphic->InheritsFrom(AClass))
        TakeGraphic(XCreateFromClass<TGraphic>(AClass));
}

void TPicture::LoadFromFile(const String& AFileName)
{
    TGraphicClass Class = FileFormatClass(ExtractFileExt(AFileName));
    if (Class == nullptr)
        throw EInvalidGraphic("Unknown picture file extension (" + ExtractFileExt(AFileName) + ")");
    auto New = Owned(XCreateFromClass<TGraphic>(Class));
    New->LoadFromFile(AFileName);
    TakeGraphic(New.release());
}

void TPicture::SaveToFile(const String& AFileName)
{
    if (FGraphic != nullptr)
        FGraphic->SaveToFile(AFileName);
}

void TPicture::LoadFromStream(TStream* AStream)
{
    uint8_t Head[8] = {};
    int64_t Start = AStream->Position();
    int64_t Count = AStream->Read(Head, sizeof(Head));
    AStream->SetPosition(Start);
    TGraphicClass Class = ClassBySignature(std::span(Head, size_t(Count)));
    if (Class == nullptr)
        throw EInvalidGraphic("Unknown picture format");
    auto New = Owned(XCreateFromClass<TGraphic>(Class));
    New->LoadFromStream(AStream);
    TakeGraphic(New.release());
}

void TPicture::SaveToStream(TStream* AStream)
{
    if (FGraphic != nullptr)
        FGraphic->SaveToStream(AStream);
}

void TPicture::Assign(TPersistent* ASource)
{
    if (ASource == nullptr)
        return SetGraphic(nullptr);
    if (auto* Source = AsOrNull<TPicture>(ASource))
        return SetGraphic(Source->Graphic());
    if (auto* Source = AsOrNull<TGraphic>(ASource))
        return SetGraphic(Source);
    inherited::Assign(ASource);
}

void TPicture::RegisterFileFormat(const String& AExtension, const String& ADescription, TGraphicClass AClass)
{
    String Key = ExtensionKey(AExtension);
    std::vector<TFileFormat>& Formats = FileFormats();
    std::erase_if(Formats, [&Key](const TFileFormat& F) { return F.Extension == Key; });
    Formats.push_back({Key, ADescription, AClass});
}

void TPicture::UnregisterGraphicClass(TGraphicClass AClass)
{
    std::erase_if(FileFormats(), [AClass](const TFileFormat& F) { return F.Class->InheritsFrom(AClass); });
}

TGraphicClass TPicture::FileFormatClass(const String& AExtension)
{
    String Key = ExtensionKey(AExtension);
    for (const TFileFormat& F : FileFormats())
        if (F.Extension == Key)
            return F.Class;
    return nullptr;
}

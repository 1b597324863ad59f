// Vcl.Styles.Paint.cpp: style parts with cairo. A border of width w is stroked along a path w/2
// inside the part's rectangle, so its pixels fill whole columns and rows.
#include "Vcl.Styles.Paint.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "Vcl.Graphics.Cairo.h"

namespace {

// A part's outline, inset by AInset from its rectangle.
struct TOutline {
    double Left, Top, Right, Bottom, Radius;
};

TOutline Inset(const TRect& ARect, double AInset, double ARadius)
{
    TOutline O{ARect.Left + AInset, ARect.Top + AInset, ARect.Right - AInset, ARect.Bottom - AInset, 0};
    double Room = std::min(O.Right - O.Left, O.Bottom - O.Top) / 2;
    O.Radius = std::clamp(ARadius - AInset, 0.0, std::max(0.0, Room));
    return O;
}

// Corners rounded when ATopOnly is False; with ATopOnly the bottom corners stay square.
void RoundedPath(cairo_t* ACr, const TOutline& O, bool ATopOnly)
{
    constexpr double Pi = std::numbers::pi;
    double R = O.Radius;
    cairo_new_sub_path(ACr);
    if (R <= 0) {
        cairo_rectangle(ACr, O.Left, O.Top, O.Right - O.Left, O.Bottom - O.Top);
        return;
    }
    cairo_arc(ACr, O.Right - R, O.Top + R, R, -Pi / 2, 0);
    if (ATopOnly) {
        cairo_line_to(ACr, O.Right, O.Bottom);
        cairo_line_to(ACr, O.Left, O.Bottom);
    } else {
        cairo_arc(ACr, O.Right - R, O.Bottom - R, R, 0, Pi / 2);
        cairo_arc(ACr, O.Left + R, O.Bottom - R, R, Pi / 2, Pi);
    }
    cairo_arc(ACr, O.Left + R, O.Top + R, R, Pi, 3 * Pi / 2);
    cairo_close_path(ACr);
}

// The tab's outline without its bottom edge, so the stroke leaves the bottom open.
void OpenTabPath(cairo_t* ACr, const TOutline& O, double ABottom)
{
    constexpr double Pi = std::numbers::pi;
    double R = O.Radius;
    cairo_move_to(ACr, O.Left, ABottom);
    if (R > 0) {
        cairo_arc(ACr, O.Left + R, O.Top + R, R, Pi, 3 * Pi / 2);
        cairo_arc(ACr, O.Right - R, O.Top + R, R, -Pi / 2, 0);
    } else {
        cairo_line_to(ACr, O.Left, O.Top);
        cairo_line_to(ACr, O.Right, O.Top);
    }
    cairo_line_to(ACr, O.Right, ABottom);
}

void PointerPath(cairo_t* ACr, const TOutline& O, bool ADown)
{
    cairo_new_sub_path(ACr);
    if (ADown) {
        double Tip = (O.Right - O.Left) / 2;
        cairo_move_to(ACr, O.Left, O.Top);
        cairo_line_to(ACr, O.Right, O.Top);
        cairo_line_to(ACr, O.Right, O.Bottom - Tip);
        cairo_line_to(ACr, (O.Left + O.Right) / 2, O.Bottom);
        cairo_line_to(ACr, O.Left, O.Bottom - Tip);
    } else {
        double Tip = (O.Bottom - O.Top) / 2;
        cairo_move_to(ACr, O.Left, O.Top);
        cairo_line_to(ACr, O.Right - Tip, O.Top);
        cairo_line_to(ACr, O.Right, (O.Top + O.Bottom) / 2);
        cairo_line_to(ACr, O.Right - Tip, O.Bottom);
        cairo_line_to(ACr, O.Left, O.Bottom);
    }
    cairo_close_path(ACr);
}

void ShapePath(cairo_t* ACr, const TOutline& O, TPartShape AShape)
{
    switch (AShape) {
    case shRound: {
        double D = std::min(O.Right - O.Left, O.Bottom - O.Top);
        cairo_new_sub_path(ACr);
        cairo_arc(ACr, (O.Left + O.Right) / 2, (O.Top + O.Bottom) / 2, D / 2, 0, 2 * std::numbers::pi);
        break;
    }
    case shTab:
        RoundedPath(ACr, O, true);
        break;
    case shPointerDown:
    case shPointerRight:
        PointerPath(ACr, O, AShape == shPointerDown);
        break;
    default:
        RoundedPath(ACr, O, false);
        break;
    }
}

bool Curved(TPartShape AShape, double ARadius)
{
    return ARadius > 0 || AShape == shRound || AShape == shPointerDown || AShape == shPointerRight;
}

void SetFillSource(cairo_t* ACr, const TStyleFace& AFace, const TRect& ARect)
{
    if (AFace.FillEnd == clNone || AFace.FillEnd == AFace.Fill) {
        SetSourceColor(ACr, AFace.Fill);
        return;
    }
    cairo_pattern_t* Pattern = AFace.Gradient == sgVertical
                                   ? cairo_pattern_create_linear(0, ARect.Top, 0, ARect.Bottom)
                                   : cairo_pattern_create_linear(ARect.Left, 0, ARect.Right, 0);
    for (auto [Offset, Color] : {std::pair{0.0, AFace.Fill}, std::pair{1.0, AFace.FillEnd}}) {
        TColor C = ColorToRGB(Color);
        cairo_pattern_add_color_stop_rgb(Pattern, Offset, GetRValue(C) / 255.0, GetGValue(C) / 255.0,
                                         GetBValue(C) / 255.0);
    }
    cairo_set_source(ACr, Pattern);
    cairo_pattern_destroy(Pattern);
}

void ClipTo(cairo_t* ACr, const TRect* AClip)
{
    if (AClip == nullptr)
        return;
    cairo_rectangle(ACr, AClip->Left, AClip->Top, std::max(0, AClip->Width()), std::max(0, AClip->Height()));
    cairo_clip(ACr);
}

// One-pixel rows along the top (Light) and bottom (Shadow) inside the border, clipped to the
// part's inside so they follow round corners.
void PaintEdges(TDrawContext& C, const TOutline& AInside, const TStyleFace& AFace, TPartShape AShape, double AScale)
{
    cairo_t* Cr = C.Cr();
    cairo_save(Cr);
    ShapePath(Cr, AInside, AShape);
    cairo_clip(Cr);
    double Stripe = std::round(2 * AScale);
    if (AFace.Accent != clNone) {
        SetSourceColor(Cr, AFace.Accent);
        cairo_rectangle(Cr, AInside.Left, AInside.Top, AInside.Right - AInside.Left, Stripe);
        C.Fill();
    }
    double Below = AFace.Accent != clNone ? Stripe : 0;
    if (AFace.Light != clNone) {
        SetSourceColor(Cr, AFace.Light);
        cairo_rectangle(Cr, AInside.Left, AInside.Top + Below, AInside.Right - AInside.Left, 1);
        C.Fill();
    }
    if (AFace.Shadow != clNone) {
        SetSourceColor(Cr, AFace.Shadow);
        cairo_rectangle(Cr, AInside.Left, AInside.Bottom - 1, AInside.Right - AInside.Left, 1);
        C.Fill();
    }
    cairo_restore(Cr);
}

// Rectangles in one colour; nothing for clNone.
void FillRects(TDrawContext& C, TColor AColor, std::initializer_list<TRect> ARects)
{
    if (AColor == clNone)
        return;
    SetSourceColor(C.Cr(), AColor);
    for (const TRect& R : ARects)
        cairo_rectangle(C.Cr(), R.Left, R.Top, std::max(0, R.Width()), std::max(0, R.Height()));
    C.Fill();
}

void FillFace(TDrawContext& C, const TRect& R, const TStyleFace& AFace)
{
    if (AFace.Fill == clNone)
        return;
    SetFillSource(C.Cr(), AFace, R);
    cairo_rectangle(C.Cr(), R.Left, R.Top, R.Width(), R.Height());
    C.Fill();
}

void PaintBevel(TDrawContext& C, const TRect& R, const TStyleFace& AFace)
{
    FillFace(C, R, AFace);
    FillRects(C, AFace.Light,
              {Rect(R.Left, R.Top, R.Right - 1, R.Top + 1), Rect(R.Left, R.Top + 1, R.Left + 1, R.Bottom - 1)});
    FillRects(C, AFace.Shadow,
              {Rect(R.Right - 1, R.Top, R.Right, R.Bottom), Rect(R.Left, R.Bottom - 1, R.Right - 1, R.Bottom)});
}

void PaintHeader(TDrawContext& C, const TRect& R, const TStyleFace& AFace)
{
    FillFace(C, R, AFace);
    FillRects(C, AFace.Light, {Rect(R.Left, R.Top, R.Right, R.Top + 1)});
    FillRects(C, AFace.Shadow, {Rect(R.Left, R.Bottom - 1, R.Right, R.Bottom)});
    int SeparatorBottom = AFace.Shadow != clNone ? R.Bottom - 1 : R.Bottom;
    FillRects(C, AFace.Border, {Rect(R.Right - 1, R.Top, R.Right, SeparatorBottom)});
}

}  // namespace

void PaintPart(TCanvas* ACanvas, const TRect& ARect, const TRect* AClip, const TStyleFace& AFace, TPartShape AShape,
               double AScale)
{
    if (ARect.Width() <= 0 || ARect.Height() <= 0)
        return;
    TDrawContext C(ACanvas);
    if (!C)
        return;
    cairo_t* Cr = C.Cr();
    ClipTo(Cr, AClip);
    if (AShape == shBevel) {
        PaintBevel(C, ARect, AFace);
        return;
    }
    if (AShape == shHeader) {
        PaintHeader(C, ARect, AFace);
        return;
    }
    double Radius = AFace.Radius * AScale;
    if (Curved(AShape, Radius))
        cairo_set_antialias(Cr, CAIRO_ANTIALIAS_DEFAULT);
    bool Bordered = AFace.Border != clNone && AFace.BorderWidth > 0;
    double Width = Bordered ? std::max(1.0, std::round(AFace.BorderWidth * AScale)) : 0;
    if (AFace.Fill != clNone) {
        // The fill reaches under the border, so antialiased corners blend into it.
        ShapePath(Cr, Inset(ARect, Width / 2, Radius), AShape);
        SetFillSource(Cr, AFace, ARect);
        C.Fill();
    }
    PaintEdges(C, Inset(ARect, Width, Radius), AFace, AShape, AScale);
    if (!Bordered)
        return;
    cairo_set_line_width(Cr, Width);
    SetSourceColor(Cr, AFace.Border);
    TOutline Middle = Inset(ARect, Width / 2, Radius);
    if (AShape == shTab)
        OpenTabPath(Cr, Middle, ARect.Bottom);
    else
        ShapePath(Cr, Middle, AShape);
    C.Stroke();
}

namespace {

void Polyline(cairo_t* ACr, std::initializer_list<std::pair<double, double>> APoints, double AX, double AY,
              double AUnit)
{
    bool First = true;
    for (auto [X, Y] : APoints) {
        if (First)
            cairo_move_to(ACr, AX + X * AUnit, AY + Y * AUnit);
        else
            cairo_line_to(ACr, AX + X * AUnit, AY + Y * AUnit);
        First = false;
    }
}

// A filled triangle pointing along (ADX, ADY) in the middle of ABox, built of one-pixel rows
// 1, 3, 5... wide as the system draws arrows, so it stays sharp at any size.
void Triangle(TDrawContext& C, const TRect& ABox, int ARows, int ADX, int ADY)
{
    cairo_t* Cr = C.Cr();
    cairo_set_antialias(Cr, CAIRO_ANTIALIAS_NONE);
    int CX = ABox.Left + (ABox.Width() - 1) / 2, CY = ABox.Top + (ABox.Height() - 1) / 2;
    for (int Row = 0; Row < ARows; ++Row) {
        // Row 0 is the tip; the arrow's depth is centred on the box's middle.
        int Along = Row - ARows / 2;
        if (ADY != 0)
            cairo_rectangle(Cr, CX - Row, CY - ADY * Along, 2 * Row + 1, 1);
        else
            cairo_rectangle(Cr, CX - ADX * Along, CY - Row, 1, 2 * Row + 1);
    }
    C.Fill();
}

void QuestionMark(TDrawContext& C, double AX, double AY, double AUnit)
{
    cairo_t* Cr = C.Cr();
    constexpr double Pi = std::numbers::pi;
    cairo_new_sub_path(Cr);
    cairo_arc(Cr, AX, AY - 1.5 * AUnit, 2.2 * AUnit, Pi, 2.25 * Pi);
    cairo_line_to(Cr, AX, AY + 1.6 * AUnit);
    C.Stroke();
    cairo_arc(Cr, AX, AY + 3.6 * AUnit, 0.75 * AUnit, 0, 2 * Pi);
    C.Fill();
}

}  // namespace

void PaintGlyph(TCanvas* ACanvas, const TRect& ABox, const TRect* AClip, TPartGlyph AGlyph, TColor AColor,
                double AStroke, double AScale)
{
    if (AGlyph == glNone || AColor == clNone || ABox.Width() <= 0 || ABox.Height() <= 0)
        return;
    TDrawContext C(ACanvas);
    if (!C)
        return;
    cairo_t* Cr = C.Cr();
    ClipTo(Cr, AClip);
    cairo_set_antialias(Cr, CAIRO_ANTIALIAS_DEFAULT);
    SetSourceColor(Cr, AColor);
    double Stroke = AStroke * AScale;
    cairo_set_line_width(Cr, Stroke);
    cairo_set_line_cap(Cr, CAIRO_LINE_CAP_SQUARE);
    double X = (ABox.Left + ABox.Right) / 2.0, Y = (ABox.Top + ABox.Bottom) / 2.0;
    double Side = std::min(ABox.Width(), ABox.Height());
    // Check boxes and radio buttons are drawn in units of their 13-pixel box.
    double BoxUnit = Side / 13.0;
    double Unit = AScale;
    switch (AGlyph) {
    case glCheck:
        cairo_set_line_cap(Cr, CAIRO_LINE_CAP_BUTT);
        cairo_set_line_join(Cr, CAIRO_LINE_JOIN_MITER);
        cairo_set_line_width(Cr, Stroke * 1.6);
        Polyline(Cr, {{-3.8, -0.2}, {-1.2, 2.5}, {3.8, -2.6}}, X, Y, BoxUnit);
        C.Stroke();
        break;
    case glMixed:
        cairo_set_antialias(Cr, CAIRO_ANTIALIAS_NONE);
        cairo_rectangle(Cr, std::round(X - 3.5 * BoxUnit), std::round(Y - 3.5 * BoxUnit), std::round(7 * BoxUnit),
                        std::round(7 * BoxUnit));
        C.Fill();
        break;
    case glDot:
        cairo_arc(Cr, X, Y, 3 * BoxUnit, 0, 2 * std::numbers::pi);
        C.Fill();
        break;
    case glArrowUp:
    case glArrowDown:
    case glArrowLeft:
    case glArrowRight: {
        int DX = AGlyph == glArrowRight ? 1 : AGlyph == glArrowLeft ? -1 : 0;
        int DY = AGlyph == glArrowDown ? 1 : AGlyph == glArrowUp ? -1 : 0;
        Triangle(C, ABox, std::max(2, int(std::lround(Side * 0.22))), DX, DY);
        break;
    }
    case glChevronDown:
        cairo_set_line_cap(Cr, CAIRO_LINE_CAP_ROUND);
        Polyline(Cr, {{-3.5, -1.75}, {0, 1.75}, {3.5, -1.75}}, X, Y, Unit);
        C.Stroke();
        break;
    case glChevronRight:
        cairo_set_line_cap(Cr, CAIRO_LINE_CAP_ROUND);
        Polyline(Cr, {{-1.75, -3.5}, {1.75, 0}, {-1.75, 3.5}}, X, Y, Unit);
        C.Stroke();
        break;
    case glClose: {
        double H = std::round(Side * 0.27);
        cairo_set_line_cap(Cr, CAIRO_LINE_CAP_BUTT);
        cairo_move_to(Cr, X - H, Y - H);
        cairo_line_to(Cr, X + H, Y + H);
        cairo_move_to(Cr, X + H, Y - H);
        cairo_line_to(Cr, X - H, Y + H);
        C.Stroke();
        break;
    }
    case glMaximize:
    case glRestore:
    case glMinimize: {
        cairo_set_antialias(Cr, CAIRO_ANTIALIAS_NONE);
        double H = std::round(Side * 0.27);
        double L = std::round(X - H), T = std::round(Y - H), S = 2 * H;
        double Half = Stroke / 2;
        if (AGlyph == glMinimize) {
            cairo_rectangle(Cr, L, std::round(Y + H - Stroke), S + 1, std::max(1.0, std::round(Stroke)));
            C.Fill();
        } else if (AGlyph == glMaximize) {
            cairo_rectangle(Cr, L + Half, T + Half, S, S);
            C.Stroke();
            cairo_rectangle(Cr, L, T, S + 1, std::round(Stroke));   // the title bar of the sign
            C.Fill();
        } else {
            double Back = std::round(2 * AScale + Side * 0.05);
            cairo_move_to(Cr, L + Back + Half, T + Back + Half - Back);
            cairo_line_to(Cr, L + S + Half, T + Half);
            cairo_line_to(Cr, L + S + Half, T + S - Back + Half);
            C.Stroke();
            cairo_rectangle(Cr, L + Half, T + Back + Half, S - Back, S - Back);
            C.Stroke();
        }
        break;
    }
    case glHelp:
        cairo_set_line_cap(Cr, CAIRO_LINE_CAP_ROUND);
        QuestionMark(C, X, Y, Side / 14.0);
        break;
    case glGrip: {
        cairo_set_antialias(Cr, CAIRO_ANTIALIAS_NONE);
        double Step = std::round(4 * AScale), Dot = std::round(2 * AScale);
        for (int Row = 0; Row < 3; ++Row)
            for (int Col = 2 - Row; Col < 3; ++Col)
                cairo_rectangle(Cr, ABox.Right - (3 - Col) * Step, ABox.Bottom - (3 - Row) * Step, Dot, Dot);
        C.Fill();
        break;
    }
    default:
        break;
    }
}

void PaintLine(TCanvas* ACanvas, int AX1, int AY1, int AX2, int AY2, TColor AColor, const TRect* AClip)
{
    if (AColor == clNone)
        return;
    TDrawContext C(ACanvas);
    if (!C)
        return;
    cairo_t* Cr = C.Cr();
    ClipTo(Cr, AClip);
    SetSourceColor(Cr, AColor);
    cairo_rectangle(Cr, std::min(AX1, AX2), std::min(AY1, AY2), std::abs(AX2 - AX1) + 1, std::abs(AY2 - AY1) + 1);
    C.Fill();
}

void PaintFocusFrame(TCanvas* ACanvas, const TRect& ARect, const TStyleFace& AFace, double AScale)
{
    if (AFace.Border == clNone || ARect.Width() <= 0 || ARect.Height() <= 0)
        return;
    TDrawContext C(ACanvas);
    if (!C)
        return;
    cairo_t* Cr = C.Cr();
    SetSourceColor(Cr, AFace.Border);
    if (AFace.BorderWidth == 0) {
        // Every other pixel of the frame, as the system draws focus.
        for (int X = ARect.Left; X < ARect.Right; X += 2) {
            cairo_rectangle(Cr, X, ARect.Top, 1, 1);
            cairo_rectangle(Cr, X, ARect.Bottom - 1, 1, 1);
        }
        for (int Y = ARect.Top + 2; Y < ARect.Bottom - 1; Y += 2) {
            cairo_rectangle(Cr, ARect.Left, Y, 1, 1);
            cairo_rectangle(Cr, ARect.Right - 1, Y, 1, 1);
        }
        C.Fill();
        return;
    }
    double Width = std::max(1.0, std::round(AFace.BorderWidth * AScale));
    double Radius = AFace.Radius * AScale;
    if (Radius > 0)
        cairo_set_antialias(Cr, CAIRO_ANTIALIAS_DEFAULT);
    cairo_set_line_width(Cr, Width);
    RoundedPath(Cr, Inset(ARect, Width / 2, Radius), false);
    C.Stroke();
}

// Vcl.Styles.Paint.h: for the style services only: the shapes and signs that style parts are
// made of, painted from a face. Shapes and lines sit on the pixel grid and are antialiased only
// where they curve, so straight one-pixel borders stay crisp.
#pragma once

#include "Vcl.Styles.h"

enum TPartShape : uint8_t {
    shBox,            // a rectangle, its corners rounded by the face's radius
    shRound,          // a circle in the middle of the rectangle
    shTab,            // rounded at the top, open at the bottom (tabs, captions)
    shPointerDown,    // a track bar thumb pointing down
    shPointerRight,   // pointing right
    shBevel,          // fill, then Light at the top and left, Shadow at the bottom and right
    shHeader,         // fill, Border as the separator at the right, Shadow as the line below
};

enum TPartGlyph : uint8_t {
    glNone, glCheck, glMixed, glDot,
    glArrowUp, glArrowDown, glArrowLeft, glArrowRight,   // filled triangles
    glChevronDown, glChevronRight,                        // open angles
    glClose, glMaximize, glRestore, glMinimize, glHelp,  // caption buttons
    glGrip,                                               // the dots of a size box
};

// Everything below draws nothing on a canvas without pixels and keeps to AClip when given.
// AScale is the DPI over 96.

void PaintPart(TCanvas* ACanvas, const TRect& ARect, const TRect* AClip, const TStyleFace& AFace, TPartShape AShape,
               double AScale);
// The sign in the middle of ABox, in AColor (clNone: nothing), its lines AStroke wide at 96 DPI.
void PaintGlyph(TCanvas* ACanvas, const TRect& ABox, const TRect* AClip, TPartGlyph AGlyph, TColor AColor,
                double AStroke, double AScale);
// A one-pixel line from (AX1, AY1) to (AX2, AY2), both ends included; horizontal or vertical.
void PaintLine(TCanvas* ACanvas, int AX1, int AY1, int AX2, int AY2, TColor AColor, const TRect* AClip);
// The face's Border around ARect: dotted when BorderWidth is 0, else solid and rounded.
void PaintFocusFrame(TCanvas* ACanvas, const TRect& ARect, const TStyleFace& AFace, double AScale);

// Vcl.Graphics.Cairo.h: for the platform's own drawing units (canvases, the style painter):
// a canvas's pixels as a cairo context for one drawing call. Framework code draws through
// TCanvas and never includes this.
#pragma once

#include <cairo.h>

#include <memory>

#include "Vcl.Graphics.h"

using TSurfacePtr = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using TCairoPtr = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

// A system colour is resolved first.
void SetSourceColor(cairo_t* ACr, TColor AColor);

// One drawing call on a canvas: the target's pixels as a cairo context in canvas
// coordinates, clipped, without antialiasing (GDI draws shapes aliased). Draws nothing (and
// tests False) when the canvas has no pixels.
class TDrawContext {
public:
    explicit TDrawContext(TCanvas* ACanvas);
    ~TDrawContext();
    TDrawContext(const TDrawContext&) = delete;
    TDrawContext& operator=(const TDrawContext&) = delete;

    explicit operator bool() const { return FAcquired && FUsable; }
    cairo_t* Cr() const { return FCr.get(); }
    const TCanvasTarget& Target() const { return FTarget; }
    void Fill() { cairo_fill(Cr()); FChanged = true; }
    void Paint() { cairo_paint(Cr()); FChanged = true; }
    void Stroke() { cairo_stroke(Cr()); FChanged = true; }
    void MarkChanged() { FChanged = true; }

private:
    TCanvas* FCanvas;
    TCanvasTarget FTarget;
    bool FAcquired = false;
    bool FUsable = false;
    bool FChanged = false;
    TSurfacePtr FSurface{nullptr, &cairo_surface_destroy};
    TCairoPtr FCr{nullptr, &cairo_destroy};
};

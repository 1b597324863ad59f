// XDesignDef.h: what design items share for painting: the colour guard against the
// transparency key and the Gaussian blur of soft text.
#pragma once

#include <array>
#include <cstdint>

#include "Vcl.Graphics.h"

// The transparency key that item bitmaps leave out when drawn on the page.
inline constexpr TColor kDesignKeyColor = 0xFF00FF;

// Every colour an item paints goes through this, so that no painted pixel is taken for the key.
constexpr TColor SafeColor(TColor AColor) { return AColor == kDesignKeyColor ? TColor(0xFE00FF) : AColor; }

// Normalised weights k[-Radius..Radius], cut where the two tails together stay below half a
// grey level.
struct TXGaussianKernel {
    static constexpr int kMaxRadius = 100;
    double Sigma = 0;
    int Radius = 0;
    std::array<float, 2 * kMaxRadius + 1> Weights{};   // Weights[kMaxRadius + i] is k[i]

    float K(int AI) const { return Weights[kMaxRadius + AI]; }
};

// The kernel for ASigma (> 0); kept per thread and rebuilt only when the sigma changes.
const TXGaussianKernel& GaussianKernel(double ASigma);

// Blurs the bitmap in place, rows then columns, edges clamped. A 32-bit bitmap stays 32-bit
// (its fourth bytes unchanged); any other is made 24-bit first. An empty bitmap is left alone.
void GaussianBlur(TBitmap* ABitmap, double ASigma);

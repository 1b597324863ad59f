// Vcl.Imaging.PngImage.h: PNG pictures through libpng. Whatever the file's colour type and
// depth, the pixels are kept as 8-bit blue, green, red rows (Scanline) with an optional alpha
// plane (AlphaScanline). Header tells the file's colour type; its depth is always 8, the
// depth of what is held.
#pragma once

#include "Vcl.Graphics.h"

// Colour types of a PNG header.
inline constexpr uint8_t COLOR_GRAYSCALE = 0;
inline constexpr uint8_t COLOR_RGB = 2;
inline constexpr uint8_t COLOR_PALETTE = 3;
inline constexpr uint8_t COLOR_GRAYSCALEALPHA = 4;
inline constexpr uint8_t COLOR_RGBALPHA = 6;

X_ENUM(TPNGTransparencyMode, ptmNone, ptmBit, ptmPartial);

struct TPngHeader {
    int Width = 0;
    int Height = 0;
    uint8_t BitDepth = 8;
    uint8_t ColorType = COLOR_RGB;
};

class TPngImage : public TGraphic {
    X_CLASS(TPngImage, TGraphic)
public:
    int Width() const override { return FHeader.Width; }
    int Height() const override { return FHeader.Height; }
    bool Empty() const override { return FHeader.Width == 0 || FHeader.Height == 0; }
    // Kept pixels stay where they were; new ones are white and opaque.
    void SetSize(int AWidth, int AHeight) override { Resize(AWidth, AHeight); }
    void Resize(int AWidth, int AHeight);
    const TPngHeader& Header() const { return FHeader; }

    // ptmNone: opaque; ptmBit: one colour (TransparentColor) or palette entry is fully
    // transparent; ptmPartial: an alpha channel.
    TPNGTransparencyMode TransparencyMode() const { return FTransparencyMode; }
    TColor TransparentColor() const { return FTransparentColor; }
    bool Transparent() const override { return FTransparencyMode != ptmNone; }

    // An empty image of the colour type (0, 2, 3, 4 or 6) at 8 bits per channel; other depths
    // raise EInvalidGraphicOperation. Colour types with alpha start fully transparent.
    void CreateBlank(uint8_t AColorType, uint8_t ABitDepth, int AWidth, int AHeight);
    // Gives an opaque image an alpha channel (the transparent colour's pixels at 0): grey
    // becomes grey with alpha, RGB becomes RGB with alpha.
    void CreateAlpha();

    // Row ARow, top first: blue, green, red. Raises EInvalidGraphicOperation out of range.
    void* Scanline(int ARow);
    // The row's alpha bytes; nullptr for an image without alpha.
    uint8_t* AlphaScanline(int ARow);
    // Draws on the colour rows; alpha is left as it is.
    TCanvas* Canvas() { return FRows->Canvas(); }

    // 1 to 16 bits per channel, every colour type, interlaced or not. Corrupt or cut bytes
    // raise EInvalidGraphic.
    void LoadFromStream(TStream* AStream) override;
    // 8-bit RGB, or RGB with alpha when the image has alpha.
    void SaveToStream(TStream* AStream) override;
    // From another PNG, or from a bitmap (its fourth byte as alpha when AlphaFormat defines one).
    void Assign(TPersistent* ASource) override;
    // Into a bitmap: pf32bit with straight alpha when the image has alpha, else pf24bit.
    void AssignTo(TPersistent* ADest) override;

protected:
    TPngImage() = default;
    ~TPngImage() override;
    void Construct() override;
    void Draw(TCanvas* ACanvas, const TRect& ARect) override;

private:
    friend class TPngCodec;
    bool HasAlpha() const { return !FAlpha.empty(); }

    TPngHeader FHeader;
    TBitmap* FRows = nullptr;
    TBytes FAlpha;
    TPNGTransparencyMode FTransparencyMode = ptmNone;
    TColor FTransparentColor = clNone;
};

// XMedia.Classes.h: the Lanczos reconstruction filter, per-axis weight maps built from a
// filter, and plain two-dimensional pixel maps that the resampler uses as buffers.
// Maps are row-major: Lines()[y][x]. In a weight map x is the destination pixel, y the tap.
#pragma once

#include <cstdint>
#include <vector>

#include "XCore.Classes.h"
#include "XMedia.Colors.h"
#include "XMedia.Types.h"

// ---- Filter kernels ----------------------------------------------------------------------

class TXFilterKernel : public TXPersistent {
    X_CLASS(TXFilterKernel, TXPersistent)
public:
    float Radius() const { return FRadius; }
    // The plain kernel keeps radius 1.
    virtual void SetRadius(float) {}
    virtual float Value(float AX) const = 0;

    // Takes the source kernel's radius through SetRadius.
    bool AssignFrom(TPersistent* ASource) override;

protected:
    TXFilterKernel() = default;

    float FRadius = 1;
};

class TXSizableFilterKernel : public TXFilterKernel {
    X_CLASS(TXSizableFilterKernel, TXFilterKernel)
public:
    // Above 4 becomes 4 and 0 becomes 1; anything else, negative values included, is kept.
    void SetRadius(float AValue) override;

protected:
    TXSizableFilterKernel() = default;
    void Init() override;
    void DoClear() override;
};

// The windowed sinc R sin(pi x) sin(pi x / R) / (pi x)^2 for |x| < R, 0 beyond.
class TXLanczosKernel : public TXSizableFilterKernel {
    X_CLASS(TXLanczosKernel, TXSizableFilterKernel)
public:
    float Value(float AX) const override;

protected:
    TXLanczosKernel() = default;
};

// ---- Pixel maps --------------------------------------------------------------------------

template <class T>
class TXDataMap : public TXPersistent {
    X_CLASS(TXDataMap, TXPersistent)
public:
    using TLine = std::vector<T>;

    const TXSize& Size() const { return FSize; }
    std::vector<TLine>& Lines() { return FLines; }
    const std::vector<TLine>& Lines() const { return FLines; }
    // Resizes when either side changes, keeping the values both sizes share; new cells are
    // zero. A negative side counts as 0.
    void SetSize(int32_t AWidth, int32_t AHeight);
    void SetSize(const TXSize& ASize) { SetSize(ASize.Width, ASize.Height); }
    // Only a map of 0 x 0 is empty.
    bool IsEmpty() override { return FSize.Width == 0 && FSize.Height == 0; }

    // Deep copy from a map of the same element type.
    bool AssignFrom(TPersistent* ASource) override;

protected:
    TXDataMap() = default;
    void DoClear() override;
    virtual void ResizeLines();
    virtual void AssignData(TXDataMap* ASource);

private:
    TXSize FSize;
    std::vector<TLine> FLines;
};

extern template class TXDataMap<TXPixWeight>;
extern template class TXDataMap<uint8_t>;
extern template class TXDataMap<TXRGBColor>;
extern template class TXDataMap<TXRGBAColor>;

// The taps of one axis: column i lists, in Lines()[k][i] for k below Counts()[i], the source
// pixels and weights that make destination pixel i.
class TXPixWeightMap : public TXDataMap<TXPixWeight> {
    X_CLASS(TXPixWeightMap, TXDataMap<TXPixWeight>)
public:
    const std::vector<int32_t>& Counts() const { return FCounts; }
    // Fills the map for ADestLength pixels made from ASourceLength; both below 2 leave it
    // empty. Destination pixel i is centred on source position i / scale, where the scale is
    // ADestLength / ASourceLength with AUseRatio, else (ADestLength - 1) / (ASourceLength - 1).
    // Taps past either end read the source mirrored; each pixel's weights sum to 1.
    void Build(int32_t ADestLength, int32_t ASourceLength, const TXFilterKernel* AKernel, bool AUseRatio);

protected:
    TXPixWeightMap() = default;
    void DoClear() override;
    void ResizeLines() override;
    void AssignData(TXDataMap<TXPixWeight>* ASource) override;

private:
    // Stores one tap of pixel AColumn. False when the column is full: float rounding at the
    // edge of the support, or a negative radius, can find more taps than the map has rows.
    bool AddTap(int32_t AColumn, int32_t AIndex, float AWeight);
    void Normalize(int32_t AColumn, float ASum);

    std::vector<int32_t> FCounts;
};

class TXByteMap : public TXDataMap<uint8_t> {
    X_CLASS(TXByteMap, TXDataMap<uint8_t>)
protected:
    TXByteMap() = default;
};

class TXRGBMap : public TXDataMap<TXRGBColor> {
    X_CLASS(TXRGBMap, TXDataMap<TXRGBColor>)
protected:
    TXRGBMap() = default;
};

class TXRGBAMap : public TXDataMap<TXRGBAColor> {
    X_CLASS(TXRGBAMap, TXDataMap<TXRGBAColor>)
protected:
    TXRGBAMap() = default;
};

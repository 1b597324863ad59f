// XMedia.Graphics.Filters.h: scaling pictures with a separable filter: each row through the
// column weight map into a buffer, then each column of the buffer through the row weight map.
// Pixels are blue, green, red, then the fourth byte; a 24-bit picture carries alpha in its own rows.
#pragma once

#include <cstdint>
#include <functional>

#include "XMedia.Classes.h"

// Row ARow of a picture's pixels; the row must hold at least as many pixels as the maps read.
using TXSourceRow32 = std::function<const TXRGBAColor*(int32_t ARow)>;
using TXDestRow32 = std::function<TXRGBAColor*(int32_t ARow)>;
using TXSourceRowRGB = std::function<const TXRGBColor*(int32_t ARow)>;
using TXDestRowRGB = std::function<TXRGBColor*(int32_t ARow)>;
using TXSourceRowAlpha = std::function<const uint8_t*(int32_t ARow)>;
using TXDestRowAlpha = std::function<uint8_t*(int32_t ARow)>;

// Scales ASourceHeight rows to AColumns' width by ARows' width. AColumns must be built for the
// source's width and ARows for ASourceHeight. Colours are weighed and rounded to bytes; the
// fourth byte is not weighed but copied from the last source pixel each sum reads.
void ResamplePixels(const TXPixWeightMap& AColumns, const TXPixWeightMap& ARows, int32_t ASourceHeight,
                    const TXSourceRow32& ASource, const TXDestRow32& ADest);
// The same for 24-bit rows with alpha rows beside them: alpha is weighed like the colours,
// and the colours are not premultiplied, so a transparent pixel still lends its colour.
void ResamplePixels(const TXPixWeightMap& AColumns, const TXPixWeightMap& ARows, int32_t ASourceHeight,
                    const TXSourceRowRGB& ASource, const TXSourceRowAlpha& ASourceAlpha, const TXDestRowRGB& ADest,
                    const TXDestRowAlpha& ADestAlpha);

#include "XDesignDef.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

void BuildKernel(TXGaussianKernel& AKernel, double ASigma)
{
    constexpr int M = TXGaussianKernel::kMaxRadius;
    auto Normalise = [&AKernel](int ARadius) {
        float Sum = 0;
        for (int I = -ARadius; I <= ARadius; ++I)
            Sum += AKernel.Weights[M + I];
        for (int I = -ARadius; I <= ARadius; ++I)
            AKernel.Weights[M + I] /= Sum;
    };
    AKernel.Weights.fill(0);
    for (int I = -M; I <= M; ++I) {
        const double X = I / ASigma;
        AKernel.Weights[M + I] = float(std::exp(-X * X / 2));
    }
    Normalise(M);
    int Radius = M;
    float Tail = 0;
    while (Tail < 1.0f / 510 && Radius > 1) {
        Tail += 2 * AKernel.Weights[M + Radius];
        --Radius;
    }
    for (int I = Radius + 1; I <= M; ++I)
        AKernel.Weights[M + I] = AKernel.Weights[M - I] = 0;
    Normalise(Radius);
    AKernel.Radius = Radius;
    AKernel.Sigma = ASigma;
}

uint8_t ToByte(float AValue) { return uint8_t(std::clamp(std::lround(AValue), 0L, 255L)); }

}  // namespace

const TXGaussianKernel& GaussianKernel(double ASigma)
{
    thread_local TXGaussianKernel Kernel;
    if (Kernel.Radius == 0 || Kernel.Sigma != ASigma)
        BuildKernel(Kernel, ASigma);
    return Kernel;
}

void GaussianBlur(TBitmap* ABitmap, double ASigma)
{
    if (ABitmap == nullptr || ABitmap->Empty())
        return;
    if (ABitmap->PixelFormat() != pf32bit)
        ABitmap->SetPixelFormat(pf24bit);
    const TXGaussianKernel& Kernel = GaussianKernel(ASigma);
    const int W = ABitmap->Width();
    const int H = ABitmap->Height();
    const int Bpp = ABitmap->BytesPerPixel();
    const int R = Kernel.Radius;

    std::vector<uint8_t> Scratch(size_t(W) * Bpp);
    for (int Y = 0; Y < H; ++Y) {
        auto* Row = static_cast<uint8_t*>(ABitmap->ScanLine(Y));
        for (int X = 0; X < W; ++X)
            for (int C = 0; C < 3; ++C) {
                float Sum = 0;
                for (int J = -R; J <= R; ++J)
                    Sum += Kernel.K(J) * Row[std::clamp(X - J, 0, W - 1) * Bpp + C];
                Scratch[X * Bpp + C] = ToByte(Sum);
            }
        for (int X = 0; X < W; ++X)
            for (int C = 0; C < 3; ++C)
                Row[X * Bpp + C] = Scratch[X * Bpp + C];
    }

    // Columns, a whole row at a time: the source rows are read from a copy of the picture.
    std::vector<uint8_t> Source(size_t(W) * Bpp * H);
    for (int Y = 0; Y < H; ++Y)
        std::copy_n(static_cast<uint8_t*>(ABitmap->ScanLine(Y)), W * Bpp, Source.data() + size_t(Y) * W * Bpp);
    std::vector<float> Sums(size_t(W) * Bpp);
    for (int Y = 0; Y < H; ++Y) {
        std::ranges::fill(Sums, 0.0f);
        for (int J = -R; J <= R; ++J) {
            const uint8_t* In = Source.data() + size_t(std::clamp(Y - J, 0, H - 1)) * W * Bpp;
            const float K = Kernel.K(J);
            for (int I = 0; I < W * Bpp; ++I)
                Sums[I] += K * In[I];
        }
        auto* Row = static_cast<uint8_t*>(ABitmap->ScanLine(Y));
        for (int X = 0; X < W; ++X)
            for (int C = 0; C < 3; ++C)
                Row[X * Bpp + C] = ToByte(Sums[X * Bpp + C]);
    }
}

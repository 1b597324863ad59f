// Vcl.TestGolden.h: for tests only: compares a rendering with a reviewed PNG ("golden") under
// the source tree, with a tolerance for antialiasing drift between cairo and pixman versions.
// XUPDATE_GOLDENS=1 writes the rendering as the new golden instead; review it like code.
// On a mismatch the rendering and a difference picture are written to the working folder.
#pragma once

#include <stdlib.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "Vcl.Graphics.h"
#include "Vcl.Imaging.PngImage.h"

struct TGoldenTolerance {
    int MaxChannelDelta = 6;          // a pixel differs when one channel is further off
    double MaxBadPixelRatio = 0.002;  // the share of differing pixels allowed
};

// AGolden is relative to the source tree ($X_SOURCE_DIR, set by CTest).
inline ::testing::AssertionResult MatchesGolden(TBitmap* AImage, const String& AGolden,
                                               TGoldenTolerance ATolerance = {})
{
    const char* Source = std::getenv("X_SOURCE_DIR");
    if (Source == nullptr)
        return ::testing::AssertionFailure() << "X_SOURCE_DIR is not set (run the test through ctest)";
    std::filesystem::path Path = std::filesystem::path(Source) / AGolden;
    std::unique_ptr<TPngImage, TFreeDeleter> Actual(TPngImage::Create());
    Actual->Assign(AImage);   // opaque unless AImage's alpha is defined
    const char* Update = std::getenv("XUPDATE_GOLDENS");
    if (Update != nullptr && String(Update) == "1") {
        std::filesystem::create_directories(Path.parent_path());
        Actual->SaveToFile(Path.string());
        return ::testing::AssertionSuccess() << "updated " << Path.string();
    }
    if (!std::filesystem::exists(Path))
        return ::testing::AssertionFailure() << "no golden " << Path.string() << " (make it with XUPDATE_GOLDENS=1)";
    std::unique_ptr<TPngImage, TFreeDeleter> Golden(TPngImage::Create());
    Golden->LoadFromFile(Path.string());
    String Name = Path.stem().string();
    auto WriteActual = [&] {
        Actual->SaveToFile(Name + ".actual.png");
        return std::filesystem::absolute(Name + ".actual.png").string();
    };
    if (Golden->Width() != Actual->Width() || Golden->Height() != Actual->Height())
        return ::testing::AssertionFailure() << "size " << Actual->Width() << "x" << Actual->Height()
                                             << " differs from " << Golden->Width() << "x" << Golden->Height()
                                             << "; wrote " << WriteActual();
    std::unique_ptr<TPngImage, TFreeDeleter> Diff(TPngImage::Create());
    Diff->Assign(Golden.get());
    int64_t Bad = 0;
    int Worst = 0;
    for (int Y = 0; Y < Golden->Height(); ++Y) {
        auto* G = static_cast<uint8_t*>(Golden->Scanline(Y));
        auto* A = static_cast<uint8_t*>(Actual->Scanline(Y));
        auto* D = static_cast<uint8_t*>(Diff->Scanline(Y));
        for (int X = 0; X < Golden->Width() * 3; X += 3) {
            int Delta = 0;
            for (int C = 0; C < 3; ++C)
                Delta = std::max(Delta, std::abs(int(G[X + C]) - int(A[X + C])));
            Worst = std::max(Worst, Delta);
            bool Off = Delta > ATolerance.MaxChannelDelta;
            Bad += Off;
            // Differences in red over a faded copy of the golden.
            for (int C = 0; C < 3; ++C)
                D[X + C] = Off ? (C == 2 ? 255 : 0) : uint8_t(128 + G[X + C] / 2);
        }
    }
    double Ratio = double(Bad) / (double(Golden->Width()) * Golden->Height());
    if (Ratio <= ATolerance.MaxBadPixelRatio)
        return ::testing::AssertionSuccess();
    Diff->SaveToFile(Name + ".diff.png");
    return ::testing::AssertionFailure() << Bad << " pixels (" << Ratio * 100 << "%) differ by more than "
                                         << ATolerance.MaxChannelDelta << " (worst " << Worst << ") from "
                                         << Path.string() << "; wrote " << WriteActual() << " and "
                                         << std::filesystem::absolute(Name + ".diff.png").string();
}

// The golden of a rendering in a named style: "Smokey Quartz Kamri" under APrefix "controls_"
// is APrefix + "smokey_quartz_kamri.png" in AFolder.
inline String StyleGolden(const String& AFolder, const String& APrefix, String AStyle)
{
    for (char& C : AStyle)
        C = C == ' ' ? '_' : static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
    return AFolder + "/" + APrefix + AStyle + ".png";
}

// A style name as a test name: gtest takes letters and digits only.
inline String StyleTestName(const ::testing::TestParamInfo<const char*>& AInfo)
{
    String Name;
    for (char C : String(AInfo.param))
        if (C != ' ')
            Name += C;
    return Name;
}

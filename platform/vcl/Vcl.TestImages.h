// Vcl.TestImages.h: for tests only: picture files made at test time by ImageMagick in a
// private folder that goes with the object, and helpers that read pixels back.
#pragma once

#include <stdlib.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "Vcl.Graphics.h"

class TTestImages {
public:
    TTestImages()
    {
        std::string Pattern = (std::filesystem::temp_directory_path() / "nvimages-XXXXXX").string();
        FFolder = ::mkdtemp(Pattern.data());
    }
    ~TTestImages() { std::filesystem::remove_all(FFolder); }
    TTestImages(const TTestImages&) = delete;
    TTestImages& operator=(const TTestImages&) = delete;

    String Path(const String& AName) const { return FFolder + "/" + AName; }

    // Runs ImageMagick's convert with AArguments and AName (in the folder) as its output,
    // written in AFormat ("BMP3", "PNG8") when one is given.
    String Make(const String& AName, const String& AArguments, const String& AFormat = {}) const
    {
        String Output = AFormat.empty() ? Path(AName) : AFormat + ":" + Path(AName);
        String Command = "convert " + AArguments + " '" + Output + "' 2>&1";
        EXPECT_EQ(std::system(Command.c_str()), 0) << Command;
        return Path(AName);
    }

    static TBytes Read(const String& AFileName)
    {
        std::ifstream File(AFileName, std::ios::binary);
        return TBytes(std::istreambuf_iterator<char>(File), {});
    }

    void Write(const String& AName, const TBytes& ABytes) const
    {
        std::ofstream(Path(AName), std::ios::binary).write(reinterpret_cast<const char*>(ABytes.data()),
                                                           std::streamsize(ABytes.size()));
    }

private:
    String FFolder;
};

inline TOwned<TMemoryStream> StreamOf(const TBytes& ABytes)
{
    auto Stream = Owned(TMemoryStream::Create());
    if (!ABytes.empty())
        Stream->WriteBuffer(ABytes.data(), int64_t(ABytes.size()));
    Stream->SetPosition(0);
    return Stream;
}

inline TBytes BytesOf(TMemoryStream* AStream)
{
    return TBytes(AStream->Memory(), AStream->Memory() + AStream->Size());
}

// The colour at (X, Y), read from the scan line.
inline TColor PixelAt(TBitmap* ABitmap, int AX, int AY)
{
    const auto* P = static_cast<const uint8_t*>(ABitmap->ScanLine(AY)) + AX * ABitmap->BytesPerPixel();
    return RGB(P[2], P[1], P[0]);
}

inline int ChannelDelta(TColor A, TColor B)
{
    return std::max({std::abs(GetRValue(A) - GetRValue(B)), std::abs(GetGValue(A) - GetGValue(B)),
                     std::abs(GetBValue(A) - GetBValue(B))});
}

// A white pf24bit bitmap of the size.
inline TOwned<TBitmap> WhiteBitmap(int AWidth, int AHeight, TPixelFormat AFormat = pf24bit)
{
    auto Bitmap = Owned(TBitmap::Create());
    Bitmap->SetPixelFormat(AFormat);
    Bitmap->SetSize(AWidth, AHeight);
    Bitmap->Canvas()->Brush()->SetColor(clWhite);
    Bitmap->Canvas()->FillRect(Rect(0, 0, AWidth, AHeight));
    return Bitmap;
}

// The bitmap as rows of '#' (not white) and '.' (white), for exact shape checks.
inline std::vector<String> Grid(TBitmap* ABitmap)
{
    std::vector<String> Rows;
    for (int Y = 0; Y < ABitmap->Height(); ++Y) {
        String Row;
        for (int X = 0; X < ABitmap->Width(); ++X)
            Row += PixelAt(ABitmap, X, Y) == clWhite ? '.' : '#';
        Rows.push_back(Row);
    }
    return Rows;
}

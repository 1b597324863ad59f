// XSpark.Fonts.cpp: the shared fonts and drawing objects, made together at first use.
#include "XSpark.Fonts.h"

#include <array>

#include "Rtl.SysUtils.h"
#include "Vcl.SystemFonts.h"

namespace {

void AssignSystemFont(TFont* AFont, const TSystemFont& ASource)
{
    AFont->SetName(ASource.Name);
    AFont->SetSize(ASource.Size);
    AFont->SetStyle(ASource.Style);
}

void AddStyle(TFont* AFont, TFontStyle AStyle)
{
    TFontStyles Style = AFont->Style();
    AFont->SetStyle(Style.Include(AStyle));
}

bool ContainsText(const std::vector<String>& AList, const String& AText)
{
    for (const String& Item : AList)
        if (SameText(Item, AText))
            return true;
    return false;
}

struct TSharedObjects {
    TSharedObjects()
    {
        WhiteBrush->SetStyle(bsSolid);
        WhiteBrush->SetColor(TColor(0xFFFFFF));
        EmptyBitmap32->SetPixelFormat(pf32bit);
        for (auto& Font : Fonts)
            Font = Owned(TFont::Create());
        std::array<TFont*, 10> Made;
        for (size_t I = 0; I < Fonts.size(); ++I)
            Made[I] = Fonts[I].get();
        TNonClientMetrics Metrics;
        bool Known = GetNonClientMetrics(Metrics);
        InitSharedFonts(Made, Known ? &Metrics : nullptr, InstalledFontFamilies());
    }
    ~TSharedObjects()
    {
        for (auto& Font : Fonts)
            Font.reset();
    }
    TOwned<TBrush> WhiteBrush = Owned(TBrush::Create());
    TOwned<TBitmap> EmptyBitmap32 = Owned(TBitmap::Create());
    std::array<TOwned<TFont>, 10> Fonts;
};

TSharedObjects& Shared()
{
    static TSharedObjects Objects;
    return Objects;
}

}  // namespace

void InitSharedFonts(std::span<TFont* const, 10> AFonts, const TNonClientMetrics* AMetrics,
                     const std::vector<String>& AFamilies)
{
    for (size_t I = 0; I < AFonts.size(); ++I) {
        if (AMetrics != nullptr) {
            AssignSystemFont(AFonts[I], I < 8 ? AMetrics->MessageFont : AMetrics->CaptionFont);
        } else {
            auto Default = Owned(TFont::Create());
            AFonts[I]->Assign(Default.get());
        }
    }
    TFont* Message = AFonts[0];
    AFonts[1]->SetSize(AFonts[1]->Size() - 1);
    AFonts[2]->SetSize(10);
    AddStyle(AFonts[3], fsBold);
    AFonts[4]->SetSize(10);
    AddStyle(AFonts[4], fsBold);
    AFonts[6]->SetColor(TColor(0xCC6600));
    AFonts[7]->SetColor(TColor(0xFF9933));
    AddStyle(AFonts[7], fsUnderline);
    AFonts[5]->SetSize(Message->Size() + 3);
    AFonts[5]->SetColor(clHotLight);
    // The desktops this stands in for are all of Windows 6 or later, where the rule applies.
    if (Message->Name().find("Segoe") != String::npos && ContainsText(AFamilies, "Calibri"))
        AFonts[9]->SetName("Calibri");
}

TFont* MessageFont() { return Shared().Fonts[0].get(); }
TFont* SmallFont() { return Shared().Fonts[1].get(); }
TFont* Message10Font() { return Shared().Fonts[2].get(); }
TFont* BoldFont() { return Shared().Fonts[3].get(); }
TFont* Bold10Font() { return Shared().Fonts[4].get(); }
TFont* LargeFont() { return Shared().Fonts[5].get(); }
TFont* LinkFont() { return Shared().Fonts[6].get(); }
TFont* HotLinkFont() { return Shared().Fonts[7].get(); }
TFont* CaptionFont() { return Shared().Fonts[8].get(); }
TFont* CaptionFont2() { return Shared().Fonts[9].get(); }
TBrush* WhiteBrush() { return Shared().WhiteBrush.get(); }
TBitmap* EmptyBitmap32() { return Shared().EmptyBitmap32.get(); }

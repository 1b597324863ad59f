// Vcl.SystemFonts.cpp: fontconfig's answers; the library loads its configuration on first use.
#include "Vcl.SystemFonts.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <memory>

#include "Rtl.SysUtils.h"
#include "Win.Display.h"

namespace {

// Windows' message and caption fonts are 9 points since Vista; the dialogs' layouts assume it.
constexpr int kSystemFontSize = 9;

using TPatternPtr = std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)>;

String ResolvedFamily(const char* AGeneric)
{
    TPatternPtr Pattern(FcNameParse(reinterpret_cast<const FcChar8*>(AGeneric)), &FcPatternDestroy);
    if (!Pattern || !FcConfigSubstitute(nullptr, Pattern.get(), FcMatchPattern))
        return String();
    FcDefaultSubstitute(Pattern.get());
    FcResult Result = FcResultNoMatch;
    TPatternPtr Match(FcFontMatch(nullptr, Pattern.get(), &Result), &FcPatternDestroy);
    FcChar8* Family = nullptr;
    if (!Match || FcPatternGetString(Match.get(), FC_FAMILY, 0, &Family) != FcResultMatch)
        return String();
    return String(reinterpret_cast<const char*>(Family));
}

}  // namespace

bool GetNonClientMetrics(TNonClientMetrics& AMetrics)
{
    AMetrics = TNonClientMetrics();
    String Face = ResolvedFamily("sans-serif");
    if (Face.empty())
        return false;
    AMetrics.CaptionWidth = GetSystemMetrics(SM_CXSIZE);
    AMetrics.CaptionHeight = GetSystemMetrics(SM_CYCAPTION);
    AMetrics.MessageFont = TSystemFont{Face, kSystemFontSize, {}};
    AMetrics.CaptionFont = AMetrics.MessageFont;
    return true;
}

std::vector<String> InstalledFontFamilies()
{
    std::vector<String> Families;
    TPatternPtr Pattern(FcPatternCreate(), &FcPatternDestroy);
    std::unique_ptr<FcObjectSet, decltype(&FcObjectSetDestroy)> Objects(FcObjectSetBuild(FC_FAMILY, nullptr),
                                                                        &FcObjectSetDestroy);
    std::unique_ptr<FcFontSet, decltype(&FcFontSetDestroy)> Fonts(FcFontList(nullptr, Pattern.get(), Objects.get()),
                                                                  &FcFontSetDestroy);
    if (!Fonts)
        return Families;
    for (int I = 0; I < Fonts->nfont; ++I) {
        FcChar8* Family = nullptr;
        // A face may carry several family names ("DejaVu Sans", "DejaVu Sans Condensed").
        for (int N = 0; FcPatternGetString(Fonts->fonts[I], FC_FAMILY, N, &Family) == FcResultMatch; ++N)
            Families.emplace_back(reinterpret_cast<const char*>(Family));
    }
    std::sort(Families.begin(), Families.end(),
              [](const String& A, const String& B) { return CompareText(A, B) < 0; });
    Families.erase(std::unique(Families.begin(), Families.end(), [](const String& A, const String& B) {
                       return SameText(A, B);
                   }),
                   Families.end());
    return Families;
}

// The shared fonts: what each of the ten takes from the desktop's fonts, the "Calibri" rule,
// a failed metrics query, and the shared set made from this machine's fonts.
#include "XSpark.Fonts.h"

#include <gtest/gtest.h>

#include <array>

#include "Vcl.SystemFonts.h"

namespace {

struct TExpectedFont {
    String Name;
    int Size;
    TFontStyles Style;
    TColor Color;
};

class SharedFontSet {
public:
    SharedFontSet()
    {
        for (size_t I = 0; I < FOwned.size(); ++I) {
            FOwned[I] = Owned(TFont::Create());
            FFonts[I] = FOwned[I].get();
        }
    }
    std::span<TFont* const, 10> Fonts() const { return FFonts; }
    void Expect(const std::array<TExpectedFont, 10>& AExpected) const
    {
        for (size_t I = 0; I < AExpected.size(); ++I) {
            SCOPED_TRACE("font " + std::to_string(I + 1));
            EXPECT_EQ(FFonts[I]->Name(), AExpected[I].Name);
            EXPECT_EQ(FFonts[I]->Size(), AExpected[I].Size);
            EXPECT_EQ(FFonts[I]->Style(), AExpected[I].Style);
            EXPECT_EQ(FFonts[I]->Color(), AExpected[I].Color);
        }
    }

private:
    std::array<TOwned<TFont>, 10> FOwned;
    std::array<TFont*, 10> FFonts{};
};

TNonClientMetrics Metrics(const String& AMessageFace, int ASize, const String& ACaptionFace)
{
    TNonClientMetrics M;
    M.MessageFont = TSystemFont{AMessageFace, ASize, {}};
    M.CaptionFont = TSystemFont{ACaptionFace, ASize, {fsBold}};
    return M;
}

// The ten fonts as the adjustments leave them, from a message face M of 9 points and a bold
// caption face C; font 10 is named N.
std::array<TExpectedFont, 10> Adjusted(const String& M, const String& C, const String& N)
{
    const TColor Text = clWindowText;
    return {{{M, 9, {}, Text},
             {M, 8, {}, Text},
             {M, 10, {}, Text},
             {M, 9, {fsBold}, Text},
             {M, 10, {fsBold}, Text},
             {M, 12, {}, clHotLight},
             {M, 9, {}, TColor(0xCC6600)},
             {M, 9, {fsUnderline}, TColor(0xFF9933)},
             {C, 9, {fsBold}, Text},
             {N, 9, {fsBold}, Text}}};
}

TEST(SharedFontsTest, EachFontTakesItsSourceAndAdjustment)
{
    struct TCase {
        const char* Name;
        String MessageFace;
        std::vector<String> Families;
        String Font10;
    };
    const TCase kCases[] = {
        {"SegoeBesideCalibri", "Segoe UI", {"Arial", "calibri", "Segoe UI"}, "Calibri"},
        {"SegoeWithoutCalibri", "Segoe UI", {"Arial", "Carlito", "Segoe UI"}, "Segoe Caption"},
        {"OtherFaceBesideCalibri", "Tahoma", {"Calibri", "Tahoma"}, "Segoe Caption"},
        {"SegoeIsMatchedWithCase", "segoe ui", {"Calibri"}, "Segoe Caption"},
    };
    for (const TCase& C : kCases) {
        SCOPED_TRACE(C.Name);
        SharedFontSet Set;
        TNonClientMetrics M = Metrics(C.MessageFace, 9, "Segoe Caption");
        InitSharedFonts(Set.Fonts(), &M, C.Families);
        Set.Expect(Adjusted(C.MessageFace, "Segoe Caption", C.Font10));
    }
}

TEST(SharedFontsTest, AFailedQueryLeavesTheDefaultFontAdjusted)
{
    SharedFontSet Set;
    InitSharedFonts(Set.Fonts(), nullptr, {"Calibri"});
    auto Default = Owned(TFont::Create());
    const String D = Default->Name();
    const int S = Default->Size();
    const TColor Text = Default->Color();
    Set.Expect({{{D, S, {}, Text},
                 {D, S - 1, {}, Text},
                 {D, 10, {}, Text},
                 {D, S, {fsBold}, Text},
                 {D, 10, {fsBold}, Text},
                 {D, S + 3, {}, clHotLight},
                 {D, S, {}, TColor(0xCC6600)},
                 {D, S, {fsUnderline}, TColor(0xFF9933)},
                 {D, S, {}, Text},
                 {D, S, {}, Text}}});
}

TEST(SharedFontsTest, TheSharedSetFollowsTheDesktopFontsAndStays)
{
    TNonClientMetrics Desktop;
    ASSERT_TRUE(GetNonClientMetrics(Desktop));
    EXPECT_EQ(MessageFont()->Name(), Desktop.MessageFont.Name);
    EXPECT_EQ(MessageFont()->Size(), 9);
    EXPECT_EQ(SmallFont()->Size(), 8);
    EXPECT_EQ(LargeFont()->Size(), 12);
    EXPECT_EQ(CaptionFont()->Name(), Desktop.CaptionFont.Name);
    EXPECT_EQ(LinkFont()->Color(), TColor(0xCC6600));
    const std::array<TFont*, 10> All = {MessageFont(), SmallFont(),  Message10Font(), BoldFont(),    Bold10Font(),
                                        LargeFont(),   LinkFont(),   HotLinkFont(),   CaptionFont(), CaptionFont2()};
    for (size_t I = 0; I < All.size(); ++I)
        for (size_t J = I + 1; J < All.size(); ++J)
            EXPECT_NE(All[I], All[J]) << "fonts " << I + 1 << " and " << J + 1 << " are one object";
    EXPECT_EQ(MessageFont(), All[0]) << "made once";

    // A control copies a shared font; changing its copy leaves the shared one alone.
    auto Copy = Owned(TFont::Create());
    Copy->Assign(Bold10Font());
    Copy->SetSize(20);
    EXPECT_EQ(Bold10Font()->Size(), 10);

    EXPECT_EQ(WhiteBrush()->Style(), bsSolid);
    EXPECT_EQ(WhiteBrush()->Color(), TColor(0xFFFFFF));
    EXPECT_EQ(EmptyBitmap32()->PixelFormat(), pf32bit);
    EXPECT_EQ(EmptyBitmap32()->Width(), 0);
    EXPECT_EQ(EmptyBitmap32()->Height(), 0);
}

}  // namespace

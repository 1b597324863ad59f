#include "RichEdit.Layout.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace {

constexpr double Scale = PANGO_SCALE;
constexpr TColor LinkColor = 0xFF0000;   // blue
// Twips between default tab stops, as in the rich edit: half an inch.
constexpr int32_t DefaultTabTwips = 720;

void InsertAttribute(PangoAttrList* AList, PangoAttribute* AAttribute, uint32_t AFrom, uint32_t ATo)
{
    AAttribute->start_index = AFrom;
    AAttribute->end_index = ATo;
    pango_attr_list_insert(AList, AAttribute);
}

PangoAttribute* ColorAttribute(TColor AColor, bool ABackground)
{
    auto Channel = [](uint8_t AValue) { return guint16(AValue * 257); };
    uint8_t R = GetRValue(AColor), G = GetGValue(AColor), B = GetBValue(AColor);
    return ABackground ? pango_attr_background_new(Channel(R), Channel(G), Channel(B))
                       : pango_attr_foreground_new(Channel(R), Channel(G), Channel(B));
}

void SetColor(cairo_t* ACr, TColor AColor)
{
    cairo_set_source_rgb(ACr, GetRValue(AColor) / 255.0, GetGValue(AColor) / 255.0, GetBValue(AColor) / 255.0);
}

PangoFontDescription* DescribeFont(const TCharFormat& AFormat)
{
    PangoFontDescription* Font = pango_font_description_new();
    pango_font_description_set_family(Font, AFormat.Face.empty() ? "Sans" : AFormat.Face.c_str());
    pango_font_description_set_size(Font, std::max(1, int(AFormat.Size * Scale / 20)));
    pango_font_description_set_weight(Font, PangoWeight(std::clamp<int>(AFormat.Weight, 100, 1000)));
    pango_font_description_set_style(Font, AFormat.Has(CFE_ITALIC) ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    return Font;
}

bool IsUrlDelimiter(char32_t C)
{
    return C <= U' ' || C == U'<' || C == U'>' || C == U'"' || C == U'\u00A0' || C == ObjectChar || C == U'\u2028';
}

bool StartsWithNoCase(std::u32string_view AText, std::u32string_view APrefix)
{
    if (AText.size() < APrefix.size())
        return false;
    for (size_t I = 0; I < APrefix.size(); ++I) {
        char32_t C = AText[I];
        if (C >= U'A' && C <= U'Z')
            C += U'a' - U'A';
        if (C != APrefix[I])
            return false;
    }
    return true;
}

}  // namespace

std::vector<std::pair<int32_t, int32_t>> DetectUrls(std::u32string_view AText)
{
    static const std::u32string_view Prefixes[] = {U"http://", U"https://", U"ftp://", U"mailto:", U"file:", U"www."};
    std::vector<std::pair<int32_t, int32_t>> Found;
    for (size_t I = 0; I < AText.size(); ++I) {
        if (I > 0 && !IsUrlDelimiter(AText[I - 1]) && AText[I - 1] != U'(' && AText[I - 1] != U'\'')
            continue;
        const std::u32string_view* Prefix = std::find_if(std::begin(Prefixes), std::end(Prefixes),
                                                         [&](auto P) { return StartsWithNoCase(AText.substr(I), P); });
        if (Prefix == std::end(Prefixes))
            continue;
        size_t End = I;
        while (End < AText.size() && !IsUrlDelimiter(AText[End]))
            ++End;
        // Punctuation that ends a sentence is not part of the address.
        while (End > I && std::u32string_view(U".,;:!?')]}").find(AText[End - 1]) != std::u32string_view::npos)
            --End;
        if (End > I + Prefix->size()) {
            Found.emplace_back(int32_t(I), int32_t(End));
            I = End;
        }
    }
    return Found;
}

// ---- Paragraph layouts -------------------------------------------------------------------------

TParagraphLayout::~TParagraphLayout()
{
    if (Layout != nullptr)
        g_object_unref(Layout);
}

size_t TParagraphLayout::LineOf(int32_t AOffset) const
{
    for (size_t I = 0; I + 1 < Lines.size(); ++I)
        if (AOffset < Lines[I + 1].Start)
            return I;
    return Lines.size() - 1;
}

int32_t TParagraphLayout::OffsetAt(double AX, double AY) const
{
    int Index = 0, Trailing = 0;
    pango_layout_xy_to_index(Layout, int((AX - Origin) * Scale), int(AY * Scale), &Index, &Trailing);
    auto It = std::lower_bound(ByteOf.begin(), ByteOf.end(), uint32_t(Index));
    int32_t Offset = int32_t(It - ByteOf.begin()) + Trailing;
    // A click past a wrapped line's end stays on that line.
    size_t Line = LineOf(Offset);
    const TLayoutLine& L = Lines[std::min(Line, Lines.size() - 1)];
    if (Trailing > 0 && Offset == L.End && Line + 1 < Lines.size() && AY < L.Top + L.Height)
        Offset = std::max(L.Start, Offset - 1);
    return std::clamp(Offset, 0, int32_t(ByteOf.size()) - 1);
}

// ---- Layout ------------------------------------------------------------------------------------

TRichLayout::TRichLayout(const TRichDocument& ADocument, int ADpi) : FDocument(ADocument), FDpi(ADpi > 0 ? ADpi : 96)
{
    FContext = pango_font_map_create_context(pango_cairo_font_map_get_default());
    // Unhinted metrics, so that a document breaks its lines alike at every resolution.
    cairo_font_options_t* Options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(Options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(Options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_antialias(Options, CAIRO_ANTIALIAS_GRAY);
    pango_cairo_context_set_font_options(FContext, Options);
    cairo_font_options_destroy(Options);
    pango_cairo_context_set_resolution(FContext, FDpi);
    pango_context_set_round_glyph_positions(FContext, FALSE);
}

TRichLayout::~TRichLayout()
{
    FCache.clear();
    g_object_unref(FContext);
}

void TRichLayout::Invalidate()
{
    FCache.clear();
    FTopIds.clear();
}

void TRichLayout::SetDpi(int ADpi)
{
    if (ADpi <= 0 || ADpi == FDpi)
        return;
    FDpi = ADpi;
    pango_cairo_context_set_resolution(FContext, FDpi);
    Invalidate();
}

void TRichLayout::SetWidthTwips(int32_t AValue)
{
    if (AValue == FWidthTwips)
        return;
    FWidthTwips = AValue;
    Invalidate();
}

void TRichLayout::SetAutoUrlDetect(bool AValue)
{
    if (AValue == FAutoUrlDetect)
        return;
    FAutoUrlDetect = AValue;
    Invalidate();
}

int32_t TRichLayout::Twips(double APixels) const
{
    return int32_t(std::ceil(APixels * 1440.0 / FDpi - 1e-6));
}

const TParagraphLayout& TRichLayout::Paragraph(size_t AIndex)
{
    const TParagraph& P = FDocument.Paragraph(AIndex);
    std::unique_ptr<TParagraphLayout>& Slot = FCache[P.Id];
    if (!Slot) {
        Slot = MakeLayout(P);
        ++FLayoutCount;
    }
    return *Slot;
}

std::unique_ptr<TParagraphLayout> TRichLayout::MakeLayout(const TParagraph& AParagraph)
{
    auto Result = std::make_unique<TParagraphLayout>();
    TParagraphLayout& L = *Result;
    L.Id = AParagraph.Id;
    L.Layout = pango_layout_new(FContext);
    const int32_t Length = AParagraph.Length() - 1;   // without the mark
    const TParaFormat& Para = AParagraph.Format;

    // The text without hidden characters, with its runs' attributes.
    String Text;
    PangoAttrList* Attributes = pango_attr_list_new();
    L.ByteOf.resize(size_t(Length) + 1);
    int32_t Offset = 0;
    std::vector<std::pair<uint32_t, uint32_t>> RunBytes;
    for (const TTextRun& Run : AParagraph.Runs) {
        uint32_t From = uint32_t(Text.size());
        int32_t RunEnd = std::min(Offset + Run.Length, Length);
        for (; Offset < RunEnd; ++Offset) {
            L.ByteOf[size_t(Offset)] = uint32_t(Text.size());
            if (Run.Format.Has(CFE_HIDDEN))
                continue;
            char32_t C = AParagraph.Text[size_t(Offset)];
            Text += ToUtf8(std::u32string_view(C == U'\v' ? U"\u2028" : std::u32string_view(&C, 1)));
        }
        uint32_t To = uint32_t(Text.size());
        RunBytes.emplace_back(From, To);
        if (From == To)
            continue;
        const TCharFormat& F = Run.Format;
        PangoFontDescription* Font = DescribeFont(F);
        InsertAttribute(Attributes, pango_attr_font_desc_new(Font), From, To);
        pango_font_description_free(Font);
        if (F.Has(CFE_UNDERLINE) || F.Has(CFE_LINK))
            InsertAttribute(Attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE), From, To);
        if (F.Has(CFE_STRIKEOUT))
            InsertAttribute(Attributes, pango_attr_strikethrough_new(TRUE), From, To);
        if (!F.Has(CFE_AUTOCOLOR))
            InsertAttribute(Attributes, ColorAttribute(F.Color, false), From, To);
        else if (F.Has(CFE_LINK))
            InsertAttribute(Attributes, ColorAttribute(LinkColor, false), From, To);
        if (!F.Has(CFE_AUTOBACKCOLOR))
            InsertAttribute(Attributes, ColorAttribute(F.BackColor, true), From, To);
        if (F.Offset != 0)
            InsertAttribute(Attributes, pango_attr_rise_new(int(Px(F.Offset) * Scale)), From, To);
        if (F.Object) {
            PangoRectangle Box{0, -int(Px(F.Object->Height) * Scale), int(Px(F.Object->Width) * Scale),
                               int(Px(F.Object->Height) * Scale)};
            InsertAttribute(Attributes, pango_attr_shape_new(&Box, &Box), From, To);
            L.Objects.push_back(From);
        }
    }
    L.ByteOf[size_t(Length)] = uint32_t(Text.size());

    // Links: runs marked as links, and what looks like an address when detection is on.
    std::u32string_view Plain = std::u32string_view(AParagraph.Text).substr(0, size_t(Length));
    Offset = 0;
    String LinkKey;
    for (const TTextRun& Run : AParagraph.Runs) {
        int32_t End = std::min(Offset + Run.Length, Length);
        if (Run.Format.Has(CFE_LINK) && Offset < End) {
            String Shown = ToUtf8(Plain.substr(size_t(Offset), size_t(End - Offset)));
            if (!L.Links.empty() && L.Links.back().End == Offset && LinkKey == Run.Format.LinkUrl) {
                L.Links.back().End = End;
                if (LinkKey.empty())
                    L.Links.back().Url += Shown;
            } else {
                LinkKey = Run.Format.LinkUrl;
                L.Links.push_back(TLinkRange{Offset, End, LinkKey.empty() ? Shown : LinkKey});
            }
        }
        Offset += Run.Length;
    }
    if (FAutoUrlDetect) {
        for (const auto& Url : DetectUrls(Plain)) {
            int32_t From = Url.first, To = Url.second;
            bool Explicit = std::any_of(L.Links.begin(), L.Links.end(),
                                        [&](const TLinkRange& R) { return R.Start < To && From < R.End; });
            if (Explicit)
                continue;
            L.Links.push_back(TLinkRange{From, To, ToUtf8(Plain.substr(size_t(From), size_t(To - From)))});
            uint32_t A = L.ByteOf[size_t(From)], B = L.ByteOf[size_t(To)];
            InsertAttribute(Attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE), A, B);
            InsertAttribute(Attributes, ColorAttribute(LinkColor, false), A, B);
        }
        std::sort(L.Links.begin(), L.Links.end(), [](auto& A, auto& B) { return A.Start < B.Start; });
    }

    // Indents, bullets, alignment and tabs.
    const TCharFormat& MarkFormat = AParagraph.Runs.back().Format;
    PangoFontDescription* MarkFont = DescribeFont(MarkFormat);
    pango_layout_set_font_description(L.Layout, MarkFont);
    pango_font_description_free(MarkFont);
    double First = Px(Para.StartIndent), Other = Px(Para.StartIndent + Para.Offset), Right = Px(Para.RightIndent);
    double Indent = First - Other;
    L.Origin = std::min(First, Other);
    if (Para.Numbering != 0) {
        L.Bullet = true;
        L.BulletX = First;
        L.Origin = Other;
        Indent = std::max(0.0, First + Px(AParagraph.FormatAt(0).Size) - Other);
    }
    pango_layout_set_indent(L.Layout, int(Indent * Scale));
    if (FWidthTwips > 0) {
        pango_layout_set_width(L.Layout, int(std::max(1.0, Px(FWidthTwips) - L.Origin - Right) * Scale));
        pango_layout_set_wrap(L.Layout, PANGO_WRAP_WORD_CHAR);
    }
    pango_layout_set_alignment(L.Layout, Para.Alignment == PFA_RIGHT    ? PANGO_ALIGN_RIGHT
                                         : Para.Alignment == PFA_CENTER ? PANGO_ALIGN_CENTER
                                                                        : PANGO_ALIGN_LEFT);
    pango_layout_set_justify(L.Layout, Para.Alignment == PFA_JUSTIFY);
    std::vector<std::pair<double, PangoTabAlign>> Stops;
    for (uint32_t Tab : Para.Tabs) {
        double X = Px(TabPosition(Tab)) - L.Origin;
        static const PangoTabAlign Aligns[] = {PANGO_TAB_LEFT, PANGO_TAB_CENTER, PANGO_TAB_RIGHT, PANGO_TAB_DECIMAL};
        if (X > 0 && (Stops.empty() || X > Stops.back().first))
            Stops.emplace_back(X, TabAlignment(Tab) < 4 ? Aligns[TabAlignment(Tab)] : PANGO_TAB_LEFT);
    }
    // Beyond the last stop (or without any) tabs fall every half inch of the page.
    for (int32_t K = 1; Stops.size() < Para.Tabs.size() + 2 && K < 1000; ++K) {
        double X = Px(K * DefaultTabTwips) - L.Origin;
        if (X > 0 && (Stops.empty() || X > Stops.back().first))
            Stops.emplace_back(X, PANGO_TAB_LEFT);
    }
    PangoTabArray* Tabs = pango_tab_array_new(int(Stops.size()), FALSE);
    for (size_t I = 0; I < Stops.size(); ++I)
        pango_tab_array_set_tab(Tabs, int(I), Stops[I].second, int(Stops[I].first * Scale));
    pango_layout_set_tabs(L.Layout, Tabs);
    pango_tab_array_free(Tabs);

    pango_layout_set_text(L.Layout, Text.c_str(), int(Text.size()));
    pango_layout_set_attributes(L.Layout, Attributes);
    pango_attr_list_unref(Attributes);

    PangoLayoutIter* Iter = pango_layout_get_iter(L.Layout);
    do {
        PangoLayoutLine* Line = pango_layout_iter_get_line_readonly(Iter);
        PangoRectangle Logical;
        pango_layout_iter_get_line_extents(Iter, nullptr, &Logical);
        TLayoutLine Out;
        Out.Start = int32_t(std::lower_bound(L.ByteOf.begin(), L.ByteOf.end(), uint32_t(Line->start_index)) -
                            L.ByteOf.begin());
        Out.Top = Logical.y / Scale;
        Out.Height = Logical.height / Scale;
        Out.Baseline = pango_layout_iter_get_baseline(Iter) / Scale;
        Out.X = L.Origin + Logical.x / Scale;
        if (!L.Lines.empty())
            L.Lines.back().End = Out.Start;
        L.Lines.push_back(Out);
    } while (pango_layout_iter_next_line(Iter));
    pango_layout_iter_free(Iter);
    L.Lines.front().Start = 0;
    L.Lines.back().End = AParagraph.Length();
    PangoRectangle Extent;
    pango_layout_get_extents(L.Layout, nullptr, &Extent);
    L.Height = (Extent.y + Extent.height) / Scale;
    return Result;
}

void TRichLayout::UpdateTops()
{
    size_t Count = FDocument.ParagraphCount();
    bool Same = FTopIds.size() == Count;
    for (size_t I = 0; Same && I < Count; ++I)
        Same = FTopIds[I] == FDocument.Paragraph(I).Id;
    if (Same)
        return;
    FTops.assign(Count + 1, 0);
    FTopIds.resize(Count);
    for (size_t I = 0; I < Count; ++I) {
        FTopIds[I] = FDocument.Paragraph(I).Id;
        FTops[I + 1] = FTops[I] + Paragraph(I).Height;
    }
    // Layouts of paragraphs that are gone.
    if (FCache.size() > 2 * Count + 16) {
        std::unordered_set<uint64_t> Live(FTopIds.begin(), FTopIds.end());
        std::erase_if(FCache, [&](const auto& AEntry) { return !Live.contains(AEntry.first); });
    }
}

double TRichLayout::ParagraphTop(size_t AIndex)
{
    UpdateTops();
    return FTops[AIndex];
}

double TRichLayout::DocumentHeight()
{
    UpdateTops();
    return FTops.back();
}

int32_t TRichLayout::FormatRange(cairo_t* ACr, int32_t AStart, int32_t AEnd, const TRect& ARect, int32_t& AUsedBottom)
{
    SetWidthTwips(ARect.Right - ARect.Left);
    int32_t Length = FDocument.Length();
    if (AEnd < 0 || AEnd > Length)
        AEnd = Length;
    AStart = std::clamp(AStart, 0, Length);
    const double Left = Px(ARect.Left), Top = Px(ARect.Top), Bottom = Px(ARect.Bottom);
    double Y = Top;
    bool Placed = false;
    int32_t Next = AEnd;
    int32_t Offset = 0;
    for (size_t P = FDocument.ParagraphOf(AStart, &Offset); P < FDocument.ParagraphCount(); ++P, Offset = 0) {
        const TParagraphLayout& L = Paragraph(P);
        int32_t ParagraphStart = FDocument.ParagraphStart(P);
        size_t First = L.LineOf(Offset), Line = First;
        for (; Line < L.Lines.size(); ++Line) {
            const TLayoutLine& Ln = L.Lines[Line];
            if (ParagraphStart + Ln.Start >= AEnd && Placed)
                break;
            if (Placed && Y + Ln.Height > Bottom + 1e-6) {
                Next = ParagraphStart + Ln.Start;
                break;
            }
            Y += Ln.Height;
            Placed = true;
        }
        if (ACr != nullptr && Line > First)
            PaintParagraph(ACr, L, Left, Y - (L.Lines[Line - 1].Top + L.Lines[Line - 1].Height), First, Line, -1, -1, 0, 0);
        if (Line < L.Lines.size() || ParagraphStart + L.Lines.back().End > AEnd)
            break;
    }
    AUsedBottom = Twips(Y);
    return std::min(Next, Length);
}

void TRichLayout::PaintParagraph(cairo_t* ACr, const TParagraphLayout& L, double AX, double AY, size_t AFirstLine,
                                 size_t AEndLine, int32_t ASelStart, int32_t ASelEnd, TColor AHighlight,
                                 TColor AHighlightText)
{
    for (size_t I = AFirstLine; I < AEndLine; ++I) {
        const TLayoutLine& Ln = L.Lines[I];
        PangoLayoutLine* Line = pango_layout_get_line_readonly(L.Layout, int(I));
        double BaseX = AX + Ln.X, BaseY = AY + Ln.Baseline;
        int32_t From = std::max(ASelStart, Ln.Start), To = std::min(ASelEnd, Ln.End);
        bool Selected = From < To;
        if (Selected) {
            int* Ranges = nullptr;
            int Count = 0;
            int32_t Last = int32_t(L.ByteOf.size()) - 1;
            pango_layout_line_get_x_ranges(Line, int(L.ByteOf[size_t(std::min(From, Last))]),
                                           int(L.ByteOf[size_t(std::min(To, Last))]), &Ranges, &Count);
            for (int R = 0; R < Count; ++R)
                cairo_rectangle(ACr, AX + L.Origin + Ranges[2 * R] / Scale, AY + Ln.Top,
                                (Ranges[2 * R + 1] - Ranges[2 * R]) / Scale, Ln.Height);
            g_free(Ranges);
            SetColor(ACr, AHighlight);
            cairo_fill_preserve(ACr);
        }
        SetColor(ACr, 0);
        cairo_move_to(ACr, BaseX, BaseY);
        pango_cairo_show_layout_line(ACr, Line);
        if (Selected) {
            cairo_save(ACr);
            cairo_clip(ACr);
            SetColor(ACr, AHighlightText);
            cairo_move_to(ACr, BaseX, BaseY);
            pango_cairo_show_layout_line(ACr, Line);
            cairo_restore(ACr);
        }
        // Objects are kept, not rendered: a frame shows the room they take.
        for (uint32_t Byte : L.Objects) {
            if (Byte < uint32_t(Line->start_index) || Byte >= uint32_t(Line->start_index + Line->length))
                continue;
            PangoRectangle Box;
            pango_layout_index_to_pos(L.Layout, int(Byte), &Box);
            double Width = Box.width / Scale;
            double Height = std::min(Ln.Height, (Ln.Baseline - Ln.Top));
            cairo_rectangle(ACr, AX + L.Origin + Box.x / Scale + 0.5, BaseY - Height + 0.5, std::max(0.0, Width - 1),
                            std::max(0.0, Height - 1));
            cairo_set_source_rgb(ACr, 0.6, 0.6, 0.6);
            cairo_set_line_width(ACr, 1);
            cairo_stroke(ACr);
        }
        if (I == 0 && L.Bullet) {
            PangoLayout* Bullet = pango_layout_copy(L.Layout);
            pango_layout_set_attributes(Bullet, nullptr);
            pango_layout_set_indent(Bullet, 0);
            pango_layout_set_text(Bullet, "\u2022", -1);
            SetColor(ACr, 0);
            cairo_move_to(ACr, AX + L.BulletX, BaseY);
            pango_cairo_show_layout_line(ACr, pango_layout_get_line_readonly(Bullet, 0));
            g_object_unref(Bullet);
        }
    }
    cairo_new_path(ACr);
}

void TRichLayout::Paint(cairo_t* ACr, double ATop, double AHeight, TSelectionRange ASelection, TColor AHighlight,
                        TColor AHighlightText)
{
    // Walks from the top, so the first screen of a long document lays out only what it shows.
    double Y = 0;
    for (size_t P = 0; P < FDocument.ParagraphCount() && Y < ATop + AHeight; ++P) {
        const TParagraphLayout& L = Paragraph(P);
        if (Y + L.Height >= ATop) {
            int32_t Start = FDocument.ParagraphStart(P);
            PaintParagraph(ACr, L, 0, Y - ATop, 0, L.Lines.size(), ASelection.Start - Start, ASelection.End - Start,
                           AHighlight, AHighlightText);
        }
        Y += L.Height;
    }
}

int32_t TRichLayout::LineCount()
{
    int32_t Count = 0;
    for (size_t P = 0; P < FDocument.ParagraphCount(); ++P)
        Count += int32_t(Paragraph(P).Lines.size());
    return Count;
}

int32_t TRichLayout::LineFromChar(int32_t APos)
{
    int32_t Offset = 0;
    size_t Index = FDocument.ParagraphOf(APos, &Offset);
    int32_t Line = 0;
    for (size_t P = 0; P < Index; ++P)
        Line += int32_t(Paragraph(P).Lines.size());
    return Line + int32_t(Paragraph(Index).LineOf(Offset));
}

int32_t TRichLayout::LineIndex(int32_t ALine)
{
    for (size_t P = 0; P < FDocument.ParagraphCount() && ALine >= 0; ++P) {
        const TParagraphLayout& L = Paragraph(P);
        if (ALine < int32_t(L.Lines.size()))
            return FDocument.ParagraphStart(P) + L.Lines[size_t(ALine)].Start;
        ALine -= int32_t(L.Lines.size());
    }
    return -1;
}

int32_t TRichLayout::LineLength(int32_t ALine)
{
    int32_t Start = LineIndex(ALine);
    if (Start < 0)
        return 0;
    int32_t Offset = 0;
    size_t P = FDocument.ParagraphOf(Start, &Offset);
    const TParagraphLayout& L = Paragraph(P);
    const TLayoutLine& Ln = L.Lines[L.LineOf(Offset)];
    return std::min(Ln.End, FDocument.Paragraph(P).Length() - 1) - Ln.Start;
}

void TRichLayout::CaretPosition(int32_t APos, double& AX, double& ATop, double& AHeight)
{
    int32_t Offset = 0;
    size_t P = FDocument.ParagraphOf(APos, &Offset);
    const TParagraphLayout& L = Paragraph(P);
    PangoRectangle Strong;
    pango_layout_get_cursor_pos(L.Layout, int(L.ByteOf[size_t(Offset)]), &Strong, nullptr);
    AX = L.Origin + Strong.x / Scale;
    ATop = ParagraphTop(P) + Strong.y / Scale;
    AHeight = Strong.height / Scale;
}

int32_t TRichLayout::CharFromPoint(double AX, double AY)
{
    UpdateTops();
    size_t P = size_t(std::upper_bound(FTops.begin(), FTops.end() - 1, AY) - FTops.begin());
    P = std::clamp<size_t>(P, 1, FDocument.ParagraphCount()) - 1;
    const TParagraphLayout& L = Paragraph(P);
    int32_t Offset = L.OffsetAt(AX, std::min(AY - FTops[P], L.Height - 0.5));
    return std::min(FDocument.ParagraphStart(P) + Offset, FDocument.Length());
}

const TLinkRange* TRichLayout::LinkAt(int32_t APos, TLinkRange& AStorage)
{
    int32_t Offset = 0;
    size_t P = FDocument.ParagraphOf(APos, &Offset);
    int32_t Start = FDocument.ParagraphStart(P);
    for (const TLinkRange& Link : Paragraph(P).Links)
        if (Offset >= Link.Start && Offset < Link.End) {
            AStorage = TLinkRange{Start + Link.Start, Start + Link.End, Link.Url};
            return &AStorage;
        }
    return nullptr;
}

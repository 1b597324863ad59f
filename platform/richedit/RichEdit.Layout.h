// RichEdit.Layout.h: the document laid out with pango at a resolution and a width, painted with
// cairo, and formatted range by range into rectangles given in twips (pages, bitmaps). Each
// paragraph's layout is kept until the paragraph changes, so an edit lays out one paragraph again.
// Coordinates are device pixels (double) at the layout's resolution unless a name says twips.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "RichEdit.Document.h"

typedef struct _cairo cairo_t;
typedef struct _PangoContext PangoContext;
typedef struct _PangoLayout PangoLayout;

struct TLinkRange {
    int32_t Start = 0;   // document positions
    int32_t End = 0;
    String Url;          // the target, or the link's own text
};

struct TLayoutLine {
    int32_t Start = 0;   // offset in the paragraph
    int32_t End = 0;
    double Top = 0;      // from the paragraph's top
    double Height = 0;
    double Baseline = 0;
    double X = 0;        // where the line's text starts
};

// One paragraph at one width. ByteOf maps each paragraph offset to its byte in the pango text
// (hidden text has none: it maps to the next shown character).
class TParagraphLayout {
public:
    ~TParagraphLayout();
    PangoLayout* Layout = nullptr;
    std::vector<uint32_t> ByteOf;
    std::vector<TLayoutLine> Lines;
    std::vector<TLinkRange> Links;   // offsets in the paragraph
    std::vector<uint32_t> Objects;   // bytes of the embedded objects' characters
    double Height = 0;
    double Origin = 0;               // the layout's left edge
    bool Bullet = false;
    double BulletX = 0;
    uint64_t Id = 0;

    // The paragraph offset nearest to the layout point.
    int32_t OffsetAt(double AX, double AY) const;
    size_t LineOf(int32_t AOffset) const;
};

struct TSelectionRange {
    int32_t Start = 0;
    int32_t End = 0;
};

class TRichLayout {
public:
    explicit TRichLayout(const TRichDocument& ADocument, int ADpi = 96);
    ~TRichLayout();
    TRichLayout(const TRichLayout&) = delete;
    TRichLayout& operator=(const TRichLayout&) = delete;

    int Dpi() const { return FDpi; }
    void SetDpi(int ADpi);
    // The width lines wrap at, in twips; 0 or less: no wrapping.
    int32_t WidthTwips() const { return FWidthTwips; }
    void SetWidthTwips(int32_t AValue);
    bool AutoUrlDetect() const { return FAutoUrlDetect; }
    void SetAutoUrlDetect(bool AValue);
    // How many paragraphs were laid out since the count was last reset (for tests and benches).
    size_t LayoutCount() const { return FLayoutCount; }

    const TParagraphLayout& Paragraph(size_t AIndex);
    double ParagraphTop(size_t AIndex);
    double DocumentHeight();

    // Formats [AStart, AEnd) (AEnd -1: to the end) into ARect (twips) at the layout's resolution
    // and width ARect's width; paints it when ACr is given, with the rectangle's top-left at
    // ARect's position in device pixels. Answers the first character that did not fit (the
    // text's length when all did) and sets AUsedBottom to the bottom of the last line (twips).
    // A page always takes at least one line, so page after page always ends.
    int32_t FormatRange(cairo_t* ACr, int32_t AStart, int32_t AEnd, const TRect& ARect, int32_t& AUsedBottom);

    // Lines over the whole document (a wrapped paragraph has several).
    int32_t LineCount();
    int32_t LineFromChar(int32_t APos);
    int32_t LineIndex(int32_t ALine);     // its first character; -1 past the last line
    int32_t LineLength(int32_t ALine);    // without the paragraph mark
    // The caret's rectangle (x, top, height) for a position, in document pixels.
    void CaretPosition(int32_t APos, double& AX, double& ATop, double& AHeight);
    int32_t CharFromPoint(double AX, double AY);
    // The link under a document position, if any.
    const TLinkRange* LinkAt(int32_t APos, TLinkRange& AStorage);

    // Paints the paragraphs that meet [ATop, ATop + AHeight) of the document at (0, -ATop)
    // of ACr, with the selection highlighted.
    void Paint(cairo_t* ACr, double ATop, double AHeight, TSelectionRange ASelection, TColor AHighlight,
               TColor AHighlightText);

    // Drops what is cached (the document was replaced).
    void Invalidate();

private:
    std::unique_ptr<TParagraphLayout> MakeLayout(const TParagraph& AParagraph);
    void PaintParagraph(cairo_t* ACr, const TParagraphLayout& ALayout, double AX, double AY, size_t AFirstLine,
                        size_t AEndLine, int32_t ASelStart, int32_t ASelEnd, TColor AHighlight, TColor AHighlightText);
    double Px(int32_t ATwips) const { return double(ATwips) * FDpi / 1440.0; }
    int32_t Twips(double APixels) const;
    void UpdateTops();

    const TRichDocument& FDocument;
    int FDpi;
    int32_t FWidthTwips = 0;
    bool FAutoUrlDetect = false;
    PangoContext* FContext = nullptr;
    std::unordered_map<uint64_t, std::unique_ptr<TParagraphLayout>> FCache;
    std::vector<double> FTops;
    std::vector<uint64_t> FTopIds;
    size_t FLayoutCount = 0;
};

// The ranges of a text that look like URLs (http://, https://, ftp://, mailto:, file:, www.).
std::vector<std::pair<int32_t, int32_t>> DetectUrls(std::u32string_view AText);

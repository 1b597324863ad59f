// The rich edit's speed: a 1 MB RTF document loaded, laid out and painted to its first screen,
// and a key typed in a 100-page document and the screen painted again (only the changed
// paragraph is laid out again). The baseline lays out the first screen's text with pango alone.
// Release build:
//   build/release/bench/richedit_bench
#include <benchmark/benchmark.h>
#include <pango/pangocairo.h>

#include <memory>

#include "RichEdit.Editor.h"
#include "RichEdit.Streams.h"
#include "Vcl.Graphics.h"

namespace {

using TBitmapPtr = std::unique_ptr<TBitmap, TFreeDeleter>;

// A document of formatted paragraphs (bold, italic, colours, a link, tabs) of about ABytes.
String MakeRtf(size_t ABytes)
{
    String Rtf = R"({\rtf1\ansi\deff0{\fonttbl{\f0\fswiss DejaVu Sans;}{\f1\froman DejaVu Serif;}})"
                 R"({\colortbl ;\red192\green0\blue0;}\viewkind4\uc1)";
    for (int I = 0; Rtf.size() < ABytes; ++I) {
        Rtf += "\\pard\\tx1440\\qj\\f" + std::to_string(I % 2) + "\\fs20 Paragraph " + std::to_string(I) +
               "\\tab with {\\b bold}, {\\i italic} and {\\cf1 coloured} words, caf\\'e9 and \\u8364\\'3f, and "
               "{\\field{\\*\\fldinst{HYPERLINK \"http://example.org\"}}{\\fldrslt{a link}}} in a sentence long "
               "enough to wrap over two or three lines of the screen.\\par\r\n";
    }
    return Rtf + "}";
}

const String& Megabyte()
{
    static const String Rtf = MakeRtf(1 << 20);
    return Rtf;
}

void BM_LoadLayoutAndPaintFirstScreen(benchmark::State& AState)
{
    TBitmapPtr Screen(TBitmap::Create());
    Screen->SetSize(1024, 768);
    for (auto _ : AState) {
        TRichEditor Editor;
        Editor.SetViewSize(1024, 768);
        if (!Editor.StreamIn(Megabyte(), SF_RTF))
            AState.SkipWithError("the document did not load");
        Editor.Paint(Screen->Canvas(), clWhite);
    }
    AState.SetBytesProcessed(int64_t(AState.iterations()) * int64_t(Megabyte().size()));
}
BENCHMARK(BM_LoadLayoutAndPaintFirstScreen)->Unit(benchmark::kMillisecond);

void BM_TypeInAHundredPages(benchmark::State& AState)
{
    TRichEditor Editor;
    Editor.SetViewSize(800, 600);
    // 100 pages of about fifty lines: some 5000 lines at this width.
    if (!Editor.StreamIn(MakeRtf(700 * 1000), SF_RTF))
        AState.SkipWithError("the document did not load");
    Editor.Layout().DocumentHeight();
    Editor.SetSelection(Editor.TextLength() / 2, Editor.TextLength() / 2);
    Editor.ScrollCaretIntoView();
    TBitmapPtr Screen(TBitmap::Create());
    Screen->SetSize(800, 600);
    size_t Before = Editor.Layout().LayoutCount();
    for (auto _ : AState) {
        Editor.TypeText("x");
        Editor.ScrollCaretIntoView();
        Editor.Paint(Screen->Canvas(), clWhite);
    }
    AState.counters["layouts_per_key"] =
        double(Editor.Layout().LayoutCount() - Before) / double(std::max<int64_t>(1, AState.iterations()));
    AState.counters["lines"] = Editor.LineCount();
}
BENCHMARK(BM_TypeInAHundredPages)->Unit(benchmark::kMillisecond);

// Pango alone laying out and drawing one screen of the same text (no document, no RTF).
void BM_PangoFirstScreenBaseline(benchmark::State& AState)
{
    TRichDocument Document;
    int32_t End = -1;
    if (!StreamIn(Document, 0, End, MakeRtf(40000), SF_RTF))
        AState.SkipWithError("the document did not load");
    String Text = ToUtf8(Document.Text(0, -1));
    cairo_surface_t* Surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1024, 768);
    cairo_t* Cr = cairo_create(Surface);
    for (auto _ : AState) {
        PangoLayout* Layout = pango_cairo_create_layout(Cr);
        PangoFontDescription* Font = pango_font_description_from_string("DejaVu Sans 10");
        pango_layout_set_font_description(Layout, Font);
        pango_layout_set_width(Layout, 1024 * PANGO_SCALE);
        pango_layout_set_wrap(Layout, PANGO_WRAP_WORD_CHAR);
        pango_layout_set_text(Layout, Text.c_str(), int(Text.size()));
        pango_cairo_show_layout(Cr, Layout);
        pango_font_description_free(Font);
        g_object_unref(Layout);
    }
    cairo_destroy(Cr);
    cairo_surface_destroy(Surface);
}
BENCHMARK(BM_PangoFirstScreenBaseline)->Unit(benchmark::kMillisecond);

}  // namespace

#include "RichEdit.Render.h"

#include <cmath>

#include "Vcl.Graphics.Cairo.h"

int32_t FormatRangeOnCanvas(TRichLayout& ALayout, TCanvas* ACanvas, int32_t AStart, int32_t AEnd, const TRect& ARect,
                            int32_t& AUsedBottom)
{
    TDrawContext Context(ACanvas);
    if (!Context)
        return ALayout.FormatRange(nullptr, AStart, AEnd, ARect, AUsedBottom);
    Context.MarkChanged();
    return ALayout.FormatRange(Context.Cr(), AStart, AEnd, ARect, AUsedBottom);
}

bool RenderToBitmap(const TRichDocument& ADocument, TBitmap* ABitmap, int AWidth, int AHeight,
                    const TRenderMargins& AMargins, TColor AColor, int ADpi)
{
    auto Twips = [&](int APixels) { return int32_t(std::lround(APixels * 1440.0 / ADpi)); };
    TRichLayout Layout(ADocument, ADpi);
    TRect Rect{Twips(AMargins.Left), Twips(AMargins.Top), Twips(AWidth - AMargins.Right),
               Twips(AHeight - AMargins.Bottom)};
    int32_t Bottom = 0;
    int32_t Next = Layout.FormatRange(nullptr, 0, -1, Rect, Bottom);
    bool Rendered = ADocument.Length() > 0 && Next > 0;
    int Height = Rendered ? int(std::ceil(Bottom * ADpi / 1440.0)) : 0;
    ABitmap->SetSize(AWidth, Height);
    if (!Rendered)
        return Next >= ADocument.Length();
    ABitmap->Canvas()->Brush()->SetColor(AColor);
    ABitmap->Canvas()->Brush()->SetStyle(bsSolid);
    ABitmap->Canvas()->FillRect(TRect{0, 0, AWidth, Height});
    FormatRangeOnCanvas(Layout, ABitmap->Canvas(), 0, -1, Rect, Bottom);
    return Next >= ADocument.Length();
}

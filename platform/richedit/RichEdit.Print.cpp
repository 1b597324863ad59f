#include "RichEdit.Print.h"

#include <cmath>

#include "RichEdit.Layout.h"

int PrintRichDocument(const TRichDocument& ADocument, TPrinter& APrinter, const String& ATitle, const TRect& APageRect)
{
    const int Dpi = APrinter.Dpi();
    TRect Pixels = APageRect;
    if (Pixels.Right <= Pixels.Left || Pixels.Bottom <= Pixels.Top)
        Pixels = TRect{0, 0, APrinter.PageWidth(), APrinter.PageHeight()};
    auto Twips = [&](int32_t APixels) { return int32_t(std::lround(APixels * 1440.0 / Dpi)); };
    const TRect Page{Twips(Pixels.Left), Twips(Pixels.Top), Twips(Pixels.Right), Twips(Pixels.Bottom)};
    TRichLayout Layout(ADocument, Dpi);
    APrinter.SetTitle(ATitle);
    APrinter.BeginDoc();
    try {
        int32_t Length = ADocument.Length();
        int32_t Next = 0;
        for (;;) {
            int32_t Bottom = 0;
            Next = Layout.FormatRange(APrinter.Handle(), Next, -1, Page, Bottom);
            if (Next >= Length)
                break;
            APrinter.NewPage();
        }
    } catch (...) {
        APrinter.Abort();
        throw;
    }
    int Pages = APrinter.PageNumber();
    APrinter.EndDoc();
    return Pages;
}

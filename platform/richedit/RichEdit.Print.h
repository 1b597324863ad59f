// RichEdit.Print.h: a rich text document printed page by page through the range formatter.
#pragma once

#include "RichEdit.Document.h"
#include "Vcl.Printers.h"

// Prints the whole document as one printer document titled ATitle: each page is the page
// rectangle APageRect (printer pixels; empty: the whole page) filled from where the last page
// stopped. Answers the number of pages.
int PrintRichDocument(const TRichDocument& ADocument, TPrinter& APrinter, const String& ATitle,
                      const TRect& APageRect = {});

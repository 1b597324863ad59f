// Vcl.Printers.h: the printer: a document of pages drawn on a cairo PDF or PostScript surface,
// then handed to CUPS, or written to a file instead (for tests and "print to file"). The device
// context's unit is one printer pixel at Dpi(); pages are PageWidth() x PageHeight() of them.
// UI thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "Rtl.SysUtils.h"
#include "Rtl.Types.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

// A printing failure: the message says what went wrong (no printer, CUPS's refusal, a file
// that cannot be written, a call out of order).
X_EXCEPTION(EPrinter, Exception);

enum class TPrintFormat : uint8_t { Pdf, PostScript };

class TPrinter {
public:
    TPrinter() = default;
    ~TPrinter();
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    // The job's name in the printer queue.
    const String& Title() const { return FTitle; }
    void SetTitle(const String& AValue) { FTitle = AValue; }
    // The printers CUPS knows, the default first; empty without a CUPS server.
    std::vector<String> Printers() const;
    // The printer used; empty: the CUPS default.
    const String& PrinterName() const { return FPrinterName; }
    void SetPrinterName(const String& AValue) { FPrinterName = AValue; }
    // A file to print into instead of a printer; empty: a printer. The format follows it.
    const String& FileName() const { return FFileName; }
    void SetFileName(const String& AValue) { FFileName = AValue; }
    // How many copies the printer makes of the document (at least 1); a file holds one.
    int Copies() const { return FCopies; }
    void SetCopies(int AValue) { FCopies = AValue < 1 ? 1 : AValue; }
    TPrintFormat Format() const { return FFormat; }
    void SetFormat(TPrintFormat AValue) { FFormat = AValue; }
    // Pixels per inch of the device (LOGPIXELSX and LOGPIXELSY) and the paper in points.
    int Dpi() const { return FDpi; }
    void SetDpi(int AValue);
    void SetPaperSize(double AWidthPoints, double AHeightPoints);
    int PageWidth() const;
    int PageHeight() const;

    void BeginDoc();
    void NewPage();
    // Finishes the document and sends it to the printer (or leaves it in the file).
    void EndDoc();
    // Drops the document: nothing is printed.
    void Abort();
    bool Printing() const { return FCr != nullptr; }
    int PageNumber() const { return FPageNumber; }
    // The device context of the page being drawn; nullptr when not printing.
    cairo_t* Handle() const { return FCr; }

private:
    void Close();

    String FTitle;
    String FPrinterName;
    String FFileName;
    TPrintFormat FFormat = TPrintFormat::Pdf;
    int FCopies = 1;
    int FDpi = 300;
    double FPaperWidth = 595.28;   // A4 in points
    double FPaperHeight = 841.89;
    String FOutput;                // the file being written
    bool FTemporary = false;
    cairo_surface_t* FSurface = nullptr;
    cairo_t* FCr = nullptr;
    int FPageNumber = 0;
};

// The application's printer.
TPrinter* Printer();

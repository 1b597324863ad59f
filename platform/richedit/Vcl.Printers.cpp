#include "Vcl.Printers.h"

#include <cairo-pdf.h>
#include <cairo-ps.h>
#include <cups/cups.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char* const SNotPrinting = "Printer is not currently printing";
const char* const SPrinting = "Printing in progress";

}  // namespace

TPrinter::~TPrinter()
{
    if (Printing())
        Abort();
}

std::vector<String> TPrinter::Printers() const
{
    cups_dest_t* Dests = nullptr;
    int Count = cupsGetDests2(CUPS_HTTP_DEFAULT, &Dests);
    std::vector<String> Names;
    for (int I = 0; I < Count; ++I) {
        String Name = Dests[I].instance != nullptr ? String(Dests[I].name) + "/" + Dests[I].instance : Dests[I].name;
        if (Dests[I].is_default)
            Names.insert(Names.begin(), Name);
        else
            Names.push_back(Name);
    }
    cupsFreeDests(Count, Dests);
    return Names;
}

void TPrinter::SetDpi(int AValue)
{
    if (Printing())
        throw EPrinter(SPrinting);
    FDpi = std::clamp(AValue, 72, 2400);
}

void TPrinter::SetPaperSize(double AWidthPoints, double AHeightPoints)
{
    if (Printing())
        throw EPrinter(SPrinting);
    if (!(AWidthPoints >= 72 && AHeightPoints >= 72 && AWidthPoints <= 14400 && AHeightPoints <= 14400))
        throw EPrinter("Invalid paper size");
    FPaperWidth = AWidthPoints;
    FPaperHeight = AHeightPoints;
}

int TPrinter::PageWidth() const
{
    return int(std::floor(FPaperWidth * FDpi / 72.0));
}

int TPrinter::PageHeight() const
{
    return int(std::floor(FPaperHeight * FDpi / 72.0));
}

void TPrinter::BeginDoc()
{
    if (Printing())
        throw EPrinter(SPrinting);
    FTemporary = FFileName.empty();
    if (FTemporary) {
        char Name[] = "/tmp/print-XXXXXX";
        int Handle = mkstemp(Name);
        if (Handle < 0)
            throw EPrinter("Cannot create the print file");
        close(Handle);
        FOutput = Name;
    } else {
        FOutput = FFileName;
    }
    FSurface = FFormat == TPrintFormat::Pdf ? cairo_pdf_surface_create(FOutput.c_str(), FPaperWidth, FPaperHeight)
                                            : cairo_ps_surface_create(FOutput.c_str(), FPaperWidth, FPaperHeight);
    if (cairo_surface_status(FSurface) != CAIRO_STATUS_SUCCESS) {
        String Reason = cairo_status_to_string(cairo_surface_status(FSurface));
        Close();
        throw EPrinter("Cannot write " + FOutput + ": " + Reason);
    }
    if (FFormat == TPrintFormat::Pdf)
        cairo_pdf_surface_set_metadata(FSurface, CAIRO_PDF_METADATA_TITLE, FTitle.c_str());
    else
        cairo_ps_surface_dsc_comment(FSurface, ("%%Title: " + FTitle).c_str());
    FCr = cairo_create(FSurface);
    // Printer pixels: drawing code works at the device's resolution.
    cairo_scale(FCr, 72.0 / FDpi, 72.0 / FDpi);
    FPageNumber = 1;
}

void TPrinter::NewPage()
{
    if (!Printing())
        throw EPrinter(SNotPrinting);
    cairo_show_page(FCr);
    ++FPageNumber;
}

void TPrinter::EndDoc()
{
    if (!Printing())
        throw EPrinter(SNotPrinting);
    cairo_show_page(FCr);
    cairo_surface_finish(FSurface);
    cairo_status_t Status = cairo_surface_status(FSurface);
    String Output = FOutput;
    bool Temporary = FTemporary;
    Close();
    if (Status != CAIRO_STATUS_SUCCESS) {
        if (Temporary)
            std::remove(Output.c_str());
        throw EPrinter("Cannot write " + Output + ": " + cairo_status_to_string(Status));
    }
    if (!Temporary)
        return;
    const char* Destination = FPrinterName.empty() ? cupsGetDefault() : FPrinterName.c_str();
    cups_option_t* Options = nullptr;
    int OptionCount = cupsAddOption("copies", std::to_string(FCopies).c_str(), 0, &Options);
    int Job = Destination != nullptr ? cupsPrintFile(Destination, Output.c_str(), FTitle.c_str(), OptionCount, Options) : 0;
    cupsFreeOptions(OptionCount, Options);
    std::remove(Output.c_str());
    if (Destination == nullptr)
        throw EPrinter("There is no default printer");
    if (Job == 0)
        throw EPrinter(String("The printer did not take the document: ") + cupsLastErrorString());
}

void TPrinter::Abort()
{
    if (!Printing())
        return;
    String Output = FOutput;
    bool Temporary = FTemporary;
    cairo_surface_finish(FSurface);
    Close();
    if (Temporary)
        std::remove(Output.c_str());
}

void TPrinter::Close()
{
    if (FCr != nullptr)
        cairo_destroy(FCr);
    if (FSurface != nullptr)
        cairo_surface_destroy(FSurface);
    FCr = nullptr;
    FSurface = nullptr;
    FPageNumber = 0;
}

TPrinter* Printer()
{
    static TPrinter GPrinter;
    return &GPrinter;
}

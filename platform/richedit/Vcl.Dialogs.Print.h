// Vcl.Dialogs.Print.h: the print dialog: the printer, the number of copies and the pages to
// print. On OK the application's printer (Printer()) takes the chosen printer and copies.
#pragma once

#include "Vcl.Dialogs.h"

X_ENUM(TPrintRange, prAllPages, prSelection, prPageNums);
X_ENUM(TPrintDialogOption, poPageNums, poSelection);
using TPrintDialogOptions = TSet<TPrintDialogOption>;

class TPrintDialog : public TCommonDialog {
    X_CLASS(TPrintDialog, TCommonDialog)
public:
    int Copies() const { return FCopies; }
    void SetCopies(int AValue) { FCopies = AValue < 1 ? 1 : AValue; }
    // The pages asked for with prPageNums, within MinPage..MaxPage (a MaxPage of 0: no limit).
    int FromPage() const { return FFromPage; }
    void SetFromPage(int AValue) { FFromPage = AValue; }
    int ToPage() const { return FToPage; }
    void SetToPage(int AValue) { FToPage = AValue; }
    int MinPage() const { return FMinPage; }
    void SetMinPage(int AValue) { FMinPage = AValue; }
    int MaxPage() const { return FMaxPage; }
    void SetMaxPage(int AValue) { FMaxPage = AValue; }
    TPrintRange PrintRange() const { return FPrintRange; }
    void SetPrintRange(TPrintRange AValue) { FPrintRange = AValue; }
    // poPageNums offers a page range, poSelection the selection.
    TPrintDialogOptions Options() const { return FOptions; }
    void SetOptions(TPrintDialogOptions AValue) { FOptions = AValue; }
    // Without a printer (and no file to print into) the dialog says so and only cancels.
    bool Execute() override;

protected:
    TPrintDialog() = default;

private:
    int FCopies = 1;
    int FFromPage = 0;
    int FToPage = 0;
    int FMinPage = 0;
    int FMaxPage = 0;
    TPrintRange FPrintRange = prAllPages;
    TPrintDialogOptions FOptions;
};

// Vcl.Dialogs.Print.cpp: the print dialog's form.
#include "Vcl.Dialogs.Print.h"

#include <algorithm>
#include <memory>

#include "Rtl.SysUtils.h"
#include "Vcl.Printers.h"
#include "Vcl.StdCtrls.h"

namespace {

class TPrintForm : public TForm {
    X_CLASS(TPrintForm, TForm)
public:
    TComboBox* PrinterBox = nullptr;
    TEdit* CopiesEdit = nullptr;
    TRadioButton* AllButton = nullptr;
    TRadioButton* SelectionButton = nullptr;
    TRadioButton* PagesButton = nullptr;
    TEdit* FromEdit = nullptr;
    TEdit* ToEdit = nullptr;
    TLabel* Problem = nullptr;
    TButton* OkButton = nullptr;
    int MinPage = 0;
    int MaxPage = 0;

protected:
    TPrintForm() = default;
    void Construct(TComponent* AOwner) override
    {
        inherited::Construct(AOwner);
        SetCaption("Print");
        SetBorderStyle(bsDialog);
        SetPosition(poScreenCenter);
        SetBounds(0, 0, 420, 270);
        PrinterBox = TComboBox::Create(this);
        PrinterBox->SetParent(this);
        PrinterBox->SetStyle(csDropDownList);
        PrinterBox->SetBounds(80, 12, 320, 21);
        AddLabel("&Printer:", Rect(12, 15, 76, 31))->SetFocusControl(PrinterBox);
        TGroupBox* Range = TGroupBox::Create(this);
        Range->SetParent(this);
        Range->SetCaption("Print range");
        Range->SetBounds(12, 44, 220, 120);
        AllButton = AddRadio(Range, "&All", 20);
        PagesButton = AddRadio(Range, "Pa&ges", 44);
        SelectionButton = AddRadio(Range, "&Selection", 92);
        FromEdit = AddNumber(Range, Rect(72, 66, 112, 87));
        ToEdit = AddNumber(Range, Rect(150, 66, 190, 87));
        AddLabel("&from:", Rect(36, 69, 70, 85), Range)->SetFocusControl(FromEdit);
        AddLabel("&to:", Rect(124, 69, 148, 85), Range)->SetFocusControl(ToEdit);
        CopiesEdit = AddNumber(this, Rect(352, 56, 400, 77));
        AddLabel("Number of &copies:", Rect(244, 59, 350, 75))->SetFocusControl(CopiesEdit);
        Problem = AddLabel("", Rect(12, 172, 400, 206));
        Problem->SetWordWrap(true);
        Problem->Font()->SetColor(clRed);
        OkButton = TButton::Create(this);
        OkButton->SetParent(this);
        OkButton->SetBounds(244, 212, 75, 25);
        OkButton->SetCaption("OK");
        OkButton->SetDefault(true);
        OkButton->SetOnClick(TNotifyEvent::Bind<&TPrintForm::OkClicked>(this));
        TButton* Cancel = TButton::Create(this);
        Cancel->SetParent(this);
        Cancel->SetBounds(325, 212, 75, 25);
        Cancel->SetCaption("Cancel");
        Cancel->SetCancel(true);
        Cancel->SetModalResult(mrCancel);
    }

private:
    TLabel* AddLabel(const String& ACaption, const TRect& ABounds, TWinControl* AParent = nullptr)
    {
        TLabel* Label = TLabel::Create(this);
        Label->SetParent(AParent != nullptr ? AParent : this);
        Label->SetBoundsRect(ABounds);
        Label->SetCaption(ACaption);
        return Label;
    }
    TRadioButton* AddRadio(TWinControl* AParent, const String& ACaption, int ATop)
    {
        TRadioButton* Button = TRadioButton::Create(this);
        Button->SetParent(AParent);
        Button->SetBounds(12, ATop, 120, 19);
        Button->SetCaption(ACaption);
        return Button;
    }
    TEdit* AddNumber(TWinControl* AParent, const TRect& ABounds)
    {
        TEdit* Edit = TEdit::Create(this);
        Edit->SetParent(AParent);
        Edit->SetBoundsRect(ABounds);
        Edit->SetNumbersOnly(true);
        Edit->SetMaxLength(5);
        Edit->SetOnChange(TNotifyEvent::Bind<&TPrintForm::PagesTyped>(this));
        return Edit;
    }
    // Typing a page number means a page range.
    void PagesTyped(TObject* ASender)
    {
        if (ASender != CopiesEdit && PagesButton->Enabled() && (FromEdit->Focused() || ToEdit->Focused()))
            PagesButton->SetChecked(true);
    }
    bool InRange(int APage) const { return APage >= MinPage && (MaxPage == 0 || APage <= MaxPage); }
    void OkClicked(TObject*)
    {
        int Copies = 0;
        if (!TryStrToInt(CopiesEdit->Text(), Copies) || Copies < 1) {
            Problem->SetCaption("The number of copies must be 1 or more.");
            return;
        }
        int From = 0, To = 0;
        if (PagesButton->Checked() && (!TryStrToInt(FromEdit->Text(), From) || !TryStrToInt(ToEdit->Text(), To) ||
                                       !InRange(From) || !InRange(To) || From > To)) {
            Problem->SetCaption(MaxPage > 0 ? Format("Enter pages from %d to %d, the first not after the last.", {MinPage, MaxPage})
                                            : Format("Enter pages from %d on, the first not after the last.", {MinPage}));
            return;
        }
        SetModalResult(mrOk);
    }
};

}  // namespace

bool TPrintDialog::Execute()
{
    TPrinter* Target = Printer();
    std::unique_ptr<TPrintForm, TFreeDeleter> Form(TPrintForm::Create(Application));
    std::vector<String> Printers = Target->Printers();
    bool ToFile = !Target->FileName().empty();
    if (ToFile) {
        Form->PrinterBox->Items()->Add("File: " + DisplayFileName(Target->FileName()));
        Form->PrinterBox->SetItemIndex(0);
        Form->PrinterBox->SetEnabled(false);
    } else {
        for (const String& Name : Printers)
            Form->PrinterBox->Items()->Add(DisplayFileName(Name));
        auto Current = std::find(Printers.begin(), Printers.end(), Target->PrinterName());
        Form->PrinterBox->SetItemIndex(Printers.empty() ? -1 : Current != Printers.end() ? int(Current - Printers.begin()) : 0);
        if (Printers.empty()) {
            Form->Problem->SetCaption("No printer is installed.");
            Form->OkButton->SetEnabled(false);
        }
    }
    Form->MinPage = FMinPage;
    Form->MaxPage = FMaxPage;
    Form->CopiesEdit->SetText(std::to_string(FCopies));
    Form->FromEdit->SetText(std::to_string(FFromPage));
    Form->ToEdit->SetText(std::to_string(FToPage));
    Form->PagesButton->SetEnabled(FOptions.Contains(poPageNums));
    Form->FromEdit->SetEnabled(FOptions.Contains(poPageNums));
    Form->ToEdit->SetEnabled(FOptions.Contains(poPageNums));
    Form->SelectionButton->SetEnabled(FOptions.Contains(poSelection));
    TRadioButton* Checked = FPrintRange == prPageNums && FOptions.Contains(poPageNums)   ? Form->PagesButton
                            : FPrintRange == prSelection && FOptions.Contains(poSelection) ? Form->SelectionButton
                                                                                          : Form->AllButton;
    Checked->SetChecked(true);
    if (!RunModal(Form.get()))
        return false;
    TryStrToInt(Form->CopiesEdit->Text(), FCopies);
    FPrintRange = Form->PagesButton->Checked() ? prPageNums : Form->SelectionButton->Checked() ? prSelection : prAllPages;
    if (FPrintRange == prPageNums) {
        TryStrToInt(Form->FromEdit->Text(), FFromPage);
        TryStrToInt(Form->ToEdit->Text(), FToPage);
    }
    if (!ToFile)
        Target->SetPrinterName(Printers[size_t(Form->PrinterBox->ItemIndex())]);
    Target->SetCopies(FCopies);
    return true;
}

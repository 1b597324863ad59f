// Vcl.Dialogs.cpp: the colour and font dialogs and what the dialogs share.
#include "Vcl.Dialogs.h"

#include <cstdio>
#include <memory>

#include "Rtl.SysUtils.h"
#include "Vcl.StdCtrls.h"
#include "Vcl.SystemFonts.h"

bool TCommonDialog::RunModal(TCustomForm* AForm)
{
    FForm = AForm;
    if (FOnShow)
        AForm->SetOnShow(FOnShow);
    TModalResult Result = mrCancel;
    try {
        Result = AForm->ShowModal();
    } catch (...) {
        FForm = nullptr;
        throw;
    }
    FForm = nullptr;
    if (FOnClose)
        FOnClose(this);
    return Result == mrOk;
}

// ---- TColorDialog ------------------------------------------------------------------------

namespace {

const TColor kBasicColors[] = {
    Hex(0xFF8080), Hex(0xFFFF80), Hex(0x80FF80), Hex(0x00FF80), Hex(0x80FFFF), Hex(0x0080FF), Hex(0xFF80C0), Hex(0xFF80FF),
    Hex(0xFF0000), Hex(0xFFFF00), Hex(0x80FF00), Hex(0x00FF40), Hex(0x00FFFF), Hex(0x0080C0), Hex(0x8080C0), Hex(0xFF00FF),
    Hex(0x804040), Hex(0xFF8040), Hex(0x00FF00), Hex(0x008080), Hex(0x004080), Hex(0x8080FF), Hex(0x800040), Hex(0xFF0080),
    Hex(0x800000), Hex(0xFF8000), Hex(0x008000), Hex(0x008040), Hex(0x0000FF), Hex(0x0000A0), Hex(0x800080), Hex(0x8000FF),
    Hex(0x400000), Hex(0x804000), Hex(0x004000), Hex(0x004040), Hex(0x000080), Hex(0x000040), Hex(0x400040), Hex(0x400080),
    Hex(0x000000), Hex(0x808000), Hex(0x808040), Hex(0x808080), Hex(0x408080), Hex(0xC0C0C0), Hex(0x400040), Hex(0xFFFFFF),
};

constexpr int kSwatch = 20;

// The grid of swatches: a click picks one; arrows move the pick, which the focus frame shows.
class TSwatchGrid : public TCustomControl {
    X_CLASS(TSwatchGrid, TCustomControl)
public:
    std::vector<TColor> Colors;
    int Columns = 8;
    int Picked = -1;
    TNotifyEvent OnPick;

protected:
    TSwatchGrid() = default;
    void Construct(TComponent* AOwner) override
    {
        inherited::Construct(AOwner);
        SetTabStop(true);
    }
    void WndProc(TMessage& AMessage) override
    {
        if (AMessage.Msg == WM_GETDLGCODE) {
            AMessage.Result = DLGC_WANTARROWS;
            return;
        }
        if (AMessage.Msg == WM_SETFOCUS || AMessage.Msg == WM_KILLFOCUS)
            Invalidate();
        inherited::WndProc(AMessage);
    }
    void Pick(int AIndex)
    {
        if (AIndex < 0 || AIndex >= int(Colors.size()))
            return;
        Picked = AIndex;
        Invalidate();
        if (OnPick)
            OnPick(this);
    }
    void MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY) override
    {
        inherited::MouseDown(AButton, AShift, AX, AY);
        int Column = AX / (kSwatch + 4);
        if (AButton == mbLeft && Column < Columns)
            Pick(AY / (kSwatch + 4) * Columns + Column);
    }
    void KeyDown(uint16_t& AKey, TShiftState AShift) override
    {
        inherited::KeyDown(AKey, AShift);
        int Step = AKey == VK_LEFT ? -1 : AKey == VK_RIGHT ? 1 : AKey == VK_UP ? -Columns : AKey == VK_DOWN ? Columns : 0;
        if (Step != 0) {
            Pick(std::max(Picked, 0) + (Picked < 0 ? 0 : Step));
            AKey = 0;
        }
    }
    void Paint() override
    {
        StyleServices()->DrawParentBackground(this, Canvas(), nullptr);
        for (int I = 0; I < int(Colors.size()); ++I) {
            int X = (I % Columns) * (kSwatch + 4) + 2;
            int Y = (I / Columns) * (kSwatch + 4) + 2;
            TRect R = Rect(X, Y, X + kSwatch, Y + kSwatch);
            Canvas()->Brush()->SetColor(StyledColor(clBtnShadow));
            Canvas()->FrameRect(R);
            Canvas()->Brush()->SetColor(Colors[size_t(I)]);
            Canvas()->FillRect(Rect(X + 1, Y + 1, X + kSwatch - 1, Y + kSwatch - 1));
            if (I == Picked) {
                Canvas()->Brush()->SetColor(StyledColor(clWindowText));
                Canvas()->FrameRect(Rect(X - 2, Y - 2, X + kSwatch + 2, Y + kSwatch + 2));
                if (Focused())
                    StyleServices()->DrawFocusRect(Canvas(), Rect(X - 1, Y - 1, X + kSwatch + 1, Y + kSwatch + 1));
            }
        }
    }
};

// The dialog's form: the swatches, the three channels, OK and Cancel.
class TColorForm : public TForm {
    X_CLASS(TColorForm, TForm)
public:
    TSwatchGrid* Grid = nullptr;
    TEdit* Channels[3] = {};
    TColor Chosen = clBlack;

protected:
    TColorForm() = default;
    void Construct(TComponent* AOwner) override
    {
        inherited::Construct(AOwner);
        SetCaption("Color");
        SetBorderStyle(bsDialog);
        SetPosition(poScreenCenter);
        SetBounds(0, 0, 222, 330);
        Grid = TSwatchGrid::Create(this);
        Grid->SetParent(this);
        Grid->SetBounds(8, 8, 8 * (kSwatch + 4) + 2, 6 * (kSwatch + 4) + 2);
        Grid->Colors.assign(std::begin(kBasicColors), std::end(kBasicColors));
        Grid->OnPick = TNotifyEvent::Bind<&TColorForm::Picked>(this);
        const char* Captions[] = {"&Red:", "&Green:", "&Blue:"};
        for (int I = 0; I < 3; ++I) {
            TLabel* Label = TLabel::Create(this);
            Label->SetParent(this);
            Label->SetBounds(8, 168 + I * 28, 60, 17);
            Label->SetCaption(Captions[I]);
            TEdit* Edit = TEdit::Create(this);
            Edit->SetParent(this);
            Edit->SetBounds(80, 165 + I * 28, 60, 21);
            Edit->SetNumbersOnly(true);
            Edit->SetMaxLength(3);
            Edit->SetOnChange(TNotifyEvent::Bind<&TColorForm::Typed>(this));
            Label->SetFocusControl(Edit);
            Channels[I] = Edit;
        }
        TButton* Ok = TButton::Create(this);
        Ok->SetParent(this);
        Ok->SetBounds(56, 262, 75, 25);
        Ok->SetCaption("OK");
        Ok->SetDefault(true);
        Ok->SetModalResult(mrOk);
        TButton* Cancel = TButton::Create(this);
        Cancel->SetParent(this);
        Cancel->SetBounds(138, 262, 75, 25);
        Cancel->SetCaption("Cancel");
        Cancel->SetCancel(true);
        Cancel->SetModalResult(mrCancel);
    }

public:
    void ShowColor(TColor AColor)
    {
        int Rows = (int(Grid->Colors.size()) + Grid->Columns - 1) / Grid->Columns;
        Grid->SetHeight(Rows * (kSwatch + 4) + 2);
        Chosen = ColorToRGB(AColor);
        FShowing = true;
        for (int I = 0; I < 3; ++I)
            Channels[I]->SetText(std::to_string((Chosen >> (8 * I)) & 0xFF));
        FShowing = false;
        for (int I = 0; I < int(Grid->Colors.size()); ++I)
            if (Grid->Colors[size_t(I)] == Chosen)
                Grid->Picked = I;
    }

private:
    void Picked(TObject*) { ShowColor(Grid->Colors[size_t(Grid->Picked)]); }
    // Channels out of range count as their nearest value.
    void Typed(TObject*)
    {
        if (FShowing)
            return;
        uint32_t Rgb = 0;
        for (int I = 0; I < 3; ++I) {
            int Value = 0;
            TryStrToInt(Channels[I]->Text(), Value);
            Rgb |= uint32_t(std::clamp(Value, 0, 255)) << (8 * I);
        }
        Chosen = TColor(Rgb);
        Grid->Picked = -1;
        Grid->Invalidate();
    }
    bool FShowing = false;
};

}  // namespace

void TColorDialog::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FCustomColors = TStringList::Create();
}

TColorDialog::~TColorDialog()
{
    if (FCustomColors != nullptr)
        FCustomColors->Free();
}

bool TColorDialog::Execute()
{
    std::unique_ptr<TColorForm, TFreeDeleter> Form(TColorForm::Create(Application));
    // The custom colours join the grid after the basic ones.
    for (int I = 0; I < FCustomColors->Count(); ++I) {
        String Value = FCustomColors->ValueFromIndex(I);
        unsigned Rgb = 0;
        if (!Value.empty() && Value != "FFFFFFFF" && std::sscanf(Value.c_str(), "%x", &Rgb) == 1)
            Form->Grid->Colors.push_back(Hex(Rgb & 0xFFFFFF));
    }
    Form->ShowColor(FColor);
    bool Ok = RunModal(Form.get());
    if (Ok)
        FColor = Form->Chosen;
    return Ok;
}

// ---- TFontDialog -------------------------------------------------------------------------

namespace {

const char* const kFontStyleNames[] = {"Regular", "Italic", "Bold", "Bold Italic"};
const int kFontSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

// The chosen font, written in it.
class TFontSample : public TCustomControl {
    X_CLASS(TFontSample, TCustomControl)
protected:
    TFontSample() = default;
    void Paint() override
    {
        Canvas()->Brush()->SetColor(StyledColor(clWindow));
        Canvas()->FillRect(ClientRect());
        Canvas()->Font()->Assign(Font());
        TRect Text = ClientRect();
        DrawCaption(Canvas(), "AaBbYyZz", Text, {tfSingleLine, tfCenter, tfVerticalCenter, tfNoPrefix}, Font()->Color());
    }
};

class TFontForm : public TForm {
    X_CLASS(TFontForm, TForm)
public:
    TFont* Chosen = nullptr;   // the sample's font: the dialog's answer

    void ShowFont(TFont* AFont)
    {
        Chosen->Assign(AFont);
        std::vector<String> Families = InstalledFontFamilies();
        if (std::find(Families.begin(), Families.end(), AFont->Name()) == Families.end())
            Families.insert(Families.begin(), AFont->Name());
        for (const String& Family : Families)
            FFamilies->Items()->Add(Family);
        FFamilies->SetItemIndex(FFamilies->Items()->IndexOf(AFont->Name()));
        TFontStyles Style = AFont->Style();
        FStyles->SetItemIndex((Style.Contains(fsItalic) ? 1 : 0) + (Style.Contains(fsBold) ? 2 : 0));
        FSize->SetText(std::to_string(AFont->Size()));
        FStrikeOut->SetChecked(Style.Contains(fsStrikeOut));
        FUnderline->SetChecked(Style.Contains(fsUnderline));
        FShowing = false;
        Changed(nullptr);
    }

protected:
    TFontForm() = default;
    ~TFontForm() override
    {
        if (Chosen != nullptr)
            Chosen->Free();
    }
    void Construct(TComponent* AOwner) override
    {
        inherited::Construct(AOwner);
        Chosen = TFont::Create();
        SetCaption("Font");
        SetBorderStyle(bsDialog);
        SetPosition(poScreenCenter);
        SetBounds(0, 0, 440, 360);
        FFamilies = AddList("&Font:", Rect(8, 24, 200, 190));
        FStyles = AddList("Font st&yle:", Rect(208, 24, 318, 190));
        for (const char* Name : kFontStyleNames)
            FStyles->Items()->Add(Name);
        TLabel* SizeLabel = AddLabel("&Size:", Rect(326, 8, 426, 24));
        FSize = TEdit::Create(this);
        FSize->SetParent(this);
        FSize->SetBounds(326, 24, 100, 21);
        FSize->SetNumbersOnly(true);
        FSize->SetMaxLength(4);
        FSize->SetOnChange(TNotifyEvent::Bind<&TFontForm::SizeTyped>(this));
        SizeLabel->SetFocusControl(FSize);
        FSizes = TListBox::Create(this);
        FSizes->SetParent(this);
        FSizes->SetBounds(326, 49, 100, 141);
        for (int Size : kFontSizes)
            FSizes->Items()->Add(std::to_string(Size));
        FSizes->SetOnClick(TNotifyEvent::Bind<&TFontForm::SizePicked>(this));
        FStrikeOut = AddCheckBox("Stri&keout", 200);
        FUnderline = AddCheckBox("&Underline", 222);
        FSample = TFontSample::Create(this);
        FSample->SetParent(this);
        FSample->SetBounds(130, 200, 296, 80);
        TButton* Ok = TButton::Create(this);
        Ok->SetParent(this);
        Ok->SetBounds(270, 290, 75, 25);
        Ok->SetCaption("OK");
        Ok->SetDefault(true);
        Ok->SetModalResult(mrOk);
        TButton* Cancel = TButton::Create(this);
        Cancel->SetParent(this);
        Cancel->SetBounds(351, 290, 75, 25);
        Cancel->SetCaption("Cancel");
        Cancel->SetCancel(true);
        Cancel->SetModalResult(mrCancel);
    }

private:
    TLabel* AddLabel(const String& ACaption, const TRect& ABounds)
    {
        TLabel* Label = TLabel::Create(this);
        Label->SetParent(this);
        Label->SetBoundsRect(ABounds);
        Label->SetCaption(ACaption);
        return Label;
    }
    TListBox* AddList(const String& ACaption, const TRect& ABounds)
    {
        TLabel* Label = AddLabel(ACaption, Rect(ABounds.Left, 8, ABounds.Right, 24));
        TListBox* List = TListBox::Create(this);
        List->SetParent(this);
        List->SetBoundsRect(ABounds);
        List->SetOnClick(TNotifyEvent::Bind<&TFontForm::Changed>(this));
        Label->SetFocusControl(List);
        return List;
    }
    TCheckBox* AddCheckBox(const String& ACaption, int ATop)
    {
        TCheckBox* Box = TCheckBox::Create(this);
        Box->SetParent(this);
        Box->SetBounds(8, ATop, 110, 19);
        Box->SetCaption(ACaption);
        Box->SetOnClick(TNotifyEvent::Bind<&TFontForm::Changed>(this));
        return Box;
    }
    void SizePicked(TObject*)
    {
        if (FSizes->ItemIndex() >= 0)
            FSize->SetText(FSizes->Items()->Strings(FSizes->ItemIndex()));
    }
    void SizeTyped(TObject*)
    {
        FSizes->SetItemIndex(FSizes->Items()->IndexOf(FSize->Text()));
        Changed(nullptr);
    }
    // Every choice goes into the sample at once; a size of 0 or none keeps the last one.
    void Changed(TObject*)
    {
        if (FShowing)
            return;
        if (FFamilies->ItemIndex() >= 0)
            Chosen->SetName(FFamilies->Items()->Strings(FFamilies->ItemIndex()));
        int Size = 0;
        if (TryStrToInt(FSize->Text(), Size) && Size > 0)
            Chosen->SetSize(Size);
        TFontStyles Style;
        int StyleIndex = std::max(FStyles->ItemIndex(), 0);
        if (StyleIndex & 1)
            Style.Include(fsItalic);
        if (StyleIndex & 2)
            Style.Include(fsBold);
        if (FStrikeOut->Checked())
            Style.Include(fsStrikeOut);
        if (FUnderline->Checked())
            Style.Include(fsUnderline);
        Chosen->SetStyle(Style);
        FSample->Font()->Assign(Chosen);
        FSample->Invalidate();
    }

    TListBox* FFamilies = nullptr;
    TListBox* FStyles = nullptr;
    TEdit* FSize = nullptr;
    TListBox* FSizes = nullptr;
    TCheckBox* FStrikeOut = nullptr;
    TCheckBox* FUnderline = nullptr;
    TFontSample* FSample = nullptr;
    bool FShowing = true;   // while ShowFont fills the controls
};

}  // namespace

void TFontDialog::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FFont = TFont::Create();
}

TFontDialog::~TFontDialog()
{
    if (FFont != nullptr)
        FFont->Free();
}

bool TFontDialog::Execute()
{
    std::unique_ptr<TFontForm, TFreeDeleter> Form(TFontForm::Create(Application));
    Form->ShowFont(FFont);
    bool Ok = RunModal(Form.get());
    if (Ok)
        FFont->Assign(Form->Chosen);
    return Ok;
}

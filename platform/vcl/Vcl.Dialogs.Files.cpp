// Vcl.Dialogs.Files.cpp: the open, save and folder dialogs: one form of a folder path, a folder
// list, a file list, a name edit and a filter box. The lists keep the names as the file system
// gave them; what they show is only a picture of those bytes.
#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "Rtl.Encoding.h"
#include "Rtl.Files.h"
#include "Rtl.SysUtils.h"
#include "Vcl.Dialogs.h"
#include "Vcl.StdCtrls.h"

namespace {

void AppendUtf8(String& AText, char32_t ACode)
{
    if (ACode < 0x80) {
        AText += char(ACode);
    } else if (ACode < 0x800) {
        AText += char(0xC0 | (ACode >> 6));
        AText += char(0x80 | (ACode & 0x3F));
    } else {
        AText += char(0xE0 | (ACode >> 12));
        AText += char(0x80 | ((ACode >> 6) & 0x3F));
        AText += char(0x80 | (ACode & 0x3F));
    }
}

// Characters that would hide or reorder what follows them: C1 controls, line and paragraph
// separators, bidirectional embeddings, overrides and isolates.
bool IsDeceptive(std::string_view AChar)
{
    auto Byte = [&](size_t I) { return uint8_t(AChar[I]); };
    if (AChar.size() == 2)
        return Byte(0) == 0xC2 && Byte(1) < 0xA0;
    if (AChar.size() != 3 || Byte(0) != 0xE2)
        return false;
    return (Byte(1) == 0x80 && Byte(2) >= 0xA8 && Byte(2) <= 0xAE) || (Byte(1) == 0x81 && Byte(2) >= 0xA6 && Byte(2) <= 0xA9);
}

}  // namespace

String DisplayFileName(std::string_view AName)
{
    String Result;
    for (size_t I = 0; I < AName.size();) {
        size_t Length = Utf8CharLength(AName, I);
        uint8_t Byte = uint8_t(AName[I]);
        std::string_view Char = AName.substr(I, Length);
        if (Byte < 0x20)
            AppendUtf8(Result, 0x2400 + Byte);
        else if (Byte == 0x7F)
            AppendUtf8(Result, 0x2421);
        else if ((Length == 1 && Byte >= 0x80) || IsDeceptive(Char))
            AppendUtf8(Result, 0xFFFD);
        else
            Result += Char;
        I += Length;
    }
    return Result;
}

namespace {

// Paths here are joined and split at "/" only: "\" is an ordinary character of a name.
String JoinPath(const String& AFolder, const String& AName)
{
    return AFolder == "/" ? "/" + AName : AFolder + "/" + AName;
}

String ParentFolder(const String& AFolder)
{
    size_t Slash = AFolder.rfind('/');
    return Slash == 0 || Slash == String::npos ? "/" : AFolder.substr(0, Slash);
}

String BaseName(const String& APath)
{
    size_t Slash = APath.rfind('/');
    return Slash == String::npos ? APath : APath.substr(Slash + 1);
}

String NormalFolder(const String& APath)
{
    String Result = std::filesystem::path(APath).lexically_normal().string();
    while (Result.size() > 1 && Result.back() == '/')
        Result.pop_back();
    return Result.empty() ? "/" : Result;
}

bool InsideFolder(const String& APath, const String& ARoot)
{
    return ARoot.empty() || ARoot == "/" || APath == ARoot || APath.starts_with(ARoot + "/");
}

bool LessByName(const String& A, const String& B)
{
    String LowerA = LowerCase(A), LowerB = LowerCase(B);
    return LowerA != LowerB ? LowerA < LowerB : A < B;
}

struct TFilterItem {
    String Description;
    std::vector<String> Masks;
};

std::vector<TFilterItem> ParseFilter(const String& AFilter)
{
    std::vector<String> Parts;
    size_t Start = 0;
    for (size_t Bar = AFilter.find('|'); ; Bar = AFilter.find('|', Start)) {
        Parts.push_back(AFilter.substr(Start, Bar == String::npos ? String::npos : Bar - Start));
        if (Bar == String::npos)
            break;
        Start = Bar + 1;
    }
    std::vector<TFilterItem> Items;
    for (size_t I = 0; I + 1 < Parts.size(); I += 2) {
        TFilterItem Item{Parts[I], {}};
        size_t From = 0;
        const String& Masks = Parts[I + 1];
        while (From <= Masks.size()) {
            size_t Semicolon = std::min(Masks.find(';', From), Masks.size());
            String Mask = Trim(Masks.substr(From, Semicolon - From));
            if (!Mask.empty())
                Item.Masks.push_back(Mask);
            From = Semicolon + 1;
        }
        Items.push_back(Item);
    }
    return Items;
}

// A list of names. With MultiSelect, a click with Ctrl adds or drops an item and Shift (with
// a click or the arrows) takes the run from the last plain choice. Backspace asks for the
// parent folder.
class TNameList : public TCustomListBox {
    X_CLASS(TNameList, TCustomListBox)
public:
    bool MultiSelect = false;
    TNotifyEvent OnParent;

    void Fill(const std::vector<String>& ANames)
    {
        Items()->BeginUpdate();
        Items()->Clear();
        for (const String& Name : ANames)
            Items()->Add(DisplayFileName(Name));
        Items()->EndUpdate();
        FMarked.assign(ANames.size(), false);
        FAnchor = 0;
        SetItemIndex(-1);
        SetTopIndex(0);
    }
    // The chosen items in list order.
    std::vector<int> Chosen() const
    {
        std::vector<int> Result;
        if (!MultiSelect) {
            if (ItemIndex() >= 0)
                Result.push_back(ItemIndex());
            return Result;
        }
        for (int I = 0; I < int(FMarked.size()); ++I)
            if (FMarked[size_t(I)])
                Result.push_back(I);
        return Result;
    }

protected:
    TNameList() = default;
    void KeyDown(uint16_t& AKey, TShiftState AShift) override
    {
        if (AKey == VK_BACK) {
            AKey = 0;
            if (OnParent)
                OnParent(this);
            return;
        }
        if (MultiSelect && AKey == 'A' && AShift.Contains(ssCtrl)) {
            FMarked.assign(FMarked.size(), true);
            Invalidate();
            Click();
            AKey = 0;
            return;
        }
        FShift = AShift - TShiftState{ssCtrl};
        inherited::KeyDown(AKey, AShift);
        FShift = {};
    }
    void MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY) override
    {
        FShift = AShift;
        int Index = ItemAtPos(Point(AX, AY));
        // A click on the current item changes nothing in the list box, but Ctrl drops it.
        if (MultiSelect && AButton == mbLeft && AShift.Contains(ssCtrl) && Index >= 0 && Index == ItemIndex()) {
            SetFocus();
            Click();
        } else {
            inherited::MouseDown(AButton, AShift, AX, AY);
        }
        FShift = {};
    }
    void Click() override
    {
        int Index = ItemIndex();
        if (MultiSelect && Index >= 0 && Index < int(FMarked.size())) {
            if (FShift.Contains(ssCtrl)) {
                FMarked[size_t(Index)] = !FMarked[size_t(Index)];
                FAnchor = Index;
            } else if (FShift.Contains(ssShift)) {
                FMarked.assign(FMarked.size(), false);
                for (int I = std::min(FAnchor, Index); I <= std::max(FAnchor, Index); ++I)
                    FMarked[size_t(I)] = true;
            } else {
                FMarked.assign(FMarked.size(), false);
                FMarked[size_t(Index)] = true;
                FAnchor = Index;
            }
            Invalidate();
        }
        inherited::Click();
    }
    void DrawItem(int AIndex, TRect ARect, TOwnerDrawState AState) override
    {
        if (MultiSelect) {
            AState.Exclude(odSelected);
            if (AIndex < int(FMarked.size()) && FMarked[size_t(AIndex)])
                AState.Include(odSelected);
        }
        inherited::DrawItem(AIndex, ARect, AState);
        if (MultiSelect && AIndex == ItemIndex() && Focused())
            StyleServices()->DrawFocusRect(Canvas(), ARect);
    }

private:
    std::vector<bool> FMarked;
    int FAnchor = 0;
    TShiftState FShift;
};

// Yes or No, No being the default: the question of an overwrite.
bool AskYesNo(const String& ACaption, const String& AQuestion)
{
    std::unique_ptr<TForm, TFreeDeleter> Form(TForm::Create(Application));
    Form->SetCaption(ACaption);
    Form->SetBorderStyle(bsDialog);
    Form->SetPosition(poScreenCenter);
    Form->SetBounds(0, 0, 380, 140);
    TLabel* Question = TLabel::Create(Form.get());
    Question->SetParent(Form.get());
    Question->SetWordWrap(true);
    Question->SetBounds(12, 12, Form->ClientWidth() - 24, 48);
    Question->SetCaption(AQuestion);
    const char* Captions[] = {"&Yes", "&No"};
    for (int I = 0; I < 2; ++I) {
        TButton* Button = TButton::Create(Form.get());
        Button->SetParent(Form.get());
        Button->SetBounds(Form->ClientWidth() - 172 + I * 82, Form->ClientHeight() - 35, 75, 25);
        Button->SetCaption(Captions[I]);
        Button->SetModalResult(I == 0 ? mrYes : mrNo);
        Button->SetDefault(I == 1);
        Button->SetCancel(I == 1);
    }
    return Form->ShowModal() == mrYes;
}

enum class TFileFormKind { Open, Save, Folder };

class TFileForm : public TForm {
    X_CLASS(TFileForm, TForm)
public:
    TFileFormKind Kind = TFileFormKind::Open;
    TOpenOptions Options;
    String DefaultExt;
    String Root;                  // the folder the user may not leave; empty: none
    std::vector<TFilterItem> Filters;
    std::vector<String> Result;   // the chosen paths once the form closes with mrOk

    void Prepare(const String& AFolder, const String& AName, int AFilterIndex)
    {
        bool Files = Kind != TFileFormKind::Folder;
        FFileList->SetVisible(Files);
        FNameLabel->SetVisible(Files);
        FNameEdit->SetVisible(Files);
        FTypeLabel->SetVisible(Files);
        FFilterCombo->SetVisible(Files);
        FFileList->MultiSelect = Options.Contains(ofAllowMultiSelect);
        FOkButton->SetCaption(Kind == TFileFormKind::Save ? "&Save" : Kind == TFileFormKind::Open ? "&Open" : "OK");
        FFilterCombo->Items()->Clear();
        for (const TFilterItem& Item : Filters)
            FFilterCombo->Items()->Add(Item.Description);
        FFilterCombo->SetItemIndex(Filters.empty() ? -1 : std::clamp(AFilterIndex, 1, int(Filters.size())) - 1);
        FFilterCombo->SetEnabled(!Filters.empty());
        FMasks.clear();
        FNameEdit->SetText(DisplayFileName(AName));
        Layout();
        if (!OpenFolder(AFolder)) {
            String Home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "/";
            if (!OpenFolder(InsideFolder(Home, Root) ? Home : (Root.empty() ? "/" : Root)))
                OpenFolder("/");
        }
        if (AFolder != FFolder && !AFolder.empty())
            ShowProblem(FProblemText);
    }
    int FilterIndex() const { return FFilterCombo->ItemIndex() + 1; }

protected:
    TFileForm() = default;
    void Construct(TComponent* AOwner) override
    {
        inherited::Construct(AOwner);
        SetPosition(poScreenCenter);
        SetBounds(0, 0, 620, 440);
        FPathLabel = AddLabel("Look &in:");
        FPathEdit = TEdit::Create(this);
        FPathEdit->SetParent(this);
        FPathLabel->SetFocusControl(FPathEdit);
        FFolderList = TNameList::Create(this);
        FFolderList->SetParent(this);
        FFolderList->SetOnClick(TNotifyEvent::Bind<&TFileForm::FolderPicked>(this));
        FFolderList->SetOnDblClick(TNotifyEvent::Bind<&TFileForm::FolderOpened>(this));
        FFolderList->OnParent = TNotifyEvent::Bind<&TFileForm::GoUp>(this);
        FFileList = TNameList::Create(this);
        FFileList->SetParent(this);
        FFileList->SetOnClick(TNotifyEvent::Bind<&TFileForm::FilePicked>(this));
        FFileList->SetOnDblClick(TNotifyEvent::Bind<&TFileForm::OkClicked>(this));
        FFileList->OnParent = TNotifyEvent::Bind<&TFileForm::GoUp>(this);
        FProblem = AddLabel("");
        FProblem->SetWordWrap(true);
        FProblem->Font()->SetColor(clRed);
        FNameLabel = AddLabel("File &name:");
        FNameEdit = TEdit::Create(this);
        FNameEdit->SetParent(this);
        FNameLabel->SetFocusControl(FNameEdit);
        FTypeLabel = AddLabel("Files of &type:");
        FFilterCombo = TComboBox::Create(this);
        FFilterCombo->SetParent(this);
        FFilterCombo->SetStyle(csDropDownList);
        FFilterCombo->SetOnChange(TNotifyEvent::Bind<&TFileForm::FilterChanged>(this));
        FTypeLabel->SetFocusControl(FFilterCombo);
        FOkButton = TButton::Create(this);
        FOkButton->SetParent(this);
        FOkButton->SetDefault(true);
        FOkButton->SetOnClick(TNotifyEvent::Bind<&TFileForm::OkClicked>(this));
        FCancelButton = TButton::Create(this);
        FCancelButton->SetParent(this);
        FCancelButton->SetCaption("Cancel");
        FCancelButton->SetCancel(true);
        FCancelButton->SetModalResult(mrCancel);
    }
    void Resize() override
    {
        inherited::Resize();
        Layout();
    }
    void DoShow() override
    {
        if (Kind == TFileFormKind::Folder)
            FFolderList->SetFocus();
        else
            FNameEdit->SetFocus();
        inherited::DoShow();
    }

private:
    TLabel* AddLabel(const String& ACaption)
    {
        TLabel* Label = TLabel::Create(this);
        Label->SetParent(this);
        Label->SetCaption(ACaption);
        return Label;
    }
    void Layout()
    {
        if (FCancelButton == nullptr)
            return;
        int W = std::max(ClientWidth(), 320), H = std::max(ClientHeight(), 240);
        int TypeTop = H - 33, NameTop = TypeTop - 31;
        int ListBottom = NameTop - 44;
        FPathLabel->SetBounds(8, 11, 84, 17);
        FPathEdit->SetBounds(96, 8, W - 104, 21);
        int FolderWidth = Kind == TFileFormKind::Folder ? W - 16 : (W - 24) / 3;
        FFolderList->SetBounds(8, 37, FolderWidth, ListBottom - 37);
        FFileList->SetBounds(16 + FolderWidth, 37, W - 24 - FolderWidth, ListBottom - 37);
        FProblem->SetBounds(8, ListBottom + 4, W - 16, 36);
        FNameLabel->SetBounds(8, NameTop + 4, 84, 17);
        FNameEdit->SetBounds(96, NameTop + 2, W - 187, 21);
        FTypeLabel->SetBounds(8, TypeTop + 4, 84, 17);
        FFilterCombo->SetBounds(96, TypeTop + 2, W - 187, 21);
        FOkButton->SetBounds(W - 83, NameTop, 75, 25);
        FCancelButton->SetBounds(W - 83, TypeTop, 75, 25);
    }

    void ShowProblem(const String& AText) { FProblem->SetCaption(AText); }

    // Lists AFolder; a folder that cannot be read keeps the one shown and says why.
    bool OpenFolder(const String& AFolder)
    {
        String Folder = NormalFolder(AFolder);
        if (!InsideFolder(Folder, Root)) {
            FProblemText = "Choose a folder inside \"" + DisplayFileName(Root) + "\".";
            ShowProblem(FProblemText);
            return false;
        }
        DIR* Handle = opendir(Folder.c_str());
        if (Handle == nullptr) {
            FProblemText = "Cannot open the folder \"" + DisplayFileName(Folder) + "\": " + SystemErrorText(errno);
            ShowProblem(FProblemText);
            return false;
        }
        closedir(Handle);
        FFolder = Folder;
        FFolderNames.clear();
        FFileNames.clear();
        for (const TSearchEntry& Entry : ListDirectory(Folder)) {
            if (Entry.Name.starts_with('.'))
                continue;
            if (Entry.IsDirectory)
                FFolderNames.push_back(Entry.Name);
            else if (Matches(Entry.Name))
                FFileNames.push_back(Entry.Name);
        }
        std::sort(FFolderNames.begin(), FFolderNames.end(), LessByName);
        std::sort(FFileNames.begin(), FFileNames.end(), LessByName);
        FHasParent = Folder != "/" && Folder != Root;
        if (FHasParent)
            FFolderNames.insert(FFolderNames.begin(), "..");
        FFolderList->Fill(FFolderNames);
        FFileList->Fill(FFileNames);
        FPathEdit->SetText(DisplayFileName(Folder));
        FPicked.clear();
        ShowProblem("");
        return true;
    }
    bool Matches(const String& AName) const
    {
        std::vector<String> Masks = FMasks;
        int Index = FFilterCombo->ItemIndex();
        if (Masks.empty() && Index >= 0 && Index < int(Filters.size()))
            Masks = Filters[size_t(Index)].Masks;
        if (Masks.empty())
            return true;
        return std::any_of(Masks.begin(), Masks.end(), [&](const String& AMask) { return MatchesMask(AName, AMask); });
    }
    String FolderEntry(int AIndex) const
    {
        return FHasParent && AIndex == 0 ? ParentFolder(FFolder) : JoinPath(FFolder, FFolderNames[size_t(AIndex)]);
    }

    void GoUp(TObject*)
    {
        if (FHasParent)
            OpenFolder(ParentFolder(FFolder));
    }
    void FolderPicked(TObject*)
    {
        if (Kind == TFileFormKind::Folder && FFolderList->ItemIndex() >= 0)
            FPathEdit->SetText(DisplayFileName(FolderEntry(FFolderList->ItemIndex())));
    }
    void FolderOpened(TObject*)
    {
        int Index = FFolderList->ItemIndex();
        if (Index >= 0)
            OpenFolder(FolderEntry(Index));
    }
    void FilterChanged(TObject*)
    {
        FMasks.clear();
        OpenFolder(FFolder);
    }
    // The picked names go into the name edit; they stand as picked while the edit shows them.
    void FilePicked(TObject*)
    {
        FPicked.clear();
        for (int Index : FFileList->Chosen())
            FPicked.push_back(FFileNames[size_t(Index)]);
        if (FPicked.size() == 1) {
            FPickedText = DisplayFileName(FPicked[0]);
        } else {
            FPickedText.clear();
            for (const String& Name : FPicked)
                FPickedText += (FPickedText.empty() ? "\"" : " \"") + DisplayFileName(Name) + "\"";
        }
        FNameEdit->SetText(FPickedText);
    }

    String Resolve(const String& ATyped) const
    {
        if (ATyped.starts_with('/'))
            return NormalFolder(ATyped);
        const char* Home = std::getenv("HOME");
        if (Home != nullptr && (ATyped == "~" || ATyped.starts_with("~/")))
            return NormalFolder(Home + ATyped.substr(1));
        return NormalFolder(JoinPath(FFolder, ATyped));
    }
    // "a" "b": the names of a multiple choice; otherwise the whole text is one name.
    std::vector<String> TypedNames(const String& AText) const
    {
        std::vector<String> Names;
        if (!FFileList->MultiSelect || !AText.starts_with('"')) {
            Names.push_back(AText);
            return Names;
        }
        for (size_t Open = AText.find('"'); Open != String::npos; Open = AText.find('"', Open)) {
            size_t Close = AText.find('"', Open + 1);
            if (Close == String::npos)
                Close = AText.size();
            if (Close > Open + 1)
                Names.push_back(AText.substr(Open + 1, Close - Open - 1));
            Open = Close + 1;
            if (Open >= AText.size())
                break;
        }
        return Names;
    }

    void OkClicked(TObject*)
    {
        TWinControl* Focus = ActiveControl();
        if (Focus == FPathEdit && FPathEdit->Text() != DisplayFileName(FFolder) &&
            (Kind != TFileFormKind::Folder || FFolderList->ItemIndex() < 0 ||
             FPathEdit->Text() != DisplayFileName(FolderEntry(FFolderList->ItemIndex())))) {
            OpenFolder(Resolve(FPathEdit->Text()));
            return;
        }
        if (Kind == TFileFormKind::Folder) {
            ChooseFolder();
            return;
        }
        if (Focus == FFolderList && FFolderList->ItemIndex() >= 0) {
            FolderOpened(nullptr);
            return;
        }
        ChooseFiles();
    }
    void ChooseFolder()
    {
        int Index = FFolderList->ItemIndex();
        String Folder = Index >= 0 && !(FHasParent && Index == 0) ? FolderEntry(Index) : FFolder;
        Finish({Folder});
    }
    void ChooseFiles()
    {
        String Text = FNameEdit->Text();
        std::vector<String> Paths;
        if (!FPicked.empty() && Text == FPickedText) {
            for (const String& Name : FPicked)
                Paths.push_back(JoinPath(FFolder, Name));
        } else {
            if (Trim(Text).empty())
                return;
            std::vector<String> Names = TypedNames(Text);
            if (Names.size() == 1) {
                if (Names[0].find_first_of("*?") != String::npos && Names[0].find('/') == String::npos) {
                    FMasks = {Names[0]};
                    OpenFolder(FFolder);
                    return;
                }
                if (DirectoryExists(Resolve(Names[0]))) {
                    if (OpenFolder(Resolve(Names[0])))
                        FNameEdit->SetText("");
                    return;
                }
            }
            for (const String& Name : Names)
                Paths.push_back(WithDefaultExt(Resolve(Name)));
        }
        for (const String& Path : Paths)
            if (!Acceptable(Path))
                return;
        Finish(Paths);
    }
    String WithDefaultExt(const String& APath) const
    {
        if (DefaultExt.empty() || BaseName(APath).find('.') != String::npos)
            return APath;
        if (Kind == TFileFormKind::Open && FileExists(APath))
            return APath;
        return APath + "." + DefaultExt;
    }
    bool Acceptable(const String& APath)
    {
        String Folder = ParentFolder(APath);
        if (!DirectoryExists(Folder)) {
            ShowProblem("The folder \"" + DisplayFileName(Folder) + "\" does not exist.");
            return false;
        }
        bool Exists = FileExists(APath);
        if (!Exists && Options.Contains(ofFileMustExist)) {
            ShowProblem("\"" + DisplayFileName(BaseName(APath)) + "\" was not found. Check the name and try again.");
            return false;
        }
        if (Exists && Kind == TFileFormKind::Save && Options.Contains(ofOverwritePrompt))
            return AskYesNo("Confirm Save As", "\"" + DisplayFileName(BaseName(APath)) + "\" already exists.\nDo you want to replace it?");
        return true;
    }
    void Finish(const std::vector<String>& APaths)
    {
        Result = APaths;
        SetModalResult(mrOk);
    }

    TLabel* FPathLabel = nullptr;
    TEdit* FPathEdit = nullptr;
    TNameList* FFolderList = nullptr;
    TNameList* FFileList = nullptr;
    TLabel* FProblem = nullptr;
    TLabel* FNameLabel = nullptr;
    TEdit* FNameEdit = nullptr;
    TLabel* FTypeLabel = nullptr;
    TComboBox* FFilterCombo = nullptr;
    TButton* FOkButton = nullptr;
    TButton* FCancelButton = nullptr;

    String FFolder;
    bool FHasParent = false;
    std::vector<String> FFolderNames;   // as the file system gave them, ".." first when shown
    std::vector<String> FFileNames;
    std::vector<String> FMasks;         // typed in the name edit; empty: the filter's
    std::vector<String> FPicked;
    String FPickedText;
    String FProblemText;
};

String WorkingFolder()
{
    std::error_code Error;
    std::filesystem::path Path = std::filesystem::current_path(Error);
    return Error ? String("/") : Path.string();
}

}  // namespace

void TOpenDialog::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FFiles = TStringList::Create();
}

TOpenDialog::~TOpenDialog()
{
    if (FFiles != nullptr)
        FFiles->Free();
}

bool TOpenDialog::Execute()
{
    std::unique_ptr<TFileForm, TFreeDeleter> Form(TFileForm::Create(Application));
    Form->Kind = Saving() ? TFileFormKind::Save : TFileFormKind::Open;
    Form->Options = FOptions;
    Form->DefaultExt = FDefaultExt;
    Form->Filters = ParseFilter(FFilter);
    Form->SetCaption(!FTitle.empty() ? FTitle : Saving() ? "Save As" : "Open");
    Form->SetBorderStyle(FOptions.Contains(ofEnableSizing) ? bsSizeable : bsDialog);
    size_t Slash = FFileName.rfind('/');
    String Folder = !FInitialDir.empty() ? FInitialDir : Slash != String::npos ? FFileName.substr(0, Slash + 1) : String();
    if (Folder.empty())
        Folder = WorkingFolder();
    else if (!Folder.starts_with('/'))
        Folder = JoinPath(WorkingFolder(), Folder);
    Form->Prepare(Folder, Slash != String::npos ? FFileName.substr(Slash + 1) : FFileName, FFilterIndex);
    if (!RunModal(Form.get()))
        return false;
    FFiles->Clear();
    for (const String& Path : Form->Result)
        FFiles->Add(Path);
    FFileName = Form->Result.front();
    if (!Form->Filters.empty())
        FFilterIndex = Form->FilterIndex();
    return true;
}

bool SelectDirectory(const String& ACaption, const String& ARoot, String& ADirectory)
{
    std::unique_ptr<TFileForm, TFreeDeleter> Form(TFileForm::Create(Application));
    Form->Kind = TFileFormKind::Folder;
    Form->Root = ARoot.empty() ? String() : NormalFolder(ARoot);
    Form->SetCaption(ACaption.empty() ? "Select Folder" : ACaption);
    Form->SetBorderStyle(bsSizeable);
    Form->Prepare(!ADirectory.empty() ? ADirectory : !ARoot.empty() ? ARoot : WorkingFolder(), "", 0);
    if (Form->ShowModal() != mrOk)
        return false;
    ADirectory = Form->Result.front();
    return true;
}

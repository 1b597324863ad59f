// Vcl.Dialogs.h: the common dialogs the programs open, as forms of our own. Execute shows the
// dialog modally and answers whether the user confirmed it. UI thread only.
#pragma once

#include "Rtl.Strings.h"
#include "Vcl.Forms.h"

class TCommonDialog : public TComponent {
    X_CLASS(TCommonDialog, TComponent)
public:
    virtual bool Execute() = 0;
    // The dialog's form while Execute runs; nullptr otherwise.
    TCustomForm* Form() const { return FForm; }
    TNotifyEvent OnShow() const { return FOnShow; }
    void SetOnShow(TNotifyEvent AValue) { FOnShow = AValue; }
    TNotifyEvent OnClose() const { return FOnClose; }
    void SetOnClose(TNotifyEvent AValue) { FOnClose = AValue; }

protected:
    TCommonDialog() = default;
    // Runs AForm modally (OnShow once it shows, OnClose after); answers whether it ended
    // with mrOk. The caller frees the form.
    bool RunModal(TCustomForm* AForm);

private:
    TCustomForm* FForm = nullptr;
    TNotifyEvent FOnShow;
    TNotifyEvent FOnClose;
};

// Picks a colour from the basic colours, the custom ones, or by its red, green and blue.
class TColorDialog : public TCommonDialog {
    X_CLASS(TColorDialog, TCommonDialog)
public:
    TColor Color() const { return FColor; }
    void SetColor(TColor AValue) { FColor = AValue; }
    // Up to 16 colours the user keeps, "ColorA=RRGGBB" .. "ColorP=RRGGBB" as hex values.
    TStrings* CustomColors() const { return FCustomColors; }
    bool Execute() override;

protected:
    TColorDialog() = default;
    ~TColorDialog() override;
    void Construct(TComponent* AOwner) override;

private:
    TColor FColor = clBlack;
    TStringList* FCustomColors = nullptr;
};

// ---- Open, save and folder dialogs -------------------------------------------------------

// ofHideReadOnly and ofPathMustExist are accepted for callers that set them: the dialogs show no
// read-only box, and the folder of a chosen file must always exist.
X_ENUM(TOpenOption, ofOverwritePrompt, ofHideReadOnly, ofAllowMultiSelect, ofPathMustExist, ofFileMustExist,
       ofEnableSizing);
using TOpenOptions = TSet<TOpenOption>;

// Chooses one file (or several with ofAllowMultiSelect) from a folder list, a file list
// filtered by the chosen filter, and a name edit. Names are shown with control characters and
// malformed UTF-8 made visible, and a name picked from a list comes back byte for byte.
class TOpenDialog : public TCommonDialog {
    X_CLASS(TOpenDialog, TCommonDialog)
public:
    // The full path of the (first) chosen file; on Execute its folder and name are proposed.
    const String& FileName() const { return FFileName; }
    void SetFileName(const String& AValue) { FFileName = AValue; }
    // Every chosen file's full path, in the order chosen.
    TStrings* Files() const { return FFiles; }
    // "Description|*.a;*.b|Description|*.c": pairs of a description and its masks.
    const String& Filter() const { return FFilter; }
    void SetFilter(const String& AValue) { FFilter = AValue; }
    // The chosen pair, from 1; kept from one Execute to the next.
    int FilterIndex() const { return FFilterIndex; }
    void SetFilterIndex(int AValue) { FFilterIndex = AValue; }
    // Without a point: added to a typed name that has no extension.
    const String& DefaultExt() const { return FDefaultExt; }
    void SetDefaultExt(const String& AValue) { FDefaultExt = AValue; }
    // The folder shown first; empty: the proposed file's folder, else the working folder.
    const String& InitialDir() const { return FInitialDir; }
    void SetInitialDir(const String& AValue) { FInitialDir = AValue; }
    // The caption; empty: "Open" or "Save As".
    const String& Title() const { return FTitle; }
    void SetTitle(const String& AValue) { FTitle = AValue; }
    TOpenOptions Options() const { return FOptions; }
    void SetOptions(TOpenOptions AValue) { FOptions = AValue; }
    bool Execute() override;

protected:
    TOpenDialog() = default;
    ~TOpenDialog() override;
    void Construct(TComponent* AOwner) override;
    virtual bool Saving() const { return false; }

private:
    String FFileName;
    TStringList* FFiles = nullptr;
    String FFilter;
    int FFilterIndex = 1;
    String FDefaultExt;
    String FInitialDir;
    String FTitle;
    TOpenOptions FOptions{ofHideReadOnly, ofEnableSizing};
};

// The same, to name a file to write: an existing file is confirmed first with ofOverwritePrompt.
class TSaveDialog : public TOpenDialog {
    X_CLASS(TSaveDialog, TOpenDialog)
protected:
    TSaveDialog() = default;
    bool Saving() const override { return true; }
};

// Chooses a folder, starting from ADirectory (and inside ARoot when it is given: the user
// cannot leave it). True with ADirectory set to the chosen folder's full path.
bool SelectDirectory(const String& ACaption, const String& ARoot, String& ADirectory);

// A file or folder name as the dialogs show it: control characters as their pictures
// (U+2400 and on), each byte of malformed UTF-8 as U+FFFD.
String DisplayFileName(std::string_view AName);

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

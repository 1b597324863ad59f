// Vcl.RichEdit.h: the rich edit control: the rich text engine (RichEdit.Editor.h) in a window,
// driven by the mouse and the keyboard, with the events the framework's rich edit builds on.
// Everything the engine offers (formats, streams, lines, clipboard) is reached through Editor().
// UI thread only.
#pragma once

#include "RichEdit.Editor.h"
#include "Vcl.Controls.h"

using TRichEditProtectChange = TMethod<void(TObject* ASender, int AStartPos, int AEndPos, bool& AAllowChange)>;
using TRichEditResizeEvent = TMethod<void(TObject* ASender, const TRect& ARect)>;
using TRichEditLinkEvent = TMethod<void(TObject* ASender, TLinkMouse AMouse, int AStart, int AEnd, const String& AUrl)>;
using TRichEditSaveClipboard = TMethod<void(TObject* ASender, int ANumObjects, int ANumChars, bool& ASaveClipboard)>;

class TCustomRichEdit : public TCustomControl {
    X_CLASS(TCustomRichEdit, TCustomControl)
public:
    TRichEditor* Editor() { return &FEditor; }

    int SelStart() const { return FEditor.SelStart(); }
    void SetSelStart(int AValue);
    int SelLength() const { return FEditor.SelLength(); }
    void SetSelLength(int AValue);
    String SelText() const { return FEditor.SelText(); }
    void SetSelText(const String& AValue);
    bool ReadOnly() const { return FEditor.ReadOnly(); }
    void SetReadOnly(bool AValue);
    // 0: 0xFFFFFF characters.
    int MaxLength() const { return FEditor.MaxLength(); }
    void SetMaxLength(int AValue) { FEditor.SetMaxLength(AValue); }
    bool HideSelection() const { return FEditor.HideSelection(); }
    void SetHideSelection(bool AValue);
    bool WordWrap() const { return FEditor.WordWrap(); }
    void SetWordWrap(bool AValue);
    bool WantTabs() const { return FWantTabs; }
    void SetWantTabs(bool AValue) { FWantTabs = AValue; }
    bool WantReturns() const { return FWantReturns; }
    void SetWantReturns(bool AValue) { FWantReturns = AValue; }
    bool Modified() const { return FEditor.Modified(); }
    void SetModified(bool AValue) { FEditor.SetModified(AValue); }
    void SelectAll();
    void Clear();
    void CopyToClipboard() { FEditor.Copy(); }
    void CutToClipboard();
    void PasteFromClipboard();
    void Undo();

    TNotifyEvent OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent AValue) { FOnChange = AValue; }
    TNotifyEvent OnSelectionChange() const { return FOnSelectionChange; }
    void SetOnSelectionChange(TNotifyEvent AValue) { FOnSelectionChange = AValue; }
    // Asked before protected text changes; AAllowChange starts False.
    TRichEditProtectChange OnProtectChange() const { return FOnProtectChange; }
    void SetOnProtectChange(TRichEditProtectChange AValue) { FOnProtectChange = AValue; }
    TRichEditResizeEvent OnResizeRequest() const { return FOnResizeRequest; }
    void SetOnResizeRequest(TRichEditResizeEvent AValue);
    TRichEditLinkEvent OnLink() const { return FOnLink; }
    void SetOnLink(TRichEditLinkEvent AValue) { FOnLink = AValue; }
    // Asked when the control goes away while the clipboard holds what it copied; ASaveClipboard
    // starts True.
    TRichEditSaveClipboard OnSaveClipboard() const { return FOnSaveClipboard; }
    void SetOnSaveClipboard(TRichEditSaveClipboard AValue) { FOnSaveClipboard = AValue; }

protected:
    TCustomRichEdit() = default;
    ~TCustomRichEdit() override;
    void Construct(TComponent* AOwner) override;
    void WndProc(TMessage& AMessage) override;
    void Paint() override;
    void Resize() override;
    void KeyDown(uint16_t& AKey, TShiftState AShift) override;
    void KeyPress(char32_t& AKey) override;
    void MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY) override;
    void MouseMove(TShiftState AShift, int AX, int AY) override;
    void MouseUp(TMouseButton AButton, TShiftState AShift, int AX, int AY) override;
    virtual void Change();
    virtual void SelectionChange();

private:
    void EditorChanged() { Change(); }
    void EditorSelectionChanged() { SelectionChange(); }
    bool EditorProtected(int32_t AStart, int32_t AEnd);
    void EditorResize(const TRect& ARect);
    void EditorLink(TLinkMouse AMouse, const TLinkRange& ALink);
    bool EditorSaveClipboard(int32_t AObjects, int32_t AChars);

    TRichEditor FEditor;
    bool FWantTabs = false;
    bool FWantReturns = true;
    TNotifyEvent FOnChange;
    TNotifyEvent FOnSelectionChange;
    TRichEditProtectChange FOnProtectChange;
    TRichEditResizeEvent FOnResizeRequest;
    TRichEditLinkEvent FOnLink;
    TRichEditSaveClipboard FOnSaveClipboard;
};

class TRichEdit : public TCustomRichEdit {
    X_CLASS(TRichEdit, TCustomRichEdit)
protected:
    TRichEdit() = default;
};

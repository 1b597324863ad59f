#include "Vcl.RichEdit.h"

#include "Win.Keyboard.h"

void TCustomRichEdit::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FEditor.SetOnChange(TRichNotifyEvent::Bind<&TCustomRichEdit::EditorChanged>(this));
    FEditor.SetOnSelectionChange(TRichNotifyEvent::Bind<&TCustomRichEdit::EditorSelectionChanged>(this));
    FEditor.SetOnProtected(TRichProtectedEvent::Bind<&TCustomRichEdit::EditorProtected>(this));
    FEditor.SetOnLink(TRichLinkEvent::Bind<&TCustomRichEdit::EditorLink>(this));
    FEditor.SetOnSaveClipboard(TRichSaveClipboardEvent::Bind<&TCustomRichEdit::EditorSaveClipboard>(this));
    SetBounds(0, 0, 185, 89);
    SetTabStop(true);
    SetColor(clWindow);
    SetCursor(-4);   // the I-beam
}

TCustomRichEdit::~TCustomRichEdit()
{
    FEditor.ReleaseClipboard();
}

void TCustomRichEdit::SetSelStart(int AValue)
{
    FEditor.SetSelection(AValue, AValue);
    Invalidate();
}

void TCustomRichEdit::SetSelLength(int AValue)
{
    FEditor.SetSelection(SelStart(), SelStart() + std::max(0, AValue));
    FEditor.ScrollCaretIntoView();
    Invalidate();
}

void TCustomRichEdit::SetSelText(const String& AValue)
{
    FEditor.ReplaceSelection(AValue);
    Invalidate();
}

void TCustomRichEdit::SetReadOnly(bool AValue)
{
    FEditor.SetReadOnly(AValue);
    Invalidate();
}

void TCustomRichEdit::SetHideSelection(bool AValue)
{
    FEditor.SetHideSelection(AValue);
    Invalidate();
}

void TCustomRichEdit::SetWordWrap(bool AValue)
{
    FEditor.SetWordWrap(AValue);
    Invalidate();
}

void TCustomRichEdit::SetOnResizeRequest(TRichEditResizeEvent AValue)
{
    FOnResizeRequest = AValue;
    FEditor.SetOnRequestResize(AValue ? TRichResizeEvent::Bind<&TCustomRichEdit::EditorResize>(this)
                                      : TRichResizeEvent());
}

void TCustomRichEdit::SelectAll()
{
    FEditor.SelectAll();
    Invalidate();
}

void TCustomRichEdit::Clear()
{
    (void)FEditor.StreamIn("", SF_TEXT);
    FEditor.SetModified(false);
    Invalidate();
}

void TCustomRichEdit::CutToClipboard()
{
    FEditor.Cut();
    Invalidate();
}

void TCustomRichEdit::PasteFromClipboard()
{
    FEditor.Paste();
    Invalidate();
}

void TCustomRichEdit::Undo()
{
    FEditor.Undo();
    Invalidate();
}

void TCustomRichEdit::Change()
{
    Invalidate();
    if (FOnChange)
        FOnChange(this);
}

void TCustomRichEdit::SelectionChange()
{
    Invalidate();
    if (FOnSelectionChange)
        FOnSelectionChange(this);
}

bool TCustomRichEdit::EditorProtected(int32_t AStart, int32_t AEnd)
{
    bool Allow = false;
    if (FOnProtectChange)
        FOnProtectChange(this, AStart, AEnd, Allow);
    return Allow;
}

void TCustomRichEdit::EditorResize(const TRect& ARect)
{
    if (FOnResizeRequest)
        FOnResizeRequest(this, ARect);
}

void TCustomRichEdit::EditorLink(TLinkMouse AMouse, const TLinkRange& ALink)
{
    if (FOnLink)
        FOnLink(this, AMouse, ALink.Start, ALink.End, ALink.Url);
}

bool TCustomRichEdit::EditorSaveClipboard(int32_t AObjects, int32_t AChars)
{
    bool Save = true;
    if (FOnSaveClipboard)
        FOnSaveClipboard(this, AObjects, AChars, Save);
    return Save;
}

void TCustomRichEdit::WndProc(TMessage& AMessage)
{
    switch (AMessage.Msg) {
    case WM_GETDLGCODE:
        AMessage.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | (FWantTabs ? DLGC_WANTTAB : 0) |
                          (FWantReturns ? DLGC_WANTALLKEYS : 0);
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        FEditor.SetFocused(AMessage.Msg == WM_SETFOCUS);
        Invalidate();
        break;
    default:
        break;
    }
    inherited::WndProc(AMessage);
}

void TCustomRichEdit::Resize()
{
    FEditor.SetViewSize(ClientWidth(), ClientHeight());
    inherited::Resize();
}

void TCustomRichEdit::Paint()
{
    FEditor.SetViewSize(ClientWidth(), ClientHeight());
    FEditor.Paint(Canvas(), Color());
}

void TCustomRichEdit::KeyDown(uint16_t& AKey, TShiftState AShift)
{
    inherited::KeyDown(AKey, AShift);
    bool Shift = AShift.Contains(ssShift);
    bool Ctrl = AShift.Contains(ssCtrl);
    auto Move = [&](TCaretMove AMove) { FEditor.MoveCaret(AMove, Shift); };
    switch (AKey) {
    case VK_LEFT: Move(Ctrl ? TCaretMove::WordLeft : TCaretMove::Left); break;
    case VK_RIGHT: Move(Ctrl ? TCaretMove::WordRight : TCaretMove::Right); break;
    case VK_UP: Move(TCaretMove::Up); break;
    case VK_DOWN: Move(TCaretMove::Down); break;
    case VK_HOME: Move(Ctrl ? TCaretMove::DocumentStart : TCaretMove::LineStart); break;
    case VK_END: Move(Ctrl ? TCaretMove::DocumentEnd : TCaretMove::LineEnd); break;
    case VK_PRIOR: Move(TCaretMove::PageUp); break;
    case VK_NEXT: Move(TCaretMove::PageDown); break;
    case VK_BACK: FEditor.DeleteBackward(); break;
    case VK_DELETE:
        if (Shift)
            CutToClipboard();
        else
            FEditor.DeleteForward();
        break;
    case VK_RETURN:
        if (FWantReturns)
            FEditor.TypeText("\r");
        break;
    default:
        if (!Ctrl)
            return;
        switch (AKey) {
        case 'A': SelectAll(); break;
        case 'C': CopyToClipboard(); break;
        case 'X': CutToClipboard(); break;
        case 'V': PasteFromClipboard(); break;
        case 'Z': FEditor.Undo(); break;
        case 'Y': FEditor.Redo(); break;
        default: return;
        }
    }
    Invalidate();
}

void TCustomRichEdit::KeyPress(char32_t& AKey)
{
    inherited::KeyPress(AKey);
    // Control characters are keys, handled on key down; a tab is text only when wanted.
    if ((AKey < 0x20 && !(AKey == U'\t' && FWantTabs)) || AKey == 0x7F)
        return;
    FEditor.TypeText(ToUtf8(std::u32string_view(&AKey, 1)));
}

void TCustomRichEdit::MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY)
{
    inherited::MouseDown(AButton, AShift, AX, AY);
    if (AButton != mbLeft)
        return;
    if (CanFocus() && !Focused())
        SetFocus();
    FEditor.MouseDown(AX, AY, AShift.Contains(ssShift), AShift.Contains(ssDouble) ? 2 : 1);
}

void TCustomRichEdit::MouseMove(TShiftState AShift, int AX, int AY)
{
    inherited::MouseMove(AShift, AX, AY);
    FEditor.MouseMove(AX, AY, AShift.Contains(ssLeft));
}

void TCustomRichEdit::MouseUp(TMouseButton AButton, TShiftState AShift, int AX, int AY)
{
    inherited::MouseUp(AButton, AShift, AX, AY);
    if (AButton == mbLeft)
        FEditor.MouseUp(AX, AY);
}

// RichEdit.Editor.h: the rich edit's editing engine: a document with its selection, caret moves,
// typing, undo and redo, formats of the selection, streams, the clipboard, links and the
// notifications a control turns into its events. It draws into a view of a given size at 96 DPI.
// Read-only and the maximum length stop the user's edits, not the program's; protected text
// stops both unless the protection handler allows the change. UI thread only.
#pragma once

#include <deque>

#include "RichEdit.Clipboard.h"
#include "RichEdit.Layout.h"
#include "RichEdit.Streams.h"
#include "Rtl.Methods.h"

class TCanvas;

// Which text a character format applies to (SCF_ values).
inline constexpr uint32_t SCF_DEFAULT = 0;
inline constexpr uint32_t SCF_SELECTION = 1;
inline constexpr uint32_t SCF_WORD = 2;

inline constexpr int32_t DefaultMaxLength = 0xFFFFFF;
inline constexpr int DefaultUndoLimit = 100;

enum class TCaretMove : uint8_t {
    Left, Right, WordLeft, WordRight, Up, Down, LineStart, LineEnd, PageUp, PageDown, DocumentStart, DocumentEnd
};
enum class TLinkMouse : uint8_t { Down, Up, Move };

// Handlers: a protected change goes ahead only when the handler answers True; keeping the
// clipboard's data after the editor is gone likewise.
using TRichNotifyEvent = TMethod<void()>;
using TRichProtectedEvent = TMethod<bool(int32_t AStart, int32_t AEnd)>;
using TRichResizeEvent = TMethod<void(const TRect& ARect)>;
using TRichLinkEvent = TMethod<void(TLinkMouse AMouse, const TLinkRange& ALink)>;
using TRichSaveClipboardEvent = TMethod<bool(int32_t AObjects, int32_t AChars)>;

class TRichEditor {
public:
    TRichEditor();
    ~TRichEditor();
    TRichEditor(const TRichEditor&) = delete;
    TRichEditor& operator=(const TRichEditor&) = delete;

    const TRichDocument& Document() const { return FDocument; }
    TRichLayout& Layout() { return FLayout; }

    // ---- Text and selection
    int32_t TextLength() const { return FDocument.Length(); }
    String Text() const { return TextRange(0, -1); }
    String TextRange(int32_t AStart, int32_t AEnd) const;
    int32_t SelStart() const { return std::min(FAnchor, FCaret); }
    int32_t SelLength() const { return std::abs(FCaret - FAnchor); }
    int32_t Caret() const { return FCaret; }
    String SelText() const { return TextRange(SelStart(), SelStart() + SelLength()); }
    // From AAnchor to ACaret (either order; -1 as ACaret is the end). Fires the selection change.
    void SetSelection(int32_t AAnchor, int32_t ACaret);
    void SelectAll() { SetSelection(0, -1); }

    // ---- Editing from the program: replaces the selection (refused only by protection).
    bool ReplaceSelection(const String& AText, bool ACanUndo = true);
    bool ReplaceSelection(const TRichFragment& AFragment, bool ACanUndo = true);
    // ---- Editing by the user: typing (and input method text), deleting, keys.
    bool TypeText(const String& AText);
    bool DeleteBackward();
    bool DeleteForward();
    void MoveCaret(TCaretMove AMove, bool AExtend);
    void SelectWordAt(int32_t APos);

    // ---- Undo
    bool CanUndo() const { return !FUndo.empty(); }
    bool CanRedo() const { return !FRedo.empty(); }
    bool Undo();
    bool Redo();
    // 0 turns undo off; answers the limit kept.
    int SetUndoLimit(int ALimit);
    int UndoLimit() const { return FUndoLimit; }
    // Ends the current typing group, so the next typed text is undone on its own.
    void StopGroupTyping() { FGroupTyping = false; }

    // ---- Formats (SCF_ kinds; AMask gets the attributes uniform over the text)
    TCharFormat GetCharFormat(uint32_t AKind, uint32_t& AMask) const;
    bool SetCharFormat(uint32_t AKind, const TCharFormat& AFormat, uint32_t AMask);
    TParaFormat GetParaFormat(uint32_t& AMask) const;
    bool SetParaFormat(const TParaFormat& AFormat, uint32_t AMask);

    // ---- Streams (SF_ flags; SFF_SELECTION for the selection only). Reading is not bound by
    // the maximum length: a file loads whole.
    [[nodiscard]] bool StreamIn(std::string_view AData, uint32_t AFlags);
    String StreamOut(uint32_t AFlags) const;

    // ---- Clipboard
    bool Copy();
    bool Cut();
    bool Paste();
    bool CanPaste() const;
    // Pastes one format (CF_RTF, CF_RTFNOOBJS, CF_UNICODETEXT_NAME, CF_DIB_NAME).
    bool PasteFormat(const String& AFormat);
    // The editor goes away: asks whether the clipboard may keep what it copied there.
    void ReleaseClipboard();

    // ---- Properties
    int32_t MaxLength() const { return FMaxLength; }
    void SetMaxLength(int32_t AValue) { FMaxLength = AValue <= 0 ? DefaultMaxLength : AValue; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool AValue) { FReadOnly = AValue; }
    bool AutoUrlDetect() const { return FLayout.AutoUrlDetect(); }
    void SetAutoUrlDetect(bool AValue) { FLayout.SetAutoUrlDetect(AValue); }
    bool HideSelection() const { return FHideSelection; }
    void SetHideSelection(bool AValue) { FHideSelection = AValue; }
    bool WordSelection() const { return FWordSelection; }
    void SetWordSelection(bool AValue) { FWordSelection = AValue; }
    // Plain-text mode: one format for all the text, and only text pasted.
    bool PlainText() const { return FPlainText; }
    void SetPlainText(bool AValue) { FPlainText = AValue; }
    bool Modified() const { return FModified; }
    void SetModified(bool AValue) { FModified = AValue; }
    bool Focused() const { return FFocused; }
    void SetFocused(bool AValue) { FFocused = AValue; }

    // ---- Lines (after wrapping at the view's width)
    int32_t LineCount() { return FLayout.LineCount(); }
    int32_t LineIndex(int32_t ALine) { return FLayout.LineIndex(ALine); }
    int32_t LineLength(int32_t ALine) { return FLayout.LineLength(ALine); }
    int32_t LineFromChar(int32_t APos) { return FLayout.LineFromChar(APos); }

    // ---- View: pixels at 96 DPI, the document scrolled by ScrollTop.
    void SetViewSize(int AWidth, int AHeight);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool AValue);
    double ScrollTop() const { return FScrollTop; }
    void SetScrollTop(double AValue);
    void ScrollCaretIntoView();
    // View coordinates.
    void MouseDown(int AX, int AY, bool AExtend, int AClickCount);
    void MouseMove(int AX, int AY, bool AButtonDown);
    void MouseUp(int AX, int AY);
    // The view into ACanvas at (0, 0), with the background and the caret.
    void Paint(TCanvas* ACanvas, TColor ABackground);

    // ---- Notifications
    void SetOnChange(TRichNotifyEvent AValue) { FOnChange = AValue; }
    void SetOnSelectionChange(TRichNotifyEvent AValue) { FOnSelectionChange = AValue; }
    void SetOnProtected(TRichProtectedEvent AValue) { FOnProtected = AValue; }
    void SetOnRequestResize(TRichResizeEvent AValue) { FOnRequestResize = AValue; }
    void SetOnLink(TRichLinkEvent AValue) { FOnLink = AValue; }
    void SetOnSaveClipboard(TRichSaveClipboardEvent AValue) { FOnSaveClipboard = AValue; }

private:
    struct TUndoStep {
        int32_t Start = 0;
        TRichFragment Old;     // what [Start, Start + NewLength) replaced
        int32_t NewLength = 0;
        int32_t Anchor = 0;    // the selection before the step
        int32_t Caret = 0;
        bool Typing = false;
    };
    enum class TEditBy : uint8_t { Program, User };

    bool Replace(int32_t AStart, int32_t AEnd, TRichFragment AFragment, TEditBy ABy, bool ACanUndo, bool ATyping);
    bool AllowChange(int32_t AStart, int32_t AEnd);
    void PushUndo(TUndoStep AStep);
    bool Apply(std::deque<TUndoStep>& AFrom, std::deque<TUndoStep>& ATo);
    void Changed();
    void SetSelectionQuiet(int32_t AAnchor, int32_t ACaret);
    TCharFormat TypingFormat(int32_t AStart, int32_t AEnd) const;
    void WordBounds(int32_t APos, int32_t& AStart, int32_t& AEnd) const;
    int32_t MovedCaret(TCaretMove AMove);
    int32_t PointToChar(int AX, int AY);
    bool ParagraphRange(int32_t& AStart, int32_t& AEnd) const;
    bool UndoableFormatChange(int32_t AStart, int32_t AEnd, const TCharFormat* AChar, const TParaFormat* APara,
                              uint32_t AMask);

    TRichDocument FDocument;
    TRichLayout FLayout;
    int32_t FAnchor = 0;
    int32_t FCaret = 0;
    bool FHasInsertFormat = false;
    TCharFormat FInsertFormat;   // set on an empty selection: what typing there takes
    std::deque<TUndoStep> FUndo;
    std::deque<TUndoStep> FRedo;
    int FUndoLimit = DefaultUndoLimit;
    bool FGroupTyping = false;
    int32_t FMaxLength = DefaultMaxLength;
    bool FReadOnly = false;
    bool FHideSelection = true;
    bool FWordSelection = true;
    bool FPlainText = false;
    bool FModified = false;
    bool FFocused = false;
    bool FWordWrap = true;
    int FViewWidth = 0;
    int FViewHeight = 0;
    double FScrollTop = 0;
    double FGoalX = -1;
    double FRequestedHeight = -1;
    bool FMouseDown = false;
    bool FDragByWords = false;
    int32_t FWordAnchorStart = 0;
    int32_t FWordAnchorEnd = 0;
    bool FOwnsClipboard = false;
    TRichNotifyEvent FOnChange;
    TRichNotifyEvent FOnSelectionChange;
    TRichProtectedEvent FOnProtected;
    TRichResizeEvent FOnRequestResize;
    TRichLinkEvent FOnLink;
    TRichSaveClipboardEvent FOnSaveClipboard;
};

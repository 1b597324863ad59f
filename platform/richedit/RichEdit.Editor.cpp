#include "RichEdit.Editor.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cwctype>

#include "RichEdit.Render.h"
#include "Vcl.Graphics.Cairo.h"

namespace {

bool IsWordChar(char32_t C)
{
    return C == U'_' || std::iswalnum(wint_t(C)) || C > 0x2FFF;
}

// A BMP file's pixels as a picture group the document keeps (a device-independent bitmap).
std::shared_ptr<TEmbeddedObject> PictureFromDib(std::string_view ADib)
{
    if (ADib.size() < 40)
        return nullptr;
    auto Int32 = [&](size_t AAt) {
        return int32_t(uint8_t(ADib[AAt]) | uint8_t(ADib[AAt + 1]) << 8 | uint8_t(ADib[AAt + 2]) << 16 |
                       uint32_t(uint8_t(ADib[AAt + 3])) << 24);
    };
    int32_t Width = Int32(4), Height = std::abs(Int32(8));
    if (Width <= 0 || Height <= 0 || Width > 32767 || Height > 32767)
        return nullptr;
    static const char Hex[] = "0123456789abcdef";
    auto Object = std::make_shared<TEmbeddedObject>();
    Object->Rtf = "{\\pict\\dibitmap0\\picw" + std::to_string(Width) + "\\pich" + std::to_string(Height) +
                  "\\picwgoal" + std::to_string(Width * 15) + "\\pichgoal" + std::to_string(Height * 15) + " ";
    for (char B : ADib) {
        Object->Rtf += Hex[uint8_t(B) >> 4];
        Object->Rtf += Hex[uint8_t(B) & 15];
    }
    Object->Rtf += "}";
    Object->Width = Width * 15;
    Object->Height = Height * 15;
    Object->IsPicture = true;
    return Object;
}

}  // namespace

TRichEditor::TRichEditor() : FLayout(FDocument, 96)
{
}

TRichEditor::~TRichEditor() = default;

String TRichEditor::TextRange(int32_t AStart, int32_t AEnd) const
{
    return ToUtf8(FDocument.Text(AStart, AEnd));
}

// ---- Selection -----------------------------------------------------------------------------------

void TRichEditor::SetSelectionQuiet(int32_t AAnchor, int32_t ACaret)
{
    int32_t Length = FDocument.Length();
    if (ACaret < 0 || ACaret > Length)
        ACaret = Length;
    if (AAnchor < 0)
        AAnchor = ACaret;   // an anchor of -1 removes the selection
    AAnchor = std::min(AAnchor, Length);
    if (AAnchor == FAnchor && ACaret == FCaret)
        return;
    FAnchor = AAnchor;
    FCaret = ACaret;
    FHasInsertFormat = false;
    FGroupTyping = false;
    if (FOnSelectionChange)
        FOnSelectionChange();
}

void TRichEditor::SetSelection(int32_t AAnchor, int32_t ACaret)
{
    FGoalX = -1;
    SetSelectionQuiet(AAnchor, ACaret);
}

void TRichEditor::WordBounds(int32_t APos, int32_t& AStart, int32_t& AEnd) const
{
    int32_t Offset = 0;
    size_t Index = FDocument.ParagraphOf(APos, &Offset);
    const std::u32string& Text = FDocument.Paragraph(Index).Text;
    int32_t Base = FDocument.ParagraphStart(Index);
    int32_t Last = int32_t(Text.size()) - 1;   // the mark
    int32_t S = Offset, E = Offset;
    if (Offset < Last && IsWordChar(Text[size_t(Offset)])) {
        while (S > 0 && IsWordChar(Text[size_t(S - 1)]))
            --S;
        while (E < Last && IsWordChar(Text[size_t(E)]))
            ++E;
    } else if (Offset < Last) {
        ++E;
    }
    // A word takes the spaces after it, as double-clicking selects it.
    while (E < Last && Text[size_t(E)] == U' ')
        ++E;
    AStart = Base + S;
    AEnd = Base + E;
}

void TRichEditor::SelectWordAt(int32_t APos)
{
    int32_t Start = 0, End = 0;
    WordBounds(APos, Start, End);
    SetSelection(Start, End);
}

int32_t TRichEditor::MovedCaret(TCaretMove AMove)
{
    int32_t Length = FDocument.Length();
    int32_t Pos = FCaret;
    double X = 0, Top = 0, Height = 0;
    FLayout.CaretPosition(Pos, X, Top, Height);
    auto Vertical = [&](double AY) {
        if (FGoalX < 0)
            FGoalX = X;
        if (AY < 0)
            return 0;
        if (AY >= FLayout.DocumentHeight())
            return Length;
        return FLayout.CharFromPoint(FGoalX, AY);
    };
    switch (AMove) {
    case TCaretMove::Left:
        return std::max(0, Pos - 1);
    case TCaretMove::Right:
        return std::min(Length, Pos + 1);
    case TCaretMove::WordLeft: {
        std::u32string Text = FDocument.Text(0, Pos);
        int32_t P = Pos;
        while (P > 0 && !IsWordChar(Text[size_t(P - 1)]))
            --P;
        while (P > 0 && IsWordChar(Text[size_t(P - 1)]))
            --P;
        return P;
    }
    case TCaretMove::WordRight: {
        int32_t Start = 0, End = 0;
        WordBounds(Pos, Start, End);
        return End > Pos ? End : std::min(Length, Pos + 1);
    }
    case TCaretMove::Up:
        return Vertical(Top - 0.5);
    case TCaretMove::Down:
        return Vertical(Top + Height + 0.5);
    case TCaretMove::PageUp:
        return Vertical(Top + Height / 2 - std::max(1, FViewHeight));
    case TCaretMove::PageDown:
        return Vertical(Top + Height / 2 + std::max(1, FViewHeight));
    case TCaretMove::LineStart:
        return FLayout.LineIndex(FLayout.LineFromChar(Pos));
    case TCaretMove::LineEnd: {
        int32_t Line = FLayout.LineFromChar(Pos);
        int32_t End = FLayout.LineIndex(Line) + FLayout.LineLength(Line);
        // A wrapped line ends before the space that broke it.
        std::u32string Last = FDocument.Text(End - 1, End);
        return (End > Pos && Last == U" " && FLayout.LineIndex(Line + 1) == End) ? End - 1 : End;
    }
    case TCaretMove::DocumentStart:
        return 0;
    case TCaretMove::DocumentEnd:
        return Length;
    }
    return Pos;
}

void TRichEditor::MoveCaret(TCaretMove AMove, bool AExtend)
{
    bool Vertical = AMove == TCaretMove::Up || AMove == TCaretMove::Down || AMove == TCaretMove::PageUp ||
                    AMove == TCaretMove::PageDown;
    double Goal = FGoalX;
    int32_t Target = MovedCaret(AMove);
    // Left and right on a selection without Shift go to its edge.
    if (!AExtend && SelLength() > 0 && (AMove == TCaretMove::Left || AMove == TCaretMove::Right))
        Target = AMove == TCaretMove::Left ? SelStart() : SelStart() + SelLength();
    double NewGoal = Vertical ? FGoalX : -1;
    SetSelectionQuiet(AExtend ? FAnchor : Target, Target);
    FGoalX = Vertical ? (Goal >= 0 ? Goal : NewGoal) : -1;
    ScrollCaretIntoView();
}

// ---- Editing -------------------------------------------------------------------------------------

bool TRichEditor::AllowChange(int32_t AStart, int32_t AEnd)
{
    if (!FDocument.IsProtected(AStart, AEnd))
        return true;
    return FOnProtected && FOnProtected(AStart, AEnd);
}

TCharFormat TRichEditor::TypingFormat(int32_t AStart, int32_t AEnd) const
{
    if (FHasInsertFormat)
        return FInsertFormat;
    TCharFormat Format = FDocument.Length() == 0 ? FDocument.DefaultFormat()
                         : AStart < AEnd        ? FDocument.CharFormatAt(AStart + 1)
                                                : FDocument.CharFormatAt(AStart);
    // New text does not become part of an object or of a link it follows.
    Format.Object.reset();
    if (AStart == AEnd) {
        Format.Effects &= ~CFE_LINK;
        Format.LinkUrl.clear();
    }
    return Format;
}

bool TRichEditor::Replace(int32_t AStart, int32_t AEnd, TRichFragment AFragment, TEditBy ABy, bool ACanUndo,
                          bool ATyping)
{
    if (ABy == TEditBy::User && FReadOnly)
        return false;
    if (!AllowChange(AStart, AEnd))
        return false;
    int32_t Room = FMaxLength - (FDocument.Length() - (AEnd - AStart));
    if (AFragment.Length() > Room) {
        if (Room <= 0 && AStart == AEnd)
            return false;
        AFragment.Truncate(std::max(0, Room));
    }
    if (ACanUndo && FUndoLimit > 0) {
        bool Extend = ATyping && FGroupTyping && !FUndo.empty() && FUndo.back().Typing && AStart == AEnd &&
                      FUndo.back().Start + FUndo.back().NewLength == AStart;
        if (Extend) {
            FUndo.back().NewLength += AFragment.Length();
        } else {
            PushUndo(TUndoStep{AStart, FDocument.Extract(AStart, AEnd), AFragment.Length(), FAnchor, FCaret, ATyping});
        }
    } else if (!ACanUndo) {
        FUndo.clear();
    }
    FRedo.clear();
    FDocument.Delete(AStart, AEnd);
    int32_t Inserted = FDocument.Insert(AStart, AFragment);
    SetSelectionQuiet(AStart + Inserted, AStart + Inserted);
    FGroupTyping = ATyping;
    Changed();
    return true;
}

void TRichEditor::PushUndo(TUndoStep AStep)
{
    FUndo.push_back(std::move(AStep));
    while (int(FUndo.size()) > FUndoLimit)
        FUndo.pop_front();
}

int TRichEditor::SetUndoLimit(int ALimit)
{
    FUndoLimit = std::max(0, ALimit);
    while (int(FUndo.size()) > FUndoLimit)
        FUndo.pop_front();
    FRedo.clear();
    return FUndoLimit;
}

bool TRichEditor::Apply(std::deque<TUndoStep>& AFrom, std::deque<TUndoStep>& ATo)
{
    if (AFrom.empty())
        return false;
    TUndoStep Step = std::move(AFrom.back());
    AFrom.pop_back();
    int32_t End = Step.Start + Step.NewLength;
    TUndoStep Reverse{Step.Start, FDocument.Extract(Step.Start, End), Step.Old.Length(), FAnchor, FCaret, false};
    FDocument.Delete(Step.Start, End);
    FDocument.Insert(Step.Start, Step.Old, true);
    ATo.push_back(std::move(Reverse));
    FGroupTyping = false;
    SetSelectionQuiet(Step.Anchor, Step.Caret);
    Changed();
    return true;
}

bool TRichEditor::Undo()
{
    return Apply(FUndo, FRedo);
}

bool TRichEditor::Redo()
{
    std::deque<TUndoStep> Redo = std::move(FRedo);
    bool Done = Apply(Redo, FUndo);
    FRedo = std::move(Redo);
    return Done;
}

void TRichEditor::Changed()
{
    FModified = true;
    FHasInsertFormat = false;
    if (FOnRequestResize) {
        double Height = FLayout.DocumentHeight();
        if (Height != FRequestedHeight) {
            FRequestedHeight = Height;
            FOnRequestResize(TRect{0, 0, FViewWidth, int32_t(std::ceil(Height))});
        }
    }
    if (FOnChange)
        FOnChange();
}

bool TRichEditor::ReplaceSelection(const String& AText, bool ACanUndo)
{
    int32_t Start = SelStart(), End = Start + SelLength();
    TRichFragment Fragment = PlainTextFragment(ToUtf32(AText), TypingFormat(Start, End), TParaFormat{});
    Fragment.Marks.clear();   // new paragraphs take the format of the one they split
    return Replace(Start, End, std::move(Fragment), TEditBy::Program, ACanUndo, false);
}

bool TRichEditor::ReplaceSelection(const TRichFragment& AFragment, bool ACanUndo)
{
    int32_t Start = SelStart();
    return Replace(Start, Start + SelLength(), AFragment, TEditBy::Program, ACanUndo, false);
}

bool TRichEditor::TypeText(const String& AText)
{
    int32_t Start = SelStart(), End = Start + SelLength();
    TRichFragment Fragment = PlainTextFragment(ToUtf32(AText), TypingFormat(Start, End), TParaFormat{});
    Fragment.Marks.clear();
    bool Done = Replace(Start, End, std::move(Fragment), TEditBy::User, true, true);
    if (Done)
        ScrollCaretIntoView();
    return Done;
}

bool TRichEditor::DeleteBackward()
{
    int32_t Start = SelStart(), End = Start + SelLength();
    if (Start == End) {
        if (Start == 0)
            return false;
        --Start;
    }
    return Replace(Start, End, TRichFragment{}, TEditBy::User, true, false);
}

bool TRichEditor::DeleteForward()
{
    int32_t Start = SelStart(), End = Start + SelLength();
    if (Start == End) {
        if (End == FDocument.Length())
            return false;
        ++End;
    }
    return Replace(Start, End, TRichFragment{}, TEditBy::User, true, false);
}

// ---- Formats -------------------------------------------------------------------------------------

TCharFormat TRichEditor::GetCharFormat(uint32_t AKind, uint32_t& AMask) const
{
    AMask = CFM_ALL;
    if (AKind == SCF_DEFAULT)
        return FDocument.DefaultFormat();
    int32_t Start = SelStart(), End = Start + SelLength();
    if (Start == End && (AKind & SCF_WORD) != 0)
        WordBounds(Start, Start, End);
    if (Start == End)
        return TypingFormat(Start, End);
    return FDocument.GetCharFormat(Start, End, AMask);
}

bool TRichEditor::UndoableFormatChange(int32_t AStart, int32_t AEnd, const TCharFormat* AChar,
                                       const TParaFormat* APara, uint32_t AMask)
{
    int32_t UndoStart = AStart, UndoEnd = AEnd;
    if (APara != nullptr && !FPlainText)
        ParagraphRange(UndoStart, UndoEnd);
    if (FUndoLimit > 0)
        PushUndo(TUndoStep{UndoStart, FDocument.Extract(UndoStart, UndoEnd), UndoEnd - UndoStart, FAnchor, FCaret, false});
    FRedo.clear();
    if (AChar != nullptr)
        FDocument.SetCharFormat(AStart, AEnd, *AChar, AMask);
    else
        FDocument.SetParaFormat(AStart, AEnd, *APara, AMask);
    FGroupTyping = false;
    Changed();
    return true;
}

bool TRichEditor::SetCharFormat(uint32_t AKind, const TCharFormat& AFormat, uint32_t AMask)
{
    if (AKind == SCF_DEFAULT) {
        FDocument.SetDefaultFormat(AFormat, AMask);
        if (FPlainText)
            FDocument.SetCharFormat(0, -1, AFormat, AMask);
        Changed();
        return true;
    }
    int32_t Start = SelStart(), End = Start + SelLength();
    if (FPlainText) {
        Start = 0;
        End = FDocument.Length();
    } else if (Start == End && (AKind & SCF_WORD) != 0) {
        WordBounds(Start, Start, End);
    }
    if (Start == End) {
        TCharFormat Typing = TypingFormat(Start, End);
        ApplyCharFormat(Typing, AFormat, AMask);
        FInsertFormat = Typing;
        FHasInsertFormat = true;
        return true;
    }
    // Protection itself may always be switched, or protected text could never be freed.
    if ((AMask & ~CFM_PROTECTED) != 0 && !AllowChange(Start, End))
        return false;
    return UndoableFormatChange(Start, End, &AFormat, nullptr, AMask);
}

TParaFormat TRichEditor::GetParaFormat(uint32_t& AMask) const
{
    return FDocument.GetParaFormat(SelStart(), SelStart() + SelLength(), AMask);
}

// The selection widened to whole paragraphs, marks included (except the last paragraph's).
bool TRichEditor::ParagraphRange(int32_t& AStart, int32_t& AEnd) const
{
    size_t First = FDocument.ParagraphOf(SelStart());
    size_t Last = FDocument.ParagraphOf(SelStart() + SelLength());
    AStart = FDocument.ParagraphStart(First);
    AEnd = std::min(FDocument.ParagraphStart(Last) + FDocument.Paragraph(Last).Length(), FDocument.Length());
    return true;
}

bool TRichEditor::SetParaFormat(const TParaFormat& AFormat, uint32_t AMask)
{
    int32_t Start = FPlainText ? 0 : SelStart();
    int32_t End = FPlainText ? FDocument.Length() : Start + SelLength();
    return UndoableFormatChange(Start, End, nullptr, &AFormat, AMask);
}

// ---- Streams -------------------------------------------------------------------------------------

bool TRichEditor::StreamIn(std::string_view AData, uint32_t AFlags)
{
    bool Selection = (AFlags & SFF_SELECTION) != 0;
    int32_t Start = Selection ? SelStart() : 0;
    int32_t End = Selection ? Start + SelLength() : FDocument.Length();
    if (Selection && !AllowChange(Start, End))
        return false;
    TUndoStep Step{Start, FDocument.Extract(Start, End), 0, FAnchor, FCaret, false};
    int32_t NewEnd = End;
    if (!::StreamIn(FDocument, Start, NewEnd, AData, AFlags))
        return false;
    FRedo.clear();
    if (Selection && FUndoLimit > 0) {
        Step.NewLength = NewEnd - Start;
        PushUndo(std::move(Step));
    } else if (!Selection) {
        FUndo.clear();
        FLayout.Invalidate();
    }
    SetSelectionQuiet(Selection ? NewEnd : 0, Selection ? NewEnd : 0);
    Changed();
    if (!Selection)
        FModified = false;
    return true;
}

String TRichEditor::StreamOut(uint32_t AFlags) const
{
    return ::StreamOut(FDocument, SelStart(), SelStart() + SelLength(), AFlags);
}

// ---- Clipboard -----------------------------------------------------------------------------------

bool TRichEditor::Copy()
{
    if (SelLength() == 0)
        return false;
    std::map<String, String> Formats;
    int32_t Start = SelStart(), End = Start + SelLength();
    std::u32string Text = FDocument.Text(Start, End);
    String Plain;
    for (char32_t C : Text)
        if (C != ObjectChar)
            Plain += C == ParagraphMark ? String("\r\n") : ToUtf8(std::u32string_view(&C, 1));
    Formats[CF_UNICODETEXT_NAME] = Plain;
    if (!FPlainText) {
        Formats[CF_RTF] = ::StreamOut(FDocument, Start, End, SF_RTF | SFF_SELECTION);
        Formats[CF_RTFNOOBJS] = ::StreamOut(FDocument, Start, End, SF_RTFNOOBJS | SFF_SELECTION);
    }
    RichClipboard()->SetFormats(std::move(Formats));
    FOwnsClipboard = true;
    return true;
}

bool TRichEditor::Cut()
{
    if (FReadOnly || SelLength() == 0 || !AllowChange(SelStart(), SelStart() + SelLength()))
        return false;
    return Copy() && DeleteBackward();
}

bool TRichEditor::CanPaste() const
{
    TRichClipboard* Clipboard = RichClipboard();
    return Clipboard->HasFormat(CF_UNICODETEXT_NAME) ||
           (!FPlainText && (Clipboard->HasFormat(CF_RTF) || Clipboard->HasFormat(CF_RTFNOOBJS) ||
                            Clipboard->HasFormat(CF_DIB_NAME)));
}

bool TRichEditor::Paste()
{
    for (const char* Format : {CF_RTF, CF_RTFNOOBJS, CF_UNICODETEXT_NAME, CF_DIB_NAME})
        if (RichClipboard()->HasFormat(Format))
            return PasteFormat(Format);
    return false;
}

bool TRichEditor::PasteFormat(const String& AFormat)
{
    String Data;
    if (FReadOnly || !RichClipboard()->GetFormat(AFormat, Data))
        return false;
    bool Rich = AFormat == CF_RTF || AFormat == CF_RTFNOOBJS;
    if (FPlainText && AFormat != CF_UNICODETEXT_NAME)
        return false;
    int32_t Start = SelStart(), End = Start + SelLength();
    TRichFragment Fragment;
    if (Rich) {
        TCharFormat Base = TypingFormat(Start, End);
        if (ReadRtf(Data, Base, Fragment, AFormat == CF_RTF) != TRtfError::None)
            Fragment = PlainTextFragment(ToUtf32(Data), Base, TParaFormat{});
    } else if (AFormat == CF_DIB_NAME) {
        auto Picture = PictureFromDib(Data);
        if (!Picture)
            return false;
        Fragment.AppendObject(std::move(Picture), TypingFormat(Start, End));
    } else {
        Fragment = PlainTextFragment(ToUtf32(Data), TypingFormat(Start, End), TParaFormat{});
        Fragment.Marks.clear();
    }
    bool Done = Replace(Start, End, std::move(Fragment), TEditBy::User, true, false);
    if (Done)
        ScrollCaretIntoView();
    return Done;
}

void TRichEditor::ReleaseClipboard()
{
    if (!FOwnsClipboard)
        return;
    FOwnsClipboard = false;
    String Rtf, Text;
    RichClipboard()->GetFormat(CF_UNICODETEXT_NAME, Text);
    int32_t Objects = 0;
    if (RichClipboard()->GetFormat(CF_RTF, Rtf)) {
        for (size_t At = Rtf.find("{\\object"); At != String::npos; At = Rtf.find("{\\object", At + 1))
            ++Objects;
        for (size_t At = Rtf.find("{\\pict"); At != String::npos; At = Rtf.find("{\\pict", At + 1))
            ++Objects;
    }
    bool Keep = true;
    if (FOnSaveClipboard)
        Keep = FOnSaveClipboard(Objects, int32_t(ToUtf32(Text).size()));
    if (!Keep)
        RichClipboard()->Clear();
}

// ---- View ----------------------------------------------------------------------------------------

void TRichEditor::SetViewSize(int AWidth, int AHeight)
{
    FViewWidth = std::max(0, AWidth);
    FViewHeight = std::max(0, AHeight);
    FLayout.SetWidthTwips(FWordWrap ? FViewWidth * 15 : 0);
}

void TRichEditor::SetWordWrap(bool AValue)
{
    FWordWrap = AValue;
    FLayout.SetWidthTwips(FWordWrap ? FViewWidth * 15 : 0);
}

void TRichEditor::SetScrollTop(double AValue)
{
    FScrollTop = std::clamp(AValue, 0.0, std::max(0.0, FLayout.DocumentHeight() - FViewHeight));
}

void TRichEditor::ScrollCaretIntoView()
{
    if (FViewHeight <= 0)
        return;
    double X = 0, Top = 0, Height = 0;
    FLayout.CaretPosition(FCaret, X, Top, Height);
    if (Top < FScrollTop)
        FScrollTop = Top;
    else if (Top + Height > FScrollTop + FViewHeight)
        FScrollTop = Top + Height - FViewHeight;
}

int32_t TRichEditor::PointToChar(int AX, int AY)
{
    return FLayout.CharFromPoint(AX, AY + FScrollTop);
}

void TRichEditor::MouseDown(int AX, int AY, bool AExtend, int AClickCount)
{
    int32_t Pos = PointToChar(AX, AY);
    TLinkRange Storage;
    if (const TLinkRange* Link = FLayout.LinkAt(Pos, Storage); Link != nullptr && FOnLink && !AExtend)
        FOnLink(TLinkMouse::Down, *Link);
    FMouseDown = true;
    FDragByWords = AClickCount >= 2;
    WordBounds(Pos, FWordAnchorStart, FWordAnchorEnd);
    if (FDragByWords) {
        SetSelection(FWordAnchorStart, FWordAnchorEnd);
        return;
    }
    SetSelection(AExtend ? FAnchor : Pos, Pos);
}

void TRichEditor::MouseMove(int AX, int AY, bool AButtonDown)
{
    int32_t Pos = PointToChar(AX, AY);
    if (!AButtonDown || !FMouseDown) {
        TLinkRange Storage;
        if (const TLinkRange* Link = FLayout.LinkAt(Pos, Storage); Link != nullptr && FOnLink)
            FOnLink(TLinkMouse::Move, *Link);
        return;
    }
    int32_t Start = 0, End = 0;
    WordBounds(Pos, Start, End);
    if (FDragByWords) {
        if (Pos < FWordAnchorStart)
            SetSelection(FWordAnchorEnd, Start);
        else
            SetSelection(FWordAnchorStart, std::max(End, FWordAnchorEnd));
    } else if (FWordSelection && (Pos < FWordAnchorStart || Pos >= FWordAnchorEnd)) {
        // Once the drag leaves the word it began in, it selects whole words.
        SetSelection(FAnchor, Pos > FAnchor ? End : Start);
    } else {
        SetSelection(FAnchor, Pos);
    }
    ScrollCaretIntoView();
}

void TRichEditor::MouseUp(int AX, int AY)
{
    FMouseDown = false;
    TLinkRange Storage;
    if (const TLinkRange* Link = FLayout.LinkAt(PointToChar(AX, AY), Storage); Link != nullptr && FOnLink)
        FOnLink(TLinkMouse::Up, *Link);
}

void TRichEditor::Paint(TCanvas* ACanvas, TColor ABackground)
{
    TDrawContext Context(ACanvas);
    if (!Context)
        return;
    cairo_t* Cr = Context.Cr();
    SetSourceColor(Cr, ABackground);
    cairo_paint(Cr);
    bool ShowSelection = FFocused || !FHideSelection;
    TSelectionRange Selection{ShowSelection ? SelStart() : 0, ShowSelection ? SelStart() + SelLength() : 0};
    FLayout.Paint(Cr, FScrollTop, FViewHeight, Selection, ColorToRGB(clHighlight), ColorToRGB(clHighlightText));
    if (FFocused && SelLength() == 0) {
        double X = 0, Top = 0, Height = 0;
        FLayout.CaretPosition(FCaret, X, Top, Height);
        cairo_set_source_rgb(Cr, 0, 0, 0);
        cairo_rectangle(Cr, std::floor(X), Top - FScrollTop, 1, Height);
        cairo_fill(Cr);
    }
    Context.MarkChanged();
}

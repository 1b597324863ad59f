#include "RichEdit.Document.h"

#include <algorithm>
#include <atomic>

#include "Rtl.Encoding.h"

namespace {

std::atomic<uint64_t> GNextParagraphId{1};

// Objects never merge: each keeps a run of its own.
bool CanMerge(const TCharFormat& A, const TCharFormat& B)
{
    return !A.Object && !B.Object && A == B;
}

void AppendRun(TParagraph& AParagraph, std::u32string_view AText, const TCharFormat& AFormat)
{
    if (AText.empty())
        return;
    AParagraph.Text.append(AText);
    if (!AParagraph.Runs.empty() && CanMerge(AParagraph.Runs.back().Format, AFormat))
        AParagraph.Runs.back().Length += int32_t(AText.size());
    else
        AParagraph.Runs.push_back(TTextRun{int32_t(AText.size()), AFormat});
}

// Calls AVisit(text, format) for each run piece of [AFrom, ATo) of the paragraph.
template <class TVisit>
void ForEachPiece(const TParagraph& AParagraph, int32_t AFrom, int32_t ATo, TVisit&& AVisit)
{
    int32_t RunStart = 0;
    for (const TTextRun& Run : AParagraph.Runs) {
        int32_t RunEnd = RunStart + Run.Length;
        int32_t From = std::max(AFrom, RunStart);
        int32_t To = std::min(ATo, RunEnd);
        if (From < To)
            AVisit(std::u32string_view(AParagraph.Text).substr(size_t(From), size_t(To - From)), Run.Format);
        if (RunEnd >= ATo)
            break;
        RunStart = RunEnd;
    }
}

void AppendSlice(TParagraph& ATarget, const TParagraph& ASource, int32_t AFrom, int32_t ATo)
{
    ForEachPiece(ASource, AFrom, ATo,
                 [&](std::u32string_view AText, const TCharFormat& AFormat) { AppendRun(ATarget, AText, AFormat); });
}

}  // namespace

// ---- Formats ---------------------------------------------------------------------------------

void ApplyCharFormat(TCharFormat& ATarget, const TCharFormat& AFormat, uint32_t AMask)
{
    auto CopyEffect = [&](uint32_t AMaskBit, uint32_t AEffect) {
        if (AMask & AMaskBit)
            ATarget.Effects = (ATarget.Effects & ~AEffect) | (AFormat.Effects & AEffect);
    };
    for (uint32_t Bit : {CFE_BOLD, CFE_ITALIC, CFE_UNDERLINE, CFE_STRIKEOUT, CFE_PROTECTED, CFE_LINK, CFE_HIDDEN})
        CopyEffect(Bit, Bit);
    CopyEffect(CFM_COLOR, CFE_AUTOCOLOR);
    CopyEffect(CFM_BACKCOLOR, CFE_AUTOBACKCOLOR);
    if (AMask & CFM_BOLD)
        ATarget.Weight = AFormat.Has(CFE_BOLD) ? 700 : 400;
    if (AMask & CFM_WEIGHT) {
        ATarget.Weight = AFormat.Weight;
        ATarget.Effects = (ATarget.Effects & ~CFE_BOLD) | (AFormat.Weight >= 600 ? CFE_BOLD : 0);
    }
    if (AMask & CFM_COLOR)
        ATarget.Color = AFormat.Color;
    if (AMask & CFM_BACKCOLOR)
        ATarget.BackColor = AFormat.BackColor;
    if (AMask & CFM_FACE) {
        ATarget.Face = AFormat.Face.substr(0, 31);
        ATarget.PitchAndFamily = AFormat.PitchAndFamily;
    }
    if (AMask & CFM_SIZE)
        ATarget.Size = AFormat.Size;
    if (AMask & CFM_CHARSET)
        ATarget.Charset = AFormat.Charset;
    if (AMask & CFM_OFFSET)
        ATarget.Offset = AFormat.Offset;
    if (AMask & CFM_LINK)
        ATarget.LinkUrl = AFormat.Has(CFE_LINK) ? AFormat.LinkUrl : String();
}

void ApplyParaFormat(TParaFormat& ATarget, const TParaFormat& AFormat, uint32_t AMask)
{
    if (AMask & PFM_ALIGNMENT)
        ATarget.Alignment = AFormat.Alignment;
    if (AMask & PFM_STARTINDENT)
        ATarget.StartIndent = AFormat.StartIndent;
    if (AMask & PFM_OFFSET)
        ATarget.Offset = AFormat.Offset;
    if (AMask & PFM_RIGHTINDENT)
        ATarget.RightIndent = AFormat.RightIndent;
    if (AMask & PFM_NUMBERING)
        ATarget.Numbering = AFormat.Numbering;
    if (AMask & PFM_TABSTOPS) {
        ATarget.Tabs = AFormat.Tabs;
        if (ATarget.Tabs.size() > MAX_TAB_STOPS)
            ATarget.Tabs.resize(MAX_TAB_STOPS);
    }
}

uint32_t SameCharAttributes(const TCharFormat& A, const TCharFormat& B)
{
    uint32_t Mask = 0;
    for (uint32_t Bit : {CFE_BOLD, CFE_ITALIC, CFE_UNDERLINE, CFE_STRIKEOUT, CFE_PROTECTED, CFE_HIDDEN})
        if ((A.Effects & Bit) == (B.Effects & Bit))
            Mask |= Bit;
    if (A.Has(CFE_LINK) == B.Has(CFE_LINK) && A.LinkUrl == B.LinkUrl)
        Mask |= CFM_LINK;
    if (A.Weight == B.Weight)
        Mask |= CFM_WEIGHT;
    if (A.Has(CFE_AUTOCOLOR) == B.Has(CFE_AUTOCOLOR) && (A.Has(CFE_AUTOCOLOR) || A.Color == B.Color))
        Mask |= CFM_COLOR;
    if (A.Has(CFE_AUTOBACKCOLOR) == B.Has(CFE_AUTOBACKCOLOR) &&
        (A.Has(CFE_AUTOBACKCOLOR) || A.BackColor == B.BackColor))
        Mask |= CFM_BACKCOLOR;
    if (A.Face == B.Face)
        Mask |= CFM_FACE;
    if (A.Size == B.Size)
        Mask |= CFM_SIZE;
    if (A.Charset == B.Charset)
        Mask |= CFM_CHARSET;
    if (A.Offset == B.Offset)
        Mask |= CFM_OFFSET;
    return Mask;
}

// ---- Fragments -------------------------------------------------------------------------------

void TRichFragment::AppendText(std::u32string_view AText, const TCharFormat& AFormat)
{
    if (AText.empty())
        return;
    if (!Pieces.empty() && CanMerge(Pieces.back().Format, AFormat) && Pieces.back().Text.back() != ParagraphMark)
        Pieces.back().Text.append(AText);
    else
        Pieces.push_back(TTextPiece{std::u32string(AText), AFormat});
}

void TRichFragment::AppendMark(const TCharFormat& AFormat, const TParaFormat& APara)
{
    if (!Pieces.empty() && CanMerge(Pieces.back().Format, AFormat))
        Pieces.back().Text += ParagraphMark;
    else
        Pieces.push_back(TTextPiece{std::u32string(1, ParagraphMark), AFormat});
    Marks.push_back(APara);
}

void TRichFragment::AppendObject(std::shared_ptr<const TEmbeddedObject> AObject, const TCharFormat& AFormat)
{
    TCharFormat Format = AFormat;
    Format.Object = std::move(AObject);
    Pieces.push_back(TTextPiece{std::u32string(1, ObjectChar), std::move(Format)});
}

int32_t TRichFragment::Length() const
{
    int32_t Length = 0;
    for (const TTextPiece& Piece : Pieces)
        Length += int32_t(Piece.Text.size());
    return Length;
}

std::u32string TRichFragment::Text() const
{
    std::u32string Text;
    for (const TTextPiece& Piece : Pieces)
        Text += Piece.Text;
    return Text;
}

void TRichFragment::Truncate(int32_t ALength)
{
    int32_t Kept = 0;
    size_t KeptMarks = 0;
    for (size_t I = 0; I < Pieces.size(); ++I) {
        TTextPiece& Piece = Pieces[I];
        if (Kept + int32_t(Piece.Text.size()) > ALength)
            Piece.Text.resize(size_t(std::max(0, ALength - Kept)));
        Kept += int32_t(Piece.Text.size());
        KeptMarks += size_t(std::count(Piece.Text.begin(), Piece.Text.end(), ParagraphMark));
        if (Kept >= ALength) {
            Pieces.resize(Piece.Text.empty() ? I : I + 1);
            break;
        }
    }
    Marks.resize(std::min(Marks.size(), KeptMarks));
}

// ---- Paragraphs ------------------------------------------------------------------------------

const TCharFormat& TParagraph::FormatAt(int32_t AOffset) const
{
    int32_t RunStart = 0;
    for (const TTextRun& Run : Runs) {
        if (AOffset < RunStart + Run.Length)
            return Run.Format;
        RunStart += Run.Length;
    }
    return Runs.back().Format;
}

// ---- Document --------------------------------------------------------------------------------

TRichDocument::TRichDocument()
{
    Clear();
}

void TRichDocument::Clear()
{
    FParagraphs.assign(1, TParagraph{});
    AppendRun(FParagraphs[0], std::u32string(1, ParagraphMark), FDefault);
    Touch(FParagraphs[0]);
    InvalidateStarts();
}

void TRichDocument::Touch(TParagraph& AParagraph)
{
    AParagraph.Id = GNextParagraphId++;
}

int32_t TRichDocument::Length() const
{
    return ParagraphStart(FParagraphs.size() - 1) + FParagraphs.back().Length() - 1;
}

int32_t TRichDocument::ParagraphStart(size_t AIndex) const
{
    if (!FStartsValid) {
        FStarts.resize(FParagraphs.size());
        int32_t Start = 0;
        for (size_t I = 0; I < FParagraphs.size(); ++I) {
            FStarts[I] = Start;
            Start += FParagraphs[I].Length();
        }
        FStartsValid = true;
    }
    return FStarts[AIndex];
}

size_t TRichDocument::ParagraphOf(int32_t APos, int32_t* AOffset) const
{
    APos = std::clamp(APos, 0, Length());
    ParagraphStart(0);
    auto It = std::upper_bound(FStarts.begin(), FStarts.end(), APos);
    size_t Index = size_t(It - FStarts.begin()) - 1;
    if (AOffset != nullptr)
        *AOffset = APos - FStarts[Index];
    return Index;
}

void TRichDocument::Clamp(int32_t& AStart, int32_t& AEnd) const
{
    int32_t Length = this->Length();
    if (AEnd < 0 || AEnd > Length)
        AEnd = Length;
    AStart = std::clamp(AStart, 0, AEnd);
}

std::u32string TRichDocument::Text(int32_t AStart, int32_t AEnd) const
{
    Clamp(AStart, AEnd);
    std::u32string Result;
    int32_t From = 0;
    for (size_t I = ParagraphOf(AStart, &From); I < FParagraphs.size() && AStart < AEnd; ++I) {
        int32_t Count = std::min(FParagraphs[I].Length() - From, AEnd - AStart);
        Result.append(FParagraphs[I].Text, size_t(From), size_t(Count));
        AStart += Count;
        From = 0;
    }
    return Result;
}

TRichFragment TRichDocument::Extract(int32_t AStart, int32_t AEnd) const
{
    Clamp(AStart, AEnd);
    TRichFragment Fragment;
    int32_t From = 0;
    size_t First = ParagraphOf(AStart, &From);
    size_t Last = ParagraphOf(AEnd);
    for (size_t I = First; I <= Last && AStart < AEnd; ++I) {
        const TParagraph& P = FParagraphs[I];
        int32_t To = std::min(P.Length(), From + (AEnd - AStart));
        ForEachPiece(P, From, To, [&](std::u32string_view AText, const TCharFormat& AFormat) {
            if (!AText.empty() && AText.back() == ParagraphMark) {
                Fragment.AppendText(AText.substr(0, AText.size() - 1), AFormat);
                Fragment.AppendMark(AFormat, P.Format);
            } else if (AFormat.Object) {
                Fragment.Pieces.push_back(TTextPiece{std::u32string(AText), AFormat});
            } else {
                Fragment.AppendText(AText, AFormat);
            }
        });
        AStart += To - From;
        From = 0;
    }
    Fragment.Tail = FParagraphs[Last].Format;
    return Fragment;
}

void TRichDocument::Delete(int32_t AStart, int32_t AEnd)
{
    Clamp(AStart, AEnd);
    if (AStart == AEnd)
        return;
    int32_t StartOffset = 0, EndOffset = 0;
    size_t First = ParagraphOf(AStart, &StartOffset);
    size_t Last = ParagraphOf(AEnd, &EndOffset);
    TParagraph Joined;
    AppendSlice(Joined, FParagraphs[First], 0, StartOffset);
    AppendSlice(Joined, FParagraphs[Last], EndOffset, FParagraphs[Last].Length());
    Joined.Format = FParagraphs[Last].Format;
    Touch(Joined);
    FParagraphs.erase(FParagraphs.begin() + std::ptrdiff_t(First) + 1, FParagraphs.begin() + std::ptrdiff_t(Last) + 1);
    FParagraphs[First] = std::move(Joined);
    InvalidateStarts();
}

int32_t TRichDocument::Insert(int32_t APos, const TRichFragment& AFragment, bool AApplyTail)
{
    int32_t Offset = 0;
    size_t Index = ParagraphOf(APos, &Offset);
    const TParagraph Old = std::move(FParagraphs[Index]);
    std::vector<TParagraph> Made(1);
    AppendSlice(Made.back(), Old, 0, Offset);
    size_t Mark = 0;
    for (const TTextPiece& Piece : AFragment.Pieces) {
        std::u32string_view Text = Piece.Text;
        while (!Text.empty()) {
            size_t Break = Text.find(ParagraphMark);
            if (Break == std::u32string_view::npos) {
                AppendRun(Made.back(), Text, Piece.Format);
                break;
            }
            AppendRun(Made.back(), Text.substr(0, Break + 1), Piece.Format);
            Made.back().Format = Mark < AFragment.Marks.size() ? AFragment.Marks[Mark] : Old.Format;
            ++Mark;
            Made.emplace_back();
            Text.remove_prefix(Break + 1);
        }
    }
    AppendSlice(Made.back(), Old, Offset, Old.Length());
    Made.back().Format = AApplyTail ? AFragment.Tail : Old.Format;
    for (TParagraph& P : Made)
        Touch(P);
    FParagraphs[Index] = std::move(Made[0]);
    FParagraphs.insert(FParagraphs.begin() + std::ptrdiff_t(Index) + 1, std::make_move_iterator(Made.begin() + 1),
                       std::make_move_iterator(Made.end()));
    InvalidateStarts();
    return AFragment.Length();
}

const TCharFormat& TRichDocument::CharFormatAt(int32_t APos) const
{
    int32_t Offset = 0;
    const TParagraph& P = FParagraphs[ParagraphOf(APos, &Offset)];
    return P.FormatAt(Offset > 0 ? Offset - 1 : 0);
}

TCharFormat TRichDocument::GetCharFormat(int32_t AStart, int32_t AEnd, uint32_t& AMask) const
{
    Clamp(AStart, AEnd);
    AMask = CFM_ALL;
    if (AStart == AEnd)
        return CharFormatAt(AStart);
    int32_t Offset = 0;
    TCharFormat First = FParagraphs[ParagraphOf(AStart, &Offset)].FormatAt(Offset);
    TRichFragment Range = Extract(AStart, AEnd);
    for (const TTextPiece& Piece : Range.Pieces)
        AMask &= SameCharAttributes(First, Piece.Format);
    return First;
}

void TRichDocument::SetCharFormat(int32_t AStart, int32_t AEnd, const TCharFormat& AFormat, uint32_t AMask)
{
    Clamp(AStart, AEnd);
    if (AStart == AEnd)
        return;
    int32_t StartOffset = 0, EndOffset = 0;
    size_t First = ParagraphOf(AStart, &StartOffset);
    size_t Last = ParagraphOf(AEnd, &EndOffset);
    for (size_t I = First; I <= Last; ++I) {
        const TParagraph& Old = FParagraphs[I];
        int32_t From = I == First ? StartOffset : 0;
        int32_t To = I == Last ? EndOffset : Old.Length();
        if (From >= To)
            continue;
        TParagraph Made;
        Made.Format = Old.Format;
        AppendSlice(Made, Old, 0, From);
        ForEachPiece(Old, From, To, [&](std::u32string_view AText, const TCharFormat& AOld) {
            TCharFormat New = AOld;
            ApplyCharFormat(New, AFormat, AMask);
            AppendRun(Made, AText, New);
        });
        AppendSlice(Made, Old, To, Old.Length());
        Touch(Made);
        FParagraphs[I] = std::move(Made);
    }
}

TParaFormat TRichDocument::GetParaFormat(int32_t AStart, int32_t AEnd, uint32_t& AMask) const
{
    Clamp(AStart, AEnd);
    size_t First = ParagraphOf(AStart);
    size_t Last = ParagraphOf(AEnd);
    const TParaFormat& F = FParagraphs[First].Format;
    AMask = PFM_ALL;
    for (size_t I = First + 1; I <= Last; ++I) {
        const TParaFormat& G = FParagraphs[I].Format;
        if (G.Alignment != F.Alignment)
            AMask &= ~PFM_ALIGNMENT;
        if (G.StartIndent != F.StartIndent)
            AMask &= ~PFM_STARTINDENT;
        if (G.Offset != F.Offset)
            AMask &= ~PFM_OFFSET;
        if (G.RightIndent != F.RightIndent)
            AMask &= ~PFM_RIGHTINDENT;
        if (G.Numbering != F.Numbering)
            AMask &= ~PFM_NUMBERING;
        if (G.Tabs != F.Tabs)
            AMask &= ~PFM_TABSTOPS;
    }
    return F;
}

void TRichDocument::SetParaFormat(int32_t AStart, int32_t AEnd, const TParaFormat& AFormat, uint32_t AMask)
{
    Clamp(AStart, AEnd);
    size_t Last = ParagraphOf(AEnd);
    for (size_t I = ParagraphOf(AStart); I <= Last; ++I) {
        ApplyParaFormat(FParagraphs[I].Format, AFormat, AMask);
        Touch(FParagraphs[I]);
    }
}

bool TRichDocument::IsProtected(int32_t AStart, int32_t AEnd) const
{
    Clamp(AStart, AEnd);
    if (AStart == AEnd) {
        if (AStart == 0 || AStart == Length())
            return false;
        uint32_t Mask = 0;
        return GetCharFormat(AStart - 1, AStart + 1, Mask).Has(CFE_PROTECTED) && (Mask & CFM_PROTECTED);
    }
    TRichFragment Range = Extract(AStart, AEnd);
    return std::any_of(Range.Pieces.begin(), Range.Pieces.end(),
                       [](const TTextPiece& APiece) { return APiece.Format.Has(CFE_PROTECTED); });
}

void TRichDocument::SetDefaultFormat(const TCharFormat& AFormat, uint32_t AMask)
{
    ApplyCharFormat(FDefault, AFormat, AMask);
    if (Length() == 0) {
        TParaFormat Para = FParagraphs[0].Format;
        Clear();
        FParagraphs[0].Format = Para;
    }
}

// ---- Text ------------------------------------------------------------------------------------

std::u32string ToUtf32(std::string_view AText)
{
    std::u32string Result;
    Result.reserve(AText.size());
    for (size_t I = 0; I < AText.size();) {
        size_t Length = Utf8CharLength(AText, I);
        auto B = [&](size_t K) { return char32_t(uint8_t(AText[I + K])); };
        char32_t C = U'\uFFFD';
        if (Length == 1)
            C = B(0) < 0x80 ? B(0) : U'\uFFFD';
        else if (Length == 2)
            C = ((B(0) & 0x1F) << 6) | (B(1) & 0x3F);
        else if (Length == 3)
            C = ((B(0) & 0x0F) << 12) | ((B(1) & 0x3F) << 6) | (B(2) & 0x3F);
        else
            C = ((B(0) & 0x07) << 18) | ((B(1) & 0x3F) << 12) | ((B(2) & 0x3F) << 6) | (B(3) & 0x3F);
        Result += C;
        I += Length;
    }
    return Result;
}

String ToUtf8(std::u32string_view AText)
{
    String Result;
    Result.reserve(AText.size());
    for (char32_t C : AText) {
        if (C > 0x10FFFF || (C >= 0xD800 && C <= 0xDFFF))
            C = U'\uFFFD';
        if (C < 0x80) {
            Result += char(C);
        } else if (C < 0x800) {
            Result += char(0xC0 | (C >> 6));
            Result += char(0x80 | (C & 0x3F));
        } else if (C < 0x10000) {
            Result += char(0xE0 | (C >> 12));
            Result += char(0x80 | ((C >> 6) & 0x3F));
            Result += char(0x80 | (C & 0x3F));
        } else {
            Result += char(0xF0 | (C >> 18));
            Result += char(0x80 | ((C >> 12) & 0x3F));
            Result += char(0x80 | ((C >> 6) & 0x3F));
            Result += char(0x80 | (C & 0x3F));
        }
    }
    return Result;
}

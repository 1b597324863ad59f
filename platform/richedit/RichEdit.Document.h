// RichEdit.Document.h: the rich edit's document: Unicode text in paragraphs, each ending in its
// paragraph mark (CR, one character), split into runs of one character format. Positions count
// code points; the last paragraph's mark is not part of the text, so an empty document has length 0.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Rtl.Types.h"
#include "Win.Graphics.h"

// Character effects and the mask bits that say which attributes a format sets or which are
// uniform over a range (the values of the rich edit's CHARFORMAT2).
inline constexpr uint32_t CFE_BOLD = 0x1;
inline constexpr uint32_t CFE_ITALIC = 0x2;
inline constexpr uint32_t CFE_UNDERLINE = 0x4;
inline constexpr uint32_t CFE_STRIKEOUT = 0x8;
inline constexpr uint32_t CFE_PROTECTED = 0x10;
inline constexpr uint32_t CFE_LINK = 0x20;
inline constexpr uint32_t CFE_HIDDEN = 0x100;
inline constexpr uint32_t CFE_AUTOBACKCOLOR = 0x04000000;
inline constexpr uint32_t CFE_AUTOCOLOR = 0x40000000;

inline constexpr uint32_t CFM_BOLD = 0x1;
inline constexpr uint32_t CFM_ITALIC = 0x2;
inline constexpr uint32_t CFM_UNDERLINE = 0x4;
inline constexpr uint32_t CFM_STRIKEOUT = 0x8;
inline constexpr uint32_t CFM_PROTECTED = 0x10;
inline constexpr uint32_t CFM_LINK = 0x20;
inline constexpr uint32_t CFM_HIDDEN = 0x100;
inline constexpr uint32_t CFM_WEIGHT = 0x400000;
inline constexpr uint32_t CFM_BACKCOLOR = 0x04000000;
inline constexpr uint32_t CFM_CHARSET = 0x08000000;
inline constexpr uint32_t CFM_OFFSET = 0x10000000;
inline constexpr uint32_t CFM_FACE = 0x20000000;
inline constexpr uint32_t CFM_COLOR = 0x40000000;
inline constexpr uint32_t CFM_SIZE = 0x80000000;
inline constexpr uint32_t CFM_EFFECTS = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_PROTECTED |
                                        CFM_LINK | CFM_HIDDEN;
inline constexpr uint32_t CFM_ALL = CFM_EFFECTS | CFM_WEIGHT | CFM_BACKCOLOR | CFM_CHARSET | CFM_OFFSET |
                                    CFM_FACE | CFM_COLOR | CFM_SIZE;

// Paragraph alignments and the paragraph mask bits (PARAFORMAT2's values).
inline constexpr uint16_t PFA_LEFT = 1;
inline constexpr uint16_t PFA_RIGHT = 2;
inline constexpr uint16_t PFA_CENTER = 3;
inline constexpr uint16_t PFA_JUSTIFY = 4;
inline constexpr uint32_t PFM_STARTINDENT = 0x1;
inline constexpr uint32_t PFM_RIGHTINDENT = 0x2;
inline constexpr uint32_t PFM_OFFSET = 0x4;
inline constexpr uint32_t PFM_ALIGNMENT = 0x8;
inline constexpr uint32_t PFM_TABSTOPS = 0x10;
inline constexpr uint32_t PFM_NUMBERING = 0x20;
inline constexpr uint32_t PFM_ALL = 0x3F;
inline constexpr size_t MAX_TAB_STOPS = 32;

// The character that stands for an embedded object in the text.
inline constexpr char32_t ObjectChar = U'\uFFFC';
inline constexpr char32_t ParagraphMark = U'\r';

// An embedded object or picture, kept as the RTF group it was read from and written back
// unchanged; the size (twips) is what layout reserves for it.
struct TEmbeddedObject {
    String Rtf;
    int32_t Width = 0;
    int32_t Height = 0;
    bool IsPicture = false;
};

struct TCharFormat {
    uint32_t Effects = CFE_AUTOCOLOR | CFE_AUTOBACKCOLOR;
    String Face = "Tahoma";     // at most 31 characters
    int32_t Size = 160;         // twips
    TColor Color = 0;           // used without CFE_AUTOCOLOR
    TColor BackColor = 0;       // used without CFE_AUTOBACKCOLOR
    int32_t Offset = 0;         // twips above the baseline (negative: below)
    uint16_t Weight = 400;      // 700 and CFE_BOLD go together
    uint8_t Charset = 1;        // DEFAULT_CHARSET
    uint8_t PitchAndFamily = 0;
    String LinkUrl;             // a link's target when it is not its own text
    std::shared_ptr<const TEmbeddedObject> Object;   // only on the object character's run

    bool Has(uint32_t AEffect) const { return (Effects & AEffect) != 0; }
    friend bool operator==(const TCharFormat&, const TCharFormat&) = default;
};

// A tab stop: position in twips in the low 24 bits, alignment (0 left, 1 centre, 2 right,
// 3 decimal, 4 bar) in bits 24-27, leader (0 none, 1 dots, 2 dashes, 3 underline, 4 thick,
// 5 equals) in bits 28-31.
constexpr int32_t TabPosition(uint32_t ATab) { return int32_t(ATab & 0xFFFFFF); }
constexpr uint32_t TabAlignment(uint32_t ATab) { return (ATab >> 24) & 0xF; }
constexpr uint32_t TabLeader(uint32_t ATab) { return ATab >> 28; }
constexpr uint32_t MakeTab(int32_t APosition, uint32_t AAlignment = 0, uint32_t ALeader = 0)
{
    return (uint32_t(APosition) & 0xFFFFFF) | (AAlignment << 24) | (ALeader << 28);
}

// Indents in twips: the first line starts at StartIndent, the others at StartIndent + Offset.
struct TParaFormat {
    uint16_t Alignment = PFA_LEFT;
    int32_t StartIndent = 0;
    int32_t Offset = 0;
    int32_t RightIndent = 0;
    uint16_t Numbering = 0;   // 1: bullets
    std::vector<uint32_t> Tabs;

    friend bool operator==(const TParaFormat&, const TParaFormat&) = default;
};

// Merges AFormat's attributes named by AMask into ATarget (bold and weight kept together).
void ApplyCharFormat(TCharFormat& ATarget, const TCharFormat& AFormat, uint32_t AMask);
void ApplyParaFormat(TParaFormat& ATarget, const TParaFormat& AFormat, uint32_t AMask);
// The mask bits on which A and B agree.
uint32_t SameCharAttributes(const TCharFormat& A, const TCharFormat& B);

// Formatted text cut out of a document or made by a reader: pieces of text in one format,
// where each paragraph mark in the text carries the paragraph format at the same index of
// Marks. Tail is the format of the paragraph the fragment ends in.
struct TTextPiece {
    std::u32string Text;
    TCharFormat Format;
};

struct TRichFragment {
    std::vector<TTextPiece> Pieces;
    std::vector<TParaFormat> Marks;
    TParaFormat Tail;

    void AppendText(std::u32string_view AText, const TCharFormat& AFormat);
    void AppendMark(const TCharFormat& AFormat, const TParaFormat& APara);
    void AppendObject(std::shared_ptr<const TEmbeddedObject> AObject, const TCharFormat& AFormat);
    int32_t Length() const;
    std::u32string Text() const;
    // The first ALength characters (marks kept with their formats).
    void Truncate(int32_t ALength);
};

struct TTextRun {
    int32_t Length = 0;
    TCharFormat Format;
};

// One paragraph; its text ends with its mark. Id changes whenever the paragraph does, so a
// layout cache keyed by it lays out only what changed.
struct TParagraph {
    std::u32string Text;
    std::vector<TTextRun> Runs;
    TParaFormat Format;
    uint64_t Id = 0;

    int32_t Length() const { return int32_t(Text.size()); }
    const TCharFormat& FormatAt(int32_t AOffset) const;
};

class TRichDocument {
public:
    TRichDocument();

    // Characters without the last paragraph's mark.
    int32_t Length() const;
    size_t ParagraphCount() const { return FParagraphs.size(); }
    const TParagraph& Paragraph(size_t AIndex) const { return FParagraphs[AIndex]; }
    int32_t ParagraphStart(size_t AIndex) const;
    // The paragraph holding APos (clamped to the text) and APos's offset in it.
    size_t ParagraphOf(int32_t APos, int32_t* AOffset = nullptr) const;

    std::u32string Text(int32_t AStart, int32_t AEnd) const;
    TRichFragment Extract(int32_t AStart, int32_t AEnd) const;
    void Delete(int32_t AStart, int32_t AEnd);
    // Answers the characters inserted. With AApplyTail the paragraph the fragment ends in
    // takes the fragment's Tail format (loading a whole document).
    int32_t Insert(int32_t APos, const TRichFragment& AFragment, bool AApplyTail = false);
    void Clear();

    // The format of the character at APos (of the character before it for an insertion
    // point, so typing continues the run).
    const TCharFormat& CharFormatAt(int32_t APos) const;
    // The format of the first character of the range; AMask gets the attributes uniform over it.
    TCharFormat GetCharFormat(int32_t AStart, int32_t AEnd, uint32_t& AMask) const;
    void SetCharFormat(int32_t AStart, int32_t AEnd, const TCharFormat& AFormat, uint32_t AMask);
    // The paragraphs that the range touches.
    TParaFormat GetParaFormat(int32_t AStart, int32_t AEnd, uint32_t& AMask) const;
    void SetParaFormat(int32_t AStart, int32_t AEnd, const TParaFormat& AFormat, uint32_t AMask);
    // True when a character of the range, or for an empty range both neighbours, is protected.
    bool IsProtected(int32_t AStart, int32_t AEnd) const;

    // The format new text of an empty document takes.
    const TCharFormat& DefaultFormat() const { return FDefault; }
    void SetDefaultFormat(const TCharFormat& AFormat, uint32_t AMask);

private:
    void Touch(TParagraph& AParagraph);
    void InvalidateStarts() { FStartsValid = false; }
    void Clamp(int32_t& AStart, int32_t& AEnd) const;

    std::vector<TParagraph> FParagraphs;
    TCharFormat FDefault;
    mutable std::vector<int32_t> FStarts;
    mutable bool FStartsValid = false;
};

// UTF-8 and UTF-32 for the engine's callers.
std::u32string ToUtf32(std::string_view AText);
String ToUtf8(std::u32string_view AText);

#include <algorithm>
#include <cctype>
#include <climits>
#include <map>
#include <optional>

#include "RichEdit.Rtf.h"

namespace {

// RTF in the wild nests a few dozen groups; far deeper is hostile and would only cost memory.
constexpr size_t MaxDepth = 1000;
// A number parameter has at most this many digits; longer ones are clamped, not overflowed.
constexpr int MaxDigits = 10;

enum class TDestination : uint8_t { Text, Skip, FontTable, ColorTable, FieldInstruction, FieldResult, Bullet };

struct TFontEntry {
    String Name;
    uint8_t Charset = 1;
    uint8_t PitchAndFamily = 0;
    int CodePage = 0;
};

struct TGroupState {
    TCharFormat Format;
    TDestination Destination = TDestination::Text;
    int UnicodeSkip = 1;
    int Font = -1;
    int Field = -1;   // index into the reader's fields, for the field's own groups
};

struct TField {
    String Instruction;
    String Url;
    size_t ResultPiece = 0;
};

// The target of a HYPERLINK field: its first argument, quoted or not; empty for other fields.
String HyperlinkTarget(const String& AInstruction)
{
    size_t Key = AInstruction.find("HYPERLINK");
    if (Key == String::npos)
        return {};
    size_t P = AInstruction.find_first_not_of(' ', Key + 9);
    if (P == String::npos)
        return {};
    if (AInstruction[P] == '"') {
        size_t Close = AInstruction.find('"', P + 1);
        return Close == String::npos ? String() : AInstruction.substr(P + 1, Close - P - 1);
    }
    size_t End = AInstruction.find(' ', P);
    return AInstruction.substr(P, End == String::npos ? String::npos : End - P);
}

class TRtfReader {
public:
    TRtfReader(std::string_view ARtf, const TCharFormat& ADefault, TRichFragment& AOut, bool AObjects)
        : FIn(ARtf), FDefault(ADefault), FOut(AOut), FObjects(AObjects)
    {
        FDefault.Size = 240;   // RTF's default: 12 points
    }

    TRtfError Read();

private:
    void OpenGroup();
    void CloseGroup();
    void ControlWord(std::string_view AWord, bool AHasParam, int32_t AParam);
    void ControlSymbol(char ASymbol);
    bool CharacterWord(std::string_view AWord, bool AHasParam, int32_t AParam);
    bool ParagraphWord(std::string_view AWord, bool AHasParam, int32_t AParam);
    bool DestinationWord(std::string_view AWord);
    void FontTableWord(std::string_view AWord, int32_t AParam);
    void ColorTableWord(std::string_view AWord, int32_t AParam);
    void TextByte(char AByte);
    void AppendChar(char32_t AChar);
    void AppendUnicode(int32_t AParam);
    void FlushBytes();
    void EndParagraph();
    TParaFormat CurrentPara() const;
    void SelectFont(int AFont);
    void CaptureObject(bool APicture);
    TColor ColorAt(int32_t AIndex, bool& AAuto) const;
    int CurrentCodePage() const;
    TGroupState& State() { return FStack.back(); }

    std::string_view FIn;
    size_t FPos = 0;
    size_t FGroupStart = 0;   // where the group being opened began, for capturing objects
    bool FGroupFresh = false; // nothing read yet in the group just opened
    bool FFirstWord = false;  // the control word being handled opened its group
    TCharFormat FDefault;
    TRichFragment& FOut;
    bool FObjects;
    std::vector<TGroupState> FStack;
    std::map<int, TFontEntry> FFonts;
    int FDefaultFont = 0;
    int FAnsiCodePage = 1252;
    TFontEntry FFontBeingRead;
    int FFontNumber = -1;
    std::vector<std::optional<TColor>> FColors;
    int FRed = -1, FGreen = -1, FBlue = -1;
    TParaFormat FPara;
    int32_t FLeftIndent = 0;
    int32_t FFirstIndent = 0;
    uint32_t FTabAlignment = 0;
    uint32_t FTabLeader = 0;
    String FPendingBytes;
    int FPendingCodePage = 0;
    char16_t FHighSurrogate = 0;
    int FSkipFallback = 0;
    std::vector<TField> FFields;
};

TRtfError TRtfReader::Read()
{
    size_t Start = FIn.find_first_not_of(" \t\r\n");
    if (Start == std::string_view::npos || FIn.substr(Start, 5) != "{\\rtf")
        return TRtfError::NotRtf;
    FPos = Start;
    TGroupState Base;
    Base.Format = FDefault;
    FStack.push_back(Base);   // outside the document; the first '{' opens it
    while (FPos < FIn.size()) {
        char C = FIn[FPos];
        if (C == '{') {
            FlushBytes();
            FGroupStart = FPos++;
            if (FStack.size() > MaxDepth)
                return TRtfError::TooDeep;
            OpenGroup();
            FGroupFresh = true;
            continue;
        } else if (C == '}') {
            FlushBytes();
            ++FPos;
            FGroupFresh = false;   // a word after an empty group does not open one
            CloseGroup();
            if (FStack.size() == 1)
                break;   // the document is closed; what follows is not part of it
        } else if (C == '\\') {
            ++FPos;
            if (FPos >= FIn.size())
                break;
            char N = FIn[FPos];
            if (std::isalpha(static_cast<unsigned char>(N))) {
                size_t WordStart = FPos;
                while (FPos < FIn.size() && FPos - WordStart < 32 && std::isalpha(static_cast<unsigned char>(FIn[FPos])))
                    ++FPos;
                std::string_view Word = FIn.substr(WordStart, FPos - WordStart);
                // A hyphen is a sign only before a digit; otherwise it is text.
                bool Negative = FPos + 1 < FIn.size() && FIn[FPos] == '-' &&
                                std::isdigit(static_cast<unsigned char>(FIn[FPos + 1]));
                if (Negative)
                    ++FPos;
                int64_t Param = 0;
                int Digits = 0;
                while (FPos < FIn.size() && std::isdigit(static_cast<unsigned char>(FIn[FPos]))) {
                    if (Digits++ < MaxDigits)
                        Param = Param * 10 + (FIn[FPos] - '0');
                    ++FPos;
                }
                if (FPos < FIn.size() && FIn[FPos] == ' ')
                    ++FPos;
                Param = std::clamp<int64_t>(Negative ? -Param : Param, INT32_MIN, INT32_MAX);
                if (Word != "bin")
                    FlushBytes();
                FFirstWord = FGroupFresh;
                FGroupFresh = false;
                ControlWord(Word, Digits > 0, int32_t(Param));
                continue;
            } else {
                ++FPos;
                if (N != '\'')
                    FlushBytes();
                FGroupFresh = false;
                ControlSymbol(N);
            }
        } else {
            ++FPos;
            if (C != '\r' && C != '\n') {
                FGroupFresh = false;
                TextByte(C);
            }
        }
    }
    FlushBytes();
    FOut.Tail = CurrentPara();
    return TRtfError::None;
}

void TRtfReader::OpenGroup()
{
    FStack.push_back(State());
}

void TRtfReader::CloseGroup()
{
    if (FStack.size() <= 1)
        return;
    TGroupState Closed = FStack.back();
    FStack.pop_back();
    if (Closed.Destination == TDestination::FontTable && State().Destination != TDestination::FontTable) {
        SelectFont(FDefaultFont);
    } else if (Closed.Destination == TDestination::FieldResult && State().Destination != TDestination::FieldResult &&
               Closed.Field >= 0) {
        // A link whose target is its own text keeps no separate target.
        TField& Field = FFields[size_t(Closed.Field)];
        std::u32string Shown;
        for (size_t I = Field.ResultPiece; I < FOut.Pieces.size(); ++I)
            Shown += FOut.Pieces[I].Text;
        if (!Field.Url.empty() && ToUtf8(Shown) == Field.Url)
            for (size_t I = Field.ResultPiece; I < FOut.Pieces.size(); ++I)
                FOut.Pieces[I].Format.LinkUrl.clear();
    }
    FSkipFallback = 0;
}

void TRtfReader::ControlWord(std::string_view AWord, bool AHasParam, int32_t AParam)
{
    if (FSkipFallback > 0 && State().Destination != TDestination::Skip) {
        --FSkipFallback;
        return;
    }
    if (AWord == "bin") {
        // Binary data belongs to a picture or object; outside one it is skipped.
        FlushBytes();
        FPos += std::min<size_t>(size_t(std::max(0, AParam)), FIn.size() - FPos);
        return;
    }
    TDestination Destination = State().Destination;
    if (Destination == TDestination::Skip)
        return;
    if (DestinationWord(AWord))
        return;
    if (Destination == TDestination::FontTable) {
        FontTableWord(AWord, AParam);
        return;
    }
    if (Destination == TDestination::ColorTable) {
        ColorTableWord(AWord, AParam);
        return;
    }
    if (AWord == "ansicpg") {
        FAnsiCodePage = AParam;
        return;
    }
    if (AWord == "deff") {
        FDefaultFont = AParam;
        return;
    }
    if (AWord == "uc") {
        State().UnicodeSkip = std::clamp(AParam, 0, 8);
        return;
    }
    if (AWord == "u") {
        AppendUnicode(AParam);
        return;
    }
    if (Destination == TDestination::Bullet) {
        if (AWord == "pnlvlblt")
            FPara.Numbering = 1;
        return;
    }
    if (CharacterWord(AWord, AHasParam, AParam) || ParagraphWord(AWord, AHasParam, AParam))
        return;
    static const std::map<std::string_view, char32_t, std::less<>> Specials = {
        {"tab", U'\t'}, {"cell", U'\t'}, {"line", U'\v'}, {"emdash", U'\u2014'}, {"endash", U'\u2013'},
        {"lquote", U'\u2018'}, {"rquote", U'\u2019'}, {"ldblquote", U'\u201C'}, {"rdblquote", U'\u201D'},
        {"bullet", U'\u2022'}, {"emspace", U'\u2003'}, {"enspace", U'\u2002'}, {"qmspace", U'\u2005'}};
    if (auto It = Specials.find(AWord); It != Specials.end()) {
        AppendChar(It->second);
        return;
    }
    if (AWord == "par" || AWord == "row" || AWord == "page")
        EndParagraph();
}

// Destinations this engine reads, keeps or skips; True when AWord was one.
bool TRtfReader::DestinationWord(std::string_view AWord)
{
    static const char* const Skipped[] = {"info", "stylesheet", "header", "headerl", "headerr", "headerf", "footer",
                                          "footerl", "footerr", "footerf", "footnote", "pntext", "listtable",
                                          "listoverridetable", "revtbl", "nonshppict", "annotation", "txe", "xe",
                                          "tc", "private", "rxe", "atnid", "atnauthor"};
    TGroupState& S = State();
    if (AWord == "fonttbl") {
        S.Destination = TDestination::FontTable;
        FFontNumber = -1;
        FFontBeingRead = {};
    } else if (AWord == "colortbl") {
        S.Destination = TDestination::ColorTable;
        FColors.clear();
        FRed = FGreen = FBlue = -1;
    } else if (AWord == "field") {
        FFields.push_back(TField{});
        S.Field = int(FFields.size() - 1);
    } else if (AWord == "fldinst") {
        S.Destination = S.Field >= 0 ? TDestination::FieldInstruction : TDestination::Skip;
    } else if (AWord == "fldrslt") {
        S.Destination = TDestination::FieldResult;
        if (S.Field >= 0) {
            TField& Field = FFields[size_t(S.Field)];
            Field.ResultPiece = FOut.Pieces.size();
            Field.Url = HyperlinkTarget(Field.Instruction);
            if (!Field.Url.empty()) {
                S.Format.Effects |= CFE_LINK;
                S.Format.LinkUrl = Field.Url;
            }
        }
    } else if (AWord == "pn") {
        S.Destination = TDestination::Bullet;
    } else if (AWord == "pict" || AWord == "object") {
        // Kept whole only when the group is the object's own; inside another group it is noise.
        if (FFirstWord)
            CaptureObject(AWord == "pict");
        else
            S.Destination = TDestination::Skip;
    } else if (std::find(std::begin(Skipped), std::end(Skipped), AWord) != std::end(Skipped)) {
        S.Destination = TDestination::Skip;
    } else {
        return false;
    }
    return true;
}

bool TRtfReader::CharacterWord(std::string_view AWord, bool AHasParam, int32_t AParam)
{
    TCharFormat& F = State().Format;
    bool On = !AHasParam || AParam != 0;
    auto SetEffect = [&](uint32_t AEffect, bool AOn) { F.Effects = AOn ? (F.Effects | AEffect) : (F.Effects & ~AEffect); };
    if (AWord == "plain") {
        TCharFormat Plain = FDefault;
        Plain.Effects |= F.Effects & CFE_LINK;
        Plain.LinkUrl = F.LinkUrl;
        F = Plain;
        SelectFont(FDefaultFont);
    } else if (AWord == "b") {
        SetEffect(CFE_BOLD, On);
        F.Weight = On ? 700 : 400;
    } else if (AWord == "i") {
        SetEffect(CFE_ITALIC, On);
    } else if (AWord == "ul" || AWord == "uld" || AWord == "uldb" || AWord == "ulw" || AWord == "ulwave" ||
               AWord == "uldash" || AWord == "ulth") {
        SetEffect(CFE_UNDERLINE, On);
    } else if (AWord == "ulnone") {
        SetEffect(CFE_UNDERLINE, false);
    } else if (AWord == "strike" || AWord == "striked") {
        SetEffect(CFE_STRIKEOUT, On);
    } else if (AWord == "v") {
        SetEffect(CFE_HIDDEN, On);
    } else if (AWord == "protect") {
        SetEffect(CFE_PROTECTED, On);
    } else if (AWord == "f") {
        SelectFont(AParam);
    } else if (AWord == "fs") {
        F.Size = AHasParam && AParam > 0 ? std::min(AParam, 3276) * 10 : 240;
    } else if (AWord == "cf") {
        bool Auto = true;
        F.Color = ColorAt(AParam, Auto);
        SetEffect(CFE_AUTOCOLOR, Auto);
    } else if (AWord == "highlight" || AWord == "cb" || AWord == "chcbpat") {
        bool Auto = true;
        F.BackColor = ColorAt(AParam, Auto);
        SetEffect(CFE_AUTOBACKCOLOR, Auto);
    } else if (AWord == "up") {
        F.Offset = (AHasParam ? std::clamp(AParam, -3276, 3276) : 6) * 10;
    } else if (AWord == "dn") {
        F.Offset = -(AHasParam ? std::clamp(AParam, -3276, 3276) : 6) * 10;
    } else {
        return false;
    }
    return true;
}

bool TRtfReader::ParagraphWord(std::string_view AWord, bool AHasParam, int32_t AParam)
{
    (void)AHasParam;
    auto Twips = [&] { return std::clamp(AParam, -0x7FFFFF, 0x7FFFFF); };
    if (AWord == "pard") {
        FPara = {};
        FLeftIndent = FFirstIndent = 0;
        FTabAlignment = FTabLeader = 0;
    } else if (AWord == "ql") {
        FPara.Alignment = PFA_LEFT;
    } else if (AWord == "qr") {
        FPara.Alignment = PFA_RIGHT;
    } else if (AWord == "qc") {
        FPara.Alignment = PFA_CENTER;
    } else if (AWord == "qj") {
        FPara.Alignment = PFA_JUSTIFY;
    } else if (AWord == "li") {
        FLeftIndent = Twips();
    } else if (AWord == "fi") {
        FFirstIndent = Twips();
    } else if (AWord == "ri") {
        FPara.RightIndent = Twips();
    } else if (AWord == "tqc" || AWord == "tqr" || AWord == "tqdec") {
        FTabAlignment = AWord == "tqc" ? 1 : AWord == "tqr" ? 2 : 3;
    } else if (AWord == "tldot" || AWord == "tlmdot" || AWord == "tlhyph" || AWord == "tlul" || AWord == "tlth" ||
               AWord == "tleq") {
        FTabLeader = AWord == "tlhyph" ? 2 : AWord == "tlul" ? 3 : AWord == "tlth" ? 4 : AWord == "tleq" ? 5 : 1;
    } else if (AWord == "tx" || AWord == "tb") {
        if (FPara.Tabs.size() < MAX_TAB_STOPS && AParam >= 0)
            FPara.Tabs.push_back(MakeTab(Twips(), AWord == "tb" ? 4 : FTabAlignment, FTabLeader));
        FTabAlignment = FTabLeader = 0;
    } else {
        return false;
    }
    return true;
}

void TRtfReader::FontTableWord(std::string_view AWord, int32_t AParam)
{
    static const std::map<std::string_view, uint8_t, std::less<>> Families = {
        {"fnil", 0x00}, {"froman", 0x10}, {"fswiss", 0x20}, {"fmodern", 0x30}, {"fscript", 0x40}, {"fdecor", 0x50}};
    if (AWord == "f") {
        FFontNumber = AParam;
        FFontBeingRead = {};
    } else if (AWord == "fcharset") {
        FFontBeingRead.Charset = uint8_t(std::clamp(AParam, 0, 255));
    } else if (AWord == "cpg") {
        FFontBeingRead.CodePage = AParam;
    } else if (AWord == "fprq") {
        FFontBeingRead.PitchAndFamily = uint8_t((FFontBeingRead.PitchAndFamily & 0xF0) | (AParam & 0x3));
    } else if (auto It = Families.find(AWord); It != Families.end()) {
        FFontBeingRead.PitchAndFamily = uint8_t((FFontBeingRead.PitchAndFamily & 0x0F) | It->second);
    }
}

void TRtfReader::ColorTableWord(std::string_view AWord, int32_t AParam)
{
    int Component = std::clamp(AParam, 0, 255);
    if (AWord == "red")
        FRed = Component;
    else if (AWord == "green")
        FGreen = Component;
    else if (AWord == "blue")
        FBlue = Component;
}

void TRtfReader::ControlSymbol(char ASymbol)
{
    TDestination Destination = State().Destination;
    if (ASymbol == '*') {
        // An optional destination: kept only when this reader knows its first word.
        size_t Word = FPos;
        while (Word < FIn.size() && (FIn[Word] == ' ' || FIn[Word] == '\r' || FIn[Word] == '\n'))
            ++Word;
        std::string_view Rest = FIn.substr(Word);
        bool Known = Rest.starts_with("\\fldinst") || Rest.starts_with("\\pn") || Rest.starts_with("\\shppict");
        if (!Known || Rest.starts_with("\\pnseclvl"))
            State().Destination = TDestination::Skip;
        return;
    }
    if (ASymbol == '\'') {
        if (FPos + 2 > FIn.size())
            return;
        auto Hex = [](char C) -> int {
            if (C >= '0' && C <= '9')
                return C - '0';
            if (C >= 'a' && C <= 'f')
                return C - 'a' + 10;
            if (C >= 'A' && C <= 'F')
                return C - 'A' + 10;
            return -1;
        };
        int High = Hex(FIn[FPos]), Low = Hex(FIn[FPos + 1]);
        FPos += 2;
        if (High < 0 || Low < 0)
            return;
        if (FSkipFallback > 0) {
            --FSkipFallback;
            return;
        }
        TextByte(char(High * 16 + Low));
        return;
    }
    if (FSkipFallback > 0 && Destination != TDestination::Skip) {
        --FSkipFallback;
        return;
    }
    switch (ASymbol) {
    case '\\':
    case '{':
    case '}':
        TextByte(ASymbol);
        break;
    case '~':
        AppendChar(U'\u00A0');
        break;
    case '-':
        AppendChar(U'\u00AD');
        break;
    case '_':
        AppendChar(U'\u2011');
        break;
    case '\r':
    case '\n':
        EndParagraph();
        break;
    case '\t':
        AppendChar(U'\t');
        break;
    default:
        break;
    }
}

void TRtfReader::TextByte(char AByte)
{
    TDestination Destination = State().Destination;
    if (Destination == TDestination::Skip || Destination == TDestination::Bullet)
        return;
    if (FSkipFallback > 0) {
        --FSkipFallback;
        return;
    }
    if (Destination == TDestination::FontTable) {
        if (AByte == ';') {
            if (FFontNumber >= 0) {
                int CodePage = CodePageOfCharset(FFontBeingRead.Charset);
                String Name = ToUtf8(DecodeCodePage(CodePage ? CodePage : FAnsiCodePage, FFontBeingRead.Name));
                FFontBeingRead.Name = ToUtf8(ToUtf32(Name).substr(0, 31));
                FFonts[FFontNumber] = FFontBeingRead;
            }
            FFontBeingRead.Name.clear();
        } else {
            FFontBeingRead.Name += AByte;
        }
        return;
    }
    if (Destination == TDestination::ColorTable) {
        if (AByte == ';') {
            if (FRed < 0 && FGreen < 0 && FBlue < 0)
                FColors.push_back(std::nullopt);
            else
                FColors.push_back(RGB(uint8_t(std::max(FRed, 0)), uint8_t(std::max(FGreen, 0)), uint8_t(std::max(FBlue, 0))));
            FRed = FGreen = FBlue = -1;
        }
        return;
    }
    if (Destination == TDestination::FieldInstruction) {
        FFields[size_t(State().Field)].Instruction += AByte;
        return;
    }
    if (uint8_t(AByte) < 0x80 && FPendingBytes.empty()) {
        AppendChar(char32_t(AByte));
        return;
    }
    int CodePage = CurrentCodePage();
    if (!FPendingBytes.empty() && CodePage != FPendingCodePage)
        FlushBytes();
    FPendingCodePage = CodePage;
    FPendingBytes += AByte;
}

void TRtfReader::FlushBytes()
{
    if (FPendingBytes.empty())
        return;
    String Bytes;
    std::swap(Bytes, FPendingBytes);
    for (char32_t C : DecodeCodePage(FPendingCodePage, Bytes))
        AppendChar(C);
}

void TRtfReader::AppendUnicode(int32_t AParam)
{
    char16_t Unit = char16_t(AParam < 0 ? AParam + 65536 : AParam);
    FSkipFallback = 0;
    if (Unit >= 0xD800 && Unit < 0xDC00) {
        FHighSurrogate = Unit;
    } else if (Unit >= 0xDC00 && Unit < 0xE000) {
        if (FHighSurrogate != 0)
            AppendChar(0x10000 + ((char32_t(FHighSurrogate) - 0xD800) << 10) + (Unit - 0xDC00));
        FHighSurrogate = 0;
    } else {
        AppendChar(Unit);
    }
    FSkipFallback = State().UnicodeSkip;
}

void TRtfReader::AppendChar(char32_t AChar)
{
    TDestination Destination = State().Destination;
    if (Destination == TDestination::FieldInstruction) {
        FFields[size_t(State().Field)].Instruction += ToUtf8(std::u32string(1, AChar));
        return;
    }
    if (Destination != TDestination::Text && Destination != TDestination::FieldResult)
        return;
    if (AChar == 0 || (AChar < 0x20 && AChar != U'\t' && AChar != U'\v'))
        return;
    FOut.AppendText(std::u32string_view(&AChar, 1), State().Format);
}

void TRtfReader::EndParagraph()
{
    TDestination Destination = State().Destination;
    if (Destination != TDestination::Text && Destination != TDestination::FieldResult)
        return;
    FOut.AppendMark(State().Format, CurrentPara());
}

TParaFormat TRtfReader::CurrentPara() const
{
    TParaFormat Para = FPara;
    Para.StartIndent = FLeftIndent + FFirstIndent;
    Para.Offset = -FFirstIndent;
    return Para;
}

void TRtfReader::SelectFont(int AFont)
{
    TGroupState& S = State();
    S.Font = AFont;
    auto It = FFonts.find(AFont);
    if (It == FFonts.end())
        return;
    S.Format.Face = It->second.Name;
    S.Format.Charset = It->second.Charset;
    S.Format.PitchAndFamily = It->second.PitchAndFamily;
}

int TRtfReader::CurrentCodePage() const
{
    auto It = FFonts.find(FStack.back().Font);
    if (It != FFonts.end()) {
        if (It->second.CodePage > 0)
            return It->second.CodePage;
        if (int CodePage = CodePageOfCharset(It->second.Charset))
            return CodePage;
    }
    return FAnsiCodePage;
}

TColor TRtfReader::ColorAt(int32_t AIndex, bool& AAuto) const
{
    AAuto = true;
    if (AIndex < 0 || size_t(AIndex) >= FColors.size() || !FColors[size_t(AIndex)])
        return 0;
    AAuto = false;
    return *FColors[size_t(AIndex)];
}

// An object or picture group is kept whole as it stands, from its '{' to its '}'.
void TRtfReader::CaptureObject(bool APicture)
{
    size_t Start = FGroupStart;
    int Depth = 0;
    size_t P = Start;
    int32_t Width = 0, Height = 0, PicW = 0, PicH = 0;
    while (P < FIn.size()) {
        char C = FIn[P];
        if (C == '{') {
            ++Depth;
            ++P;
        } else if (C == '}') {
            ++P;
            if (--Depth == 0)
                break;
        } else if (C == '\\') {
            size_t W = ++P;
            while (P < FIn.size() && std::isalpha(static_cast<unsigned char>(FIn[P])))
                ++P;
            std::string_view Word = FIn.substr(W, P - W);
            size_t N = P;
            if (P < FIn.size() && FIn[P] == '-')
                ++P;
            int64_t Value = 0;
            while (P < FIn.size() && std::isdigit(static_cast<unsigned char>(FIn[P])) && P - N < 10)
                Value = Value * 10 + (FIn[P++] - '0');
            while (P < FIn.size() && std::isdigit(static_cast<unsigned char>(FIn[P])))
                ++P;
            int32_t V = int32_t(std::min<int64_t>(Value, 0x7FFFFF));
            if (Word.empty() && P < FIn.size())
                ++P;   // a control symbol: \\, \{, \}
            else if (Word == "bin")
                P += std::min<size_t>(size_t(V), FIn.size() - P);
            else if (Word == "objw" || Word == "picwgoal")
                Width = V;
            else if (Word == "objh" || Word == "pichgoal")
                Height = V;
            else if (Word == "picw")
                PicW = V;
            else if (Word == "pich")
                PicH = V;
        } else {
            ++P;
        }
    }
    FStack.pop_back();
    FPos = P;
    if (!FObjects || FStack.empty() ||
        (State().Destination != TDestination::Text && State().Destination != TDestination::FieldResult))
        return;
    auto Object = std::make_shared<TEmbeddedObject>();
    Object->Rtf = String(FIn.substr(Start, P - Start));
    if (Depth != 0)
        Object->Rtf.append(size_t(Depth), '}');
    // Without goal sizes a picture's own size is taken as pixels at 96 DPI.
    Object->Width = Width > 0 ? Width : PicW * 15;
    Object->Height = Height > 0 ? Height : PicH * 15;
    Object->IsPicture = APicture;
    FOut.AppendObject(std::move(Object), State().Format);
}

}  // namespace

TRtfError ReadRtf(std::string_view ARtf, const TCharFormat& ADefault, TRichFragment& AOut, bool AObjects)
{
    return TRtfReader(ARtf, ADefault, AOut, AObjects).Read();
}

#include <algorithm>
#include <cctype>

#include "RichEdit.Rtf.h"

namespace {

struct TFontKey {
    String Face;
    uint8_t Charset;
    uint8_t PitchAndFamily;
    friend bool operator==(const TFontKey&, const TFontKey&) = default;
};

class TRtfWriter {
public:
    TRtfWriter(const TRichFragment& AFragment, bool AObjects, bool APlain)
        : FFragment(AFragment), FObjects(AObjects), FPlain(APlain)
    {
    }
    String Write();

private:
    void CollectTables();
    void WriteHeader();
    void WriteParagraphFormat(const TParaFormat& APara);
    void WriteCharFormat(const TCharFormat& AFormat);
    void WriteText(std::u32string_view AText, const TCharFormat& AFormat);
    void WriteChar(char32_t AChar, int ACodePage);
    void OpenLink(const String& AUrl);
    void CloseLink();
    String EscapedUrl(std::u32string_view AUrl);
    int FontIndex(const TCharFormat& AFormat) const;
    int ColorIndex(TColor AColor) const;
    void Word(const char* AWord) { FOut += '\\'; FOut += AWord; FNeedSpace = true; }
    void Word(const char* AWord, int32_t AParam) { FOut += '\\'; FOut += AWord; FOut += std::to_string(AParam); FNeedSpace = true; }

    const TRichFragment& FFragment;
    bool FObjects;
    bool FPlain;
    String FOut;
    bool FNeedSpace = false;
    std::vector<TFontKey> FFonts;
    std::vector<TColor> FColors;
    TCharFormat FWritten;
    TCharFormat FBeforeLink;
    bool FInLink = false;
    String FLinkKey;
    std::u32string FLinkText;
    size_t FLinkStart = 0;
};

String TRtfWriter::Write()
{
    CollectTables();
    WriteHeader();
    // RTF's defaults: font 0, 12 points, automatic colours, no effects.
    FWritten.Face = FFonts[0].Face;
    FWritten.Charset = FFonts[0].Charset;
    FWritten.PitchAndFamily = FFonts[0].PitchAndFamily;
    FWritten.Size = 240;
    FWritten.Effects = CFE_AUTOCOLOR | CFE_AUTOBACKCOLOR;
    size_t Mark = 0;
    bool ParagraphStart = true;
    const TParaFormat* Written = nullptr;
    for (const TTextPiece& Piece : FFragment.Pieces) {
        std::u32string_view Text = Piece.Text;
        while (!Text.empty()) {
            const TParaFormat& Para = Mark < FFragment.Marks.size() ? FFragment.Marks[Mark] : FFragment.Tail;
            if (ParagraphStart) {
                if (Written == nullptr || !(*Written == Para))
                    WriteParagraphFormat(Para);
                Written = &Para;
                if (Para.Numbering != 0) {
                    FOut += "{\\pntext\\bullet\\tab}";
                    FNeedSpace = false;
                }
                ParagraphStart = false;
            }
            size_t Break = Text.find(ParagraphMark);
            WriteText(Text.substr(0, Break), Piece.Format);
            if (Break == std::u32string_view::npos)
                break;
            CloseLink();
            WriteCharFormat(Piece.Format);
            Word("par");
            FOut += "\r\n";
            FNeedSpace = false;
            ++Mark;
            ParagraphStart = true;
            Text.remove_prefix(Break + 1);
        }
    }
    CloseLink();
    FOut += "}\r\n";
    return FOut;
}

void TRtfWriter::CollectTables()
{
    auto AddFont = [&](const TCharFormat& F) {
        TFontKey Key{F.Face, F.Charset, F.PitchAndFamily};
        if (std::find(FFonts.begin(), FFonts.end(), Key) == FFonts.end())
            FFonts.push_back(Key);
    };
    auto AddColor = [&](TColor C) {
        if (std::find(FColors.begin(), FColors.end(), C) == FColors.end())
            FColors.push_back(C);
    };
    for (const TTextPiece& Piece : FFragment.Pieces) {
        AddFont(Piece.Format);
        if (!Piece.Format.Has(CFE_AUTOCOLOR))
            AddColor(Piece.Format.Color);
        if (!Piece.Format.Has(CFE_AUTOBACKCOLOR))
            AddColor(Piece.Format.BackColor);
    }
    if (FFonts.empty())
        AddFont(TCharFormat{});
}

void TRtfWriter::WriteHeader()
{
    static const char* const Families[] = {"fnil", "froman", "fswiss", "fmodern", "fscript", "fdecor"};
    FOut = "{\\rtf1\\ansi\\ansicpg1252\\deff0";
    if (!FPlain)
        FOut += "\\nouicompat\\deflang1033";
    FOut += "{\\fonttbl";
    for (size_t I = 0; I < FFonts.size(); ++I) {
        const TFontKey& Font = FFonts[I];
        size_t Family = std::min<size_t>(Font.PitchAndFamily >> 4, 5);
        FOut += "{\\f" + std::to_string(I) + "\\" + Families[Family];
        if ((Font.PitchAndFamily & 3) != 0)
            FOut += "\\fprq" + std::to_string(Font.PitchAndFamily & 3);
        FOut += "\\fcharset" + std::to_string(Font.Charset) + " ";
        FNeedSpace = false;
        int CodePage = CodePageOfCharset(Font.Charset);
        for (char32_t C : ToUtf32(Font.Face))
            WriteChar(C, CodePage ? CodePage : 1252);
        FOut += ";}";
    }
    FOut += "}\r\n";
    if (!FColors.empty()) {
        FOut += "{\\colortbl ;";
        for (TColor C : FColors)
            FOut += "\\red" + std::to_string(GetRValue(C)) + "\\green" + std::to_string(GetGValue(C)) + "\\blue" +
                    std::to_string(GetBValue(C)) + ";";
        FOut += "}\r\n";
    }
    if (!FPlain)
        FOut += "\\viewkind4";
    FOut += "\\uc1";
    FNeedSpace = true;
}

void TRtfWriter::WriteParagraphFormat(const TParaFormat& APara)
{
    static const char* const TabAlignments[] = {nullptr, "tqc", "tqr", "tqdec"};
    static const char* const Leaders[] = {nullptr, "tldot", "tlhyph", "tlul", "tlth", "tleq"};
    Word("pard");
    if (APara.Alignment == PFA_RIGHT)
        Word("qr");
    else if (APara.Alignment == PFA_CENTER)
        Word("qc");
    else if (APara.Alignment == PFA_JUSTIFY)
        Word("qj");
    if (APara.Offset != 0)
        Word("fi", -APara.Offset);
    if (APara.StartIndent + APara.Offset != 0)
        Word("li", APara.StartIndent + APara.Offset);
    if (APara.RightIndent != 0)
        Word("ri", APara.RightIndent);
    for (uint32_t Tab : APara.Tabs) {
        uint32_t Alignment = TabAlignment(Tab);
        if (Alignment >= 1 && Alignment <= 3)
            Word(TabAlignments[Alignment]);
        if (TabLeader(Tab) >= 1 && TabLeader(Tab) <= 5)
            Word(Leaders[TabLeader(Tab)]);
        Word(Alignment == 4 ? "tb" : "tx", TabPosition(Tab));
    }
    if (APara.Numbering != 0) {
        FOut += "{\\*\\pn\\pnlvlblt\\pnindent0{\\pntxtb\\'B7}}";
        FNeedSpace = false;
    }
}

void TRtfWriter::WriteCharFormat(const TCharFormat& AFormat)
{
    TCharFormat& W = FWritten;
    if (AFormat.Face != W.Face || AFormat.Charset != W.Charset || AFormat.PitchAndFamily != W.PitchAndFamily)
        Word("f", FontIndex(AFormat));
    if ((AFormat.Size + 5) / 10 != (W.Size + 5) / 10)
        Word("fs", (AFormat.Size + 5) / 10);
    auto Effect = [&](uint32_t AEffect, const char* AOn, const char* AOff) {
        if (AFormat.Has(AEffect) != W.Has(AEffect)) {
            if (AFormat.Has(AEffect))
                Word(AOn);
            else
                Word(AOff);
        }
    };
    Effect(CFE_BOLD, "b", "b0");
    Effect(CFE_ITALIC, "i", "i0");
    Effect(CFE_UNDERLINE, "ul", "ulnone");
    Effect(CFE_STRIKEOUT, "strike", "strike0");
    Effect(CFE_HIDDEN, "v", "v0");
    Effect(CFE_PROTECTED, "protect", "protect0");
    bool AutoColor = AFormat.Has(CFE_AUTOCOLOR);
    if (AutoColor != W.Has(CFE_AUTOCOLOR) || (!AutoColor && AFormat.Color != W.Color))
        Word("cf", AutoColor ? 0 : ColorIndex(AFormat.Color));
    bool AutoBack = AFormat.Has(CFE_AUTOBACKCOLOR);
    if (AutoBack != W.Has(CFE_AUTOBACKCOLOR) || (!AutoBack && AFormat.BackColor != W.BackColor))
        Word("highlight", AutoBack ? 0 : ColorIndex(AFormat.BackColor));
    if ((AFormat.Offset + 5) / 10 != (W.Offset + 5) / 10) {
        if (AFormat.Offset >= 0)
            Word("up", (AFormat.Offset + 5) / 10);
        else
            Word("dn", (-AFormat.Offset + 5) / 10);
    }
    uint32_t Link = W.Effects & CFE_LINK;
    String Url = W.LinkUrl;
    W = AFormat;
    W.Effects = (W.Effects & ~CFE_LINK) | Link;
    W.LinkUrl = Url;
    W.Object.reset();
}

void TRtfWriter::WriteText(std::u32string_view AText, const TCharFormat& AFormat)
{
    if (AText.empty())
        return;
    if (AFormat.Object) {
        CloseLink();
        if (FObjects) {
            FOut += AFormat.Object->Rtf;
            FNeedSpace = false;
        }
        return;
    }
    if (AFormat.Has(CFE_LINK)) {
        if (!FInLink || AFormat.LinkUrl != FLinkKey) {
            CloseLink();
            OpenLink(AFormat.LinkUrl);
        }
        if (AFormat.LinkUrl.empty())
            FLinkText += AText;
    } else {
        CloseLink();
    }
    WriteCharFormat(AFormat);
    int CodePage = CodePageOfCharset(AFormat.Charset);
    for (char32_t C : AText)
        WriteChar(C, CodePage ? CodePage : 1252);
}

// A link's field holds its own formatting; what was written before it holds again after it.
// A link that is its own text gets that text as its target when the field closes.
void TRtfWriter::OpenLink(const String& AUrl)
{
    FBeforeLink = FWritten;
    FInLink = true;
    FLinkKey = AUrl;
    FLinkText.clear();
    FOut += "{\\field{\\*\\fldinst{HYPERLINK \"";
    FLinkStart = FOut.size();
    FOut += "\"}}{\\fldrslt{";
    if (!AUrl.empty())
        FOut.insert(FLinkStart, EscapedUrl(ToUtf32(AUrl)));
    FNeedSpace = false;
}

void TRtfWriter::CloseLink()
{
    if (!FInLink)
        return;
    if (FLinkKey.empty())
        FOut.insert(FLinkStart, EscapedUrl(FLinkText));
    FOut += "}}}";
    FNeedSpace = false;
    FInLink = false;
    FWritten = FBeforeLink;
}

String TRtfWriter::EscapedUrl(std::u32string_view AUrl)
{
    String Saved;
    std::swap(Saved, FOut);
    bool NeedSpace = FNeedSpace;
    FNeedSpace = false;
    for (char32_t C : AUrl)
        WriteChar(C == U'"' ? U'\'' : C, 1252);
    std::swap(Saved, FOut);
    FNeedSpace = NeedSpace;
    return Saved;
}

void TRtfWriter::WriteChar(char32_t AChar, int ACodePage)
{
    auto Plain = [&](const char* AText) {
        // After a control word a letter, digit, hyphen or space would be read as part of it.
        if (FNeedSpace && (std::isalnum(static_cast<unsigned char>(AText[0])) || AText[0] == ' ' || AText[0] == '-'))
            FOut += ' ';
        FNeedSpace = false;
        FOut += AText;
    };
    switch (AChar) {
    case U'\\': Plain("\\\\"); return;
    case U'{': Plain("\\{"); return;
    case U'}': Plain("\\}"); return;
    case U'\t': Word("tab"); return;
    case U'\v': Word("line"); return;
    case U'\u00A0': Plain("\\~"); return;
    case U'\u00AD': Plain("\\-"); return;
    case U'\u2011': Plain("\\_"); return;
    default: break;
    }
    if (AChar < 0x20)
        return;
    if (AChar < 0x80) {
        char Text[2] = {char(AChar), 0};
        Plain(Text);
        return;
    }
    static const char Hex[] = "0123456789abcdef";
    auto Escaped = [&](std::string_view ABytes) {
        for (char B : ABytes) {
            char Text[5] = {'\\', '\'', Hex[uint8_t(B) >> 4], Hex[uint8_t(B) & 15], 0};
            Plain(Text);
        }
    };
    String Bytes;
    bool Encoded = EncodeCodePage(ACodePage, AChar, Bytes);
    if (Encoded && ACodePage == 1252) {
        Escaped(Bytes);
        return;
    }
    // Beyond the ANSI code page: the character itself, then one byte for readers that do not
    // know \u (the font's code page byte, or a question mark). The fallback is a hex escape,
    // since some readers swallow the space after a literal one.
    String Fallback = Encoded && Bytes.size() == 1 ? Bytes : String("?");
    auto Unit = [&](int32_t AValue) {
        Word("u", AValue > 32767 ? AValue - 65536 : AValue);
        FNeedSpace = false;
        Escaped(Fallback);
    };
    if (AChar > 0xFFFF) {
        Unit(int32_t(0xD800 + ((AChar - 0x10000) >> 10)));
        Unit(int32_t(0xDC00 + ((AChar - 0x10000) & 0x3FF)));
    } else {
        Unit(int32_t(AChar));
    }
}

int TRtfWriter::FontIndex(const TCharFormat& AFormat) const
{
    TFontKey Key{AFormat.Face, AFormat.Charset, AFormat.PitchAndFamily};
    return int(std::find(FFonts.begin(), FFonts.end(), Key) - FFonts.begin());
}

int TRtfWriter::ColorIndex(TColor AColor) const
{
    return int(std::find(FColors.begin(), FColors.end(), AColor) - FColors.begin()) + 1;
}

}  // namespace

String WriteRtf(const TRichFragment& AFragment, bool AObjects, bool APlain)
{
    return TRtfWriter(AFragment, AObjects, APlain).Write();
}

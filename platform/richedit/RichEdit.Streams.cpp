#include "RichEdit.Streams.h"

namespace {

bool IsRtf(uint32_t AFlags)
{
    return (AFlags & 3) == SF_RTF || (AFlags & 3) == SF_RTFNOOBJS;
}

int PlainCodePage(uint32_t AFlags)
{
    return (AFlags & SF_USECODEPAGE) ? int(AFlags >> 16) : 1252;
}

String EncodePlainText(std::u32string_view AText, uint32_t AFlags)
{
    String Out;
    if ((AFlags & SF_UNICODE) != 0) {
        for (char32_t C : AText) {
            auto Unit = [&](uint32_t U) { Out += char(U & 0xFF); Out += char(U >> 8); };
            if (C > 0xFFFF) {
                Unit(0xD800 + ((C - 0x10000) >> 10));
                Unit(0xDC00 + ((C - 0x10000) & 0x3FF));
            } else {
                Unit(C);
            }
        }
        return Out;
    }
    int CodePage = PlainCodePage(AFlags);
    if (CodePage == int(CP_UTF8))
        return ToUtf8(AText);
    for (char32_t C : AText)
        if (!EncodeCodePage(CodePage, C, Out))
            Out += '?';
    return Out;
}

}  // namespace

std::u32string DecodePlainText(std::string_view AData, uint32_t AFlags)
{
    if ((AFlags & SF_UNICODE) == 0)
        return DecodeCodePage(PlainCodePage(AFlags), AData);
    std::u32string Text;
    char16_t High = 0;
    for (size_t I = 0; I + 1 < AData.size(); I += 2) {
        char16_t Unit = char16_t(uint8_t(AData[I]) | (uint8_t(AData[I + 1]) << 8));
        if (Unit >= 0xD800 && Unit < 0xDC00) {
            High = Unit;
            continue;
        }
        if (Unit >= 0xDC00 && Unit < 0xE000)
            Text += High != 0 ? char32_t(0x10000 + ((High - 0xD800) << 10) + (Unit - 0xDC00)) : U'\uFFFD';
        else
            Text += Unit;
        High = 0;
    }
    return Text;
}

TRichFragment PlainTextFragment(std::u32string_view AText, const TCharFormat& AFormat, const TParaFormat& APara)
{
    TRichFragment Fragment;
    Fragment.Tail = APara;
    size_t Start = 0;
    for (size_t I = 0; I < AText.size(); ++I) {
        if (AText[I] != U'\r' && AText[I] != U'\n')
            continue;
        Fragment.AppendText(AText.substr(Start, I - Start), AFormat);
        Fragment.AppendMark(AFormat, APara);
        if (AText[I] == U'\r' && I + 1 < AText.size() && AText[I + 1] == U'\n')
            ++I;
        Start = I + 1;
    }
    Fragment.AppendText(AText.substr(Start), AFormat);
    return Fragment;
}

bool StreamIn(TRichDocument& ADocument, int32_t AStart, int32_t& AEnd, std::string_view AData, uint32_t AFlags)
{
    bool Whole = (AFlags & SFF_SELECTION) == 0;
    if (Whole) {
        AStart = 0;
        AEnd = ADocument.Length();
    }
    int32_t Dummy = 0;
    const TParagraph& Here = ADocument.Paragraph(ADocument.ParagraphOf(AStart, &Dummy));
    TCharFormat Format = Whole ? ADocument.DefaultFormat() : ADocument.CharFormatAt(AStart);
    Format.Object.reset();
    TRichFragment Fragment;
    if (IsRtf(AFlags)) {
        if (ReadRtf(AData, Format, Fragment, (AFlags & 3) == SF_RTF) != TRtfError::None)
            return false;
    } else {
        Fragment = PlainTextFragment(DecodePlainText(AData, AFlags), Format, Whole ? TParaFormat{} : Here.Format);
    }
    // A whole document's last \par is its last paragraph's own mark.
    if (Whole && !Fragment.Pieces.empty() && Fragment.Pieces.back().Text.back() == ParagraphMark && IsRtf(AFlags)) {
        Fragment.Tail = Fragment.Marks.back();
        Fragment.Truncate(Fragment.Length() - 1);
    }
    ADocument.Delete(AStart, AEnd);
    AEnd = AStart + ADocument.Insert(AStart, Fragment, Whole);
    return true;
}

String StreamOut(const TRichDocument& ADocument, int32_t AStart, int32_t AEnd, uint32_t AFlags)
{
    bool Whole = (AFlags & SFF_SELECTION) == 0;
    if (Whole) {
        AStart = 0;
        AEnd = ADocument.Length();
    }
    if (!IsRtf(AFlags)) {
        std::u32string Text = ADocument.Text(AStart, AEnd), Out;
        Out.reserve(Text.size());
        for (char32_t C : Text) {
            if (C == ParagraphMark)
                Out += U"\r\n";
            else if (C != ObjectChar)
                Out += C;
        }
        return EncodePlainText(Out, AFlags);
    }
    TRichFragment Fragment = ADocument.Extract(AStart, AEnd);
    if (Whole) {
        const TParagraph& Last = ADocument.Paragraph(ADocument.ParagraphCount() - 1);
        Fragment.AppendMark(Last.Runs.back().Format, Last.Format);
    }
    return WriteRtf(Fragment, (AFlags & 3) == SF_RTF, (AFlags & SFF_PLAINRTF) != 0);
}

// RichEdit.Rtf.h: RTF in and out for the rich edit's document, and the code pages of font
// character sets. The reader never fails on what it does not know (it skips it); it fails only
// on text that is not RTF or nests too deep, so that the caller can read it as plain text.
#pragma once

#include <cstdint>
#include <string_view>

#include "RichEdit.Document.h"

// Stream format flags (the values of the rich edit's EM_STREAMIN and EM_STREAMOUT).
inline constexpr uint32_t SF_TEXT = 0x1;
inline constexpr uint32_t SF_RTF = 0x2;
inline constexpr uint32_t SF_RTFNOOBJS = 0x3;
inline constexpr uint32_t SF_UNICODE = 0x10;
inline constexpr uint32_t SF_USECODEPAGE = 0x20;
inline constexpr uint32_t SFF_PLAINRTF = 0x4000;
inline constexpr uint32_t SFF_SELECTION = 0x8000;
inline constexpr uint32_t CP_UTF8 = 65001;

enum class TRtfError : uint8_t { None, NotRtf, TooDeep };

// Reads an RTF document into AOut (appending). Text without a format of its own takes
// ADefault's face and colours at RTF's default size. Without AObjects, embedded objects and
// pictures are left out. A truncated document keeps what was read.
TRtfError ReadRtf(std::string_view ARtf, const TCharFormat& ADefault, TRichFragment& AOut, bool AObjects = true);

// Writes AFragment as an RTF document; every paragraph mark is a \par. With APlain only the
// keywords every RTF reader knows are written; without AObjects objects are left out.
String WriteRtf(const TRichFragment& AFragment, bool AObjects = true, bool APlain = false);

// The Windows code page of a font character set (0 for the document's default).
int CodePageOfCharset(uint8_t ACharset);
// Bytes of a code page as text; undecodable bytes become U+FFFD.
std::u32string DecodeCodePage(int ACodePage, std::string_view ABytes);
// Appends the code page's bytes for AChar; False when the code page cannot hold it.
bool EncodeCodePage(int ACodePage, char32_t AChar, String& AOut);

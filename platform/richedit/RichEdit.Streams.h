// RichEdit.Streams.h: a document's text streamed in and out as RTF or plain text, whole or a
// range. Plain text is ANSI (Windows-1252), UTF-16 LE with SF_UNICODE, or the code page in the
// high word with SF_USECODEPAGE (65001 for UTF-8); CR, LF and CR LF all end a paragraph in, and
// CR LF ends one out.
#pragma once

#include <string_view>

#include "RichEdit.Rtf.h"

// Replaces [AStart, AEnd) by the data (the whole document without SFF_SELECTION; AEnd -1 is the
// end). False, with the document unchanged, when RTF was asked for and the data is not RTF.
// AEnd becomes the end of what was read.
[[nodiscard]] bool StreamIn(TRichDocument& ADocument, int32_t AStart, int32_t& AEnd, std::string_view AData,
                            uint32_t AFlags);
// [AStart, AEnd) (the whole document without SFF_SELECTION) in the format of AFlags.
String StreamOut(const TRichDocument& ADocument, int32_t AStart, int32_t AEnd, uint32_t AFlags);

// Plain text (UTF-32, any line breaks) as a fragment in one character format.
TRichFragment PlainTextFragment(std::u32string_view AText, const TCharFormat& AFormat, const TParaFormat& APara);
// The data of a plain-text stream decoded by the flags.
std::u32string DecodePlainText(std::string_view AData, uint32_t AFlags);

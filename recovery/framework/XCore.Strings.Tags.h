// XCore.Strings.Tags.h: the recovery program's text helpers: XML-escaped tagged values,
// byte-size texts and hexadecimal dumps. Plain functions; any thread may call them.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>
#include <vector>

#include "Rtl.Types.h"

// Left to right, the first search string that matches at a position is replaced by its
// replacement and the scan goes on after it; replacements are not scanned again.
String ReplaceTexts(std::string_view AText, std::span<const std::string_view> ASearch,
                    std::span<const std::string_view> AReplace);
String EscapeXMLText(std::string_view AText);
String UnescapeXMLText(std::string_view AText);

String OpenTagText(std::string_view AName);
String CloseTagText(std::string_view AName);
String WriteTagText(std::string_view AName, std::string_view AValue);
String WriteTagInt64(std::string_view AName, int64_t AValue);
String WriteTagUInt(std::string_view AName, uint32_t AValue);
// The tag, CR LF, the text, CR LF and the closing tag.
String WriteTagBlock(std::string_view AName, std::string_view AText);
// The text between the first opening tag of AName at or after AStart (0-based) and the next
// closing tag; empty when either is missing.
String ReadTagText(std::string_view AText, std::string_view AName, size_t AStart = 0);
// That text as a number; 0 when missing or not a number.
int64_t ReadTagInt64(std::string_view AText, std::string_view AName, size_t AStart = 0);

// AValue / ADivisor with two decimals.
String FormatQuotient(double AValue, double ADivisor);
// "N bytes", then KB, MB and GB with two decimals.
String FormatByteSize(double ASize);
// Two upper-case hex digits per byte, each followed by ASeparator.
String BytesToHexText(std::span<const uint8_t> ABytes, std::string_view ASeparator);

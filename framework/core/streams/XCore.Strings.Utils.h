// XCore.Strings.Utils.h: texts for sizes, durations and dimensions, Boolean texts, text files
// in the system ANSI code page, and the character fold that keeps credentials out of plain
// sight. Folding counts characters, never splitting a UTF-8 sequence.
#pragma once

#include <cstdint>
#include <string_view>

#include "Rtl.Streams.h"
#include "Rtl.Types.h"

// "%0.2f KB" of ASize / 1024 below ALimitKB kilobytes, otherwise "%0.2f MB" of ASize / 1048576.
String FormatSizeKBMB(int64_t ALimitKB, double ASize);
// "h HoursWord m MinutesWord" from an hour up, otherwise "m MinutesWord s SecondsWord".
// A negative count reads as 0.
String FormatDuration(const String& AHoursWord, const String& AMinutesWord, const String& ASecondsWord,
                      int64_t ASeconds);
// "640x480".
String FormatDimensions(int32_t AWidth, int32_t AHeight);
// False for an empty text; by the first letter for T... and F...; otherwise True for a non-zero
// integer (a text that is no number is False).
bool ParseBoolText(std::string_view AText);

// ACount bytes from the position (-1: up to the end, 0: none) in the system ANSI code page.
// False, with AText as it was, when the stream holds fewer or cannot be read.
[[nodiscard]] bool ReadStreamText(TStream* AStream, int64_t ACount, String& AText);
// Creates or replaces the file with AText in the system ANSI code page, through a temporary
// file; raises EFCreateError or EWriteError.
void SaveTextToFile(const String& AFileName, const String& AText);
// The whole file in the system ANSI code page; raises EFOpenError or EReadError.
String LoadTextFromFile(const String& AFileName);

// "abcde" becomes "aebdc": first, last, second, second-last ..., the middle one once.
String FoldText(std::string_view AText);
// Undoes FoldText.
String UnfoldText(std::string_view AFolded);

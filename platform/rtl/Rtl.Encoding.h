// Rtl.Encoding.h: text encodings between our UTF-8 strings and bytes: UTF-8, UTF-16 in both byte
// orders and the "system ANSI code page" (Windows-1252), with byte-order marks.
// Decoding never fails: a malformed sequence becomes U+FFFD. 1252 is byte-transparent here.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "Rtl.Types.h"

// An encoding is a shared, immutable instance; compare encodings by pointer.
class TEncoding {
public:
    TEncoding(const TEncoding&) = delete;
    TEncoding& operator=(const TEncoding&) = delete;
    virtual ~TEncoding() = default;

    // With the byte-order mark EF BB BF as preamble.
    static const TEncoding* UTF8();
    // UTF-16 little-endian, preamble FF FE.
    static const TEncoding* Unicode();
    // UTF-16 big-endian, preamble FE FF.
    static const TEncoding* BigEndianUnicode();
    // Windows-1252 without preamble. The five bytes 1252 leaves undefined (81, 8D, 8F, 90, 9D)
    // stand for U+0081, U+008D, U+008F, U+0090 and U+009D, so every byte string round-trips;
    // a character 1252 cannot hold is written as "?".
    static const TEncoding* ANSI();

    // AText is UTF-8; a malformed sequence in it is encoded as U+FFFD. No preamble is added.
    TBytes GetBytes(std::string_view AText) const;
    // The text as UTF-8. A preamble at the start is not skipped: it decodes as U+FEFF.
    String GetString(std::span<const uint8_t> ABytes) const;
    virtual TBytes GetPreamble() const = 0;

    // Without AEncoding: sets it to the encoding whose byte-order mark starts ABuffer, or to
    // ADefault when there is none, and answers the mark's length (0 without one). With
    // AEncoding set: answers the length of its own preamble when ABuffer starts with it, else 0.
    static size_t GetBufferEncoding(std::span<const uint8_t> ABuffer, const TEncoding*& AEncoding,
                                    const TEncoding* ADefault);

protected:
    TEncoding() = default;
    virtual void Encode(char32_t ACodePoint, TBytes& AOut) const = 0;
    // Reads one character at AFrom (before AEnd), consuming at least one byte.
    virtual char32_t Decode(const uint8_t*& AFrom, const uint8_t* AEnd) const = 0;
};

// UTF-8 and UTF-16 in memory, for code that needs UTF-16 units (Windows-sized texts, say).
// Malformed input becomes U+FFFD, as when decoding bytes.
std::u16string Utf8ToUtf16(std::string_view AText);
String Utf16ToUtf8(std::u16string_view AText);
// The number of characters (code points) of a UTF-8 text; each malformed sequence counts as one.
size_t CodePointCount(std::string_view AText);
// The byte length of the UTF-8 character at APos (below AText's size); 1 for a malformed or cut
// sequence, so that a walk never stalls and never splits a well-formed character.
size_t Utf8CharLength(std::string_view AText, size_t APos);

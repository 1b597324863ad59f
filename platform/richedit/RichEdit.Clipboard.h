// RichEdit.Clipboard.h: the formats the rich edit cuts, copies and pastes, and where they go.
// The store is process-wide and in memory; a desktop clipboard plugs in by replacing it
// (SetRichClipboard), so the editor never knows which one it talks to. UI thread only.
#pragma once

#include <map>

#include "Rtl.Types.h"

inline constexpr const char* CF_RTF = "Rich Text Format";
inline constexpr const char* CF_RTFNOOBJS = "Rich Text Format Without Objects";
inline constexpr const char* CF_UNICODETEXT_NAME = "UTF8_STRING";
// A device-independent bitmap: a BMP file's bytes without the 14-byte file header.
inline constexpr const char* CF_DIB_NAME = "image/bmp";

class TRichClipboard {
public:
    virtual ~TRichClipboard() = default;
    // Replaces the whole content by the formats given (name to bytes).
    virtual void SetFormats(std::map<String, String> AFormats) = 0;
    virtual bool HasFormat(const String& AFormat) const = 0;
    // False when the format is not there.
    virtual bool GetFormat(const String& AFormat, String& AData) const = 0;
    virtual void Clear() = 0;
};

class TRichMemoryClipboard : public TRichClipboard {
public:
    void SetFormats(std::map<String, String> AFormats) override { FFormats = std::move(AFormats); }
    bool HasFormat(const String& AFormat) const override { return FFormats.contains(AFormat); }
    bool GetFormat(const String& AFormat, String& AData) const override;
    void Clear() override { FFormats.clear(); }

private:
    std::map<String, String> FFormats;
};

// The clipboard in use (an in-memory one until another is set); never nullptr.
TRichClipboard* RichClipboard();
// Not owned; nullptr goes back to the in-memory one.
void SetRichClipboard(TRichClipboard* AClipboard);

// Vcl.Clipbrd.h: the clipboard the controls cut to, copy to and paste from: the desktop's, shared
// with other programs (on X11 the CLIPBOARD selection). Text is UTF-8; bitmaps travel as BMP
// files ("image/bmp"); rich text as "text/rtf". UI thread only.
#pragma once

#include <string>
#include <vector>

#include "Display.Backend.h"
#include "Rtl.Classes.h"

class TBitmap;

inline constexpr uint16_t CF_TEXT = 1;
inline constexpr uint16_t CF_BITMAP = 2;
inline constexpr uint16_t CF_DIB = 8;
inline constexpr uint16_t CF_UNICODETEXT = 13;

// A format of the program's own by its name ("Rich Text Format"): the same id, from 0xC000,
// for the same name; 0 for an empty name.
uint16_t RegisterClipboardFormat(const String& AName);

class TClipboard : public TPersistent {
    X_CLASS(TClipboard, TPersistent)
public:
    // Between Open and Close the formats set are gathered into one offer; a format set
    // outside replaces what the clipboard held. Opens nest.
    void Open();
    void Close();
    // "" when the clipboard holds no text.
    String AsText() const;
    void SetAsText(const String& AValue);
    bool HasFormat(uint16_t AFormat) const;
    // The bytes of a format: UTF-8 for the text formats, a BMP file for CF_BITMAP and CF_DIB;
    // "" when the clipboard does not hold it.
    std::string GetAsBuffer(uint16_t AFormat) const;
    void SetBuffer(uint16_t AFormat, const std::string& AData);
    // Copies a TBitmap in (as CF_BITMAP); other sources raise as TPersistent does.
    void Assign(TPersistent* ASource) override;
    // Loads the clipboard's bitmap into ABitmap; False when it holds none or it is damaged.
    bool GetBitmap(TBitmap* ABitmap) const;
    void Clear();

protected:
    TClipboard() = default;

private:
    void Offer(const String& AMimeType, const std::string& AData);

    int FOpenCount = 0;
    std::vector<TXClipboardItem> FPending;   // gathered while open
};

TClipboard* Clipboard();

// Vcl.Clipbrd.h: the clipboard the controls cut to, copy to and paste from. UI thread only.
#pragma once

#include "Rtl.Classes.h"

inline constexpr uint16_t CF_TEXT = 1;
inline constexpr uint16_t CF_UNICODETEXT = 13;

class TClipboard : public TPersistent {
    X_CLASS(TClipboard, TPersistent)
public:
    // "" when the clipboard holds no text.
    String AsText() const { return FText; }
    void SetAsText(const String& AValue);
    bool HasFormat(uint16_t AFormat) const;
    void Clear();

protected:
    TClipboard() = default;

private:
    String FText;
    bool FHasText = false;
};

TClipboard* Clipboard();

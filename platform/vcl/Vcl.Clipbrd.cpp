// Vcl.Clipbrd.cpp: the clipboard, held in the process.
#include "Vcl.Clipbrd.h"

void TClipboard::SetAsText(const String& AValue)
{
    FText = AValue;
    FHasText = true;
}

bool TClipboard::HasFormat(uint16_t AFormat) const
{
    return FHasText && (AFormat == CF_TEXT || AFormat == CF_UNICODETEXT);
}

void TClipboard::Clear()
{
    FText.clear();
    FHasText = false;
}

TClipboard* Clipboard()
{
    static TClipboard* Instance = TClipboard::Create();
    return Instance;
}

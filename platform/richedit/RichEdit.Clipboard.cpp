#include "RichEdit.Clipboard.h"

namespace {

TRichMemoryClipboard GMemoryClipboard;
TRichClipboard* GClipboard = &GMemoryClipboard;

}  // namespace

bool TRichMemoryClipboard::GetFormat(const String& AFormat, String& AData) const
{
    auto It = FFormats.find(AFormat);
    if (It == FFormats.end())
        return false;
    AData = It->second;
    return true;
}

TRichClipboard* RichClipboard()
{
    return GClipboard;
}

void SetRichClipboard(TRichClipboard* AClipboard)
{
    GClipboard = AClipboard != nullptr ? AClipboard : &GMemoryClipboard;
}

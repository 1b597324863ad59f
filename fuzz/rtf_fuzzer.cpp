// Feeds arbitrary bytes to the rich edit's RTF reader as a whole document and as a selection,
// writes what was read and reads that again: the writer's output must always be RTF the reader
// takes. Nothing may crash, hang or grow without bound.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "RichEdit.Streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize)
{
    std::string_view Input(reinterpret_cast<const char*>(AData), ASize);
    TRichDocument Document;
    int32_t End = -1;
    if (!StreamIn(Document, 0, End, Input, SF_RTF))
        return 0;
    String Written = StreamOut(Document, 0, -1, SF_RTF);
    TRichDocument Again;
    End = -1;
    if (!StreamIn(Again, 0, End, Written, SF_RTF) || Again.Text(0, -1) != Document.Text(0, -1))
        std::abort();
    int32_t Middle = Document.Length() / 2;
    if (!StreamIn(Document, Middle, Middle, Input, SF_RTFNOOBJS | SFF_SELECTION))
        std::abort();
    (void)StreamOut(Document, 0, Middle, SF_RTF | SFF_SELECTION | SFF_PLAINRTF);
    return 0;
}

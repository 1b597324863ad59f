// Feeds arbitrary bytes to the XML object reader: the encoding detection, the parser and the
// walk that applies "p", "o" and "i" elements to an object with values, a sub-object, a
// collection and an object list. Bad documents may raise; nothing may crash or hang.
#include <cstddef>
#include <cstdint>

#include "Rtl.Lists.h"
#include "Rtl.Streams.h"
#include "Rtl.Strings.h"
#include "Rtl.TypInfo.h"
#include "XMLClasses.h"

namespace {

class TFuzzItem : public TCollectionItem {
    X_CLASS(TFuzzItem, TCollectionItem)
public:
    static void DeclareProperties(TPropertyDeclarer& P) { P.Property("Value", &TFuzzItem::FValue, &TFuzzItem::FValue); }
    int32_t FValue = 0;

protected:
    TFuzzItem() = default;
};

class TFuzzTarget : public TPersistent {
    X_CLASS(TFuzzTarget, TPersistent)
public:
    static void DeclareProperties(TPropertyDeclarer& P)
    {
        P.Property("Count", &TFuzzTarget::FCount, &TFuzzTarget::FCount);
        P.Property("Ratio", &TFuzzTarget::FRatio, &TFuzzTarget::FRatio);
        P.Property("Title", &TFuzzTarget::FTitle, &TFuzzTarget::FTitle);
        P.Property("Flag", &TFuzzTarget::FFlag, &TFuzzTarget::FFlag);
        P.Property("Lines", &TFuzzTarget::FLines, &TFuzzTarget::FLines);
        P.Property("Self", &TFuzzTarget::FSelf, &TFuzzTarget::FSelf);
        P.Property("Items", &TFuzzTarget::FItems, &TFuzzTarget::FItems);
        P.Property("Entries", &TFuzzTarget::FEntries, &TFuzzTarget::FEntries);
    }
    int32_t FCount = 0;
    double FRatio = 0;
    String FTitle;
    bool FFlag = false;
    TStringList* FLines = TStringList::Create();
    TFuzzTarget* FSelf = this;
    TCollection* FItems = TCollection::Create(TFuzzItem::StaticClass());
    TObjectList* FEntries = TObjectList::Create();

protected:
    TFuzzTarget() = default;
    ~TFuzzTarget() override
    {
        FEntries->Free();
        FItems->Free();
        FLines->Free();
    }
};

}  // namespace

// The program's start-up: what the library registers is there, as in the programs.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    RegisterCorePersistence();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize)
{
    static const bool Registered = (RegisterClass(TFuzzTarget::StaticClass()), true);
    (void)Registered;
    auto Stream = Owned(TMemoryStream::Create());
    Stream->WriteBuffer(AData, static_cast<int64_t>(ASize));
    auto Target = Owned(TFuzzTarget::Create());
    try {
        LoadObjectFromXMLStream(Target.get(), Stream.get());
    } catch (const Exception&) {
        // Refused documents raise; that is the answer, not a fault.
    }
    return 0;
}

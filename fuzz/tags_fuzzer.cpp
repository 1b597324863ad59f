// Feeds arbitrary text to the tagged text filer: a root element, a group object, a collection
// group and an object-list group whose elements name their classes. Truncated, nested and
// hostile text must read what is there; nothing may crash, hang or read out of bounds.
#include <cstddef>
#include <cstdint>

#include "XCore.Errors.h"
#include "XCore.Filer.Tag.h"
#include "XCore.Filer.h"
#include "XCore.Strings.h"

namespace {

class TFuzzThing : public TXNamedPersistent {
    X_CLASS(TFuzzThing, TXNamedPersistent)
public:
    String Text;

protected:
    TFuzzThing() = default;
};

const bool kRegistered = (RegisterClass(TFuzzThing::StaticClass()), true);

// Parses element texts the way the replies' groups do: nested tags inside the element.
class TFuzzGroup : public TXTagFilerGroup {
    X_CLASS(TFuzzGroup, TXTagFilerGroup)
public:
    bool ReadObjectText(const String& AText, TXProgress*, bool) override
    {
        static_cast<TFuzzThing*>(DataObject())->Text = ReadTag("title", AText);
        return true;
    }
    TObject* ReadItemText(TObject* AItem, const String& AText, bool, TXProgress*) override
    {
        if (auto* Thing = AsOrNull<TFuzzThing>(AItem))
            Thing->Text = ReadTag("bin", AText) + IntToStr(ReadTagInt("size", AText));
        return AItem;
    }

protected:
    TFuzzGroup() = default;
};

}  // namespace

// The program's start-up: what the library registers is there, as in the programs.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    RegisterCoreStreams();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize)
{
    String Text(reinterpret_cast<const char*>(AData), ASize);
    auto Info = Owned(TFuzzThing::Create());
    auto Items = Owned(XCore::Collections::TXCollection<TXCollectionItem>::Create(nullptr));
    auto List = Owned(XCore::Collections::TXObjectList<TFuzzThing>::Create());
    auto Filer = Owned(TXTagFiler::Create());
    Filer->PrepareGroups(Items.get(), 0, {});
    Filer->SetRootTag("reply");
    auto* Group = static_cast<TFuzzGroup*>(
        Filer->Groups()->AddNamedGroup(Filer.get(), TFuzzGroup::StaticClass(), Items.get(), Info.get(), "toc"));
    Group->SetObjectTag("info");
    Group->SetItemTag("toc_item");
    Group = static_cast<TFuzzGroup*>(
        Filer->Groups()->AddNamedGroup(Filer.get(), TFuzzGroup::StaticClass(), List.get(), nullptr, "wfp"));
    Group->SetItemTag("wfp_item");
    (void)Filer->LoadFromString(Text, nullptr, false);
    ClearError();
    return 0;
}

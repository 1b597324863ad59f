#include "XCore.Filer.Tag.h"

#include <span>
#include <string_view>

#include "Rtl.Encoding.h"
#include "Rtl.Lists.h"
#include "XCore.Errors.h"
#include "XCore.Strings.h"
#include "XCore.Types.h"

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// The name a written item element carries: a collection item's display name, a named
// persistent's name; False for any other object.
bool ItemName(TObject* AItem, String& AName)
{
    if (auto* Item = AsOrNull<TCollectionItem>(AItem)) {
        AName = Item->GetDisplayName();
        return true;
    }
    if (auto* Named = AsOrNull<TXNamedPersistent>(AItem)) {
        AName = Named->GetName();
        return true;
    }
    return false;
}

// Names come from the wire: malformed UTF-8 becomes U+FFFD rather than reaching the items.
String DecodeName(std::string_view AElement)
{
    String Raw = ExtractBetween("name=\"", "\"", AElement);
    return TEncoding::UTF8()->GetString(std::span(reinterpret_cast<const uint8_t*>(Raw.data()), Raw.size()));
}

// Calls AVisit(Name, Element) for each element named AItemTag in ASection, in order. The
// element is the text after "<" AItemTag up to its closing tag, so it starts with the
// attribute part. An element without its closing tag ends the scan.
template <class TVisit>
void ScanItemElements(std::string_view ASection, const String& AItemTag, TVisit AVisit)
{
    if (AItemTag.empty())
        return;
    const String Open = "<" + AItemTag;
    const String Close = CloseTag(AItemTag);
    size_t Pos = 0;
    for (;;) {
        size_t At = ASection.find(Open, Pos);
        if (At == std::string_view::npos)
            return;
        size_t After = At + Open.size();
        if (After == ASection.size())
            return;
        if (ASection[After] != ' ' && ASection[After] != '>') {
            Pos = After;   // a longer tag name ("<items" for "item")
            continue;
        }
        size_t End = ASection.find(Close, After);
        if (End == std::string_view::npos)
            return;
        std::string_view Element = ASection.substr(After, End - After);
        Pos = End + Close.size();
        AVisit(DecodeName(Element), String(Element));
    }
}

// The text of the first element named ATag; empty without a tag or an element.
String ElementText(const String& ATag, const String& AText)
{
    return ATag.empty() ? String() : ReadTag(ATag, AText);
}

void NameObject(TObject* AObject, const String& AName)
{
    if (auto* Named = AsOrNull<TXNamedPersistent>(AObject))
        Named->SetName(AName);
}

}  // namespace

// ---- TXTagFilerGroup ---------------------------------------------------------------------

bool TXTagFilerGroup::WriteObjectText(String& AText, TXProgress*, bool ARaise)
{
    AText.clear();
    bool OK = Guarded([&] {
        if (DataObject() != nullptr && !FObjectTag.empty())
            AText = RawWriteTag(FObjectTag, GetObjectText()) + String(kLineEnd);
    });
    return ReportFilerResult(OK, kErrWrite, ARaise);
}

bool TXTagFilerGroup::WriteItemText(TObject* AItem, String& AText, bool ARaise, TXProgress*)
{
    AText.clear();
    bool OK = Guarded([&] {
        if (AItem == nullptr)
            return;
        String Name;
        if (ItemName(AItem, Name))
            AText = RawWriteTagNamed(FItemTag, Name, GetItemText(AItem)) + String(kLineEnd);
        else
            AText = RawWriteTag(FItemTag, GetItemText(AItem));
    });
    return ReportFilerResult(OK, kErrWrite, ARaise);
}

bool TXTagFilerGroup::WriteText(String& AText, TXProgress* AProgress, bool ARaise)
{
    bool OK = inherited::WriteText(AText, AProgress, false);
    if (OK && !Name().empty())
        AText = RawWriteTag(Name(), AText) + String(kLineEnd);
    return ReportFilerResult(OK, kErrWrite, ARaise);
}

// ---- TXTagFiler --------------------------------------------------------------------------

bool TXTagFiler::ReadString(const String& AText, TXProgress* AProgress, bool ARaise)
{
    bool OK = GuardedStep([&] {
        // The root element is only required, not stripped: groups are found in the whole text.
        if (!FRootTag.empty() && AText.find(FRootTag) == String::npos)
            return false;
        for (int I = 0; I < Groups()->Count(); ++I) {
            auto* Group = AsOrNull<TXTagFilerGroup>(Groups()->Groups(I));
            if (Group == nullptr)
                continue;
            String Section = Group->Name().empty() ? AText : ElementText(Group->Name(), AText);
            if (Group->DataObject() != nullptr && !Group->ObjectTag().empty())
                (void)Group->ReadObjectText(ElementText(Group->ObjectTag(), Section), AProgress, false);
            if (Group->Name().empty())
                continue;
            if (auto* Collection = AsOrNull<TCollection>(Group->Items()))
                ReadCollection(Group, Collection, Section, AProgress);
            else if (auto* List = AsOrNull<TObjectList>(Group->Items()))
                ReadObjectList(Group, List, Section, AProgress);
        }
        return true;
    });
    return ReportFilerResult(OK, kErrRead, ARaise);
}

bool TXTagFiler::SaveToString(String& AText, TXProgress* AProgress, bool ARaise)
{
    bool OK = inherited::SaveToString(AText, AProgress, false);
    if (OK && !FRootTag.empty())
        AText = RawWriteTag(FRootTag, AText);
    return ReportFilerResult(OK, kErrWrite, ARaise);
}

void TXTagFiler::ReadCollection(TXTagFilerGroup* AGroup, TCollection* ACollection, const String& AText,
                                TXProgress* AProgress)
{
    ScanItemElements(AText, AGroup->ItemTag(), [&](const String& AName, const String& AElement) {
        TCollectionItem* Item = ACollection->Add();
        Item->SetDisplayName(AName);
        (void)AGroup->ReadItemText(Item, AElement, false, AProgress);
    });
}

void TXTagFiler::ReadObjectList(TXTagFilerGroup* AGroup, TObjectList* AList, const String& AText,
                                TXProgress* AProgress)
{
    ScanItemElements(AText, AGroup->ItemTag(), [&](const String& AName, const String& AElement) {
        String ClassName = UnescapeXMLEntities(ReadTag("class", AElement));
        if (!ClassName.empty()) {
            // The text may name any registered class: only the list's own are made.
            TClass Class = GetClass(ClassName);
            if (Class == nullptr || !CheckReadableItemClass(AList, Class))
                return;   // a class this program does not know, or one the list does not hold
            TObject* Created = CreateInstanceOf(Class);
            if (Created == nullptr)
                return;
            TObject* Item = AGroup->ReadItemText(Created, AElement, false, AProgress);
            if (Item == nullptr || !Item->ClassType()->InheritsFrom(ReadableItemClass(AList))) {
                Created->Free();
                return;
            }
            NameObject(Item, AName);
            AList->Add(Item);
        } else if (auto* Framework = AsOrNull<XCore::Collections::TXCustomObjectList>(AList)) {
            TObject* Item = Framework->AddNew();
            if (Item == nullptr)
                return;
            (void)AGroup->ReadItemText(Item, AElement, false, AProgress);
            NameObject(Item, AName);
        }
    });
}

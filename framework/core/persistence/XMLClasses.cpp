// XMLClasses.cpp: the binding classes and the walkers between published properties and
// "o" elements.
#include "XMLClasses.h"

#include <algorithm>
#include <vector>

#include "Rtl.Encoding.h"
#include "Rtl.Lists.h"
#include "Rtl.Streams.h"
#include "Rtl.Strings.h"
#include "Rtl.TypInfo.h"
#include "XCore.Filer.h"
#include "XCore.Types.h"
#include "XCore.WinUtils.h"
#include "XObjectFiler.h"

namespace {

// A node seen through one of its binding interfaces; empty for an empty node.
template <class I>
TIntf<I> Bound(const TIntf<IXMLNode>& ANode)
{
    TIntf<I> Result;
    if (ANode && !Supports(ANode.Get(), Result))
        throw EInvalidCast(SInvalidCast);
    return Result;
}

}  // namespace

// ---- Binding classes ---------------------------------------------------------------------

void TXMLObjectsType::AfterConstruction()
{
    inherited::AfterConstruction();
    RegisterChildNode("o", TXMLObjectType::StaticClass());
}

TIntf<IXMLObjectType> TXMLObjectsType::O()
{
    return Bound<IXMLObjectType>(ChildNodes()->FindNode("o"));
}

void TXMLObjectType::AfterConstruction()
{
    inherited::AfterConstruction();
    RegisterChildNode("p", TXMLPropertyType::StaticClass());
    RegisterChildNode("o", TXMLObjectType::StaticClass());
    RegisterChildNode("i", TXMLObjectType::StaticClass());
    FP = CreateCollection<TXMLPropertyTypeList>("p");
    FO = CreateCollection<TXMLObjectTypeList>("o");
    FI = CreateCollection<TXMLObjectTypeList>("i");
}

String TXMLObjectType::Name()
{
    return Attributes("name");
}

String TXMLObjectType::Type()
{
    return Attributes("type");
}

TIntf<IXMLPropertyTypeList> TXMLObjectType::P()
{
    return FP;
}

TIntf<IXMLObjectTypeList> TXMLObjectType::O()
{
    return FO;
}

TIntf<IXMLObjectTypeList> TXMLObjectType::I()
{
    return FI;
}

void TXMLObjectType::SetName(const String& AValue)
{
    SetAttribute("name", AValue);
}

void TXMLObjectType::SetType(const String& AValue)
{
    SetAttribute("type", AValue);
}

TIntf<IXMLObjectType> TXMLObjectTypeList::Add()
{
    return Bound<IXMLObjectType>(AddItem(-1));
}

TIntf<IXMLObjectType> TXMLObjectTypeList::Insert(int AIndex)
{
    return Bound<IXMLObjectType>(AddItem(AIndex));
}

TIntf<IXMLObjectType> TXMLObjectTypeList::Items(int AIndex)
{
    return Bound<IXMLObjectType>(Nodes(AIndex));
}

String TXMLPropertyType::Name()
{
    return Attributes("name");
}

String TXMLPropertyType::Type()
{
    return Attributes("type");
}

void TXMLPropertyType::SetName(const String& AValue)
{
    SetAttribute("name", AValue);
}

void TXMLPropertyType::SetType(const String& AValue)
{
    SetAttribute("type", AValue);
}

TIntf<IXMLPropertyType> TXMLPropertyTypeList::Add()
{
    return Bound<IXMLPropertyType>(AddItem(-1));
}

TIntf<IXMLPropertyType> TXMLPropertyTypeList::Insert(int AIndex)
{
    return Bound<IXMLPropertyType>(AddItem(AIndex));
}

TIntf<IXMLPropertyType> TXMLPropertyTypeList::Items(int AIndex)
{
    return Bound<IXMLPropertyType>(Nodes(AIndex));
}

// ---- Walking objects ---------------------------------------------------------------------

namespace {

// The objects being walked, outermost first. An object met again below itself (a property
// that leads back to an owner) is not walked again, so a cycle in the object graph, or a
// crafted document nested deeper than the objects are, cannot recurse without end.
class TWalkPath {
public:
    explicit TWalkPath(const TXMLObjectForm& AForm) : Form(AForm) {}
    const TXMLObjectForm& Form;
    bool Contains(TObject* AObj) const { return std::find(FObjects.begin(), FObjects.end(), AObj) != FObjects.end(); }
    void Push(TObject* AObj) { FObjects.push_back(AObj); }
    void Pop() { FObjects.pop_back(); }

private:
    std::vector<TObject*> FObjects;
};

class TWalkStep {
public:
    TWalkStep(TWalkPath& APath, TObject* AObj) : FPath(APath) { FPath.Push(AObj); }
    ~TWalkStep() { FPath.Pop(); }
    TWalkStep(const TWalkStep&) = delete;
    TWalkStep& operator=(const TWalkStep&) = delete;

private:
    TWalkPath& FPath;
};

// The value of a property of a value kind as text; False for the kinds that are not written.
bool ValueText(TObject* AObj, const TPropInfo* AProp, String& AText)
{
    switch (AProp->Kind()) {
        case tkInteger:
            AText = IntToStr(GetOrdProp(AObj, AProp));
            return true;
        case tkEnumeration:
            AText = GetEnumProp(AObj, AProp);
            return true;
        case tkFloat:
            AText = FloatToStr(GetFloatProp(AObj, AProp));
            return true;
        case tkSet:
            AText = GetSetProp(AObj, AProp, true);
            return true;
        case tkUString:
            AText = GetStrProp(AObj, AProp);
            return true;
        case tkInt64:
            AText = IntToStr(GetInt64Prop(AObj, AProp));
            return true;
        default:
            return false;
    }
}

// Numbers that do not parse read as 0; names that are unknown raise, so the caller skips them.
void ApplyText(TObject* AObj, const TPropInfo* AProp, const String& AText)
{
    switch (AProp->Kind()) {
        case tkInteger:
            SetOrdProp(AObj, AProp, StrToInt64Def(AText, 0));
            break;
        case tkEnumeration:
            SetEnumProp(AObj, AProp, AText);
            break;
        case tkFloat: {
            double Value = 0;
            SetFloatProp(AObj, AProp, TryStrToFloat(AText, Value) ? Value : 0);
            break;
        }
        case tkSet:
            SetSetProp(AObj, AProp, AText);
            break;
        case tkUString:
            SetStrProp(AObj, AProp, AText);
            break;
        case tkInt64:
            SetInt64Prop(AObj, AProp, StrToInt64Def(AText, 0));
            break;
        case tkClass:
            if (auto* Strings = AsOrNull<TStrings>(GetObjectProp(AObj, AProp)))
                Strings->SetText(AText);
            break;
        default:
            break;
    }
}

bool WriteObject(TObject* AObj, IXMLObjectType* ANode, TWalkPath& APath);
bool ReadObject(TObject* AObj, IXMLObjectType* ANode, TWalkPath& APath);

void AddValue(IXMLObjectType* ANode, const String& AName, const String& AText)
{
    TIntf<IXMLPropertyType> P = ANode->P()->Add();
    P->SetName(AName);
    P->SetText(AText);
}

void WriteProperty(TObject* AObj, const TPropInfo* AProp, IXMLObjectType* ANode, TWalkPath& APath)
{
    if (!IsStoredProp(AObj, AProp))
        return;
    if (AProp->Kind() != tkClass) {
        String Text;
        if (!IsDefaultPropertyValue(AObj, AProp) && ValueText(AObj, AProp, Text))
            AddValue(ANode, AProp->Name(), Text);
        return;
    }
    TObject* Value = GetObjectProp(AObj, AProp);
    if (Value == nullptr || APath.Contains(Value) || (APath.Form.SkipStreams && Value->Is<TStream>()))
        return;
    if (auto* Strings = AsOrNull<TStrings>(Value)) {
        AddValue(ANode, AProp->Name(), Strings->Text());
        return;
    }
    TIntf<IXMLObjectType> Child = ANode->O()->Add();
    Child->SetName(AProp->Name());
    WriteObject(Value, Child.Get(), APath);
}

bool WriteObject(TObject* AObj, IXMLObjectType* ANode, TWalkPath& APath)
{
    if (AObj == nullptr || ANode == nullptr)
        return true;
    TWalkStep Step(APath, AObj);
    try {
        for (const TPropInfo* Prop : GetPropList(AObj)) {
            try {
                WriteProperty(AObj, Prop, ANode, APath);
            } catch (const std::exception&) {
                // A property that cannot be written is left out; the rest still is.
            }
        }
        if (auto* Collection = AsOrNull<TCollection>(AObj)) {
            for (int I = 0; I < Collection->Count(); ++I) {
                TIntf<IXMLObjectType> Item = ANode->I()->Add();
                Item->SetName(Collection->Items(I)->GetDisplayName());
                WriteObject(Collection->Items(I), Item.Get(), APath);
            }
        } else if (auto* List = AsOrNull<TObjectList>(AObj)) {
            for (int I = 0; I < List->Count(); ++I) {
                if (TObject* Entry = List->Items(I)) {
                    TIntf<IXMLObjectType> Item = ANode->I()->Add();
                    Item->SetType(Entry->ClassName());
                    WriteObject(Entry, Item.Get(), APath);
                }
            }
        } else if (auto* Persistent = AsOrNull<TPersistent>(AObj); Persistent && APath.Form.WriteDefined) {
            APath.Form.WriteDefined(Persistent, ANode);
        }
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void ApplyChild(TObject* AObj, const TIntf<IXMLNode>& AChild, TWalkPath& APath)
{
    const TPropInfo* Prop = GetPropInfo(AObj, AChild->Attributes("name"));
    if (Prop == nullptr)
        return;
    if (AChild->NodeName() == "p") {
        ApplyText(AObj, Prop, AChild->Text());
        return;
    }
    if (Prop->Kind() != tkClass)
        return;
    TObject* Value = GetObjectProp(AObj, Prop);
    if (Value != nullptr && !APath.Contains(Value))
        ReadObject(Value, Bound<IXMLObjectType>(AChild).Get(), APath);
}

void ReadCollection(TCollection* ACollection, IXMLObjectType* ANode, TWalkPath& APath)
{
    ACollection->Clear();
    TIntf<IXMLObjectTypeList> Items = ANode->I();
    for (int I = 0; I < Items->Count(); ++I) {
        TIntf<IXMLObjectType> Element = Items->Items(I);
        TCollectionItem* Item = ACollection->Add();
        Item->SetDisplayName(Element->Name());
        ReadObject(Item, Element.Get(), APath);
    }
}

// The list is not cleared: entries read are added to those it holds.
void ReadObjectList(TObjectList* AList, IXMLObjectType* ANode, TWalkPath& APath)
{
    TIntf<IXMLObjectTypeList> Items = ANode->I();
    for (int I = 0; I < Items->Count(); ++I) {
        TIntf<IXMLObjectType> Element = Items->Items(I);
        // The document may name any registered class: only the list's own are made.
        TClass Class = TryFindClass(Element->Type());
        if (Class == nullptr || !CheckReadableItemClass(AList, Class))
            continue;
        TObject* Entry = CreateInstanceOf(Class);
        if (Entry == nullptr)
            continue;
        AList->Add(Entry);
        ReadObject(Entry, Element.Get(), APath);
    }
}

bool ReadObject(TObject* AObj, IXMLObjectType* ANode, TWalkPath& APath)
{
    if (AObj == nullptr || ANode == nullptr)
        return false;
    TWalkStep Step(APath, AObj);
    try {
        TIntf<IXMLNodeList> Children = ANode->ChildNodes();
        for (int I = 0; I < Children->Count(); ++I) {
            TIntf<IXMLNode> Child = Children->Nodes(I);
            // "i" elements are items, whatever their names: only "p" and "o" name properties.
            if (Child->NodeName() != "p" && Child->NodeName() != "o")
                continue;
            try {
                ApplyChild(AObj, Child, APath);
            } catch (const std::exception&) {
                // A value that does not fit its property leaves the property as it was.
            }
        }
        if (auto* Collection = AsOrNull<TCollection>(AObj))
            ReadCollection(Collection, ANode, APath);
        else if (auto* List = AsOrNull<TObjectList>(AObj))
            ReadObjectList(List, ANode, APath);
        else if (auto* Persistent = AsOrNull<TPersistent>(AObj); Persistent && APath.Form.ReadDefined)
            APath.Form.ReadDefined(Persistent, ANode);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

TXMLObjectForm XMLObjectForm;

bool WriteObjectToXMLNode(TObject* AObj, IXMLObjectType* ANode, const TXMLObjectForm& AForm)
{
    TWalkPath Path(AForm);
    return WriteObject(AObj, ANode, Path);
}

bool ReadObjectFromXMLNode(TObject* AObj, IXMLObjectType* ANode, const TXMLObjectForm& AForm)
{
    TWalkPath Path(AForm);
    return ReadObject(AObj, ANode, Path);
}

// ---- Documents ---------------------------------------------------------------------------

TIntf<IXMLObjectsType> NewObjectsDocument()
{
    TIntf<IXMLDocument> Document = TXMLDocument::Create(nullptr);
    Document->SetActive(true);
    Document->SetVersion("1.0");
    return GetObjectsRoot(Document.Get());
}

TIntf<IXMLObjectsType> GetObjectsRoot(IXMLDocument* ADocument)
{
    return Bound<IXMLObjectsType>(ADocument->GetDocBinding("objects", TXMLObjectsType::StaticClass()));
}

void ObjectToXMLStream(TObject* AObj, TStream* AStream, bool AIndented, const TXMLObjectForm& AForm)
{
    TIntf<IXMLObjectsType> Root = NewObjectsDocument();
    TIntf<IXMLDocument> Document = Root->OwnerDocument();
    Document->SetOptions(AIndented ? TXMLDocOptions{doNodeAutoIndent} : TXMLDocOptions{});
    Document->SetEncoding("UTF-8");
    Document->SetVersion("1.0");
    TIntf<IXMLObjectType> Element = Bound<IXMLObjectType>(Root->AddChild("o"));
    if (auto* Component = AsOrNull<TComponent>(AObj))
        Element->SetName(Component->Name());
    // A document that lacks part of the object must not pass for the object.
    if (!WriteObjectToXMLNode(AObj, Element.Get(), AForm))
        throw EXMLDocError("The object could not be written as XML");
    Document->SaveToStream(AStream);
}

void ObjectToXMLText(TObject* AObj, bool AIndented, String& AText)
{
    auto Stream = Owned(TMemoryStream::Create());
    ObjectToXMLStream(AObj, Stream.get(), AIndented);
    AText = TEncoding::ANSI()->GetString({Stream->Memory(), static_cast<size_t>(Stream->Size())});
}

void LoadObjectFromXMLStream(TObject* AObj, TStream* AStream, const TXMLObjectForm& AForm)
{
    if (AStream->Size() == 0)
        return;
    TIntf<IXMLDocument> Document = TXMLDocument::Create(nullptr);
    Document->LoadFromStream(AStream);
    TIntf<IXMLObjectsType> Root = GetObjectsRoot(Document.Get());
    TIntf<IXMLObjectType> Element = Root->O();
    // A well-formed document of another kind holds no stored object: reading nothing from it
    // must not pass for a load.
    if (Root->NodeName() != "objects")
        throw EXMLDocError("The document holds no stored object");
    if (Element && !ReadObjectFromXMLNode(AObj, Element.Get(), AForm))
        throw EXMLDocError("The object could not be read from XML");
}

void LoadObjectFromXMLString(TObject* AObj, const String& AText)
{
    TBytes Bytes = TEncoding::ANSI()->GetBytes(AText);
    auto Stream = Owned(TMemoryStream::Create());
    Stream->WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    LoadObjectFromXMLStream(AObj, Stream.get());
}

// ---- Serializer hooks --------------------------------------------------------------------
// Installed at start-up, so every object written through the wrapping component is written as
// XML.

namespace {

String XMLObjectToText(TComponent* AObj)
{
    String Text;
    ObjectToXMLText(AObj, false, Text);
    return Text;
}

TComponent* XMLTextToObject(const String& AText, TComponent* AComponent)
{
    LoadObjectFromXMLString(AComponent, AText);
    return AComponent;
}

void XMLObjectToStream(TComponent* AObj, TStream* AStream)
{
    ObjectToXMLStream(AObj, AStream, false);
}

TComponent* XMLStreamToObject(TStream* AStream, TComponent* AObj)
{
    LoadObjectFromXMLStream(AObj, AStream);
    return AObj;
}

}  // namespace

void RegisterCorePersistence()
{
    // Once only: a program's own form of the format, registered after this, may replace hooks.
    static const bool Installed = [] {
        RegisterCoreStreams();
        ObjectToTextHook = &XMLObjectToText;
        TextToObjectHook = &XMLTextToObject;
        ObjectToStreamHook = &XMLObjectToStream;
        StreamToObjectHook = &XMLStreamToObject;
        RegisterCustomCursors();
        return true;
    }();
    (void)Installed;
}

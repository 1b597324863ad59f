// Xml.XMLDoc.cpp: documents over pugixml. Text is decoded to UTF-8 before pugixml sees it, so
// the parser only ever reads UTF-8 and every encoding is handled in one place.
#include "Xml.XMLDoc.h"

#include <iconv.h>

#include <algorithm>
#include <span>
#include <unordered_map>

#include <pugixml.hpp>

#include "Rtl.Encoding.h"
#include "Rtl.Streams.h"

namespace {

// Line ends are kept as they stand: a value written with CR LF reads back with CR LF. A text
// of blanks that is its element's only child is a value and is kept; blanks between elements
// are layout and are dropped. Parsed as a fragment, text beside the root element is kept, so
// that CheckDocumentLevel can refuse it rather than the parser dropping it unseen.
constexpr unsigned kParseOptions = (pugi::parse_default & ~pugi::parse_eol) | pugi::parse_declaration
                                   | pugi::parse_ws_pcdata_single | pugi::parse_fragment;

constexpr const char* kDetached = "The node no longer belongs to a document";

pugi::xml_node Node(pugi::xml_node_struct* ANode)
{
    return pugi::xml_node(ANode);
}

bool IsNameStart(unsigned char C)
{
    return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_' || C == ':' || C >= 0x80;
}

// An XML name; characters outside ASCII are all taken as name characters.
bool IsXMLName(std::string_view AName)
{
    if (AName.empty() || !IsNameStart(static_cast<unsigned char>(AName[0])))
        return false;
    for (unsigned char C : AName)
        if (!IsNameStart(C) && !(C >= '0' && C <= '9') && C != '-' && C != '.')
            return false;
    return true;
}

void CheckName(std::string_view AName)
{
    if (!IsXMLName(AName))
        throw EXMLDocError("Invalid XML name: '" + String(AName) + "'");
}

// ---- Decoding ----------------------------------------------------------------------------

bool StartsWith(std::span<const uint8_t> ABytes, std::initializer_list<uint8_t> APrefix)
{
    return ABytes.size() >= APrefix.size() && std::equal(APrefix.begin(), APrefix.end(), ABytes.begin());
}

// The encoding named in the declaration of an 8-bit text; empty when it names none.
String DeclaredEncoding(std::span<const uint8_t> ABytes)
{
    std::string_view Text(reinterpret_cast<const char*>(ABytes.data()), std::min<size_t>(ABytes.size(), 256));
    if (!Text.starts_with("<?xml"))
        return {};
    Text = Text.substr(0, Text.find("?>"));
    size_t At = Text.find("encoding");
    if (At == std::string_view::npos)
        return {};
    At = Text.find_first_not_of(" \t\r\n=", At + 8);
    if (At == std::string_view::npos || (Text[At] != '"' && Text[At] != '\''))
        return {};
    size_t End = Text.find(Text[At], At + 1);
    return End == std::string_view::npos ? String() : String(Text.substr(At + 1, End - At - 1));
}

String ConvertWithIconv(std::span<const uint8_t> ABytes, const String& AEncoding)
{
    iconv_t Converter = iconv_open("UTF-8", AEncoding.c_str());
    if (Converter == reinterpret_cast<iconv_t>(-1))
        throw EDOMParseError("Unsupported encoding '" + AEncoding + "'");
    String Result(ABytes.size() * 4 + 4, '\0');
    char* In = const_cast<char*>(reinterpret_cast<const char*>(ABytes.data()));
    size_t InLeft = ABytes.size();
    char* Out = Result.data();
    size_t OutLeft = Result.size();
    size_t Done = iconv(Converter, &In, &InLeft, &Out, &OutLeft);
    iconv_close(Converter);
    if (Done == static_cast<size_t>(-1))
        throw EDOMParseError("Invalid " + AEncoding + " text at byte " + std::to_string(ABytes.size() - InLeft));
    Result.resize(Result.size() - OutLeft);
    return Result;
}

// The document text as UTF-8. A byte-order mark or the UTF-16 form of "<?" decides first;
// an 8-bit text is read in the encoding its declaration names.
String DecodeDocument(std::span<const uint8_t> ABytes)
{
    if (StartsWith(ABytes, {0xEF, 0xBB, 0xBF}))
        return String(ABytes.begin() + 3, ABytes.end());
    if (StartsWith(ABytes, {0xFF, 0xFE}))
        return TEncoding::Unicode()->GetString(ABytes.subspan(2));
    if (StartsWith(ABytes, {0xFE, 0xFF}))
        return TEncoding::BigEndianUnicode()->GetString(ABytes.subspan(2));
    if (StartsWith(ABytes, {'<', 0, '?', 0}))
        return TEncoding::Unicode()->GetString(ABytes);
    if (StartsWith(ABytes, {0, '<', 0, '?'}))
        return TEncoding::BigEndianUnicode()->GetString(ABytes);
    String Name = UpperCase(DeclaredEncoding(ABytes));
    // A declared 16- or 32-bit encoding cannot be right for bytes that read as 8-bit text.
    if (Name.empty() || Name == "UTF-8" || Name == "UTF8" || Name == "US-ASCII" || Name == "ASCII"
        || Name.starts_with("UTF-16") || Name.starts_with("UTF-32") || Name.starts_with("UCS-"))
        return String(ABytes.begin(), ABytes.end());
    // Our own table, which also gives the five bytes Windows-1252 leaves undefined.
    if (Name == "WINDOWS-1252" || Name == "CP1252")
        return TEncoding::ANSI()->GetString(ABytes);
    return ConvertWithIconv(ABytes, Name);
}

[[noreturn]] void RaiseParseError(const String& AText, ptrdiff_t AOffset, const String& AReason)
{
    size_t End = std::min(static_cast<size_t>(std::max<ptrdiff_t>(AOffset, 0)), AText.size());
    int Line = 1;
    int Column = 1;
    for (size_t I = 0; I < End; ++I) {
        if (AText[I] == '\n') {
            ++Line;
            Column = 1;
        } else if ((static_cast<unsigned char>(AText[I]) & 0xC0) != 0x80) {
            ++Column;
        }
    }
    throw EDOMParseError("XML parse error at line " + std::to_string(Line) + ", column " + std::to_string(Column)
                         + ": " + AReason);
}

// The parser takes several root elements or text beside the root; a document has one root.
void CheckDocumentLevel(const pugi::xml_document& ADocument, const String& AText)
{
    bool HasElement = false;
    for (pugi::xml_node Child : ADocument.children()) {
        if (Child.type() == pugi::node_pcdata || Child.type() == pugi::node_cdata)
            RaiseParseError(AText, Child.offset_debug(), "Text outside the document element");
        if (Child.type() == pugi::node_element) {
            if (HasElement)
                RaiseParseError(AText, Child.offset_debug(), "More than one document element");
            HasElement = true;
        }
    }
    if (!HasElement)
        RaiseParseError(AText, static_cast<ptrdiff_t>(AText.size()), "No document element found");
}

class TStringWriter : public pugi::xml_writer {
public:
    void write(const void* AData, size_t ASize) override { Text.append(static_cast<const char*>(AData), ASize); }
    String Text;
};

pugi::xml_node Declaration(const pugi::xml_document& ADocument)
{
    pugi::xml_node First = ADocument.first_child();
    return First.type() == pugi::node_declaration ? First : pugi::xml_node();
}

bool IsUTF8Name(std::string_view AName)
{
    return SameText(AName, "UTF-8") || SameText(AName, "UTF8");
}

}  // namespace

// ---- TXMLDocument ------------------------------------------------------------------------

struct TXMLDocument::TData {
    pugi::xml_document Document;
    bool Active = false;
    uint64_t ModCount = 0;
    std::vector<TXMLNode*> Nodes;
    std::vector<TXMLNodeList*> Lists;
    std::unordered_map<pugi::xml_node_struct*, TXMLNode*> NodeOf;
};

TXMLDocument::TXMLDocument() : FData(std::make_unique<TData>()) {}

TXMLDocument::~TXMLDocument()
{
    for (TXMLNodeList* List : FData->Lists)
        FreeAndNil(List);
    for (TXMLNode* Node : FData->Nodes)
        FreeAndNil(Node);
}

void TXMLDocument::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FCounted = AOwner == nullptr;
}

void TXMLDocument::AfterConstruction()
{
    inherited::AfterConstruction();
    --FRefCount;
}

HRESULT TXMLDocument::QueryInterface(const TGUID& AIID, void** AObj)
{
    return XRtlDetail::QueryInterfaceOf(this, static_cast<IXMLDocument*>(this), AIID, AObj);
}

int32_t TXMLDocument::_AddRef()
{
    return FCounted ? ++FRefCount : -1;
}

int32_t TXMLDocument::_Release()
{
    if (!FCounted)
        return -1;
    int32_t Count = --FRefCount;
    if (Count == 0)
        Free();
    return Count;
}

bool TXMLDocument::Active()
{
    return FData->Active;
}

void TXMLDocument::SetActive(bool AValue)
{
    if (AValue == FData->Active)
        return;
    DetachNodes();
    FData->Document.reset();
    FData->Active = AValue;
}

void TXMLDocument::CheckActive() const
{
    if (!FData->Active)
        throw EXMLDocError("No active document");
}

String TXMLDocument::Encoding()
{
    CheckActive();
    return Declaration(FData->Document).attribute("encoding").value();
}

String TXMLDocument::Version()
{
    CheckActive();
    return Declaration(FData->Document).attribute("version").value();
}

namespace {

// The declaration, made with version "1.0" when there is none: the version comes first.
pugi::xml_node EnsureDeclaration(pugi::xml_document& ADocument)
{
    pugi::xml_node Result = Declaration(ADocument);
    if (!Result) {
        Result = ADocument.prepend_child(pugi::node_declaration);
        Result.append_attribute("version") = "1.0";
    }
    return Result;
}

void SetDeclarationAttribute(pugi::xml_document& ADocument, const char* AName, const String& AValue)
{
    pugi::xml_node Declared = EnsureDeclaration(ADocument);
    pugi::xml_attribute Attribute = Declared.attribute(AName);
    if (!Attribute)
        Attribute = Declared.append_attribute(AName);
    Attribute.set_value(AValue.c_str());
}

}  // namespace

void TXMLDocument::SetEncoding(const String& AValue)
{
    CheckActive();
    SetDeclarationAttribute(FData->Document, "encoding", AValue);
}

void TXMLDocument::SetVersion(const String& AValue)
{
    CheckActive();
    SetDeclarationAttribute(FData->Document, "version", AValue);
}

void TXMLDocument::LoadFromStream(TStream* AStream)
{
    TBytes Bytes(static_cast<size_t>(AStream->Size()));
    AStream->SetPosition(0);
    AStream->ReadBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    SetActive(false);
    String Text = DecodeDocument(Bytes);
    pugi::xml_parse_result Result =
        FData->Document.load_buffer(Text.data(), Text.size(), kParseOptions, pugi::encoding_utf8);
    if (!Result) {
        FData->Document.reset();
        RaiseParseError(Text, Result.offset, Result.description());
    }
    try {
        CheckDocumentLevel(FData->Document, Text);
    } catch (...) {
        FData->Document.reset();
        throw;
    }
    FData->Active = true;
}

void TXMLDocument::SaveToStream(TStream* AStream)
{
    CheckActive();
    // The bytes are always UTF-8, so a document read in another encoding says so when written.
    pugi::xml_node Declared = Declaration(FData->Document);
    if (Declared && Declared.attribute("encoding") && !IsUTF8Name(Declared.attribute("encoding").value()))
        Declared.attribute("encoding").set_value("UTF-8");
    TStringWriter Writer;
    unsigned Flags = pugi::format_no_declaration
                     | (FOptions.Contains(doNodeAutoIndent) ? pugi::format_indent : pugi::format_raw);
    FData->Document.save(Writer, "  ", Flags, pugi::encoding_utf8);
    AStream->WriteBuffer(Writer.Text.data(), static_cast<int64_t>(Writer.Text.size()));
}

TIntf<IXMLNode> TXMLDocument::DocumentElement()
{
    CheckActive();
    pugi::xml_node Root = FData->Document.document_element();
    if (!Root)
        return nullptr;
    return NodeFor(Root.internal_object(), nullptr);
}

TIntf<IXMLNode> TXMLDocument::GetDocBinding(const String& ATagName, TClass ADocNodeClass)
{
    CheckActive();
    pugi::xml_node Root = FData->Document.document_element();
    if (!Root) {
        CheckName(ATagName);
        Root = FData->Document.append_child(ATagName.c_str());
        Modified();
    }
    return NodeFor(Root.internal_object(), ADocNodeClass);
}

// The slot is taken before the node is made, so that a node is never made without a place
// to keep it; a node whose construction raised leaves its slot empty.
TXMLNode* TXMLDocument::NewNode(TClass ANodeClass, pugi::xml_node_struct* ANode)
{
    size_t Slot = FData->Nodes.size();
    FData->Nodes.push_back(nullptr);
    FData->Nodes[Slot] = XCreateFromClass<TXMLNode>(ANodeClass, this, ANode);
    return FData->Nodes[Slot];
}

TXMLNode* TXMLDocument::NodeFor(pugi::xml_node_struct* ANode, TClass ANodeClass)
{
    TXMLNode*& Known = FData->NodeOf[ANode];
    if (Known != nullptr && (ANodeClass == nullptr || Known->ClassType() == ANodeClass))
        return Known;
    Known = NewNode(ANodeClass != nullptr ? ANodeClass : TXMLNode::StaticClass(), ANode);
    return Known;
}

TXMLNodeList* TXMLDocument::NewNodeList(TXMLNode* AOwner)
{
    FData->Lists.push_back(nullptr);
    FData->Lists.back() = TXMLNodeList::Create(AOwner);
    return FData->Lists.back();
}

uint64_t TXMLDocument::ModCount() const
{
    return FData->ModCount;
}

void TXMLDocument::Modified()
{
    ++FData->ModCount;
}

void TXMLDocument::DetachNodes()
{
    for (TXMLNode* Node : FData->Nodes)
        if (Node != nullptr)
            Node->FNode = nullptr;
    FData->NodeOf.clear();
    Modified();
}

// ---- TXMLNode ----------------------------------------------------------------------------

void TXMLNode::Construct(TXMLDocument* ADocument, pugi::xml_node_struct* ANode)
{
    FDocument = ADocument;
    FNode = ANode;
    switch (Node(ANode).type()) {
        case pugi::node_pcdata:
            FNodeType = ntText;
            break;
        case pugi::node_cdata:
            FNodeType = ntCData;
            break;
        case pugi::node_pi:
        case pugi::node_declaration:
            FNodeType = ntProcessingInstr;
            break;
        case pugi::node_doctype:
            FNodeType = ntDocType;
            break;
        default:
            FNodeType = ntElement;
    }
}

HRESULT TXMLNode::QueryInterface(const TGUID& AIID, void** AObj)
{
    return XRtlDetail::QueryInterfaceOf(this, static_cast<IXMLNode*>(this), AIID, AObj);
}

int32_t TXMLNode::_AddRef()
{
    return FDocument->_AddRef();
}

int32_t TXMLNode::_Release()
{
    return FDocument->_Release();
}

void TXMLNode::CheckAttached() const
{
    if (FNode == nullptr)
        throw EXMLDocError(kDetached);
}

String TXMLNode::NodeName()
{
    switch (FNodeType) {
        case ntText:
            return "#text";
        case ntCData:
            return "#cdata-section";
        case ntDocType:
            return "#doctype";
        default:
            return Node(FNode).name();
    }
}

TNodeType TXMLNode::NodeType()
{
    return FNodeType;
}

String TXMLNode::Text()
{
    pugi::xml_node Self = Node(FNode);
    return FNodeType == ntElement ? Self.text().get() : Self.value();
}

void TXMLNode::SetText(const String& AValue)
{
    CheckAttached();
    pugi::xml_node Self = Node(FNode);
    if (FNodeType != ntElement) {
        Self.set_value(AValue.c_str());
        return;
    }
    pugi::xml_text Text = Self.text();
    if (Text.empty())
        FDocument->Modified();   // a text child is added
    Text.set(AValue.c_str());
}

bool TXMLNode::HasAttribute(const String& AName)
{
    return static_cast<bool>(Node(FNode).attribute(AName.c_str()));
}

String TXMLNode::Attributes(const String& AName)
{
    return Node(FNode).attribute(AName.c_str()).value();
}

void TXMLNode::SetAttribute(const String& AName, const String& AValue)
{
    CheckAttached();
    if (FNodeType != ntElement)
        throw EXMLDocError("Only elements have attributes");
    CheckName(AName);
    pugi::xml_node Self = Node(FNode);
    pugi::xml_attribute Attribute = Self.attribute(AName.c_str());
    if (!Attribute)
        Attribute = Self.append_attribute(AName.c_str());
    Attribute.set_value(AValue.c_str());
}

TXMLNodeList* TXMLNode::List()
{
    if (FChildNodes == nullptr)
        FChildNodes = FDocument->NewNodeList(this);
    return FChildNodes;
}

TIntf<IXMLNodeList> TXMLNode::ChildNodes()
{
    return List();
}

TIntf<IXMLNode> TXMLNode::AddChild(const String& ATagName, int AIndex)
{
    CheckAttached();
    if (FNodeType != ntElement)
        throw EXMLDocError("Only elements have child elements");
    CheckName(ATagName);
    pugi::xml_node Self = Node(FNode);
    pugi::xml_node Child;
    // Appending looks at no list: a writer that appends many children stays linear.
    if (AIndex >= 0 && AIndex < List()->Count())
        Child = Self.insert_child_before(ATagName.c_str(), Node(List()->Items()[static_cast<size_t>(AIndex)]->FNode));
    else
        Child = Self.append_child(ATagName.c_str());
    FDocument->Modified();
    return FDocument->NodeFor(Child.internal_object(), ChildNodeClass(ATagName));
}

TIntf<IXMLDocument> TXMLNode::OwnerDocument()
{
    return static_cast<IXMLDocument*>(FDocument);
}

void TXMLNode::RegisterChildNode(const String& ATagName, TClass AChildNodeClass)
{
    for (auto& [Tag, Class] : FChildNodeClasses)
        if (Tag == ATagName) {
            Class = AChildNodeClass;
            return;
        }
    FChildNodeClasses.emplace_back(ATagName, AChildNodeClass);
}

TClass TXMLNode::ChildNodeClass(const String& ATagName) const
{
    for (const auto& [Tag, Class] : FChildNodeClasses)
        if (Tag == ATagName)
            return Class;
    return TXMLNode::StaticClass();
}

TXMLNodeCollection* TXMLNode::NewCollection(TClass ACollectionClass, const String& AItemTag)
{
    if (!ACollectionClass->InheritsFrom(TXMLNodeCollection::StaticClass()))
        throw EXMLDocError(ACollectionClass->ClassName() + " is no node collection class");
    auto* Result = static_cast<TXMLNodeCollection*>(FDocument->NewNode(ACollectionClass, FNode));
    Result->FOwner = this;
    Result->FItemTag = AItemTag;
    return Result;
}

// ---- TXMLNodeList ------------------------------------------------------------------------

void TXMLNodeList::Construct(TXMLNode* AOwner)
{
    FOwner = AOwner;
}

HRESULT TXMLNodeList::QueryInterface(const TGUID& AIID, void** AObj)
{
    return XRtlDetail::QueryInterfaceOf(this, this, AIID, AObj);
}

int32_t TXMLNodeList::_AddRef()
{
    return FOwner->FDocument->_AddRef();
}

int32_t TXMLNodeList::_Release()
{
    return FOwner->FDocument->_Release();
}

const std::vector<TXMLNode*>& TXMLNodeList::Items()
{
    TXMLDocument* Document = FOwner->FDocument;
    if (FBuiltAt == Document->ModCount())
        return FItems;
    FItems.clear();
    for (pugi::xml_node Child : Node(FOwner->FNode).children()) {
        TClass Class = Child.type() == pugi::node_element ? FOwner->ChildNodeClass(Child.name()) : nullptr;
        FItems.push_back(Document->NodeFor(Child.internal_object(), Class));
    }
    FBuiltAt = Document->ModCount();
    return FItems;
}

int TXMLNodeList::Count()
{
    return static_cast<int>(Items().size());
}

TIntf<IXMLNode> TXMLNodeList::Nodes(int AIndex)
{
    const std::vector<TXMLNode*>& List = Items();
    if (AIndex < 0 || AIndex >= static_cast<int>(List.size()))
        RaiseListIndexError(AIndex);
    return static_cast<IXMLNode*>(List[static_cast<size_t>(AIndex)]);
}

TIntf<IXMLNode> TXMLNodeList::FindNode(const String& ANodeName)
{
    for (TXMLNode* Child : Items())
        if (Child->FNodeType == ntElement && Child->NodeName() == ANodeName)
            return static_cast<IXMLNode*>(Child);
    return nullptr;
}

// ---- TXMLNodeCollection ------------------------------------------------------------------

const std::vector<TXMLNode*>& TXMLNodeCollection::ItemNodes()
{
    if (FBuiltAt == FDocument->ModCount())
        return FItems;
    FItems.clear();
    for (TXMLNode* Child : FOwner->List()->Items())
        if (Child->FNodeType == ntElement && Child->NodeName() == FItemTag)
            FItems.push_back(Child);
    FBuiltAt = FDocument->ModCount();
    return FItems;
}

int TXMLNodeCollection::Count()
{
    return static_cast<int>(ItemNodes().size());
}

TIntf<IXMLNode> TXMLNodeCollection::Nodes(int AIndex)
{
    const std::vector<TXMLNode*>& List = ItemNodes();
    if (AIndex < 0 || AIndex >= static_cast<int>(List.size()))
        RaiseListIndexError(AIndex);
    return static_cast<IXMLNode*>(List[static_cast<size_t>(AIndex)]);
}

TIntf<IXMLNodeList> TXMLNodeCollection::ChildNodes()
{
    return FOwner->ChildNodes();
}

TIntf<IXMLNode> TXMLNodeCollection::AddChild(const String& ATagName, int AIndex)
{
    return FOwner->AddChild(ATagName, AIndex);
}

TIntf<IXMLNode> TXMLNodeCollection::AddItem(int AIndex)
{
    if (AIndex < 0 || AIndex >= Count())
        return FOwner->AddChild(FItemTag);
    const std::vector<TXMLNode*>& List = ItemNodes();
    const std::vector<TXMLNode*>& Siblings = FOwner->List()->Items();
    auto At = std::find(Siblings.begin(), Siblings.end(), List[static_cast<size_t>(AIndex)]);
    return FOwner->AddChild(FItemTag, static_cast<int>(At - Siblings.begin()));
}

// Xml.XMLDoc.h: XML documents, their node objects and the data-binding bases over them.
// The document owns every node object it hands out and frees them with itself; when it is
// reloaded or deactivated, nodes handed out before stay valid objects but see nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "Rtl.Classes.h"
#include "Rtl.SysUtils.h"
#include "Xml.XMLIntf.h"

namespace pugi {
struct xml_node_struct;
}

class TXMLNode;
class TXMLNodeList;
class TXMLNodeCollection;

X_EXCEPTION(EXMLDocError, Exception);
X_EXCEPTION(EDOMParseError, EXMLDocError);

// ---- TXMLDocument ------------------------------------------------------------------------

// Created without an owner, the document is counted: the last interface reference to it or to
// any of its nodes frees it. With an owner, the owner frees it and counting does nothing.
class TXMLDocument : public TComponent, public IXMLDocument {
    X_CLASS(TXMLDocument, TComponent)
    X_INTERFACES(IXMLDocument)
public:
    bool Active() override;
    void SetActive(bool AValue) override;
    TXMLDocOptions Options() override { return FOptions; }
    void SetOptions(TXMLDocOptions AValue) override { FOptions = AValue; }
    String Encoding() override;
    void SetEncoding(const String& AValue) override;
    String Version() override;
    void SetVersion(const String& AValue) override;
    void LoadFromStream(TStream* AStream) override;
    void SaveToStream(TStream* AStream) override;
    TIntf<IXMLNode> DocumentElement() override;
    TIntf<IXMLNode> GetDocBinding(const String& ATagName, TClass ADocNodeClass) override;

    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override;
    int32_t _AddRef() override;
    int32_t _Release() override;
    void AfterConstruction() override;

protected:
    TXMLDocument();
    ~TXMLDocument() override;
    void Construct(TComponent* AOwner) override;

private:
    friend class TXMLNode;
    friend class TXMLNodeList;
    friend class TXMLNodeCollection;
    struct TData;

    // Node objects are made and kept here, so that they live as long as the document.
    TXMLNode* NewNode(TClass ANodeClass, pugi::xml_node_struct* ANode);
    // The node object of a node: the one made before when it is of ANodeClass (of any class
    // when ANodeClass is nullptr), else a new one of ANodeClass (TXMLNode for nullptr).
    TXMLNode* NodeFor(pugi::xml_node_struct* ANode, TClass ANodeClass);
    TXMLNodeList* NewNodeList(TXMLNode* AOwner);
    // Counts changes of the tree, so that node lists know when to look again.
    uint64_t ModCount() const;
    void Modified();
    void CheckActive() const;
    // Cuts every node object off the content that is about to go.
    void DetachNodes();

    std::unique_ptr<TData> FData;
    TXMLDocOptions FOptions;
    bool FCounted = false;
    int32_t FRefCount = 1;   // held while constructing; AfterConstruction gives it back
};

// ---- TXMLNode ----------------------------------------------------------------------------

// One node of a document. A data binding derives from it: its AfterConstruction registers
// the classes of its child elements by tag and creates its typed collections.
class TXMLNode : public TObject, public virtual IXMLNode {
    X_CLASS(TXMLNode, TObject)
    X_INTERFACES(IXMLNode)
public:
    String NodeName() override;
    TNodeType NodeType() override;
    String Text() override;
    void SetText(const String& AValue) override;
    bool HasAttribute(const String& AName) override;
    String Attributes(const String& AName) override;
    void SetAttribute(const String& AName, const String& AValue) override;
    TIntf<IXMLNodeList> ChildNodes() override;
    TIntf<IXMLNode> AddChild(const String& ATagName, int AIndex = -1) override;
    TIntf<IXMLDocument> OwnerDocument() override;

    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override;
    int32_t _AddRef() override;
    int32_t _Release() override;

protected:
    TXMLNode() = default;
    virtual void Construct(TXMLDocument* ADocument, pugi::xml_node_struct* ANode);

    // Child elements of that tag are made of AChildNodeClass (a TXMLNode class).
    void RegisterChildNode(const String& ATagName, TClass AChildNodeClass);
    // A collection of this element's ATagName children; the document owns it.
    template <class TCollectionClass>
    TCollectionClass* CreateCollection(const String& AItemTag)
    {
        return static_cast<TCollectionClass*>(NewCollection(TCollectionClass::StaticClass(), AItemTag));
    }

    TXMLDocument* Document() const { return FDocument; }

private:
    friend class TXMLDocument;
    friend class TXMLNodeList;
    friend class TXMLNodeCollection;

    TXMLNodeCollection* NewCollection(TClass ACollectionClass, const String& AItemTag);
    // The registered class for the tag, TXMLNode when none.
    TClass ChildNodeClass(const String& ATagName) const;
    TXMLNodeList* List();
    // Raises EXMLDocError when the document content this node belonged to went.
    void CheckAttached() const;

    TXMLDocument* FDocument = nullptr;
    pugi::xml_node_struct* FNode = nullptr;   // nullptr once the document content went
    TNodeType FNodeType = ntElement;
    TXMLNodeList* FChildNodes = nullptr;      // made on first use, owned by the document
    std::vector<std::pair<String, TClass>> FChildNodeClasses;
};

// ---- TXMLNodeList ------------------------------------------------------------------------

class TXMLNodeList : public TObject, public IXMLNodeList {
    X_CLASS(TXMLNodeList, TObject)
    X_INTERFACES(IXMLNodeList)
public:
    int Count() override;
    TIntf<IXMLNode> Nodes(int AIndex) override;
    TIntf<IXMLNode> FindNode(const String& ANodeName) override;

    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override;
    int32_t _AddRef() override;
    int32_t _Release() override;

protected:
    TXMLNodeList() = default;
    void Construct(TXMLNode* AOwner);

private:
    friend class TXMLNode;
    friend class TXMLNodeCollection;

    // The node objects of the owner's children, looked up again after the tree changed.
    const std::vector<TXMLNode*>& Items();

    TXMLNode* FOwner = nullptr;
    std::vector<TXMLNode*> FItems;
    uint64_t FBuiltAt = UINT64_MAX;   // the document's change count when FItems was made
};

// ---- TXMLNodeCollection ------------------------------------------------------------------

// A view of its owner element: its child nodes and new children are the owner's, its items
// the owner's child elements of the item tag.
class TXMLNodeCollection : public TXMLNode, public virtual IXMLNodeCollection {
    X_CLASS(TXMLNodeCollection, TXMLNode)
    X_INTERFACES(IXMLNodeCollection)
public:
    int Count() override;
    TIntf<IXMLNode> Nodes(int AIndex) override;
    TIntf<IXMLNodeList> ChildNodes() override;
    TIntf<IXMLNode> AddChild(const String& ATagName, int AIndex = -1) override;

    const String& ItemTag() const { return FItemTag; }

protected:
    TXMLNodeCollection() = default;
    // A new item before the item at AIndex; -1 (or an index past the last item) appends.
    TIntf<IXMLNode> AddItem(int AIndex);

private:
    friend class TXMLNode;
    const std::vector<TXMLNode*>& ItemNodes();

    TXMLNode* FOwner = nullptr;
    String FItemTag;
    std::vector<TXMLNode*> FItems;
    uint64_t FBuiltAt = UINT64_MAX;
};

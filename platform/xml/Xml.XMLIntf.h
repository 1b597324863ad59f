// Xml.XMLIntf.h: the interfaces of XML documents and their nodes. Every node interface is
// counted through its document: holding any node keeps a document without owner alive.
// Interfaces that extend a node interface inherit it virtually, so that one node class
// implements the node part of all of them.
#pragma once

#include <cstdint>

#include "Rtl.Interfaces.h"
#include "Rtl.Sets.h"

class TStream;
struct IXMLDocument;
struct IXMLNodeList;

enum TNodeType : uint8_t { ntElement, ntText, ntCData, ntProcessingInstr, ntDocType };

enum TXMLDocOption : uint8_t {
    doNodeAutoIndent   // each element on its own line, two spaces per level
};
using TXMLDocOptions = TSet<TXMLDocOption>;

struct IXMLNode : IInterface {
    X_INTERFACE_ID(IInterface, "{A604A804-64FC-4A52-A3FE-EDF43D1DB6F7}");
    // The tag of an element; "#text" and "#cdata-section" for text, the target of an instruction.
    virtual String NodeName() = 0;
    virtual TNodeType NodeType() = 0;
    // An element's first text child, or a text node's own text; empty when there is none.
    virtual String Text() = 0;
    // Replaces that text, adding a text child after the others when the element has none.
    virtual void SetText(const String& AValue) = 0;
    virtual bool HasAttribute(const String& AName) = 0;
    // The attribute's value; empty when the node has no such attribute.
    virtual String Attributes(const String& AName) = 0;
    // Adds the attribute or replaces its value; raises EXMLDocError on a node that is no element.
    virtual void SetAttribute(const String& AName, const String& AValue) = 0;
    virtual TIntf<IXMLNodeList> ChildNodes() = 0;
    // A new element at AIndex among the child nodes (-1: after the last), of the class that
    // this node registered for the tag.
    virtual TIntf<IXMLNode> AddChild(const String& ATagName, int AIndex = -1) = 0;
    virtual TIntf<IXMLDocument> OwnerDocument() = 0;
};

// The child nodes of a node, in document order.
struct IXMLNodeList : IInterface {
    X_INTERFACE_ID(IInterface, "{67F4FF84-8F2E-4DD2-93DA-F0F05963A312}");
    virtual int Count() = 0;
    // Raises EListError for an index out of range.
    virtual TIntf<IXMLNode> Nodes(int AIndex) = 0;
    // The first element of that tag; empty when there is none.
    virtual TIntf<IXMLNode> FindNode(const String& ANodeName) = 0;
};

// The children of one tag of an element, seen as a list of items: a data binding's typed
// collections ("the p elements of this o") derive from it.
struct IXMLNodeCollection : virtual IXMLNode {
    X_INTERFACE_ID(IXMLNode, "{DD9F4D93-1FD8-4922-816A-5C45B162F3AF}");
    virtual int Count() = 0;
    // Raises EListError for an index out of range.
    virtual TIntf<IXMLNode> Nodes(int AIndex) = 0;
};

struct IXMLDocument : IInterface {
    X_INTERFACE_ID(IInterface, "{DF72FD5C-A544-41F4-B5DD-FA8A7221BF55}");
    // An inactive document has no content; activating it starts an empty one.
    virtual bool Active() = 0;
    virtual void SetActive(bool AValue) = 0;
    virtual TXMLDocOptions Options() = 0;
    virtual void SetOptions(TXMLDocOptions AValue) = 0;
    // The declaration's encoding and version; empty when the document declares none.
    virtual String Encoding() = 0;
    virtual void SetEncoding(const String& AValue) = 0;
    virtual String Version() = 0;
    virtual void SetVersion(const String& AValue) = 0;
    // Parses the whole stream from its start in the encoding the document declares (or its
    // byte-order mark gives), and activates the document. Raises EDOMParseError with the line
    // and column for text that is no well-formed document; the old content is gone then.
    virtual void LoadFromStream(TStream* AStream) = 0;
    // Writes the document as UTF-8 at the stream's position; a declaration that names another
    // encoding (a document read in one) is changed to name UTF-8.
    virtual void SaveToStream(TStream* AStream) = 0;
    // The root element; empty when the document has none.
    virtual TIntf<IXMLNode> DocumentElement() = 0;
    // The root element seen through ADocNodeClass (a TXMLNode class), created with ATagName
    // when the document has none.
    virtual TIntf<IXMLNode> GetDocBinding(const String& ATagName, TClass ADocNodeClass) = 0;
};

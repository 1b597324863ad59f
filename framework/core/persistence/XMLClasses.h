// XMLClasses.h: the XML object format: an object's published properties as "p" elements, its
// sub-objects as nested "o" elements and its collection items as "i" elements, under a root
// "objects". Reading never creates objects for "o" elements: it fills the ones that exist.
#pragma once

#include "Rtl.Classes.h"
#include "Xml.XMLDoc.h"

class TMemoryStream;
class TStream;
struct IXMLObjectType;
struct IXMLObjectTypeList;
struct IXMLPropertyTypeList;

// ---- Binding interfaces ------------------------------------------------------------------

// The root "objects".
struct IXMLObjectsType : virtual IXMLNode {
    X_INTERFACE_ID(IXMLNode, "{D9DDF2E1-AA9C-488F-AAB3-5536C3FFA1F9}");
    // The first "o" child; empty when there is none.
    virtual TIntf<IXMLObjectType> O() = 0;
};

// An object "o" or an item "i".
struct IXMLObjectType : virtual IXMLNode {
    X_INTERFACE_ID(IXMLNode, "{76869B22-1D4E-495D-8EC1-950540E64F0C}");
    virtual String Name() = 0;
    virtual String Type() = 0;
    virtual TIntf<IXMLPropertyTypeList> P() = 0;
    virtual TIntf<IXMLObjectTypeList> O() = 0;
    virtual TIntf<IXMLObjectTypeList> I() = 0;
    virtual void SetName(const String& AValue) = 0;
    virtual void SetType(const String& AValue) = 0;
};

struct IXMLObjectTypeList : virtual IXMLNodeCollection {
    X_INTERFACE_ID(IXMLNodeCollection, "{9568288C-848F-459E-8142-0988B3B7A3E5}");
    virtual TIntf<IXMLObjectType> Add() = 0;
    virtual TIntf<IXMLObjectType> Insert(int AIndex) = 0;
    virtual TIntf<IXMLObjectType> Items(int AIndex) = 0;
};

// A property "p"; its text is the value.
struct IXMLPropertyType : virtual IXMLNode {
    X_INTERFACE_ID(IXMLNode, "{5E19BD86-823C-4B47-B7D2-BEB4B451CD10}");
    virtual String Name() = 0;
    virtual String Type() = 0;
    virtual void SetName(const String& AValue) = 0;
    virtual void SetType(const String& AValue) = 0;
};

struct IXMLPropertyTypeList : virtual IXMLNodeCollection {
    X_INTERFACE_ID(IXMLNodeCollection, "{AEA01984-7DE9-4223-A37F-4DCC9E5D1016}");
    virtual TIntf<IXMLPropertyType> Add() = 0;
    virtual TIntf<IXMLPropertyType> Insert(int AIndex) = 0;
    virtual TIntf<IXMLPropertyType> Items(int AIndex) = 0;
};

// ---- Binding classes ---------------------------------------------------------------------

class TXMLObjectsType : public TXMLNode, public virtual IXMLObjectsType {
    X_CLASS(TXMLObjectsType, TXMLNode)
    X_INTERFACES(IXMLObjectsType)
public:
    void AfterConstruction() override;
    TIntf<IXMLObjectType> O() override;

protected:
    TXMLObjectsType() = default;
};

class TXMLObjectTypeList;
class TXMLPropertyTypeList;

class TXMLObjectType : public TXMLNode, public virtual IXMLObjectType {
    X_CLASS(TXMLObjectType, TXMLNode)
    X_INTERFACES(IXMLObjectType)
public:
    void AfterConstruction() override;
    String Name() override;
    String Type() override;
    TIntf<IXMLPropertyTypeList> P() override;
    TIntf<IXMLObjectTypeList> O() override;
    TIntf<IXMLObjectTypeList> I() override;
    void SetName(const String& AValue) override;
    void SetType(const String& AValue) override;

protected:
    TXMLObjectType() = default;

private:
    // Views of this element, owned by its document.
    TXMLPropertyTypeList* FP = nullptr;
    TXMLObjectTypeList* FO = nullptr;
    TXMLObjectTypeList* FI = nullptr;
};

class TXMLObjectTypeList : public TXMLNodeCollection, public virtual IXMLObjectTypeList {
    X_CLASS(TXMLObjectTypeList, TXMLNodeCollection)
    X_INTERFACES(IXMLObjectTypeList)
public:
    TIntf<IXMLObjectType> Add() override;
    TIntf<IXMLObjectType> Insert(int AIndex) override;
    TIntf<IXMLObjectType> Items(int AIndex) override;

protected:
    TXMLObjectTypeList() = default;
};

class TXMLPropertyType : public TXMLNode, public virtual IXMLPropertyType {
    X_CLASS(TXMLPropertyType, TXMLNode)
    X_INTERFACES(IXMLPropertyType)
public:
    String Name() override;
    String Type() override;
    void SetName(const String& AValue) override;
    void SetType(const String& AValue) override;

protected:
    TXMLPropertyType() = default;
};

class TXMLPropertyTypeList : public TXMLNodeCollection, public virtual IXMLPropertyTypeList {
    X_CLASS(TXMLPropertyTypeList, TXMLNodeCollection)
    X_INTERFACES(IXMLPropertyTypeList)
public:
    TIntf<IXMLPropertyType> Add() override;
    TIntf<IXMLPropertyType> Insert(int AIndex) override;
    TIntf<IXMLPropertyType> Items(int AIndex) override;

protected:
    TXMLPropertyTypeList() = default;
};

// ---- Forms of the format ------------------------------------------------------------------

class TPersistent;

// What a program's own form of the format changes in the walk; the default is the framework's.
// The recovery program leaves streams out and stores binary defined properties.
struct TXMLObjectForm {
    // Objects held by properties that are streams are not written.
    bool SkipStreams = false;
    // Called for a persistent object that is neither a collection nor an object list, last.
    void (*WriteDefined)(TPersistent* AObj, IXMLObjectType* ANode) = nullptr;
    void (*ReadDefined)(TPersistent* AObj, IXMLObjectType* ANode) = nullptr;
};

// The process's form: a program that has its own installs it at start-up, before anything is
// written or read, so that every XML object document of the process is in it.
extern TXMLObjectForm XMLObjectForm;

// ---- Documents and objects ---------------------------------------------------------------

// A new counted document, active, version "1.0", bound to its root "objects".
TIntf<IXMLObjectsType> NewObjectsDocument();
// The document element of ADocument seen as "objects" (created when the document has none).
TIntf<IXMLObjectsType> GetObjectsRoot(IXMLDocument* ADocument);

// Writes AObj's stored published properties, collection items or object-list entries into
// ANode. A property that cannot be written is left out. True also for nil arguments.
bool WriteObjectToXMLNode(TObject* AObj, IXMLObjectType* ANode, const TXMLObjectForm& AForm = XMLObjectForm);
// Applies ANode's "p" and "o" children to AObj's published properties, then fills a
// collection (cleared first) or an object list (appended to) from the "i" children. A child
// that cannot be applied is skipped. False for nil arguments.
bool ReadObjectFromXMLNode(TObject* AObj, IXMLObjectType* ANode, const TXMLObjectForm& AForm = XMLObjectForm);

// AObj as a whole document (UTF-8) at AStream's position; the root "o" of a component carries
// its name. Raises what the document raises.
void ObjectToXMLStream(TObject* AObj, TStream* AStream, bool AIndented, const TXMLObjectForm& AForm = XMLObjectForm);
// The same document as text in the system ANSI code page: one character per byte of the
// UTF-8 document, the form in which the stored-object readers hand XML text around. Only
// LoadObjectFromXMLString turns it back into the document.
void ObjectToXMLText(TObject* AObj, bool AIndented, String& AText);
// Reads the first "o" of the document in AStream (from its start) into AObj; an empty stream
// reads nothing. Raises EDOMParseError for a stream that holds no well-formed document, and
// EXMLDocError for one whose element is not "objects".
void LoadObjectFromXMLStream(TObject* AObj, TStream* AStream, const TXMLObjectForm& AForm = XMLObjectForm);
// AText is a document's bytes in the ANSI code page, as ObjectToXMLText gives them.
void LoadObjectFromXMLString(TObject* AObj, const String& AText);

// ---- Start-up ----------------------------------------------------------------------------

// Registers the libraries below, then makes XML the form in which objects go through the
// serializer hooks (XObjectFiler.h). Programs and test programs call it at start-up, before a
// program's own form is installed; only the first call installs anything.
void RegisterCorePersistence();

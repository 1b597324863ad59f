// XObjectFiler.h: any object with published properties as text or a stream and back, wrapped
// in a TXObjectComponent whose property Obj holds it. Component text is always read; what is
// written goes through the serializer hooks, which the XML format replaces at its start-up.
// Failures answer False and record 44 (read) or 45 (write) in the calling thread's error store.
#pragma once

#include "Rtl.Classes.h"
#include "Rtl.ComponentStreams.h"
#include "Rtl.Lists.h"
#include "Rtl.Streams.h"
#include "XClasses.h"

class TXProgress;

// ---- Serializer hooks ----------------------------------------------------------------------
// AObj and AComponent are the wrapping component. Each may raise; the callers turn that into 44
// or 45.

using TXObjectToTextHook = String (*)(TComponent* AObj);
using TXTextToObjectHook = TComponent* (*)(const String& AText, TComponent* AComponent);
using TXObjectToStreamHook = void (*)(TComponent* AObj, TStream* AStream);
using TXStreamToObjectHook = TComponent* (*)(TStream* AStream, TComponent* AObj);

extern TXObjectToTextHook ObjectToTextHook;
extern TXTextToObjectHook TextToObjectHook;
extern TXObjectToStreamHook ObjectToStreamHook;
extern TXStreamToObjectHook StreamToObjectHook;

// ---- TXComponentStream -------------------------------------------------------------------

// Holds the binary form while text is converted, and reads it forgivingly: a property that
// cannot be applied is skipped, and handlers are also looked up on the root's owner.
class TXComponentStream : public TMemoryStream {
    X_CLASS(TXComponentStream, TMemoryStream)
public:
    // From the stream's position, with a 4096-byte buffer.
    TComponent* ReadRootComponent(TComponent* ARoot);

protected:
    TXComponentStream() = default;

private:
    void ReaderError(TReader* AReader, const String& AMessage, bool& AHandled);
    void FindMethod(TReader* AReader, const String& AMethodName, TMethodValue& AAddress, bool& AError);
};

// ---- TXObjectComponent -------------------------------------------------------------------

// Does not own Obj: whoever asked for the object frees it.
class TXObjectComponent : public TComponent {
    X_CLASS(TXObjectComponent, TComponent)
public:
    bool Reading() const { return FReading; }
    const String& ObjClassName() const { return FObjClassName; }
    // Changes nothing while reading; an unregistered name raises EClassNotFound.
    void SetObjClassName(const String& AValue);
    TClass ObjClass() const { return FObjClass; }
    // Changes nothing while reading.
    void SetObjClass(TClass AValue);
    TObject* Obj() const { return FObj; }
    void SetObj(TObject* AValue);
    // While set, reads fill the object already held instead of one of the text's class.
    bool KeepObj() const { return FKeepObj; }
    void SetKeepObj(bool AValue) { FKeepObj = AValue; }

    // What a read may make: a class the data names that does not descend from it is refused
    // before anything is made. TPersistent unless set.
    TClass BaseClass() const { return FBaseClass; }
    void SetBaseClass(TClass AValue) { FBaseClass = AValue; }

    // A new instance of AClass as Obj. False for nil, for a class that does not descend from
    // BaseClass (44, nothing made) and for a failed construction; True at once while KeepObj
    // is set.
    virtual bool CreateObj(TClass AClass);

    // Component text when AUseComponentText, else the hooks' form. These raise.
    String ObjectToText(bool AUseComponentText);
    void SaveToTextStream(TStream* AStream, bool AUseComponentText);

    // AStream emptied, then written.
    [[nodiscard]] bool SaveToStream(TStream* AStream, bool AUseComponentText, bool ARaise);
    // AText is empty on failure.
    [[nodiscard]] bool ObjectToTextEx(bool AUseComponentText, bool ARaise, String& AText);
    // Reads the stream into a new object of AClass (or the one held, with KeepObj).
    [[nodiscard]] bool ReadFromStream(TStream* AStream, TClass AClass, bool ARaise);
    // Reads into a new object of the class the text names (or the one held, with KeepObj).
    [[nodiscard]] bool LoadFromText(const String& AText, bool ARaise);
    // The whole stream from its start as text in the system ANSI code page.
    [[nodiscard]] bool LoadFromStream(TStream* AStream, bool ARaise);
    [[nodiscard]] bool SaveObject(TObject* AValue, TStream* AStream, bool ARaise, bool AUseComponentText);
    // Reads into a new item of ACollection, of the collection's item class whatever the text
    // names; a failed read removes the item again.
    [[nodiscard]] bool ReadCollectionItem(TCollection* ACollection, TStream* AStream, bool ARaise);

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXObjectComponent() = default;

private:
    bool FReading = false;
    String FObjClassName;
    TClass FObjClass = nullptr;
    TObject* FObj = nullptr;
    bool FKeepObj = false;
    TClass FBaseClass = TPersistent::StaticClass();
};

// ---- TXObjectItem and TXObjectCollection -------------------------------------------------

// An object of any persistent class, made from the class name when it is read. The item does
// not own it: hand it out with the collection's AppendObjectsTo or ExtractObjects.
class TXObjectItem : public XClasses::TXYCollectionItem {
    X_CLASS(TXObjectItem, XClasses::TXYCollectionItem)
public:
    const String& ObjClassName() const { return FObjClassName; }
    // A new name drops the object held (unfreed) and makes one of the named class.
    void SetObjClassName(const String& AValue);
    TClass ObjClass() const { return FObjClass; }
    TPersistent* Obj() const { return FObj; }
    void SetObj(TPersistent* AValue);

    // Frees the object held, then makes a new one of a persistent AClass. False for nil, a
    // class that is no TPersistent (nothing made) or a failed construction.
    virtual bool CreateObj(TClass AClass);

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXObjectItem() = default;

private:
    String FObjClassName;
    TClass FObjClass = nullptr;
    TPersistent* FObj = nullptr;
};

// Made with TXObjectItem (or a descendant) as its item class.
class TXObjectCollection : public XClasses::TXCollection {
    X_CLASS(TXObjectCollection, XClasses::TXCollection)
public:
    TXObjectItem* GetItem(int AIndex) const { return static_cast<TXObjectItem*>(Items(AIndex)); }
    // Appends every item's object to AList, which owns them from then on, and clears the
    // collection.
    void AppendObjectsTo(TObjectList* AList);
    // AList emptied first.
    void ExtractObjects(TObjectList* AList);

protected:
    TXObjectCollection() = default;
};

// ---- Wrapping-component operations -------------------------------------------------------
// Each raises on failure.

// The component as component text.
String ComponentToText(TComponent* AComponent);
void ComponentToTextStream(TComponent* AComponent, TStream* AStream);
// Reads component text into AComponent, keeping its name; answers AComponent.
TComponent* TextToComponent(const String& AText, TComponent* AComponent);
TComponent* TextStreamToComponent(TStream* AStream, TComponent* AComponent);
// Component text (first character "o") or the hooks' form.
void TextToObject(const String& AText, TComponent* AComponent);
// The same by the stream's first byte; an empty stream changes nothing.
TComponent* StreamToComponent(TStream* AStream, TComponent* AComponent);

// ---- Module entry points -----------------------------------------------------------------

// The text of a stored object: component text or XML as it stands, anything else inflated
// as zlib; the text is decoded in the system ANSI code page.
[[nodiscard]] bool ReadObjectText(TStream* AStream, String& AText);
// The whole of ASource at ADest's position, zlib-compressed at the default level or raw.
[[nodiscard]] bool WriteObjectData(TMemoryStream* ASource, TStream* ADest, bool ACompressed);
// The value of the line "PropName = value" (name case ignored, blanks trimmed); empty when
// there is none.
String ExtractTextValue(const String& AText, const String& APropName);
// A new object of the class the data names, or nil; a class that does not descend from
// ABaseClass (TPersistent when nil) is refused before it is made. AProgress may be nil.
TObject* ReadObjectFromStream(TStream* AStream, TXProgress* AProgress, bool ARaise, TClass ABaseClass = nullptr);
// ATarget takes the values of the object the data holds (through Assign). The data must name
// ATarget's class or a descendant: no other class is ever made.
[[nodiscard]] bool LoadObjectFromStream(TPersistent* ATarget, TStream* AStream, TXProgress* AProgress, bool ARaise);
[[nodiscard]] bool SaveObjectToStream(TObject* AObj, TStream* AStream, bool AUseComponentText, bool ARaise,
                                      TXProgress* AProgress);
[[nodiscard]] bool LoadObjectFromText(TPersistent* ATarget, const String& AText, TXProgress* AProgress, bool ARaise);
[[nodiscard]] bool SaveObjectToText(TObject* AObj, String& AText, bool AUseComponentText, bool ARaise,
                                    TXProgress* AProgress);

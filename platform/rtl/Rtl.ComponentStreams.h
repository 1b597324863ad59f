// Rtl.ComponentStreams.h: component streaming. TWriter walks a component's published properties
// (and what DefineProperties adds) into a binary form; TReader applies that form to a component.
// The binary form is transient: files only ever hold its text form (Rtl.ComponentText.h).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "Rtl.Classes.h"
#include "Rtl.Streams.h"
#include "Rtl.TypInfo.h"

// ---- The binary form ---------------------------------------------------------------------
// A stream is the signature and one component. A component is a header byte (kComponentFlag
// with the TFilerFlag), its class name, its name, its properties (name, value) up to an empty
// name, then its children up to vaNull. Strings are a 32-bit length and UTF-8 bytes; numbers
// are little-endian.

inline constexpr char kComponentSignature[4] = {'X', 'C', 'F', '1'};
inline constexpr uint8_t kComponentFlag = 0x80;

// How a component block was introduced in the text: "object", "inherited" or "inline".
enum TFilerFlag : uint8_t { ffObject, ffInherited, ffInline };

enum TValueType : uint8_t {
    vaNull,         // ends a list, a collection or a component's children
    vaList,         // values up to vaNull
    vaInt,          // 64-bit integer
    vaExtended,     // double
    vaSingle,       // float
    vaCurrency,     // 64-bit count of ten-thousandths
    vaDate,         // double: days since 30 December 1899
    vaString,
    vaIdent,        // enumeration value, True/False, component or method name
    vaNil,
    vaSet,          // names up to an empty one
    vaCollection,   // items, each vaList then properties up to an empty name; vaNull ends
    vaBinary        // 32-bit length and the bytes
};

// Whether a writer stores the property of AInstance: the stored specifier allows it, and it
// is an object (whose own properties decide) or holds a value other than its default. The rule
// every object format shares.
bool HasStoredValue(TObject* AInstance, const TPropInfo* AInfo);

// ---- TWriter -----------------------------------------------------------------------------

class TWriter : public TFiler {
    X_CLASS(TWriter, TFiler)
public:
    // The signature, then the root with its properties and the components it owns.
    void WriteRootComponent(TComponent* ARoot);
    TComponent* Root() const { return FRoot; }

    void DefineProperty(const String& AName, TReaderProc AReadData, TWriterProc AWriteData, bool AHasData) override;
    void DefineBinaryProperty(const String& AName, TStreamProc AReadData, TStreamProc AWriteData,
                              bool AHasData) override;

    // Values, for DefineProperty's write procedures and the text converter.
    void WriteListBegin() { WriteValue(vaList); }
    void WriteListEnd() { WriteValue(vaNull); }
    void WriteInteger(int64_t AValue);
    void WriteBoolean(bool AValue) { WriteIdent(AValue ? "True" : "False"); }
    void WriteFloat(double AValue);
    void WriteSingle(float AValue);
    void WriteCurrency(Currency AValue);
    void WriteDate(TDateTime AValue);
    void WriteString(const String& AValue);
    void WriteIdent(const String& AValue);
    void WriteBinary(std::span<const uint8_t> ABytes);

    // The pieces of the form, for the text converter.
    void WriteSignature();
    void WritePrefix(TFilerFlag AFlag);
    void WriteValue(TValueType AValue);
    // A length and the bytes: names, class names and the empty name that ends a property list.
    void WriteStr(const String& AValue);

protected:
    TWriter() = default;
    virtual void Construct(TStream* AStream);

private:
    void WriteComponent(TComponent* AComponent);
    void WriteProperties(TObject* AInstance, const String& APath);
    void WriteProperty(TObject* AInstance, const TPropInfo* AInfo, const String& APath);
    void WriteObjectProperty(TObject* AInstance, const TPropInfo* AInfo, const String& APath);
    void WriteMethodProperty(TObject* AInstance, const TPropInfo* AInfo, const String& APath);
    void WritePropValue(TObject* AInstance, const TPropInfo* AInfo);
    void WriteCollection(TCollection* ACollection);
    void WriteRaw(const void* ABuffer, size_t ACount);
    template <class T>
    void WriteNumber(T AValue);

    TStream* FStream = nullptr;
    TComponent* FRoot = nullptr;
    String FPropPath;   // the path prefix of the object whose DefineProperties runs
};

// ---- TReader -----------------------------------------------------------------------------

// Handled := True skips the property that could not be applied; otherwise the error passes on.
using TReaderError = TMethod<void(TReader* AReader, const String& AMessage, bool& AHandled)>;
// Asked for every method name in the stream; AAddress holds the root's published method of
// that name, AError whether there is none. An error left set fails the property.
using TFindMethodEvent = TMethod<void(TReader* AReader, const String& AMethodName, TMethodValue& AAddress,
                                      bool& AError)>;

class TReader : public TFiler {
    X_CLASS(TReader, TFiler)
public:
    // Reads the stream's root component into ARoot, or into a new component of the stream's
    // class (found with FindClass) when ARoot is nil; children are created owned by the root.
    // The root takes the stream's name when it has one. Malformed data raises EReadError; an
    // unregistered child class EClassNotFound.
    TComponent* ReadRootComponent(TComponent* ARoot);
    TComponent* Root() const { return FRoot; }

    void DefineProperty(const String& AName, TReaderProc AReadData, TWriterProc AWriteData, bool AHasData) override;
    void DefineBinaryProperty(const String& AName, TStreamProc AReadData, TStreamProc AWriteData,
                              bool AHasData) override;

    // Values, for DefineProperty's read procedures and the text converter. Each raises
    // EReadError "Invalid property value" when the next value has another type.
    TValueType NextValue();
    TValueType ReadValue();
    bool EndOfList() { return NextValue() == vaNull; }
    void ReadListBegin() { CheckValue(vaList); }
    void ReadListEnd() { CheckValue(vaNull); }
    int64_t ReadInteger();
    bool ReadBoolean();
    // Any number: integers, doubles, singles, currency and dates.
    double ReadFloat();
    String ReadString();
    String ReadIdent();
    // Skips one value of any type.
    void SkipValue();

    // The pieces of the form, for the text converter. The payloads follow ReadValue's tag.
    void ReadSignature();
    // The header byte of a component; False at the vaNull that ends a list of children.
    bool ReadPrefix(TFilerFlag& AFlag);
    String ReadStr();
    int64_t ReadInt64Payload();
    double ReadDoublePayload();
    float ReadSinglePayload();
    TBytes ReadBinaryPayload();

    TReaderError OnError() const { return FOnError; }
    void SetOnError(TReaderError AValue) { FOnError = AValue; }
    TFindMethodEvent OnFindMethod() const { return FOnFindMethod; }
    void SetOnFindMethod(TFindMethodEvent AValue) { FOnFindMethod = AValue; }

protected:
    TReader() = default;
    ~TReader() override;
    virtual void Construct(TStream* AStream, int ABufSize);

private:
    struct TFixup {
        TObject* Instance;
        const TPropInfo* Info;
        String Name;
    };

    void ReadComponentBody(TComponent* AComponent);
    void ReadChildren();
    TComponent* ReadChild(TFilerFlag AFlag);
    void ReadProperties(TObject* AInstance);
    void ReadProperty(TObject* AInstance, const String& APath);
    void ApplyProperty(TObject* AInstance, const String& APath);
    void ReadPropValue(TObject* AInstance, const TPropInfo* AInfo);
    void ReadObjectValue(TObject* AInstance, const TPropInfo* AInfo);
    void ReadMethodValue(TObject* AInstance, const TPropInfo* AInfo);
    void ReadCollection(TCollection* ACollection);
    uint64_t ReadSetValue(const TTypeInfo* ASetType);
    int64_t ReadCharValue();
    void ResolveFixups();
    void FinishLoading(bool ACallLoaded);
    bool HandleError(const String& AMessage);
    void CheckValue(TValueType AExpected);

    void ReadRaw(void* ABuffer, size_t ACount);
    template <class T>
    T ReadNumber();
    int64_t Position() const;
    void SetPosition(int64_t AValue);
    int64_t Remaining() const;
    void SyncStream();

    TStream* FStream = nullptr;
    std::vector<uint8_t> FBuffer;
    size_t FBufPos = 0;
    size_t FBufEnd = 0;
    TComponent* FRoot = nullptr;
    std::vector<TComponent*> FLoaded;
    std::vector<TFixup> FFixups;
    String FPropName;    // the defined property DefineProperties is asked about
    bool FPropFound = false;
    int FDepth = 0;
    TReaderError FOnError;
    TFindMethodEvent FOnFindMethod;
};

// Writes AInstance as the root of a binary component stream at AStream's position.
void WriteComponent(TStream* AStream, TComponent* AInstance);
// Reads a binary component stream from AStream's position into AInstance (or a new component of
// the stream's class when nil) and answers it.
TComponent* ReadComponent(TStream* AStream, TComponent* AInstance);

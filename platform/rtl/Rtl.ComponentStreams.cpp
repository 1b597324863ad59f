// Rtl.ComponentStreams.cpp: the component writer and reader over the binary form.
#include "Rtl.ComponentStreams.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "Rtl.Encoding.h"

namespace {

// Nesting (components in components, collections in collections) deeper than any real file:
// a crafted stream must not exhaust the stack.
constexpr int kMaxDepth = 64;
constexpr int kDefaultBufSize = 4096;

[[noreturn]] void RaiseInvalidValue()
{
    throw EReadError("Invalid property value");
}

[[noreturn]] void RaiseInvalidFormat()
{
    throw EReadError("Invalid stream format");
}

// Counts one level of nesting for the scope.
class TDepthGuard {
public:
    explicit TDepthGuard(int& ADepth) : FDepth(ADepth)
    {
        if (++FDepth > kMaxDepth)
            throw EReadError("Component stream nested too deeply");
    }
    ~TDepthGuard() { --FDepth; }
    TDepthGuard(const TDepthGuard&) = delete;
    TDepthGuard& operator=(const TDepthGuard&) = delete;

private:
    int& FDepth;
};

// Splits "Font.Style" into its segments.
std::vector<String> PathSegments(const String& APath)
{
    std::vector<String> Segments;
    size_t Start = 0;
    for (;;) {
        size_t Dot = APath.find('.', Start);
        Segments.push_back(APath.substr(Start, Dot - Start));
        if (Dot == String::npos)
            return Segments;
        Start = Dot + 1;
    }
}

bool IsDateType(const TTypeInfo* AType)
{
    return AType->Name == "TDateTime";
}

// Chars travel as one-character strings; a lone surrogate, which has no UTF-8, as its number.
bool IsSurrogate(int64_t ACode)
{
    return ACode >= 0xD800 && ACode <= 0xDFFF;
}

}  // namespace

bool HasStoredValue(TObject* AInstance, const TPropInfo* AInfo)
{
    if (!IsStoredProp(AInstance, AInfo))
        return false;
    if (AInfo->Kind() == tkClass)
        return GetObjectProp(AInstance, AInfo) != nullptr;
    return !IsDefaultPropertyValue(AInstance, AInfo);
}

// ---- TWriter -----------------------------------------------------------------------------

void TWriter::Construct(TStream* AStream)
{
    FStream = AStream;
}

void TWriter::WriteRaw(const void* ABuffer, size_t ACount)
{
    FStream->WriteBuffer(ABuffer, static_cast<int64_t>(ACount));
}

template <class T>
void TWriter::WriteNumber(T AValue)
{
    static_assert(std::endian::native == std::endian::little, "the binary form is little-endian");
    WriteRaw(&AValue, sizeof(AValue));
}

void TWriter::WriteSignature()
{
    WriteRaw(kComponentSignature, sizeof(kComponentSignature));
}

void TWriter::WritePrefix(TFilerFlag AFlag)
{
    WriteNumber<uint8_t>(kComponentFlag | AFlag);
}

void TWriter::WriteValue(TValueType AValue)
{
    WriteNumber<uint8_t>(AValue);
}

void TWriter::WriteStr(const String& AValue)
{
    WriteNumber<uint32_t>(static_cast<uint32_t>(AValue.size()));
    WriteRaw(AValue.data(), AValue.size());
}

void TWriter::WriteInteger(int64_t AValue)
{
    WriteValue(vaInt);
    WriteNumber(AValue);
}

void TWriter::WriteFloat(double AValue)
{
    WriteValue(vaExtended);
    WriteNumber(AValue);
}

void TWriter::WriteSingle(float AValue)
{
    WriteValue(vaSingle);
    WriteNumber(AValue);
}

void TWriter::WriteCurrency(Currency AValue)
{
    WriteValue(vaCurrency);
    WriteNumber(AValue.Scaled());
}

void TWriter::WriteDate(TDateTime AValue)
{
    WriteValue(vaDate);
    WriteNumber(AValue.Value);
}

void TWriter::WriteString(const String& AValue)
{
    WriteValue(vaString);
    WriteStr(AValue);
}

void TWriter::WriteIdent(const String& AValue)
{
    WriteValue(vaIdent);
    WriteStr(AValue);
}

void TWriter::WriteBinary(std::span<const uint8_t> ABytes)
{
    WriteValue(vaBinary);
    WriteNumber<uint32_t>(static_cast<uint32_t>(ABytes.size()));
    WriteRaw(ABytes.data(), ABytes.size());
}

void TWriter::WriteRootComponent(TComponent* ARoot)
{
    FRoot = ARoot;
    WriteSignature();
    WriteComponent(ARoot);
}

// The root writes the components it owns as its children; they own none that are streamed.
void TWriter::WriteComponent(TComponent* AComponent)
{
    WritePrefix(ffObject);
    WriteStr(AComponent->ClassName());
    WriteStr(AComponent->Name());
    WriteProperties(AComponent, {});
    WriteStr({});
    if (AComponent == FRoot)
        for (int I = 0; I < FRoot->ComponentCount(); ++I)
            WriteComponent(FRoot->Components(I));
    WriteValue(vaNull);
}

void TWriter::WriteProperties(TObject* AInstance, const String& APath)
{
    for (const TPropInfo* Info : GetPropList(AInstance))
        WriteProperty(AInstance, Info, APath);
    if (auto* Persistent = AsOrNull<TPersistent>(AInstance)) {
        String Saved = std::exchange(FPropPath, APath);
        Persistent->DefineProperties(this);
        FPropPath = Saved;
    }
}

void TWriter::WriteProperty(TObject* AInstance, const TPropInfo* AInfo, const String& APath)
{
    if (!HasStoredValue(AInstance, AInfo))
        return;
    if (AInfo->Kind() == tkClass)
        return WriteObjectProperty(AInstance, AInfo, APath);
    if (!AInfo->IsWritable())
        return;
    if (AInfo->Kind() == tkMethod)
        return WriteMethodProperty(AInstance, AInfo, APath);
    WriteStr(APath + AInfo->Name());
    WritePropValue(AInstance, AInfo);
}

// A component of the root is a reference by name, a collection a list of items; any other
// object (an ownerless component too) writes its own properties under a dotted path.
void TWriter::WriteObjectProperty(TObject* AInstance, const TPropInfo* AInfo, const String& APath)
{
    TObject* Value = GetObjectProp(AInstance, AInfo);
    auto* Component = AsOrNull<TComponent>(Value);
    if (Component != nullptr && FRoot != nullptr && (Component == FRoot || Component->Owner() == FRoot)) {
        if (!Component->Name().empty() && AInfo->IsWritable()) {
            WriteStr(APath + AInfo->Name());
            WriteIdent(Component->Name());
        }
    } else if (auto* Collection = AsOrNull<TCollection>(Value)) {
        WriteStr(APath + AInfo->Name());
        WriteCollection(Collection);
    } else {
        WriteProperties(Value, APath + AInfo->Name() + ".");
    }
}

// A handler is written by its method name when it is a published method of the root or of
// the root's owner, which is where the reader looks for it.
void TWriter::WriteMethodProperty(TObject* AInstance, const TPropInfo* AInfo, const String& APath)
{
    TMethodValue Method = GetMethodProp(AInstance, AInfo);
    String Name;
    for (TComponent* Holder : {FRoot, FRoot != nullptr ? FRoot->Owner() : nullptr})
        if (Holder != nullptr && Method.Data == static_cast<void*>(Holder) && Name.empty())
            Name = MethodName(Holder->ClassType(), Method.Code);
    if (Name.empty())
        return;
    WriteStr(APath + AInfo->Name());
    WriteIdent(Name);
}

void TWriter::WritePropValue(TObject* AInstance, const TPropInfo* AInfo)
{
    const TTypeInfo* Type = AInfo->PropType();
    switch (AInfo->Kind()) {
    case tkInteger:
    case tkInt64:
        return WriteInteger(AInfo->Kind() == tkInt64 ? GetInt64Prop(AInstance, AInfo) : GetOrdProp(AInstance, AInfo));
    case tkChar:
    case tkWChar: {
        int64_t Code = GetOrdProp(AInstance, AInfo) & Type->MaxValue;
        if (IsSurrogate(Code))
            return WriteInteger(Code);
        return WriteString(Utf16ToUtf8(std::u16string(1, static_cast<char16_t>(Code))));
    }
    case tkEnumeration:
        return WriteIdent(GetEnumProp(AInstance, AInfo));
    case tkSet: {
        WriteValue(vaSet);
        uint64_t Bits = static_cast<uint64_t>(GetOrdProp(AInstance, AInfo));
        for (int64_t I = 0; I <= Type->CompType->MaxValue && I < 64; ++I)
            if (Bits & (uint64_t(1) << I))
                WriteStr(GetEnumName(Type->CompType, I));
        return WriteStr({});
    }
    case tkFloat: {
        double Value = GetFloatProp(AInstance, AInfo);
        if (Type->FloatType == ftSingle)
            return WriteSingle(static_cast<float>(Value));
        if (Type->FloatType == ftCurr)
            return WriteCurrency(Currency(Value));
        if (IsDateType(Type))
            return WriteDate(Value);
        return WriteFloat(Value);
    }
    case tkUString:
        return WriteString(GetStrProp(AInstance, AInfo));
    default:
        return;
    }
}

void TWriter::WriteCollection(TCollection* ACollection)
{
    WriteValue(vaCollection);
    for (int I = 0; I < ACollection->Count(); ++I) {
        WriteListBegin();
        WriteProperties(ACollection->Items(I), {});
        WriteStr({});
    }
    WriteListEnd();
}

void TWriter::DefineProperty(const String& AName, TReaderProc, TWriterProc AWriteData, bool AHasData)
{
    if (!AHasData || !AWriteData)
        return;
    WriteStr(FPropPath + AName);
    AWriteData(this);
}

void TWriter::DefineBinaryProperty(const String& AName, TStreamProc, TStreamProc AWriteData, bool AHasData)
{
    if (!AHasData || !AWriteData)
        return;
    auto Data = Owned(TMemoryStream::Create());
    AWriteData(Data.get());
    WriteStr(FPropPath + AName);
    WriteBinary(std::span<const uint8_t>(Data->Memory(), static_cast<size_t>(Data->Size())));
}

// ---- TReader: the buffered stream --------------------------------------------------------

void TReader::Construct(TStream* AStream, int ABufSize)
{
    FStream = AStream;
    FBuffer.resize(static_cast<size_t>(ABufSize > 0 ? ABufSize : kDefaultBufSize));
}

TReader::~TReader()
{
    try {
        SyncStream();
    } catch (...) {
        // A stream that cannot seek keeps the position of the last buffer read.
    }
}

// Leaves the stream just after what was read, not after what was buffered.
void TReader::SyncStream()
{
    if (FBufPos == FBufEnd)
        return;
    FStream->SetPosition(Position());
    FBufPos = FBufEnd = 0;
}

void TReader::ReadRaw(void* ABuffer, size_t ACount)
{
    auto* Out = static_cast<uint8_t*>(ABuffer);
    while (ACount > 0) {
        if (FBufPos == FBufEnd) {
            FBufEnd = static_cast<size_t>(FStream->Read(FBuffer.data(), static_cast<int64_t>(FBuffer.size())));
            FBufPos = 0;
            if (FBufEnd == 0)
                throw EReadError("Stream read error");
        }
        size_t Part = std::min(ACount, FBufEnd - FBufPos);
        std::memcpy(Out, FBuffer.data() + FBufPos, Part);
        FBufPos += Part;
        Out += Part;
        ACount -= Part;
    }
}

template <class T>
T TReader::ReadNumber()
{
    T Value;
    ReadRaw(&Value, sizeof(Value));
    return Value;
}

int64_t TReader::Position() const
{
    return FStream->Position() - static_cast<int64_t>(FBufEnd - FBufPos);
}

void TReader::SetPosition(int64_t AValue)
{
    FStream->SetPosition(AValue);
    FBufPos = FBufEnd = 0;
}

int64_t TReader::Remaining() const
{
    return FStream->Size() - Position();
}

// ---- TReader: values ---------------------------------------------------------------------

void TReader::ReadSignature()
{
    char Signature[sizeof(kComponentSignature)];
    ReadRaw(Signature, sizeof(Signature));
    if (std::memcmp(Signature, kComponentSignature, sizeof(Signature)) != 0)
        RaiseInvalidFormat();
}

bool TReader::ReadPrefix(TFilerFlag& AFlag)
{
    uint8_t Prefix = ReadNumber<uint8_t>();
    if (Prefix == vaNull)
        return false;
    if ((Prefix & kComponentFlag) == 0 || (Prefix & ~kComponentFlag) > ffInline)
        RaiseInvalidFormat();
    AFlag = static_cast<TFilerFlag>(Prefix & ~kComponentFlag);
    return true;
}

String TReader::ReadStr()
{
    uint32_t Length = ReadNumber<uint32_t>();
    if (Length > Remaining())
        throw EReadError("Stream read error");
    String Result(Length, '\0');
    ReadRaw(Result.data(), Length);
    return Result;
}

int64_t TReader::ReadInt64Payload()
{
    return ReadNumber<int64_t>();
}

double TReader::ReadDoublePayload()
{
    return ReadNumber<double>();
}

float TReader::ReadSinglePayload()
{
    return ReadNumber<float>();
}

TBytes TReader::ReadBinaryPayload()
{
    uint32_t Length = ReadNumber<uint32_t>();
    if (Length > Remaining())
        throw EReadError("Stream read error");
    TBytes Result(Length);
    ReadRaw(Result.data(), Length);
    return Result;
}

TValueType TReader::ReadValue()
{
    uint8_t Value = ReadNumber<uint8_t>();
    if (Value > vaBinary)
        RaiseInvalidFormat();
    return static_cast<TValueType>(Value);
}

TValueType TReader::NextValue()
{
    TValueType Result = ReadValue();
    --FBufPos;   // ReadValue took the tag from the buffer, so it is still there
    return Result;
}

void TReader::CheckValue(TValueType AExpected)
{
    if (ReadValue() != AExpected)
        RaiseInvalidValue();
}

int64_t TReader::ReadInteger()
{
    CheckValue(vaInt);
    return ReadInt64Payload();
}

bool TReader::ReadBoolean()
{
    String Ident = ReadIdent();
    if (SameText(Ident, "True"))
        return true;
    if (SameText(Ident, "False"))
        return false;
    RaiseInvalidValue();
}

double TReader::ReadFloat()
{
    switch (ReadValue()) {
    case vaInt:
        return static_cast<double>(ReadInt64Payload());
    case vaExtended:
    case vaDate:
        return ReadDoublePayload();
    case vaSingle:
        return ReadSinglePayload();
    case vaCurrency:
        return static_cast<double>(Currency::FromScaled(ReadInt64Payload()));
    default:
        RaiseInvalidValue();
    }
}

String TReader::ReadString()
{
    CheckValue(vaString);
    return ReadStr();
}

String TReader::ReadIdent()
{
    CheckValue(vaIdent);
    return ReadStr();
}

void TReader::SkipValue()
{
    TDepthGuard Depth(FDepth);
    switch (ReadValue()) {
    case vaList:
        while (!EndOfList())
            SkipValue();
        ReadValue();
        return;
    case vaInt:
    case vaExtended:
    case vaCurrency:
    case vaDate:
        ReadInt64Payload();
        return;
    case vaSingle:
        ReadSinglePayload();
        return;
    case vaString:
    case vaIdent:
        ReadStr();
        return;
    case vaSet:
        while (!ReadStr().empty()) {
        }
        return;
    case vaCollection:
        while (!EndOfList()) {
            ReadListBegin();
            while (!ReadStr().empty())
                SkipValue();
        }
        ReadValue();
        return;
    case vaBinary:
        ReadBinaryPayload();
        return;
    default:
        return;
    }
}

// ---- TReader: components -----------------------------------------------------------------

TComponent* TReader::ReadRootComponent(TComponent* ARoot)
{
    ReadSignature();
    TFilerFlag Flag;
    if (!ReadPrefix(Flag))
        RaiseInvalidFormat();
    String ClassName = ReadStr();
    String Name = ReadStr();
    TOwned<TComponent> Created;
    if (ARoot == nullptr) {
        Created.reset(XCreateFromClass<TComponent>(FindClass(ClassName), nullptr));
        ARoot = Created.get();
    }
    FRoot = ARoot;
    FLoaded.clear();
    FFixups.clear();
    try {
        if (!Name.empty() && Name != ARoot->Name())
            ARoot->SetName(Name);
        ReadComponentBody(ARoot);
        ResolveFixups();
    } catch (...) {
        FinishLoading(false);
        throw;
    }
    FinishLoading(true);
    SyncStream();
    Created.release();
    return ARoot;
}

// Properties, then children; the component is loading until the whole root has been read.
void TReader::ReadComponentBody(TComponent* AComponent)
{
    TDepthGuard Depth(FDepth);
    AComponent->FComponentState.Include(csLoading);
    AComponent->FComponentState.Include(csReading);
    FLoaded.push_back(AComponent);
    ReadProperties(AComponent);
    ReadChildren();
}

void TReader::ReadChildren()
{
    TFilerFlag Flag;
    while (ReadPrefix(Flag))
        ReadComponentBody(ReadChild(Flag));
}

// Every nested block is owned by the root. "inherited" and "inline" blocks name a component
// the root has already.
TComponent* TReader::ReadChild(TFilerFlag AFlag)
{
    String ClassName = ReadStr();
    String Name = ReadStr();
    if (AFlag != ffObject) {
        TComponent* Existing = FRoot->FindComponent(Name);
        if (Existing == nullptr)
            throw EReadError("Ancestor for '" + Name + "' not found");
        return Existing;
    }
    TClass Class = FindClass(ClassName);
    if (!Class->InheritsFrom(TComponent::StaticClass()))
        throw EReadError("Class " + ClassName + " is not a component");
    TComponent* Child = XCreateFromClass<TComponent>(Class, FRoot);
    try {
        if (!Name.empty())
            Child->SetName(Name);
    } catch (...) {
        Child->Free();
        throw;
    }
    return Child;
}

void TReader::ResolveFixups()
{
    for (const TFixup& Fixup : FFixups) {
        TComponent* Target = SameText(Fixup.Name, FRoot->Name()) ? FRoot : FRoot->FindComponent(Fixup.Name);
        if (Target == nullptr || !Target->InheritsFrom(Fixup.Info->PropType()->ClassType))
            continue;   // a reference the root cannot resolve stays nil, as an unknown property would
        SetObjectProp(Fixup.Instance, Fixup.Info, Target);
    }
    FFixups.clear();
}

// Loaded runs once everything is read and referenced, root first; after a failed read the
// components only stop loading.
void TReader::FinishLoading(bool ACallLoaded)
{
    std::vector<TComponent*> Loaded = std::exchange(FLoaded, {});
    for (TComponent* Component : Loaded) {
        Component->FComponentState.Exclude(csReading);
        if (!ACallLoaded)
            Component->FComponentState.Exclude(csLoading);
    }
    for (TComponent* Component : Loaded)
        if (Component->FComponentState.Contains(csLoading))
            Component->Loaded();
}

// ---- TReader: properties -----------------------------------------------------------------

void TReader::ReadProperties(TObject* AInstance)
{
    for (String Path = ReadStr(); !Path.empty(); Path = ReadStr())
        ReadProperty(AInstance, Path);
}

bool TReader::HandleError(const String& AMessage)
{
    bool Handled = false;
    if (FOnError)
        FOnError(this, AMessage, Handled);
    return Handled;
}

// A property that cannot be applied fails the read unless OnError handles it; then its whole
// value is skipped, from its start, however much of it was taken.
void TReader::ReadProperty(TObject* AInstance, const String& APath)
{
    int64_t Start = Position();
    try {
        ApplyProperty(AInstance, APath);
    } catch (const Exception& E) {
        if (!HandleError("Error reading " + APath + ": " + E.Message()))
            throw;
        SetPosition(Start);
        SkipValue();
    }
}

// "Font.Style" walks the published objects to the last name, which is a published property or
// one that the object's DefineProperties declares.
void TReader::ApplyProperty(TObject* AInstance, const String& APath)
{
    std::vector<String> Segments = PathSegments(APath);
    TObject* Instance = AInstance;
    for (size_t I = 0; I + 1 < Segments.size(); ++I) {
        const TPropInfo* Info = GetPropInfo(Instance, Segments[I]);
        Instance = Info != nullptr && Info->Kind() == tkClass ? GetObjectProp(Instance, Info) : nullptr;
        if (Instance == nullptr)
            throw EReadError("Property " + APath + " does not exist");
    }
    if (const TPropInfo* Info = GetPropInfo(Instance, Segments.back()))
        return ReadPropValue(Instance, Info);
    if (auto* Persistent = AsOrNull<TPersistent>(Instance)) {
        FPropName = Segments.back();
        FPropFound = false;
        Persistent->DefineProperties(this);
        FPropName.clear();
        if (FPropFound)
            return;
    }
    throw EReadError("Property " + APath + " does not exist");
}

void TReader::ReadPropValue(TObject* AInstance, const TPropInfo* AInfo)
{
    switch (AInfo->Kind()) {
    case tkInteger:
        return SetOrdProp(AInstance, AInfo, ReadInteger());
    case tkInt64:
        return SetInt64Prop(AInstance, AInfo, ReadInteger());
    case tkChar:
    case tkWChar:
        return SetOrdProp(AInstance, AInfo, ReadCharValue());
    case tkEnumeration: {
        int Value = GetEnumValue(AInfo->PropType(), ReadIdent());
        if (Value < 0)
            RaiseInvalidValue();
        return SetOrdProp(AInstance, AInfo, Value);
    }
    case tkSet:
        return SetOrdProp(AInstance, AInfo, static_cast<int64_t>(ReadSetValue(AInfo->PropType())));
    case tkFloat:
        return SetFloatProp(AInstance, AInfo, ReadFloat());
    case tkUString:
        return SetStrProp(AInstance, AInfo, ReadString());
    case tkClass:
        return ReadObjectValue(AInstance, AInfo);
    case tkMethod:
        return ReadMethodValue(AInstance, AInfo);
    }
}

int64_t TReader::ReadCharValue()
{
    if (NextValue() == vaInt)
        return ReadInteger();
    std::u16string Units = Utf8ToUtf16(ReadString());
    if (Units.size() != 1)
        RaiseInvalidValue();
    return Units[0];
}

uint64_t TReader::ReadSetValue(const TTypeInfo* ASetType)
{
    CheckValue(vaSet);
    uint64_t Bits = 0;
    for (String Name = ReadStr(); !Name.empty(); Name = ReadStr()) {
        int Value = GetEnumValue(ASetType->CompType, Name);
        if (Value < 0 || Value >= 64)
            RaiseInvalidValue();
        Bits |= uint64_t(1) << Value;
    }
    return Bits;
}

// A collection is read into the one the property holds; a name is a component reference,
// resolved once the whole root is read.
void TReader::ReadObjectValue(TObject* AInstance, const TPropInfo* AInfo)
{
    switch (NextValue()) {
    case vaCollection: {
        auto* Collection = AsOrNull<TCollection>(GetObjectProp(AInstance, AInfo));
        if (Collection == nullptr)
            RaiseInvalidValue();
        return ReadCollection(Collection);
    }
    case vaIdent:
        if (!AInfo->IsWritable() || !AInfo->PropType()->ClassType->InheritsFrom(TComponent::StaticClass()))
            RaiseInvalidValue();
        FFixups.push_back({AInstance, AInfo, ReadIdent()});
        return;
    case vaNil:
        ReadValue();
        return SetObjectProp(AInstance, AInfo, nullptr);
    default:
        RaiseInvalidValue();
    }
}

void TReader::ReadCollection(TCollection* ACollection)
{
    TDepthGuard Depth(FDepth);
    CheckValue(vaCollection);
    ACollection->BeginUpdate();
    try {
        ACollection->Clear();
        while (!EndOfList()) {
            ReadListBegin();
            ReadProperties(ACollection->Add());
        }
        ReadListEnd();
    } catch (...) {
        ACollection->EndUpdate();
        throw;
    }
    ACollection->EndUpdate();
}

void TReader::ReadMethodValue(TObject* AInstance, const TPropInfo* AInfo)
{
    if (NextValue() == vaNil) {
        ReadValue();
        return SetMethodProp(AInstance, AInfo, {});
    }
    String Name = ReadIdent();
    TMethodValue Address = MethodAddress(FRoot, Name);
    bool Error = !Address;
    if (FOnFindMethod)
        FOnFindMethod(this, Name, Address, Error);
    if (Error)
        throw EReadError("Method " + Name + " not found");
    SetMethodProp(AInstance, AInfo, Address);
}

void TReader::DefineProperty(const String& AName, TReaderProc AReadData, TWriterProc, bool)
{
    if (FPropFound || !SameText(AName, FPropName) || !AReadData)
        return;
    FPropFound = true;
    AReadData(this);
}

void TReader::DefineBinaryProperty(const String& AName, TStreamProc AReadData, TStreamProc, bool)
{
    if (FPropFound || !SameText(AName, FPropName) || !AReadData)
        return;
    FPropFound = true;
    CheckValue(vaBinary);
    TBytes Bytes = ReadBinaryPayload();
    auto Data = Owned(TMemoryStream::Create());
    Data->WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    Data->SetPosition(0);
    AReadData(Data.get());
}

// ---- Unit functions ----------------------------------------------------------------------

void WriteComponent(TStream* AStream, TComponent* AInstance)
{
    auto Writer = Owned(TWriter::Create(AStream));
    Writer->WriteRootComponent(AInstance);
}

TComponent* ReadComponent(TStream* AStream, TComponent* AInstance)
{
    auto Reader = Owned(TReader::Create(AStream, kDefaultBufSize));
    return Reader->ReadRootComponent(AInstance);
}

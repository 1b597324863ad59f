// XObjectFiler.cpp: the wrapping component, the component-text hooks and the entry points.
#include "XObjectFiler.h"

#include <cstring>

#include "Rtl.ComponentText.h"
#include "Rtl.Encoding.h"
#include "XCore.Errors.h"
#include "XCore.Progress.h"
#include "XCore.Streams.ZLib.h"
#include "XCore.Types.h"

TXObjectToTextHook ObjectToTextHook = &ComponentToText;
TXTextToObjectHook TextToObjectHook = &TextToComponent;
TXObjectToStreamHook ObjectToStreamHook = &ComponentToTextStream;
TXStreamToObjectHook StreamToObjectHook = &TextStreamToComponent;

namespace {

constexpr int kReaderBufSize = 4096;

// Success clears the thread's error. A failure records ACode, unless a deeper step of the same
// operation recorded it already with its reason.
bool Report(bool AOK, int32_t ACode, const String& AWhy, bool ARaise)
{
    if (!AOK && GetErrorCode() == ACode)
        ReportFirstError(false, ACode, 0, AWhy, ARaise);
    else
        ReportError(AOK, ACode, 0, AWhy, ARaise);
    return AOK;
}

void FinishFilerProgress(TXProgress* AProgress)
{
    if (AProgress != nullptr)
        AProgress->Finish();
}

// The whole stream from its start, decoded in the system ANSI code page.
String AnsiText(TStream* AStream)
{
    AStream->SetPosition(0);
    TBytes Bytes(static_cast<size_t>(AStream->Size()));
    AStream->ReadBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    return TEncoding::ANSI()->GetString(Bytes);
}

// 'TXFoo' -> TXFoo, with a doubled quote inside standing for one; unquoted text as it is.
String Unquoted(const String& AValue)
{
    if (AValue.size() < 2 || AValue.front() != '\'' || AValue.back() != '\'')
        return AValue;
    String Result;
    for (size_t I = 1; I + 1 < AValue.size(); ++I) {
        Result += AValue[I];
        if (AValue[I] == '\'' && AValue[I + 1] == '\'')
            ++I;
    }
    return Result;
}

// The class the stored text names: the ObjClassName line of component text, or the first
// ObjClassName property element of XML.
String ClassNameInText(const String& AText)
{
    if (AText[0] == 'o')
        return Unquoted(ExtractTextValue(AText, "ObjClassName"));
    static constexpr std::string_view kOpen = "<p name=\"ObjClassName\">";
    size_t Start = AText.find(kOpen);
    if (Start == String::npos)
        return {};
    Start += kOpen.size();
    size_t End = AText.find("</p>", Start);
    return End == String::npos ? String() : AText.substr(Start, End - Start);
}

bool IsStoredTextStart(const uint8_t* AHead, size_t ACount)
{
    static constexpr uint8_t kBomXml[] = {0xEF, 0xBB, 0xBF, '<', '?'};
    return ACount == 5
           && (std::memcmp(AHead, "objec", 5) == 0 || std::memcmp(AHead, "<?xml", 5) == 0
               || std::memcmp(AHead, kBomXml, 5) == 0);
}

void RestoreName(TComponent* AComponent, const String& AName)
{
    if (AComponent->Name() != AName)
        AComponent->SetName(AName);
}

// A new object of the class the data names, read by AReadInto; freed again when reading failed.
template <class TRead>
TObject* ReadNewObject(TRead AReadInto, TClass ABaseClass)
{
    auto Component = Owned(TXObjectComponent::Create(nullptr));
    if (ABaseClass != nullptr)
        Component->SetBaseClass(ABaseClass);
    bool OK = AReadInto(Component.get());
    TObject* Result = Component->Obj();
    if (!OK && Result != nullptr) {
        Result->Free();
        Result = nullptr;
    }
    return Result;
}

// ATarget takes the values of the object AReadInto reads; the object is freed.
template <class TRead>
bool AssignReadObject(TPersistent* ATarget, TRead AReadInto, String& AWhy)
{
    TOwned<TObject> Temporary(ReadNewObject(AReadInto, ATarget->ClassType()));
    auto* Source = AsOrNull<TPersistent>(Temporary.get());
    if (Source == nullptr)
        return false;
    try {
        ATarget->Assign(Source);
        return true;
    } catch (const std::exception& E) {
        AWhy = E.what();
        return false;
    }
}

}  // namespace

// ---- TXComponentStream -------------------------------------------------------------------

TComponent* TXComponentStream::ReadRootComponent(TComponent* ARoot)
{
    auto Reader = Owned(TReader::Create(this, kReaderBufSize));
    Reader->SetOnError(TReaderError::Bind<&TXComponentStream::ReaderError>(this));
    Reader->SetOnFindMethod(TFindMethodEvent::Bind<&TXComponentStream::FindMethod>(this));
    return Reader->ReadRootComponent(ARoot);
}

void TXComponentStream::ReaderError(TReader*, const String&, bool& AHandled)
{
    AHandled = true;
}

// Handlers of a component read for a form live on the form, its owner. A method the root has
// itself stays found.
void TXComponentStream::FindMethod(TReader* AReader, const String& AMethodName, TMethodValue& AAddress, bool& AError)
{
    TComponent* Owner = AReader->Root()->Owner();
    if (Owner == nullptr || !AError)
        return;
    AAddress = MethodAddress(Owner, AMethodName);
    AError = !AAddress;
}

// ---- Wrapping-component operations -------------------------------------------------------

String ComponentToText(TComponent* AComponent)
{
    auto Text = Owned(TStringStream::Create(String(), TEncoding::ANSI()));
    ComponentToTextStream(AComponent, Text.get());
    return Text->DataString();
}

void ComponentToTextStream(TComponent* AComponent, TStream* AStream)
{
    auto Binary = Owned(TMemoryStream::Create());
    WriteComponent(Binary.get(), AComponent);
    Binary->SetPosition(0);
    ObjectBinaryToText(Binary.get(), AStream);
}

TComponent* TextToComponent(const String& AText, TComponent* AComponent)
{
    auto Text = Owned(TStringStream::Create(AText, TEncoding::ANSI()));
    return TextStreamToComponent(Text.get(), AComponent);
}

// The text names the component as it was written; the component keeps its own name.
TComponent* TextStreamToComponent(TStream* AStream, TComponent* AComponent)
{
    auto Binary = Owned(TXComponentStream::Create());
    ObjectTextToBinary(AStream, Binary.get());
    Binary->SetPosition(0);
    String Name = AComponent->Name();
    try {
        Binary->ReadRootComponent(AComponent);
    } catch (...) {
        RestoreName(AComponent, Name);
        throw;
    }
    RestoreName(AComponent, Name);
    return AComponent;
}

void TextToObject(const String& AText, TComponent* AComponent)
{
    if (!AText.empty() && AText[0] == 'o')
        TextToComponent(AText, AComponent);
    else
        TextToObjectHook(AText, AComponent);
}

TComponent* StreamToComponent(TStream* AStream, TComponent* AComponent)
{
    if (AStream->Size() == 0)
        return AComponent;
    char First = '\0';
    AStream->SetPosition(0);
    AStream->ReadBuffer(&First, 1);
    AStream->SetPosition(0);
    return First == 'o' ? TextStreamToComponent(AStream, AComponent) : StreamToObjectHook(AStream, AComponent);
}

// ---- TXObjectComponent -------------------------------------------------------------------

void TXObjectComponent::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("ObjClassName", &TXObjectComponent::ObjClassName, &TXObjectComponent::SetObjClassName);
    P.Property("Obj", &TXObjectComponent::Obj, &TXObjectComponent::SetObj);
}

void TXObjectComponent::SetObj(TObject* AValue)
{
    FObj = AValue;
    FObjClass = AValue != nullptr ? AValue->ClassType() : nullptr;
    FObjClassName = AValue != nullptr ? AValue->ClassName() : String();
}

void TXObjectComponent::SetObjClass(TClass AValue)
{
    if (FReading || AValue == FObjClass)
        return;
    FObj = nullptr;
    FObjClass = AValue;
    FObjClassName = AValue != nullptr ? AValue->ClassName() : String();
}

void TXObjectComponent::SetObjClassName(const String& AValue)
{
    if (FReading || AValue == FObjClassName)
        return;
    TClass Class = AValue.empty() ? nullptr : FindClass(AValue);
    FObj = nullptr;
    FObjClassName = AValue;
    FObjClass = Class;
}

// The class comes from the data, so it is checked before its constructor runs: a file must
// not make whatever registered class it names (a form, a thread, a socket).
bool TXObjectComponent::CreateObj(TClass AClass)
{
    if (AClass == nullptr)
        return false;
    if (FKeepObj)
        return true;
    if (!AClass->InheritsFrom(FBaseClass)) {
        SetFirstError(kErrRead, 0,
                      "The data holds a " + AClass->ClassName() + " where a " + FBaseClass->ClassName() + " belongs");
        return false;
    }
    TObject* Created = CreateInstanceOf(AClass);
    if (Created == nullptr)
        return false;
    FObj = Created;
    return true;
}

String TXObjectComponent::ObjectToText(bool AUseComponentText)
{
    return AUseComponentText ? ComponentToText(this) : ObjectToTextHook(this);
}

void TXObjectComponent::SaveToTextStream(TStream* AStream, bool AUseComponentText)
{
    if (AUseComponentText)
        ComponentToTextStream(this, AStream);
    else
        ObjectToStreamHook(this, AStream);
}

bool TXObjectComponent::SaveToStream(TStream* AStream, bool AUseComponentText, bool ARaise)
{
    String Why;
    bool OK = true;
    try {
        AStream->SetSize(0);
        AStream->SetPosition(0);
        SaveToTextStream(AStream, AUseComponentText);
    } catch (const std::exception& E) {
        OK = false;
        Why = E.what();
    }
    return Report(OK, kErrWrite, Why, ARaise);
}

bool TXObjectComponent::ObjectToTextEx(bool AUseComponentText, bool ARaise, String& AText)
{
    ClearError();
    try {
        AText = ObjectToText(AUseComponentText);
        return true;
    } catch (const std::exception& E) {
        AText.clear();
        SetError(kErrWrite, 0, E.what(), ARaise);
        return false;
    }
}

bool TXObjectComponent::ReadFromStream(TStream* AStream, TClass AClass, bool ARaise)
{
    String Why;
    bool OK = false;
    FReading = true;
    try {
        if (!FKeepObj) {
            FObjClass = AClass;
            FObjClassName = AClass != nullptr ? AClass->ClassName() : String();
        }
        if (!CreateObj(FObjClass)) {
            FObj = nullptr;
        } else {
            StreamToComponent(AStream, this);
            OK = true;
        }
    } catch (const std::exception& E) {
        Why = E.what();
    }
    FReading = false;
    return Report(OK, kErrRead, Why, ARaise);
}

// The class comes from the text, and stays what it is while the text is read.
bool TXObjectComponent::LoadFromText(const String& AText, bool ARaise)
{
    String Why;
    bool OK = false;
    try {
        if (!AText.empty()) {
            if (!FKeepObj) {
                FObjClassName = ClassNameInText(AText);
                FObjClass = GetClass(FObjClassName);
            }
            if (!CreateObj(FObjClass)) {
                FObj = nullptr;
            } else {
                FReading = true;
                TextToObject(AText, this);
                OK = true;
            }
        }
    } catch (const std::exception& E) {
        Why = E.what();
    }
    FReading = false;
    return Report(OK, kErrRead, Why, ARaise);
}

bool TXObjectComponent::LoadFromStream(TStream* AStream, bool ARaise)
{
    ClearError();
    String Why;
    bool OK = false;
    try {
        OK = LoadFromText(AnsiText(AStream), false);
    } catch (const std::exception& E) {
        Why = E.what();
    }
    ReportFirstError(OK, kErrRead, 0, Why, ARaise);
    return OK;
}

bool TXObjectComponent::SaveObject(TObject* AValue, TStream* AStream, bool ARaise, bool AUseComponentText)
{
    SetObj(AValue);
    return SaveToStream(AStream, AUseComponentText, ARaise);
}

bool TXObjectComponent::ReadCollectionItem(TCollection* ACollection, TStream* AStream, bool ARaise)
{
    TCollectionItem* Item = nullptr;
    String Why;
    try {
        Item = ACollection->Add();
    } catch (const std::exception& E) {
        Why = E.what();
    }
    bool OK = false;
    if (Item != nullptr) {
        SetObj(Item);
        FKeepObj = true;
        OK = ReadFromStream(AStream, ACollection->ItemClass(), false);
        FKeepObj = false;
        if (!OK) {
            ACollection->Delete(Item->Index());
            SetObj(nullptr);
        }
    }
    return Report(OK, kErrRead, Why, ARaise);
}

// ---- TXObjectItem and TXObjectCollection -------------------------------------------------

void TXObjectItem::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("ObjClassName", &TXObjectItem::ObjClassName, &TXObjectItem::SetObjClassName);
    P.Property("Obj", &TXObjectItem::Obj, &TXObjectItem::SetObj);
}

void TXObjectItem::SetObj(TPersistent* AValue)
{
    FObj = AValue;
    FObjClass = AValue != nullptr ? AValue->ClassType() : nullptr;
    FObjClassName = AValue != nullptr ? AValue->ClassName() : String();
}

void TXObjectItem::SetObjClassName(const String& AValue)
{
    if (AValue == FObjClassName)
        return;
    FObj = nullptr;
    FObjClassName = AValue;
    FObjClass = AValue.empty() ? nullptr : GetClass(AValue);
    (void)CreateObj(FObjClass);
}

bool TXObjectItem::CreateObj(TClass AClass)
{
    if (AClass == nullptr)
        return false;
    FreeAndNil(FObj);
    if (!AClass->InheritsFrom(TPersistent::StaticClass()))
        return false;
    FObj = static_cast<TPersistent*>(CreateInstanceOf(AClass));
    return FObj != nullptr;
}

void TXObjectCollection::AppendObjectsTo(TObjectList* AList)
{
    for (int I = 0; I < Count(); ++I)
        if (TPersistent* Obj = GetItem(I)->Obj())
            AList->Add(Obj);
    Clear();
}

void TXObjectCollection::ExtractObjects(TObjectList* AList)
{
    AList->Clear();
    AppendObjectsTo(AList);
}

// ---- Module entry points -----------------------------------------------------------------

bool ReadObjectText(TStream* AStream, String& AText)
{
    AText.clear();
    try {
        uint8_t Head[5];
        AStream->SetPosition(0);
        size_t Count = static_cast<size_t>(AStream->Read(Head, sizeof(Head)));
        AStream->SetPosition(0);
        if (IsStoredTextStart(Head, Count)) {
            AText = AnsiText(AStream);
            return true;
        }
    } catch (const std::exception& E) {
        SetError(kErrRead, 0, E.what());
        return false;
    }
    // Stored objects are settings: a few kilobytes of text.
    return ReadWholeTextBlock(AStream, AText, true, nullptr, false, kXZDocumentLimit);
}

bool WriteObjectData(TMemoryStream* ASource, TStream* ADest, bool ACompressed)
{
    int64_t Offset = 0;
    int64_t StoredSize = 0;
    return WriteMemoryBlock(ADest, Offset, StoredSize, ASource, ACompressed ? zlDefault : zlNone, nullptr, false);
}

String ExtractTextValue(const String& AText, const String& APropName)
{
    String Upper = UpperCase(AText);
    size_t Start = Upper.find(UpperCase(APropName) + " =");
    if (Start == String::npos)
        return {};
    Start += APropName.size() + 2;
    size_t End = AText.find("\r\n", Start);
    return End == String::npos ? String() : Trim(std::string_view(AText).substr(Start, End - Start));
}

TObject* ReadObjectFromStream(TStream* AStream, TXProgress* AProgress, bool ARaise, TClass ABaseClass)
{
    TObject* Result =
        ReadNewObject([&](TXObjectComponent* C) { return C->LoadFromStream(AStream, false); }, ABaseClass);
    FinishFilerProgress(AProgress);
    ReportFirstError(Result != nullptr, kErrRead, 0, {}, ARaise);
    return Result;
}

bool LoadObjectFromStream(TPersistent* ATarget, TStream* AStream, TXProgress* AProgress, bool ARaise)
{
    String Why;
    bool OK = AssignReadObject(
        ATarget, [&](TXObjectComponent* C) { return C->LoadFromStream(AStream, false); }, Why);
    FinishFilerProgress(AProgress);
    ReportFirstError(OK, kErrRead, 0, Why, ARaise);
    return OK;
}

bool LoadObjectFromText(TPersistent* ATarget, const String& AText, TXProgress* AProgress, bool ARaise)
{
    String Why;
    bool OK = AssignReadObject(
        ATarget, [&](TXObjectComponent* C) { return C->LoadFromText(AText, false); }, Why);
    FinishFilerProgress(AProgress);
    ReportFirstError(OK, kErrRead, 0, Why, ARaise);
    return OK;
}

bool SaveObjectToStream(TObject* AObj, TStream* AStream, bool AUseComponentText, bool ARaise, TXProgress* AProgress)
{
    auto Component = Owned(TXObjectComponent::Create(nullptr));
    bool OK = Component->SaveObject(AObj, AStream, false, AUseComponentText);
    FinishFilerProgress(AProgress);
    ReportFirstError(OK, kErrWrite, 0, {}, ARaise);
    return OK;
}

bool SaveObjectToText(TObject* AObj, String& AText, bool AUseComponentText, bool ARaise, TXProgress* AProgress)
{
    auto Component = Owned(TXObjectComponent::Create(nullptr));
    Component->SetObj(AObj);
    bool OK = false;
    try {
        OK = Component->ObjectToTextEx(AUseComponentText, true, AText);
    } catch (const std::exception&) {
        AText.clear();
    }
    FinishFilerProgress(AProgress);
    ReportFirstError(OK, kErrWrite, 0, {}, ARaise);
    return OK;
}

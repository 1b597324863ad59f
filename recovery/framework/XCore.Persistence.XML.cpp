// XCore.Persistence.XML.cpp: the recovery program's form of the XML object format.
#include "XCore.Persistence.XML.h"

#include <algorithm>

#include "Rtl.Encoding.h"
#include "Rtl.SysUtils.h"
#include "XCore.Filer.Image.h"
#include "XCore.Strings.h"
#include "XObjectFiler.h"

namespace XCore::Persistence::XML {

namespace {

constexpr int64_t kHexLineBytes = 32;

// Upper-case digit pairs, 32 bytes to a line, lines joined by CR LF.
String HexLines(TStream* AData)
{
    String Text;
    uint8_t Line[kHexLineBytes];
    AData->SetPosition(0);
    for (int64_t Count; (Count = AData->Read(Line, kHexLineBytes)) > 0;) {
        if (!Text.empty())
            Text += "\r\n";
        Text += EncodeRadix({reinterpret_cast<const char*>(Line), static_cast<size_t>(Count)}, 16);
    }
    return Text;
}

void WriteDefined(TPersistent* AObj, IXMLObjectType* ANode)
{
    auto Writer = Owned(TXMLWriter::Create(ANode));
    AObj->DefineProperties(Writer.get());
}

void ReadDefined(TPersistent* AObj, IXMLObjectType* ANode)
{
    auto Reader = Owned(TXMLReader::Create(ANode));
    AObj->DefineProperties(Reader.get());
}

constexpr TXMLObjectForm kForm{.SkipStreams = true, .WriteDefined = &WriteDefined, .ReadDefined = &ReadDefined};

// The text's bytes when it is a document's bytes one character each in the ANSI code page:
// those come back whole and are UTF-8, while a document's own text past ASCII does not pass
// both tests. Otherwise the text itself is the document.
String DocumentBytes(const String& AText)
{
    TBytes Bytes = TEncoding::ANSI()->GetBytes(AText);
    String AsBytes(Bytes.begin(), Bytes.end());
    bool WholeInAnsi = TEncoding::ANSI()->GetString(Bytes) == AText;
    bool IsUtf8 = TEncoding::UTF8()->GetString(Bytes) == AsBytes;
    return WholeInAnsi && IsUtf8 ? AsBytes : AText;
}

}  // namespace

// ---- TXMLWriter and TXMLReader -----------------------------------------------------------

void TXMLWriter::DefineProperty(const String&, TReaderProc, TWriterProc, bool)
{
}

void TXMLWriter::DefineBinaryProperty(const String& AName, TStreamProc, TStreamProc AWriteData, bool AHasData)
{
    if (!AHasData || !AWriteData)
        return;
    TIntf<IXMLPropertyType> Property = FNode->P()->Add();
    Property->SetName(AName);
    auto Data = Owned(TMemoryStream::Create());
    AWriteData(Data.get());
    Property->SetText(HexLines(Data.get()));
}

void TXMLReader::DefineProperty(const String&, TReaderProc, TWriterProc, bool)
{
}

void TXMLReader::DefineBinaryProperty(const String& AName, TStreamProc AReadData, TStreamProc, bool)
{
    if (!AReadData)
        return;
    TIntf<IXMLNodeList> Children = FNode->ChildNodes();
    for (int I = 0; I < Children->Count(); ++I) {
        TIntf<IXMLNode> Child = Children->Nodes(I);
        if (Child->NodeType() != ntElement || !SameText(Child->Attributes("name"), AName))
            continue;
        String Digits = Child->Text();
        if (Digits.empty())
            return;
        auto Data = Owned(TMemoryStream::Create());
        DecodeRadixToStream(Digits, Data.get(), 16);
        Data->SetPosition(0);
        AReadData(Data.get());
        return;
    }
}

// ---- Digits ------------------------------------------------------------------------------

void DecodeRadixToStream(std::string_view ADigits, TStream* AStream, int ARadix)
{
    auto Width = static_cast<size_t>(RadixDigitWidth(ARadix));
    for (size_t Pos = 0; Pos + 1 < ADigits.size();) {
        char Digit = ADigits[Pos];
        if (Digit == '\b' || Digit == '\n' || Digit == '\r' || Digit == ' ') {
            ++Pos;
            continue;
        }
        auto Byte = static_cast<uint8_t>(RadixToInt(ADigits.substr(Pos, Width), ARadix));
        AStream->WriteBuffer(&Byte, 1);
        Pos += Width;
    }
}

// ---- Objects and documents ---------------------------------------------------------------

bool WriteObjectToXMLNode(TObject* AObj, IXMLObjectType* ANode)
{
    return ::WriteObjectToXMLNode(AObj, ANode, kForm);
}

bool ReadObjectFromXMLNode(TObject* AObj, IXMLObjectType* ANode)
{
    return ::ReadObjectFromXMLNode(AObj, ANode, kForm);
}

void SaveObjectToXMLStream(TObject* AObj, TMemoryStream* AStream, bool AIndented)
{
    ObjectToXMLStream(AObj, AStream, AIndented, kForm);
}

String ObjectToXMLText(TObject* AObj, bool AIndented)
{
    auto Stream = Owned(TMemoryStream::Create());
    SaveObjectToXMLStream(AObj, Stream.get(), AIndented);
    return TEncoding::UTF8()->GetString({static_cast<const uint8_t*>(Stream->Memory()),
                                         static_cast<size_t>(Stream->Size())});
}

void LoadObjectFromXMLStream(TObject* AObj, TStream* AStream)
{
    ::LoadObjectFromXMLStream(AObj, AStream, kForm);
}

void LoadObjectFromXMLString(TObject* AObj, const String& AText)
{
    String Bytes = DocumentBytes(AText);
    auto Stream = Owned(TMemoryStream::Create());
    Stream->WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    XML::LoadObjectFromXMLStream(AObj, Stream.get());
}

// ---- Start-up ----------------------------------------------------------------------------

namespace {

String ObjectToTextHookOfThisForm(TComponent* AObj)
{
    return ObjectToXMLText(AObj, false);
}

TComponent* TextToObjectHookOfThisForm(const String& AText, TComponent* AComponent)
{
    XML::LoadObjectFromXMLString(AComponent, AText);
    return AComponent;
}

}  // namespace

}  // namespace XCore::Persistence::XML

void RegisterRecoveryFramework()
{
    // After the framework's hooks, once: the framework's stream hooks follow the process's form,
    // and its text hooks give way to this form's.
    static const bool Installed = [] {
        RegisterUIMedia();
        XMLObjectForm = XCore::Persistence::XML::kForm;
        ObjectToTextHook = &XCore::Persistence::XML::ObjectToTextHookOfThisForm;
        TextToObjectHook = &XCore::Persistence::XML::TextToObjectHookOfThisForm;
        return true;
    }();
    (void)Installed;
}

// ---- Object filers -----------------------------------------------------------------------

bool xCompactXMLObjectFiler::LoadObject(TObject* AObj, TStream* AStream)
{
    XCore::Persistence::XML::LoadObjectFromXMLStream(AObj, AStream);
    return true;
}

bool xCompactXMLObjectFiler::SaveObject(TObject* AObj, TMemoryStream* AStream)
{
    XCore::Persistence::XML::SaveObjectToXMLStream(AObj, AStream, false);
    return true;
}

bool xXMLObjectFiler::SaveObject(TObject* AObj, TMemoryStream* AStream)
{
    XCore::Persistence::XML::SaveObjectToXMLStream(AObj, AStream, true);
    return true;
}

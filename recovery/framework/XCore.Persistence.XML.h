// XCore.Persistence.XML.h: the recovery program's form of the XML object format. Over the
// framework's, it leaves streams out, stores binary defined properties as "p" elements of
// hexadecimal lines, and gives a document's text as its UTF-8 text. The library's start-up
// makes this form the process's, serializer hooks included; it runs on the UI thread.
#pragma once

#include <string_view>

#include "Rtl.Classes.h"
#include "XCore.Persistence.h"
#include "XMLClasses.h"

namespace XCore::Persistence::XML {

// Writes the binary properties an object defines into an "o" element, as "p" elements named
// after them; other defined properties are not stored. Lives for one object's definitions.
class TXMLWriter : public TFiler {
    X_CLASS(TXMLWriter, TFiler)
public:
    void DefineProperty(const String& AName, TReaderProc AReadData, TWriterProc AWriteData, bool AHasData) override;
    void DefineBinaryProperty(const String& AName, TStreamProc AReadData, TStreamProc AWriteData,
                              bool AHasData) override;

protected:
    TXMLWriter() = default;
    void Construct(IXMLObjectType* ANode) { FNode = ANode; }

private:
    IXMLObjectType* FNode = nullptr;   // not counted: the walk holds it
};

// Reads them back from the first child element whose "name" matches, letter case ignored.
class TXMLReader : public TFiler {
    X_CLASS(TXMLReader, TFiler)
public:
    void DefineProperty(const String& AName, TReaderProc AReadData, TWriterProc AWriteData, bool AHasData) override;
    void DefineBinaryProperty(const String& AName, TStreamProc AReadData, TStreamProc AWriteData,
                              bool AHasData) override;

protected:
    TXMLReader() = default;
    void Construct(IXMLObjectType* ANode) { FNode = ANode; }

private:
    IXMLObjectType* FNode = nullptr;   // not counted: the walk holds it
};

// Each group of digits (2 from radix 16 up) back to one byte, written to AStream; backspace,
// line feed, carriage return and space between groups are skipped. Digits are "0".."9", then
// upper-case "A".."Z".
void DecodeRadixToStream(std::string_view ADigits, TStream* AStream, int ARadix);

// As the framework's, in this program's form.
bool WriteObjectToXMLNode(TObject* AObj, IXMLObjectType* ANode);
bool ReadObjectFromXMLNode(TObject* AObj, IXMLObjectType* ANode);
// A whole document (UTF-8) at AStream's position; pass an empty stream. Raises what the
// document raises.
void SaveObjectToXMLStream(TObject* AObj, TMemoryStream* AStream, bool AIndented);
// The document's text.
String ObjectToXMLText(TObject* AObj, bool AIndented);
// An empty stream reads nothing. Raises for a stream that holds no object document.
void LoadObjectFromXMLStream(TObject* AObj, TStream* AStream);
// AText is the document's text, or its bytes one character each in the ANSI code page as the
// stored-object readers hand it over.
void LoadObjectFromXMLString(TObject* AObj, const String& AText);

}  // namespace XCore::Persistence::XML

// Compact output. Both raise what the document raises.
class xCompactXMLObjectFiler : public TXCustomObjectFiler {
    X_CLASS(xCompactXMLObjectFiler, TXCustomObjectFiler)
public:
    static bool LoadObject(TObject* AObj, TStream* AStream);
    static bool SaveObject(TObject* AObj, TMemoryStream* AStream);

protected:
    xCompactXMLObjectFiler() = default;
};

// Indented output: what settings files are written with.
class xXMLObjectFiler : public xCompactXMLObjectFiler {
    X_CLASS(xXMLObjectFiler, xCompactXMLObjectFiler)
public:
    static bool SaveObject(TObject* AObj, TMemoryStream* AStream);

protected:
    xXMLObjectFiler() = default;
};

// ---- Start-up ----------------------------------------------------------------------------

// Registers the libraries below, then makes this form the process's: XMLObjectForm and the
// text hooks. Programs and test programs call it at start-up; only the first call installs it.
void RegisterRecoveryFramework();

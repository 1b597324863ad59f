// XCore.Streams.Containers.cpp: stream objects, stream items and the stream box.
#include "XCore.Streams.Containers.h"

#include <exception>

#include "Rtl.Files.h"
#include "Rtl.SysUtils.h"
#include "Rtl.TypInfo.h"
#include "XCore.Errors.h"
#include "XCore.Streams.ZLib.h"

// ---- TXStreamObject ----------------------------------------------------------------------

TXStreamObject::~TXStreamObject()
{
    FreeAndNil(FDataStream);
}

void TXStreamObject::Init()
{
    inherited::Init();
    FDataStream = TMemoryStream::Create();
    FDataStorable = true;
    FCompressed = false;
}

void TXStreamObject::DoClear()
{
    inherited::DoClear();
    FDataClass.clear();
    FFileName.clear();
    FVersion.clear();
    FDataStream->Clear();
    FSize = 0;
    FTimeStamp = 0;
}

bool TXStreamObject::AssignFrom(TPersistent* ASource)
{
    auto* Source = AsOrNull<TXStreamObject>(ASource);
    if (Source != nullptr && Source != this) {
        FDataClass = Source->FDataClass;
        FDataStream->LoadFromStream(Source->FDataStream);
        FFileName = Source->FFileName;
        FVersion = Source->FVersion;
        FSize = FDataStream->Size();
        FTimeStamp = Source->FTimeStamp;
        FCompressed = Source->FCompressed;
    }
    return inherited::AssignFrom(ASource);
}

bool TXStreamObject::LoadFromObject(TObject* ASource)
{
    DoClear();
    auto* Source = AsOrNull<TXStreamObject>(ASource);
    if (Source == nullptr)
        return false;
    Assign(Source);
    return true;
}

bool TXStreamObject::LoadFromStream(const String& ADataClass, TStream* ASource)
{
    DoClear();
    try {
        FDataClass = ADataClass;
        FDataStream->LoadFromStream(ASource);
        FSize = FDataStream->Size();
        return true;
    } catch (const std::exception& E) {
        DoClear();
        SetFirstError(kErrRead, 0, E.what());
        return false;
    }
}

bool TXStreamObject::LoadFromFile(const String& AFileName, bool)
{
    DoClear();
    try {
        FDataStream->LoadFromFile(AFileName);
        FDataClass = LowerCase(ExtractFileExt(AFileName));
        FSize = FDataStream->Size();
        return true;
    } catch (const std::exception& E) {
        DoClear();
        SetFirstError(kErrRead, 0, E.what());
        return false;
    }
}

// ---- Binary properties -------------------------------------------------------------------

void TXStreamObject::DefineProperties(TFiler* AFiler)
{
    inherited::DefineProperties(AFiler);
    AFiler->DefineBinaryProperty("Data", TStreamProc::Bind<&TXStreamObject::ReadData>(this),
                                 TStreamProc::Bind<&TXStreamObject::WriteData>(this), HasStoredData(false));
    AFiler->DefineBinaryProperty("CData", TStreamProc::Bind<&TXStreamObject::ReadCompressedData>(this),
                                 TStreamProc::Bind<&TXStreamObject::WriteCompressedData>(this), HasStoredData(true));
}

bool TXStreamObject::HasStoredData(bool ACompressed) const
{
    return FDataStorable && FDataStream->Size() > 0 && FCompressed == ACompressed;
}

void TXStreamObject::ReadData(TStream* AStream)
{
    FDataStream->LoadFromStream(AStream);
}

void TXStreamObject::WriteData(TStream* AStream)
{
    FDataStream->SaveToStream(AStream);
}

// Damaged data keeps what inflated before the damage: a picture's first rows are worth more
// than none. A crafted stream stops at the inflate limit.
void TXStreamObject::ReadCompressedData(TStream* AStream)
{
    FDataStream->Clear();
    try {
        AStream->SetPosition(0);
        auto Inflater = Owned(TXZDecompressionStream::Create(AStream));
        Inflater->CopyTo(FDataStream, nullptr, AStream->Size());
    } catch (const std::exception&) {
    }
    FDataStream->SetPosition(0);
}

// A failure passes on to the writer: swallowed, it would leave a file without the bytes and
// report the save as done.
void TXStreamObject::WriteCompressedData(TStream* AStream)
{
    auto Deflater = Owned(TXZCompressionStream::Create(AStream, zlDefault));
    Deflater->CopyFrom(FDataStream, nullptr, 0);
    Deflater->Finish();
}

void TXStreamObject::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Name", &TXNamedPersistent::GetName, &TXNamedPersistent::SetName);
    P.Property("Compressed", &TXStreamObject::Compressed, &TXStreamObject::SetCompressed);
    P.Property("DataClass", &TXStreamObject::DataClass, &TXStreamObject::SetDataClass);
    P.Property("DataStream", &TXStreamObject::DataStream).Stored(false);
    P.Property("FileName", &TXStreamObject::FileName, &TXStreamObject::SetFileName);
    P.Property("Version", &TXStreamObject::Version, &TXStreamObject::SetVersion);
    P.Property("Size", &TXStreamObject::Size, &TXStreamObject::SetSize);
    P.Property("TimeStamp", &TXStreamObject::TimeStamp, &TXStreamObject::SetTimeStamp);
}

// ---- TXCustomSizeStreamObject ------------------------------------------------------------

void TXCustomSizeStreamObject::DoClear()
{
    inherited::DoClear();
    FWidth = 0;
    FHeight = 0;
}

bool TXCustomSizeStreamObject::AssignFrom(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TXCustomSizeStreamObject>(ASource)) {
        FWidth = Source->FWidth;
        FHeight = Source->FHeight;
    }
    return inherited::AssignFrom(ASource);
}

void TXCustomSizeStreamObject::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Width", &TXCustomSizeStreamObject::Width, &TXCustomSizeStreamObject::SetWidth);
    P.Property("Height", &TXCustomSizeStreamObject::Height, &TXCustomSizeStreamObject::SetHeight);
}

// ---- Stream items ------------------------------------------------------------------------

TXCustomStreamItem::~TXCustomStreamItem()
{
    FreeAndNil(FStreamObject);
}

// Runs before the first SetDataStorable and Clear of the item's construction, which reach the
// stream object.
void TXCustomStreamItem::Init()
{
    inherited::Init();
    FStreamObject = NewStreamObject();
}

void TXCustomStreamItem::DoClear()
{
    inherited::DoClear();
    FStreamObject->DoClear();
}

bool TXCustomStreamItem::AssignFrom(TPersistent* ASource)
{
    if (auto* Item = AsOrNull<TXCustomStreamItem>(ASource))
        FStreamObject->Assign(Item->FStreamObject);
    else if (auto* Object = AsOrNull<TXStreamObject>(ASource))
        FStreamObject->Assign(Object);
    return inherited::AssignFrom(ASource);
}

void TXCustomStreamItem::SetDataStorable(bool AValue)
{
    inherited::SetDataStorable(AValue);
    FStreamObject->SetDataStorable(AValue);
}

void TXCustomStreamItem::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Name", &TCollectionItem::GetDisplayName, &TCollectionItem::SetDisplayName);
}

void TXStreamItem::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Data", &TXStreamItem::Data, &TXStreamItem::SetData);
}

// ---- TXStreamBox -------------------------------------------------------------------------

void TXStreamBox::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Data", &TXStreamBox::Data, &TXStreamBox::SetData);
}

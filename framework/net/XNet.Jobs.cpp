#include "XNet.Jobs.h"

#include "XCore.Errors.h"
#include "XCore.Filer.h"
#include "XCore.Strings.h"
#include "XNet.Classes.h"

void TXNetFileItem::Init()
{
    inherited::Init();
    FPostFields = Owned(TStringList::Create());
    FData = Owned(TMemoryStream::Create());
}

bool TXNetFileItem::AssignFrom(TPersistent* ASource)
{
    auto* Source = AsOrNull<TXNetFileItem>(ASource);
    if (Source == nullptr)
        return inherited::AssignFrom(ASource);
    FUrl = Source->FUrl;
    FLocalFile = Source->FLocalFile;
    FPostFields->Assign(Source->FPostFields.get());
    FIsPost = Source->FIsPost;
    FData->LoadFromStream(Source->FData.get());
    FSize = Source->FSize;
    FAskLocation = Source->FAskLocation;
    FOfferOpen = Source->FOfferOpen;
    FFetched = Source->FFetched;
    return true;
}

TXNetFileItem* TXNetFileCollection::FindByUrl(const String& AUrl) const
{
    if (AUrl.empty())
        return nullptr;
    for (int I = 0; I < Count(); ++I)
        if (Items(I)->Url() == AUrl)
            return Items(I);
    return nullptr;
}

TXNetFileItem* TXNetFileCollection::AddFile(const String& AUrl, const String& ALocalFile)
{
    return AddPost(AUrl, ALocalFile, {});
}

TXNetFileItem* TXNetFileCollection::AddPost(const String& AUrl, const String& ALocalFile, const String& APostText)
{
    auto Fields = Owned(TStringList::Create());
    Fields->SetText(APostText);
    for (int I = 0; I < Count(); ++I) {
        TXNetFileItem* Item = Items(I);
        if (Item->Url() == AUrl && Item->LocalFile() == ALocalFile && Item->PostFields()->Text() == Fields->Text())
            return Item;
    }
    TXNetFileItem* Item = Add();
    Item->SetUrl(AUrl);
    Item->SetLocalFile(ALocalFile);
    Item->PostFields()->Assign(Fields.get());
    Item->SetIsPost(!APostText.empty());
    return Item;
}

bool TXNetFileCollection::AllSized() const
{
    for (int I = 0; I < Count(); ++I)
        if (!Items(I)->Url().empty() && Items(I)->Size() == -1)
            return false;
    return true;
}

bool TXNetFileCollection::AnyAskLocation() const
{
    for (int I = 0; I < Count(); ++I)
        if (Items(I)->AskLocation())
            return true;
    return false;
}

bool TXNetFileCollection::AnyOfferOpen() const
{
    for (int I = 0; I < Count(); ++I)
        if (Items(I)->OfferOpen())
            return true;
    return false;
}

void TXInternetDataFiler::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FServers = Owned(TXServerCollection::Create(nullptr));
    FRefreshParams = Owned(TStringList::Create());
    FCheckParams = Owned(TStringList::Create());
    FQueryParams = Owned(TStringList::Create());
    FFiles = Owned(TXNetFileCollection::Create(nullptr));
}

TXInternetDataFiler::~TXInternetDataFiler()
{
    SetDataFiler(nullptr);
    SetDataObject(nullptr);
}

void TXInternetDataFiler::SetDataFiler(TXFiler* AValue)
{
    if (FDataFiler != nullptr && FDataFiler != AValue)
        FDataFiler->Free();
    FDataFiler = AValue;
}

void TXInternetDataFiler::SetDataObject(TObject* AValue)
{
    if (FDataObject != nullptr && FDataObject != AValue)
        FDataObject->Free();
    FDataObject = AValue;
}

void TXNetDataFiler::Init()
{
    inherited::Init();
    FBuffer = Owned(TStringStream::Create());
}

bool TXNetDataFiler::Parse()
{
    try {
        ReadReply(FBuffer->DataString());
    } catch (...) {
        FCode = rsBad;
        FData.clear();
    }
    FBuffer->Clear();
    switch (FCode) {
    case rsOK:
        ClearError();
        return true;
    case rsNothingNew:
        SetError(nrNothingNew);
        return true;
    case rsServerFailure:
        SetError(nrServerFailure);
        return false;
    default:
        SetError(nrBadReply);
        return false;
    }
}

void TXNetDataFiler::ReadReply(const String& AReply)
{
    FData.clear();
    FFormat = 0;
    String Status = ReadTag("cgi_status", AReply);
    int32_t Code = ReadTagInt("code", Status);
    FCode = Code >= rsOK && Code <= rsServerFailure ? static_cast<uint8_t>(Code) : rsBad;
    if (FCode != rsOK)
        return;
    int32_t Format = ReadTagInt("format", Status);
    FFormat = Format >= 0 && Format <= 3 ? static_cast<uint8_t>(Format) : 2;
    // Up to the last closing tag, so a payload may itself hold the closing tag.
    FData = RawReadTagToLast("cgi_data", AReply);
    if (FFormat == 1)
        FData = DecodeRadixText(FData, 25);
}

// XSpark.Lg.cpp: the language text table, its handlers and the language pack headers.
#include "XSpark.Lg.h"

#include <cstdio>
#include <exception>
#include <vector>

#include "Rtl.Encoding.h"
#include "Rtl.Strings.h"
#include "Rtl.TypInfo.h"
#include "XCore.Streams.h"
#include "XCore.Strings.h"

namespace {

constexpr uint32_t kLgIDTextId = 1;
constexpr uint32_t kKeepLineBreakCodes = 0x80000000u;

// A text id: hexadecimal digits only, non-zero, within 32 bits.
bool ParseTextId(std::string_view AName, uint32_t& AId)
{
    uint64_t Value = 0;
    for (char C : AName) {
        int Digit = C >= '0' && C <= '9'   ? C - '0'
                    : C >= 'A' && C <= 'F' ? C - 'A' + 10
                    : C >= 'a' && C <= 'f' ? C - 'a' + 10
                                           : -1;
        if (Digit < 0)
            return false;
        Value = Value * 16 + static_cast<uint64_t>(Digit);
        if (Value > UINT32_MAX)
            return false;
    }
    AId = static_cast<uint32_t>(Value);
    return Value != 0;
}

struct TLgHandlers {
    TOwned<XCore::Collections::TXAnyProcedureList> List = Owned(XCore::Collections::TXAnyProcedureList::Create());
    bool Locked = false;
};

TLgHandlers& Handlers()
{
    static TLgHandlers GHandlers;
    return GHandlers;
}

}  // namespace

// ---- TXW ---------------------------------------------------------------------------------

bool TXW::LoadFromStream(TStream* AStream)
{
    return Guarded([&] {
        auto Lines = Owned(TStringList::Create());
        Lines->LoadFromStream(AStream);
        for (const String& Line : *Lines) {
            size_t Separator = Line.find('=');
            uint32_t Id = 0;
            if (Separator != String::npos && ParseTextId(std::string_view(Line).substr(0, Separator), Id))
                Add(TPairType::Create(Id, Line.substr(Separator + 1)));
        }
    });
}

String TXW::GetText(uint32_t AId) const
{
    String Coded = GetValue(AId);
    if (Coded.empty())
        return {};
    String Bytes = DecodeRadix(Coded, 36);
    String Text = TEncoding::UTF8()->GetString({reinterpret_cast<const uint8_t*>(Bytes.data()), Bytes.size()});
    if ((AId & kKeepLineBreakCodes) != 0)
        return Text;
    return ReplaceAll("#13#10", "\r\n", Text);
}

// ---- TXLg --------------------------------------------------------------------------------

void TXLg::Init()
{
    inherited::Init();
    FTexts = TXW::Create();
    FItems = TXBCollection::Create(this);
    FNotify = true;
}

TXLg::~TXLg()
{
    FreeAndNil(FItems);
    FreeAndNil(FTexts);
}

void TXLg::DoClear()
{
    inherited::DoClear();
    FTexts->Clear();
    FItems->Clear();
}

bool TXLg::AssignFrom(TPersistent* ASource)
{
    auto* Source = AsOrNull<TXLg>(ASource);
    if (Source != nullptr && Source != this) {
        FTexts->Clear();
        FTexts->AddRange(*Source->FTexts);
        FItems->Assign(Source->FItems);
        FNotify = Source->FNotify;
        if (this == Lg())
            NotifyLgChanged();
    }
    return inherited::AssignFrom(ASource);
}

uint32_t TXLg::GetLgID() const
{
    int64_t Id = 0;
    return TryStrToInt64(GetText(kLgIDTextId), Id) ? static_cast<uint32_t>(Id) : 0;
}

TMemoryStream* TXLg::GetItemStream(const String& AName) const
{
    int Index = FItems->IndexOfName(AName);
    return Index >= 0 ? FItems->Items(Index)->Data()->DataStream() : EmptyMemoryStream();
}

bool TXLg::LoadTexts(TStream* AStream, bool ARewind)
{
    bool OK = Guarded([&] {
        if (ARewind)
            AStream->SetPosition(0);
    }) && FTexts->LoadFromStream(AStream);
    if (FNotify && this == Lg())
        NotifyLgChanged();
    return OK;
}

TXBI* TXLg::AddItem(const String& AName, TStream* AStream, const String& ADataClass)
{
    return FItems->AddItem(ADataClass, AStream, AName);
}

// ---- TXLgHeader --------------------------------------------------------------------------

void TXLgHeader::DoClear()
{
    inherited::DoClear();
    SetName({});
    FLgID = 0;
    FAppID = 0;
    FAppVer = 0;
    FRevision.clear();
    FAuthor.clear();
    FContact.clear();
    FComments.clear();
    FData.clear();
    FFileName.clear();
    FDataStream = nullptr;
}

bool TXLgHeader::AssignFrom(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TXLgHeader>(ASource)) {
        FLgID = Source->FLgID;
        FAppID = Source->FAppID;
        FAppVer = Source->FAppVer;
        FRevision = Source->FRevision;
        FAuthor = Source->FAuthor;
        FContact = Source->FContact;
        FComments = Source->FComments;
        FData = Source->FData;
        FFileName = Source->FFileName;
        FDataStream = Source->FDataStream;
    }
    return inherited::AssignFrom(ASource);
}

void TXLgHeader::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Name", &TXNamedPersistent::GetName, &TXNamedPersistent::SetName);
    P.Property("LgID", &TXLgHeader::LgID, &TXLgHeader::SetLgID);
    P.Property("AppID", &TXLgHeader::AppID, &TXLgHeader::SetAppID);
    P.Property("AppVer", &TXLgHeader::AppVer, &TXLgHeader::SetAppVer);
    P.Property("Revision", &TXLgHeader::Revision, &TXLgHeader::SetRevision);
    P.Property("Author", &TXLgHeader::Author, &TXLgHeader::SetAuthor);
    P.Property("Contact", &TXLgHeader::Contact, &TXLgHeader::SetContact);
    P.Property("Comments", &TXLgHeader::Comments, &TXLgHeader::SetComments);
    P.Property("Data", &TXLgHeader::Data, &TXLgHeader::SetData);
}

// ---- TXLgProject -------------------------------------------------------------------------

void TXLgProject::Init()
{
    inherited::Init();
    FTextStream = TMemoryStream::Create();
    FItems = TXBCollection::Create(this);
}

TXLgProject::~TXLgProject()
{
    FreeAndNil(FItems);
    FreeAndNil(FTextStream);
}

bool TXLgProject::AssignFrom(TPersistent* ASource)
{
    auto* Source = AsOrNull<TXLgProject>(ASource);
    if (Source != nullptr && Source != this) {
        FItems->Assign(Source->FItems);
        FTextStream->LoadFromStream(Source->FTextStream);
    }
    return inherited::AssignFrom(ASource);
}

// ---- TXLgHeaderList ----------------------------------------------------------------------

int TXLgHeaderList::IndexOfLgID(uint32_t ALgID) const
{
    for (int I = 0; I < Count(); ++I)
        if (Headers(I)->LgID() == ALgID)
            return I;
    return -1;
}

int TXLgHeaderList::IndexOfFirstWithData() const
{
    for (int I = 0; I < Count(); ++I)
        if (Headers(I)->DataStream() != nullptr)
            return I;
    return -1;
}

void TXLgHeaderList::SortByName()
{
    if (Count() >= 2)
        Sort(&CompareLgHeaders);
}

int CompareLgHeaders(void* AItem1, void* AItem2)
{
    auto* A = static_cast<TXLgHeader*>(static_cast<TObject*>(AItem1));
    auto* B = static_cast<TXLgHeader*>(static_cast<TObject*>(AItem2));
    bool ADefault = A->LgID() == LgDefaultID;
    bool BDefault = B->LgID() == LgDefaultID;
    if (ADefault != BDefault)
        return ADefault ? -1 : 1;
    return CompareText(A->GetName(), B->GetName());
}

// ---- The global table and its handlers ---------------------------------------------------

TXLg* Lg()
{
    static const TOwned<TXLg> GTable = Owned(TXLg::Create());
    return GTable.get();
}

uint32_t GetCurrentLgID()
{
    return Lg()->GetLgID();
}

String GetCurrentLgIDHex()
{
    char Buffer[16];
    std::snprintf(Buffer, sizeof Buffer, "%04x", GetCurrentLgID());
    return Buffer;
}

void RegisterLgChangedHandler(const TXAnyProcedure& AHandler)
{
    Handlers().List->AddUnique(AHandler);
    if (!Handlers().Locked)
        AHandler.Invoke();
}

void RegisterLgChangedHandler(const TMethod<void()>& AHandler)
{
    RegisterLgChangedHandler(TXAnyProcedure::FromMethod(AHandler));
}

void UnregisterLgChangedHandler(const TXAnyProcedure& AHandler)
{
    Handlers().List->Remove(AHandler);
}

void UnregisterLgChangedHandler(const TMethod<void()>& AHandler)
{
    UnregisterLgChangedHandler(TXAnyProcedure::FromMethod(AHandler));
}

// The round walks a copy of the list, so that a handler may unregister itself or another
// (a form that closes); one unregistered meanwhile is skipped, as its owner may be gone.
void NotifyLgChanged()
{
    TLgHandlers& Registry = Handlers();
    if (Registry.Locked)
        return;
    std::vector<TXAnyProcedure> Round(Registry.List->begin(), Registry.List->end());
    try {
        for (const TXAnyProcedure& Handler : Round)
            if (Registry.List->Contains(Handler))
                Handler.Invoke();
    } catch (const std::exception&) {
    }
}

void LockLgChangedHandlers()
{
    Handlers().Locked = true;
}

bool LgChangedHandlersLocked()
{
    return Handlers().Locked;
}

void UnlockLgChangedHandlers(bool AFire)
{
    Handlers().Locked = false;
    if (AFire)
        NotifyLgChanged();
}

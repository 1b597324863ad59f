#include "XFoto.Pack.Headers.h"

#include <algorithm>
#include <random>

#include "Rtl.Files.h"
#include "Rtl.SysUtils.h"
#include "Rtl.TypInfo.h"
#include "XCore.IO.h"

namespace {

constexpr size_t kIDListLimit = 16384;

// The path with the expanded folder at its start given back as the folder's macro text.
String PackNameOf(const String& AFileName, const String& AFolder)
{
    const String Expanded = ExpandPathMacros(AFolder);
    if (!Expanded.empty() && AFileName.size() >= Expanded.size() &&
        SameText(std::string_view(AFileName).substr(0, Expanded.size()), Expanded))
        return AFolder + AFileName.substr(Expanded.size());
    return AFileName;
}

// The pack name without its "<...>" macro blocks and without the file extension.
String PlainPackName(const String& APackName)
{
    String Result;
    bool InMacro = false;
    for (char C : APackName) {
        if (C == '<')
            InMacro = true;
        else if (C == '>' && InMacro)
            InMacro = false;
        else if (!InMacro)
            Result += C;
    }
    return ChangeFileExt(Result, "");
}

bool IsPhotoPackType(TXFotoPackType AType)
{
    return TXFotoPackTypes{fpFoto, fpFotoP, fpOrva, fpOrvaP, fpCustomOrva, fpCustomOrvaP}.Contains(AType);
}

bool IsDownloadedPhotoType(TXFotoPackType AType)
{
    return AType == fpDFoto || AType == fpDFotoP;
}

std::mt19937& RandomEngine()
{
    static std::mt19937 Engine{std::random_device{}()};
    return Engine;
}

int RandomBelow(int ACount)
{
    if (ACount <= 1)
        return 0;
    return std::uniform_int_distribution<int>(0, ACount - 1)(RandomEngine());
}

}  // namespace

// ---- TXFotoName --------------------------------------------------------------------------

TXFotoName TXFotoName::Parse(const String& AText)
{
    const size_t Bang = AText.find('!');
    if (Bang == String::npos)
        return {AText, String()};
    return {AText.substr(0, Bang), AText.substr(Bang + 1)};
}

// ---- TXFotoPackHeader --------------------------------------------------------------------

void TXFotoPackHeader::DeclareProperties(TPropertyDeclarer& P)
{
    using O = TXFotoPackHeader;
    P.Property("FotoPackType", &O::FotoPackType, &O::SetFotoPackType);
    P.Property("ID", &O::ID, &O::SetID);
    P.Property("PublisherID", &O::PublisherID, &O::SetPublisherID);
    P.Property("Publisher", &O::Publisher, &O::SetPublisher);
    P.Property("Edition", &O::Edition, &O::SetEdition);
    P.Property("GroupName", &O::GroupName, &O::SetGroupName);
    P.Property("Folder", &O::Folder, &O::SetFolder);
    P.Property("ForceCopyright", &O::ForceCopyright, &O::SetForceCopyright);
    P.Property("PackDate", &O::PackDate, &O::SetPackDate);
    P.Property("GroupDate", &O::GroupDate, &O::SetGroupDate);
    P.Property("Expires", &O::Expires, &O::SetExpires);
    P.Property("FotoCount", &O::FotoCount, &O::SetFotoCount);
    P.Property("FotoNames", &O::FotoNames, &O::SetFotoNames);
    P.Property("UseAdv", &O::UseAdv, &O::SetUseAdv);
    P.Property("GroupTitle", &O::GroupTitle, &O::SetGroupTitle);
    P.Property("Title", &O::Title, &O::SetTitle);
    P.Property("Description", &O::Description, &O::SetDescription);
    P.Property("Thn", &O::Thn, &O::SetThn);
}

void TXFotoPackHeader::Init()
{
    inherited::Init();
    FFotoNames = Owned(TStringList::Create());
    FGroupTitle = Owned(TXColorStringCollection::Create(static_cast<TPersistent*>(this)));
    FTitle = Owned(TXColorStringCollection::Create(static_cast<TPersistent*>(this)));
    FDescription = Owned(TXColorStringCollection::Create(static_cast<TPersistent*>(this)));
    FThn = Owned(TXImageObject::Create());
}

void TXFotoPackHeader::DoClear()
{
    inherited::DoClear();
    FFotoPackType = fpFoto;
    FID.clear();
    FPublisherID = "qz";
    FPublisher = "Brindle";
    FEdition.clear();
    FGroupName.clear();
    FFolder.clear();
    FForceCopyright = false;
    FPackDate = 0;
    FGroupDate = 0;
    FExpires = 0;
    FFotoCount = 0;
    FFotoNames->Clear();
    FUseAdv = fpaUnknown;
    for (TXColorStringCollection* Texts : {FGroupTitle.get(), FTitle.get(), FDescription.get()}) {
        Texts->Clear();
        Texts->Header()->SetLgID(9);
    }
    FThn->Clear();
}

String TXFotoPackHeader::UseAdv() const
{
    return FUseAdv == fpaUnknown ? String() : GetEnumName(TypeInfo<TXFotoPackUseAdv>(), FUseAdv);
}

void TXFotoPackHeader::SetUseAdv(const String& AValue)
{
    const int Value = GetEnumValue(TypeInfo<TXFotoPackUseAdv>(), AValue);
    FUseAdv = Value < 0 ? fpaUnknown : static_cast<TXFotoPackUseAdv>(Value);
}

void TXFotoPackHeader::UpdateTexts(uint32_t ALgID)
{
    FGroupTitleText = FGroupTitle->GetText(ALgID, true);
    FTitleText = FTitle->GetText(ALgID, true);
    FDescriptionText = FDescription->GetText(ALgID, true);
}

int TXFotoPackHeader::PriorIndex(int AIndex) const
{
    return AIndex > 0 && AIndex < ImageCount() ? AIndex - 1 : -1;
}

int TXFotoPackHeader::NextIndex(int AIndex) const
{
    return AIndex + 1 < ImageCount() ? AIndex + 1 : -1;
}

String TXFotoPackHeader::ImageName(int AIndex) const
{
    if (AIndex < 0 || AIndex >= ImageCount())
        return String();
    return TXFotoName{FPackName, FFotoNames->Strings(AIndex)}.Text();
}

bool TXFotoPackHeader::AssignFrom(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TXFotoPackHeader>(ASource)) {
        FFotoPackType = Source->FFotoPackType;
        FID = Source->FID;
        FPublisherID = Source->FPublisherID;
        FPublisher = Source->FPublisher;
        FEdition = Source->FEdition;
        FGroupName = Source->FGroupName;
        FFolder = Source->FFolder;
        FForceCopyright = Source->FForceCopyright;
        FPackDate = Source->FPackDate;
        FGroupDate = Source->FGroupDate;
        FExpires = Source->FExpires;
        FFotoCount = Source->FFotoCount;
        FFotoNames->Assign(Source->FotoNames());
        FUseAdv = Source->FUseAdv;
        FGroupTitle->Assign(Source->GroupTitle());
        FTitle->Assign(Source->Title());
        FDescription->Assign(Source->Description());
        FThn->Assign(Source->Thn());
        FPackName = Source->FPackName;
        FFullPath = Source->FFullPath;
        FGroupTitleText = Source->FGroupTitleText;
        FTitleText = Source->FTitleText;
        FDescriptionText = Source->FDescriptionText;
    }
    return inherited::AssignFrom(ASource);
}

// ---- TXFotoPackHeaders -------------------------------------------------------------------

void TXFotoPackHeaders::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FFolders = Owned(TStringList::Create());
    for (const char* Folder : {"<exe>Pictures\\", "<data>Pictures\\", "<data>MyPictures\\"})
        FFolders->Add(Folder);
}

TXFotoPackHeader* TXFotoPackHeaders::AddHeader(TXFotoPackHeader* AHeader, const String& AFileName,
                                               const String& AFolder, uint32_t ALgID)
{
    TOwned<TXFotoPackHeader> Header = Owned(TXFotoPackHeader::Create());
    Header->Assign(AHeader);
    Header->SetPackName(PackNameOf(AFileName, AFolder));
    Header->SetFullPath(AFileName);
    Header->UpdateTexts(ALgID);
    FItems.push_back(std::move(Header));
    return FItems.back().get();
}

void TXFotoPackHeaders::Sort()
{
    std::stable_sort(FItems.begin(), FItems.end(), [](const auto& A, const auto& B) {
        if (A->PackDate() != B->PackDate())
            return A->PackDate() > B->PackDate();
        return CompareText(A->TitleText(), B->TitleText()) < 0;
    });
}

int TXFotoPackHeaders::IndexOfFile(const String& AFileName) const
{
    for (int I = 0; I < Count(); ++I)
        if (SameText(Items(I)->FullPath(), AFileName))
            return I;
    return -1;
}

int TXFotoPackHeaders::IndexOfName(const String& APackName) const
{
    for (int I = 0; I < Count(); ++I)
        if (SameText(Items(I)->PackName(), APackName))
            return I;
    return -1;
}

TXFotoPackHeader* TXFotoPackHeaders::HeaderOfImage(const String& AFotoName) const
{
    const int Index = IndexOfName(TXFotoName::Parse(AFotoName).Pack);
    return Index >= 0 ? Items(Index) : nullptr;
}

TXFotoPosition TXFotoPackHeaders::NameToPosition(const String& AFotoName) const
{
    const TXFotoName Name = TXFotoName::Parse(AFotoName);
    const int Pack = IndexOfName(Name.Pack);
    if (Pack < 0)
        return {};
    return {Pack, std::max(0, Items(Pack)->FotoNames()->IndexOf(Name.Image))};
}

String TXFotoPackHeaders::PositionToName(TXFotoPosition APosition) const
{
    if (APosition.Pack < 0 || APosition.Pack >= Count())
        return String();
    return Items(APosition.Pack)->ImageName(APosition.Image);
}

TXFotoPosition TXFotoPackHeaders::RandomPosition() const
{
    if (Count() == 0)
        return {};
    const int Pack = RandomBelow(Count());
    return {Pack, RandomBelow(Items(Pack)->ImageCount())};
}

// Past the last photo of the list the walk starts again at the first pack with photos; the
// current pack counts too, so a single pack goes round.
bool TXFotoPackHeaders::NextPosition(TXFotoPosition& APosition) const
{
    const int Next = Items(APosition.Pack)->NextIndex(APosition.Image);
    if (Next >= 0) {
        APosition.Image = Next;
        return true;
    }
    for (int Step = 1; Step <= Count(); ++Step) {
        const int Pack = (APosition.Pack + Step) % Count();
        if (Items(Pack)->ImageCount() > 0) {
            APosition = {Pack, 0};
            return true;
        }
    }
    return false;
}

bool TXFotoPackHeaders::PriorPosition(TXFotoPosition& APosition) const
{
    const int Prior = Items(APosition.Pack)->PriorIndex(APosition.Image);
    if (Prior >= 0) {
        APosition.Image = Prior;
        return true;
    }
    for (int Step = 1; Step <= Count(); ++Step) {
        const int Pack = (APosition.Pack - Step + Count()) % Count();
        if (Items(Pack)->ImageCount() > 0) {
            APosition = {Pack, Items(Pack)->ImageCount() - 1};
            return true;
        }
    }
    return false;
}

String TXFotoPackHeaders::PriorImage(const String& AFotoName) const
{
    if (Count() == 0)
        return String();
    TXFotoPosition Position = NameToPosition(AFotoName);
    return PriorPosition(Position) ? PositionToName(Position) : String();
}

String TXFotoPackHeaders::NextImage(const String& AFotoName) const
{
    if (Count() == 0)
        return String();
    TXFotoPosition Position = NameToPosition(AFotoName);
    return NextPosition(Position) ? PositionToName(Position) : String();
}

bool TXFotoPackHeaders::ForceCopyrightOf(const String& AFotoName) const
{
    const TXFotoPackHeader* Header = HeaderOfImage(AFotoName);
    return Header && Header->ForceCopyright();
}

String TXFotoPackHeaders::GetIDList() const
{
    String Result;
    for (int I = 0; I < Count() && Result.size() <= kIDListLimit; ++I) {
        const TXFotoPackHeader* Header = Items(I);
        if (IsPhotoPackType(Header->FotoPackType()))
            Result += (Header->ID().empty() ? PlainPackName(Header->PackName()) : Header->ID()) + ";";
    }
    for (int I = 0; I < Count() && Result.size() <= kIDListLimit; ++I)
        if (IsDownloadedPhotoType(Items(I)->FotoPackType()))
            Result += Items(I)->ID() + ";";
    return Result;
}

// XFoto.Pack.Headers.h: the header of an image pack, the photo name that addresses every photo
// (pack name, "!", image name) and the list of installed packs with its lookups, its order and
// its walk through all photos.
#pragma once

#include <cstdint>
#include <vector>

#include "Rtl.Sets.h"
#include "XCore.Classes.h"
#include "XCore.Locale.h"
#include "XCore.Strings.Containers.h"
#include "XMedia.Graphics.Containers.h"

X_ENUM(TXFotoPackType, fpNone, fpFolder, fpList, fpDFoto, fpDFotoP, fpFoto, fpFotoP, fpOrva, fpOrvaP,
       fpCustomOrva, fpCustomOrvaP);
using TXFotoPackTypes = TSet<TXFotoPackType>;
X_ENUM(TXFotoPackSponsor, fpsDefault, fpsForceDefault, fpsFotoPack, fpsForceFotoPack, fpsNone);
X_ENUM(TXFotoPackUseAdv, fpaUnknown, fpaNone, fpaDefault, fpaForceDefault, fpaFotoPack, fpaForceFotoPack,
       fpaClient, fpaForceClient, fpaClientXX, fpaForceClientXX);

// Text form Pack + "!" + Image.
struct TXFotoName {
    String Pack;
    String Image;

    // Splits at the first "!"; without one the whole text is the pack.
    static TXFotoName Parse(const String& AText);
    String Text() const { return Pack + "!" + Image; }
    bool IsEmpty() const { return Pack.empty() && Image.empty(); }
};

class TXFotoPackHeader : public TXLocalizedPersistent {
    X_CLASS(TXFotoPackHeader, TXLocalizedPersistent)
public:
    TXFotoPackType FotoPackType() const { return FFotoPackType; }
    void SetFotoPackType(TXFotoPackType AValue) { FFotoPackType = AValue; }
    const String& ID() const { return FID; }
    void SetID(const String& AValue) { FID = AValue; }
    const String& PublisherID() const { return FPublisherID; }
    void SetPublisherID(const String& AValue) { FPublisherID = AValue; }
    const String& Publisher() const { return FPublisher; }
    void SetPublisher(const String& AValue) { FPublisher = AValue; }
    const String& Edition() const { return FEdition; }
    void SetEdition(const String& AValue) { FEdition = AValue; }
    const String& GroupName() const { return FGroupName; }
    void SetGroupName(const String& AValue) { FGroupName = AValue; }
    const String& Folder() const { return FFolder; }
    void SetFolder(const String& AValue) { FFolder = AValue; }
    bool ForceCopyright() const { return FForceCopyright; }
    void SetForceCopyright(bool AValue) { FForceCopyright = AValue; }
    TDateTime PackDate() const { return FPackDate; }
    void SetPackDate(TDateTime AValue) { FPackDate = AValue; }
    TDateTime GroupDate() const { return FGroupDate; }
    void SetGroupDate(TDateTime AValue) { FGroupDate = AValue; }
    // Stored and copied, never evaluated.
    TDateTime Expires() const { return FExpires; }
    void SetExpires(TDateTime AValue) { FExpires = AValue; }
    int32_t FotoCount() const { return FFotoCount; }
    void SetFotoCount(int32_t AValue) { FFotoCount = AValue; }
    // One line per photo: the Image part of its name. Owned, as are the collections and Thn;
    // the setters copy.
    TStringList* FotoNames() const { return FFotoNames.get(); }
    void SetFotoNames(TStringList* AValue) { FFotoNames->Assign(AValue); }
    // The enumeration name of a TXFotoPackUseAdv; fpaUnknown reads as "".
    String UseAdv() const;
    // An unknown name stores fpaUnknown.
    void SetUseAdv(const String& AValue);
    TXFotoPackUseAdv UseAdvValue() const { return FUseAdv; }
    TXColorStringCollection* GroupTitle() const { return FGroupTitle.get(); }
    void SetGroupTitle(TXColorStringCollection* AValue) { FGroupTitle->Assign(AValue); }
    TXColorStringCollection* Title() const { return FTitle.get(); }
    void SetTitle(TXColorStringCollection* AValue) { FTitle->Assign(AValue); }
    TXColorStringCollection* Description() const { return FDescription.get(); }
    void SetDescription(TXColorStringCollection* AValue) { FDescription->Assign(AValue); }
    TXImageObject* Thn() const { return FThn.get(); }
    void SetThn(TXImageObject* AValue) { FThn->Assign(AValue); }

    // Not stored: filled by the installed list.
    const String& PackName() const { return FPackName; }
    void SetPackName(const String& AValue) { FPackName = AValue; }
    const String& FullPath() const { return FFullPath; }
    void SetFullPath(const String& AValue) { FFullPath = AValue; }
    const String& GroupTitleText() const { return FGroupTitleText; }
    const String& TitleText() const { return FTitleText; }
    const String& DescriptionText() const { return FDescriptionText; }

    // The three texts of that language, with the collections' fallback.
    void UpdateTexts(uint32_t ALgID);
    // i - 1 when 0 < i < count of FotoNames, else -1.
    int PriorIndex(int AIndex) const;
    // i + 1 when that is below the count of FotoNames, else -1.
    int NextIndex(int AIndex) const;
    // PackName + "!" + FotoNames[i]; empty for an invalid index.
    String ImageName(int AIndex) const;
    int ImageCount() const { return FFotoNames->Count(); }

    bool AssignFrom(TPersistent* ASource) override;

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXFotoPackHeader() = default;
    void Init() override;
    void DoClear() override;

private:
    TXFotoPackType FFotoPackType = fpFoto;
    String FID;
    String FPublisherID;
    String FPublisher;
    String FEdition;
    String FGroupName;
    String FFolder;
    bool FForceCopyright = false;
    TDateTime FPackDate = 0;
    TDateTime FGroupDate = 0;
    TDateTime FExpires = 0;
    int32_t FFotoCount = 0;
    TOwned<TStringList> FFotoNames;
    TXFotoPackUseAdv FUseAdv = fpaUnknown;
    TOwned<TXColorStringCollection> FGroupTitle;
    TOwned<TXColorStringCollection> FTitle;
    TOwned<TXColorStringCollection> FDescription;
    TOwned<TXImageObject> FThn;
    String FPackName;
    String FFullPath;
    String FGroupTitleText;
    String FTitleText;
    String FDescriptionText;
};

// A photo's place in the installed list.
struct TXFotoPosition {
    int Pack = 0;
    int Image = 0;
    friend bool operator==(const TXFotoPosition&, const TXFotoPosition&) = default;
};

class TXFotoPackHeaders : public TXComponent {
    X_CLASS(TXFotoPackHeaders, TXComponent)
public:
    static constexpr TXFotoPackTypes kDefaultTypes{fpFolder, fpList, fpDFoto, fpFoto, fpOrva, fpCustomOrva};

    TXFotoPackTypes Types() const { return FTypes; }
    void SetTypes(TXFotoPackTypes AValue) { FTypes = AValue; }
    // "<exe>Pictures\", "<data>Pictures\", "<data>MyPictures\".
    TStringList* Folders() const { return FFolders.get(); }

    int Count() const { return static_cast<int>(FItems.size()); }
    TXFotoPackHeader* Items(int AIndex) const { return FItems.at(static_cast<size_t>(AIndex)).get(); }
    void Clear() { FItems.clear(); }
    // Appends a copy of the header for the pack file found under the folder (written with its
    // macros): PackName is the path with the expanded folder given back as the folder text,
    // FullPath the path, and the texts of that language.
    TXFotoPackHeader* AddHeader(TXFotoPackHeader* AHeader, const String& AFileName, const String& AFolder,
                                uint32_t ALgID);
    // Newer PackDate first; equal dates by title, A before Z, without regard to case.
    void Sort();

    // File names compared without regard to case; -1 when none.
    int IndexOfFile(const String& AFileName) const;
    int IndexOfName(const String& APackName) const;
    // nullptr when no header has the photo's pack name.
    TXFotoPackHeader* HeaderOfImage(const String& AFotoName) const;
    // 0 for a pack or image not found.
    TXFotoPosition NameToPosition(const String& AFotoName) const;
    // Empty for an invalid position.
    String PositionToName(TXFotoPosition APosition) const;
    // (0, 0) when the list is empty.
    TXFotoPosition RandomPosition() const;
    // Empty when the list is empty or no pack has photos.
    String PriorImage(const String& AFotoName) const;
    String NextImage(const String& AFotoName) const;
    // False when the pack is not listed.
    bool ForceCopyrightOf(const String& AFotoName) const;
    // The installed pack ids, each followed by ";": the photo packs first, then the
    // downloaded-photo packs; each pass stops once the text passed 16,384 characters.
    String GetIDList() const;

protected:
    TXFotoPackHeaders() = default;
    void Construct(TComponent* AOwner) override;

private:
    bool NextPosition(TXFotoPosition& APosition) const;
    bool PriorPosition(TXFotoPosition& APosition) const;

    TXFotoPackTypes FTypes = kDefaultTypes;
    TOwned<TStringList> FFolders;
    std::vector<TOwned<TXFotoPackHeader>> FItems;
};

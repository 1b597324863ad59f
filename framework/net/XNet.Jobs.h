// XNet.Jobs.h: what a network job is given (servers, form fields, files, mode) and the parser
// of the servers' tagged replies. A description changes hands between the job's thread and its
// wrapper; it is never used by both at once.
#pragma once

#include <cstdint>

#include "Rtl.Classes.h"
#include "Rtl.DateUtils.h"
#include "Rtl.Streams.h"
#include "Rtl.Strings.h"
#include "XCore.Classes.h"
#include "XCore.Collections.h"
#include "XNet.Classes.h"

class TXFiler;

// Mode flags of a job.
inline constexpr uint8_t nmMemory = 0x01;        // fetch into the items' memory streams
inline constexpr uint8_t nmServerQuery = 0x02;   // ask the servers first
inline constexpr uint8_t nmDateCheck = 0x04;     // a date check before the query
inline constexpr uint8_t nmListsFiles = 0x08;    // the reply lists files to fetch next

// Size modes, set by the sizing step.
inline constexpr uint8_t smAllSized = 1;
inline constexpr uint8_t smSingle = 2;           // one file, or a query
inline constexpr uint8_t smSomeUnsized = 3;

class TXNetFileItem : public TXCollectionItem {
    X_CLASS(TXNetFileItem, TXCollectionItem)
public:
    // An empty URL means the item is skipped.
    const String& Url() const { return FUrl; }
    void SetUrl(const String& AValue) { FUrl = AValue; }
    // Path macros already expanded.
    const String& LocalFile() const { return FLocalFile; }
    void SetLocalFile(const String& AValue) { FLocalFile = AValue; }
    TStrings* PostFields() const { return FPostFields.get(); }
    bool IsPost() const { return FIsPost; }
    void SetIsPost(bool AValue) { FIsPost = AValue; }
    TMemoryStream* Data() const { return FData.get(); }
    // From HEAD; -1 unknown.
    int64_t Size() const { return FSize; }
    void SetSize(int64_t AValue) { FSize = AValue; }
    bool AskLocation() const { return FAskLocation; }
    void SetAskLocation(bool AValue) { FAskLocation = AValue; }
    bool OfferOpen() const { return FOfferOpen; }
    void SetOfferOpen(bool AValue) { FOfferOpen = AValue; }
    // The body was received completely.
    bool Fetched() const { return FFetched; }
    void SetFetched(bool AValue) { FFetched = AValue; }

    // Every field, the post lines and the memory stream's content.
    bool AssignFrom(TPersistent* ASource) override;

protected:
    TXNetFileItem() = default;
    void Init() override;

private:
    String FUrl;
    String FLocalFile;
    TOwned<TStringList> FPostFields;
    bool FIsPost = false;
    TOwned<TMemoryStream> FData;
    int64_t FSize = -1;
    bool FAskLocation = false;
    bool FOfferOpen = false;
    bool FFetched = false;
};

class TXNetFileCollection : public XCore::Collections::TXCollection<TXNetFileItem> {
    X_CLASS(TXNetFileCollection, XCore::Collections::TXCollection<TXNetFileItem>)
public:
    // The first item with exactly this URL; nullptr for an empty URL.
    TXNetFileItem* FindByUrl(const String& AUrl) const;
    // The item with this URL and local file, or a new GET item.
    TXNetFileItem* AddFile(const String& AUrl, const String& ALocalFile);
    // The item with this URL, local file and post text, or a new item (a POST when APostText
    // is not empty).
    TXNetFileItem* AddPost(const String& AUrl, const String& ALocalFile, const String& APostText);
    // Every item with a URL has a known size.
    bool AllSized() const;
    bool AnyAskLocation() const;
    bool AnyOfferOpen() const;

protected:
    TXNetFileCollection() = default;
};

class TXInternetDataFiler : public TComponent {
    X_CLASS(TXInternetDataFiler, TComponent)
public:
    // The caller's server list: copied into Servers when the job starts, written back when a
    // refresh changed it. Not owned.
    TXServerCollection* ServerSource() const { return FServerSource; }
    void SetServerSource(TXServerCollection* AValue) { FServerSource = AValue; }
    TXServerCollection* Servers() const { return FServers.get(); }
    TStrings* RefreshParams() const { return FRefreshParams.get(); }
    TStrings* CheckParams() const { return FCheckParams.get(); }
    TStrings* QueryParams() const { return FQueryParams.get(); }
    const String& CgiPath() const { return FCgiPath; }
    void SetCgiPath(const String& AValue) { FCgiPath = AValue; }
    // The server being tried; after a query, the one that answered.
    const String& ServerUrl() const { return FServerUrl; }
    void SetServerUrl(const String& AValue) { FServerUrl = AValue; }
    TDateTime CheckDate() const { return FCheckDate; }
    void SetCheckDate(TDateTime AValue) { FCheckDate = AValue; }
    TXNetFileCollection* Files() const { return FFiles.get(); }
    // Loads a successful reply's payload into the object the job builder bound it to. Owned.
    TXFiler* DataFiler() const { return FDataFiler; }
    void SetDataFiler(TXFiler* AValue);
    // Freed with the description.
    TObject* DataObject() const { return FDataObject; }
    void SetDataObject(TObject* AValue);
    uint8_t SizeMode() const { return FSizeMode; }
    void SetSizeMode(uint8_t AValue) { FSizeMode = AValue; }
    uint8_t Mode() const { return FMode; }
    void SetMode(uint8_t AValue) { FMode = AValue; }

protected:
    TXInternetDataFiler() = default;
    ~TXInternetDataFiler() override;
    void Construct(TComponent* AOwner) override;

private:
    TXServerCollection* FServerSource = nullptr;
    TOwned<TXServerCollection> FServers;
    TOwned<TStringList> FRefreshParams;
    TOwned<TStringList> FCheckParams;
    TOwned<TStringList> FQueryParams;
    String FCgiPath;
    String FServerUrl;
    TDateTime FCheckDate = 0;
    TOwned<TXNetFileCollection> FFiles;
    TXFiler* FDataFiler = nullptr;
    TObject* FDataObject = nullptr;
    uint8_t FSizeMode = 0;
    uint8_t FMode = 0;
};

// Reply status codes.
inline constexpr uint8_t rsBad = 0;
inline constexpr uint8_t rsOK = 1;
inline constexpr uint8_t rsNothingNew = 2;
inline constexpr uint8_t rsServerFailure = 3;

// One reply: the HTTP client writes into Buffer, Parse reads it. Replies come from the network,
// so nothing in them may crash the parser; whatever does not fit is a bad reply.
class TXNetDataFiler : public TXObject {
    X_CLASS(TXNetDataFiler, TXObject)
public:
    TStringStream* Buffer() const { return FBuffer.get(); }
    uint8_t Code() const { return FCode; }
    uint8_t Format() const { return FFormat; }
    // The payload, UTF-8.
    const String& Data() const { return FData; }

    // Reads the status and payload and empties Buffer. Status 1 clears the thread's error and
    // answers True; 2 answers True with error -1 (nothing new); 3 answers False with 1003;
    // anything else False with 44 (bad reply).
    [[nodiscard]] bool Parse();

protected:
    TXNetDataFiler() = default;
    void Init() override;

private:
    void ReadReply(const String& AReply);

    TOwned<TStringStream> FBuffer;
    uint8_t FCode = rsBad;
    uint8_t FFormat = 0;
    String FData;
};

// Network result codes.
inline constexpr int32_t nrNothingNew = -1;
inline constexpr int32_t nrCancelled = 1;
inline constexpr int32_t nrNoSpecificError = 3;
inline constexpr int32_t nrFileWriteFailed = 30;
inline constexpr int32_t nrBadReply = 44;
inline constexpr int32_t nrNetworkFailure = 1000;
inline constexpr int32_t nrServerFailure = 1003;

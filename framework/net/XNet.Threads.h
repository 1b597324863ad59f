// XNet.Threads.h: the worker threads that run network jobs: sizing, fetching into files or
// memory, server queries, progress figures and the job's result code.
// A thread touches no control: everything it reports reaches its job link on the UI thread
// through Synchronize, with the UI thread's errors going to the worker meanwhile.
#pragma once

#include <cstdint>

#include "Net.IdHTTP.h"
#include "Rtl.Threads.h"
#include "XNet.Classes.h"
#include "XNet.Jobs.h"

class TXProgress;
class TXProgressGear;

// What every form POST to our servers carries.
inline constexpr const char* kNetReferer = "XNet Client 1.0";
inline constexpr const char* kNetUserAgent = "Mozilla/3.0 (compatible; Indy Library; XNet)";

// The job side of a thread: what the thread reports, each call made on the UI thread. The
// job's wrapper implements it and forwards to its engine, dialog and callbacks.
class TXNetJobLink {
public:
    // 107 "start" when the job begins, 108 "stop" when it ends.
    virtual void JobCommand(int ACommand, const String& AText) = 0;
    // The query's reply is loaded: fill ADescription's Files from the loaded object.
    virtual void FilesReady(TXInternetDataFiler* ADescription) = 0;
    // The job has ended: ADescription is the link's again. Stores the result, sends 108
    // "stop", tells the dialog, then runs the completion callback.
    virtual void JobEnded(TXInternetDataFiler* ADescription, int32_t AResultCode, bool ADone,
                          const String& AMessage) = 0;
    // Dialog updates; a link without a visible dialog ignores them. APosition is 0..1000.
    virtual void UpdateDialog(bool AIndeterminate, const String& AProgressText, const String& ASpeedText,
                              int32_t APosition) = 0;
    virtual void ShowCurrentFile(const String& AFileName) = 0;
    virtual void AddCompletedFile(const String& AFileName) = 0;

protected:
    ~TXNetJobLink() = default;
};

class TXThread : public TThread {
    X_CLASS(TXThread, TThread)
protected:
    TXThread() = default;
    // Unregisters the thread's error entry.
    ~TXThread() override;
};

class TXCustomNetThread : public TXThread {
    X_CLASS(TXCustomNetThread, TXThread)
public:
    TIdHTTP* Http() const { return FHttp.get(); }
    // The job's copy of the program-wide proxy settings.
    TXProxySettings* ProxySettings() const { return FProxySettings.get(); }
    TXNetJobLink* Link() const { return FLink; }
    void SetLink(TXNetJobLink* AValue) { FLink = AValue; }
    // Held by the thread while it runs; the link holds it otherwise.
    TXInternetDataFiler* Description() const { return FDescription; }
    void SetDescription(TXInternetDataFiler* AValue) { FDescription = AValue; }
    int32_t ResultCode() const { return FResultCode; }
    const String& ResultMessage() const { return FResultMessage; }
    bool Done() const { return FDone; }
    int64_t Total() const { return FTotal; }
    int64_t Transferred() const { return FTransferred; }
    const String& ProgressText() const { return FProgressText; }
    const String& SpeedText() const { return FSpeedText; }

protected:
    TXCustomNetThread() = default;
    ~TXCustomNetThread() override;
    void Construct(bool ACreateSuspended) override;
    // A cancel ends a transfer at once, even one waiting for a silent server.
    void TerminatedSet() override { FHttp->Disconnect(); }

    // HTTP events; the cancel checks end the transfer of a terminated thread.
    virtual void HttpWorkBeginCancelCheck(TObject* ASender, int64_t AWorkCountMax) = 0;
    virtual void HttpWorkCancelCheck(TObject* ASender, int64_t AWorkCount) = 0;
    virtual void HttpWorkBegin(TObject* ASender, int64_t AWorkCountMax) = 0;
    virtual void HttpWork(TObject* ASender, int64_t AWorkCount) = 0;
    virtual void HttpWorkEnd(TObject* ASender) = 0;
    virtual void HttpRedirectRefuse(TObject* ASender, String& ADest, bool& AHandled) = 0;
    virtual void HttpRedirectFollow(TObject* ASender, String& ADest, bool& AHandled) = 0;
    // Closes ARange and writes the summary of the job.
    virtual void Finish(TXProgress* ARange);
    virtual void NotifyFinished();

    void NotifyStarted();
    // Runs AProc on the UI thread with its errors going to this thread's entry.
    void SyncCall(const TThreadProcedure& AProc);
    void SyncUpdateDialog();
    // The Referer and User-Agent that every form POST carries.
    void SetPostHeaders();
    void InstallCancelChecks();
    void InstallWorkHandlers(bool AFollowRedirects);
    // Records a failure unless one is recorded, and ends the job.
    void EndJob(int32_t ACode, int32_t AValue = 0, const String& AText = {});
    TXProgress* RootRange() const;
    void SetProgressStyle(uint8_t AStyle);
    static int64_t NowMs();

    TOwned<TIdHTTP> FHttp;
    TOwned<TXProxySettings> FProxySettings;
    TXProgressGear* FProgressGear = nullptr;   // owned
    TXProgress* FCurrentRange = nullptr;       // where the work events' percent goes
    TXInternetDataFiler* FDescription = nullptr;
    TXNetJobLink* FLink = nullptr;
    int32_t FResultCode = 0;
    String FResultMessage;
    bool FDone = false;
    bool FPercentMode = false;
    int64_t FTotal = 0;
    int64_t FCompleted = 0;
    int64_t FTransferred = 0;
    int64_t FFileRead = 0;
    int64_t FFileMax = 0;
    int64_t FLastCount = 0;
    int64_t FLastTime = 0;
    int64_t FStartTime = 0;
    bool FSizeKnown = false;   // the size of the file being fetched came from HEAD
    String FCurrentFile;
    String FProgressText;
    String FSpeedText;
    // Language texts, read when the thread is made.
    String FTextProgressKnown;
    String FTextProgressUnknown;
    String FTextSpeed;
    String FTextSummary;
    String FTextHours;
    String FTextMinutes;
    String FTextSeconds;
};

class TXCustomNetFilerThread : public TXCustomNetThread {
    X_CLASS(TXCustomNetFilerThread, TXCustomNetThread)
protected:
    TXCustomNetFilerThread() = default;

    void HttpWorkBeginCancelCheck(TObject* ASender, int64_t AWorkCountMax) override;
    void HttpWorkCancelCheck(TObject* ASender, int64_t AWorkCount) override;
    void HttpWorkBegin(TObject* ASender, int64_t AWorkCountMax) override;
    void HttpWork(TObject* ASender, int64_t AWorkCount) override;
    void HttpWorkEnd(TObject* ASender) override;
    void HttpRedirectRefuse(TObject* ASender, String& ADest, bool& AHandled) override;
    void HttpRedirectFollow(TObject* ASender, String& ADest, bool& AHandled) override;
    // Sizes the files with HEAD and sets the size mode.
    virtual void Prepare();
    // Fetches the files into ARange of the job's progress.
    virtual void Fetch(TXProgress* ARange);

private:
    void CheckCancel();
    void FetchToMemory(TXProgress* ARange);
    void FetchToFiles(TXProgress* ARange);
    // False when the job ended.
    bool FetchFile(TXNetFileItem* AItem);
    void Transfer(TXNetFileItem* AItem, TStream* ATarget);
    TXProgress* OpenItemRange(TXProgress* ARange);
    void CloseItemRange(TXProgress* AItemRange, TXProgress* ARange);
    void ReportWork(int64_t AWorkCount, double ASpeed);
};

class TXSimpleNetFilerThread : public TXCustomNetFilerThread {
    X_CLASS(TXSimpleNetFilerThread, TXCustomNetFilerThread)
protected:
    TXSimpleNetFilerThread() = default;
    void Execute() override;
};

// A server query: the servers in order until one answers, the server list refreshed when none
// does; then, when the reply lists files, their download.
class TXSimpleTagCgiNetFilerThread : public TXSimpleNetFilerThread {
    X_CLASS(TXSimpleTagCgiNetFilerThread, TXSimpleNetFilerThread)
protected:
    TXSimpleTagCgiNetFilerThread() = default;
    void Prepare() override;
    // One server at base URL ABaseUrl; True when it answered the query.
    virtual bool QueryServer(const String& ABaseUrl);

private:
    bool QueryServers();
    // The date check; False with -1 when the server has nothing newer, 1000 when it failed.
    bool CheckDate(const String& ABaseUrl);
    // POSTs AFields to ABaseUrl + CgiPath into AParser's buffer.
    void PostQuery(const String& ABaseUrl, TStrings* AFields, TXNetDataFiler* AParser);
    void NotifyFilesReady();
};

// "yyyy.mm.dd hh:nn", the form in which date-check replies list their dates.
String FormatCheckDate(TDateTime ADate);

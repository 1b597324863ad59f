#include "XNet.Threads.h"

#include <chrono>
#include <cmath>

#include "Rtl.Files.h"
#include "Rtl.SafeFiles.h"
#include "Rtl.System.h"
#include "XCore.Errors.h"
#include "XCore.Filer.h"
#include "XCore.IO.h"
#include "XCore.Progress.h"
#include "XCore.Strings.h"
#include "XCore.Strings.Utils.h"
#include "XNet.Engine.h"
#include "XSpark.App.h"
#include "XSpark.Lg.h"

namespace {

// Language text ids.
constexpr uint32_t kLgProgressKnown = 0x8200D415;
constexpr uint32_t kLgProgressUnknown = 0x8200C8FC;
constexpr uint32_t kLgSpeed = 0x82000712;
constexpr uint32_t kLgSummary = 0x8200F2A9;
constexpr uint32_t kLgHours = 0x83008E4C;
constexpr uint32_t kLgMinutes = 0x8300CBAA;
constexpr uint32_t kLgSeconds = 0x830078F3;
constexpr uint32_t kLgWriteFailed = 0x86003175;
constexpr uint32_t kLgCode1010 = 0x8600849D;
constexpr uint32_t kLgCode1011 = 0x8600D98C;
constexpr uint32_t kLgNetworkFailure = 0x86006DC8;

constexpr int64_t kSizeLimitKB = 900;
constexpr int kJobReadTimeout = 30000;

String MessageOfResult(int32_t ACode, const String& AErrorText)
{
    switch (ACode) {
    case 0:
    case nrNothingNew:
    case nrCancelled: return {};
    case nrFileWriteFailed: return SafeFormat(Lg()->GetText(kLgWriteFailed), {AErrorText});
    case 1010: return Lg()->GetText(kLgCode1010);
    case 1011: return Lg()->GetText(kLgCode1011);
    default: return Lg()->GetText(kLgNetworkFailure);
    }
}

// A local file name with a ".." folder could leave the folder the files were meant for.
bool EscapesItsFolder(const String& AFileName)
{
    size_t Start = 0;
    while (Start <= AFileName.size()) {
        size_t End = AFileName.find_first_of("/\\", Start);
        if (End == String::npos)
            End = AFileName.size();
        if (AFileName.compare(Start, End - Start, "..") == 0)
            return true;
        Start = End + 1;
    }
    return false;
}

}  // namespace

TXThread::~TXThread()
{
    UnregisterErrorThread(ThreadID());
}

// ---- TXCustomNetThread -----------------------------------------------------------------------

void TXCustomNetThread::Construct(bool ACreateSuspended)
{
    FHttp = Owned(TIdHTTP::Create());
    FHttp->SetReadTimeout(kJobReadTimeout);
    InstallCancelChecks();
    FProxySettings = Owned(TXProxySettings::Create());
    // Without an application (a tool, a test) progress is told at once, on the worker.
    TXNVCoreApp* App = NVCoreApp();
    FProgressGear = TXProgressGear::Create(TIntf<IXEngine>(App != nullptr ? App->Engine() : nullptr));
    FProgressGear->Manager()->Start({});
    SetProgressStyle(1);
    FTextProgressKnown = Lg()->GetText(kLgProgressKnown);
    FTextProgressUnknown = Lg()->GetText(kLgProgressUnknown);
    FTextSpeed = Lg()->GetText(kLgSpeed);
    FTextSummary = Lg()->GetText(kLgSummary);
    FTextHours = Lg()->GetText(kLgHours);
    FTextMinutes = Lg()->GetText(kLgMinutes);
    FTextSeconds = Lg()->GetText(kLgSeconds);
    inherited::Construct(ACreateSuspended);
}

TXCustomNetThread::~TXCustomNetThread()
{
    if (FProgressGear != nullptr)
        FProgressGear->Free();
}

int64_t TXCustomNetThread::NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

TXProgress* TXCustomNetThread::RootRange() const
{
    return FProgressGear->Manager()->Root();
}

void TXCustomNetThread::SetProgressStyle(uint8_t AStyle)
{
    FProgressGear->Manager()->SetStyle(AStyle);
}

void TXCustomNetThread::InstallCancelChecks()
{
    FHttp->SetHandleRedirects(false);
    FHttp->SetOnRedirect(TIdHTTPRedirectEvent::Bind<&TXCustomNetThread::HttpRedirectRefuse>(this));
    FHttp->SetOnWorkBegin(TWorkBeginEvent::Bind<&TXCustomNetThread::HttpWorkBeginCancelCheck>(this));
    FHttp->SetOnWork(TWorkEvent::Bind<&TXCustomNetThread::HttpWorkCancelCheck>(this));
    FHttp->SetOnWorkEnd(nullptr);
}

void TXCustomNetThread::InstallWorkHandlers(bool AFollowRedirects)
{
    FHttp->SetOnWorkBegin(TWorkBeginEvent::Bind<&TXCustomNetThread::HttpWorkBegin>(this));
    FHttp->SetOnWork(TWorkEvent::Bind<&TXCustomNetThread::HttpWork>(this));
    FHttp->SetOnWorkEnd(TWorkEndEvent::Bind<&TXCustomNetThread::HttpWorkEnd>(this));
    FHttp->SetOnRedirect(AFollowRedirects ? TIdHTTPRedirectEvent::Bind<&TXCustomNetThread::HttpRedirectFollow>(this)
                                          : TIdHTTPRedirectEvent::Bind<&TXCustomNetThread::HttpRedirectRefuse>(this));
}

void TXCustomNetThread::SetPostHeaders()
{
    FHttp->Request().Referer = kNetReferer;
    FHttp->Request().UserAgent = kNetUserAgent;
}

void TXCustomNetThread::EndJob(int32_t ACode, int32_t AValue, const String& AText)
{
    SetFirstError(ACode, AValue, AText);
    Terminate();
}

void TXCustomNetThread::SyncCall(const TThreadProcedure& AProc)
{
    TThreadID Worker = ThreadID();
    Synchronize([&] {
        TXMainThreadErrorOwner Owner(Worker);
        AProc();
    });
}

void TXCustomNetThread::NotifyStarted()
{
    SyncCall([this] {
        if (FLink != nullptr)
            FLink->JobCommand(107, "start");
    });
}

void TXCustomNetThread::SyncUpdateDialog()
{
    if (Terminated() || FLink == nullptr)
        return;
    bool Indeterminate = FProgressGear->Manager()->Style() == 1;
    String Progress = FProgressText;
    String Speed = FSpeedText;
    int32_t Position = FProgressGear->Manager()->GetPosition();
    SyncCall([&] { FLink->UpdateDialog(Indeterminate, Progress, Speed, Position); });
}

void TXCustomNetThread::Finish(TXProgress* ARange)
{
    ARange->Finish();
    FDone = true;
    int64_t Elapsed = std::max<int64_t>(1, (NowMs() - FStartTime) / 1000);
    int64_t Bytes = FTotal + FTransferred;
    FProgressText = SafeFormat(FTextSummary, {FormatSizeKBMB(kSizeLimitKB, static_cast<double>(Bytes)),
                                              FormatDuration(FTextHours, FTextMinutes, FTextSeconds, Elapsed)});
    FSpeedText = SafeFormat(FTextSpeed, {static_cast<double>(Bytes) / (static_cast<double>(Elapsed) * 1000.0)});
    SyncUpdateDialog();
}

void TXCustomNetThread::NotifyFinished()
{
    String ErrorText = GetErrorText();
    SyncCall([&] {
        TXInternetDataFiler* Description = FDescription;
        if (Description != nullptr && Description->ServerSource() != nullptr && Description->Servers()->Refreshed())
            Description->ServerSource()->Assign(Description->Servers());
        if (FResultCode == 0)
            FDone = true;
        FResultMessage = MessageOfResult(FResultCode, ErrorText);
        if (FLink != nullptr)
            FLink->JobEnded(Description, FResultCode, FDone, FResultMessage);
    });
}

// ---- TXCustomNetFilerThread --------------------------------------------------------------------

void TXCustomNetFilerThread::CheckCancel()
{
    if (!Terminated())
        return;
    SetFirstError(nrCancelled);
    FHttp->Disconnect();
    throw EAbort("cancelled");
}

void TXCustomNetFilerThread::HttpWorkBeginCancelCheck(TObject*, int64_t)
{
    CheckCancel();
}

void TXCustomNetFilerThread::HttpWorkCancelCheck(TObject*, int64_t)
{
    CheckCancel();
}

void TXCustomNetFilerThread::HttpWorkBegin(TObject*, int64_t AWorkCountMax)
{
    CheckCancel();
    if (!FSizeKnown)
        FTotal += AWorkCountMax;
    FFileMax = AWorkCountMax;
    FFileRead = 0;
    FLastCount = 0;
    FLastTime = NowMs();
    if (FTotal == 0) {
        SetProgressStyle(1);
        FPercentMode = false;
    }
}

void TXCustomNetFilerThread::HttpWork(TObject*, int64_t AWorkCount)
{
    CheckCancel();
    int64_t Now = NowMs();
    int64_t Elapsed = Now - FLastTime;
    if (Elapsed == 0)
        return;
    int64_t Delta = AWorkCount - FLastCount;
    double Speed = static_cast<double>(Delta) / static_cast<double>(Elapsed);   // bytes per ms
    if (Speed == 0)
        Speed = 7.0;
    FTransferred += Delta;
    FFileRead += Delta;
    FLastCount = AWorkCount;
    FLastTime = Now;
    ReportWork(AWorkCount, Speed);
}

void TXCustomNetFilerThread::ReportWork(int64_t AWorkCount, double ASpeed)
{
    int64_t Percent = 0;
    if (FPercentMode) {
        int64_t Done = AWorkCount + FCompleted;
        int64_t SecondsLeft = std::llround(static_cast<double>(FTotal - FCompleted - AWorkCount) / 1024.0 / ASpeed);
        Percent = FTotal == 0 ? 0 : std::llround(static_cast<double>(Done) / static_cast<double>(FTotal) * 100.0);
        FProgressText = SafeFormat(FTextProgressKnown,
                                   {FormatDuration(FTextHours, FTextMinutes, FTextSeconds, SecondsLeft),
                                    FormatSizeKBMB(kSizeLimitKB, static_cast<double>(Done)),
                                    FormatSizeKBMB(kSizeLimitKB, static_cast<double>(FTotal)),
                                    std::to_string(Percent) + "%"});
    } else if (FFileMax == 0) {
        FProgressText = SafeFormat(FTextProgressUnknown, {FormatSizeKBMB(kSizeLimitKB, static_cast<double>(FTransferred))});
    } else {
        Percent = std::llround(static_cast<double>(FFileRead) / static_cast<double>(FFileMax) * 100.0);
    }
    if (FCurrentRange != nullptr)
        FCurrentRange->SetPercent(static_cast<uint8_t>(std::clamp<int64_t>(Percent, 0, 100)));
    FSpeedText = SafeFormat(FTextSpeed, {ASpeed});
    if (FHttp->Connected())
        SyncUpdateDialog();
}

void TXCustomNetFilerThread::HttpWorkEnd(TObject*)
{
    CheckCancel();
    FLastCount = 0;
    FCompleted += std::max<int64_t>(0, FHttp->Response().ContentLength);
}

void TXCustomNetFilerThread::HttpRedirectRefuse(TObject*, String& ADest, bool&)
{
    CheckCancel();
    throw EIdException("redirect refused: " + ADest);
}

void TXCustomNetFilerThread::HttpRedirectFollow(TObject*, String&, bool& AHandled)
{
    CheckCancel();
    AHandled = true;
}

void TXCustomNetFilerThread::Prepare()
{
    TXNetFileCollection* Files = FDescription->Files();
    for (int I = 0; I < Files->Count() && !Terminated(); ++I) {
        TXNetFileItem* Item = Files->Items(I);
        FHttp->SetHandleRedirects(false);
        if (Item->Url().empty() || Item->Url().find(".cgi") != String::npos)
            continue;
        try {
            FHttp->Head(Item->Url());
            Item->SetSize(FHttp->Response().ContentLength);
            if (Item->Size() > 0)
                FTotal += Item->Size();
        } catch (const EIdSocketError& E) {
            EndJob(nrNetworkFailure, E.LastError(), E.Message());
            return;
        } catch (const Exception&) {
            Item->SetUrl({});   // an error status or a redirect drops the file
        }
    }
    bool AnyUrl = false;
    for (int I = 0; I < Files->Count(); ++I)
        AnyUrl = AnyUrl || !Files->Items(I)->Url().empty();
    if (!AnyUrl) {
        EndJob(nrNetworkFailure);
        return;
    }
    FDescription->SetSizeMode(Files->AllSized() ? smAllSized : Files->Count() == 1 ? smSingle : smSomeUnsized);
    FHttp->SetHandleRedirects(true);
}

void TXCustomNetFilerThread::Fetch(TXProgress* ARange)
{
    if (Terminated() || FDone)
        return;
    uint8_t SizeMode = FDescription->SizeMode();
    FPercentMode = SizeMode == smAllSized || SizeMode == smSingle;
    if (SizeMode >= smAllSized && SizeMode <= smSomeUnsized)
        SetProgressStyle(0);
    if (SizeMode == smSomeUnsized)
        ARange->SetStepCount(static_cast<uint32_t>(std::max(1, FDescription->Files()->Count())));
    FStartTime = NowMs();
    FHttp->SetHandleRedirects(true);
    InstallWorkHandlers(true);
    FCurrentRange = ARange;
    if (FDescription->Mode() & nmMemory)
        FetchToMemory(ARange);
    else
        FetchToFiles(ARange);
    FCurrentRange = nullptr;
    ARange->Finish();
}

TXProgress* TXCustomNetFilerThread::OpenItemRange(TXProgress* ARange)
{
    if (FDescription->SizeMode() != smSomeUnsized)
        return ARange;
    FCurrentRange = ARange->BeginStepRange();
    return FCurrentRange;
}

void TXCustomNetFilerThread::CloseItemRange(TXProgress* AItemRange, TXProgress* ARange)
{
    if (AItemRange != ARange)
        AItemRange->Finish();
    FCurrentRange = ARange;
}

void TXCustomNetFilerThread::Transfer(TXNetFileItem* AItem, TStream* ATarget)
{
    FSizeKnown = AItem->Size() >= 0;
    if (AItem->IsPost()) {
        SetPostHeaders();
        FHttp->Post(AItem->Url(), AItem->PostFields(), ATarget);
    } else {
        FHttp->Get(AItem->Url(), ATarget);
    }
}

void TXCustomNetFilerThread::FetchToMemory(TXProgress* ARange)
{
    TXNetFileCollection* Files = FDescription->Files();
    for (int I = 0; I < Files->Count() && !Terminated(); ++I) {
        TXNetFileItem* Item = Files->Items(I);
        TXProgress* ItemRange = OpenItemRange(ARange);
        if (!Item->Url().empty()) {
            try {
                Item->Data()->Clear();
                Transfer(Item, Item->Data());
            } catch (const Exception&) {
                EndJob(nrNetworkFailure);
                return;
            }
        }
        Item->SetFetched(true);
        CloseItemRange(ItemRange, ARange);
    }
}

void TXCustomNetFilerThread::FetchToFiles(TXProgress* ARange)
{
    TXNetFileCollection* Files = FDescription->Files();
    for (int I = 0; I < Files->Count() && !Terminated(); ++I) {
        TXNetFileItem* Item = Files->Items(I);
        if (Item->Url().empty() || Item->LocalFile().empty())
            continue;
        TXProgress* ItemRange = OpenItemRange(ARange);
        if (!FetchFile(Item))
            return;
        CloseItemRange(ItemRange, ARange);
    }
}

bool TXCustomNetFilerThread::FetchFile(TXNetFileItem* AItem)
{
    const String& Target = AItem->LocalFile();
    if (EscapesItsFolder(Target)) {
        EndJob(nrFileWriteFailed, 0, Target);
        return false;
    }
    TryForceDirectories(ExtractFilePath(Target));
    FCurrentFile = Target;
    if (!Terminated() && FLink != nullptr)
        SyncCall([&] { FLink->ShowCurrentFile(Target); });
    // The body goes to a temporary file beside the target, made afresh (never through a link
    // planted at its name) and renamed over the target once whole: a failed or cancelled
    // download leaves the file that was there as it was, and a link at the target's name is
    // replaced, not written through.
    try {
        auto Stream = Owned(TSafeFileStream::Create(Target, ssReplaceEntry));
        Transfer(AItem, Stream.get());
        if (Terminated())
            throw EAbort("Cancelled");
        Stream->Commit();
        AItem->SetFetched(true);
    } catch (const Exception&) {
        // A cancel is not a write failure.
        EndJob(Terminated() ? nrCancelled : nrFileWriteFailed, 0, Target);
        return false;
    }
    if (AItem->OfferOpen() && FDescription->SizeMode() == smSomeUnsized && FLink != nullptr)
        SyncCall([&] { FLink->AddCompletedFile(Target); });
    return true;
}

// ---- TXSimpleNetFilerThread --------------------------------------------------------------------

void TXSimpleNetFilerThread::Execute()
{
    RegisterErrorThread(ThreadID());
    NotifyStarted();
    ClearError();
    try {
        if (!Terminated())
            Prepare();
        if (!Terminated())
            Fetch(RootRange()->BeginSubRange(98));
        if (!Terminated())
            Finish(RootRange()->BeginSubRange(2));
    } catch (...) {
        SetFirstError(nrNetworkFailure);
    }
    if (Terminated())
        SetFirstError(nrCancelled);
    FResultCode = GetErrorCode();
    NotifyFinished();
    UnregisterErrorThread(ThreadID());
}

// ---- TXSimpleTagCgiNetFilerThread ------------------------------------------------------------

void TXSimpleTagCgiNetFilerThread::Prepare()
{
    if (!(FDescription->Mode() & nmServerQuery)) {
        FHttp->SetHandleRedirects(true);
        InstallWorkHandlers(false);
        EndJob(nrNoSpecificError);
        return;
    }
    FDescription->SetSizeMode(smSingle);
    SetProgressStyle(1);
    FStartTime = NowMs();
    InstallWorkHandlers(false);
    bool Answered = QueryServers();
    if (!Answered && !Terminated()) {
        Sleep(200);
        if (!RefreshServerList(FProxySettings.get(), FDescription->Servers(), FDescription->RefreshParams())) {
            EndJob(nrNetworkFailure);
            return;
        }
        Answered = QueryServers();
    }
    if (Terminated())
        return;
    // Every server failed again after a refresh: nothing was received, so the job fails.
    if (!Answered) {
        EndJob(nrNetworkFailure);
        return;
    }
    if (FDescription->Mode() & nmListsFiles)
        TXCustomNetFilerThread::Prepare();
    else
        FDone = true;
}

bool TXSimpleTagCgiNetFilerThread::QueryServers()
{
    TXServerCollection* Servers = FDescription->Servers();
    for (int I = 0; I < Servers->Count() && !Terminated(); ++I) {
        if (QueryServer(Servers->Items(I)->GetBaseUrl()))
            return true;
        // Nothing new from one server is the answer of all: the job ends at once.
        if (GetErrorCode() == nrNothingNew) {
            Terminate();
            return false;
        }
    }
    return false;
}

void TXSimpleTagCgiNetFilerThread::PostQuery(const String& ABaseUrl, TStrings* AFields, TXNetDataFiler* AParser)
{
    FHttp->SetHandleRedirects(false);
    SetPostHeaders();
    FHttp->Post(ABaseUrl + FDescription->CgiPath(), AFields, AParser->Buffer());
}

bool TXSimpleTagCgiNetFilerThread::CheckDate(const String& ABaseUrl)
{
    auto Parser = Owned(TXNetDataFiler::Create());
    PostQuery(ABaseUrl, FDescription->CheckParams(), Parser.get());
    if (!Parser->Parse() || Parser->Code() != rsOK) {
        SetError(nrNetworkFailure);
        return false;
    }
    String Reference = FormatCheckDate(FDescription->CheckDate());
    auto Lines = Owned(TStringList::Create());
    Lines->SetText(Trim(Parser->Data()));
    for (int I = 0; I < Lines->Count(); ++I)
        if (Lines->Strings(I).compare(Reference) >= 0)
            return true;
    SetError(nrNothingNew);
    return false;
}

bool TXSimpleTagCgiNetFilerThread::QueryServer(const String& ABaseUrl)
{
    FDescription->SetServerUrl(ABaseUrl);
    try {
        if ((FDescription->Mode() & nmDateCheck) && !CheckDate(ABaseUrl))
            return false;
        if (Terminated())
            return false;
        auto Parser = Owned(TXNetDataFiler::Create());
        PostQuery(ABaseUrl, FDescription->QueryParams(), Parser.get());
        if (GetErrorCode() == nrNothingNew || GetErrorCode() == nrCancelled || Terminated())
            return false;
        if (!Parser->Parse() || GetErrorCode() == nrNothingNew || GetErrorCode() == nrCancelled)
            return false;
        // A payload that cannot be loaded is a bad reply, not an answer.
        if (FDescription->DataFiler() != nullptr && !FDescription->DataFiler()->LoadFromString(Parser->Data(), nullptr, false)) {
            SetFirstError(nrBadReply);
            return false;
        }
        FDescription->Files()->Clear();
        if (GetErrorCode() == nrNothingNew || GetErrorCode() == nrCancelled)
            return false;
        if (FDescription->Mode() & nmListsFiles) {
            NotifyFilesReady();
            if (FDescription->Files()->Count() == 0) {
                SetFirstError(nrNothingNew);
                return false;
            }
        }
        return true;
    } catch (const Exception&) {
        return false;
    }
}

void TXSimpleTagCgiNetFilerThread::NotifyFilesReady()
{
    TXInternetDataFiler* Description = FDescription;
    SyncCall([&] {
        Description->Files()->Clear();
        if (FLink != nullptr)
            FLink->FilesReady(Description);
    });
}

String FormatCheckDate(TDateTime ADate)
{
    uint16_t Year, Month, Day, Hour, Minute, Second, MSec;
    DecodeDate(ADate, Year, Month, Day);
    DecodeTime(ADate, Hour, Minute, Second, MSec);
    return ZeroPadInt(Year, 4) + "." + ZeroPadInt(Month, 2) + "." + ZeroPadInt(Day, 2) + " " + ZeroPadInt(Hour, 2) +
           ":" + ZeroPadInt(Minute, 2);
}

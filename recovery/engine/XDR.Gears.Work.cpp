// XDR.Gears.Work.cpp: job data, job threads, the worker gear and its commands.
#include "XDR.Gears.Work.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "Rtl.SysUtils.h"
#include "Vcl.Application.h"
#include "Win.Volumes.h"
#include "XCode.Trek.h"
#include "XCore.App.Helpers.h"
#include "XCore.App.h"
#include "XCore.Errors.h"
#include "XDR.Work.S.h"
#include "XDR.Work.T.h"

namespace XDR::Gears::Work {

namespace {

// A slow device is asked about once its reads take longer than this.
constexpr uint32_t kSlowReadMs = 3000;
constexpr int32_t kAnswerYes = 6;
// The read windows a deep scan keeps (of 256 KiB each).
constexpr int32_t kScanCachedWindows = 128;

// Read errors a job survives: the bytes read as zeros and the job goes on.
bool IsToleratedReadError(int32_t ACode)
{
    return ACode == 12 || ACode == kErrSeekFailed || ACode == kErrReadPastEnd || ACode == kVolumeReadFailed;
}

// A scan's request to start the data's collection afresh.
class TXDRClearFilesCommand : public TXCommand {
    X_CLASS(TXDRClearFilesCommand, TXCommand)
public:
    bool Execute() override
    {
        FGear->ClearFiles();
        return true;
    }

protected:
    TXDRClearFilesCommand() = default;
    using TXCommand::Construct;
    virtual void Construct(TXDRWorkerGear* AGear)
    {
        inherited::Construct(rcmInterlocked);
        FGear = AGear;
    }

private:
    TXDRWorkerGear* FGear = nullptr;   // not owned; leaving its engine, it drops what is queued
};

// A found file on its way to the data's collection; the command owns it until then.
class TXDRAddFileCommand : public TXCommand {
    X_CLASS(TXDRAddFileCommand, TXCommand)
public:
    bool Execute() override
    {
        if (FFile)
            FGear->AddFile(std::move(FFile));
        return true;
    }

protected:
    TXDRAddFileCommand() = default;
    using TXCommand::Construct;
    virtual void Construct(TXDRWorkerGear* AGear, TOwned<TXDRFileItem> AFile)
    {
        inherited::Construct(rcmInterlocked);
        FGear = AGear;
        FFile = std::move(AFile);
    }

private:
    TXDRWorkerGear* FGear = nullptr;   // not owned; leaving its engine, it drops what is queued
    TOwned<TXDRFileItem> FFile;
};

}  // namespace

// ---- TXDRData ----------------------------------------------------------------------------

void TXDRData::Init()
{
    inherited::Init();
    FExtensions = TStringList::Create();
    FExtensions->SetDuplicates(dupIgnore);
    FExtensions->SetSorted(true);
    FFileIO = TXFileDiskIO::Create(nullptr);
    FDiskIO = TXDiskIO::Create(nullptr);
    FFATDisk = TXDRFATDisk::Create();
    FUsedBlocks = TXBlocks::Create();
}

TXDRData::~TXDRData()
{
    FreeAndNil(FUsedBlocks);
    FreeAndNil(FFATDisk);
    FreeAndNil(FDiskIO);
    FreeAndNil(FFileIO);
    FreeAndNil(FExtensions);
}

void TXDRData::DoClear()
{
    inherited::DoClear();
    FCurrentIO = nullptr;
    FFileIO->Close();
    FDiskIO->Close();
    FFATDisk->Clear();
}

// ---- TXCustomDRThread --------------------------------------------------------------------

void TXCustomDRThread::Construct(bool ACreateSuspended, TXThreadWorkerGear<TXDRData>* AGear, TXDRData* AData,
                                 const TIntf<IXWorker>& AWorker)
{
    inherited::Construct(ACreateSuspended, AGear, AData, AWorker);
    FGear = AsOrNull<TXDRWorkerGear>(AGear);
}

void TXCustomDRThread::Execute()
{
    const TThreadID Self = GetCurrentThreadId();
    RegisterErrorThread(Self);
    try {
        DoExecute();
    } catch (const std::exception&) {
        // The job's end has been reported, or is reported by the thread's termination.
    }
    UnregisterErrorThread(Self);
}

bool TXCustomDRThread::OpenSource()
{
    ClearError();
    if (FVolumeName.empty() && FImagePath.empty())
        return true;
    TXDRData* Data = this->Data();
    bool Opened = false;
    try {
        if (Data->CurrentIO() != nullptr)
            Data->CurrentIO()->Close();
        if (!FVolumeName.empty()) {
            Data->SetCurrentIO(Data->DiskIO());
            Data->DiskIO()->SetRequestedSize(FRequestedSize);
            Opened = Data->DiskIO()->Open(FVolumeName, kIORead);
            if (Opened && Data->DiskIO()->DiskInfo().DiskSize == 0)
                SetError(kVolumeMissing, 0, FVolumeName, true);
        } else {
            Data->SetCurrentIO(Data->FileIO());
            Opened = Data->FileIO()->Open(FImagePath, kIORead);
        }
        if (auto* Disk = AsOrNull<TXBufDiskStream>(Data->CurrentIO()->GetStream()))
            Disk->SetOnSlowRead(TXSlowReadEvent::Bind<&TXCustomDRThread::SlowReadHandler>(this));
    } catch (const std::exception&) {
        Opened = false;
    }
    // An open that failed without saying why must still end the job as failed.
    if (!Opened && GetErrorCode() == 0)
        SetError(kVolumeOpenFailed, 0, FVolumeName.empty() ? FImagePath : FVolumeName);
    if (GetErrorCode() != 0)
        Worker()->TerminateWithError(GetErrorData());
    return Opened;
}

void TXCustomDRThread::SlowReadHandler(TObject*, uint32_t AElapsedMs)
{
    if (IsTraceOn())
        CodeTrek()->Add("Timeout " + IntToStr(AElapsedMs));
    if (!IsApplicationTerminating())
        Worker()->PostNotification(TXNotification<TXTimeElapsedTicks>::New(TXTimeElapsedTicks::Create(AElapsedMs)));
}

bool TXCustomDRThread::Stopped()
{
    return IsApplicationTerminating() || Worker()->IsTerminated();
}

void TXCustomDRThread::EndWorker()
{
    TXErrorData Error = GetErrorData();
    if (IsToleratedReadError(Error.Code))
        Error = TXErrorData();
    Worker()->TerminateWithError(Error);
}

// ---- TXCustomDRScanThread ----------------------------------------------------------------

TXCustomDRScanThread::~TXCustomDRScanThread()
{
    FreeAndNil(FAccepted);
    FreeAndNil(FSearch);
}

void TXCustomDRScanThread::AfterConstruction()
{
    FSearch = TXSearch::Create(nullptr);
    FSearch->SetTerminated(TXTerminatedTest::Bind<&TXCustomDRScanThread::SearchTerminated>(this));
    FAccepted = TXDRFileCollection::Create(static_cast<TPersistent*>(nullptr));
    inherited::AfterConstruction();
}

void TXCustomDRScanThread::HandOver(TXCommand* ACommand)
{
    TIntf<IXCommand> Command(ACommand);
    if (Gear()->GetEngine())
        Gear()->PostCommand(Command);
    else
        Gear()->ExecuteCommand(Command);
}

void TXCustomDRScanThread::ClearFiles()
{
    FAccepted->Clear();
    HandOver(TXDRClearFilesCommand::Create(Gear()));
}

void TXCustomDRScanThread::AddFilter(IXNotification* ANotification)
{
    TXDRFileItem* Item = AspectOf<TXDRFoundFileAspect>(ANotification)->Item();
    if (Item->GetSize() == 0)
        return;
    if (Data()->Extensions()->IndexOf(LowerCase(Item->FileType())) < 0)
        return;
    if (IsDeletedEntry(Item->Status()) && FAccepted->IndexOfBlocks(Item->Blocks()) >= 0)
        return;
    TXDRFileItem* Record = FAccepted->Add();
    Record->SetFileType(Item->FileType());
    Record->Blocks()->Assign(Item->Blocks());
    TOwned<TXDRFileItem> Added = Owned(TXDRFileItem::Create(static_cast<TCollection*>(nullptr)));
    Added->Assign(Item);
    if (Added->Name().empty()) {
        ++FCounter;
        Added->SetName(Format("%.6d", {FCounter}) + Added->FileType());
    }
    Added->TraceDump();
    HandOver(TXDRAddFileCommand::Create(Gear(), std::move(Added)));
}

void TXCustomDRScanThread::DoExecute()
{
    TXDRData* Data = this->Data();
    const TDateTime Start = Now();
    Data->SetElapsed(Start);
    ClearError();
    Worker()->GetProgress()->Reset();
    Worker()->ResetError();
    Worker()->SetName("Scan");
    SetName("Scan");

    Worker()->Subscribe(TXDRFoundFileAspect::StaticClass(), FilterHandler());
    try {
        if (OpenSource())
            DoScan();
    } catch (const std::exception&) {
        // What went wrong is in the thread's error record, which ends the worker below.
    }
    Data->SetElapsed(TDateTime(Now().Value - Start.Value));
    Worker()->Unsubscribe(TXDRFoundFileAspect::StaticClass(), FilterHandler());
    if (IsApplicationTerminating())
        return;
    Worker()->SetName(Name());
    if (!Worker()->IsCancelled())
        EndWorker();
}

// ---- TXDRDeepScanThread ------------------------------------------------------------------

void TXDRDeepScanThread::DoScan()
{
    TXDRData* Data = this->Data();
    SetName("DeepScan");
    SetCounter(0);
    Search()->SetStream(Data->CurrentIO()->GetStream());
    ClearFiles();
    Data->UsedBlocks()->Clear();
    // Photos decode on the thumbnailer's thread while the scan reads on.
    TXDRThumbnailer Thumbnailer;
    struct TThumbnailerScope {
        TXDRDeepScanThread* Thread;
        TXDRFATDisk* Disk;
        ~TThumbnailerScope()
        {
            Thread->FThumbnailer = nullptr;
            Disk->SetThumbnailer(nullptr);
            if (TXCustomBufStream* Stream = Thread->BufStream())
                Stream->SetCachedWindows(0);
        }
    } Scope{this, Data->FATDisk()};
    FThumbnailer = &Thumbnailer;
    Data->FATDisk()->SetThumbnailer(&Thumbnailer);
    // The carving passes and the thumbnails come back to bytes just read: a few megabytes of
    // windows serve them without reading the card again.
    if (TXCustomBufStream* Stream = BufStream())
        Stream->SetCachedWindows(kScanCachedWindows);
    // A card without a FAT (FAT12 or none) is carved whole, without sections.
    if (!Data->FATDisk()->Open(Data->CurrentIO()))
        CarveUpTo(Data->CurrentIO()->DiskInfo().DiskSize);
    else
        ScanFileSystem();
}

template <class TStage>
bool TXDRDeepScanThread::InSection(uint8_t APercent, TStage AStage)
{
    TIntf<IXProgress> Progress = Worker()->GetProgress();
    Progress->BeginSubRange(APercent);
    AStage();
    Progress->Finish();
    return !Stopped();
}

void TXDRDeepScanThread::ScanFileSystem()
{
    TXDRData* Data = this->Data();
    TXDRFATDisk* Disk = Data->FATDisk();
    TXBlocks* Used = Data->UsedBlocks();
    const int64_t DiskSize = Data->CurrentIO()->DiskInfo().DiskSize;
    // The FAT stages read headers and directories here and there: sector-sized windows read
    // no more than they need, and the files' thumbnails wait for the carving, which reads
    // every byte anyway.
    TXDRDeferredThumbnails Deferred;
    {
        TXCustomBufStream* Stream = BufStream();
        struct TFatStageScope {
            TXCustomBufStream* Stream;
            int32_t Window;
            TXDRFATDisk* Disk;
            ~TFatStageScope()
            {
                if (Stream != nullptr)
                    Stream->SetBufferSize(Window);
                Disk->SetDeferredThumbnails(nullptr);
            }
        } Scope{Stream, Stream != nullptr ? Stream->BufferSize() : 0, Disk};
        if (Stream != nullptr)
            Stream->SetBufferSize(Stream->SectorSize());
        Disk->SetDeferredThumbnails(&Deferred);
        if (!InSection(35, [&] { Disk->RecoverEntries(Used, Worker().Get()); })
            || !InSection(15, [&] { Disk->RecoverLostEntries(Used, Worker().Get()); }))
            return;
    }
    (void)InSection(50, [&] {
        // The free areas; and everything up to the last used byte, live files included, for
        // photos a damaged directory does not list: side by side, over one read of the card.
        TOwned<TXBlocks> Free = Owned(TXBlocks::Create());
        TOwned<TXBlocks> UpToLastUsed = Owned(TXBlocks::Create());
        if (Used->Count() == 0)
            Free->Add(0, DiskSize);
        else {
            Used->SortAndMerge();
            Free->AssignComplement(Used, DiskSize);
            const TXBlock& Last = Used->Items(Used->Count() - 1);
            UpToLastUsed->Add(0, Last.Start + Last.Size - 1);
        }
        Used->Clear();
        struct TProgressScope {
            TXDRDeepScanThread* Thread;
            ~TProgressScope() { Thread->SetProgressLimit(0); }
        } Scope{this};
        SetProgressLimit(DiskSize);
        CarveSideBySide(Search(), Data->CurrentIO()->GetStream(), Free.get(), UpToLastUsed.get(), Accepted(),
                        Worker().Get(), FThumbnailer, &Deferred);
    });
}

void TXDRDeepScanThread::CarveUpTo(int64_t ALimit)
{
    TXDRData* Data = this->Data();
    struct TProgressScope {
        TXDRDeepScanThread* Thread;
        ~TProgressScope() { Thread->SetProgressLimit(0); }
    } Scope{this};
    SetProgressLimit(ALimit);
    TOwned<TXBlocks> Blocks = Owned(TXBlocks::Create());
    if (Data->UsedBlocks()->Count() > 0)
        Blocks->AssignComplement(Data->UsedBlocks(), ALimit);
    else
        Blocks->Add(0, ALimit);
    if (!Stopped())
        CarveBlocks(Search(), Data->CurrentIO()->GetStream(), Blocks.get(), Accepted(), Worker().Get(), FThumbnailer);
}

TXCustomBufStream* TXDRDeepScanThread::BufStream() const
{
    return AsOrNull<TXCustomBufStream>(Data()->CurrentIO()->GetStream());
}

void TXDRDeepScanThread::SetProgressLimit(int64_t ALimit)
{
    TXCustomBufStream* Stream = BufStream();
    if (Stream == nullptr)
        return;
    FLimit = ALimit;
    FFurthest = -1;
    Stream->SetOnBufferFilled(ALimit > 0 ? TXBufferFilledEvent::Bind<&TXDRDeepScanThread::BufferFilled>(this)
                                         : TXBufferFilledEvent());
}

void TXDRDeepScanThread::BufferFilled(TObject*, int64_t ABufferStart)
{
    // Thumbnails read a found file again, behind the search: the bar must not jump back.
    if (ABufferStart <= FFurthest)
        return;
    FFurthest = ABufferStart;
    double Percent = std::round(static_cast<double>(ABufferStart) / static_cast<double>(FLimit) * 100);
    Worker()->GetProgress()->SetPercent(static_cast<uint8_t>(std::clamp(Percent, 0.0, 100.0)));
}

// ---- TXDRWorkerGear ----------------------------------------------------------------------

void TXDRWorkerGear::AfterConstruction()
{
    inherited::AfterConstruction();
    if (GetEngine())
        GetEngine()->Subscribe(TXAssembleAspect::StaticClass(),
                               TXNotificationHandler::Bind<&TXDRWorkerGear::Assemble>(this));
}

void TXDRWorkerGear::BeforeDestruction()
{
    if (GetEngine()) {
        GetEngine()->UnsubscribeHandler(TXNotificationHandler::Bind<&TXDRWorkerGear::Assemble>(this));
        GetEngine()->UnsubscribeHandler(TXNotificationHandler::Bind<&TXDRWorkerGear::Cancel>(this));
    }
    inherited::BeforeDestruction();
}

void TXDRWorkerGear::Assemble(IXNotification*)
{
    GetEngine()->Subscribe(TXActionCancelAspect::StaticClass(), TXNotificationHandler::Bind<&TXDRWorkerGear::Cancel>(this));
    Subscribe(TXTimeElapsedTicks::StaticClass(), TXNotificationHandler::Bind<&TXDRWorkerGear::SlowReadPrompt>(this));
    Subscribe(TXOperationTerminatedAspect::StaticClass(),
              TXNotificationHandler::Bind<&TXDRWorkerGear::OperationTerminated>(this));
}

bool TXDRWorkerGear::ExecuteCommand(const TIntf<IXCommand>& ACommand)
{
    auto* Work = AsOrNull<TXDRWorkCommand>(ObjectOf(ACommand.Get()));
    if (Work == nullptr)
        return inherited::ExecuteCommand(ACommand);
    if (Work->AsksAboutSlowReads())
        FSlowReadQuestion = true;
    return Work->Execute();
}

void TXDRWorkerGear::ClearFiles()
{
    if (TXDRFileCollection* Files = Data()->Files())
        Files->Clear();
}

void TXDRWorkerGear::AddFile(TOwned<TXDRFileItem> AFound)
{
    TXDRFileCollection* Files = Data()->Files();
    if (Files == nullptr)
        return;
    TXDRFileItem* Added = AFound.release();
    Added->SetCollection(Files);
    Notify(TXNotification<TXDRAddFileAspect>::New(TXDRAddFileAspect::Create(Added)));
}

void TXDRWorkerGear::Cancel(IXNotification*)
{
    if (!Running())
        return;
    FSlowReadQuestion = false;
    Worker()->Terminate();
}

void TXDRWorkerGear::SlowReadPrompt(IXNotification* ANotification)
{
    auto* Ticks = AspectOf<TXTimeElapsedTicks>(ANotification);
    if (!FSlowReadQuestion || !Running() || Ticks->Milliseconds <= kSlowReadMs)
        return;
    FSlowReadQuestion = false;
    if (!FOnSlowDeviceQuestion || FOnSlowDeviceQuestion() != kAnswerYes)
        return;
    Cancel(nullptr);
    if (TXNVCoreApp* App = NVCoreApp())
        App->NotifyTerminated();
    if (Application != nullptr)
        Application->Terminate();
}

// ---- Work commands -----------------------------------------------------------------------

void TXDRWorkCommand::Construct(TXDRWorkerGear* AGear, const String& AName, int64_t ASize)
{
    inherited::Construct(rcmInterlocked);
    FGear = AGear;
    SetName(AName);
    FSize = ASize;
}

bool TXDRWorkCommand::Execute()
{
    if (FGear->Running())
        return false;
    TXCustomDRThread* Thread = CreateThread();
    return Thread != nullptr && FGear->StartThread(Thread);
}

TXCustomDRThread* TXDRDiskDeepScanWorkCommand::CreateThread()
{
    auto* Thread = CreateJobThread<TXDRDeepScanThread>(Gear());
    Thread->SetVolumeName(GetName());
    Thread->SetRequestedSize(Size());
    return Thread;
}

TXCustomDRThread* TXDRDiskImageDeepScanWorkCommand::CreateThread()
{
    auto* Thread = CreateJobThread<TXDRDeepScanThread>(Gear());
    Thread->SetImagePath(GetName());
    return Thread;
}

}  // namespace XDR::Gears::Work

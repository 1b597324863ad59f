// XDR.Gears.Work.h: the recovery jobs' common gear: the job data, the thread base that opens
// the source, the scan threads with their add filter, the worker gear and its work commands.
// Job threads free themselves; the found-file filter runs on the job's thread, inside Notify.
// The data's collection belongs to the engine's (UI) thread: scans hand found files over to it.
#pragma once

#include <atomic>
#include <cstdint>

#include "Rtl.DateUtils.h"
#include "XCore.Engine.Actions.h"
#include "XCore.Engine.WorkerThreads.h"
#include "XCore.IO.Classes.h"
#include "XCore.Search.h"
#include "XDR.Classes.h"
#include "XDR.Gears.Work.F.h"

class TXDRThumbnailer;

namespace XDR::Gears::Work {

// What the jobs of one worker gear share: the source they read and the files they found.
class TXDRData : public TXPersistent {
    X_CLASS(TXDRData, TXPersistent)
public:
    // How long the last scan took.
    TDateTime Elapsed() const { return FElapsed; }
    void SetElapsed(TDateTime AValue) { FElapsed = AValue; }
    // The accepted extensions (".jpg"), sorted, duplicates ignored.
    TStringList* Extensions() const { return FExtensions; }
    // FileIO or DiskIO, whichever the running job opened; nullptr before.
    TXCustomDiskIO* CurrentIO() const { return FCurrentIO; }
    void SetCurrentIO(TXCustomDiskIO* AValue) { FCurrentIO = AValue; }
    TXFileDiskIO* FileIO() const { return FFileIO; }
    TXDiskIO* DiskIO() const { return FDiskIO; }
    // The FAT of the current source, for the scan's file-system stages.
    TXDRFATDisk* FATDisk() const { return FFATDisk; }
    // The bytes the file system accounts for, which carving leaves out.
    TXBlocks* UsedBlocks() const { return FUsedBlocks; }
    // The data gear's collection (not owned). Scans change it only through the gear, on the
    // engine's thread; the restore reads it while no scan runs.
    TXDRFileCollection* Files() const { return FFiles; }
    void SetFiles(TXDRFileCollection* AValue) { FFiles = AValue; }

protected:
    TXDRData() = default;
    ~TXDRData() override;
    void Init() override;
    // Forgets the current source, closes both and clears the FAT.
    void DoClear() override;

private:
    TDateTime FElapsed;
    TStringList* FExtensions = nullptr;   // owned
    TXCustomDiskIO* FCurrentIO = nullptr;
    TXFileDiskIO* FFileIO = nullptr;      // owned
    TXDiskIO* FDiskIO = nullptr;          // owned
    TXDRFATDisk* FFATDisk = nullptr;      // owned
    TXBlocks* FUsedBlocks = nullptr;      // owned
    TXDRFileCollection* FFiles = nullptr;
};

class TXDRWorkerGear;

// A job on the worker gear's data. Execute registers the thread's own error store entry and
// runs DoExecute; the job's thread frees itself when it ends.
class TXCustomDRThread : public TXWorkerThread<TXDRData> {
    X_CLASS(TXCustomDRThread, TXWorkerThread<TXDRData>)
public:
    // The card image to read; empty for a volume or for the source already open.
    const String& ImagePath() const { return FImagePath; }
    void SetImagePath(const String& AValue) { FImagePath = AValue; }
    const String& VolumeName() const { return FVolumeName; }
    void SetVolumeName(const String& AValue) { FVolumeName = AValue; }
    // The size to read when the device reports none.
    int64_t RequestedSize() const { return FRequestedSize; }
    void SetRequestedSize(int64_t AValue) { FRequestedSize = AValue; }
    // The job's name, which its worker takes at the end.
    const String& Name() const { return FName; }
    void SetName(const String& AValue) { FName = AValue; }

    // Opens the named source as the data's current I/O object; True when none is named (the
    // source of the previous job stays). A failure ends the worker with its error record.
    [[nodiscard]] bool OpenSource();
    // A window read took AElapsedMs: the UI hears of it.
    void SlowReadHandler(TObject* ASender, uint32_t AElapsedMs);

protected:
    TXCustomDRThread() = default;
    void Execute() final;
    virtual void DoExecute() = 0;
    // The application is ending or the worker was ended.
    bool Stopped();
    // Ends the worker with the thread's error record; the read errors a job tolerates (12, 13,
    // 39, 44) count as success.
    void EndWorker();
    TXDRWorkerGear* Gear() const { return FGear; }

    using TXWorkerThread<TXDRData>::Construct;
    void Construct(bool ACreateSuspended, TXThreadWorkerGear<TXDRData>* AGear, TXDRData* AData,
                   const TIntf<IXWorker>& AWorker) override;

private:
    TXDRWorkerGear* FGear = nullptr;   // outlives the thread: it waits for the thread's end
    String FImagePath;
    String FVolumeName;
    int64_t FRequestedSize = 0;
    String FName;
};

// A scan: found files pass the add filter and go, in order, to the gear on the engine's thread,
// which puts them into the data's collection. The thread keeps its own record of what it
// accepted, for the duplicate tests.
class TXCustomDRScanThread : public TXCustomDRThread {
    X_CLASS(TXCustomDRScanThread, TXCustomDRThread)
public:
    TXSearch* Search() const { return FSearch; }
    // Carved files named so far.
    int32_t Counter() const { return FCounter; }
    void SetCounter(int32_t AValue) { FCounter = AValue; }

    // Takes a found file into the collection when its type is accepted and it is new.
    void AddFilter(IXNotification* ANotification);

protected:
    TXCustomDRScanThread() = default;
    ~TXCustomDRScanThread() override;
    void AfterConstruction() override;
    void DoExecute() override;
    virtual void DoScan() = 0;
    // The files this scan accepted so far, with their blocks and types only.
    TXDRFileCollection* Accepted() const { return FAccepted; }
    // A new scan: forgets what was accepted and has the data's collection emptied.
    void ClearFiles();

private:
    TXNotificationHandler FilterHandler() { return TXNotificationHandler::Bind<&TXCustomDRScanThread::AddFilter>(this); }
    bool SearchTerminated() { return Stopped(); }
    // Runs ACommand on the gear, on the engine's thread behind what the worker posted before;
    // at once without an engine.
    void HandOver(TXCommand* ACommand);

    TXSearch* FSearch = nullptr;                 // owned
    TXDRFileCollection* FAccepted = nullptr;     // owned
    int32_t FCounter = 0;
};

// The deep scan: the file system's files first, then carving of what it leaves free.
class TXDRDeepScanThread : public TXCustomDRScanThread {
    X_CLASS(TXDRDeepScanThread, TXCustomDRScanThread)
public:
    // Carves [0, ALimit) outside the used blocks.
    void CarveUpTo(int64_t ALimit);

protected:
    TXDRDeepScanThread() = default;
    void DoScan() override;

private:
    // The file system's files, then carving around them and over them.
    void ScanFileSystem();
    // Runs AStage in a progress section of APercent; False when the scan is to stop.
    template <class TStage>
    bool InSection(uint8_t APercent, TStage AStage);
    // Progress follows the read position up to ALimit; 0 removes the hook.
    void SetProgressLimit(int64_t ALimit);
    void BufferFilled(TObject* ASender, int64_t ABufferStart);
    TXCustomBufStream* BufStream() const;

    int64_t FLimit = 0;
    int64_t FFurthest = -1;   // the furthest window reported
    TXDRThumbnailer* FThumbnailer = nullptr;   // the scan's, while it runs
};

// Asks the user whether to stop a slow device; answers a dialog result (6: yes).
using TXDRSlowDeviceQuestion = TMethod<int32_t()>;

// Runs one job at a time on the gear's data; a cancel from the wizard ends it.
class TXDRWorkerGear : public TXThreadWorkerGear<TXDRData> {
    X_CLASS(TXDRWorkerGear, TXThreadWorkerGear<TXDRData>)
public:
    // Set for the deep scans, until the first slow read has been asked about.
    bool SlowReadQuestion() const { return FSlowReadQuestion; }
    void SetSlowReadQuestion(bool AValue) { FSlowReadQuestion = AValue; }
    // The question shown on a slow read; none set, nothing is asked.
    TXDRSlowDeviceQuestion OnSlowDeviceQuestion() const { return FOnSlowDeviceQuestion; }
    void SetOnSlowDeviceQuestion(TXDRSlowDeviceQuestion AValue) { FOnSlowDeviceQuestion = AValue; }

    bool ExecuteCommand(const TIntf<IXCommand>& ACommand) override;
    // On the engine's thread, as the scans hand over: empties the data's collection; adds
    // AFound (owned from here) to it and tells the observers (TXDRAddFileAspect).
    void ClearFiles();
    void AddFile(TOwned<TXDRFileItem> AFound);
    // Ends the running job as cancelled.
    void Cancel(IXNotification* ANotification);
    void SlowReadPrompt(IXNotification* ANotification);

    void AfterConstruction() override;
    void BeforeDestruction() override;

protected:
    TXDRWorkerGear() = default;

private:
    void Assemble(IXNotification* ANotification);
    void OperationTerminated(IXNotification*) { FSlowReadQuestion = false; }

    std::atomic<bool> FSlowReadQuestion{false};   // the worker's end clears it on the job's thread
    TXDRSlowDeviceQuestion FOnSlowDeviceQuestion;
};

// A job request: its gear, the source's name (a volume or an image file) and the size. Always
// counted: the engine queues it through its interface, which frees it.
class TXDRWorkCommand : public TXCommand {
    X_CLASS(TXDRWorkCommand, TXCommand)
public:
    TXDRWorkerGear* Gear() const { return FGear; }
    int64_t Size() const { return FSize; }
    // Starts the job's thread unless one runs; False then.
    bool Execute() override;
    // The deep scans ask about slow reads.
    virtual bool AsksAboutSlowReads() const { return false; }

protected:
    TXDRWorkCommand() = default;
    using TXCommand::Construct;
    virtual void Construct(TXDRWorkerGear* AGear, const String& AName, int64_t ASize);
    // A suspended thread on the gear; nullptr for no job.
    virtual TXCustomDRThread* CreateThread() { return nullptr; }

private:
    TXDRWorkerGear* FGear = nullptr;   // not owned
    int64_t FSize = 0;
};

// A job on a volume of the given size.
class TXDRDiskWorkCommand : public TXDRWorkCommand {
    X_CLASS(TXDRDiskWorkCommand, TXDRWorkCommand)
protected:
    TXDRDiskWorkCommand() = default;
    using TXDRWorkCommand::Construct;
    virtual void Construct(TXDRWorkerGear* AGear, int64_t ASize, const String& AVolumeName)
    {
        inherited::Construct(AGear, AVolumeName, ASize);
    }
};

// A job on a card image file.
class TXDRDiskImageWorkCommand : public TXDRWorkCommand {
    X_CLASS(TXDRDiskImageWorkCommand, TXDRWorkCommand)
protected:
    TXDRDiskImageWorkCommand() = default;
    using TXDRWorkCommand::Construct;
    virtual void Construct(TXDRWorkerGear* AGear, const String& AImagePath) { inherited::Construct(AGear, AImagePath, 0); }
};

class TXDRDiskDeepScanWorkCommand : public TXDRDiskWorkCommand {
    X_CLASS(TXDRDiskDeepScanWorkCommand, TXDRDiskWorkCommand)
public:
    bool AsksAboutSlowReads() const override { return true; }

protected:
    TXDRDiskDeepScanWorkCommand() = default;
    TXCustomDRThread* CreateThread() override;
};

class TXDRDiskImageDeepScanWorkCommand : public TXDRDiskImageWorkCommand {
    X_CLASS(TXDRDiskImageDeepScanWorkCommand, TXDRDiskImageWorkCommand)
public:
    bool AsksAboutSlowReads() const override { return true; }

protected:
    TXDRDiskImageDeepScanWorkCommand() = default;
    TXCustomDRThread* CreateThread() override;
};

// Makes a suspended job thread of class T on AGear's worker and data.
template <class T>
T* CreateJobThread(TXDRWorkerGear* AGear)
{
    return T::Create(true, AGear, AGear->Data(), TIntf<IXWorker>(AGear->Worker()));
}

}  // namespace XDR::Gears::Work

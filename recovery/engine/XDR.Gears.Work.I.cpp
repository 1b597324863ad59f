// XDR.Gears.Work.I.cpp: the card image job.
#include "XDR.Gears.Work.I.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "Rtl.SafeFiles.h"
#include "Rtl.SysUtils.h"
#include "Win.Volumes.h"
#include "XCore.Errors.h"

namespace XDR::Gears::Work::I {

namespace {

// FIXME: the log's texts move to the language table once the image page's text ids are known.
constexpr const char* kTextOpening = "Creating the image file %s";
constexpr const char* kTextUnreadableCluster = "Unreadable cluster";
constexpr const char* kTextUnreadableClusters = "Unreadable clusters";
constexpr const char* kTextSkippedClusters = "Skipped clusters";
constexpr const char* kTextSuccess = "The image file has been created.";
constexpr const char* kTextInterrupted = "Reading interrupted at cluster";
constexpr const char* kTextCancelled = "Cancelled by the user.";
constexpr const char* kTextErrorTitle = "Error";
constexpr const char* kTextDeviceGone = "The device was removed or is not ready.";

// The device is released before the job reports its end; a reader needs a moment to settle.
constexpr auto kDeviceSettle = std::chrono::milliseconds(100);

String Range(int64_t AFirst, int64_t ALast)
{
    return IntToStr(AFirst) + "-" + IntToStr(ALast);
}

}  // namespace

// ---- TXDRDiskImageThread -----------------------------------------------------------------

TXDRDiskImageThread::~TXDRDiskImageThread()
{
    FreeAndNil(FDialog);
}

void TXDRDiskImageThread::AfterConstruction()
{
    FDialog = TXDRClusterErrorDialog::Create();
    inherited::AfterConstruction();
}

void TXDRDiskImageThread::DoExecute()
{
    Worker()->SetName("ImageFile");
    ClearError();
    Worker()->GetProgress()->Reset();
    Worker()->ResetError();
    if (!OpenSource())
        return;   // the open error has ended the worker
    TXDiskIO* Device = Data()->DiskIO();
    try {
        // Written under a temporary name: only a whole image takes the file's name, and one
        // that is cancelled or fails leaves nothing behind.
        TOwned<TSafeFileStream> Image;
        try {
            Image = Owned(TSafeFileStream::Create(FImageFileName, ssReplace));
        } catch (const std::exception&) {
            SetFirstError(kVolumeOpenFailed, 0, FImageFileName);
            throw;
        }
        Log(Format(kTextOpening, {FImageFileName}));
        CopyClusters(Device->GetStream(), Image.get());
        if (!Device->SaveDiskInfo(Image.get()))
            SetFirstError(kErrLocalWriteFailed, 0, FImageFileName, true);
        if (!Worker()->IsCancelled() && (GetErrorCode() == 0 || GetErrorCode() == kErrReadPastEnd)) {
            try {
                Image->Commit();
            } catch (const std::exception&) {
                SetFirstError(kErrLocalWriteFailed, 0, FImageFileName);
            }
        }
    } catch (const std::exception&) {
        // A removed card, a write failure or "finish reading": the record says which.
    }
    Device->Close();
    std::this_thread::sleep_for(kDeviceSettle);
    LogEnd();
    Worker()->TerminateWithError(GetErrorData());
}

void TXDRDiskImageThread::CopyClusters(TStream* ADevice, TStream* AImage)
{
    const TXDiskInfoRecord& Info = Data()->DiskIO()->DiskInfo();
    const int64_t ClusterSize = DiskInfoClusterSize(Info);
    const int64_t ChunkSize = std::min(ClusterSize, Info.DiskSize);
    const int64_t StreamSize = std::max<int64_t>(ADevice->Size(), 1);
    FDialog->SetChoice(kClusterChoiceNone);
    FDialog->SetSkipCount(10);
    FDialog->SetClusterCount(Info.DiskSize / ClusterSize);
    FDialog->SetClusterSize(ClusterSize);
    std::vector<uint8_t> Chunk(static_cast<size_t>(std::max<int64_t>(ChunkSize, 0)));
    FCluster = 0;
    for (int64_t Remaining = Info.DiskSize; Remaining > 0 && !Stopped();) {
        bool Skipping = false;
        if (ReadCluster(ADevice, FCluster * ChunkSize, Chunk.data(), std::min(ChunkSize, Remaining))) {
            FlushBadRange();
        } else {
            if (FDialog->Choice() != kClusterChoiceIgnoreAll)
                Ask();
            AddBadCluster(FCluster);
            Skipping = FDialog->Choice() == kClusterChoiceSkipN;
            if (Skipping && FDialog->SkipCount() > 1) {
                FlushBadRange();
                Log(String(kTextSkippedClusters) + ": " + Range(FCluster, FCluster + FDialog->SkipCount() - 1));
            }
        }
        if (FDialog->Choice() == kClusterChoiceFinish)
            SetFirstError(kErrImageFinishedByUser, 0, {}, true);
        // Skipped clusters are not read: zeros stand for them.
        for (int64_t I = Skipping ? FDialog->SkipCount() : 1; I > 0 && Remaining > 0; --I) {
            const int64_t Count = std::min(ChunkSize, Remaining);
            WriteChunk(AImage, Chunk.data(), Count);
            ++FCluster;
            Remaining -= Count;
        }
        const double Percent = std::round(static_cast<double>(FCluster * ChunkSize) / StreamSize * 100);
        Worker()->GetProgress()->SetPercent(static_cast<uint8_t>(std::clamp(Percent, 0.0, 100.0)));
    }
}

bool TXDRDiskImageThread::ReadCluster(TStream* ADevice, int64_t AOffset, uint8_t* ABuffer, int64_t ACount)
{
    try {
        ADevice->Seek(AOffset, soBeginning);
        ADevice->ReadBuffer(ABuffer, ACount);
        return true;
    } catch (const std::exception&) {
        if (GetErrorCode() == kVolumeMissing)
            throw;
        std::fill(ABuffer, ABuffer + ACount, 0);
        ClearError();   // the log names the cluster; the job goes on
        return false;
    }
}

void TXDRDiskImageThread::Ask()
{
    FDialog->SetCluster(FCluster + 1);
    Synchronize([this] { FDialog->Execute(); });
}

void TXDRDiskImageThread::WriteChunk(TStream* AImage, const uint8_t* ABuffer, int64_t ACount)
{
    try {
        AImage->WriteBuffer(ABuffer, ACount);
    } catch (const std::exception&) {
        SetFirstError(kErrLocalWriteFailed, 0, FImageFileName);
        throw;
    }
}

void TXDRDiskImageThread::AddBadCluster(int64_t ACluster)
{
    if (FBadFirst < 0)
        FBadFirst = ACluster;
    FBadLast = ACluster;
}

void TXDRDiskImageThread::FlushBadRange()
{
    if (FBadFirst < 0)
        return;
    if (FBadFirst == FBadLast)
        Log(String(kTextUnreadableCluster) + ": " + IntToStr(FBadFirst));
    else
        Log(String(kTextUnreadableClusters) + ": " + Range(FBadFirst, FBadLast));
    FBadFirst = FBadLast = -1;
    CheckError();
}

void TXDRDiskImageThread::Log(const String& AText)
{
    FLogText = AText;
    PostLog();
}

void TXDRDiskImageThread::PostLog()
{
    Worker()->PostNotification(TXNotification<TXLogStringAspect>::New(TXLogStringAspect::Create(FLogText)));
    FLogText.clear();
}

void TXDRDiskImageThread::LogEnd()
{
    if (Worker()->IsCancelled())
        SetError(kErrCancelled);
    if (GetErrorCode() == kErrReadPastEnd)
        ClearError();
    try {
        FlushBadRange();
    } catch (const std::exception&) {
        // The record keeps the code it raised.
    }
    const String Interrupted = String(kTextInterrupted) + ": " + IntToStr(FCluster - 1);
    switch (GetErrorCode()) {
    case 0:
        Log(kTextSuccess);
        break;
    case kErrCancelled:
        Log(Interrupted);
        Log(kTextCancelled);
        break;
    case kVolumeMissing:
        Log(Interrupted);
        Log(kTextErrorTitle);
        Log(kTextDeviceGone);
        break;
    default:
        break;
    }
}

// ---- TXDRDiskImageWorkCommand ------------------------------------------------------------

void TXDRDiskImageWorkCommand::Construct(TXDRWorkerGear* AGear, int64_t ASize, const String& AVolumeName,
                                         const String& AImageFileName)
{
    inherited::Construct(AGear, ASize, AVolumeName);
    FImageFileName = AImageFileName;
}

TXCustomDRThread* TXDRDiskImageWorkCommand::CreateThread()
{
    auto* Thread = CreateJobThread<TXDRDiskImageThread>(Gear());
    Thread->SetImageFileName(FImageFileName);
    Thread->SetVolumeName(GetName());
    Thread->SetRequestedSize(Size());
    return Thread;
}

}  // namespace XDR::Gears::Work::I

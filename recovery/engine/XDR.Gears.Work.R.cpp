// XDR.Gears.Work.R.cpp: the restore job.
#include "XDR.Gears.Work.R.h"

#include "Rtl.Files.h"
#include "Rtl.SysUtils.h"
#include "Win.Volumes.h"
#include "XCore.Errors.h"
#include "XCore.Streams.Buffered.h"
#include "XDR.Work.R.h"

using namespace XDR::Gears::Work;

void TXDRRestoreFilesThread::DoExecute()
{
    Worker()->SetName("Restore");
    ClearError();
    Worker()->GetProgress()->Reset();
    Worker()->ResetError();
    TXDRRestoreReport Report;
    try {
        if (OpenSource()) {
            // Without a scan before it, there is no source to restore from.
            if (Data()->CurrentIO() == nullptr || Data()->CurrentIO()->GetStream() == nullptr)
                SetError(kVolumeOpenFailed);
            else
                Report = RestoreFiles(FRestoreFolder, Data()->Files(), Data()->CurrentIO()->GetStream(), Worker().Get());
        }
    } catch (const std::exception&) {
        // The error record ends the worker below.
    }
    EndWithReport(Report);
}

// Files that could not be written fail the job with the first one's reason; files written
// with unreadable parts are named in the end record, which stays a success.
void TXDRRestoreFilesThread::EndWithReport(const TXDRRestoreReport& AReport)
{
    const int32_t Code = GetErrorCode();
    if (Code == kVolumeMissing || Code == kErrCancelled || Worker()->IsCancelled()) {
        EndWorker();
        return;
    }
    if (!AReport.Failed.empty()) {
        SetError(kErrLocalWriteFailed, static_cast<int32_t>(AReport.Failed.size()),
                 IntToStr(int(AReport.Failed.size())) + " files could not be written: " + AReport.FirstFailure.Text);
        EndWorker();
        return;
    }
    if (AReport.Damaged.empty()) {
        EndWorker();
        return;
    }
    String Names;
    for (const String& Name : AReport.Damaged)
        Names += (Names.empty() ? "" : ", ") + ExtractFileName(Name);
    Worker()->TerminateWithError(TXErrorData::Create(
        0, static_cast<int32_t>(AReport.Damaged.size()),
        IntToStr(int(AReport.Damaged.size())) + " files had unreadable parts, written as zeros: " + Names));
}

void TXDRDiskRestoreFilesWorkCommand::Construct(TXDRWorkerGear* AGear, int64_t ASize, const String& AVolumeName,
                                                const String& AFolder)
{
    inherited::Construct(AGear, ASize, AVolumeName);
    FFolder = AFolder;
}

TXCustomDRThread* TXDRDiskRestoreFilesWorkCommand::CreateThread()
{
    auto* Thread = CreateJobThread<TXDRRestoreFilesThread>(Gear());
    Thread->SetRestoreFolder(FFolder);
    Thread->SetVolumeName(GetName());
    Thread->SetRequestedSize(Size());
    return Thread;
}

void TXDRDiskImageRestoreFilesWorkCommand::Construct(TXDRWorkerGear* AGear, const String& AFolder)
{
    inherited::Construct(AGear, String());
    FFolder = AFolder;
}

TXCustomDRThread* TXDRDiskImageRestoreFilesWorkCommand::CreateThread()
{
    auto* Thread = CreateJobThread<TXDRRestoreFilesThread>(Gear());
    Thread->SetRestoreFolder(FFolder);
    return Thread;
}

// XDR.Gears.Work.R.cpp: the restore job.
#include "XDR.Gears.Work.R.h"

#include "Win.Volumes.h"
#include "XCore.Errors.h"
#include "XDR.Work.R.h"

using namespace XDR::Gears::Work;

void TXDRRestoreFilesThread::DoExecute()
{
    Worker()->SetName("Restore");
    ClearError();
    Worker()->GetProgress()->Reset();
    Worker()->ResetError();
    try {
        if (OpenSource()) {
            // Without a scan before it, there is no source to restore from.
            if (Data()->CurrentIO() == nullptr || Data()->CurrentIO()->GetStream() == nullptr)
                SetError(kVolumeOpenFailed);
            else
                RestoreFiles(FRestoreFolder, Data()->Files(), Data()->CurrentIO()->GetStream(), Worker().Get());
        }
    } catch (const std::exception&) {
        // The error record ends the worker below.
    }
    EndWorker();
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

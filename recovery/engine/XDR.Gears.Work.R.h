// XDR.Gears.Work.R.h: the "Restore" job and the commands that start it, from a volume or from
// the card image the preceding scan opened.
#pragma once

#include "XDR.Gears.Work.h"
#include "XDR.Work.R.h"

class TXDRRestoreFilesThread : public XDR::Gears::Work::TXCustomDRThread {
    X_CLASS(TXDRRestoreFilesThread, XDR::Gears::Work::TXCustomDRThread)
public:
    // Ends with a path delimiter.
    const String& RestoreFolder() const { return FRestoreFolder; }
    void SetRestoreFolder(const String& AValue) { FRestoreFolder = AValue; }

protected:
    TXDRRestoreFilesThread() = default;
    void DoExecute() override;

private:
    void EndWithReport(const TXDRRestoreReport& AReport);

    String FRestoreFolder;
};

// Opens the volume again.
class TXDRDiskRestoreFilesWorkCommand : public XDR::Gears::Work::TXDRDiskWorkCommand {
    X_CLASS(TXDRDiskRestoreFilesWorkCommand, XDR::Gears::Work::TXDRDiskWorkCommand)
protected:
    TXDRDiskRestoreFilesWorkCommand() = default;
    using XDR::Gears::Work::TXDRDiskWorkCommand::Construct;
    virtual void Construct(XDR::Gears::Work::TXDRWorkerGear* AGear, int64_t ASize, const String& AVolumeName,
                           const String& AFolder);
    XDR::Gears::Work::TXCustomDRThread* CreateThread() override;

private:
    String FFolder;
};

// Reads the card image the scan left open.
class TXDRDiskImageRestoreFilesWorkCommand : public XDR::Gears::Work::TXDRDiskImageWorkCommand {
    X_CLASS(TXDRDiskImageRestoreFilesWorkCommand, XDR::Gears::Work::TXDRDiskImageWorkCommand)
protected:
    TXDRDiskImageRestoreFilesWorkCommand() = default;
    using XDR::Gears::Work::TXDRDiskImageWorkCommand::Construct;
    void Construct(XDR::Gears::Work::TXDRWorkerGear* AGear, const String& AFolder) override;
    XDR::Gears::Work::TXCustomDRThread* CreateThread() override;

private:
    String FFolder;
};

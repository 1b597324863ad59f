// XDR.Gears.Work.I.h: the "ImageFile" job: a raw copy of a card, cluster by cluster, with
// unreadable clusters as zeros, a log of them, and the card's disk-info text at the end.
// The job blocks while the read-error question is open on the UI thread.
#pragma once

#include <cstdint>

#include "XDR.Dlgs.ClusterError.h"
#include "XDR.Gears.Work.h"

namespace XDR::Gears::Work::I {

// The user chose to finish reading.
inline constexpr int32_t kErrImageFinishedByUser = 14;

class TXDRDiskImageThread : public XDR::Gears::Work::TXCustomDRThread {
    X_CLASS(TXDRDiskImageThread, XDR::Gears::Work::TXCustomDRThread)
public:
    const String& ImageFileName() const { return FImageFileName; }
    void SetImageFileName(const String& AValue) { FImageFileName = AValue; }
    // The log line being made; PostLog sends it.
    const String& LogText() const { return FLogText; }
    TXDRClusterErrorDialog* Dialog() const { return FDialog; }

protected:
    TXDRDiskImageThread() = default;
    ~TXDRDiskImageThread() override;
    void AfterConstruction() override;
    void DoExecute() override;

private:
    // Writes the clusters; raises for a removed card, a write failure or "finish reading".
    void CopyClusters(TStream* ADevice, TStream* AImage);
    // Reads ACount bytes at AOffset; False (zeros) for an unreadable cluster.
    bool ReadCluster(TStream* ADevice, int64_t AOffset, uint8_t* ABuffer, int64_t ACount);
    void Ask();
    void WriteChunk(TStream* AImage, const uint8_t* ABuffer, int64_t ACount);
    void AddBadCluster(int64_t ACluster);
    void FlushBadRange();
    void Log(const String& AText);
    void PostLog();
    void LogEnd();

    String FImageFileName;
    String FLogText;
    TXDRClusterErrorDialog* FDialog = nullptr;   // owned
    int64_t FBadFirst = -1;
    int64_t FBadLast = -1;
    int64_t FCluster = 0;
};

// Copies the volume of the given size into the image file.
class TXDRDiskImageWorkCommand : public XDR::Gears::Work::TXDRDiskWorkCommand {
    X_CLASS(TXDRDiskImageWorkCommand, XDR::Gears::Work::TXDRDiskWorkCommand)
protected:
    TXDRDiskImageWorkCommand() = default;
    using XDR::Gears::Work::TXDRDiskWorkCommand::Construct;
    virtual void Construct(XDR::Gears::Work::TXDRWorkerGear* AGear, int64_t ASize, const String& AVolumeName,
                           const String& AImageFileName);
    XDR::Gears::Work::TXCustomDRThread* CreateThread() override;

private:
    String FImageFileName;
};

}  // namespace XDR::Gears::Work::I

// XDR.Gears.Work.F.h: the FAT stages of a deep scan: live files along their cluster chains,
// deleted files over the free clusters after their first one, and files listed in lost
// directory clusters (free clusters that still hold directory entries).
// Everything runs on the scan's worker thread; found files leave through the worker's Notify.
// Chains and directory links come from the card: every walk stays inside the map and visits
// a cluster at most once, so a damaged card ends a walk early instead of looping.
#pragma once

#include <cstdint>
#include <vector>

#include "XCore.Classes.h"
#include "XDR.Work.F.FAT.h"

class TStream;
class TXBlocks;
class TXCustomDiskIO;
class TXDRFileItem;
class TXDRScanFormat;
class TXDRThumbnailer;
struct TXDRDeferredThumbnail;
struct IXNotification;
struct IXWorker;

// Bits of TXDRDirClusterObject::Flags.
inline constexpr uint8_t kDirClusterDotFirst = 0x01;   // its first entry is a dot entry
inline constexpr uint8_t kDirClusterWalked = 0x02;     // reached by the walk from the root
inline constexpr uint8_t kDirClusterLost = 0x04;       // found in a free cluster
inline constexpr uint8_t kDirClusterUnreached = 0x08;  // allocated, but not reached from the root

// One directory cluster and the file and folder entries read from it.
class TXDRDirClusterObject : public TXObject {
    X_CLASS(TXDRDirClusterObject, TXObject)
public:
    uint32_t Cluster = 0;   // 1 stands for FAT16's fixed root directory area
    uint8_t Flags = 0;
    bool Processed = false;
    TXFileSystemEntryList* Entries() const { return FEntries.get(); }   // owned

protected:
    TXDRDirClusterObject() = default;

private:
    TOwned<TXFileSystemEntryList> FEntries = Owned(TXFileSystemEntryList::Create());
};

class TXDRDirClusterList : public Generics::TObjectList<TXDRDirClusterObject> {
    X_CLASS(TXDRDirClusterList, Generics::TObjectList<TXDRDirClusterObject>)
protected:
    TXDRDirClusterList() = default;
};

class TXDRFATDisk : public TXPersistent {
    X_CLASS(TXDRFATDisk, TXPersistent)
public:
    TXFAT* FAT() const { return FFAT.get(); }                      // owned
    TXDRDirClusterList* Clusters() const { return FClusters.get(); }   // owned
    bool Opened() const { return FOpened; }
    // Whether found photos get thumbnails (on by default); without them a photo's size comes
    // from its header alone and it has neither thumbnail state.
    bool Thumbnails() const { return FThumbnails; }
    void SetThumbnails(bool AValue) { FThumbnails = AValue; }
    // Decodes the thumbnails while the stages read on (not owned); without one each stage has
    // its own. Every file a stage finds is announced by the stage's end.
    TXDRThumbnailer* Thumbnailer() const { return FThumbnailer; }
    void SetThumbnailer(TXDRThumbnailer* AValue) { FThumbnailer = AValue; }
    // While set (not owned), the files that get thumbnails are not announced by the stages but
    // wait in the list, for the carving to make their thumbnails as it passes their bytes.
    void SetDeferredThumbnails(std::vector<TXDRDeferredThumbnail>* AValue) { FDeferred = AValue; }

    // Reads the boot sector and the FAT of the IO's stream (not owned); True for FAT16 and
    // FAT32 volumes only.
    [[nodiscard]] bool Open(TXCustomDiskIO* AIO);
    [[nodiscard]] bool Open(TStream* AStream, const TXDiskInfoRecord& ADiskInfo);

    // The FAT stage: the directory tree, then the live files (their clusters go into
    // AUsedBlocks, as do the directories' and the volume's own area), then the deleted ones.
    void RecoverEntries(TXBlocks* AUsedBlocks, IXWorker* AWorker);
    // The lost-cluster stage: free clusters that read as directories, and allocated ones the
    // tree walk never reached (a damaged directory above them), then their files; their live
    // files and the lost directories go into AUsedBlocks.
    void RecoverLostEntries(TXBlocks* AUsedBlocks, IXWorker* AWorker);

    // The steps of the stages, for the stages and their tests.
    void WalkTree(IXWorker* AWorker);
    void FindLostDirClusters(IXWorker* AWorker);
    // Reads ASectorCount sectors at AOffset as the directory cluster ACluster and lists it;
    // answers its index in Clusters, -1 when ACluster is 0 or the scan is cancelled.
    int ReadDirCluster(uint32_t ASectorCount, uint32_t ACluster, IXWorker* AWorker, int64_t AOffset);
    // A live file along its chain, validated by its format when it has one. A chain that breaks
    // before the size is covered goes on with the clusters that follow its last good one, and a
    // chain whose bytes are no file of its type is tried as the clusters that follow its first.
    void FileFromChain(TXFileSystemEntry* AEntry, TXBlocks* AUsedBlocks, IXWorker* AWorker);
    void FileFromFreeClusters(TXFileSystemEntry* AEntry, IXWorker* AWorker);
    // The volume, the boot sector and the map into the trace list, while tracing is on.
    void TraceDump() const;

protected:
    TXDRFATDisk() = default;
    void DoClear() override;

private:
    // Reads the directory chain from ACluster; its sub-folders go onto APending.
    void WalkChain(uint32_t ACluster, IXWorker* AWorker, std::vector<uint32_t>& APending);
    void WalkDirCluster(int AIndex, std::vector<uint32_t>& APending);
    // With two FAT copies that differ, the one under which more live files' chains end where
    // their sizes say: the copy the directories agree with.
    void ChooseFatCopy(IXWorker* AWorker);
    int ExactChainCount() const;
    // Reports the live file AEntry on AClusters when its bytes pass its format's test (for a
    // guessed cluster list without a format: when they hold something); False otherwise.
    bool ReportLiveFile(TXFileSystemEntry* AEntry, const std::vector<uint32_t>& AClusters, bool AGuessed,
                        TXBlocks* AUsedBlocks, IXWorker* AWorker);
    // The directory clusters with one of AFlags that hold entries, into AUsedBlocks.
    void AddDirectoriesToUsed(TXBlocks* AUsedBlocks, uint8_t AFlags) const;
    void TraceClusters(bool AOnlyUnprocessed) const;
    // Announces AItem (inside ANotification) once its picture is described: the size from its
    // header, else from its thumbnail, made by the thumbnailer when thumbnails are on.
    void Announce(const TIntf<IXNotification>& ANotification, TXDRFileItem* AItem, TOwned<TXDRScanFormat> AFormat,
                  IXWorker* AWorker);

    TOwned<TXFAT> FFAT = Owned(TXFAT::Create());
    TOwned<TXDRDirClusterList> FClusters = Owned(TXDRDirClusterList::Create());
    bool FOpened = false;
    bool FThumbnails = true;
    TXDRThumbnailer* FThumbnailer = nullptr;
    std::vector<TXDRDeferredThumbnail>* FDeferred = nullptr;
    // Clusters the walk from the root reached: directories read and live files' clusters.
    std::vector<bool> FReached;
};

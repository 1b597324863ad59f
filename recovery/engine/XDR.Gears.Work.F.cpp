// XDR.Gears.Work.F.cpp: directory walks and the found files of the FAT stages.
#include "XDR.Gears.Work.F.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "Rtl.Files.h"
#include "XCode.Trek.h"
#include "XCore.App.Helpers.h"
#include "XCore.Engine.Notifications.h"
#include "XCore.Engine.Worker.h"
#include "XCore.IO.Classes.h"
#include "XCore.Search.h"
#include "XCore.Streams.Buffered.h"
#include "XDR.Classes.h"
#include "XDR.Work.P.h"
#include "XDR.Work.T.h"

namespace {

constexpr int kEntriesPerSector = kDirSectorSize / kDirEntrySize;
// How much of a deleted file must hold something other than one repeated byte.
constexpr int64_t kContentTestSize = 4096;

bool IsCancelled(IXWorker* AWorker)
{
    return IsApplicationTerminating() || AWorker->IsTerminated();
}

TXFileSystemEntry* MakeEntry(const uint8_t* ADirEntry, bool AFat32)
{
    bool Folder = IsFolderEntry(ADirEntry);
    TXFileSystemEntry* Entry = Folder ? TXFileSystemFolderEntry::Create() : TXFileSystemEntry::Create();
    Entry->Name = DirEntryName(ADirEntry);
    Entry->Size = DirEntrySize(ADirEntry);
    DirEntryDates(ADirEntry, Entry->Created, Entry->Modified, Entry->Accessed);
    Entry->FirstCluster = DirEntryFirstCluster(ADirEntry, AFat32);
    Entry->Flags = (Folder ? kEntryFolder : 0) | (IsDeletedDirEntry(ADirEntry) ? kEntryDeleted : 0);
    return Entry;
}

// Holds directory entries: a dot entry first, or any file or folder entry.
bool HoldsEntries(const TXDRDirClusterObject* AObject)
{
    return (AObject->Flags & kDirClusterDotFirst) != 0 || AObject->Entries()->Count() > 0;
}

// Entries up to the first end entry or the first one that is no directory entry at all.
void ReadDirEntries(TStream* AStream, bool AFat32, uint32_t ASectorCount, int64_t AOffset, TXDRDirClusterObject* AObject)
{
    uint8_t Sector[kDirSectorSize];
    for (uint32_t I = 0; I < ASectorCount; ++I) {
        if (!StreamReadAt(AStream, Sector, kDirSectorSize, AOffset + int64_t(I) * kDirSectorSize))
            return;
        if (I == 0 && IsDotDirEntry(Sector))
            AObject->Flags |= kDirClusterDotFirst;
        for (int E = 0; E < kEntriesPerSector; ++E) {
            const uint8_t* DirEntry = Sector + E * kDirEntrySize;
            if (!IsPlausibleDirEntry(DirEntry) || IsEndDirEntry(DirEntry))
                return;
            if (IsFileEntry(DirEntry) || IsFolderEntry(DirEntry))
                AObject->Entries()->Add(MakeEntry(DirEntry, AFat32));
        }
    }
}

// A free cluster that still reads as a directory: something in its first entry, and nothing
// in any entry that a directory could not hold.
bool LooksLikeDirCluster(const std::vector<uint8_t>& AData)
{
    if (std::all_of(AData.begin(), AData.begin() + kDirEntrySize, [](uint8_t B) { return B == 0; }))
        return false;
    for (size_t Offset = 0; Offset < AData.size(); Offset += kDirEntrySize)
        if (!IsPlausibleDirEntry(AData.data() + Offset))
            return false;
    return true;
}

// The clusters of a live file: the chain from AFirst as far as the size needs. False when the
// chain ends early, leaves the map or comes back to a cluster it holds (its bytes would repeat).
bool CollectChain(const TXFAT& AFat, uint32_t AFirst, int64_t ASize, std::vector<uint32_t>& AChain)
{
    AChain.clear();
    for (uint32_t Cluster = AFirst; ASize > 0; ASize -= AFat.ClusterSize()) {
        if (!AFat.IsInMap(Cluster) || AChain.size() == AFat.ClusterCount())
            return false;
        AChain.push_back(Cluster);
        const ClusterEntry& Entry = AFat.Map()[Cluster];
        Cluster = Entry.State == clNext ? Entry.Next : 0;
    }
    std::vector<uint32_t> Sorted = AChain;
    std::sort(Sorted.begin(), Sorted.end());
    return std::adjacent_find(Sorted.begin(), Sorted.end()) == Sorted.end();
}

// A chain that broke (or misled) goes on with the clusters that follow its last one in order,
// as far as ASize needs and the map reaches.
bool ContinueInOrder(const TXFAT& AFat, std::vector<uint32_t>& AChain, int64_t ASize)
{
    int64_t Covered = int64_t(AChain.size()) * AFat.ClusterSize();
    for (; Covered < ASize; Covered += AFat.ClusterSize()) {
        const uint32_t Next = AChain.back() + 1;
        if (!AFat.IsInMap(Next))
            return false;
        AChain.push_back(Next);
    }
    return true;
}

// The chain from AFirst as far as it is sound: inside the map, no cluster twice, linked on.
std::vector<uint32_t> SoundChainPrefix(const TXFAT& AFat, uint32_t AFirst, int64_t ASize)
{
    std::vector<uint32_t> Chain;
    std::vector<bool> Seen(AFat.ClusterCount());
    for (uint32_t Cluster = AFirst; ASize > 0 && AFat.IsInMap(Cluster) && !Seen[Cluster]; ASize -= AFat.ClusterSize()) {
        Seen[Cluster] = true;
        Chain.push_back(Cluster);
        const ClusterEntry& Entry = AFat.Map()[Cluster];
        Cluster = Entry.State == clNext ? Entry.Next : 0;
    }
    return Chain;
}

// A cluster past the map counts as free: the map may be shorter than the card.
bool IsFreeCluster(const TXFAT& AFat, uint32_t ACluster)
{
    return ACluster >= AFat.ClusterCount() || AFat.Map()[ACluster].State == clAvailable;
}

// The first free cluster after ACluster inside the map; 0 when there is none.
uint32_t NextFreeCluster(const TXFAT& AFat, uint32_t ACluster)
{
    for (uint32_t Cluster = ACluster + 1; Cluster < AFat.ClusterCount(); ++Cluster)
        if (AFat.Map()[Cluster].State == clAvailable)
            return Cluster;
    return 0;
}

void DescribeItem(TXDRFileItem* AItem, const TXFileSystemEntry* AEntry)
{
    AItem->SetFileType(ExtractFileExt(AEntry->Name));
    AItem->SetName(AEntry->Name);
    AItem->SetCreated(AEntry->Created);
    AItem->SetModified(AEntry->Modified);
    AItem->SetAccessed(AEntry->Accessed);
}

// The thumbnails of one stage's files: the disk's thumbnailer makes them, or one of the
// stage's own. Finish announces every file queued; leaving without it (cancelled, or
// something raised) drops those of a thumbnailer of its own.
class TStageThumbnails {
public:
    explicit TStageThumbnails(TXDRFATDisk* ADisk) : FDisk(ADisk), FSaved(ADisk->Thumbnailer())
    {
        if (FSaved == nullptr && FDisk->Thumbnails())
            FDisk->SetThumbnailer(&FOwn.emplace());
    }
    ~TStageThumbnails() { FDisk->SetThumbnailer(FSaved); }
    bool Owned() const { return FOwn.has_value(); }
    void Finish()
    {
        if (FDisk->Thumbnailer() != nullptr)
            FDisk->Thumbnailer()->FinishAll();
    }

private:
    TXDRFATDisk* FDisk;
    TXDRThumbnailer* FSaved;
    std::optional<TXDRThumbnailer> FOwn;
};

// The first bytes of a deleted file are all zero or all FF when its clusters were wiped or
// reused by something that does not start where the file did.
bool HoldsContent(TStream* AFileBytes)
{
    std::vector<uint8_t> Head(static_cast<size_t>(std::min(AFileBytes->Size(), kContentTestSize)));
    if (Head.empty() || !StreamReadAt(AFileBytes, Head.data(), static_cast<int64_t>(Head.size()), 0))
        return false;
    auto Only = [&Head](uint8_t AValue) { return std::all_of(Head.begin(), Head.end(), [AValue](uint8_t B) { return B == AValue; }); };
    return !Only(0x00) && !Only(0xFF);
}

uint32_t EntryCount(const TXDRDirClusterList* AClusters)
{
    uint32_t Count = 0;
    for (int I = 0; I < AClusters->Count(); ++I)
        Count += static_cast<uint32_t>(AClusters->Items(I)->Entries()->Count());
    return Count;
}

void AddLines(IXCodeTrek* ATrek, const TStrings& ALines)
{
    for (int I = 0; I < ALines.Count(); ++I)
        ATrek->Add(ALines[I]);
}

}  // namespace

// ---- Opening -----------------------------------------------------------------------------

bool TXDRFATDisk::Open(TXCustomDiskIO* AIO)
{
    return Open(AIO->GetStream(), AIO->DiskInfo());
}

namespace {

// The boot sector to read the volume by: sector 0; when that is no usable FAT16 or FAT32 boot
// sector, FAT32's copy of it; when neither is, sector 0 with the sectors per cluster its FAT
// agrees with. False when none of them will do.
bool ChooseBootSector(TStream* AStream, TXBootSector& ABoot)
{
    const int64_t CardSize = AStream->Size();
    TXBootSector Primary{}, Backup{};
    const bool HavePrimary = StreamReadAt(AStream, Primary.data(), kBootSectorSize, 0);
    if (HavePrimary && IsUsableFatBootSector(Primary, CardSize)) {
        ABoot = Primary;
        return true;
    }
    const int64_t BackupOffset = int64_t(FatBackupBootSector(Primary)) * kBootSectorSize;
    if (StreamReadAt(AStream, Backup.data(), kBootSectorSize, BackupOffset) && FatTypeOfBootSector(Backup) == fskFat32
        && IsUsableFatBootSector(Backup, CardSize)) {
        ABoot = Backup;
        return true;
    }
    const int32_t Type = FatTypeOfBootSector(Primary);
    if (HavePrimary && (Type == fskFat16 || Type == fskFat32))
        if (uint8_t PerCluster = FatAgreeingSectorsPerCluster(Primary, CardSize)) {
            Primary[13] = PerCluster;
            ABoot = Primary;
            return true;
        }
    return false;
}

}  // namespace

bool TXDRFATDisk::Open(TStream* AStream, const TXDiskInfoRecord& ADiskInfo)
{
    Clear();
    TXBootSector& Boot = FFAT->BootSector();
    Boot[11] = 512 & 0xFF;
    Boot[12] = 512 >> 8;
    Boot[13] = 1;
    TXDiskInfoRecord Info = ADiskInfo;
    bool Ok = false;
    if (Info.FileSystemName.empty() || Info.FileSystemName.find("FAT") != String::npos) {
        try {
            TXBootSector Read{};
            Ok = ChooseBootSector(AStream, Read);
            if (Ok) {
                Boot = Read;
                if (Info.BytesPerSector == 0)
                    Info.BytesPerSector = Boot[11] | (Boot[12] << 8);
                if (Info.ClusterSize == 0)
                    Info.ClusterSize = FatClusterSize(Boot);
                Ok = FFAT->Open(AStream, Info);
            }
        } catch (const std::exception&) {
            Ok = false;
        }
    }
    FOpened = Ok;
    FReached.assign(Ok ? FFAT->ClusterCount() : 0, false);
    TraceDump();
    return Ok;
}

void TXDRFATDisk::DoClear()
{
    inherited::DoClear();
    FFAT->Clear();
    FClusters->Clear();
    FOpened = false;
    FReached.clear();
}

// ---- Directories -------------------------------------------------------------------------

int TXDRFATDisk::ReadDirCluster(uint32_t ASectorCount, uint32_t ACluster, IXWorker* AWorker, int64_t AOffset)
{
    if (ACluster == 0 || IsCancelled(AWorker))
        return -1;
    TXDRDirClusterObject* Object = TXDRDirClusterObject::Create();
    Object->Cluster = ACluster;
    int Index = FClusters->Add(Object);
    bool Lost = FFAT->IsInMap(ACluster) && FFAT->Map()[ACluster].State == clAvailableFolder;
    ReadDirEntries(FFAT->Stream(), FFAT->FatType() == fskFat32, ASectorCount, AOffset, Object);
    if (Lost)
        Object->Flags |= kDirClusterLost;
    return Index;
}

void TXDRFATDisk::WalkDirCluster(int AIndex, std::vector<uint32_t>& APending)
{
    TXDRDirClusterObject* Object = FClusters->Items(AIndex);
    Object->Flags |= kDirClusterWalked;
    TXFileSystemEntryList* Entries = Object->Entries();
    for (int I = Entries->Count() - 1; I >= 0; --I) {
        const TXFileSystemEntry* Entry = Entries->Items(I);
        if (Entry->IsFolder() && !Entry->IsDeleted() && Entry->FirstCluster != 0)
            APending.push_back(Entry->FirstCluster);
    }
}

void TXDRFATDisk::WalkChain(uint32_t ACluster, IXWorker* AWorker, std::vector<uint32_t>& APending)
{
    const uint32_t SectorCount = FFAT->ClusterSize() / kDirSectorSize;
    for (uint32_t Cluster = ACluster; Cluster != 0 && !IsCancelled(AWorker);) {
        // A link out of the map or back into a directory already read ends the chain.
        if (!FFAT->IsInMap(Cluster) || FReached[Cluster])
            return;
        FReached[Cluster] = true;
        int Index = ReadDirCluster(SectorCount, Cluster, AWorker, FFAT->ClusterOffset(Cluster));
        if (Index < 0)
            return;
        WalkDirCluster(Index, APending);
        const ClusterEntry& Entry = FFAT->Map()[Cluster];
        Cluster = Entry.State == clNext ? Entry.Next : 0;
    }
}

// Depth first, with a list of folders still to read instead of recursion: a deep or
// self-nesting tree on a damaged card cannot exhaust the stack.
void TXDRFATDisk::WalkTree(IXWorker* AWorker)
{
    if (!FOpened)
        return;
    const TXBootSector& Boot = FFAT->BootSector();
    FClusters->Clear();
    FReached.assign(FFAT->ClusterCount(), false);
    std::vector<uint32_t> Pending;
    if (FFAT->FatType() == fskFat32)
        Pending.push_back(FatRootCluster(Boot));
    else {
        int64_t Root = FatRootDirOffset(Boot);
        uint32_t SectorCount = static_cast<uint32_t>((FatDataOffset(Boot) - Root) / kDirSectorSize);
        int Index = ReadDirCluster(SectorCount, 1, AWorker, Root);
        if (Index >= 0)
            WalkDirCluster(Index, Pending);
    }
    while (!Pending.empty() && !IsCancelled(AWorker)) {
        uint32_t Cluster = Pending.back();
        Pending.pop_back();
        WalkChain(Cluster, AWorker, Pending);
    }
    FClusters->Sort(MakeComparer<TXDRDirClusterObject*>([](TXDRDirClusterObject* A, TXDRDirClusterObject* B) {
        return A->Cluster < B->Cluster ? -1 : A->Cluster > B->Cluster ? 1 : 0;
    }));
    if (IsTraceOn())
        TraceClusters(false);
}

void TXDRFATDisk::FindLostDirClusters(IXWorker* AWorker)
{
    if (!FOpened)
        return;
    TIntf<IXProgress> Progress = AWorker->GetProgress();
    const uint32_t Count = FFAT->ClusterCount();
    std::vector<uint8_t> Data(FFAT->ClusterSize());
    std::vector<uint8_t> Head(std::min<size_t>(Data.size(), kDirSectorSize));
    for (uint32_t Cluster = 0; Cluster < Count; ++Cluster) {
        Progress->SetPercent(static_cast<uint8_t>(std::lround(Cluster * 100.0 / Count)));
        if (IsCancelled(AWorker))
            return;
        const TXClusterState State = FFAT->Map()[Cluster].State;
        const bool Free = State == clAvailable;
        // An allocated cluster the walk never reached may be a directory whose parent is lost.
        const bool Unreached = (State == clNext || State == clLast) && !FReached[Cluster];
        if (!Free && !Unreached)
            continue;
        int64_t Offset = FFAT->ClusterOffset(Cluster);
        // Past the end of the source: so are all the clusters after it. The first sector
        // rules out nearly every cluster; only the rest of one that passes is read.
        if (!StreamReadAt(FFAT->Stream(), Head.data(), static_cast<int64_t>(Head.size()), Offset))
            return;
        if (!LooksLikeDirCluster(Head)
            || !StreamReadAt(FFAT->Stream(), Data.data(), static_cast<int64_t>(Data.size()), Offset)
            || !LooksLikeDirCluster(Data))
            continue;
        if (Free)
            FFAT->Map()[Cluster].State = clAvailableFolder;
        FReached[Cluster] = true;
        int Index = ReadDirCluster(FFAT->ClusterSize() / kDirSectorSize, Cluster, AWorker, Offset);
        if (Index >= 0 && !Free)
            FClusters->Items(Index)->Flags |= kDirClusterUnreached;
    }
}

// ---- Found files -------------------------------------------------------------------------

void TXDRFATDisk::FileFromChain(TXFileSystemEntry* AEntry, TXBlocks* AUsedBlocks, IXWorker* AWorker)
{
    AEntry->MarkProcessed();
    std::vector<uint32_t> Chain;
    const bool Whole = CollectChain(*FFAT, AEntry->FirstCluster, AEntry->Size, Chain);
    if (Whole && ReportLiveFile(AEntry, Chain, false, AUsedBlocks, AWorker))
        return;
    // The FAT lost the links (or leads astray): the clusters after the last good one, as a
    // camera writes a file.
    std::vector<uint32_t> Guess = Whole ? std::vector<uint32_t>{AEntry->FirstCluster}
                                        : SoundChainPrefix(*FFAT, AEntry->FirstCluster, AEntry->Size);
    if (!Guess.empty() && ContinueInOrder(*FFAT, Guess, AEntry->Size) && Guess != Chain)
        (void)ReportLiveFile(AEntry, Guess, true, AUsedBlocks, AWorker);
}

bool TXDRFATDisk::ReportLiveFile(TXFileSystemEntry* AEntry, const std::vector<uint32_t>& AClusters, bool AGuessed,
                                 TXBlocks* AUsedBlocks, IXWorker* AWorker)
{
    TXDRFoundFileAspect* Aspect = TXDRFoundFileAspect::Create();
    TIntf<IXNotification> Notification = TXNotification<TXDRFoundFileAspect>::New(Aspect, this);
    TXDRFileItem* Item = Aspect->Item();
    const int64_t ClusterSize = FFAT->ClusterSize();
    int64_t Remaining = AEntry->Size;
    for (uint32_t Cluster : AClusters) {
        Item->Blocks()->Add(FFAT->ClusterOffset(Cluster), std::min(ClusterSize, Remaining));
        Remaining -= ClusterSize;
    }
    DescribeItem(Item, AEntry);
    TXDRScanFormatClass Class = FormatClassOfExtension(Item->FileType());
    TOwned<TXDRScanFormat> Format = Class != nullptr ? Owned(Class->Create()) : nullptr;
    // Bytes that are no file of the entry's type are junk under a real name: a wrong geometry,
    // a chain into another file's clusters.
    if (Format != nullptr ? !Format->ValidateBlocks(FFAT->Stream(), Item->Blocks())
                          : AGuessed && !HoldsContent(Owned(TXBlockStream::Create(FFAT->Stream(), Item->Blocks())).get()))
        return false;
    for (uint32_t Cluster : AClusters) {
        // The slack after the file's last byte belongs to it too: nothing else lives there.
        AUsedBlocks->Add(FFAT->ClusterOffset(Cluster), ClusterSize);
        FReached[Cluster] = true;
    }
    SetEntryState(Item->Status());
    Announce(Notification, Item, std::move(Format), AWorker);
    return true;
}

void TXDRFATDisk::FileFromFreeClusters(TXFileSystemEntry* AEntry, IXWorker* AWorker)
{
    TXDRFoundFileAspect* Aspect = TXDRFoundFileAspect::Create();
    TIntf<IXNotification> Notification = TXNotification<TXDRFoundFileAspect>::New(Aspect, this);
    AEntry->MarkProcessed();
    uint32_t Cluster = AEntry->FirstCluster;
    if (!IsFreeCluster(*FFAT, Cluster))
        return;
    TXDRFileItem* Item = Aspect->Item();
    const int64_t ClusterSize = FFAT->ClusterSize();
    for (int64_t Remaining = AEntry->Size;;) {
        Item->Blocks()->Add(FFAT->ClusterOffset(Cluster), std::min(ClusterSize, Remaining));
        Remaining -= ClusterSize;
        if (Remaining <= 0)
            break;
        Cluster = NextFreeCluster(*FFAT, Cluster);
        if (Cluster == 0)
            return;
    }
    TOwned<TXBlockStream> Bytes = Owned(TXBlockStream::Create(FFAT->Stream(), Item->Blocks()));
    if (!HoldsContent(Bytes.get()))
        return;
    SetDeletedEntryState(Item->Status());
    DescribeItem(Item, AEntry);
    if (TXDRScanFormatClass Class = FormatClassOfExtension(Item->FileType())) {
        TOwned<TXSearch> Search = Owned(TXSearch::Create(static_cast<TComponent*>(nullptr)));
        Search->SetStream(Bytes.get());
        Search->SetTerminated(TXTerminatedTest::Bind<&IXWorker::IsTerminated>(AWorker));
        TXDRSearchSource Source(Search.get());
        TOwned<TXDRScanFormat> Format = Owned(Class->Create());
        if (!Format->Validate(Source, 0))
            return;
        Announce(Notification, Item, std::move(Format), AWorker);
        return;
    }
    AWorker->Notify(Notification);
}

void TXDRFATDisk::Announce(const TIntf<IXNotification>& ANotification, TXDRFileItem* AItem,
                           TOwned<TXDRScanFormat> AFormat, IXWorker* AWorker)
{
    const TXDRDimensions Dimensions = AFormat != nullptr ? AFormat->Dimensions() : TXDRDimensions();
    auto Describe = [AItem, Dimensions](TXDRDimensions APictureSize) {
        const TXDRDimensions Size = Dimensions == TXDRDimensions() ? APictureSize : Dimensions;
        AItem->SetImageSize(TXSize::Create(Size.Width, Size.Height));
    };
    if (AFormat == nullptr || !FThumbnails) {
        if (AFormat != nullptr)
            Describe({});
        AWorker->Notify(ANotification);
        return;
    }
    auto Finish = [ANotification, AItem, AWorker, Describe](TXDRThumbnailJob& AJob) {
        SetThumbnailState(AItem->Status(), AJob.Made);
        Describe(AJob.PictureSize);
        AWorker->Notify(ANotification);
    };
    if (FDeferred != nullptr) {
        const int64_t Start = AItem->Blocks()->Count() > 0 ? AItem->Blocks()->Items(0).Start : 0;
        FDeferred->push_back({Start, AItem, std::move(AFormat), std::move(Finish)});
        return;
    }
    // Outside a stage: a thumbnailer for this file alone.
    TStageThumbnails Thumbnails(this);
    FThumbnailer->Add(std::move(AFormat), AItem->Blocks(), FFAT->Stream(), AItem->Thumbnail(), std::move(Finish));
    if (Thumbnails.Owned())
        Thumbnails.Finish();
}

// ---- Stages ------------------------------------------------------------------------------

void TXDRFATDisk::RecoverEntries(TXBlocks* AUsedBlocks, IXWorker* AWorker)
{
    TStageThumbnails Thumbnails(this);
    TIntf<IXProgress> Progress = AWorker->GetProgress();
    Progress->BeginSubRange(10);
    WalkTree(AWorker);
    ChooseFatCopy(AWorker);
    // The boot sector, the FATs and FAT16's root hold no file's bytes.
    AUsedBlocks->Add(0, FatDataOffset(FFAT->BootSector()));
    AddDirectoriesToUsed(AUsedBlocks, kDirClusterWalked);
    Progress->Finish();
    if (IsCancelled(AWorker))
        return;
    Progress->BeginSubRange(90);
    Progress->SetStepCount(2 * EntryCount(FClusters.get()) + 1);
    // Two passes over the entries: the live files, then the deleted ones.
    for (bool Deleted : {false, true})
        for (int I = 0; I < FClusters->Count(); ++I) {
            TXDRDirClusterObject* Object = FClusters->Items(I);
            Object->Processed = true;
            TXFileSystemEntryList* Entries = Object->Entries();
            for (int E = 0; E < Entries->Count(); ++E) {
                if (IsCancelled(AWorker))
                    return;
                TXFileSystemEntry* Entry = Entries->Items(E);
                if (!Entry->IsFolder() && Entry->IsDeleted() == Deleted) {
                    if (Deleted)
                        FileFromFreeClusters(Entry, AWorker);
                    else
                        FileFromChain(Entry, AUsedBlocks, AWorker);
                }
                Progress->StepIt();
            }
        }
    Thumbnails.Finish();
    Progress->Finish();
}

void TXDRFATDisk::RecoverLostEntries(TXBlocks* AUsedBlocks, IXWorker* AWorker)
{
    TStageThumbnails Thumbnails(this);
    TIntf<IXProgress> Progress = AWorker->GetProgress();
    Progress->BeginSubRange(50);
    FindLostDirClusters(AWorker);
    AddDirectoriesToUsed(AUsedBlocks, kDirClusterLost | kDirClusterUnreached);
    if (IsTraceOn()) {
        CodeTrek()->Add("Lost Marked");
        TraceClusters(true);
    }
    if (IsCancelled(AWorker))
        return;
    Progress->Finish();
    Progress->BeginSubRange(50);
    Progress->SetStepCount(EntryCount(FClusters.get()) + 1);
    for (int I = 0; I < FClusters->Count(); ++I) {
        // The live files of a directory nobody reached still own their chains.
        const bool Allocated = (FClusters->Items(I)->Flags & kDirClusterUnreached) != 0;
        TXFileSystemEntryList* Entries = FClusters->Items(I)->Entries();
        for (int E = 0; E < Entries->Count(); ++E) {
            if (IsCancelled(AWorker))
                return;
            TXFileSystemEntry* Entry = Entries->Items(E);
            if (!Entry->IsProcessed() && !Entry->IsFolder()) {
                if (Allocated && !Entry->IsDeleted())
                    FileFromChain(Entry, AUsedBlocks, AWorker);
                else
                    FileFromFreeClusters(Entry, AWorker);
            }
            Progress->StepIt();
        }
    }
    Thumbnails.Finish();
    Progress->Finish();
}

void TXDRFATDisk::ChooseFatCopy(IXWorker* AWorker)
{
    if (!FFAT->HasOtherCopy() || IsCancelled(AWorker))
        return;
    const int InUse = ExactChainCount();
    FFAT->UseOtherCopy();
    if (ExactChainCount() > InUse)
        WalkTree(AWorker);   // directories longer than a cluster follow the copy too
    else
        FFAT->UseOtherCopy();
}

int TXDRFATDisk::ExactChainCount() const
{
    int Count = 0;
    std::vector<uint32_t> Chain;
    for (int I = 0; I < FClusters->Count(); ++I) {
        TXFileSystemEntryList* Entries = FClusters->Items(I)->Entries();
        for (int E = 0; E < Entries->Count(); ++E) {
            const TXFileSystemEntry* Entry = Entries->Items(E);
            if (Entry->IsFolder() || Entry->IsDeleted() || !CollectChain(*FFAT, Entry->FirstCluster, Entry->Size, Chain))
                continue;
            Count += FFAT->Map()[Chain.back()].State == clLast;
        }
    }
    return Count;
}

void TXDRFATDisk::AddDirectoriesToUsed(TXBlocks* AUsedBlocks, uint8_t AFlags) const
{
    for (int I = 0; I < FClusters->Count(); ++I) {
        const TXDRDirClusterObject* Object = FClusters->Items(I);
        if ((Object->Flags & AFlags) != 0 && FFAT->IsInMap(Object->Cluster) && HoldsEntries(Object))
            AUsedBlocks->Add(FFAT->ClusterOffset(Object->Cluster), FFAT->ClusterSize());
    }
}

// ---- Trace -------------------------------------------------------------------------------

void TXDRFATDisk::TraceDump() const
{
    if (!IsTraceOn())
        return;
    IXCodeTrek* Trek = CodeTrek();
    Trek->Add(String("FileSystem Valid: ") + (FOpened ? "True" : "False"));
    TOwned<TStringList> Lines = Owned(TStringList::Create());
    DiskInfoToStrings(FFAT->DiskInfo(), Lines.get());
    Trek->Add("Disk Info:");
    AddLines(Trek, *Lines);
    Lines->Clear();
    BootSectorToStrings(FFAT->BootSector(), Lines.get());
    Trek->Add("Boot Info:");
    AddLines(Trek, *Lines);
    Trek->Add("Cluster State: 0 = Available, 1 = Start, 2 = Bad, 3 = Next, 4 = Last, 5 = AvailableFolder");
    Trek->Add("<FAT>");
    const std::vector<ClusterEntry>& Map = FFAT->Map();
    for (size_t First = 0; First < Map.size(); First += 16) {
        String Line;
        for (size_t I = First; I < std::min(First + 16, Map.size()); ++I)
            Line += (I > First ? " " : "") + UIntToStr(Map[I].Next) + ":" + IntToStr(Map[I].State);
        Trek->Add(Line);
    }
    Trek->Add("</FAT>");
}

void TXDRFATDisk::TraceClusters(bool AOnlyUnprocessed) const
{
    IXCodeTrek* Trek = CodeTrek();
    for (int I = 0; I < FClusters->Count(); ++I) {
        const TXDRDirClusterObject* Object = FClusters->Items(I);
        if (AOnlyUnprocessed && Object->Processed)
            continue;
        Trek->Add("Cluster: " + UIntToStr(Object->Cluster));
        for (int E = 0; E < Object->Entries()->Count(); ++E)
            Object->Entries()->Items(E)->Dump(Trek);
        Trek->Add("");
    }
}

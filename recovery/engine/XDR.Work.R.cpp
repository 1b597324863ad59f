// XDR.Work.R.cpp: restore.
#include "XDR.Work.R.h"

#include <cmath>

#include "Rtl.Files.h"
#include "Rtl.SafeFiles.h"
#include "Win.Volumes.h"
#include "XCore.App.Helpers.h"
#include "XCore.Engine.Actions.h"
#include "XCore.Engine.Notifications.h"
#include "XCore.Errors.h"
#include "XCore.IO.h"
#include "XCore.Streams.Buffered.h"

namespace {

constexpr int64_t kCopyChunk = 1 << 20;

void PostLog(IXWorker* AWorker, const String& AText)
{
    AWorker->PostNotification(TXNotification<TXLogStringAspect>::New(TXLogStringAspect::Create(AText)));
}

// Copies the bytes of ABlocks from ASource into ATarget; answers how many could not be read
// (written as zeros), bytes past the source's end among them.
int64_t CopyBlocks(const TXBlocks* ABlocks, TStream* ASource, TStream* ATarget)
{
    std::vector<uint8_t> Buffer;
    const int64_t SourceSize = ASource->Size();
    int64_t Lost = 0;
    for (int B = 0; B < ABlocks->Count(); ++B) {
        const TXBlock& Block = ABlocks->Items(B);
        for (int64_t Done = 0; Done < Block.Size;) {
            const int64_t Count = std::min(kCopyChunk, Block.Size - Done), At = Block.Start + Done;
            Buffer.resize(static_cast<size_t>(Count));
            Lost += StreamReadSectors(ASource, Buffer.data(), Count, At);
            Lost += std::clamp<int64_t>(At + Count - std::max(SourceSize, At), 0, Count);
            ATarget->WriteBuffer(Buffer.data(), Count);
            Done += Count;
        }
    }
    return Lost;
}

void RestoreItem(const String& AFolder, TXDRFileItem* AItem, TStream* AStream, IXWorker* AWorker,
                 TXDRRestoreReport& AReport)
{
    // A name from the card: one plain name, cut to what a file system takes, kept inside the
    // folder; a link planted under it is passed by for the next free name.
    const String Name = MakePlainFileName(AItem->Name());
    String Target = JoinUntrustedName(AFolder, Name);
    if (Target.empty())
        Target = AFolder + Name;
    try {
        TOwned<TSafeFileStream> File = Owned(TSafeFileStream::Create(Target, ssNewFile));
        const int64_t Lost = CopyBlocks(AItem->Blocks(), AStream, File.get());
        File->Commit();
        ++AReport.Written;
        if (Lost > 0) {
            AReport.Damaged.push_back(File->TargetName());
            PostLog(AWorker, ExtractFileName(File->TargetName()) + ": " + IntToStr(Lost)
                                 + " bytes could not be read and were written as zeros");
        }
    } catch (const std::exception& E) {
        if (GetErrorCode() == kVolumeMissing)
            throw;   // the card is gone: nothing after this can be read either
        AReport.Failed.push_back(Name);
        if (AReport.Failed.size() == 1)
            AReport.FirstFailure = TXErrorData::Create(kErrLocalWriteFailed, 0, E.what());
        PostLog(AWorker, Name + ": " + E.what());
    }
}

}  // namespace

TXDRRestoreReport RestoreFiles(const String& AFolder, TXDRFileCollection* AFiles, TStream* AStream, IXWorker* AWorker)
{
    TXDRRestoreReport Report;
    const String Folder = IncludeTrailingPathDelimiter(AFolder);
    (void)ForceDirectories(Folder);   // a folder that cannot be made fails each file instead
    const int Count = AFiles->Count();
    for (int I = 0; I < Count; ++I) {
        if (IsApplicationTerminating() || AWorker->IsTerminated())
            break;
        if (AFiles->Items(I)->Selected())
            RestoreItem(Folder, AFiles->Items(I), AStream, AWorker, Report);
        AWorker->GetProgress()->SetPerMille(static_cast<uint16_t>(std::lround((I + 1) * 1000.0 / Count)));
    }
    return Report;
}

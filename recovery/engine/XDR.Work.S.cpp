// XDR.Work.S.cpp: the carving loop.
#include "XDR.Work.S.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "Rtl.SysUtils.h"
#include "XCore.App.Helpers.h"
#include "XCore.Engine.Notifications.h"
#include "XCore.Streams.Buffered.h"
#include "XDR.Work.P.h"
#include "XDR.Work.T.h"

namespace {

constexpr int64_t kSectorSize = 512;
constexpr int kJpegSignature = 0;

// The signatures of every format, with the map from pattern index back to signature.
struct TXSignaturePatterns {
    TXByteArrays Patterns;
    TXByteArrays Masks;
    std::array<int, kSignatureCount> PatternIndexOfSignature{};
    TXSignaturePatterns() { BuildSignatureSet(Patterns, Masks, PatternIndexOfSignature, AllFormatsMask()); }
};

const TXSignaturePatterns& SignaturePatterns()
{
    static const TXSignaturePatterns Patterns;
    return Patterns;
}

// The search reads the block stream while the loop runs, and the source again after it.
struct TXSearchStreamScope {
    TXSearchStreamScope(TXSearch* ASearch, TStream* AInside, TStream* AAfter) : Search(ASearch), After(AAfter)
    {
        Search->SetStream(AInside);
    }
    ~TXSearchStreamScope() { Search->SetStream(After); }
    TXSearch* Search;
    TStream* After;
};

bool Stopped(IXWorker* AWorker)
{
    return IsApplicationTerminating() || AWorker->IsTerminated();
}

// How far one step of a pass searches before the other pass may take its turn.
constexpr int64_t kStepSize = 1 << 20;

// The found files of the passes of one carve whose thumbnails are still being made.
using TXPendingFiles = std::vector<TXDRFileItem*>;

bool SameFile(const TXDRFileItem* ALeft, const TXDRFileItem* ARight)
{
    return BlocksComparer()->Compare(ALeft->Blocks(), ARight->Blocks()) == 0
           && SameText(ALeft->FileType(), ARight->FileType());
}

bool IsDuplicate(TXDRFileCollection* AFiles, const TXPendingFiles& APending, TXDRFileItem* AItem)
{
    int Index = AFiles->IndexOfBlocks(AItem->Blocks());
    if (Index >= 0 && SameText(AFiles->Items(Index)->FileType(), AItem->FileType()))
        return true;
    return std::any_of(APending.begin(), APending.end(), [AItem](const TXDRFileItem* P) { return SameFile(P, AItem); });
}

// One pass of the carving loop over the bytes of a block list, taken in steps: its hits, their
// files and the stretches to search again.
class TXCarve {
public:
    TXCarve(TXSearch* ASearch, TStream* AStream, const TXBlocks* ABlocks, TXDRFileCollection* AFiles,
            IXWorker* AWorker, TXDRThumbnailer* AThumbnailer, TXPendingFiles& APending)
        : FSearch(ASearch), FStream(AStream), FBlocks(ABlocks), FFiles(AFiles), FWorker(AWorker),
          FThumbnailer(AThumbnailer), FPending(APending), FBlockStream(Owned(TXBlockStream::Create(AStream, ABlocks))),
          FScope(ASearch, FBlockStream.get(), AStream), FTo(ABlocks->TotalSize() - 1)
    {
    }

    bool Done() const { return FPosition > FTo || Stopped(FWorker); }
    // Where on the card the pass has come to.
    int64_t PhysicalPosition() const { return FBlocks->GetPhysicalOffset(FPosition); }
    // Searches on from where the pass is, for a step at most, and carves the hit it meets.
    void Step();

private:
    // One carving step at AHit of signature ASignature; answers where the search goes on.
    // AInline: the thumbnail is made here and now, and the file announced before the return.
    int64_t CarveAt(int ASignature, int64_t AHit, bool AInline);
    // Carves [AFrom, ATo] of the block stream at once, thumbnails inline: the bytes of a JPEG
    // that did not decode, whose files take its place in the order of the found files.
    void CarveInline(int64_t AFrom, int64_t ATo);

    TXSearch* FSearch;
    TStream* FStream;
    const TXBlocks* FBlocks;
    TXDRFileCollection* FFiles;
    IXWorker* FWorker;
    TXDRThumbnailer* FThumbnailer;
    TXPendingFiles& FPending;
    TOwned<TXBlockStream> FBlockStream;
    TXSearchStreamScope FScope;
    int64_t FPosition = 0;
    int64_t FTo;
};

void TXCarve::Step()
{
    FThumbnailer->FinishReady();
    const TXSignaturePatterns& Signatures = SignaturePatterns();
    // Every candidate before StepEnd is decided here, its pattern read whole.
    const int64_t StepEnd = FPosition + kStepSize;
    const int64_t To = FTo - StepEnd > kSectorSize ? StepEnd + kSectorSize : FTo;
    int Index = -1;
    const int64_t Hit = FSearch->FindAny(Signatures.Patterns, Signatures.Masks, Index, FPosition, To, 0, kSectorSize);
    if (Stopped(FWorker))
        return;
    if (Hit < 0)
        FPosition = To == FTo ? FTo + 1 : StepEnd;
    else
        FPosition = CarveAt(SignatureOfPattern(Signatures.PatternIndexOfSignature, Index), Hit, false);
}

void TXCarve::CarveInline(int64_t AFrom, int64_t ATo)
{
    const TXSignaturePatterns& Signatures = SignaturePatterns();
    for (int64_t Position = AFrom; Position <= ATo && !Stopped(FWorker);) {
        int Index = -1;
        const int64_t Hit = FSearch->FindAny(Signatures.Patterns, Signatures.Masks, Index, Position, ATo, 0, kSectorSize);
        if (Hit < 0 || Stopped(FWorker))
            return;
        Position = CarveAt(SignatureOfPattern(Signatures.PatternIndexOfSignature, Index), Hit, true);
    }
}

int64_t TXCarve::CarveAt(int ASignature, int64_t AHit, bool AInline)
{
    const int64_t Next = AHit + kSectorSize;
    TOwned<TXDRScanFormat> Format = Owned(FormatClassOfKind(FormatKindOfSignature(ASignature))->Create());
    TXDRSearchSource Source(FSearch);
    const int64_t End = Format->FindEnd(Source, AHit);
    if (End <= AHit || FWorker->IsTerminated())
        return Next;

    TXDRFoundFileAspect* Found = TXDRFoundFileAspect::Create();
    TIntf<IXNotification> Notification = TXNotification<TXDRFoundFileAspect>::New(Found);
    TXDRFileItem* Item = Found->Item();
    Item->SetImageSize(TXSize::Create(Format->Dimensions().Width, Format->Dimensions().Height));
    SetScanValidState(Item->Status());
    Item->SetFileType(Format->GetExtension());
    Item->Blocks()->AssignClipped(FBlocks, FBlocks->GetPhysicalOffset(AHit), FBlocks->GetPhysicalOffset(End));
    const bool IsJpeg = ASignature == kJpegSignature;
    // A JPEG's bytes hold no other file: the search goes on after it (and comes back to them
    // when it does not decode).
    const int64_t Resume = IsJpeg ? End + 1 : Next;
    if (IsDuplicate(FFiles, FPending, Item))
        return Resume;
    // False for a JPEG that does not decode: no photo.
    auto Announce = [this, Notification, Item, IsJpeg](bool AMade, TXDRDimensions APictureSize) {
        if (IsJpeg && !AMade)
            return false;
        if (Item->ImageSize().IsEmpty())
            Item->SetImageSize(TXSize::Create(APictureSize.Width, APictureSize.Height));
        SetThumbnailState(Item->Status(), AMade);
        FWorker->Notify(Notification);
        return true;
    };
    if (AInline) {
        TXDRDimensions PictureSize;
        const bool Made = Format->MakeThumbnail(PictureSize, Item->Thumbnail(), Item->Blocks(), FStream);
        return Announce(Made, PictureSize) ? Resume : Next;
    }
    FPending.push_back(Item);
    FThumbnailer->Add(std::move(Format), Item->Blocks(), FStream, Item->Thumbnail(),
                      [this, Item, Announce, Next, End](TXDRThumbnailJob& AJob) {
                          std::erase(FPending, Item);
                          if (!Announce(AJob.Made, AJob.PictureSize))
                              CarveInline(Next, End);
                      });
    return Resume;
}

// The thumbnailer of a carve: the caller's, or one of its own. Jobs still queued when the carve
// ends (cancelled, or something raised) refer to its passes: they go with them.
class TXCarveThumbnails {
public:
    explicit TXCarveThumbnails(TXDRThumbnailer* AThumbnailer)
        : FThumbnailer(AThumbnailer != nullptr ? AThumbnailer : &FOwn.emplace())
    {
    }
    ~TXCarveThumbnails() { FThumbnailer->Cancel(); }
    TXDRThumbnailer* Get() const { return FThumbnailer; }

private:
    std::optional<TXDRThumbnailer> FOwn;
    TXDRThumbnailer* FThumbnailer;
};

}  // namespace

void CarveBlocks(TXSearch* ASearch, TStream* AStream, const TXBlocks* ABlocks, TXDRFileCollection* AFiles,
                 IXWorker* AWorker, TXDRThumbnailer* AThumbnailer)
{
    if (ABlocks->Count() == 0)
        return;
    TXCarveThumbnails Thumbnails(AThumbnailer);
    TXPendingFiles Pending;
    TXCarve Carve(ASearch, AStream, ABlocks, AFiles, AWorker, Thumbnails.Get(), Pending);
    while (!Carve.Done())
        Carve.Step();
    if (!Stopped(AWorker))
        Thumbnails.Get()->FinishAll();
}

void CarveSideBySide(TXSearch* ASearch, TStream* AStream, const TXBlocks* AFirst, const TXBlocks* ASecond,
                     TXDRFileCollection* AFiles, IXWorker* AWorker, TXDRThumbnailer* AThumbnailer,
                     TXDRDeferredThumbnails* ADeferred)
{
    TXCarveThumbnails Thumbnails(AThumbnailer);
    TXPendingFiles Pending;
    TXDRDeferredThumbnails Deferred;
    if (ADeferred != nullptr)
        Deferred.swap(*ADeferred);
    std::stable_sort(Deferred.begin(), Deferred.end(),
                     [](const TXDRDeferredThumbnail& A, const TXDRDeferredThumbnail& B) { return A.Start < B.Start; });
    // Files waiting for their thumbnails are found again by the passes: they are no new files.
    for (const TXDRDeferredThumbnail& File : Deferred)
        Pending.push_back(File.Item);
    TOwned<TXSearch> SecondSearch = Owned(TXSearch::Create(static_cast<TComponent*>(nullptr)));
    SecondSearch->SetTerminated(ASearch->Terminated());
    std::optional<TXCarve> First, Second;
    if (AFirst->Count() > 0)
        First.emplace(ASearch, AStream, AFirst, AFiles, AWorker, Thumbnails.Get(), Pending);
    if (ASecond->Count() > 0)
        Second.emplace(SecondSearch.get(), AStream, ASecond, AFiles, AWorker, Thumbnails.Get(), Pending);
    size_t NextDeferred = 0;
    // Whoever is furthest behind on the card goes next: the second pass keeps behind the
    // first (a file both find, the first finds first), and a waiting file's thumbnail is made
    // once the passes come to its bytes.
    while (!Stopped(AWorker)) {
        const int64_t FirstAt = First && !First->Done() ? First->PhysicalPosition() : INT64_MAX;
        const int64_t SecondAt = Second && !Second->Done() ? Second->PhysicalPosition() : INT64_MAX;
        const int64_t DeferredAt = NextDeferred < Deferred.size() ? Deferred[NextDeferred].Start : INT64_MAX;
        if (FirstAt == INT64_MAX && SecondAt == INT64_MAX && DeferredAt == INT64_MAX)
            break;
        if (DeferredAt <= std::min(FirstAt, SecondAt)) {
            TXDRDeferredThumbnail& File = Deferred[NextDeferred++];
            TXDRFileItem* Item = File.Item;
            Thumbnails.Get()->Add(std::move(File.Format), Item->Blocks(), AStream, Item->Thumbnail(),
                                  [&Pending, Item, OnDone = std::move(File.OnDone)](TXDRThumbnailJob& AJob) {
                                      std::erase(Pending, Item);
                                      OnDone(AJob);
                                  });
        } else if (FirstAt <= SecondAt)
            First->Step();
        else
            Second->Step();
    }
    if (!Stopped(AWorker))
        Thumbnails.Get()->FinishAll();
}

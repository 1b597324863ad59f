// XDR.Work.S.cpp: the carving loop.
#include "XDR.Work.S.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <tuple>
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
    // Carves again the stretches left by JPEGs that did not decode, once all thumbnails are in.
    void Revisit();

private:
    // One carving step at AHit of signature ASignature; answers where the search goes on.
    int64_t CarveAt(int ASignature, int64_t AHit);

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
    // The bytes after the start of a JPEG that did not decode: they may hold other files.
    std::deque<std::pair<int64_t, int64_t>> FRevisits;
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
        FPosition = CarveAt(SignatureOfPattern(Signatures.PatternIndexOfSignature, Index), Hit);
}

void TXCarve::Revisit()
{
    for (;;) {
        FThumbnailer->FinishAll();
        if (FRevisits.empty() || Stopped(FWorker))
            return;
        std::tie(FPosition, FTo) = FRevisits.front();
        FRevisits.pop_front();
        while (!Done())
            Step();
    }
}

int64_t TXCarve::CarveAt(int ASignature, int64_t AHit)
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
    // A JPEG's bytes hold no other file: the search goes on after it, and comes back when it
    // does not decode.
    const int64_t Resume = IsJpeg ? End + 1 : Next;
    if (IsDuplicate(FFiles, FPending, Item))
        return Resume;
    FPending.push_back(Item);
    FThumbnailer->Add(std::move(Format), Item->Blocks(), FStream, Item->Thumbnail(),
                      [this, Notification, Item, IsJpeg, Next, End](TXDRThumbnailJob& AJob) {
                          std::erase(FPending, Item);
                          if (IsJpeg && !AJob.Made) {
                              FRevisits.emplace_back(Next, End);   // a JPEG that does not decode is no photo
                              return;
                          }
                          if (Item->ImageSize().IsEmpty())
                              Item->SetImageSize(TXSize::Create(AJob.PictureSize.Width, AJob.PictureSize.Height));
                          SetThumbnailState(Item->Status(), AJob.Made);
                          FWorker->Notify(Notification);
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
    Carve.Revisit();
}

void CarveSideBySide(TXSearch* ASearch, TStream* AStream, const TXBlocks* AFirst, const TXBlocks* ASecond,
                     TXDRFileCollection* AFiles, IXWorker* AWorker, TXDRThumbnailer* AThumbnailer)
{
    TXCarveThumbnails Thumbnails(AThumbnailer);
    TXPendingFiles Pending;
    TOwned<TXSearch> SecondSearch = Owned(TXSearch::Create(static_cast<TComponent*>(nullptr)));
    SecondSearch->SetTerminated(ASearch->Terminated());
    std::optional<TXCarve> First, Second;
    if (AFirst->Count() > 0)
        First.emplace(ASearch, AStream, AFirst, AFiles, AWorker, Thumbnails.Get(), Pending);
    if (ASecond->Count() > 0)
        Second.emplace(SecondSearch.get(), AStream, ASecond, AFiles, AWorker, Thumbnails.Get(), Pending);
    for (;;) {
        const bool FirstLeft = First && !First->Done(), SecondLeft = Second && !Second->Done();
        if (!FirstLeft && !SecondLeft)
            break;
        // The second pass keeps behind the first: a file both find, the first finds first.
        if (FirstLeft && (!SecondLeft || First->PhysicalPosition() <= Second->PhysicalPosition()))
            First->Step();
        else
            Second->Step();
    }
    for (std::optional<TXCarve>* Pass : {&First, &Second})
        if (*Pass)
            (*Pass)->Revisit();
}

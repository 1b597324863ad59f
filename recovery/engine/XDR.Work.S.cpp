// XDR.Work.S.cpp: the carving loop.
#include "XDR.Work.S.h"

#include <array>
#include <deque>
#include <optional>
#include <cstdint>

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

bool IsDuplicate(TXDRFileCollection* AFiles, TXDRFileItem* AItem)
{
    int Index = AFiles->IndexOfBlocks(AItem->Blocks());
    return Index >= 0 && SameText(AFiles->Items(Index)->FileType(), AItem->FileType());
}

// One pass of the carving loop over a block stream: its hits, their files and the stretches
// to search again.
struct TXCarve {
    TXSearch* Search;
    TStream* Stream;
    const TXBlocks* Blocks;
    TXDRFileCollection* Files;
    IXWorker* Worker;
    TXDRThumbnailer* Thumbnailer;
    // The bytes after the start of a JPEG that did not decode: they may hold other files.
    std::deque<std::pair<int64_t, int64_t>> Revisits;

    // One carving step at AHit of signature ASignature; answers where the search goes on.
    int64_t CarveAt(int ASignature, int64_t AHit);
    // Carves the hits in [AFrom, ATo] of the block stream.
    void CarveRange(int64_t AFrom, int64_t ATo);
};

int64_t TXCarve::CarveAt(int ASignature, int64_t AHit)
{
    const int64_t Next = AHit + kSectorSize;
    TOwned<TXDRScanFormat> Format = Owned(FormatClassOfKind(FormatKindOfSignature(ASignature))->Create());
    TXDRSearchSource Source(Search);
    const int64_t End = Format->FindEnd(Source, AHit);
    if (End <= AHit || Worker->IsTerminated())
        return Next;

    TXDRFoundFileAspect* Found = TXDRFoundFileAspect::Create();
    TIntf<IXNotification> Notification = TXNotification<TXDRFoundFileAspect>::New(Found);
    TXDRFileItem* Item = Found->Item();
    Item->SetImageSize(TXSize::Create(Format->Dimensions().Width, Format->Dimensions().Height));
    SetScanValidState(Item->Status());
    Item->SetFileType(Format->GetExtension());
    Item->Blocks()->AssignClipped(Blocks, Blocks->GetPhysicalOffset(AHit), Blocks->GetPhysicalOffset(End));
    const bool IsJpeg = ASignature == kJpegSignature;
    // A JPEG's bytes hold no other file: the search goes on after it, and comes back when it
    // does not decode.
    const int64_t Resume = IsJpeg ? End + 1 : Next;
    if (IsDuplicate(Files, Item))
        return Resume;
    Thumbnailer->Add(std::move(Format), Item->Blocks(), Stream, Item->Thumbnail(),
                     [this, Notification, Item, IsJpeg, Next, End](TXDRThumbnailJob& AJob) {
                         if (IsJpeg && !AJob.Made) {
                             Revisits.emplace_back(Next, End);   // a JPEG that does not decode is no photo
                             return;
                         }
                         if (Item->ImageSize().IsEmpty())
                             Item->SetImageSize(TXSize::Create(AJob.PictureSize.Width, AJob.PictureSize.Height));
                         SetThumbnailState(Item->Status(), AJob.Made);
                         Worker->Notify(Notification);
                     });
    return Resume;
}

void TXCarve::CarveRange(int64_t AFrom, int64_t ATo)
{
    const TXSignaturePatterns& Signatures = SignaturePatterns();
    for (int64_t Position = AFrom; Position <= ATo && !Stopped(Worker);) {
        Thumbnailer->FinishReady();
        int Index = -1;
        const int64_t Hit = Search->FindAny(Signatures.Patterns, Signatures.Masks, Index, Position, ATo, 0, kSectorSize);
        if (Hit < 0 || Stopped(Worker))
            break;
        Position = CarveAt(SignatureOfPattern(Signatures.PatternIndexOfSignature, Index), Hit);
    }
}

}  // namespace

void CarveBlocks(TXSearch* ASearch, TStream* AStream, const TXBlocks* ABlocks, TXDRFileCollection* AFiles,
                 IXWorker* AWorker, TXDRThumbnailer* AThumbnailer)
{
    if (ABlocks->Count() == 0)
        return;
    std::optional<TXDRThumbnailer> Own;
    TXDRThumbnailer* Thumbnailer = AThumbnailer != nullptr ? AThumbnailer : &Own.emplace();
    TOwned<TXBlockStream> Blocks = Owned(TXBlockStream::Create(AStream, ABlocks));
    TXSearchStreamScope Scope(ASearch, Blocks.get(), AStream);
    // Jobs left queued (cancelled, or something raised) refer to this pass: they go with it.
    struct TDropLeft {
        TXDRThumbnailer* Thumbnailer;
        ~TDropLeft() { Thumbnailer->Cancel(); }
    } DropLeft{Thumbnailer};
    TXCarve Carve{ASearch, AStream, ABlocks, AFiles, AWorker, Thumbnailer, {}};
    Carve.CarveRange(0, INT64_MAX);
    while (!Stopped(AWorker)) {
        Thumbnailer->FinishAll();
        if (Carve.Revisits.empty())
            return;
        const auto [From, To] = Carve.Revisits.front();
        Carve.Revisits.pop_front();
        Carve.CarveRange(From, To);
    }
}

// XDR.Work.S.cpp: the carving loop.
#include "XDR.Work.S.h"

#include <array>
#include <cstdint>

#include "Rtl.SysUtils.h"
#include "XCore.App.Helpers.h"
#include "XCore.Engine.Notifications.h"
#include "XCore.Streams.Buffered.h"
#include "XDR.Work.P.h"

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

// One carving step at AHit of signature ASignature; answers where the search goes on.
int64_t CarveAt(TXSearch* ASearch, TStream* AStream, const TXBlocks* ABlocks, TXDRFileCollection* AFiles,
                IXWorker* AWorker, int ASignature, int64_t AHit)
{
    const int64_t Next = AHit + kSectorSize;
    TOwned<TXDRScanFormat> Format = Owned(FormatClassOfKind(FormatKindOfSignature(ASignature))->Create());
    TXDRSearchSource Source(ASearch);
    const int64_t End = Format->FindEnd(Source, AHit);
    if (End <= AHit || AWorker->IsTerminated())
        return Next;

    TXDRFoundFileAspect* Found = TXDRFoundFileAspect::Create();
    TIntf<IXNotification> Notification = TXNotification<TXDRFoundFileAspect>::New(Found);
    TXDRFileItem* Item = Found->Item();
    Item->SetImageSize(TXSize::Create(Format->Dimensions().Width, Format->Dimensions().Height));
    SetScanValidState(Item->Status());
    Item->SetFileType(Format->GetExtension());
    Item->Blocks()->AssignClipped(ABlocks, ABlocks->GetPhysicalOffset(AHit), ABlocks->GetPhysicalOffset(End));
    const bool IsJpeg = ASignature == kJpegSignature;
    if (IsDuplicate(AFiles, Item))
        return IsJpeg ? End + 1 : Next;

    TXDRDimensions PictureSize;
    const bool HasThumbnail = Format->MakeThumbnail(PictureSize, Item->Thumbnail(), Item->Blocks(), AStream);
    if (IsJpeg && !HasThumbnail)
        return Next;   // a JPEG that does not decode is no photo
    if (Item->ImageSize().IsEmpty())
        Item->SetImageSize(TXSize::Create(PictureSize.Width, PictureSize.Height));
    SetThumbnailState(Item->Status(), HasThumbnail);
    AWorker->Notify(Notification);
    return IsJpeg ? End + 1 : Next;
}

}  // namespace

void CarveBlocks(TXSearch* ASearch, TStream* AStream, const TXBlocks* ABlocks, TXDRFileCollection* AFiles,
                 IXWorker* AWorker)
{
    if (ABlocks->Count() == 0)
        return;
    const TXSignaturePatterns& Signatures = SignaturePatterns();
    TOwned<TXBlockStream> Blocks = Owned(TXBlockStream::Create(AStream, ABlocks));
    TXSearchStreamScope Scope(ASearch, Blocks.get(), AStream);
    for (int64_t Position = 0; !Stopped(AWorker);) {
        int Index = -1;
        const int64_t Hit =
            ASearch->FindAny(Signatures.Patterns, Signatures.Masks, Index, Position, INT64_MAX, 0, kSectorSize);
        if (Hit < 0 || Stopped(AWorker))
            break;
        int Signature = SignatureOfPattern(Signatures.PatternIndexOfSignature, Index);
        Position = CarveAt(ASearch, AStream, ABlocks, AFiles, AWorker, Signature, Hit);
    }
}

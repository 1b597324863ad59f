// XDR.Work.T.cpp: the thumbnail thread and its queue.
#include "XDR.Work.T.h"

#include <algorithm>
#include <utility>

#include "Rtl.System.h"
#include "XCore.Errors.h"

TXDRThumbnailer::TXDRThumbnailer(size_t AMaxJobs, int64_t AMaxBytes, unsigned AThreads)
    : FMaxJobs(std::max<size_t>(AMaxJobs, 1)), FMaxBytes(AMaxBytes)
{
    if (AThreads == 0)
        AThreads = std::clamp(std::thread::hardware_concurrency(), 2u, 4u) - 1;
    for (unsigned I = 0; I < AThreads; ++I)
        FThreads.emplace_back([this] { Run(); });
}

TXDRThumbnailer::~TXDRThumbnailer()
{
    Cancel();
    {
        std::lock_guard Guard(FLock);
        FStopping = true;
    }
    FChanged.notify_all();
    for (std::thread& Thread : FThreads)
        Thread.join();
}

void TXDRThumbnailer::Add(TOwned<TXDRScanFormat> AFormat, const TXBlocks* ABlocks, TStream* AStream,
                          TXImageObject* AImage, std::function<void(TXDRThumbnailJob&)> AOnDone)
{
    auto Job = std::make_unique<TXDRThumbnailJob>();
    Job->Format = std::move(AFormat);
    Job->Image = AImage;
    Job->OnDone = std::move(AOnDone);
    if (!Job->Format->HasThumbnail())
        Job->Ready = Job->Made = true;
    else {
        // Read here, on the scan's thread: its error, if any, is the scan's already.
        Job->Bytes = Owned(TMemoryStream::Create());
        if (!Job->Format->ReadPictureBytes(ABlocks, AStream, Job->Bytes.get())) {
            Job->Ready = true;
            Job->Bytes.reset();
        }
    }
    const int64_t Adding = Job->Bytes ? Job->Bytes->Size() : 0;
    while (IsFull(Adding))
        Finish(TakeReady(true));
    Enqueue(std::move(Job));
    FinishReady();
}

bool TXDRThumbnailer::IsFull(int64_t AAdding) const
{
    std::lock_guard Guard(FLock);
    return !FJobs.empty() && (FJobs.size() >= FMaxJobs || FQueuedBytes + AAdding > FMaxBytes);
}

void TXDRThumbnailer::Enqueue(std::unique_ptr<TXDRThumbnailJob> AJob)
{
    {
        std::lock_guard Guard(FLock);
        FQueuedBytes += AJob->Bytes ? AJob->Bytes->Size() : 0;
        FJobs.push_back(std::move(AJob));
    }
    FChanged.notify_all();
}

void TXDRThumbnailer::FinishReady()
{
    Finish(TakeReady(false));
}

void TXDRThumbnailer::FinishAll()
{
    for (;;) {
        {
            std::lock_guard Guard(FLock);
            if (FJobs.empty())
                return;
        }
        Finish(TakeReady(true));
    }
}

void TXDRThumbnailer::Cancel()
{
    std::deque<std::unique_ptr<TXDRThumbnailJob>> Dropped;
    {
        std::unique_lock Guard(FLock);
        // No job is taken from now on, and those being decoded stay until their threads are
        // done with them.
        FNext = FJobs.size();
        FChanged.wait(Guard, [this] { return FDecoding == 0; });
        Dropped.swap(FJobs);
        FNext = 0;
        FQueuedBytes = 0;
    }
    FChanged.notify_all();
}

std::deque<std::unique_ptr<TXDRThumbnailJob>> TXDRThumbnailer::TakeReady(bool AWait)
{
    std::deque<std::unique_ptr<TXDRThumbnailJob>> Ready;
    {
        std::unique_lock Guard(FLock);
        if (AWait)
            FChanged.wait(Guard, [this] { return FJobs.empty() || FJobs.front()->Ready; });
        while (!FJobs.empty() && FJobs.front()->Ready) {
            FQueuedBytes -= FJobs.front()->Bytes ? FJobs.front()->Bytes->Size() : 0;
            Ready.push_back(std::move(FJobs.front()));
            FJobs.pop_front();
            if (FNext > 0)
                --FNext;
        }
    }
    FChanged.notify_all();
    return Ready;
}

void TXDRThumbnailer::Finish(std::deque<std::unique_ptr<TXDRThumbnailJob>> AJobs)
{
    for (std::unique_ptr<TXDRThumbnailJob>& Job : AJobs) {
        // The error the decode recorded on its thread becomes the scan's, as if it had decoded.
        if (!Job->Made && Job->ErrorCode != 0)
            SetFirstError(Job->ErrorCode, 0, Job->ErrorText);
        if (Job->OnDone)
            Job->OnDone(*Job);
    }
}

void TXDRThumbnailer::Run()
{
    const TThreadID Self = GetCurrentThreadId();
    RegisterErrorThread(Self);
    for (;;) {
        TXDRThumbnailJob* Job = nullptr;
        {
            std::unique_lock Guard(FLock);
            // Jobs ready when queued are passed over.
            for (;;) {
                while (FNext < FJobs.size() && FJobs[FNext]->Ready)
                    ++FNext;
                if (FStopping || FNext < FJobs.size())
                    break;
                FChanged.wait(Guard);
            }
            if (FStopping)
                break;
            Job = FJobs[FNext++].get();
            ++FDecoding;
        }
        ClearError();
        Job->Made = Job->Format->DecodeThumbnailBytes(Job->PictureSize, Job->Bytes.get(), Job->Image);
        if (!Job->Made) {
            Job->ErrorCode = GetErrorCode();
            Job->ErrorText = GetErrorText();
        }
        {
            std::lock_guard Guard(FLock);
            Job->Ready = true;
            --FDecoding;
        }
        FChanged.notify_all();
    }
    UnregisterErrorThread(Self);
}

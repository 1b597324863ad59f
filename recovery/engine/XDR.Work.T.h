// XDR.Work.T.h: thumbnails of found files, decoded on threads of their own so that a scan reads
// on while photos decode. The scan's thread reads a file's bytes and queues them; each job comes
// back to that thread, in the order queued, to be finished there (its found file announced).
// The thumbnail threads touch only a job's own format, bytes and picture: never the card, the
// worker or the scan's records. No lock is held while a job decodes or finishes.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "Rtl.Streams.h"
#include "XDR.Work.P.h"

class TXBlocks;
class TXImageObject;

struct TXDRThumbnailJob {
    TOwned<TXDRScanFormat> Format;
    TOwned<TMemoryStream> Bytes;        // the file's bytes; none when nothing is to decode
    TXImageObject* Image = nullptr;     // the found file's thumbnail (not owned)
    bool Ready = false;                 // decoded, or nothing to decode
    bool Made = false;
    TXDRDimensions PictureSize;
    int32_t ErrorCode = 0;              // why it was not made
    String ErrorText;
    // Runs on the scan's thread once the job is ready.
    std::function<void(TXDRThumbnailJob&)> OnDone;
};

class TXDRFileItem;

// A found file whose thumbnail waits for the scan to come by its bytes: it is made, and the
// file announced, when the carving reaches Start.
struct TXDRDeferredThumbnail {
    int64_t Start = 0;             // where the file's bytes begin on the card
    TXDRFileItem* Item = nullptr;  // kept alive by OnDone
    TOwned<TXDRScanFormat> Format;
    std::function<void(TXDRThumbnailJob&)> OnDone;
};
using TXDRDeferredThumbnails = std::vector<TXDRDeferredThumbnail>;

class TXDRThumbnailer {
public:
    // At most AMaxJobs files, and AMaxBytes of their bytes (one file always), wait at a time;
    // AThreads decode them (0: one fewer than the cores, at most three, at least one).
    explicit TXDRThumbnailer(size_t AMaxJobs = 16, int64_t AMaxBytes = int64_t(96) << 20, unsigned AThreads = 0);
    // Drops what is still queued (its OnDone never runs) and ends the threads.
    ~TXDRThumbnailer();
    TXDRThumbnailer(const TXDRThumbnailer&) = delete;
    TXDRThumbnailer& operator=(const TXDRThumbnailer&) = delete;

    // Queues the thumbnail of the file ABlocks of AStream hold into AImage. While the queue is
    // full it finishes the jobs ready at its head, waiting for the next to be decoded. A kind
    // without thumbnails, or bytes that cannot be read, are ready at once (the error recorded in
    // the job).
    void Add(TOwned<TXDRScanFormat> AFormat, const TXBlocks* ABlocks, TStream* AStream, TXImageObject* AImage,
             std::function<void(TXDRThumbnailJob&)> AOnDone);
    // Finishes the jobs ready at the head of the queue, in order; never waits.
    void FinishReady();
    // Waits for every queued job and finishes them, in order.
    void FinishAll();
    // Drops every job not yet finished.
    void Cancel();

private:
    void Run();
    void Enqueue(std::unique_ptr<TXDRThumbnailJob> AJob);
    // Takes the ready jobs off the head; AWait: waits until the head is ready first.
    std::deque<std::unique_ptr<TXDRThumbnailJob>> TakeReady(bool AWait);
    void Finish(std::deque<std::unique_ptr<TXDRThumbnailJob>> AJobs);
    bool IsFull(int64_t AAdding) const;

    const size_t FMaxJobs;
    const int64_t FMaxBytes;
    mutable std::mutex FLock;
    std::condition_variable FChanged;
    std::deque<std::unique_ptr<TXDRThumbnailJob>> FJobs;   // queued, not yet finished
    size_t FNext = 0;                                      // the next job in FJobs to decode
    int FDecoding = 0;                                     // jobs the threads are decoding
    int64_t FQueuedBytes = 0;
    bool FStopping = false;
    std::vector<std::thread> FThreads;
};

// The thumbnail threads: a scan queues without waiting while the queue has room, jobs come back
// in the order queued with their pictures, and a cancel drops what waits without finishing it.
#include "XDR.Work.T.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "XCore.App.h"
#include "XCore.Intervals.Blocks.h"
#include "XDR.JobFixture.h"
#include "XMedia.Graphics.Containers.h"

namespace {

using namespace std::chrono_literals;

// Holds every decode until opened; each wait has a deadline.
struct TGate {
    std::mutex Lock;
    std::condition_variable Changed;
    bool Open = false;
    int Waiting = 0;

    void Pass()
    {
        std::unique_lock Guard(Lock);
        ++Waiting;
        Changed.notify_all();
        Changed.wait_for(Guard, 30s, [this] { return Open; });
        --Waiting;
    }
    void Release()
    {
        std::lock_guard Guard(Lock);
        Open = true;
        Changed.notify_all();
    }
    bool AwaitWaiting(int ACount)
    {
        std::unique_lock Guard(Lock);
        return Changed.wait_for(Guard, 30s, [&] { return Waiting >= ACount; });
    }
};

TGate* GGate = nullptr;

class TGatedJpeg : public TXDRScanFormatJPG {
    XDR_SCAN_FORMAT(TGatedJpeg, TXDRScanFormatJPG, skJPG)
    bool DecodeThumbnail(TXDRDimensions AMaxSize, TXDRDimensions& APictureSize, TStream* AStream,
                         TXImageObject* AImage) override
    {
        GGate->Pass();
        return TXDRScanFormatJPG::DecodeThumbnail(AMaxSize, APictureSize, AStream, AImage);
    }
};

class ThumbnailerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetNVCoreApp(TXNVCoreApp::Create());
        GGate = &FGate;
        const XDRTesting::TBytes Jpeg = XDRTesting::MakeJpeg(640, 480, clRed);
        FStream->Write(Jpeg.data(), int64_t(Jpeg.size()));
        FStream->Write("junk", 4);   // a second "file" that is no JPEG
        FPhoto->Add(0, int64_t(Jpeg.size()));
        FJunk->Add(int64_t(Jpeg.size()), 4);
    }
    void TearDown() override
    {
        FGate.Release();
        GGate = nullptr;
        SetNVCoreApp(nullptr);
    }

    // Queues the photo (or the junk) as file AIndex; its picture goes to FImages[AIndex].
    void Add(TXDRThumbnailer& AThumbnailer, int AIndex, bool AJunk = false)
    {
        AThumbnailer.Add(Owned<TXDRScanFormat>(TGatedJpeg::Create()), AJunk ? FJunk.get() : FPhoto.get(), FStream.get(),
                         FImages[AIndex].get(), [this, AIndex](TXDRThumbnailJob& AJob) {
                             FDone.push_back(AIndex);
                             FMade.push_back(AJob.Made);
                         });
    }

    TGate FGate;
    TOwned<TMemoryStream> FStream = Owned(TMemoryStream::Create());
    TOwned<TXBlocks> FPhoto = Owned(TXBlocks::Create());
    TOwned<TXBlocks> FJunk = Owned(TXBlocks::Create());
    TOwned<TXImageObject> FImages[4] = {Owned(TXImageObject::Create()), Owned(TXImageObject::Create()),
                                        Owned(TXImageObject::Create()), Owned(TXImageObject::Create())};
    std::vector<int> FDone;
    std::vector<bool> FMade;
};

TEST_F(ThumbnailerTest, QueuesWithoutWaitingAndFinishesInOrder)
{
    TXDRThumbnailer Thumbnailer(3, int64_t(1) << 20, 2);
    // Both threads hold a decode and a third job waits: none of it held the queueing up.
    Add(Thumbnailer, 0);
    Add(Thumbnailer, 1, true);
    Add(Thumbnailer, 2);
    ASSERT_TRUE(FGate.AwaitWaiting(2)) << "the threads did not take two decodes";
    Thumbnailer.FinishReady();
    EXPECT_TRUE(FDone.empty());
    FGate.Release();
    Thumbnailer.FinishAll();
    EXPECT_EQ(FDone, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(FMade, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(FImages[0]->Width(), 72);
    EXPECT_EQ(FImages[2]->Width(), 72);
}

TEST_F(ThumbnailerTest, CancelDropsWhatWaitsWithoutFinishingIt)
{
    TXDRThumbnailer Thumbnailer(4, int64_t(1) << 20, 1);
    Add(Thumbnailer, 0);
    Add(Thumbnailer, 1);
    ASSERT_TRUE(FGate.AwaitWaiting(1)) << "the thread did not take the first decode";
    FGate.Release();
    Thumbnailer.Cancel();
    Thumbnailer.FinishAll();
    EXPECT_TRUE(FDone.empty());
    // The thumbnailer takes new work after a cancel.
    Add(Thumbnailer, 2);
    Thumbnailer.FinishAll();
    EXPECT_EQ(FDone, (std::vector<int>{2}));
}

}  // namespace

// Deep scans of generated cards and of real camera files: what is carved, where the search goes
// on after each kind of hit, what the add filter keeps, and how a scan ends (removed card,
// missing file, cancel from the wizard, the slow-device question).
#include "XDR.Gears.Work.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

#include "../../tests/fixtures/ReadFaults.h"
#include "XDR.JobFixture.h"

using namespace XDR::Gears::Work;
using namespace XDRTesting;

namespace {

// "RIFF" size "AVI " and ASize - 8 bytes of zeros.
TBytes MakeAvi(uint32_t ASize)
{
    TBytes Bytes(ASize);
    const uint32_t Chunk = ASize - 8;
    const uint8_t Head[] = {'R', 'I', 'F', 'F', uint8_t(Chunk), uint8_t(Chunk >> 8), uint8_t(Chunk >> 16),
                            uint8_t(Chunk >> 24), 'A', 'V', 'I', ' '};
    std::copy(std::begin(Head), std::end(Head), Bytes.begin());
    return Bytes;
}

// A JPEG start and scan header with no frame: its end is found, but it never decodes.
TBytes MakeUndecodableJpegHead()
{
    TBytes Bytes(32, 0x11);
    const uint8_t Head[] = {0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x02};
    std::copy(std::begin(Head), std::end(Head), Bytes.begin());
    return Bytes;
}

size_t RoundUp(size_t AValue) { return (AValue + 511) / 512 * 512; }

struct TFileExpect {
    String Name;
    int64_t Start;
    int64_t Size;
};

class DeepScanTest : public JobTest {
public:
    void Cancel() { CancelFromTheWizard(); }

protected:
    void ScanImage(const std::string& APath) { Run(TXDRDiskImageDeepScanWorkCommand::Create(Gear, APath)); }
    void ExpectFiles(const std::vector<TFileExpect>& AExpected)
    {
        ASSERT_EQ(Files->Count(), static_cast<int>(AExpected.size()));
        for (int I = 0; I < Files->Count(); ++I) {
            TXDRFileItem* Item = Files->Items(I);
            SCOPED_TRACE(AExpected[I].Name);
            EXPECT_EQ(Item->Name(), AExpected[I].Name);
            ASSERT_EQ(Item->Blocks()->Count(), 1);
            EXPECT_EQ(Item->Blocks()->Items(0).Start, AExpected[I].Start);
            EXPECT_EQ(Item->Blocks()->Items(0).Size, AExpected[I].Size);
        }
    }
};

TEST_F(DeepScanTest, CarvesACardWithoutAFileSystemFromEndToEnd)
{
    const TBytes First = MakeJpeg(320, 240, clRed), Second = MakeJpeg(64, 48, clBlue), Inner = MakeJpeg(40, 30, clLime);
    const TBytes Avi = MakeAvi(3000);
    TCard Card(4 << 20);
    const size_t FirstAt = 8192, SecondAt = RoundUp(FirstAt + First.size()), BrokenAt = 1 << 20,
                 InnerAt = BrokenAt + 512, AviAt = 2 << 20;
    Card.Put(FirstAt, First);
    Card.Put(SecondAt, Second);   // back to back: searched from the end of the first on
    Card.Put(BrokenAt, MakeUndecodableJpegHead());
    Card.Put(InnerAt, Inner);     // ends the broken one too, which is dropped
    Card.Put(AviAt, Avi);
    ScanImage(Card.Save("plain.img"));

    EXPECT_EQ(Heard.EndName, "DeepScan");
    EXPECT_EQ(Heard.EndError.Code, 0);
    ExpectFiles({{"000001.jpg", int64_t(FirstAt), int64_t(First.size())},
                 {"000002.jpg", int64_t(SecondAt), int64_t(Second.size())},
                 {"000003.jpg", int64_t(InnerAt), int64_t(Inner.size())},
                 {"000004.avi", int64_t(AviAt), int64_t(Avi.size())}});
    EXPECT_EQ(Heard.Added, (std::vector<String>{"000001.jpg", "000002.jpg", "000003.jpg", "000004.avi"}));
    EXPECT_EQ(Files->Items(0)->ImageSize(), TXSize::Create(320, 240));
    EXPECT_TRUE(Files->Items(0)->Status().Contains(drThnValidated));
    EXPECT_EQ(Files->Items(0)->Thumbnail()->Width(), 72);   // 320 x 240 fitted into 72 x 72
    // Progress follows the read position, forwards only.
    ASSERT_FALSE(Heard.Positions.empty());
    EXPECT_TRUE(std::is_sorted(Heard.Positions.begin(), Heard.Positions.end())) << ::testing::PrintToString(Heard.Positions);
    EXPECT_GT(Heard.Positions.back(), 500);
}

TEST_F(DeepScanTest, TypesOutsideTheChoiceAreFoundButNotAdded)
{
    Gear->Data()->Extensions()->Clear();
    Gear->Data()->Extensions()->Add(".avi");
    TCard Card(1 << 20);
    Card.Put(4096, MakeJpeg(32, 32, clRed));
    Card.Put(65536, MakeAvi(2000));
    ScanImage(Card.Save("filter.img"));
    ExpectFiles({{"000001.avi", 65536, 2000}});
}

// Real camera files, each alone on a card: the raws and TIFFs are reported even without a
// thumbnail, and the search goes on 512 bytes after their start.
TEST_F(DeepScanTest, RealCameraFilesAreCarvedWithTheirOwnType)
{
    const char* Source = std::getenv("X_SOURCE_DIR");
    const std::filesystem::path Folder = std::filesystem::path(Source ? Source : X_SOURCE_FALLBACK) / "../shared/testdata/camera";
    if (!std::filesystem::exists(Folder))
        GTEST_SKIP() << "no camera samples in " << Folder;
    struct TCase {
        const char* File;
        const char* Type;
    };
    // The AVI's data is cut: it claims 2.7 MB, which the card's zeros after it hold.
    const TCase Cases[] = {{"Nikon.nef", ".nef"},   {"CanonRaw.cr2", ".cr2"}, {"Panasonic.rw2", ".rw2"},
                           {"Minolta.mrw", ".mrw"}, {"DNG.dng", ".dng"},      {"RIFF.avi", ".avi"}};
    TCard Card(8 << 20);
    std::vector<String> Types;
    for (size_t I = 0; I < std::size(Cases); ++I)
        Card.Put((I + 1) << 19, ReadBytes(Folder / Cases[I].File));
    ScanImage(Card.Save("camera.img"));
    ASSERT_EQ(Heard.EndError.Code, 0);
    for (int I = 0; I < Files->Count(); ++I)
        if (Files->Items(I)->Blocks()->Items(0).Start % (1 << 19) == 0)
            Types.push_back(Files->Items(I)->FileType());
    std::vector<String> Expected;
    for (const TCase& Case : Cases)
        Expected.push_back(Case.Type);
    EXPECT_EQ(Types, Expected);
}

// Cards made by the fixture script: three photos and a video, one photo deleted.
TEST_F(DeepScanTest, FatCardsGiveTheirFilesOnceUnderTheirNames)
{
    for (const char* Options : {"--fat 16 --size-mb 8", "--fat 32 --size-mb 40"}) {
        SCOPED_TRACE(Options);
        ScanImage(XTestFixtures::CardImage(Options));
        ASSERT_EQ(Heard.EndError.Code, 0);
        std::vector<String> Names;
        for (int I = 0; I < Files->Count(); ++I) {
            Names.push_back(Files->Items(I)->Name());
            // The second carving pass reads the live files again: each is reported once.
            for (int J = 0; J < I; ++J)
                EXPECT_FALSE(Files->Items(I)->Blocks()->Equals(Files->Items(J)->Blocks())) << Names.back();
        }
        std::sort(Names.begin(), Names.end());
        EXPECT_EQ(Names, (std::vector<String>{"!MG_0002.JPG", "IMG_0001.JPG", "IMG_0003.JPG", "MVI_0004.AVI"}));
    }
}

TEST_F(DeepScanTest, AFat12CardIsCarvedWhole)
{
    ScanImage(XTestFixtures::CardImage("--fat 12 --size-mb 4"));
    ASSERT_EQ(Heard.EndError.Code, 0);
    int Photos = 0;
    for (int I = 0; I < Files->Count(); ++I)
        Photos += Files->Items(I)->FileType() == ".jpg" && Files->Items(I)->Name().size() == 10;
    EXPECT_EQ(Photos, 3);   // the deleted one too, under a carved name
}

TEST_F(DeepScanTest, ARemovedCardEndsTheScanWithItsCode)
{
    TCard Card(2 << 20);
    Card.Put(4096, MakeJpeg(32, 32, clRed));
    const std::string Path = Card.Save("pulled.img");
    XTestFixtures::TReadFaults Faults(Path, "1048576-1049088=ENODEV");
    Run(TXDRDiskDeepScanWorkCommand::Create(Gear, 0, Path));
    EXPECT_EQ(Heard.EndError.Code, 11);
    EXPECT_EQ(Files->Count(), 1);   // what was found before stays
}

TEST_F(DeepScanTest, ASourceThatCannotBeOpenedEndsTheJobWithTheOpenError)
{
    ScanImage((XTestFixtures::ScratchFolder() / "missing.img").string());
    EXPECT_EQ(Heard.EndError.Code, kErrFileNotFound);
    EXPECT_FALSE(Gear->Running());
}

// On the job's thread, inside the worker's Notify, the first found file asks the wizard to
// cancel and waits until the worker has ended, while the UI thread goes on delivering the
// job's posts to the same worker.
struct TCancelOnFirstFile {
    JobTest* Test;
    IXWorker* Worker;
    std::atomic<int> Seen{0};
    bool Cancelled = false;
    void Found(IXNotification*)
    {
        if (Seen++ != 0)
            return;
        TThread::Queue(nullptr, [this] { static_cast<DeepScanTest*>(Test)->Cancel(); });
        Cancelled = WaitUntil("the wizard's cancel", [this] { return Worker->IsTerminated(); });
    }
};

TEST_F(DeepScanTest, TheWizardsCancelEndsTheScanAndKeepsWhatItFound)
{
    TCard Card(8 << 20);
    Card.Put(4096, MakeJpeg(32, 32, clRed));
    Card.Put(6 << 20, MakeJpeg(32, 32, clBlue));
    TCancelOnFirstFile Hook{this, Gear->Worker()};
    Gear->Worker()->Subscribe(TXDRFoundFileAspect::StaticClass(),
                              TXNotificationHandler::Bind<&TCancelOnFirstFile::Found>(&Hook));
    ScanImage(Card.Save("cancel.img"));
    EXPECT_TRUE(Hook.Cancelled);
    EXPECT_EQ(Heard.EndError.Code, kErrCancelled);
    EXPECT_EQ(Files->Count(), 1);
    EXPECT_FALSE(Gear->SlowReadQuestion());
}

// What a view relies on: a file it is told of is in the collection already, and it is told on
// the UI thread, which owns the collection.
struct TAddWatcher {
    TXDRFileCollection* Files;
    int Told = 0;
    int OffTheUIThread = 0;
    int NotInTheCollection = 0;
    void Added(IXNotification* ANotification)
    {
        ++Told;
        OffTheUIThread += GetCurrentThreadId() != MainThreadID();
        NotInTheCollection += AspectOf<TXDRAddFileAspect>(ANotification)->Item->Collection() != Files;
    }
};

TEST_F(DeepScanTest, FilesOfAScanStillQueuedWhenTheNextStartsStayOutOfIt)
{
    TAddWatcher Watcher{Files};
    Gear->Subscribe(TXDRAddFileAspect::StaticClass(), TXNotificationHandler::Bind<&TAddWatcher::Added>(&Watcher));
    TCard First(1 << 20);
    First.Put(4096, MakeJpeg(32, 32, clRed));
    First.Put(65536, MakeJpeg(32, 32, clBlue));
    TCard Second(1 << 20);
    Second.Put(8192, MakeAvi(2000));
    // The first scan ends while what it found still waits in the engine's queue.
    ASSERT_TRUE(Gear->ExecuteCommand(TIntf<IXCommand>(TXDRDiskImageDeepScanWorkCommand::Create(Gear, First.Save("first.img")))));
    ASSERT_TRUE(WaitUntil("the first scan's end", [&] {
        CheckSynchronize();
        return Heard.Ended;
    }));
    EXPECT_EQ(Files->Count(), 0);
    ScanImage(Second.Save("second.img"));
    ExpectFiles({{"000001.avi", 8192, 2000}});
    EXPECT_EQ(Watcher.Told, 3);
    EXPECT_EQ(Watcher.OffTheUIThread, 0);
    EXPECT_EQ(Watcher.NotInTheCollection, 0);
}

struct TQuestion {
    int Asked = 0;
    int32_t Ask()
    {
        ++Asked;
        return 7;   // no
    }
};

// Two reads of more than three seconds: the question comes once, and "no" lets the scan go on.
TEST_F(DeepScanTest, ASlowDeviceIsAskedAboutOncePerScan)
{
    TCard Card(2 << 20);
    Card.Put(4096, MakeJpeg(32, 32, clRed));
    const std::string Path = Card.Save("slow.img");
    TQuestion Question;
    Gear->SetOnSlowDeviceQuestion(TXDRSlowDeviceQuestion::Bind<&TQuestion::Ask>(&Question));
    XTestFixtures::TReadFaults Slow(Path, "524288-525312=SLOW3100;1572864-1573888=SLOW3100");
    Run(TXDRDiskDeepScanWorkCommand::Create(Gear, 0, Path));
    EXPECT_EQ(Question.Asked, 1);
    EXPECT_EQ(Heard.EndError.Code, 0);
    EXPECT_EQ(Files->Count(), 1);
}

TEST_F(DeepScanTest, OneJobAtATime)
{
    TCard Card(1 << 20);
    const std::string Path = Card.Save("busy.img");
    ASSERT_TRUE(Gear->ExecuteCommand(TIntf<IXCommand>(TXDRDiskImageDeepScanWorkCommand::Create(Gear, Path))));
    EXPECT_FALSE(Gear->ExecuteCommand(TIntf<IXCommand>(TXDRDiskImageDeepScanWorkCommand::Create(Gear, Path))));
    WaitForEnd();
    EXPECT_EQ(Heard.EndError.Code, 0);
    EXPECT_FALSE(Gear->Running());
}

}  // namespace

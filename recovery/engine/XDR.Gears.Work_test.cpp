// Deep scans of generated cards and of real camera files: what is carved, where the search goes
// on after each kind of hit, what the add filter keeps, and how a scan ends (removed card,
// missing file, cancel from the wizard, the slow-device question).
#include "XDR.Gears.Work.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <thread>

#include "../../tests/fixtures/FatImages.h"
#include "../../tests/fixtures/ReadFaults.h"
#include "../../tests/fixtures/Samples.h"
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

// Cameras and encoders write QuickTime heads of other sizes than the signature table's.
TEST_F(DeepScanTest, QuickTimeMoviesOfEveryHeadSizeAreCarved)
{
    const std::filesystem::path Samples = XTestFixtures::SamplesDir(X_SOURCE_FALLBACK);
    const TBytes Encoder = ReadBytes(Samples / "quicktime.mov"), Camera = ReadBytes(Samples / "camera.mov");
    ASSERT_EQ(Encoder[3], 0x14);   // a 20-byte "ftyp"
    TCard Card(4 << 20);
    Card.Put(65536, Encoder);
    Card.Put(2 << 20, Camera);
    ScanImage(Card.Save("movies.img"));
    ExpectFiles({{"000001.mov", 65536, int64_t(Encoder.size())}, {"000002.mov", 2 << 20, int64_t(Camera.size())}});
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

// A photo written around a directory's cluster: carving the free areas must leave the
// directory's bytes out of it.
TEST_F(DeepScanTest, DirectoryClustersAreNoPartOfACarvedFile)
{
    XTestFixtures::TFatImage Image = XTestFixtures::TFatImage::Fat16(4096, 1);
    Image.PutEntry(Image.RootOffset(), "DCIM       ", 0x10, 41, 0);
    Image.SetFat(41, Image.EndOfChain());
    Image.PutEntry(XTestFixtures::TFatImage::Slot(Image.ClusterOffset(41), 0), ".          ", 0x10, 41, 0);
    Image.PutEntry(XTestFixtures::TFatImage::Slot(Image.ClusterOffset(41), 1), "..         ", 0x10, 0, 0);
    const TBytes Photo = MakeJpeg(320, 240, clRed);
    ASSERT_GT(Photo.size(), 1024u);
    std::copy_n(Photo.begin(), 512, Image.Bytes.begin() + Image.ClusterOffset(40));
    std::copy(Photo.begin() + 512, Photo.end(), Image.Bytes.begin() + Image.ClusterOffset(42));
    TCard Card(0);
    Card.Bytes = Image.Bytes;
    ScanImage(Card.Save("around-a-folder.img"));
    ASSERT_EQ(Files->Count(), 1);
    const TXBlocks* Blocks = Files->Items(0)->Blocks();
    ASSERT_EQ(Blocks->Count(), 2);
    EXPECT_EQ(Blocks->Items(0).Start, Image.ClusterOffset(40));
    EXPECT_EQ(Blocks->Items(0).Size, 512);
    EXPECT_EQ(Blocks->Items(1).Start, Image.ClusterOffset(42));
    EXPECT_EQ(Blocks->Items(1).Size, int64_t(Photo.size()) - 512);
}

// ---- Damaged cards -----------------------------------------------------------------------

// Where a card's FAT structures lie, from its boot sector.
struct TCardLayout {
    explicit TCardLayout(const TBytes& ABytes)
    {
        auto U16 = [&](size_t AAt) { return uint32_t(ABytes[AAt] | (ABytes[AAt + 1] << 8)); };
        auto U32 = [&](size_t AAt) { return U16(AAt) | (U16(AAt + 2) << 16); };
        SectorSize = U16(11);
        ClusterSize = SectorSize * ABytes[13];
        Fat32 = U16(22) == 0;
        FatOffset = int64_t(U16(14)) * SectorSize;
        FatSize = int64_t(Fat32 ? U32(36) : U16(22)) * SectorSize;
        RootOffset = FatOffset + FatSize * ABytes[16];
        DataOffset = RootOffset + int64_t(U16(17)) * 32;
        RootCluster = Fat32 ? U32(44) : 0;
    }
    int64_t ClusterOffset(uint32_t ACluster) const { return DataOffset + (int64_t(ACluster) - 2) * ClusterSize; }
    uint32_t ClusterOf(int64_t AOffset) const { return static_cast<uint32_t>((AOffset - DataOffset) / ClusterSize + 2); }
    // The FAT entry of ACluster in copy ACopy.
    int64_t EntryOffset(uint32_t ACluster, int ACopy) const { return FatOffset + ACopy * FatSize + ACluster * (Fat32 ? 4 : 2); }
    // The root directory: FAT16's fixed area or FAT32's first root cluster.
    int64_t RootDirOffset() const { return Fat32 ? ClusterOffset(RootCluster) : RootOffset; }
    int64_t RootDirSize() const { return Fat32 ? ClusterSize : DataOffset - RootOffset; }

    uint32_t SectorSize, ClusterSize;
    bool Fat32;
    int64_t FatOffset, FatSize, RootOffset, DataOffset;
    uint32_t RootCluster;
};

struct TScanned {
    String Name;
    TBytes Bytes;
};

void Fill(TBytes& ABytes, int64_t AFrom, int64_t ACount, uint8_t AValue)
{
    std::fill_n(ABytes.begin() + AFrom, ACount, AValue);
}

void FillRandom(TBytes& ABytes, int64_t AFrom, int64_t ACount)
{
    uint32_t X = 12345;
    for (int64_t I = 0; I < ACount; ++I) {
        X = X * 1103515245 + 12345;
        ABytes[AFrom + I] = static_cast<uint8_t>(X >> 24);
    }
}

struct TCardDamage {
    const char* Name;
    // Damages the card; AFirstPhoto is where IMG_0001.JPG's bytes start. Answers read faults
    // for the shim ("" for none).
    std::function<std::string(TBytes&, const TCardLayout&, int64_t AFirstPhoto)> Apply;
    bool Fat16KeepsNames;
    bool Fat32KeepsNames;
};

const TCardDamage kCardDamages[] = {
    {"ZeroedSectorZero", [](TBytes& B, const TCardLayout&, int64_t) { Fill(B, 0, 512, 0); return std::string(); },
     false, true},
    {"ZeroedFirstFat",
     [](TBytes& B, const TCardLayout& L, int64_t) { Fill(B, L.FatOffset, L.FatSize, 0); return std::string(); }, true,
     true},
    {"RandomRoot",
     [](TBytes& B, const TCardLayout& L, int64_t) { FillRandom(B, L.RootDirOffset(), L.RootDirSize()); return std::string(); },
     true, true},
    {"BrokenLiveChain",
     [](TBytes& B, const TCardLayout& L, int64_t AFirstPhoto) {
         const uint32_t Second = L.ClusterOf(AFirstPhoto) + 1;
         for (int Copy = 0; Copy < 2; ++Copy)
             Fill(B, L.EntryOffset(Second, Copy), L.Fat32 ? 4 : 2, 0);
         return std::string();
     },
     true, true},
    {"WrongSectorsPerCluster", [](TBytes& B, const TCardLayout&, int64_t) { B[13] *= 4; return std::string(); }, true,
     true},
    // The first FAT's first sector and the root directory cannot be read.
    {"ReadFaults",
     [](TBytes&, const TCardLayout& L, int64_t) {
         return std::to_string(L.FatOffset) + "-" + std::to_string(L.FatOffset + 512) + "=EIO;"
                + std::to_string(L.RootDirOffset()) + "-" + std::to_string(L.RootDirOffset() + 512) + "=EIO";
     },
     true, true},
};

class DamagedCardTest : public DeepScanTest, public ::testing::WithParamInterface<TCardDamage> {
protected:
    std::vector<TScanned> Scan(const std::string& APath, const std::string& AFaults)
    {
        const TBytes Card = ReadBytes(APath);
        std::unique_ptr<XTestFixtures::TReadFaults> Faults;
        if (!AFaults.empty())
            Faults = std::make_unique<XTestFixtures::TReadFaults>(APath, AFaults);
        Run(TXDRDiskDeepScanWorkCommand::Create(Gear, 0, APath));
        EXPECT_EQ(Heard.EndError.Code, 0);
        std::vector<TScanned> Found;
        for (int I = 0; I < Files->Count(); ++I) {
            TBytes Bytes;
            const TXBlocks* Blocks = Files->Items(I)->Blocks();
            for (int B = 0; B < Blocks->Count(); ++B)
                Bytes.insert(Bytes.end(), Card.begin() + Blocks->Items(B).Start,
                             Card.begin() + Blocks->Items(B).Start + Blocks->Items(B).Size);
            Found.push_back({Files->Items(I)->Name(), std::move(Bytes)});
        }
        return Found;
    }
};

// Every file of the healthy card comes back with its bytes, under its name where the card
// still holds it, and nothing else is reported.
TEST_P(DamagedCardTest, TheFilesOutsideTheDamageComeBackExactly)
{
    for (const char* Options : {"--fat 16 --size-mb 8", "--fat 32 --size-mb 40"}) {
        SCOPED_TRACE(Options);
        const bool Fat32 = std::string(Options).find("32") != std::string::npos;
        const std::string Healthy = XTestFixtures::CardImage(Options);
        const std::vector<TScanned> Expected = Scan(Healthy, "");
        int64_t FirstPhoto = -1;
        for (int I = 0; I < Files->Count(); ++I)
            if (Files->Items(I)->Name() == "IMG_0001.JPG")
                FirstPhoto = Files->Items(I)->Blocks()->Items(0).Start;
        ASSERT_GE(FirstPhoto, 0);

        TCard Card(0);
        Card.Bytes = ReadBytes(Healthy);
        const std::string Faults = GetParam().Apply(Card.Bytes, TCardLayout(ReadBytes(Healthy)), FirstPhoto);
        const std::string Path = Card.Save(std::string(GetParam().Name) + (Fat32 ? "32" : "16") + ".img");
        const std::vector<TScanned> Found = Scan(Path, Faults);

        const bool KeepsNames = Fat32 ? GetParam().Fat32KeepsNames : GetParam().Fat16KeepsNames;
        EXPECT_EQ(Found.size(), Expected.size());
        for (const TScanned& File : Expected) {
            auto Same = std::find_if(Found.begin(), Found.end(), [&](const TScanned& F) { return F.Bytes == File.Bytes; });
            ASSERT_NE(Same, Found.end()) << File.Name << " is lost";
            if (KeepsNames)
                EXPECT_EQ(Same->Name, File.Name);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cards, DamagedCardTest, ::testing::ValuesIn(kCardDamages),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

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

// A FAT32 card of 48 MiB in 32 KiB clusters: a folder of photos, every fifth deleted, and
// random bytes everywhere else, as a used card's free space looks.
TEST_F(DeepScanTest, ADeepScanReadsTheCardOnce)
{
    constexpr uint32_t kSectors = 48u << 11;
    XTestFixtures::TFatImage Image = XTestFixtures::TFatImage::Fat32(kSectors, 64);
    FillRandom(Image.Bytes, Image.ClusterOffset(4), int64_t(Image.Bytes.size()) - Image.ClusterOffset(4));
    Image.PutEntry(XTestFixtures::TFatImage::Slot(Image.ClusterOffset(2), 0), "DCIM       ", 0x10, 3, 0);
    Image.SetFat(3, Image.EndOfChain());
    Fill(Image.Bytes, Image.ClusterOffset(3), Image.ClusterSize(), 0);
    const TBytes Photo = MakeJpeg(1200, 900, clTeal);
    const uint32_t PhotoClusters = static_cast<uint32_t>((Photo.size() + Image.ClusterSize() - 1) / Image.ClusterSize());
    uint32_t Cluster = 4;
    for (int I = 0; I < 40; ++I, Cluster += PhotoClusters + 17) {
        const bool Deleted = I % 5 == 4;
        const std::string Name = "IMG_" + std::to_string(1000 + I) + "JPG";
        Image.PutEntry(XTestFixtures::TFatImage::Slot(Image.ClusterOffset(3), I), Name, 0x20, Cluster,
                       static_cast<uint32_t>(Photo.size()), Deleted);
        std::copy(Photo.begin(), Photo.end(), Image.Bytes.begin() + Image.ClusterOffset(Cluster));
        for (uint32_t C = 0; C < PhotoClusters && !Deleted; ++C)
            Image.SetFat(Cluster + C, C + 1 == PhotoClusters ? Image.EndOfChain() : Cluster + C + 1);
    }
    TCard Card(0);
    Card.Bytes = Image.Bytes;
    const std::string Path = Card.Save("read-once.img");
    XTestFixtures::TReadFaults Counted(Path, "");
    Run(TXDRDiskDeepScanWorkCommand::Create(Gear, 0, Path));
    EXPECT_EQ(Heard.EndError.Code, 0);
    EXPECT_EQ(Files->Count(), 40);
    // The boot sector, the FATs and the folders may be read again; the card's data is not.
    const long long Read = XTestFixtures::TReadFaults::BytesRead();
    EXPECT_LE(Read, int64_t(Card.Bytes.size()) + (4 << 20)) << "read " << double(Read) / Card.Bytes.size() << " times";
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

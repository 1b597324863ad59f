// Memory and file streams: positions, short transfers, copying, share modes and open errors.
#include "Rtl.Streams.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "Rtl.Encoding.h"
#include "Rtl.SysUtils.h"

namespace {

String ContentOf(TMemoryStream* AStream)
{
    return String(reinterpret_cast<const char*>(AStream->Memory()), static_cast<size_t>(AStream->Size()));
}

class TempDir : public ::testing::Test {
protected:
    void SetUp() override
    {
        char Template[] = "/tmp/rtl_streams_XXXXXX";
        FDir = ::mkdtemp(Template);
    }
    void TearDown() override { std::filesystem::remove_all(FDir); }
    String Path(const char* AName) const { return FDir + "/" + AName; }

    String FDir;
};

TEST(MemoryStreamTest, WritesSeeksAndReadsWithGapsAsZeros)
{
    auto Stream = Owned(TMemoryStream::Create());
    Stream->WriteBuffer("abc", 3);
    EXPECT_EQ(Stream->Seek(2, soCurrent), 5);
    Stream->WriteBuffer("z", 1);
    EXPECT_EQ(ContentOf(Stream.get()), String("abc\0\0z", 6));
    EXPECT_EQ(Stream->Seek(-2, soEnd), 4);
    char Buffer[8] = {};
    EXPECT_EQ(Stream->Read(Buffer, 8), 2);
    EXPECT_EQ(Stream->Read(Buffer, 8), 0);

    Stream->SetSize(2);
    EXPECT_EQ(Stream->Position(), 2);
    EXPECT_EQ(ContentOf(Stream.get()), "ab");
}

TEST(MemoryStreamTest, ShortTransfersRaise)
{
    auto Stream = Owned(TMemoryStream::Create());
    Stream->WriteBuffer("abc", 3);
    Stream->SetPosition(1);
    char Buffer[4];
    EXPECT_THROW(Stream->ReadBuffer(Buffer, 3), EReadError);
    Stream->SetPosition(-1);
    EXPECT_THROW(Stream->WriteBuffer("x", 1), EWriteError);
}

TEST(MemoryStreamTest, CopyFromCountZeroCopiesTheWholeSourceFromItsStart)
{
    auto Source = Owned(TMemoryStream::Create());
    String Data(200000, 'q');
    Data[199999] = 'e';
    Source->WriteBuffer(Data.data(), static_cast<int64_t>(Data.size()));
    auto Dest = Owned(TMemoryStream::Create());
    EXPECT_EQ(Dest->CopyFrom(Source.get(), 0), 200000);
    EXPECT_EQ(ContentOf(Dest.get()), Data);

    Source->SetPosition(199998);
    EXPECT_EQ(Dest->CopyFrom(Source.get(), 2), 2);
    EXPECT_EQ(Dest->Size(), 200002);
    Source->SetPosition(199999);
    EXPECT_THROW(Dest->CopyFrom(Source.get(), 2), EReadError);
}

TEST(StringStreamTest, EncodesAndDecodesInItsEncoding)
{
    auto Ansi = Owned(TStringStream::Create("caf\u00e9", TEncoding::ANSI()));
    EXPECT_EQ(ContentOf(Ansi.get()), "caf\xE9");
    EXPECT_EQ(Ansi->Position(), 0);
    Ansi->Seek(0, soEnd);
    Ansi->WriteString("!");
    EXPECT_EQ(Ansi->DataString(), "caf\u00e9!");
    auto Utf8 = Owned(TStringStream::Create("caf\u00e9"));
    EXPECT_EQ(Utf8->Size(), 5);
}

TEST_F(TempDir, FileRoundTripAcceptsBackslashes)
{
    auto Stream = Owned(TMemoryStream::Create());
    Stream->WriteBuffer("hello", 5);
    Stream->SaveToFile(FDir + "\\saved.bin");
    auto Loaded = Owned(TMemoryStream::Create());
    Loaded->LoadFromFile(Path("saved.bin"));
    EXPECT_EQ(ContentOf(Loaded.get()), "hello");
    EXPECT_EQ(Loaded->Position(), 0);

    auto File = Owned(TFileStream::Create(Path("saved.bin"), fmOpenReadWrite | fmShareExclusive));
    EXPECT_EQ(File->Size(), 5);
    File->SetSize(2);
    EXPECT_EQ(File->Seek(0, soEnd), 2);
}

TEST_F(TempDir, OpenFailuresRaiseWithTheSystemReason)
{
    try {
        TFileStream::Create(Path("missing.bin"), fmOpenRead | fmShareDenyWrite);
        FAIL() << "no exception";
    } catch (const EFOpenError& E) {
        EXPECT_NE(E.Message().find("missing.bin"), String::npos);
        EXPECT_NE(E.Message().find("No such file"), String::npos);
    }
    EXPECT_THROW(TFileStream::Create(Path("no/such/folder.bin"), fmCreate), EFCreateError);
}

struct TShareCase {
    const char* Name;
    uint16_t First;
    uint16_t Second;
    bool SecondOpens;
};

const TShareCase kShareCases[] = {
    {"TwoDenyWriteReaders", fmOpenRead | fmShareDenyWrite, fmOpenRead | fmShareDenyWrite, true},
    {"ExclusiveWriterKeepsReaderOut", fmOpenReadWrite | fmShareExclusive, fmOpenRead | fmShareDenyWrite, false},
    {"ReaderKeepsExclusiveWriterOut", fmOpenRead | fmShareDenyWrite, fmOpenReadWrite | fmShareExclusive, false},
    {"ReaderKeepsCreatorOut", fmOpenRead | fmShareDenyWrite, fmCreate, false},
    {"DenyNoneTakesNoLock", fmOpenRead | fmShareDenyNone, fmOpenReadWrite | fmShareExclusive, true},
};

class ShareModeTest : public TempDir, public ::testing::WithParamInterface<TShareCase> {};

TEST_P(ShareModeTest, SharingFollowsTheDenyModes)
{
    String Name = Path("shared.bin");
    Owned(TFileStream::Create(Name, fmCreate))->WriteBuffer("data", 4);
    auto First = Owned(TFileStream::Create(Name, GetParam().First));
    if (GetParam().SecondOpens) {
        EXPECT_NO_THROW(Owned(TFileStream::Create(Name, GetParam().Second)));
    } else {
        EXPECT_THROW(TFileStream::Create(Name, GetParam().Second), EStreamError);
        // A refused creation must not have emptied the file under the first opener.
        EXPECT_EQ(First->Size(), 4);
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, ShareModeTest, ::testing::ValuesIn(kShareCases),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

}  // namespace

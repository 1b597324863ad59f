// Window streams and the CRC-32 helpers.
#include "XCore.Streams.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "XCore.Errors.h"

namespace {

class CrcStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
};

TOwned<TMemoryStream> Counting(int64_t ACount)
{
    auto Stream = Owned(TMemoryStream::Create());
    for (int64_t I = 0; I < ACount; ++I) {
        auto Byte = static_cast<uint8_t>(I);
        Stream->WriteBuffer(&Byte, 1);
    }
    return Stream;
}

// Records the size of every read, to show how a helper walks a stream.
class TReadLog : public TXStreamWrapper {
    X_CLASS(TReadLog, TXStreamWrapper)
public:
    int64_t Read(void* ABuffer, int64_t ACount) override
    {
        Reads.push_back(ACount);
        return inherited::Read(ABuffer, ACount);
    }
    std::vector<int64_t> Reads;

protected:
    TReadLog() = default;
};

struct TCrcCase {
    const char* Text;
    uint32_t Crc;
};

TEST(Crc32Test, KnownStrings)
{
    const TCrcCase kCases[] = {
        {"", 0},
        {"a", 0xE8B7BE43},
        {"123456789", 0xCBF43926},
        {"The quick brown fox jumps over the lazy dog", 0x414FA339},
    };
    for (const TCrcCase& Case : kCases) {
        uint32_t Crc = 1;
        EXPECT_TRUE(CrcOfBuffer(Crc, Case.Text, static_cast<int64_t>(strlen(Case.Text))));
        EXPECT_EQ(Crc, Case.Crc) << Case.Text;
    }
    EXPECT_EQ(UpdateCrc32(UpdateCrc32(0, "1234", 4), "56789", 5), 0xCBF43926u);
}

TEST_F(CrcStoreTest, StreamRangeReadsInBlocksAndStopsAtTheEnd)
{
    auto Data = Counting(70000);
    auto Log = Owned(TReadLog::Create(Data.get(), soReference));
    uint32_t Crc = 0;
    ASSERT_TRUE(CrcOfStreamRange(Crc, Log.get(), false, 0, 70000));
    EXPECT_EQ(Log->Reads, (std::vector<int64_t>{65536, 4464}));
    EXPECT_EQ(Crc, UpdateCrc32(0, Data->Memory(), 70000));

    ASSERT_TRUE(CrcOfStreamRange(Crc, Data.get(), false, 69990, 100));
    EXPECT_EQ(Crc, UpdateCrc32(0, Data->Memory() + 69990, 10));
    EXPECT_EQ(Data->Position(), 70000);
}

TEST_F(CrcStoreTest, ChecksRecordMismatchesAndClearOnSuccess)
{
    const char kText[] = "123456789";
    EXPECT_FALSE(CheckBufferCrc(0xCBF43927, kText, 9));
    EXPECT_EQ(GetErrorCode(), kErrCrcMismatch);
    EXPECT_TRUE(CheckBufferCrc(0xCBF43926, kText, 9));
    EXPECT_EQ(GetErrorCode(), 0);
    EXPECT_THROW((void)CheckBufferCrc(0, kText, 9, true), EXError);

    auto Data = Counting(10);
    EXPECT_TRUE(CheckStreamCrc(UpdateCrc32(0, Data->Memory(), 10), Data.get()));
    uint32_t Crc = 0;
    EXPECT_FALSE(CrcOfBuffer(Crc, nullptr, 5));
    EXPECT_EQ(GetErrorCode(), kErrCrc);
}

TEST(SubStreamTest, ReadsStopAtTheWindowsEnd)
{
    auto Inner = Counting(100);
    auto Window = Owned(TXSubStream::Create(Inner.get(), soReference, 10, 5));
    Window->SetPosition(0);
    uint8_t Buffer[1000] = {};
    EXPECT_EQ(Window->Read(Buffer, 1000), 5);
    EXPECT_EQ(Buffer[0], 10);
    EXPECT_EQ(Buffer[4], 14);
    EXPECT_EQ(Window->Read(Buffer, 1000), 0);

    EXPECT_EQ(Window->Seek(0, soEnd), 5);
    EXPECT_EQ(Window->Seek(2, soBeginning), 2);
    EXPECT_EQ(Inner->Position(), 12);
    EXPECT_EQ(Window->Seek(1, soCurrent), 3);
}

TEST(SubStreamTest, SizeIsCutToTheInnerStreamAndNeverNegative)
{
    auto Window = Owned(TXSubStream::Create(Counting(50).release(), soOwned, 10, 100));
    EXPECT_EQ(Window->Size(), 40);
    Window->SetSize(-3);
    EXPECT_EQ(Window->Size(), 0);
    EXPECT_EQ(Window->Stream()->Size(), 50);
}

}  // namespace

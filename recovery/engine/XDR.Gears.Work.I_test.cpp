// Card images: the copy with its trailer, unreadable clusters as zeros with their log lines,
// the user's choices in the read-error question, and the ways the job ends early.
#include "XDR.Gears.Work.I.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "../../tests/fixtures/ReadFaults.h"
#include "XCore.IO.Classes.h"
#include "XDR.JobFixture.h"

using namespace XDR::Gears::Work::I;
using namespace XDRTesting;
namespace fs = std::filesystem;

namespace {

constexpr size_t kClusterSize = 32768;
constexpr size_t kCardSize = 1000000;   // 30 whole clusters and one of 16960 bytes

// A FAT16 card of 1 000 000 bytes with 32 KB clusters, every byte but the boot sector's
// numbered (no cluster is all zeros).
TCard FatCard()
{
    TCard Card(kCardSize);
    for (size_t I = 512; I < kCardSize; ++I)
        Card.Bytes[I] = static_cast<uint8_t>(1 + I % 251);
    uint8_t* Boot = Card.Bytes.data();
    Boot[0x0B] = 0x00, Boot[0x0C] = 0x02;                  // 512 bytes per sector
    Boot[0x0D] = 64;                                       // sectors per cluster
    Boot[0x0E] = 1;                                        // reserved sectors
    Boot[0x10] = 2;                                        // FATs
    Boot[0x11] = 0x00, Boot[0x12] = 0x02;                  // root entries
    Boot[0x13] = kCardSize / 512 % 256, Boot[0x14] = kCardSize / 512 / 256;
    Boot[0x16] = 1;                                        // sectors per FAT
    Boot[510] = 0x55, Boot[511] = 0xAA;
    return Card;
}

String Faults(std::initializer_list<int> AClusters, const char* AErrno = "EIO")
{
    String Text;
    for (int C : AClusters)
        Text += (Text.empty() ? "" : ";") + std::to_string(C * kClusterSize) + "-"
                + std::to_string((C + 1) * kClusterSize) + "=" + AErrno;
    return Text;
}

bool AllZeros(const TBytes& ABytes, size_t AFrom, size_t ATo)
{
    return std::all_of(ABytes.begin() + AFrom, ABytes.begin() + ATo, [](uint8_t B) { return B == 0; });
}

// Answers the read-error question from a script, and remembers what it was shown.
struct TScriptedForm {
    std::vector<TXDRClusterErrorReply> Replies;
    std::vector<int64_t> Clusters;
    std::vector<uint8_t> Preselected;
    std::function<void()> OnAsk;
    TXDRClusterErrorReply Show(const TXDRClusterErrorDialog& ADialog)
    {
        Clusters.push_back(ADialog.Cluster());
        Preselected.push_back(ADialog.PreselectedChoice());
        if (OnAsk)
            OnAsk();
        size_t Index = std::min(Clusters.size(), Replies.size()) - 1;
        return Replies[Index];
    }
};

class CardImageTest : public JobTest {
protected:
    void SetUp() override
    {
        JobTest::SetUp();
        TXDRClusterErrorDialog::SetForm(TXDRClusterErrorForm::Bind<&TScriptedForm::Show>(&Form));
    }
    void TearDown() override
    {
        TXDRClusterErrorDialog::SetForm({});
        JobTest::TearDown();
    }
    // Images the card (with AFaults on its reads) and answers the image's bytes.
    TBytes Image(const TCard& ACard, const String& AFaults, const char* AName)
    {
        const std::string Card = ACard.Save(std::string(AName) + ".card");
        const fs::path Image = XTestFixtures::ScratchFolder() / (std::string(AName) + ".bin");
        {
            std::optional<XTestFixtures::TReadFaults> Faults;
            if (!AFaults.empty())
                Faults.emplace(Card, AFaults);
            Run(TXDRDiskImageWorkCommand::Create(Gear, 0, Card, Image.string()));
        }
        return ReadBytes(Image);
    }
    bool Logged(const String& ALine) const
    {
        return std::find(Heard.Log.begin(), Heard.Log.end(), ALine) != Heard.Log.end();
    }

    TScriptedForm Form;
};

TEST_F(CardImageTest, TheImageIsTheCardThenItsDiskInfo)
{
    const TCard Card = FatCard();
    const TBytes Bytes = Image(Card, "", "whole");
    EXPECT_EQ(Heard.EndName, "ImageFile");
    EXPECT_EQ(Heard.EndError.Code, 0);
    ASSERT_GT(Bytes.size(), kCardSize);
    EXPECT_TRUE(std::equal(Card.Bytes.begin(), Card.Bytes.end(), Bytes.begin()));
    EXPECT_EQ(String(Bytes.begin() + kCardSize, Bytes.begin() + kCardSize + 5), "<xml>");
    EXPECT_TRUE(Form.Clusters.empty());
    EXPECT_EQ(Heard.Positions.back(), 1000);
    ASSERT_FALSE(Heard.Log.empty());
    EXPECT_NE(Heard.Log.front().find("whole.bin"), String::npos);

    // Read back, the image knows the card's geometry.
    TOwned<TXFileDiskIO> Disk = Owned(TXFileDiskIO::Create(nullptr));
    ASSERT_TRUE(Disk->Open((XTestFixtures::ScratchFolder() / "whole.bin").string(), kIORead));
    EXPECT_EQ(Disk->DiskInfo().ClusterSize, kClusterSize);
}

TEST_F(CardImageTest, IgnoringErrorsLogsOneRangeAndWritesZeros)
{
    const TCard Card = FatCard();
    Form.Replies = {{kClusterChoiceIgnoreAll, "10"}};
    const TBytes Bytes = Image(Card, Faults({5, 6, 7}), "ignore");
    EXPECT_EQ(Heard.EndError.Code, 0);
    EXPECT_EQ(Form.Clusters, (std::vector<int64_t>{6}));   // counted from 1 in the question
    EXPECT_TRUE(AllZeros(Bytes, 5 * kClusterSize, 8 * kClusterSize));
    EXPECT_TRUE(std::equal(Card.Bytes.begin() + 8 * kClusterSize, Card.Bytes.end(), Bytes.begin() + 8 * kClusterSize));
    EXPECT_TRUE(Logged("Unreadable clusters: 5-7"));
    EXPECT_GT(Bytes.size(), kCardSize);
}

TEST_F(CardImageTest, SkippingNClustersDoesNotReadThemAndAsksAgainLater)
{
    const TCard Card = FatCard();
    Form.Replies = {{kClusterChoiceSkipN, "3"}, {kClusterChoiceSkipOne, "3"}};
    const TBytes Bytes = Image(Card, Faults({2, 20}), "skipn");
    EXPECT_EQ(Heard.EndError.Code, 0);
    EXPECT_EQ(Form.Clusters, (std::vector<int64_t>{3, 21}));
    EXPECT_EQ(Form.Preselected, (std::vector<uint8_t>{kClusterChoiceIgnoreAll, kClusterChoiceSkipN}));
    EXPECT_TRUE(AllZeros(Bytes, 2 * kClusterSize, 5 * kClusterSize));   // 3 and 4 were readable
    EXPECT_TRUE(std::equal(Card.Bytes.begin() + 5 * kClusterSize, Card.Bytes.begin() + 20 * kClusterSize,
                           Bytes.begin() + 5 * kClusterSize));
    EXPECT_TRUE(Logged("Unreadable cluster: 2"));
    EXPECT_TRUE(Logged("Skipped clusters: 2-4"));
    EXPECT_TRUE(Logged("Unreadable cluster: 20"));
}

// An image that is not whole never takes the file's name, and leaves no temporary file.
TEST_F(CardImageTest, EndingEarlyLeavesNoImage)
{
    struct TCase {
        const char* Name;
        const char* Errno;
        uint8_t Choice;
        int32_t Code;
    };
    for (const TCase& Case : {TCase{"finish", "EIO", kClusterChoiceFinish, kErrImageFinishedByUser},
                              TCase{"removed", "ENODEV", kClusterChoiceIgnoreAll, 11}}) {
        SCOPED_TRACE(Case.Name);
        Form.Replies = {{Case.Choice, "10"}};
        // Cluster 8 starts a read window: a card that is gone fails the whole window at once.
        const TBytes Bytes = Image(FatCard(), Faults({8}, Case.Errno), Case.Name);
        EXPECT_EQ(Heard.EndError.Code, Case.Code);
        EXPECT_FALSE(fs::exists(XTestFixtures::ScratchFolder() / (std::string(Case.Name) + ".bin")));
        EXPECT_TRUE(Bytes.empty());
    }
    EXPECT_TRUE(Logged("Reading interrupted at cluster: 7"));
    for (const auto& Entry : fs::directory_iterator(XTestFixtures::ScratchFolder()))
        EXPECT_EQ(Entry.path().string().find(".~tmp"), std::string::npos) << Entry.path();
}

TEST_F(CardImageTest, ACancelLeavesNoImageAndSaysWhere)
{
    Form.Replies = {{kClusterChoiceSkipOne, "10"}};
    Form.OnAsk = [this] { CancelFromTheWizard(); };
    const TBytes Bytes = Image(FatCard(), Faults({4}), "cancel");
    EXPECT_EQ(Heard.EndError.Code, kErrCancelled);
    EXPECT_TRUE(Bytes.empty());
    EXPECT_TRUE(Logged("Reading interrupted at cluster: 4"));
    EXPECT_TRUE(Logged("Unreadable cluster: 4"));
}

TEST(ClusterErrorDialogTest, TheFormsAnswerIsReadSafely)
{
    struct TCase {
        TXDRClusterErrorReply Reply;
        uint8_t Choice;
        int64_t SkipCount;
    };
    const TCase Cases[] = {{{kClusterChoiceSkipN, " 7 "}, kClusterChoiceSkipN, 7},
                           {{kClusterChoiceSkipN, "ten"}, kClusterChoiceSkipN, 1},
                           {{kClusterChoiceSkipN, "0"}, kClusterChoiceSkipN, 1},
                           {{kClusterChoiceFinish, "-5"}, kClusterChoiceFinish, 1},
                           {{9, "4"}, kClusterChoiceIgnoreAll, 4}};
    struct TFixed {
        TXDRClusterErrorReply Reply;
        TXDRClusterErrorReply Show(const TXDRClusterErrorDialog&) { return Reply; }
    } Form;
    TXDRClusterErrorDialog::SetForm(TXDRClusterErrorForm::Bind<&TFixed::Show>(&Form));
    TOwned<TXDRClusterErrorDialog> Dialog = Owned(TXDRClusterErrorDialog::Create());
    for (const TCase& Case : Cases) {
        Form.Reply = Case.Reply;
        Dialog->Execute();
        EXPECT_EQ(Dialog->Choice(), Case.Choice);
        EXPECT_EQ(Dialog->SkipCount(), Case.SkipCount);
    }
    TXDRClusterErrorDialog::SetForm({});
    Dialog->Execute();   // no form: ignore all, the count kept
    EXPECT_EQ(Dialog->Choice(), kClusterChoiceIgnoreAll);
    EXPECT_EQ(Dialog->SkipCount(), 4);
}

}  // namespace

// The current-user hive: keys and values without regard to case, listing order, types,
// recursive deletion, read-only keys, and the file shared with other processes.
#include "Win.Registry.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "Rtl.Files.h"
#include "Win.TestEnvironment.h"

namespace {

class RegistryTest : public ::testing::Test {
protected:
    TTestHome FHome;
    TOwned<TRegistry> FReg = Owned(TRegistry::Create());
};

TEST_F(RegistryTest, KeysAndValuesIgnoreLetterCase)
{
    ASSERT_TRUE(FReg->OpenKey("\\Software\\Norvale\\QLN7\\", true));
    EXPECT_EQ(FReg->CurrentPath(), "Software\\Norvale\\QLN7");
    FReg->WriteString("DataFolder", "C:\\x\\");
    FReg->WriteInteger("LgID", 0x0407);
    FReg->CloseKey();

    ASSERT_TRUE(FReg->OpenKey("software\\NORVALE\\qln7", false));
    EXPECT_EQ(FReg->ReadString("datafolder"), "C:\\x\\");
    EXPECT_EQ(FReg->ReadInteger("LGID"), 0x0407);
    EXPECT_EQ(FReg->GetDataType("LgID"), rdInteger);
    EXPECT_EQ(FReg->GetDataType("DataFolder"), rdString);
    EXPECT_EQ(FReg->GetDataType("Missing"), rdUnknown);
    // Rewriting a value keeps its place and takes the new type.
    FReg->WriteString("lgid", "9");
    auto Names = Owned(TStringList::Create());
    FReg->GetValueNames(Names.get());
    EXPECT_EQ(Names->CommaText(), "DataFolder,LgID");
    EXPECT_EQ(FReg->ReadString("LgID"), "9");
    EXPECT_TRUE(FReg->KeyExists("\\SOFTWARE"));
    EXPECT_FALSE(FReg->OpenKey("\\Software\\Other", false));
}

TEST_F(RegistryTest, SubKeysListInTextOrderAndOpenRelatively)
{
    ASSERT_TRUE(FReg->OpenKey("Settings", true));
    for (const char* Name : {"Item2", "item10", "Item1", "Beta"})
        ASSERT_TRUE(FReg->CreateKey(Name));
    auto Names = Owned(TStringList::Create());
    Names->Add("cleared first");
    FReg->GetKeyNames(Names.get());
    EXPECT_EQ(Names->CommaText(), "Beta,Item1,item10,Item2");
    EXPECT_TRUE(FReg->HasSubKeys());
    ASSERT_TRUE(FReg->OpenKey("ITEM2", false));   // relative to the open key
    EXPECT_EQ(FReg->CurrentPath(), "Settings\\ITEM2");   // the path as it was asked for
}

TEST_F(RegistryTest, ReadsOfMissingOrMistypedValues)
{
    ASSERT_TRUE(FReg->OpenKey("K", true));
    FReg->WriteString("Text", "abc");
    EXPECT_EQ(FReg->ReadString("Missing"), "");
    EXPECT_THROW(FReg->ReadInteger("Missing"), ERegistryException);
    EXPECT_THROW(FReg->ReadInteger("Text"), ERegistryException);
    FReg->WriteInteger("Number", -1);
    EXPECT_EQ(FReg->ReadInteger("Number"), -1);
    EXPECT_THROW(FReg->ReadString("Number"), ERegistryException);
    EXPECT_TRUE(FReg->DeleteValue("text"));
    EXPECT_FALSE(FReg->DeleteValue("text"));
    EXPECT_FALSE(FReg->ValueExists("Text"));
}

TEST_F(RegistryTest, DeleteKeyTakesEverythingBelow)
{
    ASSERT_TRUE(FReg->OpenKey("\\A\\B\\C", true));
    FReg->WriteString("v", "1");
    FReg->CloseKey();
    EXPECT_TRUE(FReg->DeleteKey("\\a\\b"));
    EXPECT_TRUE(FReg->KeyExists("\\A"));
    EXPECT_FALSE(FReg->KeyExists("\\A\\B"));
    EXPECT_FALSE(FReg->KeyExists("\\A\\B\\C"));
    EXPECT_FALSE(FReg->DeleteKey("\\A\\B"));
}

TEST_F(RegistryTest, ReadOnlyKeysAndOtherRootsRefuseWrites)
{
    ASSERT_TRUE(FReg->OpenKey("K", true));
    FReg->WriteString("v", "1");
    FReg->CloseKey();
    ASSERT_TRUE(FReg->OpenKeyReadOnly("K"));
    EXPECT_EQ(FReg->ReadString("v"), "1");
    EXPECT_THROW(FReg->WriteString("v", "2"), ERegistryException);
    EXPECT_FALSE(FReg->OpenKeyReadOnly("Missing"));
    FReg->SetRootKey(HKEY_CLASSES_ROOT);
    EXPECT_FALSE(FReg->OpenKey("K", true));
}

TEST_F(RegistryTest, TextsKeepEveryCharacterAcrossTheFile)
{
    const String Awkward = "tab\there%25\r\nline two\\ \"quoted\" \xC3\xA4";
    ASSERT_TRUE(FReg->OpenKey("K\t%", true));
    FReg->WriteString(Awkward, Awkward);
    // Another process changes the file: this one reads the change, and its own next write
    // keeps it.
    pid_t Child = fork();
    if (Child == 0) {
        TOwned<TRegistry> Other = Owned(TRegistry::Create());
        bool Ok = Other->OpenKey("\\Shared", true);
        Other->WriteInteger("FromChild", 7);
        _exit(Ok ? 0 : 1);
    }
    int Status = 0;
    ASSERT_EQ(waitpid(Child, &Status, 0), Child);
    ASSERT_EQ(WEXITSTATUS(Status), 0);
    FReg->WriteString("After", "x");

    SetRegistryFile(RegistryFile() + ".copy");   // a fresh hive, then back: the file is read again
    EXPECT_FALSE(FReg->KeyExists("\\Shared"));
    SetRegistryFile(String());
    ASSERT_TRUE(FReg->OpenKey("\\Shared", false));
    EXPECT_EQ(FReg->ReadInteger("FromChild"), 7);
    ASSERT_TRUE(FReg->OpenKey("\\K\t%", false));
    EXPECT_EQ(FReg->ReadString(Awkward), Awkward);
    EXPECT_EQ(FReg->ReadString("After"), "x");
    EXPECT_FALSE(FileExists(RegistryFile() + ".tmp"));
    EXPECT_EQ(RegistryFile(), FHome.Root() + "/.config/norvale/registry");
}

// What a hand-edited or damaged file holds reads the same after one save as after two: a "\"
// in a key's name stays in that key, a value named twice is one value, the last one written.
TEST(RegistryTextTest, AFileReadsTheSameOnceItIsSaved)
{
    const struct {
        const char* Text;
        const char* Saved;
    } kCases[] = {
        {"XREGISTRY 1\nK\ta%5Cb\\c\nS\tv\t1\n", "XREGISTRY 1\nK\t\nK\ta%5Cb\nK\ta%5Cb\\c\nS\tv\t1\n"},
        {"XREGISTRY 1\nK\tk\nS\tv\tfirst\nD\tV\t7\nS\tw\tx\n", "XREGISTRY 1\nK\t\nK\tk\nD\tV\t7\nS\tw\tx\n"},
        {"XREGISTRY 1\nS\ta\\b\tc%41%4\n", "XREGISTRY 1\nK\t\nS\ta\\b\tcA%254\n"},
        {"no header\nK\tk\n", "XREGISTRY 1\nK\t\n"},
    };
    for (const auto& Case : kCases) {
        String Saved = NormalizeRegistryText(Case.Text);
        EXPECT_EQ(Saved, Case.Saved) << Case.Text;
        EXPECT_EQ(NormalizeRegistryText(Saved), Saved) << Case.Text;
    }
}

}  // namespace

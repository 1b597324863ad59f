// The MIME database: types of extensions and the icon names of types.
#include "Win.MimeApps.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>

#include "Win.Folders.h"
#include "Win.Registry.h"
#include "Win.TestEnvironment.h"
#include "Win.Version.h"
#include "Win.Volumes.h"

namespace {

class MimeDatabaseTest : public ::testing::Test {
protected:
    MimeDatabaseTest()
    {
        Home.Set("XDG_DATA_DIRS", Home.Root() + "/share");
        Write("share/mime/globs2", "# weight:type:glob\n50:image/x-low:*.jpg\n60:image/jpeg:*.jpg\n50:text/plain:*.txt\n");
        Write("share/mime/icons", "image/jpeg:photo-icon\n");
        Write("share/mime/generic-icons", "image/jpeg:image-generic-one\ntext/plain:text-x-generic\n");
    }
    void Write(const String& AName, const String& AText)
    {
        std::filesystem::path Path = Home.Root() + "/" + AName;
        std::filesystem::create_directories(Path.parent_path());
        std::ofstream(Path) << AText;
    }
    TTestHome Home;
};

TEST_F(MimeDatabaseTest, TypesComeFromTheHeaviestGlob)
{
    EXPECT_EQ(GetMimeTypeOfExtension(".JPG"), "image/jpeg");
    EXPECT_EQ(GetMimeTypeOfExtension(".txt"), "text/plain");
    EXPECT_EQ(GetMimeTypeOfExtension(".nothing"), "");
    // The user's own data folder comes first.
    Write(".local/share/mime/globs2", "10:image/x-mine:*.jpg\n");
    EXPECT_EQ(GetMimeTypeOfExtension(".jpg"), "image/x-mine");
}

TEST_F(MimeDatabaseTest, IconNamesRunFromTheTypesOwnToItsMediasGeneric)
{
    const std::vector<String> Jpeg{"photo-icon", "image-jpeg", "image-generic-one", "image-x-generic"};
    EXPECT_EQ(GetMimeTypeIconNames("image/jpeg"), Jpeg);
    const std::vector<String> Text{"text-plain", "text-x-generic"};
    EXPECT_EQ(GetMimeTypeIconNames("text/plain"), Text);
    EXPECT_TRUE(GetMimeTypeIconNames("").empty());
}

// Runs ARead, which must not wait on the FIFO at AFifo. When it does, a writer opened on the
// FIFO lets it go before the test fails, so that no thread is left blocked.
testing::AssertionResult ReturnsWithoutWaiting(const std::string& AFifo, const std::function<void()>& ARead)
{
    auto Done = std::async(std::launch::async, ARead);
    if (Done.wait_for(std::chrono::seconds(60)) == std::future_status::ready)
        return testing::AssertionSuccess();
    int Writer = ::open(AFifo.c_str(), O_WRONLY | O_NONBLOCK);
    Done.wait();
    if (Writer >= 0)
        ::close(Writer);
    return testing::AssertionFailure() << "the reader waited on the FIFO " << AFifo;
}

// A FIFO where the desktop's or our own files are expected (planted, or left by a tool) must
// not stop the program: each reader takes it for a missing file, or refuses it with a reason.
TEST_F(MimeDatabaseTest, FifosInPlaceOfTheFilesWeReadAreNeverWaitedOn)
{
    auto Fifo = [&](const String& AName) {
        std::filesystem::path Path = Home.Root() + "/" + AName;
        std::filesystem::create_directories(Path.parent_path());
        std::filesystem::remove(Path);
        EXPECT_EQ(::mkfifo(Path.c_str(), 0600), 0) << AName;
        return Path.string();
    };
    Home.Set("XDG_CONFIG_DIRS", Home.Root() + "/etc");
    Write("share/applications/viewer.desktop", "[Desktop Entry]\nExec=viewer %U\n");
    Write("etc/mimeapps.list", "[Default Applications]\nimage/png=viewer.desktop\n");
    String Command;
    EXPECT_TRUE(ReturnsWithoutWaiting(Fifo(".config/mimeapps.list"), [&] { Command = GetDefaultOpenCommand("image/png"); }));
    EXPECT_EQ(Command, "viewer %U");   // the lists after the FIFO still count
    EXPECT_TRUE(ReturnsWithoutWaiting(Fifo("share/mime/globs2"), [&] { Command = GetMimeTypeOfExtension(".jpg"); }));
    EXPECT_EQ(Command, "");
    String Pictures;
    EXPECT_TRUE(ReturnsWithoutWaiting(Fifo(".config/user-dirs.dirs"),
                                      [&] { Pictures = SHGetSpecialFolderPath(CSIDL_MYPICTURES, true); }));
    EXPECT_EQ(Pictures, Home.Root() + "/Pictures/");
    bool Read = true;
    EXPECT_TRUE(ReturnsWithoutWaiting(Fifo(".config/norvale/registry"), [&] {
        auto Registry = Owned(TRegistry::Create());
        Read = Registry->KeyExists("\\Software");
    }));
    EXPECT_FALSE(Read);
    VS_FIXEDFILEINFO Info;
    String Program = Fifo("program");
    EXPECT_TRUE(ReturnsWithoutWaiting(Program, [&] { Read = GetFileVersionInfo(Program, Info); }));
    EXPECT_FALSE(Read);
    int Errno = 0;
    int Volume = kInvalidVolume;
    EXPECT_TRUE(ReturnsWithoutWaiting(Program, [&] { Volume = OpenVolume(Program, false, Errno); }));
    EXPECT_EQ(Volume, kInvalidVolume);
    CloseVolume(Volume);
    EXPECT_NE(VolumeErrorText(Program, Errno).find("neither a card image file nor a device"), String::npos);
}

// Application ids come from a list anyone can edit: one that leads out of the applications
// folder names no application.
TEST_F(MimeDatabaseTest, ApplicationIdsNameFilesOfTheApplicationsFolderOnly)
{
    Write("share/secret.desktop", "[Desktop Entry]\nExec=outside\n");
    Write("share/applications/viewer.desktop", "[Desktop Entry]\nExec=viewer %f\n");
    Write(".config/mimeapps.list", "[Default Applications]\nimage/png=../secret.desktop;viewer.desktop\n"
                                   "image/gif=../secret.desktop\n");
    EXPECT_EQ(GetDefaultOpenCommand("image/png"), "viewer %f");
    EXPECT_EQ(GetDefaultOpenCommand("image/gif"), "");
}

}  // namespace

// The MIME database: types of extensions and the icon names of types.
#include "Win.MimeApps.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "Win.TestEnvironment.h"

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

}  // namespace

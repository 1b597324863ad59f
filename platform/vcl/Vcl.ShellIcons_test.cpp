// System icons: theme lookup by name and size, inheritance, drawn stand-ins, one image per icon.
#include "Vcl.ShellIcons.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "Vcl.Imaging.PngImage.h"
#include "Vcl.TestImages.h"
#include "Win.TestEnvironment.h"

namespace {

void WriteText(const String& AFileName, const String& AText)
{
    std::filesystem::create_directories(std::filesystem::path(AFileName).parent_path());
    std::ofstream(AFileName) << AText;
}

void WritePng(const String& AFileName, int ASide, TColor AColor)
{
    auto Png = Owned(TPngImage::Create());
    Png->CreateBlank(COLOR_RGBALPHA, 8, ASide, ASide);
    for (int Y = 0; Y < ASide; ++Y) {
        auto* Row = static_cast<uint8_t*>(Png->Scanline(Y));
        for (int X = 0; X < ASide; ++X) {
            Row[3 * X] = GetBValue(AColor);
            Row[3 * X + 1] = GetGValue(AColor);
            Row[3 * X + 2] = GetRValue(AColor);
        }
        std::fill_n(Png->AlphaScanline(Y), ASide, uint8_t(255));
    }
    std::filesystem::create_directories(std::filesystem::path(AFileName).parent_path());
    Png->SaveToFile(AFileName);
}

// A private home whose only data folder holds the MIME globs; themes are added per test.
// The system lists live as long as the process, so each test asks at a size of its own.
class SystemIconsTest : public ::testing::Test {
protected:
    SystemIconsTest()
    {
        Home.Set("XDG_DATA_DIRS", Home.Root() + "/share");
        WriteText(Home.Root() + "/share/mime/globs2", "50:image/jpeg:*.jpg\n");
    }
    String Icons() const { return Home.Root() + "/share/icons/"; }
    int Index(const String& APath) { return GetSystemIconIndex(APath, Size); }
    TColor CentreOf(int AIndex)
    {
        auto List = Owned(TImageList::Create(nullptr));
        List->SetHandle(GetSystemImageList(Size));
        auto Image = Owned(TBitmap::Create());
        List->GetBitmap(AIndex, Image.get());
        EXPECT_EQ(Image->Width(), Size);
        return PixelAt(Image.get(), Size / 2, Size / 2);
    }
    int Count() { return int(GetSystemImageList(Size)->Images.size()); }

    TTestHome Home;
    int Size = 0;
};

TEST_F(SystemIconsTest, ThemeIconsAreFoundByNameSizeAndInheritance)
{
    Size = 16;
    // The two themes inherit each other: the walk must end all the same.
    WriteText(Icons() + "Adwaita/index.theme",
              "[Icon Theme]\nInherits=Parent\nDirectories=16x16/places,48x48/places\n"
              "[16x16/places]\nSize=16\nType=Fixed\n[48x48/places]\nSize=48\nType=Fixed\n");
    WriteText(Icons() + "Parent/index.theme",
              "[Icon Theme]\nInherits=Adwaita\nDirectories=32x32/mimetypes\n[32x32/mimetypes]\nSize=32\nType=Fixed\n");
    WritePng(Icons() + "Adwaita/16x16/places/folder.png", 16, clRed);
    WritePng(Icons() + "Adwaita/48x48/places/folder.png", 48, clLime);
    WritePng(Icons() + "Parent/32x32/mimetypes/image-x-generic.png", 32, clBlue);

    int Folder = Index(Home.Root());
    EXPECT_EQ(CentreOf(Folder), clRed);   // the 16 pixel icon, not the 48 one
    int Picture = Index(Home.Root() + "/no such.jpg");
    EXPECT_EQ(CentreOf(Picture), clBlue);   // the type's generic icon, from the parent theme
    int Before = Count();
    EXPECT_EQ(Index(Home.Root() + "/tmp"), Folder);
    EXPECT_EQ(Index("C:\\Photos\\IMG_0001.JPG"), Picture);
    EXPECT_EQ(Count(), Before);

    // Neither a drive nor an untyped file has a theme icon here: they are drawn.
    int Drive = Index("/");
    int Document = Index(Home.Root() + "/readme");
    EXPECT_NE(Drive, Folder);
    EXPECT_NE(Document, Drive);
    EXPECT_EQ(Count(), Before + 2);
}

TEST_F(SystemIconsTest, WithoutAThemeFoldersAndDocumentsAreDrawn)
{
    Size = 20;
    // A theme whose icon cannot be read is no theme icon at all.
    WriteText(Icons() + "Adwaita/index.theme", "[Icon Theme]\nDirectories=places\n[places]\nSize=20\n");
    WriteText(Icons() + "Adwaita/places/folder.png", "not a picture");

    int Folder = Index(Home.Root());
    int Document = Index(Home.Root() + "/photo.jpg");
    EXPECT_EQ(Index("/"), Folder);   // a drive falls back to the drawn folder
    EXPECT_EQ(Index(Home.Root() + "/notes.txt"), Document);
    EXPECT_EQ(Count(), 2);
    TColor FolderColour = CentreOf(Folder);
    EXPECT_GT(GetRValue(FolderColour), GetBValue(FolderColour));   // yellow
    EXPECT_EQ(CentreOf(Document), clWhite);

    auto List = Owned(TImageList::Create(nullptr));
    List->SetHandle(GetSystemImageList(Size));
    auto Image = Owned(TBitmap::Create());
    List->GetBitmap(Document, Image.get());
    EXPECT_EQ(static_cast<const uint8_t*>(Image->ScanLine(0))[3], 0);   // transparent around
}

}  // namespace

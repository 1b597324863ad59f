// Vcl.ShellIcons.cpp: icon lookup after the freedesktop icon theme rules (the desktop's theme,
// the themes it inherits, then "hicolor"; the directory of the asked size, else the nearest),
// PNG icons only: scalable SVG directories hold nothing we can load.
#include "Vcl.ShellIcons.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <map>
#include <set>

#include "Rtl.Files.h"
#include "Rtl.SafeFiles.h"
#include "Rtl.SysUtils.h"
#include "Vcl.Imaging.PngImage.h"
#include "Win.Folders.h"
#include "Win.MimeApps.h"

namespace {

// ---- What a path shows -----------------------------------------------------------------

enum class TDrawnIcon { Folder, Document };

struct TIconRequest {
    std::vector<String> Names;   // theme icon names, best first
    TDrawnIcon Fallback = TDrawnIcon::Document;
};

String FirstLine(const String& AFileName)
{
    std::istringstream In;
    try {
        In.str(ReadSmallFile(AFileName));
    } catch (const EStreamError&) {
        return String();
    }
    String Line;
    std::getline(In, Line);
    return Trim(Line);
}

// sysfs marks removable disks; a partition's mark sits on its disk, one folder up.
bool IsRemovableDevice(dev_t ADevice)
{
    String Folder = "/sys/dev/block/" + IntToStr(int(major(ADevice))) + ":" + IntToStr(int(minor(ADevice))) + "/";
    String Mark = FirstLine(Folder + "removable");
    if (Mark.empty())
        Mark = FirstLine(Folder + "../removable");
    return Mark == "1";
}

// A mount point lies on another device than its parent; "/" is its own parent.
bool IsMountPoint(const String& AFolder, struct stat& AInfo)
{
    struct stat Parent {};
    if (stat(AFolder.c_str(), &AInfo) != 0 || stat((AFolder + "/..").c_str(), &Parent) != 0)
        return false;
    return AInfo.st_dev != Parent.st_dev || AInfo.st_ino == Parent.st_ino;
}

TIconRequest IconRequestOf(const String& APath)
{
    String Path = NativePath(APath);
    if (DirectoryExists(Path)) {
        struct stat Info {};
        if (IsMountPoint(Path, Info))
            return {{IsRemovableDevice(Info.st_dev) ? "drive-removable-media" : "drive-harddisk"}, TDrawnIcon::Folder};
        return {{"folder"}, TDrawnIcon::Folder};
    }
    String Extension = ExtractFileExt(Path);
    TIconRequest Request{Extension.empty() ? std::vector<String>() : GetMimeTypeIconNames(GetMimeTypeOfExtension(Extension)),
                         TDrawnIcon::Document};
    Request.Names.push_back("application-x-generic");
    return Request;
}

// ---- Icon themes -----------------------------------------------------------------------

struct TThemeDirectory {
    String Name;
    String Type = "Threshold";
    int Size = 0, MinSize = 0, MaxSize = 0, Threshold = 2;
};

struct TIconTheme {
    String Name;
    std::vector<String> Inherits;
    std::vector<TThemeDirectory> Directories;
};

using TIniGroups = std::map<String, std::map<String, String>>;

// A file that is missing or no regular file (a FIFO must not stop the program) has no groups.
TIniGroups ReadIniFile(const String& AFileName)
{
    TIniGroups Groups;
    std::istringstream In;
    try {
        In.str(ReadSmallFile(AFileName));
    } catch (const EStreamError&) {
        return Groups;
    }
    String Group;
    for (String Line; std::getline(In, Line);) {
        Line = Trim(Line);
        size_t Equals = Line.find('=');
        if (!Line.empty() && Line.front() == '[' && Line.back() == ']')
            Group = Line.substr(1, Line.size() - 2);
        else if (!Line.empty() && Line.front() != '#' && Equals != String::npos)
            Groups[Group][Trim(Line.substr(0, Equals))] = Trim(Line.substr(Equals + 1));
    }
    return Groups;
}

std::vector<String> SplitCommas(const String& AText)
{
    std::vector<String> Items;
    for (size_t Start = 0; Start <= AText.size();) {
        size_t End = std::min(AText.find(',', Start), AText.size());
        if (End > Start)
            Items.push_back(Trim(AText.substr(Start, End - Start)));
        Start = End + 1;
    }
    return Items;
}

// Where themes live: ~/.icons, then "icons" in every data folder.
std::vector<String> IconBaseFolders()
{
    std::vector<String> Folders;
    if (const char* Home = std::getenv("HOME"); Home != nullptr && *Home != '\0')
        Folders.push_back(IncludeTrailingPathDelimiter(Home) + ".icons/");
    for (const String& Folder : GetDataFolders())
        Folders.push_back(Folder + "icons/");
    return Folders;
}

// A theme's name comes from the desktop's settings or another theme: it names a folder of
// the icon folders and nothing outside them.
bool ReadTheme(const String& AName, TIconTheme& ATheme)
{
    if (!IsPlainFileName(AName))
        return false;
    for (const String& Base : IconBaseFolders()) {
        if (!FileExists(Base + AName + "/index.theme"))
            continue;
        TIniGroups Groups = ReadIniFile(Base + AName + "/index.theme");
        ATheme = {AName, SplitCommas(Groups["Icon Theme"]["Inherits"]), {}};
        for (const String& Name : SplitCommas(Groups["Icon Theme"]["Directories"])) {
            auto& Keys = Groups[Name];
            TThemeDirectory Directory{Name, Keys.count("Type") ? Keys["Type"] : "Threshold", StrToIntDef(Keys["Size"], 0)};
            Directory.MinSize = StrToIntDef(Keys["MinSize"], Directory.Size);
            Directory.MaxSize = StrToIntDef(Keys["MaxSize"], Directory.Size);
            Directory.Threshold = StrToIntDef(Keys["Threshold"], 2);
            ATheme.Directories.push_back(Directory);
        }
        return true;
    }
    return false;
}

// The theme the desktop chose in GTK's settings, else GNOME's default.
String DesktopThemeName()
{
    String Name = ReadIniFile(GetUserConfigFolder() + "gtk-3.0/settings.ini")["Settings"]["gtk-icon-theme-name"];
    return Name.empty() ? "Adwaita" : Name;
}

// The desktop's theme and its ancestors, depth first, each once (inheritance may loop), then
// "hicolor", which every theme falls back to.
std::vector<TIconTheme> ThemeChain()
{
    std::vector<TIconTheme> Chain;
    std::set<String> Seen;
    std::vector<String> Pending{"hicolor", DesktopThemeName()};
    while (!Pending.empty()) {
        String Name = Pending.back();
        Pending.pop_back();
        TIconTheme Theme;
        if (!Seen.insert(Name).second || !ReadTheme(Name, Theme))
            continue;
        for (auto It = Theme.Inherits.rbegin(); It != Theme.Inherits.rend(); ++It)
            Pending.push_back(*It);
        Chain.push_back(std::move(Theme));
    }
    return Chain;
}

int SizeDistance(const TThemeDirectory& ADirectory, int ASize)
{
    int Low = ADirectory.Size, High = ADirectory.Size;
    if (ADirectory.Type == "Scalable") {
        Low = ADirectory.MinSize;
        High = ADirectory.MaxSize;
    } else if (ADirectory.Type == "Threshold") {
        Low = ADirectory.Size - ADirectory.Threshold;
        High = ADirectory.Size + ADirectory.Threshold;
    }
    return ASize < Low ? Low - ASize : ASize > High ? ASize - High : 0;
}

// The PNG of AName in the theme's directory nearest to ASize; "" when the theme has none.
String FindInTheme(const TIconTheme& ATheme, const String& AName, int ASize)
{
    String Best;
    int BestDistance = 0;
    for (const TThemeDirectory& Directory : ATheme.Directories)
        for (const String& Base : IconBaseFolders()) {
            String File = Base + ATheme.Name + "/" + Directory.Name + "/" + AName + ".png";
            int Distance = SizeDistance(Directory, ASize);
            if ((Best.empty() || Distance < BestDistance) && FileExists(File)) {
                Best = File;
                BestDistance = Distance;
            }
        }
    return Best;
}

// ---- Pictures --------------------------------------------------------------------------

// Straight-alpha pixels of a 32-bit bitmap, blue first.
void PutPixel(TBitmap* ABitmap, int AX, int AY, TColor AColor)
{
    auto* Pixel = static_cast<uint8_t*>(ABitmap->ScanLine(AY)) + 4 * AX;
    Pixel[0] = GetBValue(AColor);
    Pixel[1] = GetGValue(AColor);
    Pixel[2] = GetRValue(AColor);
    Pixel[3] = 255;
}

// A rectangle given in sixteenths of the icon's side, outlined in ABorder.
void FillBox(TBitmap* ABitmap, int ALeft, int ATop, int ARight, int ABottom, TColor AFill, TColor ABorder)
{
    int Side = ABitmap->Width();
    int L = ALeft * Side / 16, T = ATop * Side / 16, R = std::max(L + 1, ARight * Side / 16), B = std::max(T + 1, ABottom * Side / 16);
    for (int Y = T; Y < B; ++Y)
        for (int X = L; X < R; ++X)
            PutPixel(ABitmap, X, Y, X == L || X == R - 1 || Y == T || Y == B - 1 ? ABorder : AFill);
}

// A sheet with its top right corner folded down, or a folder with a tab.
TOwned<TBitmap> DrawIcon(TDrawnIcon AIcon, int ASize)
{
    auto Bitmap = Owned(TBitmap::Create());
    Bitmap->SetPixelFormat(pf32bit);
    Bitmap->SetSize(ASize, ASize);
    for (int Y = 0; Y < ASize; ++Y)
        std::fill_n(static_cast<uint8_t*>(Bitmap->ScanLine(Y)), 4 * ASize, uint8_t(0));
    if (AIcon == TDrawnIcon::Folder) {
        FillBox(Bitmap.get(), 1, 3, 7, 5, RGB(0xD9, 0xA4, 0x2A), RGB(0x9C, 0x6E, 0x12));
        FillBox(Bitmap.get(), 1, 4, 15, 14, RGB(0xF2, 0xC2, 0x4B), RGB(0x9C, 0x6E, 0x12));
    } else {
        FillBox(Bitmap.get(), 3, 1, 13, 15, clWhite, RGB(0x80, 0x80, 0x80));
        int Fold = std::max(1, 4 * ASize / 16), Right = std::max(1, 13 * ASize / 16), Top = ASize / 16;
        for (int Y = 0; Y < Fold; ++Y)
            for (int X = 0; X < Fold; ++X) {
                auto* Pixel = static_cast<uint8_t*>(Bitmap->ScanLine(Top + Y)) + 4 * (Right - Fold + X);
                if (X > Y)
                    Pixel[3] = 0;   // the corner folded away
                else
                    PutPixel(Bitmap.get(), Right - Fold + X, Top + Y, X == Y || Y == Fold - 1 ? RGB(0x80, 0x80, 0x80) : RGB(0xD0, 0xD0, 0xD0));
            }
    }
    Bitmap->SetAlphaFormat(afDefined);
    return Bitmap;
}

// ---- The shared lists ------------------------------------------------------------------

class TSystemIcons {
public:
    explicit TSystemIcons(int ASize) : FList(Owned(TImageList::Create(nullptr)))
    {
        FList->SetSize(ASize, ASize);
        FList->SetColorDepth(cd32Bit);
        FList->SetDrawingStyle(dsTransparent);
    }
    HIMAGELIST Handle() const { return FList->Handle(); }
    int IndexOf(const TIconRequest& ARequest);

private:
    int AddThemeIcon(const String& AFile);
    int Remember(const String& AKey, int AIndex) { return FIndexOfKey[AKey] = AIndex; }

    TOwned<TImageList> FList;
    std::map<String, int> FIndexOfKey;   // by the request's first name, and by icon file
};

// -1 when the file is no PNG we can read; the next name is tried then.
int TSystemIcons::AddThemeIcon(const String& AFile)
{
    try {
        auto Png = Owned(TPngImage::Create());
        Png->LoadFromFile(AFile);
        auto Bitmap = Owned(TBitmap::Create());
        Png->AssignTo(Bitmap.get());
        auto Icon = Owned(TIcon::Create());
        Icon->Assign(Bitmap.get());
        return FList->AddIcon(Icon.get());
    } catch (const Exception&) {
        return -1;
    }
}

int TSystemIcons::IndexOf(const TIconRequest& ARequest)
{
    const String& First = ARequest.Names.front();
    if (auto Known = FIndexOfKey.find(First); Known != FIndexOfKey.end())
        return Known->second;
    for (const String& Name : ARequest.Names)
        for (const String& File : GetThemeIconFiles(Name, FList->Width())) {
            if (auto Known = FIndexOfKey.find(File); Known != FIndexOfKey.end())
                return Remember(First, Known->second);
            if (int Index = AddThemeIcon(File); Index >= 0)
                return Remember(First, Remember(File, Index));
        }
    String Drawn = ARequest.Fallback == TDrawnIcon::Folder ? ":folder" : ":document";
    if (auto Known = FIndexOfKey.find(Drawn); Known == FIndexOfKey.end())
        Remember(Drawn, FList->Add(DrawIcon(ARequest.Fallback, FList->Width()).get(), nullptr));
    return Remember(First, FIndexOfKey[Drawn]);
}

TSystemIcons& SystemIcons(int ASize)
{
    static std::map<int, TSystemIcons> GLists;
    ASize = std::max(1, ASize);
    return GLists.try_emplace(ASize, ASize).first->second;
}

}  // namespace

std::vector<String> GetThemeIconFiles(const String& AName, int ASize)
{
    std::vector<String> Files;
    for (const TIconTheme& Theme : ThemeChain())
        if (String File = FindInTheme(Theme, AName, ASize); !File.empty())
            Files.push_back(File);
    return Files;
}

HIMAGELIST GetSystemImageList(int ASize)
{
    return SystemIcons(ASize).Handle();
}

int GetSystemIconIndex(const String& APath, int ASize)
{
    return SystemIcons(ASize).IndexOf(IconRequestOf(APath));
}

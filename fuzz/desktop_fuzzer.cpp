// Reads arbitrary text as every file of the desktop we read at once: mimeapps.list, the
// applications' MIME cache, a desktop entry and its Exec line, shared-mime-info's globs and
// icon lists, GTK's settings and an icon theme's index, user-dirs.dirs; and as the registry
// file. Nothing may crash, hang or lead out of the folders; the registry file reads the same
// once it is saved.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "Vcl.ShellIcons.h"
#include "Win.Folders.h"
#include "Win.MimeApps.h"
#include "Win.Registry.h"
#include "Win.Shell.h"
#include "XCore.WinUtils.h"

namespace {

std::string GData;   // the one file every desktop file is a link to

void Link(const std::string& ARoot, const std::string& AName)
{
    std::filesystem::path Path = ARoot + "/" + AName;
    std::filesystem::create_directories(Path.parent_path());
    std::filesystem::create_symlink(GData, Path);
}

void OpenCommandOf(const String& AKey)
{
    String Program, Params;
    if (SplitOpenCommand(GetDefaultOpenCommand(AKey), Program, Params))
        (void)SplitCommandLine(Params);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::string Root = "/tmp/desktop-fuzzer-XXXXXX";
    if (::mkdtemp(Root.data()) == nullptr)
        std::abort();
    GData = Root + "/data";
    ::setenv("HOME", Root.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (Root + "/config").c_str(), 1);
    ::setenv("XDG_CONFIG_DIRS", (Root + "/etc").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (Root + "/share").c_str(), 1);
    ::setenv("XDG_DATA_DIRS", (Root + "/usr").c_str(), 1);
    for (const char* Name : {"config/mimeapps.list", "config/gtk-3.0/settings.ini", "config/user-dirs.dirs",
                             "share/applications/mimeinfo.cache", "share/applications/x.desktop",
                             "share/mime/globs2", "share/mime/icons", "share/mime/generic-icons",
                             "share/icons/t/index.theme", "share/icons/t/16x16/apps/x.png"})
        Link(Root, Name);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize)
{
    int File = ::open(GData.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (File < 0 || ::write(File, AData, ASize) != static_cast<ssize_t>(ASize) || ::close(File) != 0)
        std::abort();
    const String Text(reinterpret_cast<const char*>(AData), ASize);

    OpenCommandOf("image/png");
    OpenCommandOf(".jpg");
    OpenCommandOf("http");
    for (const String& Name : GetMimeTypeIconNames(GetMimeTypeOfExtension(".jpg")))
        (void)GetThemeIconFiles(Name, 16);
    (void)SHGetSpecialFolderPath(CSIDL_MYPICTURES, false);

    const String Saved = NormalizeRegistryText(Text);
    if (NormalizeRegistryText(Saved) != Saved)
        std::abort();
    return 0;
}

// Win.MimeApps.cpp: reading mimeapps.list, mimeinfo.cache, globs2, the icon lists of the MIME
// database and desktop entries.
#include "Win.MimeApps.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "Rtl.Files.h"
#include "Rtl.SafeFiles.h"
#include "Rtl.SysUtils.h"
#include "Win.Folders.h"

namespace {

std::vector<String> SplitList(const String& AText, char ASeparator)
{
    std::vector<String> Items;
    size_t Start = 0;
    while (Start <= AText.size()) {
        size_t End = AText.find(ASeparator, Start);
        if (End == String::npos)
            End = AText.size();
        if (End > Start)
            Items.push_back(AText.substr(Start, End - Start));
        Start = End + 1;
    }
    return Items;
}

String WithSlash(const String& AFolder)
{
    return !AFolder.empty() && AFolder.back() != '/' ? AFolder + "/" : AFolder;
}

// A colon-separated XDG path list from the environment, or its default.
std::vector<String> FolderList(const char* AVariable, const char* ADefault)
{
    const char* Value = std::getenv(AVariable);
    std::vector<String> Folders = SplitList(Value != nullptr && *Value != '\0' ? Value : ADefault, ':');
    for (String& Folder : Folders)
        Folder = WithSlash(Folder);
    return Folders;
}

// The lines of one of the desktop's files; none when it is missing or no regular file (a
// FIFO there must not stop the program).
std::istringstream FileLines(const String& AFileName)
{
    try {
        return std::istringstream(ReadSmallFile(AFileName));
    } catch (const EStreamError&) {
        return std::istringstream();
    }
}

// The value of AKey in the group AGroup of a desktop-style file; "" when it has none.
String GroupValue(const String& AFileName, const String& AGroup, const String& AKey)
{
    std::istringstream In = FileLines(AFileName);
    bool InGroup = false;
    for (String Line; std::getline(In, Line);) {
        if (!Line.empty() && Line.front() == '[') {
            InGroup = Line == "[" + AGroup + "]";
            continue;
        }
        size_t Equals = Line.find('=');
        if (InGroup && Equals != String::npos && Trim(Line.substr(0, Equals)) == AKey)
            return Trim(Line.substr(Equals + 1));
    }
    return String();
}

// The second field of the first line of a "type:value" file of the MIME database whose type
// is AType, searched in the data folders in order.
String MimeDatabaseValue(const String& AFile, const String& AType)
{
    for (const String& Folder : GetDataFolders()) {
        std::istringstream In = FileLines(Folder + "mime/" + AFile);
        for (String Line; std::getline(In, Line);) {
            size_t Colon = Line.find(':');
            if (Colon != String::npos && Line.compare(0, Colon, AType) == 0)
                return Line.substr(Colon + 1);
        }
    }
    return String();
}

String MimeTypeOf(const String& AKey)
{
    if (!AKey.empty() && AKey.front() == '.')
        return GetMimeTypeOfExtension(AKey);
    if (AKey.find('/') != String::npos)
        return AKey;
    return "x-scheme-handler/" + LowerCase(AKey);
}

// The applications for AType: the defaults the user and the system chose, in the order the
// desktop reads its mimeapps.list files, then the installed ones that declare the type.
std::vector<String> ApplicationsFor(const String& AType)
{
    std::vector<String> Lists{WithSlash(GetUserConfigFolder()) + "mimeapps.list"};
    for (const String& Folder : FolderList("XDG_CONFIG_DIRS", "/etc/xdg"))
        Lists.push_back(Folder + "mimeapps.list");
    for (const String& Folder : GetDataFolders())
        Lists.push_back(Folder + "applications/mimeapps.list");
    std::vector<String> Applications;
    for (const String& List : Lists)
        for (const String& Entry : SplitList(GroupValue(List, "Default Applications", AType), ';'))
            Applications.push_back(Entry);
    for (const String& Folder : GetDataFolders())
        for (const String& Entry : SplitList(GroupValue(Folder + "applications/mimeinfo.cache", "MIME Cache", AType), ';'))
            Applications.push_back(Entry);
    return Applications;
}

// The Exec line of the first installed application of the list. An id comes from a file: it
// names a file of the applications folder, never one outside it (installed entries may be
// links, so the name alone is checked).
String ExecOfFirstInstalled(const std::vector<String>& AApplications)
{
    for (const String& Id : AApplications)
        for (const String& Folder : GetDataFolders()) {
            if (!IsPlainFileName(Id))
                continue;
            String Exec = GroupValue(Folder + "applications/" + Id, "Desktop Entry", "Exec");
            if (!Exec.empty())
                return Exec;
        }
    return String();
}

}  // namespace

String GetDefaultOpenCommand(const String& AKey)
{
    String Type = MimeTypeOf(AKey);
    return Type.empty() ? String() : ExecOfFirstInstalled(ApplicationsFor(Type));
}

std::vector<String> GetDataFolders()
{
    const char* Home = std::getenv("XDG_DATA_HOME");
    const char* User = std::getenv("HOME");
    String First = Home != nullptr && *Home != '\0' ? WithSlash(Home) : WithSlash(User != nullptr ? User : "") + ".local/share/";
    std::vector<String> Folders{First};
    for (const String& Folder : FolderList("XDG_DATA_DIRS", "/usr/local/share:/usr/share"))
        Folders.push_back(Folder);
    return Folders;
}

// shared-mime-info's globs2 lines read "weight:type:glob"; the heaviest match wins.
String GetMimeTypeOfExtension(const String& AExtension)
{
    String Pattern = "*" + LowerCase(AExtension);
    String Type;
    int Weight = -1;
    for (const String& Folder : GetDataFolders()) {
        std::istringstream In = FileLines(Folder + "mime/globs2");
        for (String Line; std::getline(In, Line);) {
            std::vector<String> Fields = SplitList(Line, ':');
            int LineWeight = 0;
            if (Line.empty() || Line.front() == '#' || Fields.size() < 3 || !TryStrToInt(Fields[0], LineWeight))
                continue;
            if (LowerCase(Fields[2]) == Pattern && LineWeight > Weight) {
                Weight = LineWeight;
                Type = Fields[1];
            }
        }
        if (!Type.empty())
            return Type;
    }
    return Type;
}

std::vector<String> GetMimeTypeIconNames(const String& AMimeType)
{
    std::vector<String> Names;
    size_t Slash = AMimeType.find('/');
    if (Slash == String::npos)
        return Names;
    String Dashed = AMimeType;
    Dashed[Slash] = '-';
    for (const String& Name : {MimeDatabaseValue("icons", AMimeType), Dashed,
                               MimeDatabaseValue("generic-icons", AMimeType), AMimeType.substr(0, Slash) + "-x-generic"})
        if (!Name.empty() && std::find(Names.begin(), Names.end(), Name) == Names.end())
            Names.push_back(Name);
    return Names;
}

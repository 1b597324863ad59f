// XCore.WinUtils.cpp: autorun entries, forms and controls, cursors, window search and monitor
// indices.
#include "XCore.WinUtils.h"

#include <cctype>
#include <filesystem>
#include <string_view>
#include <tuple>

#include "Rtl.Files.h"
#include "Rtl.SafeFiles.h"
#include "Rtl.SysUtils.h"
#include "Vcl.Application.h"
#include "Vcl.Forms.h"
#include "Vcl.Screen.h"
#include "Vcl.SystemFonts.h"
#include "Win.Folders.h"
#include "Win.MimeApps.h"
#include "XClasses.h"
#include "XCore.Strings.h"

const char* const kAutorunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

namespace {

bool AutorunLocked()
{
    return XClasses::IsCardMode || XClasses::IsDemoMode;
}

bool Mentions(const String& AText, const String& APart)
{
    return PosFromIgnoreCase(APart, AText) > 0;
}

String AutostartFolder()
{
    return IncludeTrailingPathDelimiter(GetUserConfigFolder()) + "autostart/";
}

// The Exec line of a desktop entry: the program quoted with the characters that quoting still
// leaves special escaped, and "%" doubled, which field codes would take otherwise.
String DesktopExec(const String& AExePath, const String& AParams)
{
    String Exec = "\"";
    for (char C : AExePath) {
        if (C == '"' || C == '`' || C == '$' || C == '\\')
            Exec += '\\';
        Exec += C == '%' ? "%%" : String(1, C);
    }
    Exec += "\" /a";
    for (char C : String(" ") + AParams)
        Exec += C == '%' ? "%%" : String(1, C);
    return Exec;
}

// Desktop entries are single lines: a line break in a name or a parameter would start a key of
// its own.
String OneLine(const String& AText)
{
    String Line = AText;
    for (char& C : Line)
        if (C == '\n' || C == '\r')
            C = ' ';
    return Line;
}

bool WriteAutostartEntry(const String& AName, const String& AExePath, const String& AParams)
{
    String Text = "[Desktop Entry]\nType=Application\nName=" + OneLine(AName) + "\nExec="
                  + OneLine(DesktopExec(AExePath, AParams)) + "\nX-GNOME-Autostart-enabled=true\n";
    try {
        ForceDirectories(AutostartFolder());
        SafeWriteFileBytes(AutostartEntryFileName(AName), TBytes(Text.begin(), Text.end()));
        return true;
    } catch (const Exception&) {
        return false;
    }
}

// The autostart entries whose text mentions AExePath.
std::vector<String> AutostartEntriesOf(const String& AExePath)
{
    std::vector<String> Entries;
    std::error_code Error;
    for (const auto& Entry : std::filesystem::directory_iterator(AutostartFolder(), Error)) {
        if (Entry.path().extension() != ".desktop")
            continue;
        try {
            TBytes Bytes = ReadFileBytes(Entry.path().string());
            if (Mentions(String(Bytes.begin(), Bytes.end()), AExePath))
                Entries.push_back(Entry.path().string());
        } catch (const Exception&) {
        }
    }
    return Entries;
}

// The names of the Run values whose data mentions AText; False when the key cannot be read.
bool RunValuesMentioning(const String& AText, TStringList* ANames)
{
    auto Registry = Owned(TRegistry::Create(KEY_READ));
    Registry->SetRootKey(HKEY_CURRENT_USER);
    if (!Registry->OpenKeyReadOnly(kAutorunKey))
        return false;
    auto All = Owned(TStringList::Create());
    Registry->GetValueNames(All.get());
    for (int I = 0; I < All->Count(); ++I) {
        try {
            if (Mentions(Registry->ReadString(All->Strings(I)), AText))
                ANames->Add(All->Strings(I));
        } catch (const Exception&) {
            // A number is no command line.
        }
    }
    return true;
}

// Where the program part of a command ends: after its last ".EXE", ".BAT" or ".COM"; without
// one, before the blank after the first word or before the quote that closes it.
size_t ProgramEnd(const String& ACommand)
{
    for (size_t At = ACommand.size(); At >= 4; --At) {
        String Extension = UpperCase(std::string_view(ACommand).substr(At - 4, 4));
        if (Extension == ".EXE" || Extension == ".BAT" || Extension == ".COM")
            return At;
    }
    if (ACommand.front() == '"') {
        size_t Quote = ACommand.find('"', 1);
        return Quote != String::npos ? Quote : ACommand.size();
    }
    size_t Blank = ACommand.find(' ');
    return Blank != String::npos ? Blank : ACommand.size();
}

String ParamsWithoutQuotesAndPlaceholders(const String& AText)
{
    String Params;
    for (size_t I = 0; I < AText.size(); ++I) {
        if (AText[I] == '%') {
            while (I + 1 < AText.size() && AText[I + 1] != ' ')
                ++I;
        } else if (AText[I] != '"') {
            Params += AText[I];
        }
    }
    return Trim(Params);
}

int IndexOfMonitor(HMONITOR AMonitor)
{
    for (int I = 0; I < Screen->MonitorCount(); ++I)
        if (Screen->Monitors(I)->Handle() == AMonitor)
            return I;
    return 0;
}

}  // namespace

// ---- Autorun -----------------------------------------------------------------------------

String AutostartEntryFileName(const String& AName)
{
    String Name;
    for (char C : AName)
        Name += std::isalnum(static_cast<unsigned char>(C)) || C == '-' || C == '_' || C == '.' ? C : '_';
    return AutostartFolder() + (Name.empty() ? String("_") : Name) + ".desktop";
}

bool SetAutorun(bool AEnable, const String& AName, const String& AExePath, const String& AParams)
{
    if (AutorunLocked())
        return false;
    if (!AEnable)
        return RemoveAutorun(AExePath);
    try {
        auto Registry = Owned(TRegistry::Create());
        Registry->SetRootKey(HKEY_CURRENT_USER);
        if (!Registry->OpenKey(kAutorunKey, true))
            return false;
        Registry->WriteString(AName, "\"" + AExePath + "\" /a " + AParams);
    } catch (const Exception&) {
        return false;
    }
    return WriteAutostartEntry(AName, AExePath, AParams);
}

bool RemoveAutorun(const String& AExePath)
{
    if (AutorunLocked())
        return false;
    bool Removed = true;
    try {
        auto Names = Owned(TStringList::Create());
        if (RunValuesMentioning(AExePath, Names.get()) && Names->Count() > 0) {
            auto Registry = Owned(TRegistry::Create());
            Registry->SetRootKey(HKEY_CURRENT_USER);
            Removed = Registry->OpenKey(kAutorunKey, false);
            for (int I = 0; Removed && I < Names->Count(); ++I)
                Removed = Registry->DeleteValue(Names->Strings(I));
        }
    } catch (const Exception&) {
        Removed = false;
    }
    for (const String& Entry : AutostartEntriesOf(AExePath))
        Removed = DeleteFile(Entry) && Removed;
    return Removed;
}

bool SyncAutorun(bool AEnable, const String& AName, const String& AExePath, const String& AParams)
{
    if (AutorunLocked())
        return false;
    auto Names = Owned(TStringList::Create());
    bool Opened = false;
    try {
        Opened = RunValuesMentioning("\"" + AExePath + "\"", Names.get());
    } catch (const Exception&) {
    }
    bool HasValue = Names->Count() > 0;
    bool HasEntry = !AutostartEntriesOf(AExePath).empty();
    if (AEnable && !(HasValue && HasEntry))
        SetAutorun(true, AName, AExePath, AParams);
    else if (!AEnable && (HasValue || HasEntry))
        RemoveAutorun(AExePath);
    return Opened;
}

bool ToggleAutorun(bool& AEnabled, const String& AName, const String& AExePath, const String& AParams)
{
    if (AutorunLocked())
        return false;
    AEnabled = !AEnabled;
    return SetAutorun(AEnabled, AName, AExePath, AParams);
}

// ---- File associations -------------------------------------------------------------------

bool SplitOpenCommand(const String& ACommand, String& AProgram, String& AParams)
{
    AProgram.clear();
    AParams.clear();
    String Command = Trim(ACommand);
    if (Command.empty())
        return false;
    size_t End = ProgramEnd(Command);
    AParams = ParamsWithoutQuotesAndPlaceholders(Trim(Command.substr(End)));
    String Program = Command.substr(0, End);
    if (!Program.empty() && Program.front() == '"')
        Program.erase(0, 1);
    AProgram = Program.find('%') != String::npos ? ExpandEnvironmentStrings(Program) : Program;
    return true;
}

bool ReadShellOpenCommand(HKEY ARootKey, const String& AKeyPath, String& AProgram, String& AParams)
{
    AProgram.clear();
    AParams.clear();
    String Command;
    try {
        auto Registry = Owned(TRegistry::Create(KEY_READ));
        Registry->SetRootKey(ARootKey);
        if (!Registry->OpenKeyReadOnly("\\" + AKeyPath + "\\shell\\open\\command"))
            return false;
        Command = Registry->ReadString(String());
    } catch (const Exception&) {
        return false;
    }
    return SplitOpenCommand(Command, AProgram, AParams);
}

bool GetFileAssociation(const String& AKey, String& AProgram, String& AParams)
{
    return ReadShellOpenCommand(HKEY_CURRENT_USER, "Software\\Classes\\" + AKey, AProgram, AParams)
           || SplitOpenCommand(GetDefaultOpenCommand(AKey), AProgram, AParams);
}

// ---- Text measurement --------------------------------------------------------------------

namespace {

// Never freed: measuring may still happen while the process shuts down.
TCanvas* MeasuringCanvas()
{
    static TBitmap* Bitmap = [] {
        TBitmap* Made = TBitmap::Create();
        Made->SetSize(100, 100);
        return Made;
    }();
    return Bitmap->Canvas();
}

}  // namespace

int GetTextWidth(const String& AText, TFont* AFont)
{
    int Width, Height;
    GetTextExtent(AText, AFont, Width, Height);
    return Width;
}

void GetTextExtent(const String& AText, TFont* AFont, int& AWidth, int& AHeight)
{
    TCanvas* Canvas = MeasuringCanvas();
    Canvas->Font()->Assign(AFont);
    TSize Size = Canvas->TextExtent(AText);
    AWidth = Size.cx;
    AHeight = Size.cy;
}

UINT XMProgressMessage()
{
    static const UINT Id = RegisterWindowMessageW("XM_Progress");
    return Id;
}

int CaptionButtonWidth()
{
    static const int Width = [] {
        TNonClientMetrics Metrics;
        return GetNonClientMetrics(Metrics) ? Metrics.CaptionWidth : 16;
    }();
    return Width;
}

// ---- Cursors -----------------------------------------------------------------------------

namespace {

// A picture drawn in rows: '#' black, '.' white, anything else clear.
TXCursorImage CursorPicture(std::initializer_list<std::string_view> ARows, TPoint AHotSpot)
{
    TXCursorImage Image;
    Image.HotSpot = AHotSpot;
    Image.Height = static_cast<int>(ARows.size());
    for (std::string_view Row : ARows)
        Image.Width = std::max(Image.Width, static_cast<int>(Row.size()));
    Image.Pixels.assign(size_t(Image.Width) * Image.Height, 0);
    int Y = 0;
    for (std::string_view Row : ARows) {
        for (size_t X = 0; X < Row.size(); ++X)
            Image.Pixels[size_t(Y) * Image.Width + X] = Row[X] == '#' ? 0xFF000000u : Row[X] == '.' ? 0xFFFFFFFFu : 0u;
        ++Y;
    }
    return Image;
}

TXCursorImage HandMovePicture()
{
    return CursorPicture({"       ##",
                          "   ## #..###",
                          "  #..##..#..#",
                          "  #..##..#..# #",
                          "   #..#..#..##.#",
                          "   #..#..#..#..#",
                          " ## #........#..#",
                          "#..##...........#",
                          "#...#..........#",
                          " #.............#",
                          "  #............#",
                          "  #...........#",
                          "   #..........#",
                          "    #........#",
                          "     #.......#",
                          "     #.......#",
                          "     #########"},
                         Point(8, 8));
}

TXCursorImage HandPointPicture()
{
    return CursorPicture({"     ##",
                          "    #..#",
                          "    #..#",
                          "    #..#",
                          "    #..#",
                          "    #..###",
                          "    #..#..###",
                          "    #..#..#..##",
                          "    #..#..#..#.#",
                          " ## #..#..#..#..#",
                          "#..##...........#",
                          "#...#...........#",
                          " #..............#",
                          "  #.............#",
                          "  #.............#",
                          "   #...........#",
                          "   #...........#",
                          "    #.........#",
                          "    #.........#",
                          "     #.......#",
                          "     #.......#",
                          "     #########"},
                         Point(5, 0));
}

TXCursorImage PickPicture()
{
    return CursorPicture({"            ###",
                          "           #####",
                          "          ######",
                          "        ########",
                          "         #####",
                          "        #..##",
                          "       #...#",
                          "      #...#",
                          "     #...#",
                          "    #...#",
                          "   #...#",
                          "  #...#",
                          " #...#",
                          " #..#",
                          "# ##",
                          "#"},
                         Point(0, 15));
}

}  // namespace

void RegisterCustomCursors()
{
    const std::tuple<TCursor, const char*, TXCursorImage (*)()> kCursors[] = {
        {crXHandMove, "XCRHMOVE", &HandMovePicture},
        {crXHandPoint, "XCRHPOINT", &HandPointPicture},
        {crXPick, "XCRPICK", &PickPicture},
    };
    for (const auto& [Id, Name, Picture] : kCursors) {
        DefineCursorImage(Name, Picture());
        RegisterCursorShape(Id, Name);
    }
}

void BeginWaitCursor()
{
    Screen->SetCursor(crHourGlass);
}

void EndWaitCursor()
{
    Screen->SetCursor(crDefault);
}

// ---- Forms and controls ------------------------------------------------------------------

TCustomForm* GetControlForm(TControl* AControl)
{
    if (AControl == nullptr)
        return nullptr;
    if (AControl->Parent() == nullptr) {
        if (auto* Form = dynamic_cast<TCustomForm*>(AControl))
            return Form;
        return dynamic_cast<TCustomForm*>(AControl->Owner());
    }
    TControl* Control = dynamic_cast<TWinControl*>(AControl) != nullptr ? AControl : AControl->Parent();
    for (; Control != nullptr; Control = Control->Parent())
        if (auto* Form = dynamic_cast<TCustomForm*>(Control))
            return Form;
    return nullptr;
}

TCustomForm* FindComponentForm(TComponent* AComponent)
{
    for (TComponent* Component = AComponent; Component != nullptr; Component = Component->Owner())
        if (auto* Windowed = dynamic_cast<TWinControl*>(Component))
            return GetControlForm(Windowed);
    return nullptr;
}

void CenterControlIn(TControl* AControl, int AWidth, int AHeight)
{
    AControl->SetBounds(std::max(0, (AWidth - AControl->Width()) / 2), std::max(0, (AHeight - AControl->Height()) / 2),
                        AControl->Width(), AControl->Height());
}

void CenterControl(TControl* AControl)
{
    if (TWinControl* Parent = AControl->Parent())
        CenterControlIn(AControl, Parent->ClientWidth(), Parent->ClientHeight());
    else
        CenterControlIn(AControl, Screen->Width(), Screen->Height());
}

void MaximizeToScreen(TCustomForm* AForm)
{
    AForm->SetBounds(0, 0, Screen->Width(), Screen->Height());
}

TPoint GetClientOriginInParent(TControl* AControl)
{
    TPoint Origin = AControl->ClientOrigin();
    return AControl->Parent() != nullptr ? AControl->Parent()->ScreenToClient(Origin) : Origin;
}

TPoint ClientToWindowPoint(TCustomForm* AForm, TPoint APoint)
{
    TPoint Origin = AForm->ClientOrigin();
    return Point(APoint.X + Origin.X - AForm->Left(), APoint.Y + Origin.Y - AForm->Top());
}

void ProcessFormMessages(TCustomForm* AForm)
{
    if (AForm == nullptr || !AForm->HandleAllocated())
        return;
    TMsg Msg;
    while (PeekMessageW(Msg, AForm->Handle(), 0, 0, PM_REMOVE)) {
        if (Msg.message == WM_QUIT) {
            // Taken here, the quit would never reach the application's loop.
            PostQuitMessage(static_cast<int>(Msg.wParam));
            return;
        }
        DispatchMessageW(Msg);
    }
}

// ---- Windows and monitors ----------------------------------------------------------------

void FindTopLevelWindows(const String& AClassName, const String& ACaption, TXHWndArray& AHandles)
{
    TXWindowSearch Search{AClassName, ACaption, {}};
    EnumWindows(&EnumTopLevelWindow, reinterpret_cast<LPARAM>(&Search));
    AHandles = std::move(Search.Handles);
}

int MonitorIndexOfWindow(HWND AWindow, uint32_t AFlags)
{
    return IndexOfMonitor(MonitorFromWindow(AWindow, AFlags));
}

int MonitorIndexOfPoint(TPoint APoint, uint32_t AFlags)
{
    return IndexOfMonitor(MonitorFromPoint(APoint, AFlags));
}

int PrimaryMonitorIndex()
{
    TMonitor* Primary = Screen->PrimaryMonitor();
    return Primary != nullptr ? Primary->MonitorNum() : 0;
}

void GetDisplayDeviceList(TStrings* ALines)
{
    ALines->Clear();
    for (HMONITOR Handle : EnumDisplayMonitors()) {
        TXMonitor Info;
        if (GetMonitorInfoW(Handle, Info))
            ALines->Add(std::to_string(ALines->Count() + 1) + ". " + Info.Name + " on " + Info.AdapterName);
    }
}

// XCore.WinUtils.h: starting with the desktop session (the Run value of the current user's
// registry, mirrored by an XDG autostart entry, which is what the desktop starts), forms and
// controls, the wait cursor and the framework's own cursors, finding top-level windows, and
// monitor indices in the screen's list. UI thread only.
#pragma once

#include <cstdint>

#include "Rtl.Strings.h"
#include "Vcl.Graphics.h"
#include "Vcl.Screen.h"
#include "Win.Display.h"
#include "Win.Registry.h"
#include "XPlatform.System.h"

class TControl;
class TCustomForm;

// "Software\Microsoft\Windows\CurrentVersion\Run" of HKEY_CURRENT_USER.
extern const char* const kAutorunKey;

// Every autorun call does nothing and answers False in card or demonstration mode.
// Enabled: writes the value AName = "<AExePath>" /a <AParams> and the autostart entry; True
// when both were written. Disabled: RemoveAutorun.
bool SetAutorun(bool AEnable, const String& AName, const String& AExePath, const String& AParams);
// Deletes every Run value and every autostart entry that mentions AExePath, letter case
// ignored, whatever its name. False when one could not be deleted (the others still go).
bool RemoveAutorun(const String& AExePath);
// Brings the entries in line with AEnable: adds them when enabled and one is missing, removes
// them when disabled and one is there. Answers whether the Run key could be read.
bool SyncAutorun(bool AEnable, const String& AName, const String& AExePath, const String& AParams);
// Inverts AEnabled, then SetAutorun with it.
bool ToggleAutorun(bool& AEnabled, const String& AName, const String& AExePath, const String& AParams);
// The autostart entry that SetAutorun writes for AName.
String AutostartEntryFileName(const String& AName);

// The program and parameters that open AKey (".jpg", "http"): the current user's
// "Software\Classes\" + AKey first, then the desktop's default application.
bool GetFileAssociation(const String& AKey, String& AProgram, String& AParams);
// Reads the default value of AKeyPath + "\shell\open\command" under ARootKey into AProgram and
// AParams (see SplitOpenCommand); False when the key is missing or the command empty.
bool ReadShellOpenCommand(HKEY ARootKey, const String& AKeyPath, String& AProgram, String& AParams);
// The program ends with the last ".exe", ".bat" or ".com" (any case), or without one at the
// end of the first word, quoted or not; one leading quote goes and environment variables are
// expanded. The parameters are the rest without double quotes and without placeholders ("%1",
// "%U": from a "%" to the next blank). False for an empty command.
bool SplitOpenCommand(const String& ACommand, String& AProgram, String& AParams);

// The size of AText in AFont, measured on one shared bitmap.
int GetTextWidth(const String& AText, TFont* AFont);
void GetTextExtent(const String& AText, TFont* AFont, int& AWidth, int& AHeight);

// The registered message "XM_Progress".
UINT XMProgressMessage();

// The width of a caption button from the desktop's metrics; 16 when they cannot be read.
int CaptionButtonWidth();

// The framework's own cursors: the hand that moves a window by its caption, the pointing hand
// of clickable items, and the colour picker's pipette.
inline constexpr TCursor crXHandMove = 4;    // "XCRHMOVE"
inline constexpr TCursor crXHandPoint = 5;   // "XCRHPOINT"
inline constexpr TCursor crXPick = 6;        // "XCRPICK"
// Puts the three pictures into the screen's cursor table; a second call changes nothing.
void RegisterCustomCursors();

// ---- Forms and controls ------------------------------------------------------------------

// The form that holds AControl: the first form up the parents, starting at AControl when it
// is windowed, else at its parent; a control without a parent gives its owner when that is a
// form. nullptr when there is none.
TCustomForm* GetControlForm(TControl* AControl);
// The form of the first windowed control up AComponent's owners; nullptr when there is none.
TCustomForm* FindComponentForm(TComponent* AComponent);
// Places AControl in the middle of an area AWidth x AHeight (at 0 along an axis where it is
// larger); its size does not change.
void CenterControlIn(TControl* AControl, int AWidth, int AHeight);
// In the middle of its parent's client area, or of the screen without a parent.
void CenterControl(TControl* AControl);
// The bounds 0, 0, screen width, screen height.
void MaximizeToScreen(TCustomForm* AForm);
// AControl's client origin in its parent's client coordinates (its screen origin without one).
TPoint GetClientOriginInParent(TControl* AControl);
// APoint of AForm's client area in the coordinates of its window, frame included.
TPoint ClientToWindowPoint(TCustomForm* AForm, TPoint APoint);

// The hourglass over every window of the program, and back to each control's own cursor.
void BeginWaitCursor();
void EndWaitCursor();
// Takes and dispatches the messages waiting for AForm's window until none is left. A quit
// among them ends the application: it is queued again for the application's loop and stops
// the processing here.
void ProcessFormMessages(TCustomForm* AForm);

// Empties AHandles, then collects the top-level windows (the application's own window left out)
// whose class name and caption equal the filters; an empty filter matches any.
void FindTopLevelWindows(const String& AClassName, const String& ACaption, TXHWndArray& AHandles);

// The index in Screen's monitor list of the monitor the platform names for the window or the
// point (MONITOR_DEFAULTTO... in AFlags); 0 when none matches.
int MonitorIndexOfWindow(HWND AWindow, uint32_t AFlags);
int MonitorIndexOfPoint(TPoint APoint, uint32_t AFlags);
// The first primary monitor's index; 0 when none is marked.
int PrimaryMonitorIndex();
// Clears ALines, then one line per monitor: "1. HDMI-1 on modesetting".
void GetDisplayDeviceList(TStrings* ALines);

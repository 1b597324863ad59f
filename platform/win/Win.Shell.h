// Win.Shell.h: the shell's execute operation. A document, a folder or an address goes to the
// desktop's opener; only an explicit program start runs a program, directly, with its
// parameters split as Windows splits a command line. Nothing runs through a shell command line.
#pragma once

#include <cstdint>
#include <vector>

#include "Rtl.Types.h"

inline constexpr int SW_SHOWNORMAL = 1;

// Results of ShellExecute: above 32 is success.
inline constexpr intptr_t SE_ERR_FNF = 2;
inline constexpr intptr_t SE_ERR_ACCESSDENIED = 5;
inline constexpr intptr_t SE_ERR_NOASSOC = 31;
inline constexpr intptr_t SE_SUCCESS = 42;

// Opens AFile with the desktop's opener; it never runs AFile as a program, whatever its mode
// says (every file of a FAT card carries an execute bit). A file that is itself a program, a
// script or a desktop entry, which the opener would run, is refused (SE_ERR_ACCESSDENIED). AVerb "open" (or "") and "explore"
// are known; "print", "install" and others find no association. An address opens only with
// the schemes http, https and mailto. AFile may be enclosed in double quotes; a relative name
// is taken from ADirectory when one is given. AParameters go nowhere: the opener takes the
// target alone. AShowCmd is accepted for the record: windows are the program's own business.
intptr_t ShellExecute(const String& AVerb, const String& AFile, const String& AParameters, const String& ADirectory,
                      int AShowCmd);
// Starts AFile, an executable file, with AParameters in ADirectory (also where a relative
// AFile is found); a file that is no program is opened as ShellExecute opens it. For the
// places that start a program on purpose, never for names that come with data.
intptr_t ShellStartProgram(const String& AFile, const String& AParameters, const String& ADirectory);

// What a result of ShellExecute or ShellStartProgram means, for a message; "" for success.
String ShellErrorText(intptr_t AResult);

// The program that opens documents and addresses: "xdg-open" unless replaced (tests put a
// recorder here). It is started with the target as its only argument.
void SetShellOpener(const String& AProgram);

// A command line split as Windows splits it: blanks separate, double quotes group, "\"" is a
// quote and backslashes are literal unless they precede a quote.
std::vector<String> SplitCommandLine(const String& ACommandLine);

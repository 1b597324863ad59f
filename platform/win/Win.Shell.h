// Win.Shell.h: the shell's execute operation. A program is started directly with its
// parameters split as Windows splits a command line; a document, a folder or an address goes
// to the desktop's opener. Nothing ever runs through a shell command line.
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

// AVerb "open" (or "") and "explore" are known; "print", "install" and others find no
// association. AFile may be enclosed in double quotes; a relative name is taken from
// ADirectory when one is given, which is also the program's working folder. AShowCmd is
// accepted for the record: windows are the program's own business here.
intptr_t ShellExecute(const String& AVerb, const String& AFile, const String& AParameters, const String& ADirectory,
                      int AShowCmd);

// The program that opens documents and addresses: "xdg-open" unless replaced (tests put a
// recorder here). It is started with the target as its only argument.
void SetShellOpener(const String& AProgram);

// A command line split as Windows splits it: blanks separate, double quotes group, "\"" is a
// quote and backslashes are literal unless they precede a quote.
std::vector<String> SplitCommandLine(const String& ACommandLine);

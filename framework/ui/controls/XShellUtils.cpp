// XShellUtils.cpp: the shell's execute through the platform's opener, which starts its program
// with an argument vector, never through a shell command line.
#include "XShellUtils.h"

#include "Win.Shell.h"
#include "XCore.Errors.h"
#include "XCore.Filer.h"
#include "XCore.Strings.h"

bool ShellExecuteFile(const String& AOperation, const String& AFileName, const String& AParameters,
                      const String& ADirectory)
{
    intptr_t Result = ShellExecute(AOperation, EnsureQuoted(AFileName, '"'), AParameters, ADirectory, SW_SHOWNORMAL);
    if (static_cast<uintptr_t>(Result) > 32)
        return true;
    SetFirstError(kErrFileOpen, static_cast<int32_t>(Result), AFileName + ": " + ShellErrorText(Result));
    return false;
}

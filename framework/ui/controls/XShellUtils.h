// XShellUtils.h: the framework's one way to open a document, a folder or an address through the
// desktop. What it opens is never run: a program or a desktop entry handed over as a document
// is refused. UI thread.
#pragma once

#include "Rtl.Types.h"

// AOperation "open" (or "") opens a document or an address, "explore" a folder; AFileName is
// quoted unless it starts with a quote. True when the desktop's opener took it; otherwise False,
// with the reason as the thread's first error (code 4, the value the shell's result).
[[nodiscard]] bool ShellExecuteFile(const String& AOperation, const String& AFileName, const String& AParameters,
                                    const String& ADirectory);

// Rtl.CommandLine.h: the program's command line as Delphi's ParamCount and ParamStr give it.
// Parameter 0 is the program's full path; the others are the arguments the program was
// started with, read from the kernel, so no main() has to hand them over.
#pragma once

#include "Rtl.Types.h"

int ParamCount();
// "" for an index past the last parameter.
String ParamStr(int AIndex);

// XDR.Work.R.h: restore: the selected found files, each written as a file of its own whose
// bytes are copied from the source along its block list.
// Runs on the job's thread; a file that fails keeps the bytes copied so far.
#pragma once

#include "XCore.Engine.Worker.h"
#include "XDR.Classes.h"

// Writes the selected items of AFiles from AStream into AFolder (made when missing), under
// their names made safe and unique; progress moves by item. Stops when the worker ends or
// the card is gone (error 11, left in the error store).
void RestoreFiles(const String& AFolder, TXDRFileCollection* AFiles, TStream* AStream, IXWorker* AWorker);

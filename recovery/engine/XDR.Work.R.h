// XDR.Work.R.h: restore: the selected found files, each written as a file of its own whose
// bytes are copied from the source along its block list.
// Runs on the job's thread. A file is written under a temporary name and takes its own only
// when whole, so a failed or cancelled restore leaves no half file under a found file's name.
#pragma once

#include <vector>

#include "XCore.Engine.Worker.h"
#include "XDR.Classes.h"

// What a restore did, for the job's end and the user.
struct TXDRRestoreReport {
    int Written = 0;
    std::vector<String> Damaged;   // written, with unreadable bytes as zeros
    std::vector<String> Failed;    // not written
    TXErrorData FirstFailure;      // why the first of them was not
};

// Writes the selected items of AFiles from AStream into AFolder (made when missing), under
// their names made plain, never through a link, the next numbered name where one is taken.
// Unreadable sectors are written as zeros. Each file that was damaged or not written is
// posted as a log line through AWorker. Progress moves by item. Stops when the worker ends;
// raises when the card is gone (error 11, in the error store).
TXDRRestoreReport RestoreFiles(const String& AFolder, TXDRFileCollection* AFiles, TStream* AStream, IXWorker* AWorker);

// XDR.Work.R.cpp: restore.
#include "XDR.Work.R.h"

#include <cmath>

#include "Rtl.Files.h"
#include "Win.Volumes.h"
#include "XCore.App.Helpers.h"
#include "XCore.Errors.h"
#include "XCore.IO.h"

namespace {

// A name read from a damaged directory may hold path delimiters or be "." or "..": it must
// not lead the file out of the folder the user chose.
String SafeFileName(const String& AName)
{
    String Result = AName;
    for (char& C : Result)
        if (C == '/' || C == '\\')
            C = '_';
    if (Result.empty() || Result == "." || Result == "..")
        Result = "_" + Result;
    return Result;
}

void RestoreItem(const String& AFolder, TXDRFileItem* AItem, TStream* AStream)
{
    String FileName = GetUniqueFileName(AFolder + SafeFileName(AItem->Name()));
    if (!FileName.empty())
        (void)AItem->Blocks()->SaveToFile(AStream, FileName);   // the failure stays in the error store
}

}  // namespace

void RestoreFiles(const String& AFolder, TXDRFileCollection* AFiles, TStream* AStream, IXWorker* AWorker)
{
    const String Folder = IncludeTrailingPathDelimiter(AFolder);
    (void)ForceDirectories(Folder);   // a folder that cannot be made fails each file instead
    const int Count = AFiles->Count();
    for (int I = 0; I < Count; ++I) {
        if (IsApplicationTerminating() || AWorker->IsTerminated())
            return;
        if (AFiles->Items(I)->Selected())
            RestoreItem(Folder, AFiles->Items(I), AStream);
        // A removed card fails every file after it; its code must end the job.
        if (GetErrorCode() == kVolumeMissing)
            return;
        AWorker->GetProgress()->SetPerMille(static_cast<uint16_t>(std::lround((I + 1) * 1000.0 / Count)));
    }
}

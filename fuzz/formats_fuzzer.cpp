// Runs every carving format's end finder (the TIFF family's through the IFD walker) on
// arbitrary bytes, at the start and at an odd offset: no crash, hang or sanitizer report.
#include <cstddef>
#include <cstdint>
#include <span>

#include "XCore.Errors.h"
#include "XDR.Work.F.FAT.h"
#include "XDR.Work.P.h"

// The program's start-up: what the library registers is there, as in the programs.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    RegisterRecoveryEngine();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize)
{
    TXDRMemoryScanSource Source(std::span<const uint8_t>(AData, ASize));
    for (int Kind = 0; Kind < kScanKindCount; ++Kind)
        for (int64_t Position : {int64_t(0), int64_t(1)}) {
            auto Format = Owned(FormatClassOfKind(static_cast<uint8_t>(Kind))->Create());
            int64_t End = Format->FindEnd(Source, Position);
            if (End >= 0 && End < Position)
                __builtin_trap();
            (void)Format->Validate(Source, Position);
            (void)Format->GetExtension();
            ClearError();
        }
    return 0;
}

// Reads arbitrary bytes as a FAT volume: boot sector, cluster map, directory tree, live,
// deleted and lost files. No crash, hang, sanitizer report or allocation beyond the input's size.
// Found photos get no thumbnails: decoding them would take nearly all the time (their own
// target is thumbnails_fuzzer).
#include <cstddef>
#include <cstdint>

#include "Rtl.Streams.h"
#include "XCore.Engine.WorkerThreads.h"
#include "XCore.Errors.h"
#include "XCore.Intervals.Blocks.h"
#include "XDR.Gears.Work.F.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize)
{
    TOwned<TMemoryStream> Stream = Owned(TMemoryStream::Create());
    Stream->Write(AData, static_cast<int64_t>(ASize));
    TXWorker* Worker = TXWorker::Create(rcmInterlocked, TIntf<IXEngine>());
    TIntf<IXWorker> Held(Worker);
    TOwned<TXDRFATDisk> Disk = Owned(TXDRFATDisk::Create());
    TOwned<TXBlocks> Used = Owned(TXBlocks::Create());
    Disk->SetThumbnails(false);
    if (Disk->Open(Stream.get(), TXDiskInfoRecord())) {
        Disk->RecoverEntries(Used.get(), Worker);
        Disk->RecoverLostEntries(Used.get(), Worker);
    }
    ClearError();
    return 0;
}

// Reads arbitrary bytes as what the recovery program takes from a card or a card image: a
// raw volume's boot sector (FAT, exFAT, NTFS), the disk-info text that ends a card image, and
// a document of the program's XML form. Nothing may crash, overflow or allocate past the
// limits, whatever the bytes.
#include <cstddef>
#include <cstdint>

#include "Win.Volumes.h"
#include "XCore.IO.Disk.h"
#include "XCore.Persistence.XML.h"
#include "recovery_objects.h"

namespace RX = XCore::Persistence::XML;

// The program's start-up: what the library registers is there, as in the programs.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    RegisterRecoveryFramework();
    RegisterClasses({TFuzzDocument::StaticClass(), TFuzzView::StaticClass()});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize)
{
    TVolumeInformation Volume;
    if (ASize >= 512)
        (void)ParseBootSector(AData, ASize, Volume);

    const String Text(reinterpret_cast<const char*>(AData), ASize);
    TXDiskInfoRecord Disk;
    ReadDiskInfoText(Disk, Text);

    auto Stream = Owned(TMemoryStream::Create());
    Stream->WriteBuffer(AData, static_cast<int64_t>(ASize));
    auto Document = Owned(TFuzzDocument::Create(nullptr));
    try {
        RX::LoadObjectFromXMLStream(Document.get(), Stream.get());
    } catch (const Exception&) {
        // Refused documents raise; that is the answer, not a fault.
    }
    return 0;
}

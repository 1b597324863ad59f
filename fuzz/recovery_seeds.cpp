// Writes the recovery fuzzer's seed corpus into the folder given with the program's own
// writers: a document of the XML form with every kind of property, and a card image's
// disk-info text. (The boot sectors come from the test card images; scripts/fuzz adds them.)
#include <cstdio>

#include "XCore.IO.Disk.h"
#include "XCore.Persistence.XML.h"
#include "recovery_objects.h"

namespace RX = XCore::Persistence::XML;

int main(int AArgCount, char** AArgs)
{
    if (AArgCount != 2) {
        std::fprintf(stderr, "usage: recovery_seeds <folder>\n");
        return 2;
    }
    String Folder = AArgs[1];
    RegisterRecoveryFramework();
    try {
        auto Document = Owned(TFuzzDocument::Create(nullptr));
        Document->Caption = "Card <1> & \"2\"";
        Document->Data = std::string("\x00\x01\xFE\xFF", 4);
        Document->View()->Zoom = 150;
        Document->View()->Title = "Photos";
        static_cast<TFuzzItem*>(Document->Items()->Add())->Value = 7;
        Document->Entries()->Add(TFuzzView::Create());
        auto Xml = Owned(TMemoryStream::Create());
        RX::SaveObjectToXMLStream(Document.get(), Xml.get(), true);
        Xml->SaveToFile(Folder + "/document.xml");

        TXDiskInfoRecord Disk;
        Disk.Serial = 0x1A2B3C4D;
        Disk.MaxComponentLength = 255;
        Disk.VolumeName = "CARD & <X>";
        Disk.FileSystemName = "FAT32";
        Disk.BytesPerSector = 512;
        Disk.ClusterSize = 4096;
        Disk.TotalClusters = 80628;
        Disk.FreeClusters = 1000;
        auto Info = Owned(TStringStream::Create(WriteDiskInfoText(Disk)));
        Info->SaveToFile(Folder + "/disk-info.xml");
    } catch (const Exception& E) {
        std::fprintf(stderr, "recovery_seeds: %s\n", E.what());
        return 1;
    }
    return 0;
}

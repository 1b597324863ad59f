// Feeds arbitrary bytes to the record container: the walk on opening, every group, header
// and entry, the compacting copy, and appending. Nothing may crash, hang or allocate past
// the limits, whatever the bytes.
#include <cstddef>
#include <cstdint>

#include "XCore.Filer.h"
#include "XCore.QStream.h"

namespace {

void ReadEverything(TXQStream* AContainer)
{
    auto Dest = Owned(TMemoryStream::Create());
    uint8_t Buffer[64];
    for (int G = 0; G < AContainer->Groups()->Count(); ++G) {
        TXRGroupObject* Group = AContainer->Groups()->Items(G);
        for (int H = 0; H < Group->Headers()->Count(); ++H) {
            TXRHeaderObject* Header = Group->Headers()->Items(H);
            for (int E = 0; E < Header->Body().Count; ++E) {
                (void)AContainer->ReadEntryStream(Header, E, nullptr, Dest.get());
                (void)AContainer->ReadEntryBuffer(Header, E, nullptr, Buffer, sizeof Buffer);
            }
        }
    }
}

void Reopen(TMemoryStream* AStream)
{
    auto Container = Owned(TXQStream::Create());
    if (Container->DoOpenStream(rmRead, AStream, false, nullptr))
        ReadEverything(Container.get());
}

}  // namespace

// The program's start-up: what the library registers is there, as in the programs.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    RegisterCoreStreams();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize)
{
    auto Stream = Owned(TMemoryStream::Create());
    Stream->WriteBuffer(AData, static_cast<int64_t>(ASize));

    auto Container = Owned(TXQStream::Create());
    (void)Container->DoOpenStream(rmRead, Stream.get(), false, nullptr);
    if (Container->IsOpen()) {
        ReadEverything(Container.get());
        auto Copy = Owned(TMemoryStream::Create());
        if (Container->CopyTo(Copy.get(), nullptr))
            Reopen(Copy.get());
    }

    auto Appender = Owned(TXQStream::Create());
    if (Appender->OpenStream(rmRead | rmWrite, Stream.get(), false, nullptr)) {
        (void)Appender->AddGroupText("Appended", "text");
        (void)Appender->WriteSingleEntry("Appended", 3, false, nullptr, EmptyMemoryStream(), -1);
        Appender->Close();
        Reopen(Stream.get());
    }
    return 0;
}

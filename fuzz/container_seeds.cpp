// Writes a few containers with the container writer into the folder given, as the fuzzer's
// seed corpus: groups, raw and compressed entries, an undeclared slot and an appended group.
#include <cstdio>

#include "XCore.QStream.h"

namespace {

TOwned<TMemoryStream> TextStream(const String& AText)
{
    auto Stream = Owned(TMemoryStream::Create());
    Stream->WriteBuffer(AText.data(), static_cast<int64_t>(AText.size()));
    return Stream;
}

void Save(TMemoryStream* AStream, const String& AFolder, const char* AName)
{
    AStream->SaveToFile(AFolder + "/" + AName);
}

}  // namespace

int main(int AArgCount, char** AArgs)
{
    if (AArgCount != 2) {
        std::fprintf(stderr, "usage: container_seeds <folder>\n");
        return 2;
    }
    String Folder = AArgs[1];

    auto Stream = Owned(TMemoryStream::Create());
    auto Writer = Owned(TXQStream::Create());
    TXRIdentity Identity;
    SetFilerIdentity(Identity, 100, 7000, 500, 0, 0, "Language");
    Writer->SetIdentity(Identity);
    if (!Writer->DoOpenStream(rmCreate | rmWrite, Stream.get(), false, nullptr))
        return 1;
    Save(Stream.get(), Folder, "empty.xq");

    bool OK = Writer->AddGroupText("Language", "1=abc\r\n2=def\r\n")
              && Writer->WriteSingleEntry("Language", 3, false, nullptr, TextStream("hello").get(), 7);
    Save(Stream.get(), Folder, "single.xq");

    OK = OK && Writer->AddGroupText("Items", String(300, 'i')) && Writer->BeginHeader("Items", 4, false, nullptr, 3)
         && Writer->WriteEntryText(-1, "compressed entry") && Writer->WriteEntryText(2, "raw entry")
         && Writer->EndHeader();
    Save(Stream.get(), Folder, "items.xq");
    Writer->Close();

    auto Appender = Owned(TXQStream::Create());
    OK = OK && Appender->OpenStream(rmWrite, Stream.get(), false, nullptr) && Appender->AddGroupText("Later", "more");
    Appender->Close();
    Save(Stream.get(), Folder, "appended.xq");
    return OK ? 0 : 1;
}

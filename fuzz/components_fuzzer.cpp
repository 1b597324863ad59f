// Feeds arbitrary bytes to the component text reader, then reads what it accepts into a
// component of every property kind. Text that converts must convert back and again to the same
// binary form; nothing may crash, hang or allocate past the limits.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "Rtl.TestZoo.h"

namespace {

void SkipEveryError(void*, TReader*, const String&, bool& AHandled)
{
    AHandled = true;
}

TOwned<TMemoryStream> TextToBinary(const void* AData, size_t ASize)
{
    auto Text = Owned(TMemoryStream::Create());
    Text->WriteBuffer(AData, static_cast<int64_t>(ASize));
    Text->SetPosition(0);
    auto Binary = Owned(TMemoryStream::Create());
    ObjectTextToBinary(Text.get(), Binary.get());
    Binary->SetPosition(0);
    return Binary;
}

void CheckRoundTrip(TMemoryStream* ABinary)
{
    auto Text = Owned(TMemoryStream::Create());
    ObjectBinaryToText(ABinary, Text.get());
    auto Again = TextToBinary(Text->Memory(), static_cast<size_t>(Text->Size()));
    if (Again->Size() != ABinary->Size() || std::memcmp(Again->Memory(), ABinary->Memory(), ABinary->Size()) != 0)
        __builtin_trap();
    ABinary->SetPosition(0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize)
{
    XTestZoo::RegisterZoo();
    TOwned<TMemoryStream> Binary;
    try {
        Binary = TextToBinary(AData, ASize);
    } catch (const EParserError&) {
        return 0;
    }
    CheckRoundTrip(Binary.get());
    auto Root = Owned(XTestZoo::TZForm::Create(nullptr));
    auto Reader = Owned(TReader::Create(Binary.get(), 4096));
    Reader->SetOnError(TReaderError(&SkipEveryError, nullptr));
    try {
        Reader->ReadRootComponent(Root.get());
    } catch (const Exception&) {
        // Children that cannot be made and names that cannot be given fail the read, cleanly.
    }
    return 0;
}

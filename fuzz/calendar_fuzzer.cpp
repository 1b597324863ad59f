// Feeds arbitrary bytes to the calendar files' filers as the store reads them: the label of
// any file, a holiday with its dates and rule, a journal and a tab. Nothing may crash, hang or
// allocate past the limits, whatever the bytes; a holiday that loads has dates a month view
// can lay out.
#include <cstddef>
#include <cstdint>

#include "Rtl.DateUtils.h"
#include "XCore.App.h"
#include "XCore.Filer.h"
#include "XCore.TestClock.h"
#include "XVData.Containers.h"
#include "XVData.Filers.h"
#include "XVData.Label.h"

namespace {

template <class TObjectClass>
void Read(TStream* AStream, TClass AFilerClass)
{
    auto Object = Owned(TObjectClass::Create());
    // A loaded object whose dates fail the check is what the store records as damaged.
    if (FilerLoadFromStream(AStream, AFilerClass, Object.get()))
        (void)Object->HasValidDates();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Calendar objects take the time of their making from the core application.
    TXTestClockApp* Clock = TXTestClockApp::Create();
    Clock->SetLocal(EncodeDate(2024, 3, 3));
    SetNVCoreApp(Clock);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize)
{
    auto Stream = Owned(TMemoryStream::Create());
    Stream->WriteBuffer(AData, static_cast<int64_t>(ASize));

    auto Label = Owned(TXL::Create());
    (void)FilerLoadFromStream(Stream.get(), TXRLStreamFiler::StaticClass(), Label.get());
    Read<TXVHolidayObject>(Stream.get(), TXVHolidayFiler::StaticClass());
    Read<TXVJournalObject>(Stream.get(), TXVJournalFiler::StaticClass());
    Read<TXVHolidayTabObject>(Stream.get(), TXVTabFiler::StaticClass());
    return 0;
}

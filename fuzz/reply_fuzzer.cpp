// Feeds arbitrary bytes to the parser of the servers' replies: any status, format and payload,
// truncated or nested tags, bad radix digits. Nothing may crash; what does not fit is code 0
// with error 44.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "XCore.Errors.h"
#include "XNet.Jobs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize)
{
    auto Parser = Owned(TXNetDataFiler::Create());
    Parser->Buffer()->WriteBuffer(AData, static_cast<int64_t>(ASize));
    bool Parsed = Parser->Parse();
    if (!Parsed && GetErrorCode() != nrBadReply && GetErrorCode() != nrServerFailure)
        std::abort();
    if (Parser->Code() != rsOK && !Parser->Data().empty())
        std::abort();
    ClearError();
    return 0;
}

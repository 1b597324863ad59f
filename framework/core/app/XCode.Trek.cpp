// XCode.Trek.cpp: the process's trace list.
#include "XCode.Trek.h"

#include <atomic>

namespace {

std::atomic<bool> GTraceOn{false};

}  // namespace

IXCodeTrek* CodeTrek()
{
    static TOwned<TXCodeTrek> Instance = Owned(TXCodeTrek::Create());
    return Instance.get();
}

bool IsTraceOn()
{
    return GTraceOn.load();
}

void SetTraceOn(bool AValue)
{
    GTraceOn.store(AValue);
}

// XCode.Trek.cpp: the process's trace list.
#include "XCode.Trek.h"

IXCodeTrek* CodeTrek()
{
    static TOwned<TXCodeTrek> Instance = Owned(TXCodeTrek::Create());
    return Instance.get();
}

#include "XCore.Filer.XStream.Recovery.h"

namespace XCore::Filer::XStream::Recovery {

void TXRStreamFilerGroup::Construct()
{
    inherited::Construct();
    SetFilerableAccess(faInterfacesOnly);
}

void TXRStreamItemsFilerGroup::Construct()
{
    inherited::Construct();
    SetFilerableAccess(faInterfacesOnly);
}

void TXRImageItemFilerGroup::Construct()
{
    inherited::Construct();
    SetFilerableAccess(faInterfacesOnly);
}

}  // namespace XCore::Filer::XStream::Recovery

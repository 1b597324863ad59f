// XCore.Filer.XStream.Recovery.h: the recovery program's stream filer groups. Objects take part
// in filing only through IXFilerable (header index, filter text) and IXDataStorable; the
// framework's older classes are not reached through their fields, and an object without the
// interfaces gets no index, an empty filter text and no data-storable setting.
#pragma once

#include "XCore.Filer.Image.h"
#include "XCore.Filer.XStream.h"

namespace XCore::Filer::XStream::Recovery {

// The filer itself is the framework's: the difference lies in the groups.
using TXRStreamFiler = ::TXRStreamFiler;

class TXRStreamFilerGroup : public ::TXRStreamFilerGroup {
    X_CLASS(TXRStreamFilerGroup, ::TXRStreamFilerGroup)
protected:
    TXRStreamFilerGroup() = default;
    void Construct() override;
};

class TXRStreamItemsFilerGroup : public ::TXRStreamItemsFilerGroup {
    X_CLASS(TXRStreamItemsFilerGroup, ::TXRStreamItemsFilerGroup)
protected:
    TXRStreamItemsFilerGroup() = default;
    void Construct() override;
};

class TXRImageItemFilerGroup : public ::TXRImageItemFilerGroup {
    X_CLASS(TXRImageItemFilerGroup, ::TXRImageItemFilerGroup)
protected:
    TXRImageItemFilerGroup() = default;
    void Construct() override;
};

}  // namespace XCore::Filer::XStream::Recovery

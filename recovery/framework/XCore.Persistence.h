// XCore.Persistence.h: object filers: one object stored in a stream and read back. A filer is
// used as a class and never made: its operations are static, and a descendant's replace its
// parent's.
#pragma once

#include "Rtl.Streams.h"

class TXCustomObjectFiler : public TObject {
    X_CLASS(TXCustomObjectFiler, TObject)
public:
    // The base stores nothing and answers True.
    static bool LoadObject(TObject*, TStream*) { return true; }
    static bool SaveObject(TObject*, TMemoryStream*) { return true; }

protected:
    TXCustomObjectFiler() = default;
};

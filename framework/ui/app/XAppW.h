// XAppW.h: language packs (a record container holding one language of one program) and the
// application wizard that runs start-up and shut-down around the program's events.
// UI thread only. A pack is read with the target's AppID and AppVer as the identity to match.
#pragma once

#include "XCore.Filer.XStream.h"

// The group "Language": the header or whole project as its object, with the text lines in the
// data item "Words", and the binary items as items of kind 4.
class TXLgFilerGroup : public TXRStreamItemsFilerGroup {
    X_CLASS(TXLgFilerGroup, TXRStreamItemsFilerGroup)
public:
    // Both act only when the group object is a TXLgProject.
    void ObjectIndexRead() override;
    void DefineObjectData() override;

protected:
    TXLgFilerGroup() = default;
    void Construct() override;
};

// Selector 0 reads or writes a whole TXLgProject; selector 1 reads a TXLgHeader alone.
class TXLgFiler : public TXRStreamFiler {
    X_CLASS(TXLgFiler, TXRStreamFiler)
public:
    void PrepareGroups(TObject* ATarget, int ASelector, const TXFilerParts& AParts) override;

protected:
    TXLgFiler() = default;
    void Construct() override;
};

// XCore.Filer.Image.h: stream filer groups of the image containers: an image item keeps its
// encoded bytes, and a thumbnail item also its thumbnail's, in entries of their own.
#pragma once

#include "XCore.Filer.XStream.h"

// "Images": items of kind 1000; an image item's bytes in the entry "Data".
class TXRImageFilerGroup : public TXRStreamItemsFilerGroup {
    X_CLASS(TXRImageFilerGroup, TXRStreamItemsFilerGroup)
protected:
    TXRImageFilerGroup() = default;
    void Construct() override;
};

// As the images group; a thumbnail item's thumbnail bytes go in the entry "ThnData".
class TXRThnImageFilerGroup : public TXRImageFilerGroup {
    X_CLASS(TXRThnImageFilerGroup, TXRImageFilerGroup)
public:
    void ItemIndexRead(TObject* AItem) override;
    void DefineItemData(TObject* AItem) override;

protected:
    TXRThnImageFilerGroup() = default;
};

// "Data": a group object that is an image item keeps its bytes in the entry "Data".
class TXRImageItemFilerGroup : public TXRStreamObjectFilerGroup {
    X_CLASS(TXRImageItemFilerGroup, TXRStreamObjectFilerGroup)
protected:
    TXRImageItemFilerGroup() = default;
};

// ---- Start-up ----------------------------------------------------------------------------

// Registers the libraries below, the graphic classes and the image classes stored items name.
// Programs and test programs call it at start-up; calling it again changes nothing.
void RegisterUIMedia();

// XCore.Filer.Image.h: stream filer groups of the image containers: an image item keeps its
// encoded bytes, and a thumbnail item also its thumbnail's, in entries of their own.
// Using the unit registers the image classes, so stored items are read back by class name.
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

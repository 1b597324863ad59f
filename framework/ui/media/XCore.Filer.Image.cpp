// XCore.Filer.Image.cpp: the image groups over the stream groups, which already keep the bytes
// of any stream item or stream object.
#include "XCore.Filer.Image.h"

#include "XMedia.Graphics.Containers.h"

namespace {

const bool kImageClassesRegistered = (RegisterClasses({TXImageItem::StaticClass(), TXThnImageItem::StaticClass(),
                                                       TXImageGroupItem::StaticClass(),
                                                       TXImageGroupObject::StaticClass()}),
                                      true);

}  // namespace

void TXRImageFilerGroup::Construct()
{
    inherited::Construct();
    SetName("Images");
    SetItemKind(1000);
}

void TXRThnImageFilerGroup::ItemIndexRead(TObject* AItem)
{
    inherited::ItemIndexRead(AItem);
    if (auto* Item = AsOrNull<TXThnImageItem>(AItem))
        WantStream("ThnData", Item->Thn()->DataStream());
}

void TXRThnImageFilerGroup::DefineItemData(TObject* AItem)
{
    inherited::DefineItemData(AItem);
    if (auto* Item = AsOrNull<TXThnImageItem>(AItem))
        DefineStream("ThnData", Item->Thn()->DataStream());
}

// XCore.Filer.Image.cpp: the image groups over the stream groups, which already keep the bytes
// of any stream item or stream object.
#include "XCore.Filer.Image.h"

#include "XMLClasses.h"
#include "XMedia.Graphics.Containers.h"
#include "XMedia.Graphics.Converters.h"

void RegisterUIMedia()
{
    RegisterCorePersistence();
    RegisterGraphicClasses();
    // Stored image items are read back by class name.
    RegisterClasses({TXImageItem::StaticClass(), TXThnImageItem::StaticClass(), TXImageGroupItem::StaticClass(),
                     TXImageGroupObject::StaticClass()});
}

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

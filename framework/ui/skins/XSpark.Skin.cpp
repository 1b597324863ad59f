// XSpark.Skin.cpp: the skin of the standard images.
#include "XSpark.Skin.h"

TXImagesBox* EmptyImagesBox()
{
    static TXImagesBox* Box = TXImagesBox::Create(nullptr);
    return Box;
}

TXNVSkin* NVSkin()
{
    static TXNVSkin* Skin = [] {
        EmptyImagesBox();
        return TXNVSkin::Create(nullptr);
    }();
    return Skin;
}

void TXNVSkin::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FImagesBoxes = XCore::Collections::TXComponentList<TXImagesBox>::Create(false);
    ResetImages();
}

TXNVSkin::~TXNVSkin()
{
    FreeAndNil(FImagesBoxes);
}

void TXNVSkin::ResetImages()
{
    for (TXImagesBox** Slot : {&FAppImages, &FErrorImages, &FInfoImages, &FQuestionImages, &FWarningImages})
        SetSlot(*Slot, nullptr);
}

void TXNVSkin::SetSlot(TXImagesBox*& ASlot, TXImagesBox* AValue)
{
    ASlot = AValue != nullptr ? AValue : EmptyImagesBox();
    if (AValue != nullptr)
        AValue->FreeNotification(this);
}

TXImagesBox* TXNVSkin::FindImagesBox(const String& AName) const
{
    for (int I = 0; I < FImagesBoxes->Count(); ++I)
        if (FImagesBoxes->GetItem(I)->Name() == AName)
            return FImagesBoxes->GetItem(I);
    return EmptyImagesBox();
}

void TXNVSkin::Notification(TComponent* AComponent, TOperation AOperation)
{
    inherited::Notification(AComponent, AOperation);
    // A freed listed box leaves ImagesBoxes by itself.
    if (AOperation != opRemove)
        return;
    for (TXImagesBox** Held : {&FAppImages, &FErrorImages, &FInfoImages, &FQuestionImages, &FWarningImages})
        if (static_cast<TComponent*>(*Held) == AComponent)
            *Held = EmptyImagesBox();
}

TXImageCollection* SkinAppImages()
{
    return NVSkin()->AppImages()->Images();
}

TXImageCollection* SkinErrorImages()
{
    return NVSkin()->ErrorImages()->Images();
}

TXImageCollection* SkinInfoImages()
{
    return NVSkin()->InfoImages()->Images();
}

TXImageCollection* SkinQuestionImages()
{
    return NVSkin()->QuestionImages()->Images();
}

TXImageCollection* SkinWarningImages()
{
    return NVSkin()->WarningImages()->Images();
}

TXImagesBox* FindSkinImagesBox(const String& AName)
{
    return NVSkin()->FindImagesBox(AName);
}

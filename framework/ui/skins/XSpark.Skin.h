// XSpark.Skin.h: the skin of the standard images: the application's, error, information,
// question and warning image boxes that message boxes show, and further boxes by name. A slot is
// never nullptr: an unset or freed box is the shared empty box. UI thread only.
#pragma once

#include "XCore.Classes.h"
#include "XCore.Collections.h"
#include "XMedia.Graphics.Containers.h"

class TXNVSkin : public TXComponent {
    X_CLASS(TXNVSkin, TXComponent)
public:
    // Named boxes found by FindImagesBox; not owned, a freed box leaves the list.
    XCore::Collections::TXComponentList<TXImagesBox>* ImagesBoxes() const { return FImagesBoxes; }
    TXImagesBox* AppImages() const { return FAppImages; }
    TXImagesBox* ErrorImages() const { return FErrorImages; }
    TXImagesBox* InfoImages() const { return FInfoImages; }
    TXImagesBox* QuestionImages() const { return FQuestionImages; }
    TXImagesBox* WarningImages() const { return FWarningImages; }
    // nullptr stores the shared empty box.
    void SetAppImages(TXImagesBox* AValue) { SetSlot(FAppImages, AValue); }
    void SetErrorImages(TXImagesBox* AValue) { SetSlot(FErrorImages, AValue); }
    void SetInfoImages(TXImagesBox* AValue) { SetSlot(FInfoImages, AValue); }
    void SetQuestionImages(TXImagesBox* AValue) { SetSlot(FQuestionImages, AValue); }
    void SetWarningImages(TXImagesBox* AValue) { SetSlot(FWarningImages, AValue); }
    // The listed box of that component name (exact); the shared empty box when none.
    TXImagesBox* FindImagesBox(const String& AName) const;
    // Every slot back to the shared empty box.
    virtual void ResetImages();

protected:
    TXNVSkin() = default;
    ~TXNVSkin() override;
    void Construct(TComponent* AOwner) override;
    void Notification(TComponent* AComponent, TOperation AOperation) override;

private:
    void SetSlot(TXImagesBox*& ASlot, TXImagesBox* AValue);

    XCore::Collections::TXComponentList<TXImagesBox>* FImagesBoxes = nullptr;
    TXImagesBox* FAppImages = nullptr;
    TXImagesBox* FErrorImages = nullptr;
    TXImagesBox* FInfoImages = nullptr;
    TXImagesBox* FQuestionImages = nullptr;
    TXImagesBox* FWarningImages = nullptr;
};

// A box without owner and without items, made before the skin; it lives as long as the program.
TXImagesBox* EmptyImagesBox();
// The skin, made at the first call; it lives as long as the program.
TXNVSkin* NVSkin();

// The image collections of the skin's slots; never nullptr.
TXImageCollection* SkinAppImages();
TXImageCollection* SkinErrorImages();
TXImageCollection* SkinInfoImages();
TXImageCollection* SkinQuestionImages();
TXImageCollection* SkinWarningImages();
TXImagesBox* FindSkinImagesBox(const String& AName);

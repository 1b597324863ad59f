// XSpark.Skin.Data.Win.h: the module that fills the skin's standard images: information,
// question, error and warning images at 64, 48, 32 and 16 pixels, each size resampled from the
// 64-pixel picture. Creating it hands its boxes to the skin; freeing it puts the skin's slots
// back to the empty box.
#pragma once

#include "Vcl.Application.h"
#include "XMedia.Graphics.Containers.h"

class TxskWinData : public TDataModule {
    X_CLASS(TxskWinData, TDataModule)
public:
    TXImagesBox* InfoImages() const { return FInfoImages; }
    TXImagesBox* QuestionImages() const { return FQuestionImages; }
    TXImagesBox* ErrorImages() const { return FErrorImages; }
    TXImagesBox* WarningImages() const { return FWarningImages; }
    // Empty: the platform has no program icon to take.
    TXImagesBox* AppImages() const { return FAppImages; }

protected:
    TxskWinData() = default;
    void Construct(TComponent* AOwner) override;
    void DataModuleCreate(TObject* ASender);

private:
    TXImagesBox* FInfoImages = nullptr;       // owned, as all five
    TXImagesBox* FQuestionImages = nullptr;
    TXImagesBox* FErrorImages = nullptr;
    TXImagesBox* FWarningImages = nullptr;
    TXImagesBox* FAppImages = nullptr;
};

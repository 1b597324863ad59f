// XSpark.VCL.Images.h: the skinned control that shows one image object: placed by its position
// setting, optionally framed and resampled, sized to the image on request. TXImage shows an
// object it does not own (give it nil before freeing the object); TXContainedImage shows a copy.
#pragma once

#include "Vcl.ExtCtrls.h"
#include "XMedia.Graphics.Containers.h"
#include "XMedia.Types.h"
#include "XSpark.VCL.h"

class TXImage : public TXGraphicControl, public IXObserver {
    X_CLASS(TXImage, TXGraphicControl)
    X_INTERFACES(IXObserver)
public:
    TXImageObject* Image() const { return FImage; }
    // Shows AImage, sized to it when AutoSize.
    void SetImage(TXImageObject* AImage);
    // The item's image, nothing for nullptr.
    void SetImageItem(TXImageItem* AItem);
    // Of a collection ordered large to small, the smallest image not smaller than ImageSize;
    // the first one when ImageSize is 0.
    void SetImageFromCollection(TXImageCollection* ACollection);

    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool AValue);
    // The wanted size for automatic sizing (an icon's entry) and the collection choice.
    int32_t ImageSize() const { return FImageSize; }
    void SetImageSize(int32_t AValue);
    TBevelCut BevelStyle() const { return FBevelStyle; }
    void SetBevelStyle(TBevelCut AValue);
    TBevelCut ImageBevelStyle() const { return FImageBevelStyle; }
    void SetImageBevelStyle(TBevelCut AValue);
    TXImagePosition Position() const { return FPosition; }
    void SetPosition(TXImagePosition AValue);
    bool Resample() const { return FResample; }
    void SetResample(bool AValue);
    TColor BgColor() const { return FBgColor; }
    void SetBgColor(TColor AValue);

    // Observing an observable follows its image-changed notifications; others are ignored.
    void Observe(IXObservable* AObservable) override;
    void Unobserve(IXObservable* AObservable) override;

    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override { return inherited::QueryInterface(AIID, AObj); }
    int32_t _AddRef() override { return inherited::_AddRef(); }
    int32_t _Release() override { return inherited::_Release(); }

protected:
    TXImage() = default;
    virtual void SetImageObject(TXImageObject* AImage) { FImage = AImage; }
    void Loaded() override;
    void Paint() override;
    void AdjustSize();

private:
    void ImageChanged(IXNotification* ANotification);

    TXImageObject* FImage = nullptr;
    bool FAutoSize = false;
    int32_t FImageSize = 0;
    TBevelCut FBevelStyle = bvNone;
    TBevelCut FImageBevelStyle = bvNone;
    TXImagePosition FPosition = ipDefault;
    bool FResample = false;
    TColor FBgColor = clBtnFace;
};

class TXContainedImage : public TXImage {
    X_CLASS(TXContainedImage, TXImage)
protected:
    TXContainedImage() = default;
    ~TXContainedImage() override;
    void Construct(TComponent* AOwner) override;
    // Copies AImage into the own object; nullptr clears it.
    void SetImageObject(TXImageObject* AImage) override;
};

// Vcl.ImgList.h: image lists: pictures of one size, kept as 32-bit bitmaps with straight
// alpha, added from bitmaps and icons and drawn by index. Changing the size empties the list.
// The pictures and their size live behind the list's handle, which lists may share.
#pragma once

#include <memory>
#include <vector>

#include "Vcl.Graphics.h"

X_ENUM(TColorDepth, cdDefault, cdDeviceDependent, cd4Bit, cd8Bit, cd16Bit, cd24Bit, cd32Bit);
X_ENUM(TDrawingStyle, dsFocus, dsSelected, dsNormal, dsTransparent);

// The pictures of an image list and their size. Every list bound to the same one sees what
// any of them adds; the pictures go with the last list or holder that lets go of them.
struct TImageListImages {
    int Width = 16;
    int Height = 16;
    std::vector<TBitmap*> Images;
    ~TImageListImages();
};
using HIMAGELIST = std::shared_ptr<TImageListImages>;

class TCustomImageList : public TComponent {
    X_CLASS(TCustomImageList, TComponent)
public:
    int Width() const { return FHandle->Width; }
    void SetWidth(int AValue) { SetSize(AValue, Height()); }
    int Height() const { return FHandle->Height; }
    void SetHeight(int AValue) { SetSize(Width(), AValue); }
    // Sides of at least 1 pixel; a new size empties the list.
    void SetSize(int AWidth, int AHeight);
    int Count() const { return int(FHandle->Images.size()); }
    // The pictures this list shows; binding another handle lets go of the list's own.
    const HIMAGELIST& Handle() const { return FHandle; }
    void SetHandle(const HIMAGELIST& AValue);
    // Kept for what is stored; images are 32-bit whatever it says.
    TColorDepth ColorDepth() const { return FColorDepth; }
    void SetColorDepth(TColorDepth AValue) { FColorDepth = AValue; }
    TDrawingStyle DrawingStyle() const { return FDrawingStyle; }
    void SetDrawingStyle(TDrawingStyle AValue);
    // Filled behind each image drawn; clNone leaves the canvas showing through.
    TColor BkColor() const { return FBkColor; }
    void SetBkColor(TColor AValue);

    // Cuts AImage into images of the list's size from the left (a strip of n widths adds n)
    // and answers the index of the first. Pixels white in AMask are transparent; without a
    // mask a 32-bit image with AlphaFormat keeps its alpha, and other images are opaque.
    int Add(TBitmap* AImage, TBitmap* AMask);
    // As Add, with the pixels of AMaskColor transparent.
    int AddMasked(TBitmap* AImage, TColor AMaskColor);
    // The icon stretched to the list's size.
    int AddIcon(TIcon* AIcon);
    // The first image cut from AImage takes the place of image AIndex.
    void Replace(int AIndex, TBitmap* AImage, TBitmap* AMask);
    void Delete(int AIndex);
    void Clear();

    // Nothing for an index out of range. A disabled image is drawn grey and half transparent.
    void Draw(TCanvas* ACanvas, int AX, int AY, int AIndex, bool AEnabled = true);
    // A copy of image AIndex into AImage (pf32bit, AlphaFormat afDefined).
    void GetBitmap(int AIndex, TBitmap* AImage);

    TNotifyEvent OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent AValue) { FOnChange = AValue; }

protected:
    TCustomImageList() = default;
    virtual void Change();

private:
    enum class TMaskKind : uint8_t { None, Bitmap, Color };
    struct TMaskRule {
        TMaskKind Kind = TMaskKind::None;
        TBitmap* Bitmap = nullptr;
        TColor Color = clNone;
    };
    std::vector<TBitmap*> Cut(TBitmap* AImage, const TMaskRule& AMask, int AMaxCount);
    int Append(TBitmap* AImage, const TMaskRule& AMask);
    void CheckIndex(int AIndex) const;

    HIMAGELIST FHandle = std::make_shared<TImageListImages>();
    TColorDepth FColorDepth = cd32Bit;
    TDrawingStyle FDrawingStyle = dsNormal;
    TColor FBkColor = clNone;
    TNotifyEvent FOnChange;
};

class TImageList : public TCustomImageList {
    X_CLASS(TImageList, TCustomImageList)
public:
    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TImageList() = default;
};

// Vcl.Imaging.Jpeg.h: JPEG pictures through libjpeg. A loaded picture keeps its file's bytes
// and decodes them on first use at the chosen Scale; one made from pixels is encoded with
// CompressionQuality when it is saved.
#pragma once

#include "Vcl.Graphics.h"

// What libjpeg refused, with its message.
X_EXCEPTION(EJPEG, EInvalidGraphic);

X_ENUM(TJPEGScale, jsFullSize, jsHalf, jsQuarter, jsEighth);
X_ENUM(TJPEGPerformance, jpBestQuality, jpBestSpeed);

class TJPEGImage : public TGraphic {
    X_CLASS(TJPEGImage, TGraphic)
public:
    // The size of the decoded picture: the file's size divided by the scale, rounded up.
    int Width() const override;
    int Height() const override;
    bool Empty() const override { return FData.empty() && FBitmap == nullptr; }

    // 1..100; values outside are clamped. Used when pixels are encoded.
    int CompressionQuality() const { return FCompressionQuality; }
    void SetCompressionQuality(int AValue);
    // Changing these drops the decoded pixels of a loaded picture; the next use decodes again.
    TJPEGScale Scale() const { return FScale; }
    void SetScale(TJPEGScale AValue);
    bool Grayscale() const { return FGrayscale; }
    void SetGrayscale(bool AValue);
    TJPEGPerformance Performance() const { return FPerformance; }
    void SetPerformance(TJPEGPerformance AValue);
    // On, a file whose data ends before its picture does raises EJPEG instead of decoding
    // with the rest grey: for callers that must not take a cut file for a picture.
    bool StrictEnd() const { return FStrictEnd; }
    void SetStrictEnd(bool AValue);

    // The decoded pixels (pf24bit) the picture draws from, decoded now when needed; nullptr
    // when empty. Corrupt data raises EJPEG; a file cut short decodes with its rest grey
    // (unless StrictEnd).
    TBitmap* Bitmap();
    void DIBNeeded() { Bitmap(); }
    // Encodes the pixels again with the current quality and grey setting.
    void Compress();

    // A header that is not JPEG's raises EJPEG; the scan is decoded on first use.
    void LoadFromStream(TStream* AStream) override;
    // The loaded bytes as they came, or the pixels encoded.
    void SaveToStream(TStream* AStream) override;
    // From another JPEG picture, or from a bitmap (encoded when saved).
    void Assign(TPersistent* ASource) override;
    // Into a bitmap: the decoded pixels.
    void AssignTo(TPersistent* ADest) override;

protected:
    TJPEGImage() = default;
    ~TJPEGImage() override;
    void Draw(TCanvas* ACanvas, const TRect& ARect) override;

private:
    void FreeBitmap();

    TBytes FData;
    int FImageWidth = 0;   // of the file, at full size
    int FImageHeight = 0;
    TBitmap* FBitmap = nullptr;
    int FCompressionQuality = 90;
    TJPEGScale FScale = jsFullSize;
    bool FGrayscale = false;
    TJPEGPerformance FPerformance = jpBestQuality;
    bool FStrictEnd = false;
};

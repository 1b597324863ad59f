// Vcl.Graphics.h: fonts, pens, brushes, canvases, bitmaps, pictures, icons: what the framework
// draws with. Bitmap rows are blue, green, red (and a fourth byte for pf32bit), top row first.
// Everything here belongs to the UI thread; another thread may draw on a canvas between Lock
// and Unlock.
#pragma once

#include <cstdint>
#include <span>

#include "Rtl.Classes.h"
#include "Rtl.Streams.h"
#include "Rtl.TypInfo.h"
#include "Win.Graphics.h"

class TBitmap;
class TCanvas;
class TGraphic;

// Image bytes that cannot be decoded (corrupt, truncated, unsupported, absurdly large).
X_EXCEPTION(EInvalidGraphic, Exception);
// A call the graphic cannot do (a scan line out of range, resizing a picture that cannot be).
X_EXCEPTION(EInvalidGraphicOperation, Exception);
// A picture resource that could not be made (an icon image that does not decode).
X_EXCEPTION(EOutOfResources, EOutOfMemory);

// ---- Colours -----------------------------------------------------------------------------

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

// A system colour: the high byte 0xFF, the index of GetSysColor in the low byte.
constexpr TColor SystemColor(int32_t AIndex) { return static_cast<TColor>(0xFF000000u | uint32_t(AIndex)); }
inline constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR);
inline constexpr TColor clBackground = SystemColor(COLOR_BACKGROUND);
inline constexpr TColor clActiveCaption = SystemColor(COLOR_ACTIVECAPTION);
inline constexpr TColor clInactiveCaption = SystemColor(COLOR_INACTIVECAPTION);
inline constexpr TColor clMenu = SystemColor(COLOR_MENU);
inline constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
inline constexpr TColor clWindowFrame = SystemColor(COLOR_WINDOWFRAME);
inline constexpr TColor clMenuText = SystemColor(COLOR_MENUTEXT);
inline constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
inline constexpr TColor clCaptionText = SystemColor(COLOR_CAPTIONTEXT);
inline constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
inline constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
inline constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
inline constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
inline constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
inline constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
inline constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
inline constexpr TColor cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW);
inline constexpr TColor cl3DLight = SystemColor(COLOR_3DLIGHT);
inline constexpr TColor clInfoText = SystemColor(COLOR_INFOTEXT);
inline constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);
inline constexpr TColor clHotLight = SystemColor(COLOR_HOTLIGHT);

// The colour a system colour stands for now; any other value unchanged.
TColor ColorToRGB(TColor AColor);
// AColor with its lightness moved by ALuminance on the 0..240 scale of hue, lightness and
// saturation (kept in range): the light and the shade of a colour for etched lines and bevels.
TColor ColorAdjustLuma(TColor AColor, int ALuminance);
inline TColor GetHighLightColor(TColor AColor, int ALuminance = 19) { return ColorAdjustLuma(AColor, ALuminance); }
inline TColor GetShadowColor(TColor AColor, int ALuminance = -50) { return ColorAdjustLuma(AColor, ALuminance); }

// ---- Fonts, pens and brushes -------------------------------------------------------------

X_ENUM(TFontStyle, fsBold, fsItalic, fsUnderline, fsStrikeOut);
using TFontStyles = TSet<TFontStyle>;
X_ENUM(TFontPitch, fpDefault, fpVariable, fpFixed);
X_ENUM(TFontQuality, fqDefault, fqDraft, fqProof, fqNonAntialiased, fqAntialiased, fqClearType,
       fqClearTypeNatural);
X_ENUM(TPenStyle, psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame);
X_ENUM(TBrushStyle, bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross,
       bsDiagCross);
using TFontCharset = uint8_t;
inline constexpr TFontCharset DEFAULT_CHARSET = 1;

// Tells its owner (a canvas, a control) through OnChange that a property changed.
class TGraphicsObject : public TPersistent {
    X_CLASS(TGraphicsObject, TPersistent)
public:
    TNotifyEvent OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent AValue) { FOnChange = AValue; }

protected:
    TGraphicsObject() = default;
    virtual void Changed();

private:
    TNotifyEvent FOnChange;
};

// A font by face name (fontconfig finds it or the nearest face), size and style. Height is in
// pixels at PixelsPerInch: negative for the character height, positive for the cell height;
// Size is the same in points.
class TFont : public TGraphicsObject {
    X_CLASS(TFont, TGraphicsObject)
public:
    const String& Name() const { return FName; }
    void SetName(const String& AValue);
    int Size() const;
    void SetSize(int AValue);
    int Height() const { return FHeight; }
    void SetHeight(int AValue);
    TColor Color() const { return FColor; }
    void SetColor(TColor AValue);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles AValue);
    TFontPitch Pitch() const { return FPitch; }
    void SetPitch(TFontPitch AValue);
    TFontCharset Charset() const { return FCharset; }
    void SetCharset(TFontCharset AValue);
    TFontQuality Quality() const { return FQuality; }
    void SetQuality(TFontQuality AValue);
    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int AValue) { FPixelsPerInch = AValue > 0 ? AValue : 96; }

    void Assign(TPersistent* ASource) override;
    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TFont() = default;

private:
    String FName = "Tahoma";
    int FHeight = -11;   // 8 points at 96 DPI
    TColor FColor = clWindowText;
    TFontStyles FStyle;
    TFontPitch FPitch = fpDefault;
    TFontCharset FCharset = DEFAULT_CHARSET;
    TFontQuality FQuality = fqDefault;
    int FPixelsPerInch = 96;
};

class TPen : public TGraphicsObject {
    X_CLASS(TPen, TGraphicsObject)
public:
    TColor Color() const { return FColor; }
    void SetColor(TColor AValue);
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle AValue);
    int Width() const { return FWidth; }
    void SetWidth(int AValue);

    void Assign(TPersistent* ASource) override;
    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TPen() = default;

private:
    TColor FColor = clBlack;
    TPenStyle FStyle = psSolid;
    int FWidth = 1;
};

// A brush with a Bitmap fills with that bitmap repeated from the canvas origin; the bitmap
// is not owned and must outlive its use.
class TBrush : public TGraphicsObject {
    X_CLASS(TBrush, TGraphicsObject)
public:
    TColor Color() const { return FColor; }
    void SetColor(TColor AValue);
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle AValue);
    TBitmap* Bitmap() const { return FBitmap; }
    void SetBitmap(TBitmap* AValue);

    void Assign(TPersistent* ASource) override;
    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TBrush() = default;

private:
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
    TBitmap* FBitmap = nullptr;
};

// ---- Canvas ------------------------------------------------------------------------------

struct TSize {
    int32_t cx = 0;
    int32_t cy = 0;
    friend bool operator==(const TSize&, const TSize&) = default;
};

// Flags of TextRect's formatted form (DrawText's DT_ flags).
enum TTextFormats : uint8_t {
    tfBottom,
    tfCalcRect,
    tfCenter,
    tfEndEllipsis,
    tfPathEllipsis,
    tfWordEllipsis,
    tfExpandTabs,
    tfLeft,
    tfNoClip,
    tfNoPrefix,
    tfHidePrefix,
    tfRight,
    tfRtlReading,
    tfSingleLine,
    tfTop,
    tfVerticalCenter,
    tfWordBreak
};
using TTextFormat = TSet<TTextFormats>;
X_ENUM(TAlignment, taLeftJustify, taRightJustify, taCenter);

// Where a canvas draws: 32-bit pixels (blue, green, red, fourth byte), rows top first. The
// canvas's (0, 0) falls on Origin of the pixels; Clip, in canvas coordinates, bounds every
// drawing call.
struct TCanvasTarget {
    uint8_t* Bits = nullptr;
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t Stride = 0;
    TPoint Origin;
    TRect Clip;
};

// Draws with GDI's pixel rules: shapes are not antialiased, a line leaves out its end point,
// rectangles exclude their right and bottom edges. Text is drawn with pango (antialiased
// unless the font's quality says otherwise). A canvas without a target draws nothing and
// measures text as it would draw it.
class TCanvas : public TPersistent {
    X_CLASS(TCanvas, TPersistent)
public:
    TFont* Font() const { return FFont; }
    void SetFont(TFont* AValue) { FFont->Assign(AValue); }
    TPen* Pen() const { return FPen; }
    void SetPen(TPen* AValue) { FPen->Assign(AValue); }
    TBrush* Brush() const { return FBrush; }
    void SetBrush(TBrush* AValue) { FBrush->Assign(AValue); }
    TPoint PenPos() const { return FPenPos; }
    void SetPenPos(TPoint AValue) { FPenPos = AValue; }
    // The clipping rectangle in canvas coordinates; empty without a target.
    TRect ClipRect();

    void MoveTo(int AX, int AY) { FPenPos = Point(AX, AY); }
    void LineTo(int AX, int AY);
    void Polyline(std::span<const TPoint> APoints);
    // Filled with the brush (alternate rule), outlined with the pen.
    void Polygon(std::span<const TPoint> APoints);
    void Rectangle(int AX1, int AY1, int AX2, int AY2);
    void Rectangle(const TRect& ARect) { Rectangle(ARect.Left, ARect.Top, ARect.Right, ARect.Bottom); }
    void Ellipse(int AX1, int AY1, int AX2, int AY2);
    void Ellipse(const TRect& ARect) { Ellipse(ARect.Left, ARect.Top, ARect.Right, ARect.Bottom); }
    // The brush only, whatever its style says.
    void FillRect(const TRect& ARect);
    // A one-pixel frame in the brush colour.
    void FrameRect(const TRect& ARect);

    // The graphic at its own size; nothing for nullptr or an empty graphic.
    void Draw(int AX, int AY, TGraphic* AGraphic);
    void StretchDraw(const TRect& ARect, TGraphic* AGraphic);
    // ASourceRect of ACanvas (this canvas too) stretched into ADest.
    void CopyRect(const TRect& ADest, TCanvas* ACanvas, const TRect& ASourceRect);

    // The text with its top-left corner at (AX, Y); a solid brush fills the text's cell first.
    // The pen moves to the end of the text.
    void TextOut(int AX, int AY, const String& AText);
    // TextOut clipped to ARect; a solid brush fills all of ARect.
    void TextRect(const TRect& ARect, int AX, int AY, const String& AText);
    // The text laid out in ARect by AFormat; with tfCalcRect nothing is drawn and ARect
    // becomes the rectangle the text needs. Without tfNoPrefix "&" underlines the next
    // character and "&&" is one "&".
    void TextRect(TRect& ARect, const String& AText, TTextFormat AFormat);
    TSize TextExtent(const String& AText);
    int TextWidth(const String& AText) { return TextExtent(AText).cx; }
    int TextHeight(const String& AText) { return TextExtent(AText).cy; }

    // clNone outside the target.
    TColor Pixels(int AX, int AY);
    void SetPixels(int AX, int AY, TColor AColor);

    void Lock() { MonitorEnter(); }
    void Unlock() { MonitorExit(); }

protected:
    TCanvas() = default;
    ~TCanvas() override;
    void Construct();

    // Hands out the pixels to draw on; False when there are none. ReleaseTarget follows every
    // successful AcquireTarget, with AChanged True when the pixels were drawn on.
    virtual bool AcquireTarget(TCanvasTarget&) { return false; }
    virtual void ReleaseTarget(bool) {}

private:
    friend class TCanvasAccess;
    TFont* FFont = nullptr;
    TPen* FPen = nullptr;
    TBrush* FBrush = nullptr;
    TPoint FPenPos;
};

// ---- Graphics ----------------------------------------------------------------------------

// A picture of any kind that can load and save itself and draw itself onto a canvas.
class TGraphic : public TPersistent {
    X_CLASS(TGraphic, TPersistent)
public:
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    void SetWidth(int AValue) { SetSize(AValue, Height()); }
    void SetHeight(int AValue) { SetSize(Width(), AValue); }
    // The base raises EInvalidGraphicOperation: not every kind of picture can be resized.
    virtual void SetSize(int AWidth, int AHeight);
    virtual bool Empty() const = 0;
    virtual bool Transparent() const { return FTransparent; }
    virtual void SetTransparent(bool AValue);
    bool Modified() const { return FModified; }
    void SetModified(bool AValue) { FModified = AValue; }

    // Reads from the stream's position to its end. Bad bytes raise EInvalidGraphic.
    virtual void LoadFromStream(TStream* AStream) = 0;
    virtual void SaveToStream(TStream* AStream) = 0;
    // A missing file raises EFOpenError; the file is saved through a temporary file.
    void LoadFromFile(const String& AFileName);
    void SaveToFile(const String& AFileName);

    // Draws onto a bitmap of the graphic's size, for the kinds that cannot copy themselves.
    void AssignTo(TPersistent* ADest) override;

    TNotifyEvent OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent AValue) { FOnChange = AValue; }

protected:
    friend class TCanvas;
    TGraphic() = default;
    // Family constructor: graphics are made from class references by TPicture.
    virtual void Construct() {}
    virtual void Draw(TCanvas* ACanvas, const TRect& ARect) = 0;
    // Marks the graphic modified and fires OnChange.
    virtual void Changed();

private:
    bool FTransparent = false;
    bool FModified = false;
    TNotifyEvent FOnChange;
};
using TGraphicClass = TClass;

// The largest picture any decoder here accepts: bigger headers are hostile or corrupt, and
// refusing them keeps a few bytes from asking for gigabytes. A side is at most what cairo
// can draw.
inline constexpr int32_t MaxGraphicSide = 32767;
inline constexpr int64_t MaxGraphicPixels = int64_t(1) << 26;
// Raises EInvalidGraphic "<AKind> image has an invalid size (W x H)" unless both sides are
// 1..MaxGraphicSide and the area is at most MaxGraphicPixels.
void CheckGraphicSize(const char* AKind, int64_t AWidth, int64_t AHeight);
// The bytes from the stream's position to its end.
TBytes ReadRestOfStream(TStream* AStream);

X_ENUM(TPixelFormat, pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom);
X_ENUM(TAlphaFormat, afIgnored, afDefined, afPremultiplied);
X_ENUM(TTransparentMode, tmAuto, tmFixed);

// A bitmap in memory. Only pf24bit and pf32bit are kept; pfDevice is the screen's format,
// pf32bit here, and any other format is stored as pf24bit. AlphaFormat says whether drawing
// honours the fourth byte: afDefined as straight alpha, afPremultiplied as premultiplied.
// A Transparent bitmap leaves out its TransparentColor when drawn (tmAuto: the colour of the
// bottom-left pixel). A ScanLine pointer stays valid until the next canvas call on the
// bitmap or a change of its size or format.
class TBitmap : public TGraphic {
    X_CLASS(TBitmap, TGraphic)
public:
    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    // Kept pixels keep their place; new ones are white. Sizes are checked like decoded ones.
    void SetSize(int AWidth, int AHeight) override;
    bool Empty() const override { return FWidth == 0 || FHeight == 0; }
    TPixelFormat PixelFormat() const { return FPixelFormat; }
    // Converting keeps the picture; 24 to 32 bits sets the fourth byte to 0.
    void SetPixelFormat(TPixelFormat AValue);
    TAlphaFormat AlphaFormat() const { return FAlphaFormat; }
    void SetAlphaFormat(TAlphaFormat AValue);
    TTransparentMode TransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode AValue);
    // tmAuto: the bottom-left pixel's colour (clNone for an empty bitmap).
    TColor TransparentColor();
    // Switches to tmFixed.
    void SetTransparentColor(TColor AValue);

    TCanvas* Canvas();
    // Row ARow (0 is the top); raises EInvalidGraphicOperation "Scan line index out of range".
    void* ScanLine(int ARow);
    int BytesPerPixel() const { return FPixelFormat == pf32bit ? 4 : 3; }

    // BMP files: 1, 4, 8, 24 and 32 bits per pixel, uncompressed or with bit fields; read
    // into pf24bit (palette and 24-bit files) or pf32bit. Saved as 24 or 32 bits, bottom-up.
    void LoadFromStream(TStream* AStream) override;
    void SaveToStream(TStream* AStream) override;
    // From another bitmap: a copy of the pixels and settings; nullptr empties the bitmap;
    // other graphics draw themselves in (AssignTo).
    void Assign(TPersistent* ASource) override;

protected:
    TBitmap() = default;
    ~TBitmap() override;
    void Draw(TCanvas* ACanvas, const TRect& ARect) override;

private:
    friend class TBitmapAccess;
    enum class TNewest : uint8_t { Both, Rows, Surface };
    // Brings the rows up to date after drawing on a pf24bit bitmap.
    void FlushSurface();
    // The 32-bit pixels a canvas draws on, up to date with the rows.
    uint8_t* Surface();
    // A canvas drew on the pixels.
    void SurfaceChanged();
    int RowBytes() const { return FWidth * BytesPerPixel(); }

    int FWidth = 0;
    int FHeight = 0;
    TPixelFormat FPixelFormat = pf32bit;
    TAlphaFormat FAlphaFormat = afIgnored;
    TTransparentMode FTransparentMode = tmAuto;
    TColor FTransparentColor = clNone;
    // The rows in the bitmap's format. pf32bit rows double as the canvas's pixels; pf24bit
    // bitmaps draw through a 32-bit copy that is synchronised on demand.
    TBytes FRows;
    TBytes FSurface;
    TNewest FNewest = TNewest::Both;
    TCanvas* FCanvas = nullptr;
};

// An icon (ICO file): the entry nearest to the requested size (32 x 32 unless SetSize was
// called before loading), with its AND mask as transparency; PNG-compressed entries too.
// A loaded icon saves the file it came from, every entry kept; an icon assigned from a
// bitmap saves one 32-bit entry.
class TIcon : public TGraphic {
    X_CLASS(TIcon, TGraphic)
public:
    int Width() const override;
    int Height() const override;
    // Before loading: the entry size to pick. After: nothing changes but the size wanted next.
    void SetSize(int AWidth, int AHeight) override;
    bool Empty() const override { return FImage == nullptr; }
    bool Transparent() const override { return true; }
    void LoadFromStream(TStream* AStream) override;
    void SaveToStream(TStream* AStream) override;
    // From another icon, or from a bitmap (its alpha used when AlphaFormat defines one).
    void Assign(TPersistent* ASource) override;
    // The chosen entry as a 32-bit bitmap with straight alpha; nullptr when empty.
    TBitmap* Image() const { return FImage; }

protected:
    TIcon() = default;
    ~TIcon() override;
    void Draw(TCanvas* ACanvas, const TRect& ARect) override;

private:
    TBytes FData;
    TBitmap* FImage = nullptr;
    TSize FRequested{32, 32};
};

// Metafiles (WMF, EMF) have no renderer here: the class exists for the class registry and
// for pictures, and loading one raises EInvalidGraphic.
class TMetafile : public TGraphic {
    X_CLASS(TMetafile, TGraphic)
public:
    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    void SetSize(int AWidth, int AHeight) override;
    bool Empty() const override { return true; }
    void LoadFromStream(TStream* AStream) override;
    void SaveToStream(TStream*) override {}

protected:
    TMetafile() = default;
    void Draw(TCanvas*, const TRect&) override {}

private:
    int FWidth = 0;
    int FHeight = 0;
};

// ---- Picture -----------------------------------------------------------------------------

// Holds one graphic of any registered kind. Files choose the kind by their extension,
// streams by their first bytes. A failed load keeps the graphic held before.
class TPicture : public TPersistent {
    X_CLASS(TPicture, TPersistent)
public:
    TGraphic* Graphic() const { return FGraphic; }
    // Holds a copy of AValue (nullptr: nothing).
    void SetGraphic(TGraphic* AValue);
    // The graphic as a bitmap; any other graphic is replaced by an empty bitmap.
    TBitmap* Bitmap();
    int Width() const { return FGraphic ? FGraphic->Width() : 0; }
    int Height() const { return FGraphic ? FGraphic->Height() : 0; }
    // Unless the graphic is of AClass already (or descends from it), replaces it by a new
    // empty graphic of AClass.
    void ForceType(TGraphicClass AClass);

    // An unknown extension raises EInvalidGraphic "Unknown picture file extension (.x)".
    void LoadFromFile(const String& AFileName);
    void SaveToFile(const String& AFileName);
    // Unknown first bytes raise EInvalidGraphic "Unknown picture format".
    void LoadFromStream(TStream* AStream);
    void SaveToStream(TStream* AStream);
    void Assign(TPersistent* ASource) override;

    // AExtension without its point, letter case ignored; a later registration of an extension
    // replaces the earlier one.
    static void RegisterFileFormat(const String& AExtension, const String& ADescription, TGraphicClass AClass);
    static void UnregisterGraphicClass(TGraphicClass AClass);
    // The class registered for the extension (with or without its point); nullptr for none.
    static TGraphicClass FileFormatClass(const String& AExtension);

    TNotifyEvent OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent AValue) { FOnChange = AValue; }

protected:
    TPicture() = default;
    ~TPicture() override;

private:
    void TakeGraphic(TGraphic* AGraphic);
    void GraphicChanged(TObject* ASender);

    TGraphic* FGraphic = nullptr;
    TNotifyEvent FOnChange;
};

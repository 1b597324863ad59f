// Display.Headless.cpp: the in-memory screen.
#include "Display.Headless.h"

#include <algorithm>

namespace {

bool SameKeys(const TXHotKey& A, UINT AModifiers, UINT AVirtualKey)
{
    return A.Modifiers == AModifiers && A.VirtualKey == AVirtualKey;
}

// Foreign handles start far above the ones Win.Messages counts up from 1.
constexpr uintptr_t kFirstForeignHandle = uintptr_t(1) << 48;

TXMonitor DefaultMonitor()
{
    TRect Screen = Rect(0, 0, 1920, 1080);
    return TXMonitor{"Headless-1", "Headless", Screen, Screen, true, 96};
}

}  // namespace

TXHeadlessDisplay::TXHeadlessDisplay()
{
    Reset();
}

void TXHeadlessDisplay::Reset()
{
    FMonitors = {DefaultMonitor()};
    FLogicalDpi = TXDpi();
    FForeign.clear();
    FHotKeys.clear();
    FForeignHotKeys.clear();
    FLastForeign = kFirstForeignHandle;
    FCapture = nullptr;
    FCursorPos = TPoint();
    FMoveResize = TMoveResize();
    FClipboard.clear();
}

void TXHeadlessDisplay::SetMonitors(std::vector<TXMonitor> AMonitors)
{
    if (AMonitors.empty())
        AMonitors.push_back(DefaultMonitor());
    auto Primary = std::find_if(AMonitors.begin(), AMonitors.end(), [](const TXMonitor& M) { return M.Primary; });
    if (Primary == AMonitors.end())
        Primary = AMonitors.begin();
    for (TXMonitor& Monitor : AMonitors)
        Monitor.Primary = &Monitor == &*Primary;
    FMonitors = std::move(AMonitors);
}

std::vector<TXHeadlessDisplay::TForeignWindow>::iterator TXHeadlessDisplay::FindForeign(HWND AWnd)
{
    return std::find_if(FForeign.begin(), FForeign.end(), [&](const TForeignWindow& W) { return W.Handle == AWnd; });
}

bool TXHeadlessDisplay::Activate(HWND AWnd)
{
    if (reinterpret_cast<uintptr_t>(AWnd) < kFirstForeignHandle)
        return true;
    auto Found = FindForeign(AWnd);
    if (Found == FForeign.end())
        return false;
    std::rotate(FForeign.begin(), Found, Found + 1);
    return true;
}

HWND TXHeadlessDisplay::AddForeignWindow(const String& AClassName, const String& ACaption)
{
    HWND Wnd = reinterpret_cast<HWND>(++FLastForeign);
    FForeign.insert(FForeign.begin(), TForeignWindow{Wnd, AClassName, ACaption});
    return Wnd;
}

void TXHeadlessDisplay::RemoveForeignWindow(HWND AWnd)
{
    auto Found = FindForeign(AWnd);
    if (Found != FForeign.end())
        FForeign.erase(Found);
}

std::vector<HWND> TXHeadlessDisplay::ForeignWindows()
{
    std::vector<HWND> Result;
    for (const TForeignWindow& W : FForeign)
        Result.push_back(W.Handle);
    return Result;
}

bool TXHeadlessDisplay::ForeignWindowText(HWND AWnd, String& AClassName, String& ACaption)
{
    auto Found = FindForeign(AWnd);
    if (Found == FForeign.end())
        return false;
    AClassName = Found->ClassName;
    ACaption = Found->Caption;
    return true;
}

TXHeadlessDisplay* HeadlessDisplay()
{
    return dynamic_cast<TXHeadlessDisplay*>(&DisplayBackend());
}

bool TXHeadlessDisplay::GrabHotKey(const TXHotKey& AHotKey)
{
    if (std::any_of(FForeignHotKeys.begin(), FForeignHotKeys.end(),
                    [&](const TXHotKey& H) { return SameKeys(H, AHotKey.Modifiers, AHotKey.VirtualKey); }))
        return false;
    FHotKeys.push_back(AHotKey);
    return true;
}

void TXHeadlessDisplay::UngrabHotKey(const TXHotKey& AHotKey)
{
    std::erase(FHotKeys, AHotKey);
}

bool TXHeadlessDisplay::PressHotKey(UINT AModifiers, UINT AVirtualKey)
{
    auto Found = std::find_if(FHotKeys.begin(), FHotKeys.end(),
                              [&](const TXHotKey& H) { return SameKeys(H, AModifiers, AVirtualKey); });
    if (Found == FHotKeys.end())
        return false;
    PostHotKey(*Found);
    return true;
}

// ---- Our windows' pictures -----------------------------------------------------------------

void TXHeadlessDisplay::WindowDestroyed(HWND AWnd)
{
    FPictures.erase(AWnd);
    FShapes.erase(AWnd);
    FIcons.erase(AWnd);
    FCursors.erase(AWnd);
    if (FCapture == AWnd)
        FCapture = nullptr;
}

void TXHeadlessDisplay::WindowPainted(HWND AWnd, const TXSurfaceView& ASurface, const TRect& ADirty)
{
    TPicture& Picture = FPictures[AWnd];
    if (Picture.Width != ASurface.Width || Picture.Height != ASurface.Height) {
        Picture.Width = ASurface.Width;
        Picture.Height = ASurface.Height;
        Picture.Bits.assign(size_t(ASurface.Width) * ASurface.Height * 4, 0);
    }
    int Left = std::max(ADirty.Left, 0), Right = std::min(ADirty.Right, ASurface.Width);
    if (Right <= Left)
        return;
    for (int Y = std::max(ADirty.Top, 0); Y < std::min(ADirty.Bottom, ASurface.Height); ++Y)
        std::copy_n(ASurface.Bits + size_t(Y) * ASurface.Stride + size_t(Left) * 4, size_t(Right - Left) * 4,
                    &Picture.Bits[(size_t(Y) * Picture.Width + Left) * 4]);
}

bool TXHeadlessDisplay::Snapshot(HWND AWnd, std::vector<uint8_t>& ABits, int& AWidth, int& AHeight) const
{
    auto Found = FPictures.find(AWnd);
    if (Found == FPictures.end())
        return false;
    ABits = Found->second.Bits;
    AWidth = Found->second.Width;
    AHeight = Found->second.Height;
    return true;
}

void TXHeadlessDisplay::SetWindowShape(HWND AWnd, bool AShaped, const std::vector<TRect>& ARects)
{
    if (AShaped)
        FShapes[AWnd] = ARects;
    else
        FShapes.erase(AWnd);
}

const std::vector<TRect>* TXHeadlessDisplay::WindowShape(HWND AWnd) const
{
    auto Found = FShapes.find(AWnd);
    return Found != FShapes.end() ? &Found->second : nullptr;
}

void TXHeadlessDisplay::SetWindowCursor(HWND AWnd, const String& AShape, const TXCursorImage* AImage)
{
    FCursors[AWnd] = AShape;
    if (AImage != nullptr)
        FCursorImages[AShape] = *AImage;
}

const TXCursorImage* TXHeadlessDisplay::CursorImage(const String& AShape) const
{
    auto Found = FCursorImages.find(AShape);
    return Found != FCursorImages.end() ? &Found->second : nullptr;
}

String TXHeadlessDisplay::WindowCursor(HWND AWnd) const
{
    auto Found = FCursors.find(AWnd);
    return Found != FCursors.end() ? Found->second : String("default");
}

// ---- Clipboard ---------------------------------------------------------------------------

bool TXHeadlessDisplay::SetClipboard(const std::vector<TXClipboardItem>& AItems)
{
    FClipboard = AItems;
    return true;
}

std::vector<String> TXHeadlessDisplay::ClipboardFormats()
{
    std::vector<String> Formats;
    for (const TXClipboardItem& Item : FClipboard)
        Formats.push_back(Item.Format);
    return Formats;
}

bool TXHeadlessDisplay::ClipboardData(const String& AFormat, std::string& AData)
{
    auto Found = std::find_if(FClipboard.begin(), FClipboard.end(),
                              [&](const TXClipboardItem& I) { return I.Format == AFormat; });
    if (Found == FClipboard.end())
        return false;
    AData = Found->Data;
    return true;
}

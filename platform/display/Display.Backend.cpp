// Display.Backend.cpp: the choice of the backend.
#include "Display.Backend.h"

#include <cstdlib>
#include <cstring>

#include "Display.Headless.h"

namespace {

std::unique_ptr<TXDisplayBackend>& Backend()
{
    static std::unique_ptr<TXDisplayBackend> Instance;
    return Instance;
}

TXDisplayOpener GOpener = nullptr;

std::unique_ptr<TXDisplayBackend> ChooseBackend()
{
    const char* Forced = std::getenv("NV_DISPLAY");
    if (GOpener != nullptr && (Forced == nullptr || std::strcmp(Forced, "headless") != 0))
        if (std::unique_ptr<TXDisplayBackend> Screen = GOpener())
            return Screen;
    return std::make_unique<TXHeadlessDisplay>();
}

}  // namespace

TXDisplayBackend& DisplayBackend()
{
    std::unique_ptr<TXDisplayBackend>& Instance = Backend();
    if (!Instance) {
        Instance = ChooseBackend();
        SetMessageSource(Instance->MessageSource());
    }
    return *Instance;
}

void RegisterDisplayOpener(TXDisplayOpener AOpener)
{
    GOpener = AOpener;
}

void SetDisplayBackend(std::unique_ptr<TXDisplayBackend> ABackend)
{
    Backend() = std::move(ABackend);
    SetMessageSource(Backend() ? Backend()->MessageSource() : nullptr);
}

void PostHotKey(const TXHotKey& AHotKey)
{
    PostMessageW(AHotKey.Wnd, WM_HOTKEY, static_cast<WPARAM>(AHotKey.Id),
                 static_cast<LPARAM>((AHotKey.Modifiers & 0xFFFF) | (AHotKey.VirtualKey << 16)));
}

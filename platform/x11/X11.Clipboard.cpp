// X11.Clipboard.cpp: the CLIPBOARD selection. While we own it, our hidden window answers other
// programs' requests from the items we hold; reading another owner's offer asks for it and
// waits a short while for the answer, other events staying queued meanwhile. Text is offered
// under the names older programs ask for as well.
#include <X11/Xatom.h>
#include <poll.h>

#include <algorithm>
#include <chrono>

#include "X11.Display.h"

namespace x11 {

namespace {

constexpr const char* kUtf8Text = "text/plain;charset=utf-8";
// What other programs may ask for instead of UTF-8 plain text.
constexpr const char* kTextAliases[] = {"UTF8_STRING", "text/plain", "STRING", "TEXT"};
// An owner that has not answered by then is taken to have nothing.
constexpr auto kAnswerTimeout = std::chrono::seconds(2);

}  // namespace

bool TX11Display::SetClipboard(const std::vector<TXClipboardItem>& AItems)
{
    Atom Clipboard = Intern("CLIPBOARD");
    if (AItems.empty()) {
        // Nothing to offer: the clipboard is left empty rather than held with nothing.
        if (XGetSelectionOwner(FDisplay, Clipboard) == FClipboardWindow)
            XSetSelectionOwner(FDisplay, Clipboard, None, CurrentTime);
        FClipboard.clear();
        return true;
    }
    XSetSelectionOwner(FDisplay, Clipboard, FClipboardWindow, CurrentTime);
    if (XGetSelectionOwner(FDisplay, Clipboard) != FClipboardWindow)
        return false;
    FClipboard = AItems;
    return true;
}

void TX11Display::HandleSelectionRequest(const XSelectionRequestEvent& AEvent)
{
    XSelectionEvent Reply{};
    Reply.type = SelectionNotify;
    Reply.requestor = AEvent.requestor;
    Reply.selection = AEvent.selection;
    Reply.target = AEvent.target;
    Reply.time = AEvent.time;
    Reply.property = None;
    // Old clients leave the property out and mean the target.
    Atom Property = AEvent.property != None ? AEvent.property : AEvent.target;
    auto Text = std::find_if(FClipboard.begin(), FClipboard.end(), [](const auto& I) { return I.Format == kUtf8Text; });
    if (AEvent.selection == Intern("CLIPBOARD") && !FClipboard.empty()) {
        if (AEvent.target == Intern("TARGETS")) {
            std::vector<Atom> Targets = {Intern("TARGETS")};
            for (const TXClipboardItem& Item : FClipboard)
                Targets.push_back(Intern(Item.Format.c_str()));
            if (Text != FClipboard.end())
                for (const char* Alias : kTextAliases)
                    Targets.push_back(Intern(Alias));
            XChangeProperty(FDisplay, AEvent.requestor, Property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<unsigned char*>(Targets.data()), static_cast<int>(Targets.size()));
            Reply.property = Property;
        } else {
            char* Name = XGetAtomName(FDisplay, AEvent.target);
            String Target = Name != nullptr ? Name : "";
            if (Name != nullptr)
                XFree(Name);
            auto Item = std::find_if(FClipboard.begin(), FClipboard.end(), [&](const auto& I) { return I.Format == Target; });
            if (Item == FClipboard.end()
                && std::find(std::begin(kTextAliases), std::end(kTextAliases), Target) != std::end(kTextAliases))
                Item = Text;
            // More than one request can carry would need the incremental protocol; such an
            // offer is refused rather than cut.
            long Limit = std::max(XExtendedMaxRequestSize(FDisplay), XMaxRequestSize(FDisplay)) * 4 - 1024;
            if (Item != FClipboard.end() && static_cast<long>(Item->Data.size()) <= Limit) {
                XChangeProperty(FDisplay, AEvent.requestor, Property, AEvent.target, 8, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(Item->Data.data()),
                                static_cast<int>(Item->Data.size()));
                Reply.property = Property;
            }
        }
    }
    XSendEvent(FDisplay, AEvent.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&Reply));
    XFlush(FDisplay);
}

// Asks the owner to convert the clipboard to ATarget and waits for its answer.
bool TX11Display::WaitForSelection(Atom ATarget, Atom& AType, std::string& AData)
{
    Atom Clipboard = Intern("CLIPBOARD"), Property = Intern("NV_CLIPBOARD");
    if (XGetSelectionOwner(FDisplay, Clipboard) == None)
        return false;
    XDeleteProperty(FDisplay, FClipboardWindow, Property);
    XConvertSelection(FDisplay, Clipboard, ATarget, Property, FClipboardWindow, CurrentTime);
    XFlush(FDisplay);
    auto Deadline = std::chrono::steady_clock::now() + kAnswerTimeout;
    XEvent Event;
    while (!XCheckTypedWindowEvent(FDisplay, FClipboardWindow, SelectionNotify, &Event)) {
        auto Left = std::chrono::duration_cast<std::chrono::milliseconds>(Deadline - std::chrono::steady_clock::now());
        if (Left.count() <= 0)
            return false;
        pollfd Wait{ConnectionNumber(FDisplay), POLLIN, 0};
        poll(&Wait, 1, static_cast<int>(Left.count()));
        XEventsQueued(FDisplay, QueuedAfterReading);
    }
    if (Event.xselection.property == None)
        return false;
    Atom Type;
    int Format;
    unsigned long Count, After;
    unsigned char* Data = nullptr;
    bool Read = XGetWindowProperty(FDisplay, FClipboardWindow, Property, 0, 0x7FFFFFFF / 4, True, AnyPropertyType, &Type,
                                   &Format, &Count, &After, &Data) == Success
                && Data != nullptr && Type != Intern("INCR");
    if (Read) {
        // 32-bit items come as longs, whatever their width on the wire.
        size_t Size = Format == 32 ? Count * sizeof(long) : Count * (Format / 8);
        AData.assign(reinterpret_cast<char*>(Data), Size);
        AType = Type;
    }
    if (Data != nullptr)
        XFree(Data);
    return Read;
}

std::vector<String> TX11Display::ClipboardFormats()
{
    std::vector<String> Formats;
    if (XGetSelectionOwner(FDisplay, Intern("CLIPBOARD")) == FClipboardWindow) {
        for (const TXClipboardItem& Item : FClipboard)
            Formats.push_back(Item.Format);
        return Formats;
    }
    Atom Type;
    std::string Data;
    if (!WaitForSelection(Intern("TARGETS"), Type, Data) || Type != XA_ATOM)
        return Formats;
    const auto* Atoms = reinterpret_cast<const long*>(Data.data());
    bool Text = false;
    for (size_t I = 0; I < Data.size() / sizeof(long); ++I) {
        char* Name = XGetAtomName(FDisplay, static_cast<Atom>(Atoms[I]));
        if (Name == nullptr)
            continue;
        String Format = Name;
        XFree(Name);
        if (Format == kUtf8Text || Format == "UTF8_STRING")
            Text = true;
        else if (Format != "TARGETS" && Format != "MULTIPLE" && Format != "TIMESTAMP" && Format != "SAVE_TARGETS"
                 && std::find(std::begin(kTextAliases), std::end(kTextAliases), Format) == std::end(kTextAliases))
            Formats.push_back(Format);
    }
    if (Text)
        Formats.insert(Formats.begin(), kUtf8Text);
    return Formats;
}

bool TX11Display::ClipboardData(const String& AFormat, std::string& AData)
{
    if (XGetSelectionOwner(FDisplay, Intern("CLIPBOARD")) == FClipboardWindow) {
        auto Item = std::find_if(FClipboard.begin(), FClipboard.end(), [&](const auto& I) { return I.Format == AFormat; });
        if (Item == FClipboard.end())
            return false;
        AData = Item->Data;
        return true;
    }
    Atom Type;
    if (WaitForSelection(Intern(AFormat.c_str()), Type, AData))
        return true;
    return AFormat == kUtf8Text && WaitForSelection(Intern("UTF8_STRING"), Type, AData);
}

}  // namespace x11

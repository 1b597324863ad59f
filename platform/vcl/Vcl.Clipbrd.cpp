// Vcl.Clipbrd.cpp: the clipboard through the display backend, formats by their MIME types.
#include "Vcl.Clipbrd.h"

#include <algorithm>
#include <map>
#include <mutex>

#include "Rtl.Streams.h"
#include "Rtl.SysUtils.h"
#include "Vcl.Graphics.h"

namespace {

constexpr const char* kText = "text/plain;charset=utf-8";
constexpr const char* kBitmap = "image/bmp";

struct TFormatNames {
    std::mutex Lock;
    std::map<uint16_t, String> Names;
};

TFormatNames& FormatNames()
{
    static auto* Instance = new TFormatNames;
    return *Instance;
}

// The desktop's name of a format: MIME types for the standard ones and rich text, which
// other programs know; our own formats go by their own names.
String MimeType(uint16_t AFormat)
{
    if (AFormat == CF_TEXT || AFormat == CF_UNICODETEXT)
        return kText;
    if (AFormat == CF_BITMAP || AFormat == CF_DIB)
        return kBitmap;
    TFormatNames& F = FormatNames();
    std::lock_guard Guard(F.Lock);
    auto Found = F.Names.find(AFormat);
    if (Found == F.Names.end())
        return String();
    return Found->second == "Rich Text Format" ? String("text/rtf") : Found->second;
}

}  // namespace

uint16_t RegisterClipboardFormat(const String& AName)
{
    // Windows shares one table between registered messages and clipboard formats.
    auto Id = static_cast<uint16_t>(RegisterWindowMessageW(AName));
    if (Id != 0) {
        TFormatNames& F = FormatNames();
        std::lock_guard Guard(F.Lock);
        F.Names.try_emplace(Id, AName);
    }
    return Id;
}

void TClipboard::Open()
{
    if (FOpenCount++ == 0)
        FPending.clear();
}

void TClipboard::Close()
{
    if (FOpenCount == 0 || --FOpenCount > 0)
        return;
    DisplayBackend().SetClipboard(FPending);
    FPending.clear();
}

void TClipboard::Offer(const String& AMimeType, const std::string& AData)
{
    if (AMimeType.empty())
        return;
    Open();
    std::erase_if(FPending, [&](const TXClipboardItem& I) { return I.Format == AMimeType; });
    FPending.push_back(TXClipboardItem{AMimeType, AData});
    Close();
}

String TClipboard::AsText() const
{
    return GetAsBuffer(CF_UNICODETEXT);
}

void TClipboard::SetAsText(const String& AValue)
{
    Offer(kText, AValue);
}

bool TClipboard::HasFormat(uint16_t AFormat) const
{
    String Type = MimeType(AFormat);
    std::vector<String> Formats = DisplayBackend().ClipboardFormats();
    return !Type.empty() && std::find(Formats.begin(), Formats.end(), Type) != Formats.end();
}

std::string TClipboard::GetAsBuffer(uint16_t AFormat) const
{
    std::string Data;
    String Type = MimeType(AFormat);
    if (Type.empty() || !DisplayBackend().ClipboardData(Type, Data))
        return std::string();
    return Data;
}

void TClipboard::SetBuffer(uint16_t AFormat, const std::string& AData)
{
    Offer(MimeType(AFormat), AData);
}

void TClipboard::Assign(TPersistent* ASource)
{
    auto* Bitmap = dynamic_cast<TBitmap*>(ASource);
    if (Bitmap == nullptr) {
        inherited::Assign(ASource);
        return;
    }
    TMemoryStream* Stream = TMemoryStream::Create();
    std::string Data;
    try {
        Bitmap->SaveToStream(Stream);
        Data.resize(size_t(Stream->Size()));
        Stream->SetPosition(0);
        Stream->ReadBuffer(Data.data(), int64_t(Data.size()));
    } catch (...) {
        Stream->Free();
        throw;
    }
    Stream->Free();
    SetBuffer(CF_BITMAP, Data);
}

bool TClipboard::GetBitmap(TBitmap* ABitmap) const
{
    std::string Data = GetAsBuffer(CF_BITMAP);
    if (Data.empty())
        return false;
    TMemoryStream* Stream = TMemoryStream::Create();
    bool Loaded = true;
    try {
        Stream->WriteBuffer(Data.data(), int64_t(Data.size()));
        Stream->SetPosition(0);
        ABitmap->LoadFromStream(Stream);
    } catch (const Exception&) {
        Loaded = false;   // a damaged picture from another program: nothing to paste
    }
    Stream->Free();
    return Loaded;
}

void TClipboard::Clear()
{
    Open();
    FPending.clear();
    Close();
}

TClipboard* Clipboard()
{
    static TClipboard* Instance = TClipboard::Create();
    return Instance;
}

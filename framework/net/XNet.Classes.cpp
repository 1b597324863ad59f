#include "XNet.Classes.h"

#include "Net.IdHTTP.h"
#include "Rtl.TypInfo.h"
#include "XCore.Strings.h"
#include "XCore.Strings.Utils.h"

namespace {

// The domains are kept in the byte code so that they do not stand in the binary as text.
// FIXME: placeholders under the reserved ".example" name until the real servers are known.
const char* const kDefaultServers[] = {
    "015601570162016601410154014500560145017001410155016001540145",
    "0156015701620166014101540145005501560145016400560145017001410155016001540145",
    "0156015701620166014101540145005501630162016600560145017001410155016001540145",
    "0156015701620166014101540145005501430144015600560145017001410155016001540145",
    "0156015701620166014101540145005501410154016400560145017001410155016001540145",
};

// Freed at shut-down: the server list first, then the proxy settings.
struct TNetGlobals {
    TOwned<TXProxySettings> ProxySettings;
    TOwned<TXServerCollection> DefaultServers;
    ~TNetGlobals()
    {
        DefaultServers.reset();
        ProxySettings.reset();
    }
};

TNetGlobals& Globals()
{
    static TNetGlobals GGlobals;
    return GGlobals;
}

}  // namespace

String TXProxySettings::ProxyData() const
{
    return FoldText(EncodeRadix(FUserName + "|" + FPassword, 36));
}

void TXProxySettings::SetProxyData(const String& AValue)
{
    String Plain = DecodeRadix(UnfoldText(AValue), 36);
    size_t Bar = Plain.find('|');
    if (Bar == String::npos) {
        FUserName.clear();
        FPassword = Plain;
    } else {
        FUserName = Plain.substr(0, Bar);
        FPassword = Plain.substr(Bar + 1);
    }
}

bool TXProxySettings::AssignFrom(TPersistent* ASource)
{
    auto* Source = AsOrNull<TXProxySettings>(ASource);
    if (Source == nullptr)
        return inherited::AssignFrom(ASource);
    FProxyEnabled = Source->FProxyEnabled;
    FProxyPort = Source->FProxyPort;
    FProxyServer = Source->FProxyServer;
    FUserName = Source->FUserName;
    FPassword = Source->FPassword;
    return true;
}

void TXProxySettings::ApplyTo(TIdHTTP* AHttp) const
{
    TIdProxyConnectionInfo& Proxy = AHttp->ProxyParams();
    if (!FProxyEnabled) {
        Proxy = {};
        return;
    }
    Proxy.ProxyServer = FProxyServer;
    Proxy.ProxyPort = static_cast<uint16_t>(FProxyPort);
    Proxy.ProxyUsername = FUserName;
    Proxy.ProxyPassword = FPassword;
}

void TXProxySettings::DoClear()
{
    inherited::DoClear();
    FProxyEnabled = false;
    FProxyPort = 0;
    FProxyServer.clear();
    FUserName.clear();
    FPassword.clear();
}

void TXProxySettings::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("ProxyEnabled", &TXProxySettings::ProxyEnabled, &TXProxySettings::SetProxyEnabled);
    P.Property("ProxyPort", &TXProxySettings::ProxyPort, &TXProxySettings::SetProxyPort);
    P.Property("ProxyServer", &TXProxySettings::ProxyServer, &TXProxySettings::SetProxyServer);
    P.Property("ProxyData", &TXProxySettings::ProxyData, &TXProxySettings::SetProxyData);
}

String TXServerItem::GetBaseUrl() const
{
    return "http://www." + FDomain;
}

bool TXServerItem::AssignFrom(TPersistent* ASource)
{
    auto* Source = AsOrNull<TXServerItem>(ASource);
    if (Source == nullptr)
        return inherited::AssignFrom(ASource);
    FDomain = Source->FDomain;
    return true;
}

void TXServerItem::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Domain", &TXServerItem::Domain, &TXServerItem::SetDomain);
}

TXServerItem* TXServerCollection::AddEncoded(const String& AStored)
{
    TXServerItem* Item = Add();
    Item->SetDomain(DecodeOctal(AStored));
    return Item;
}

String TXServerCollection::ToString() const
{
    String Text;
    for (int I = 0; I < Count(); ++I)
        Text += Items(I)->Domain() + "\r\n";
    return Text;
}

TXProxySettings* GetProxySettings()
{
    TNetGlobals& G = Globals();
    if (!G.ProxySettings)
        G.ProxySettings = Owned(TXProxySettings::Create());
    return G.ProxySettings.get();
}

TXServerCollection* GetDefaultServers()
{
    TNetGlobals& G = Globals();
    if (!G.DefaultServers) {
        G.DefaultServers = Owned(TXServerCollection::Create(nullptr));
        for (const char* Stored : kDefaultServers)
            G.DefaultServers->AddEncoded(Stored);
    }
    return G.DefaultServers.get();
}

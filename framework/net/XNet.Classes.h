// XNet.Classes.h: the proxy settings that network jobs copy, and the server lists they try in
// order. The program-wide settings and default list belong to the UI thread; a job reads only
// its own copies.
#pragma once

#include "XCore.Classes.h"
#include "XCore.Collections.h"

class TIdHTTP;

class TXProxySettings : public TXPersistent {
    X_CLASS(TXProxySettings, TXPersistent)
public:
    bool ProxyEnabled() const { return FProxyEnabled; }
    void SetProxyEnabled(bool AValue) { FProxyEnabled = AValue; }
    int32_t ProxyPort() const { return FProxyPort; }
    void SetProxyPort(int32_t AValue) { FProxyPort = AValue; }
    String ProxyServer() const { return FProxyServer; }
    void SetProxyServer(const String& AValue) { FProxyServer = AValue; }
    // User name and password in their stored form: "user|password" in the radix-36 byte code,
    // folded. Written without a "|", the whole text is the password.
    String ProxyData() const;
    void SetProxyData(const String& AValue);
    const String& UserName() const { return FUserName; }
    void SetUserName(const String& AValue) { FUserName = AValue; }
    const String& Password() const { return FPassword; }
    void SetPassword(const String& AValue) { FPassword = AValue; }

    bool AssignFrom(TPersistent* ASource) override;
    // The client's proxy from these settings; a disabled proxy clears the client's.
    void ApplyTo(TIdHTTP* AHttp) const;

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXProxySettings() = default;
    void DoClear() override;

private:
    bool FProxyEnabled = false;
    int32_t FProxyPort = 0;
    String FProxyServer;
    String FUserName;
    String FPassword;
};

class TXServerItem : public TXCollectionItem {
    X_CLASS(TXServerItem, TXCollectionItem)
public:
    // A bare domain: no scheme, no "www.".
    String Domain() const { return FDomain; }
    void SetDomain(const String& AValue) { FDomain = AValue; }
    // "http://www." + Domain; request paths are appended to it.
    String GetBaseUrl() const;
    bool AssignFrom(TPersistent* ASource) override;

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXServerItem() = default;

private:
    String FDomain;
};

// Servers in the order they are tried.
class TXServerCollection : public XCore::Collections::TXCollection<TXServerItem> {
    X_CLASS(TXServerCollection, XCore::Collections::TXCollection<TXServerItem>)
public:
    // Set when a server-list refresh replaced the entries from a reply.
    bool Refreshed() const { return FRefreshed; }
    void SetRefreshed(bool AValue) { FRefreshed = AValue; }
    // Appends a server whose domain is given in the radix-8 byte code.
    TXServerItem* AddEncoded(const String& AStored);
    // Every domain followed by CR LF.
    String ToString() const;

protected:
    TXServerCollection() = default;

private:
    bool FRefreshed = false;
};

// The program-wide settings, made empty (no proxy) on first use. Jobs copy them when they are
// made, so a change reaches later jobs only.
TXProxySettings* GetProxySettings();
// The program-wide default servers, made on first use.
TXServerCollection* GetDefaultServers();

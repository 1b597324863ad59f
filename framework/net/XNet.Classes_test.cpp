#include "XNet.Classes.h"

#include <gtest/gtest.h>

#include "Net.IdHTTP.h"
#include "XCore.Strings.h"
#include "XCore.Strings.Utils.h"

namespace {

TEST(ProxySettingsTest, ProxyDataRoundTripsUserAndPassword)
{
    auto Settings = Owned(TXProxySettings::Create());
    Settings->SetUserName("anna");
    Settings->SetPassword("p|ss wörd");
    String Stored = Settings->ProxyData();
    EXPECT_EQ(Stored.find("anna"), String::npos);

    auto Copy = Owned(TXProxySettings::Create());
    Copy->SetProxyData(Stored);
    EXPECT_EQ(Copy->UserName(), "anna");
    EXPECT_EQ(Copy->Password(), "p|ss wörd");
}

TEST(ProxySettingsTest, ProxyDataWithoutBarIsThePassword)
{
    auto Settings = Owned(TXProxySettings::Create());
    Settings->SetUserName("someone");
    Settings->SetProxyData(FoldText(EncodeRadix("secret", 36)));
    EXPECT_EQ(Settings->UserName(), "");
    EXPECT_EQ(Settings->Password(), "secret");
    EXPECT_EQ(Settings->ProxyData(), FoldText(EncodeRadix("|secret", 36)));
}

TEST(ProxySettingsTest, AssignCopiesAllAndApplyToHonoursTheEnabledFlag)
{
    auto Source = Owned(TXProxySettings::Create());
    Source->SetProxyServer("proxy.local");
    Source->SetProxyPort(3128);
    Source->SetUserName("u");
    Source->SetPassword("p");
    auto Copy = Owned(TXProxySettings::Create());
    Copy->Assign(Source.get());
    auto Http = Owned(TIdHTTP::Create());

    Copy->ApplyTo(Http.get());
    EXPECT_EQ(Http->ProxyParams().ProxyServer, "");
    EXPECT_EQ(Http->ProxyParams().ProxyPort, 0);

    Source->SetProxyEnabled(true);
    Copy->Assign(Source.get());
    Copy->ApplyTo(Http.get());
    EXPECT_EQ(Http->ProxyParams().ProxyServer, "proxy.local");
    EXPECT_EQ(Http->ProxyParams().ProxyPort, 3128);
    EXPECT_EQ(Http->ProxyParams().ProxyUsername, "u");
    EXPECT_EQ(Http->ProxyParams().ProxyPassword, "p");

    Copy->Clear();
    EXPECT_FALSE(Copy->ProxyEnabled());
    EXPECT_EQ(Copy->ProxyServer(), "");
}

TEST(ServerCollectionTest, DefaultServersAreFiveDecodedDomains)
{
    TXServerCollection* Servers = GetDefaultServers();
    ASSERT_EQ(Servers->Count(), 5);
    EXPECT_EQ(Servers->Items(0)->Domain(), "norvale.example");
    EXPECT_EQ(Servers->Items(0)->GetBaseUrl(), "http://www.norvale.example");
    EXPECT_EQ(GetDefaultServers(), Servers);
}

TEST(ServerCollectionTest, AddEncodedAndToString)
{
    auto Servers = Owned(TXServerCollection::Create(nullptr));
    Servers->AddEncoded("0141");   // "a"
    Servers->Add()->SetDomain("b.org");
    EXPECT_EQ(Servers->ToString(), "a\r\nb.org\r\n");
    auto Copy = Owned(TXServerCollection::Create(nullptr));
    Copy->Assign(Servers.get());
    EXPECT_EQ(Copy->ToString(), "a\r\nb.org\r\n");
}

}  // namespace

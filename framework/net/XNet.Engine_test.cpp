#include "XNet.Engine.h"

#include <gtest/gtest.h>

#include "Net.TestServer.h"
#include "XCore.Errors.h"
#include "XCore.Filer.h"
#include "XMLFiler.h"
#include "XNet.Jobs.h"
#include "XNet.Threads.h"

namespace {

// Every candidate is reached through a proxy on the loopback address, so that no name is looked up.
TOwned<TXProxySettings> ProxyTo(const TTestHttpServer& AServer)
{
    auto Settings = Owned(TXProxySettings::Create());
    Settings->SetProxyEnabled(true);
    Settings->SetProxyServer("127.0.0.1");
    Settings->SetProxyPort(AServer.Port());
    return Settings;
}

std::string ServerListReply(std::initializer_list<const char*> ADomains)
{
    auto List = Owned(TXServerCollection::Create(nullptr));
    for (const char* Domain : ADomains)
        List->Add()->SetDomain(Domain);
    auto Stream = Owned(TStringStream::Create());
    EXPECT_TRUE(FilerSaveToStream(Stream.get(), TXMLFiler::StaticClass(), List.get()));
    return "<cgi_status><code>1</code><format>0</format></cgi_status><cgi_data>" + Stream->DataString() + "</cgi_data>";
}

TEST(RefreshServerListTest, AFailingDefaultServerPassesToTheNext)
{
    String Reply = ServerListReply({"one.example", "two.example"});
    TTestHttpServer Proxy([&](const TTestHttpRequest& ARequest) {
        bool First = ARequest.Target.rfind("http://www.norvale.example/", 0) == 0;
        return TTestHttpReply{.Body = First ? "<cgi_status><code>3</code></cgi_status>" : Reply};
    });
    auto Servers = Owned(TXServerCollection::Create(nullptr));
    Servers->Add()->SetDomain("old.example");
    auto Params = Owned(TStringList::Create());
    Params->Add("cgi=servers");
    ASSERT_TRUE(RefreshServerList(ProxyTo(Proxy).get(), Servers.get(), Params.get()));
    EXPECT_TRUE(Servers->Refreshed());
    EXPECT_EQ(Servers->ToString(), "one.example\r\ntwo.example\r\n");
    ASSERT_EQ(Proxy.Requests().size(), 2u);
    EXPECT_EQ(Proxy.Requests()[1].Body, "cgi=servers");
}

TEST(RefreshServerListTest, BadRepliesEverywhereLeaveTheListAlone)
{
    TTestHttpServer Proxy([](const TTestHttpRequest&) { return TTestHttpReply{.Body = "<cgi_status><code>1"}; });
    auto Servers = Owned(TXServerCollection::Create(nullptr));
    Servers->Add()->SetDomain("old.example");
    auto Params = Owned(TStringList::Create());
    EXPECT_FALSE(RefreshServerList(ProxyTo(Proxy).get(), Servers.get(), Params.get()));
    EXPECT_EQ(Servers->ToString(), "old.example\r\n");
    EXPECT_FALSE(Servers->Refreshed());
    EXPECT_EQ(Proxy.Requests().size(), 6u);   // five defaults, then the list's own server
    ClearError();
}

TEST(CheckConnectionTest, TriesTheSixCandidatesInOrder)
{
    TTestHttpServer Down([](const TTestHttpRequest&) { return TTestHttpReply{.Status = 503}; });
    EXPECT_FALSE(CheckConnection(ProxyTo(Down).get()));
    std::vector<std::string> Targets;
    for (const TTestHttpRequest& Request : Down.Requests())
        Targets.push_back(Request.Target);
    EXPECT_EQ(Targets, (std::vector<std::string>{"http://www.norvale.example/", "http://www.norvale-net.example/",
                                                  "http://www.norvale-srv.example/", "http://www.norvale-alt.example/",
                                                  "http://www.norvale-cdn.example/", "http://editions.norvale.example/"}));

    TTestHttpServer Up([](const TTestHttpRequest&) { return TTestHttpReply{}; });
    EXPECT_TRUE(CheckConnection(ProxyTo(Up).get()));
    EXPECT_EQ(Up.Requests().size(), 1u);
}

TEST(CheckUrlTest, AnswersWhetherAHeadCompletes)
{
    TTestHttpServer Server([](const TTestHttpRequest& ARequest) {
        if (ARequest.Target == "/moved")
            return TTestHttpReply{.Status = 302, .Headers = {{"Location", "/here"}}};
        return TTestHttpReply{.Status = ARequest.Target == "/here" ? 200 : 404};
    });
    auto Proxy = Owned(TXProxySettings::Create());
    EXPECT_TRUE(CheckUrl(Server.Url("/here"), Proxy.get()));
    EXPECT_FALSE(CheckUrl(Server.Url("/missing"), Proxy.get()));
    EXPECT_FALSE(CheckUrl(Server.Url("/moved"), Proxy.get()));
    EXPECT_FALSE(CheckUrl("http://127.0.0.1:" + std::to_string(TTestHttpServer::ClosedPort()) + "/", Proxy.get()));
    TTestHttpRequest Sent = Server.Requests().at(0);
    EXPECT_EQ(Sent.Method, "HEAD");
    EXPECT_EQ(Sent.Headers["user-agent"], kNetUserAgent);
}

TEST(CheckUrlTest, GoesThroughAnEnabledProxy)
{
    TTestHttpServer Proxy([](const TTestHttpRequest&) { return TTestHttpReply{}; });
    EXPECT_TRUE(CheckUrl("http://www.norvale.example/", ProxyTo(Proxy).get()));
    EXPECT_EQ(Proxy.Requests().at(0).Target, "http://www.norvale.example/");
}

}  // namespace

#include "Net.IdHTTP.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

#include "Net.TestServer.h"
#include "Rtl.TestWait.h"
#include "Rtl.Streams.h"
#include "Rtl.Strings.h"

namespace {

struct TWorkLog : TObject {
    X_CLASS(TWorkLog, TObject)
public:
    int64_t BeginMax = -1;
    std::vector<int64_t> Counts;
    int Ends = 0;
    bool RaiseInWork = false;
    TIdHTTP* Client = nullptr;
    void WorkBegin(TObject*, int64_t AMax) { BeginMax = AMax; }
    void Work(TObject*, int64_t ACount)
    {
        Counts.push_back(ACount);
        if (RaiseInWork) {
            Client->Disconnect();
            throw EAbort("cancelled");
        }
    }
    void WorkEnd(TObject*) { ++Ends; }
    void Refuse(TObject*, String&, bool&) { throw EAbort("redirect refused"); }
    void Follow(TObject*, String&, bool& AHandled) { AHandled = true; }

protected:
    TWorkLog() = default;
};

struct IdHTTPTest : ::testing::Test {
    TOwned<TIdHTTP> Http{TIdHTTP::Create()};
    TOwned<TWorkLog> Log{TWorkLog::Create()};
    TOwned<TStringStream> Body{TStringStream::Create()};

    void Watch()
    {
        Log->Client = Http.get();
        Http->SetOnWorkBegin(TWorkBeginEvent::Bind<&TWorkLog::WorkBegin>(Log.get()));
        Http->SetOnWork(TWorkEvent::Bind<&TWorkLog::Work>(Log.get()));
        Http->SetOnWorkEnd(TWorkEndEvent::Bind<&TWorkLog::WorkEnd>(Log.get()));
    }
};

TTestHttpServer::THandler Answer(TTestHttpReply AReply)
{
    return [AReply](const TTestHttpRequest&) { return AReply; };
}

TEST_F(IdHTTPTest, GetWritesTheBodyAndReportsWork)
{
    std::string Payload(100000, 'x');
    TTestHttpServer Server(Answer({.Body = Payload}));
    Watch();
    Http->Get(Server.Url("/file.bin"), Body.get());
    EXPECT_EQ(Body->DataString(), Payload);
    EXPECT_EQ(Http->Response().ContentLength, 100000);
    EXPECT_EQ(Log->BeginMax, 100000);
    ASSERT_FALSE(Log->Counts.empty());
    EXPECT_EQ(Log->Counts.back(), 100000);
    EXPECT_TRUE(std::is_sorted(Log->Counts.begin(), Log->Counts.end()));
    EXPECT_EQ(Log->Ends, 1);
    EXPECT_EQ(Server.Requests().at(0).Target, "/file.bin");
}

TEST_F(IdHTTPTest, PostSendsEncodedFieldsAndHeaders)
{
    TTestHttpServer Server(Answer({.Body = "ok"}));
    auto Fields = Owned(TStringList::Create());
    Fields->Add("a=1");
    Fields->Add("b=x y&z");
    Http->Request().Referer = "XNet Client 1.0";
    Http->Request().UserAgent = "Mozilla/3.0";
    Http->Post(Server.Url("/q.cgi"), Fields.get(), Body.get());
    EXPECT_EQ(Body->DataString(), "ok");
    TTestHttpRequest Sent = Server.Requests().at(0);
    EXPECT_EQ(Sent.Method, "POST");
    EXPECT_EQ(Sent.Body, "a=1&b=x%20y%26z");
    EXPECT_EQ(Sent.Headers["content-type"], "application/x-www-form-urlencoded");
    EXPECT_EQ(Sent.Headers["referer"], "XNet Client 1.0");
    EXPECT_EQ(Sent.Headers["user-agent"], "Mozilla/3.0");
}

TEST_F(IdHTTPTest, HeadReadsTheLengthOrMinusOne)
{
    TTestHttpServer Sized(Answer({.Body = std::string(1234, 'a')}));
    Http->Head(Sized.Url());
    EXPECT_EQ(Http->Response().ContentLength, 1234);
    EXPECT_EQ(Sized.Requests().at(0).Method, "HEAD");

    TTestHttpServer Unsized(Answer({.Body = "abc", .SendLength = false}));
    Http->Head(Unsized.Url());
    EXPECT_EQ(Http->Response().ContentLength, -1);
}

TEST_F(IdHTTPTest, ErrorStatusRaisesAndWritesNothing)
{
    TTestHttpServer Server(Answer({.Status = 404, .Body = "not here"}));
    try {
        Http->Get(Server.Url(), Body.get());
        FAIL() << "no exception";
    } catch (const EIdHTTPProtocolException& E) {
        EXPECT_EQ(E.ErrorCode(), 404);
    }
    EXPECT_EQ(Body->Size(), 0);
}

struct TRedirectCase {
    const char* Name;
    bool HandleRedirects;
    TIdHTTPRedirectEvent (*Handler)(TWorkLog*);
    bool Follows;
};

class IdHTTPRedirectTest : public IdHTTPTest, public ::testing::WithParamInterface<TRedirectCase> {};

TEST_P(IdHTTPRedirectTest, FollowsOnlyWhenHandled)
{
    TTestHttpServer Server([](const TTestHttpRequest& ARequest) {
        if (ARequest.Target == "/old")
            return TTestHttpReply{.Status = 302, .Body = "moved", .Headers = {{"Location", "/new"}}};
        return TTestHttpReply{.Body = "new body"};
    });
    Http->SetHandleRedirects(GetParam().HandleRedirects);
    if (GetParam().Handler)
        Http->SetOnRedirect(GetParam().Handler(Log.get()));
    if (GetParam().Follows) {
        Http->Get(Server.Url("/old"), Body.get());
        EXPECT_EQ(Body->DataString(), "new body");
    } else {
        EXPECT_THROW(Http->Get(Server.Url("/old"), Body.get()), Exception);
        EXPECT_EQ(Body->Size(), 0);
        EXPECT_EQ(Server.Requests().size(), 1u);
    }
}

const TRedirectCase kRedirectCases[] = {
    {"Off", false, nullptr, false},
    {"On", true, nullptr, true},
    {"OnButRefused", true, [](TWorkLog* L) { return TIdHTTPRedirectEvent::Bind<&TWorkLog::Refuse>(L); }, false},
    {"OffButFollowed", false, [](TWorkLog* L) { return TIdHTTPRedirectEvent::Bind<&TWorkLog::Follow>(L); }, true},
};
INSTANTIATE_TEST_SUITE_P(Redirects, IdHTTPRedirectTest, ::testing::ValuesIn(kRedirectCases),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST_F(IdHTTPTest, RefusedConnectionIsASocketError)
{
    try {
        Http->Get("http://127.0.0.1:" + std::to_string(TTestHttpServer::ClosedPort()) + "/", Body.get());
        FAIL() << "no exception";
    } catch (const EIdSocketError& E) {
        EXPECT_EQ(E.LastError(), ECONNREFUSED);
    }
}

TEST_F(IdHTTPTest, SilentServerTimesOut)
{
    TTestHttpServer Server(Answer({.Body = "never sent", .Stall = true}));
    Http->SetReadTimeout(1000);
    try {
        Http->Get(Server.Url(), Body.get());
        FAIL() << "no exception";
    } catch (const EIdSocketError& E) {
        EXPECT_EQ(E.LastError(), ETIMEDOUT);
    }
}

TEST_F(IdHTTPTest, HandlerExceptionEndsTheTransferAndLeavesTheCall)
{
    TTestHttpServer Server(Answer({.Body = std::string(1 << 20, 'x')}));
    Watch();
    Log->RaiseInWork = true;
    EXPECT_THROW(Http->Get(Server.Url(), Body.get()), EAbort);
    EXPECT_EQ(Log->Counts.size(), 1u);
    EXPECT_EQ(Log->Ends, 0);
    // The client is usable again afterwards.
    Log->RaiseInWork = false;
    Body->Clear();
    Http->Get(Server.Url(), Body.get());
    EXPECT_EQ(Body->Size(), 1 << 20);
}

TEST_F(IdHTTPTest, DisconnectFromAnotherThreadEndsASilentWait)
{
    TTestHttpServer Server(Answer({.Body = "never sent", .Stall = true}));
    std::thread Canceller([&] {
        EXPECT_TRUE(WaitUntil("the request", [&] { return !Server.Requests().empty(); }));
        Http->Disconnect();
    });
    EXPECT_THROW(Http->Get(Server.Url(), Body.get()), EIdSocketError);   // long before the time-out
    Canceller.join();
}

TEST_F(IdHTTPTest, ProxyGetsTheAbsoluteUrlAndAnEmptyProxyIgnoresTheEnvironment)
{
    TTestHttpServer Proxy(Answer({.Body = "via proxy"}));
    Http->ProxyParams().ProxyServer = "127.0.0.1";
    Http->ProxyParams().ProxyPort = static_cast<uint16_t>(Proxy.Port());
    Http->Get("http://example.invalid/page", Body.get());
    EXPECT_EQ(Body->DataString(), "via proxy");
    EXPECT_EQ(Proxy.Requests().at(0).Target, "http://example.invalid/page");

    TTestHttpServer Direct(Answer({.Body = "direct"}));
    ::setenv("http_proxy", "http://127.0.0.1:1", 1);
    Http->ProxyParams() = {};
    Body->Clear();
    Http->Get(Direct.Url(), Body.get());
    ::unsetenv("http_proxy");
    EXPECT_EQ(Body->DataString(), "direct");
}

TEST_F(IdHTTPTest, OnlyPlainHttp)
{
    EXPECT_THROW(Http->Get("https://127.0.0.1/", Body.get()), EIdException);
}

}  // namespace

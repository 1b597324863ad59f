#include "XNet.Threads.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "Net.TestServer.h"
#include "Win.TestEnvironment.h"
#include "XCore.Errors.h"

namespace {

namespace fs = std::filesystem;

class TFakeLink : public TXNetJobLink {
public:
    std::vector<int> Commands;
    std::vector<String> CurrentFiles;
    std::vector<String> CompletedFiles;
    std::function<void(TXInternetDataFiler*)> OnFiles;
    bool Ended = false;
    int32_t Code = -100;
    bool Done = false;
    String Message;
    TXInternetDataFiler* Returned = nullptr;
    TThread* CancelOnProgress = nullptr;

    void JobCommand(int ACommand, const String&) override { Commands.push_back(ACommand); }
    void FilesReady(TXInternetDataFiler* ADescription) override
    {
        if (OnFiles)
            OnFiles(ADescription);
    }
    void JobEnded(TXInternetDataFiler* ADescription, int32_t ACode, bool ADone, const String& AMessage) override
    {
        Returned = ADescription;
        Code = ACode;
        Done = ADone;
        Message = AMessage;
        Commands.push_back(108);
        Ended = true;
    }
    void UpdateDialog(bool, const String&, const String&, int32_t) override {}
    void ShowCurrentFile(const String& AFileName) override { CurrentFiles.push_back(AFileName); }
    void AddCompletedFile(const String& AFileName) override { CompletedFiles.push_back(AFileName); }
};

class NetThreadTest : public ::testing::Test {
protected:
    void SetUp() override { Description = Owned(TXInternetDataFiler::Create(nullptr)); }

    // Runs a job to its end, serving its synchronised calls meanwhile.
    template <class TThreadClass>
    void Run()
    {
        auto* Thread = TThreadClass::Create(true);
        Thread->SetLink(&Link);
        Thread->SetDescription(Description.get());
        Thread->Start();
        while (!Link.Ended) {
            CheckSynchronize();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        Thread->WaitFor();
        Thread->Free();
    }

    String Path(const String& AName) const { return Home.Root() + "/files/" + AName; }
    static std::string Read(const String& AFile)
    {
        std::ifstream In(AFile, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(In), {});
    }

    TTestHome Home;
    TFakeLink Link;
    TOwned<TXInternetDataFiler> Description;
};

TTestHttpServer::THandler Files(std::map<std::string, TTestHttpReply> AReplies)
{
    return [AReplies](const TTestHttpRequest& ARequest) {
        auto Found = AReplies.find(ARequest.Target);
        return Found != AReplies.end() ? Found->second : TTestHttpReply{.Status = 404};
    };
}

TEST_F(NetThreadTest, FetchesFilesThroughTemporaryNamesAndReplacesOldOnes)
{
    TTestHttpServer Server(Files({{"/a.bin", {.Body = "first"}},
                                  {"/b.bin", {.Body = "second", .SendLength = false}},
                                  {"/list.cgi", {.Body = "cgi"}}}));
    fs::create_directories(Path(""));
    std::ofstream(Path("a.bin")) << "old content that is longer";
    Description->Files()->AddFile(Server.Url("/a.bin"), Path("a.bin"));
    Description->Files()->AddFile(Server.Url("/b.bin"), Path("sub/b.bin"))->SetOfferOpen(true);
    Description->Files()->AddFile(Server.Url("/list.cgi"), Path("list.txt"));
    Run<TXSimpleNetFilerThread>();

    EXPECT_EQ(Link.Code, 0);
    EXPECT_TRUE(Link.Done);
    EXPECT_EQ(Link.Message, "");
    EXPECT_EQ(Link.Returned, Description.get());
    EXPECT_EQ(Link.Commands, (std::vector<int>{107, 108}));
    EXPECT_EQ(Read(Path("a.bin")), "first");
    EXPECT_EQ(Read(Path("sub/b.bin")), "second");
    EXPECT_EQ(Read(Path("list.txt")), "cgi");
    EXPECT_FALSE(fs::exists(Path("a.bin.~tmp")));
    EXPECT_EQ(Description->SizeMode(), smSomeUnsized);
    EXPECT_EQ(Link.CurrentFiles.size(), 3u);
    EXPECT_EQ(Link.CompletedFiles, std::vector<String>{Path("sub/b.bin")});
    for (const TTestHttpRequest& Request : Server.Requests())
        EXPECT_FALSE(Request.Method == "HEAD" && Request.Target == "/list.cgi") << "a .cgi URL was sized";
}

TEST_F(NetThreadTest, FilesThatFailSizingAreDroppedAndNoneLeftIsANetworkFailure)
{
    TTestHttpServer Server(Files({{"/a.bin", {.Body = "first"}}}));
    Description->Files()->AddFile(Server.Url("/a.bin"), Path("a.bin"));
    Description->Files()->AddFile(Server.Url("/gone.bin"), Path("gone.bin"));
    Run<TXSimpleNetFilerThread>();
    EXPECT_EQ(Link.Code, 0);
    EXPECT_EQ(Description->Files()->Items(1)->Url(), "");
    EXPECT_FALSE(fs::exists(Path("gone.bin")));

    Link = {};
    Description->Files()->Clear();
    Description->Files()->AddFile(Server.Url("/gone.bin"), Path("gone.bin"));
    Run<TXSimpleNetFilerThread>();
    EXPECT_EQ(Link.Code, nrNetworkFailure);
    EXPECT_FALSE(Link.Done);
}

TEST_F(NetThreadTest, AFailedWriteEndsWithTheFileNameAndKeepsEarlierFiles)
{
    TTestHttpServer Server(Files({{"/a.bin", {.Body = "first"}}, {"/b.bin", {.Body = "second"}}}));
    fs::create_directories(Path(""));
    std::ofstream(Path("blocker")) << "a file where a folder should be";
    Description->Files()->AddFile(Server.Url("/a.bin"), Path("a.bin"));
    Description->Files()->AddFile(Server.Url("/b.bin"), Path("blocker/b.bin"));
    Run<TXSimpleNetFilerThread>();
    EXPECT_EQ(Link.Code, nrFileWriteFailed);
    EXPECT_EQ(Read(Path("a.bin")), "first");
    EXPECT_FALSE(fs::exists(Path("blocker/b.bin.~tmp")));
}

TEST_F(NetThreadTest, ALocalNameWithParentFoldersIsRefused)
{
    TTestHttpServer Server(Files({{"/a.bin", {.Body = "escaped"}}}));
    Description->Files()->AddFile(Server.Url("/a.bin"), Path("sub/../../outside.bin"));
    Run<TXSimpleNetFilerThread>();
    EXPECT_EQ(Link.Code, nrFileWriteFailed);
    EXPECT_FALSE(fs::exists(Home.Root() + "/outside.bin"));
}

// Links planted in the download folder lead nowhere: one at the temporary name is never
// written through, one at the target is replaced by the file, and what they point to keeps
// its content and its permissions. A private old file stays private.
TEST_F(NetThreadTest, DownloadsNeverWriteThroughPlantedLinks)
{
    TTestHttpServer Server(Files({{"/a.bin", {.Body = "new a"}}, {"/b.bin", {.Body = "new b"}},
                                  {"/c.bin", {.Body = "new c"}}}));
    fs::create_directories(Path(""));
    String Victim = Home.Root() + "/victim";
    std::ofstream(Victim) << "precious";
    ::chmod(Victim.c_str(), 0600);
    fs::create_symlink(Victim, Path("a.bin.~tmp"));
    fs::create_symlink(Victim, Path("b.bin"));
    std::ofstream(Path("c.bin")) << "old c";
    ::chmod(Path("c.bin").c_str(), 0600);
    for (const char* Name : {"a.bin", "b.bin", "c.bin"})
        Description->Files()->AddFile(Server.Url(String("/") + Name), Path(Name));
    Run<TXSimpleNetFilerThread>();

    EXPECT_EQ(Link.Code, 0);
    EXPECT_EQ(Read(Victim), "precious");
    EXPECT_EQ(fs::status(Victim).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(Read(Path("a.bin")), "new a");
    EXPECT_FALSE(fs::is_symlink(Path("b.bin")));
    EXPECT_EQ(Read(Path("b.bin")), "new b");
    EXPECT_EQ(Read(Path("c.bin")), "new c");
    EXPECT_EQ(fs::status(Path("c.bin")).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(NetThreadTest, MemoryModePostsFieldsWithTheClientHeaders)
{
    TTestHttpServer Server(Files({{"/q.cgi", {.Body = "reply"}}}));
    Description->SetMode(nmMemory);
    TXNetFileItem* Item = Description->Files()->AddPost(Server.Url("/q.cgi"), "", "a=1");
    Run<TXSimpleNetFilerThread>();
    EXPECT_EQ(Link.Code, 0);
    EXPECT_TRUE(Item->Fetched());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(Item->Data()->Memory()), Item->Data()->Size()), "reply");
    TTestHttpRequest Sent = Server.Requests().back();
    EXPECT_EQ(Sent.Body, "a=1");
    EXPECT_EQ(Sent.Headers["referer"], kNetReferer);
    EXPECT_EQ(Sent.Headers["user-agent"], kNetUserAgent);
}

String Reply(int ACode, const String& AData = {})
{
    return "<cgi_status><code>" + std::to_string(ACode) + "</code><format>0</format></cgi_status><cgi_data>" + AData +
           "</cgi_data>";
}

// Servers are reached as "www.localhost:port", which resolves to the loopback address.
struct TQueryCase {
    const char* Name;
    std::vector<String> Replies;   // one per server, in order
    uint8_t Mode;
    int32_t Code;
    size_t Asked;                  // servers that got the query
};

class NetQueryTest : public NetThreadTest, public ::testing::WithParamInterface<TQueryCase> {};

TEST_P(NetQueryTest, TriesServersInOrder)
{
    std::vector<std::unique_ptr<TTestHttpServer>> Servers;
    for (const String& Answer : GetParam().Replies) {
        Servers.push_back(std::make_unique<TTestHttpServer>([Answer](const TTestHttpRequest& ARequest) {
            if (ARequest.Body.find("check=1") != std::string::npos)
                return TTestHttpReply{.Body = Reply(1, "2020.01.01 10:00\r\n2021.06.30 23:59")};
            return TTestHttpReply{.Body = Answer};
        }));
        Description->Servers()->Add()->SetDomain("localhost:" + std::to_string(Servers.back()->Port()));
    }
    Description->SetMode(GetParam().Mode);
    Description->SetCgiPath("/q.cgi");
    Description->QueryParams()->Add("q=1");
    Description->CheckParams()->Add("check=1");
    Description->SetCheckDate(EncodeDate(2022, 1, 1));
    Run<TXSimpleTagCgiNetFilerThread>();
    EXPECT_EQ(Link.Code, GetParam().Code);
    size_t Asked = 0;
    for (const auto& Server : Servers)
        Asked += Server->Requests().size();
    EXPECT_EQ(Asked, GetParam().Asked);
    if (GetParam().Code == 0) {
        int Answered = static_cast<int>(GetParam().Asked) - 1;
        EXPECT_EQ(Description->ServerUrl(), Description->Servers()->Items(Answered)->GetBaseUrl());
    }
}

const TQueryCase kQueries[] = {
    {"FirstAnswers", {Reply(1, "abc"), Reply(1)}, nmServerQuery, 0, 1},
    {"FailureThenAnswer", {Reply(3), "garbage", Reply(1, "abc")}, nmServerQuery, 0, 3},
    {"NothingNewEndsAtOnce", {Reply(2), Reply(1, "abc")}, nmServerQuery, nrNothingNew, 1},
    {"NotAQuery", {Reply(1)}, 0, nrNoSpecificError, 0},
    {"DateCheckWithoutNewerLinesEndsAtOnce", {Reply(1), Reply(1)}, nmServerQuery | nmDateCheck, nrNothingNew, 1},
};
INSTANTIATE_TEST_SUITE_P(Queries, NetQueryTest, ::testing::ValuesIn(kQueries),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST_F(NetThreadTest, AQueryWhoseReplyListsFilesFetchesThem)
{
    TTestHttpServer Server([&](const TTestHttpRequest& ARequest) {
        if (ARequest.Target == "/q.cgi")
            return TTestHttpReply{.Body = Reply(1, "/pack.bin")};
        return TTestHttpReply{.Body = "pack"};
    });
    Description->Servers()->Add()->SetDomain("localhost:" + std::to_string(Server.Port()));
    Description->SetMode(nmServerQuery | nmListsFiles);
    Description->SetCgiPath("/q.cgi");
    Link.OnFiles = [&](TXInternetDataFiler* ADescription) {
        ADescription->Files()->AddFile(Server.Url("/pack.bin"), Path("pack.bin"));
    };
    Run<TXSimpleTagCgiNetFilerThread>();
    EXPECT_EQ(Link.Code, 0);
    EXPECT_EQ(Read(Path("pack.bin")), "pack");

    Link = {};
    Link.OnFiles = [](TXInternetDataFiler*) {};
    Run<TXSimpleTagCgiNetFilerThread>();
    EXPECT_EQ(Link.Code, nrNothingNew);
}

TEST_F(NetThreadTest, ACancelWhileWaitingForAReplyEndsWithCodeOne)
{
    TTestHttpServer Server([](const TTestHttpRequest&) { return TTestHttpReply{.Body = "x", .Stall = true}; });
    Description->Servers()->Add()->SetDomain("localhost:" + std::to_string(Server.Port()));
    Description->SetMode(nmServerQuery);
    auto* Thread = TXSimpleTagCgiNetFilerThread::Create(true);
    Thread->SetLink(&Link);
    Thread->SetDescription(Description.get());
    Thread->Start();
    while (Server.Requests().empty()) {
        CheckSynchronize();   // the start notification
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    Thread->Terminate();
    while (!Link.Ended) {
        CheckSynchronize();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    Thread->WaitFor();
    Thread->Free();
    EXPECT_EQ(Link.Code, nrCancelled);
    EXPECT_EQ(Link.Message, "");
}

TEST(CheckDateTest, FormatsYearFirstWithMinutes)
{
    EXPECT_EQ(FormatCheckDate(EncodeDate(2024, 3, 7) + EncodeTime(9, 5, 59, 0)), "2024.03.07 09:05");
}

}  // namespace

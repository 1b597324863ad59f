// Remote windows: a second process (remote_window_peer) posts registered messages and sends
// copy data to a window published here; the name has one live owner, a dead owner's socket is
// replaced, and peers that send garbage, huge lengths or nothing at all are dropped while the
// channel goes on serving.
#include "Win.RemoteWindows.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <gtest/gtest.h>

#include <cstring>
#include <future>
#include <thread>

#include "Rtl.Encoding.h"
#include "Rtl.System.h"
#include "Win.TestEnvironment.h"
#include "Win.TestPeer.h"

namespace {

// What reached the window, and on which thread.
struct TReceived {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    uintptr_t DataType = 0;
    std::vector<uint8_t> Bytes;
    TThreadID Thread = 0;
};

class TRecorder {
public:
    std::vector<TReceived> Received;

    void WndProc(TMessage& AMessage)
    {
        TReceived R{AMessage.Msg, AMessage.WParam, AMessage.LParam, 0, {}, GetCurrentThreadId()};
        if (AMessage.Msg == WM_COPYDATA) {
            const auto* Data = reinterpret_cast<const COPYDATASTRUCT*>(AMessage.LParam);
            R.DataType = Data->dwData;
            const auto* Bytes = static_cast<const uint8_t*>(Data->lpData);
            R.Bytes.assign(Bytes, Bytes + Data->cbData);
            AMessage.Result = 1234;
        }
        Received.push_back(std::move(R));
    }
};

class RemoteWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FActivate = RegisterWindowMessageW("NVMActivateApplication");
        FWindow = AllocateHWnd(TWndMethod::Bind<&TRecorder::WndProc>(&FRecorder));
    }
    void TearDown() override
    {
        UnpublishWindow(FWindow);
        DeallocateHWnd(FWindow);
    }
    void Pump()
    {
        TMsg Msg;
        while (PeekMessageW(Msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(Msg);
    }
    int RunPeer(std::vector<std::string> AArguments, std::string* AOutput = nullptr)
    {
        TTestPeer Peer(REMOTE_WINDOW_PEER, std::move(AArguments));
        int Code = Peer.Wait([this] { Pump(); });
        if (AOutput != nullptr)
            *AOutput = Peer.ReadLine();
        Pump();
        return Code;
    }

    TTestHome FHome;
    const String FName = "Norvale Quillon – Probe";
    UINT FActivate = 0;
    TRecorder FRecorder;
    HWND FWindow = nullptr;
};

TEST_F(RemoteWindowTest, ASecondProcessPostsAndSendsCopyDataToTheWindowsThread)
{
    ASSERT_TRUE(PublishWindow(FWindow, FName));
    EXPECT_TRUE(FindPublishedWindow(FName));

    EXPECT_EQ(RunPeer({"post", FName, "NVMActivateApplication", "1", "42"}), 0);
    ASSERT_EQ(FRecorder.Received.size(), 1u);
    EXPECT_EQ(FRecorder.Received[0].Msg, FActivate);
    EXPECT_EQ(FRecorder.Received[0].WParam, 1u);
    EXPECT_EQ(FRecorder.Received[0].LParam, 42);
    EXPECT_EQ(FRecorder.Received[0].Thread, GetCurrentThreadId());

    std::string Answer;
    EXPECT_EQ(RunPeer({"copy", FName, "77", "5", "Grüße"}, &Answer), 0);
    EXPECT_EQ(Answer, "1234");
    ASSERT_EQ(FRecorder.Received.size(), 2u);
    const TReceived& Copy = FRecorder.Received[1];
    EXPECT_EQ(Copy.Msg, WM_COPYDATA);
    EXPECT_EQ(Copy.WParam, 77u);
    EXPECT_EQ(Copy.DataType, 5u);
    std::u16string Text = u"Grüße";
    Text.push_back(u'\0');
    EXPECT_EQ(Copy.Bytes.size(), Text.size() * 2);
    EXPECT_EQ(std::memcmp(Copy.Bytes.data(), Text.data(), Copy.Bytes.size()), 0);
    EXPECT_EQ(Copy.Thread, GetCurrentThreadId());

    // A message this process never registered, and a name nobody publishes, are not taken.
    EXPECT_EQ(RunPeer({"post", FName, "NoSuchMessageHere", "0", "0"}), 1);
    EXPECT_EQ(RunPeer({"post", "Another Title", "NVMActivateApplication", "0", "0"}), 1);
    EXPECT_EQ(FRecorder.Received.size(), 2u);
}

TEST_F(RemoteWindowTest, TheLargestCopyDataArrivesWhole)
{
    ASSERT_TRUE(PublishWindow(FWindow, FName));
    std::vector<uint8_t> Block(MaxRemoteCopyData);
    for (size_t I = 0; I < Block.size(); ++I)
        Block[I] = uint8_t(I * 7);
    LRESULT Result = 0;
    auto Sent = std::async(std::launch::async, [&] {
        return SendPublishedCopyData(FName, 9, COPYDATASTRUCT{3, MaxRemoteCopyData, Block.data()}, Result);
    });
    auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (Sent.wait_for(std::chrono::milliseconds(2)) != std::future_status::ready &&
           std::chrono::steady_clock::now() < Deadline)
        Pump();
    ASSERT_EQ(Sent.wait_for(std::chrono::seconds(0)), std::future_status::ready) << "the copy data was not answered";
    EXPECT_TRUE(Sent.get());
    EXPECT_EQ(Result, 1234);
    ASSERT_EQ(FRecorder.Received.size(), 1u);
    EXPECT_EQ(FRecorder.Received[0].Bytes, Block);

    COPYDATASTRUCT TooLong{3, MaxRemoteCopyData + 1, Block.data()};
    EXPECT_FALSE(SendPublishedCopyData(FName, 9, TooLong, Result));
}

TEST_F(RemoteWindowTest, TheNameHasOneLiveOwnerAndADeadOnesSocketIsReplaced)
{
    TTestPeer Holder(REMOTE_WINDOW_PEER, {"hold", FName});
    ASSERT_EQ(Holder.ReadLine(), "ready");
    EXPECT_TRUE(FindPublishedWindow(FName));
    EXPECT_FALSE(PublishWindow(FWindow, FName));

    Holder.Kill();
    struct stat Info;
    EXPECT_EQ(::stat(RemoteWindowSocketPath(FName).c_str(), &Info), 0) << "the dead owner left its socket";
    EXPECT_FALSE(FindPublishedWindow(FName));
    ASSERT_TRUE(PublishWindow(FWindow, FName));
    EXPECT_EQ(RunPeer({"post", FName, "NVMActivateApplication", "0", "7"}), 0);
    ASSERT_EQ(FRecorder.Received.size(), 1u);
    EXPECT_EQ(FRecorder.Received[0].LParam, 7);

    // Here too the name has one owner: a second window of ours does not get it.
    TRecorder Other;
    HWND Second = AllocateHWnd(TWndMethod::Bind<&TRecorder::WndProc>(&Other));
    EXPECT_FALSE(PublishWindow(Second, FName));
    EXPECT_FALSE(PublishWindow(FWindow, "A second name"));
    DeallocateHWnd(Second);
    TTestPeer Taker(REMOTE_WINDOW_PEER, {"hold", FName});
    EXPECT_EQ(Taker.ReadLine(), "taken");
}

TEST_F(RemoteWindowTest, UnpublishingClosesTheChannel)
{
    ASSERT_TRUE(PublishWindow(FWindow, FName));
    struct stat Info;
    ASSERT_EQ(::stat(RemoteWindowSocketPath(FName).c_str(), &Info), 0);
    EXPECT_EQ(Info.st_mode & 077, 0u) << "only the user may connect";
    EXPECT_EQ(Info.st_uid, ::geteuid());
    UnpublishWindow(FWindow);
    EXPECT_NE(::stat(RemoteWindowSocketPath(FName).c_str(), &Info), 0);
    EXPECT_FALSE(FindPublishedWindow(FName));
    EXPECT_FALSE(PostPublishedMessage(FName, "NVMActivateApplication", 0, 0, 200));
    EXPECT_FALSE(PublishWindow(FWindow, ""));
}

// ---- Hostile peers -----------------------------------------------------------------------

// The wire's header, as a peer that does not use our sender would write it.
struct TRawHeader {
    char Magic[4] = {'N', 'V', 'W', 'M'};
    uint8_t Version = 1;
    uint8_t Kind = 2;
    uint16_t NameLength = 0;
    uint16_t MessageLength = 0;
    uint16_t Reserved = 0;
    uint32_t DataLength = 0;
    uint64_t WParam = 0;
    int64_t LParam = 0;
};

int ConnectRaw(const String& AName)
{
    int Fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un Address{};
    Address.sun_family = AF_UNIX;
    String Path = RemoteWindowSocketPath(AName);
    std::memcpy(Address.sun_path, Path.c_str(), Path.size() + 1);
    if (::connect(Fd, reinterpret_cast<sockaddr*>(&Address), sizeof Address) != 0) {
        ::close(Fd);
        return -1;
    }
    return Fd;
}

struct THostile {
    const char* Name;
    std::string (*Bytes)(const String& AName);
};

std::string Frame(const TRawHeader& AHeader, const String& AName, const std::string& ARest)
{
    return std::string(reinterpret_cast<const char*>(&AHeader), sizeof AHeader) + AName + ARest;
}

const THostile kHostile[] = {
    {"Garbage", [](const String&) { return std::string(200, '\x5A'); }},
    {"WrongMagic",
     [](const String& N) {
         TRawHeader H;
         std::memcpy(H.Magic, "XXXX", 4);
         H.NameLength = uint16_t(N.size());
         H.DataLength = 4;
         return Frame(H, N, "abcd");
     }},
    {"HugeLength",
     [](const String& N) {
         TRawHeader H;
         H.NameLength = uint16_t(N.size());
         H.DataLength = 0xFFFFFFFFu;
         return Frame(H, N, std::string(64, 'x'));
     }},
    {"JustOverTheLimit",
     [](const String& N) {
         TRawHeader H;
         H.NameLength = uint16_t(N.size());
         H.DataLength = MaxRemoteCopyData + 1;
         return Frame(H, N, std::string(64, 'x'));
     }},
    {"LongName",
     [](const String& N) {
         TRawHeader H;
         H.NameLength = 60000;
         return Frame(H, N, std::string(64, 'x'));
     }},
    {"OtherNameOfTheSameLength",
     [](const String& N) {
         TRawHeader H;
         H.NameLength = uint16_t(N.size());
         H.DataLength = 2;
         return Frame(H, String(N.size(), 'Q'), "ab");
     }},
    {"CutShort",
     [](const String& N) {
         TRawHeader H;
         H.NameLength = uint16_t(N.size());
         H.DataLength = 100;
         return Frame(H, N, std::string(10, 'x'));
     }},
    {"PostCarryingData",
     [](const String& N) {
         TRawHeader H;
         H.Kind = 1;
         H.NameLength = uint16_t(N.size());
         H.MessageLength = 22;
         H.DataLength = 4;
         return Frame(H, N, "NVMActivateApplicationdata");
     }},
    {"UnknownKind",
     [](const String& N) {
         TRawHeader H;
         H.Kind = 9;
         H.NameLength = uint16_t(N.size());
         return Frame(H, N, "");
     }},
};

class HostilePeerTest : public RemoteWindowTest, public ::testing::WithParamInterface<THostile> {};

TEST_P(HostilePeerTest, IsDroppedAndTheChannelGoesOn)
{
    ASSERT_TRUE(PublishWindow(FWindow, FName));
    int Fd = ConnectRaw(FName);
    ASSERT_GE(Fd, 0);
    std::string Bytes = GetParam().Bytes(FName);
    ::send(Fd, Bytes.data(), Bytes.size(), MSG_NOSIGNAL);
    ::shutdown(Fd, SHUT_WR);
    // The listener closes on us without an answer that would say "taken".
    char Answer[16] = {};
    timeval Timeout{5, 0};
    ::setsockopt(Fd, SOL_SOCKET, SO_RCVTIMEO, &Timeout, sizeof Timeout);
    ssize_t Got = ::recv(Fd, Answer, sizeof Answer, MSG_WAITALL);
    EXPECT_TRUE(Got <= 0 || Answer[0] == 0) << "answered " << Got << " bytes";
    ::close(Fd);

    EXPECT_TRUE(PostPublishedMessage(FName, "NVMActivateApplication", 0, 5));
    Pump();
    ASSERT_EQ(FRecorder.Received.size(), 1u) << "only the good peer's message arrives";
    EXPECT_EQ(FRecorder.Received[0].LParam, 5);
}

INSTANTIATE_TEST_SUITE_P(Peers, HostilePeerTest, ::testing::ValuesIn(kHostile),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST_F(RemoteWindowTest, APeerThatSendsNothingHoldsTheChannelOnlyBriefly)
{
    ASSERT_TRUE(PublishWindow(FWindow, FName));
    int Silent = ConnectRaw(FName);
    ASSERT_GE(Silent, 0);
    EXPECT_TRUE(PostPublishedMessage(FName, "NVMActivateApplication", 0, 6, 5000));
    ::close(Silent);
    Pump();
    ASSERT_EQ(FRecorder.Received.size(), 1u);
}

TEST_F(RemoteWindowTest, AnotherUserCannotConnect)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "acting as another user needs root";
    ASSERT_TRUE(PublishWindow(FWindow, FName));
    String Path = RemoteWindowSocketPath(FName);
    pid_t Child = ::fork();
    ASSERT_GE(Child, 0);
    if (Child == 0) {
        // Only async-signal-safe calls between fork and _exit.
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        int Fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un Address{};
        Address.sun_family = AF_UNIX;
        std::memcpy(Address.sun_path, Path.c_str(), Path.size() + 1);
        ::_exit(::connect(Fd, reinterpret_cast<sockaddr*>(&Address), sizeof Address) == 0 ? 1 : 0);
    }
    int Status = 0;
    ASSERT_EQ(::waitpid(Child, &Status, 0), Child);
    ASSERT_TRUE(WIFEXITED(Status));
    EXPECT_EQ(WEXITSTATUS(Status), 0) << "the other user got through";
}

}  // namespace

// Win.RemoteWindows.cpp: the channel of a published window.
//
// One connection carries one message: a fixed header, the window's name (so a hash clash of
// two titles cannot deliver to the wrong window), the message name or the copy data, then the
// receiver's one answer. Lengths are checked before anything is read into memory, every read
// has a deadline, and the peer must run as our user; whatever fails closes the connection and
// the listener goes on. Both ends run on this machine: fields are in host byte order.
//
// Posted messages go straight into the window's queue. Copy data has to be answered, and its
// block must live while the window procedure runs, so the listener hands it to a courier
// window on the window's thread and waits, watching for the end of the channel meanwhile: it
// never blocks on the window's thread in a way that UnpublishWindow, called there, would wait on.
#include "Win.RemoteWindows.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "Win.Folders.h"

namespace {

using TClock = std::chrono::steady_clock;

constexpr char kMagic[4] = {'N', 'V', 'W', 'M'};
constexpr uint8_t kVersion = 1;
constexpr uint8_t kPost = 1;
constexpr uint8_t kCopyData = 2;
constexpr size_t kMaxName = 1024;
constexpr size_t kMaxMessageName = 255;
// How long a peer may take to hand over its message, and the receiver to answer copy data.
constexpr auto kReadTime = std::chrono::seconds(1);
constexpr auto kAnswerTime = std::chrono::seconds(10);
constexpr UINT kCourierMessage = WM_USER + 1;

struct THeader {
    char Magic[4];
    uint8_t Version;
    uint8_t Kind;
    uint16_t NameLength;
    uint16_t MessageLength;
    uint16_t Reserved;
    uint32_t DataLength;
    uint64_t WParam;
    int64_t LParam;
};
static_assert(sizeof(THeader) == 32);

struct TAnswer {
    uint8_t Taken;
    uint8_t Reserved[7];
    int64_t Result;
};
static_assert(sizeof(TAnswer) == 16);

// A file descriptor closed with its owner.
class TFd {
public:
    TFd() = default;
    explicit TFd(int AFd) : FFd(AFd) {}
    ~TFd() { Reset(); }
    TFd(TFd&& AOther) noexcept : FFd(std::exchange(AOther.FFd, -1)) {}
    TFd& operator=(TFd&& AOther) noexcept
    {
        Reset();
        FFd = std::exchange(AOther.FFd, -1);
        return *this;
    }
    int Get() const { return FFd; }
    explicit operator bool() const { return FFd >= 0; }
    void Reset()
    {
        if (FFd >= 0)
            ::close(FFd);
        FFd = -1;
    }

private:
    int FFd = -1;
};

int MillisecondsLeft(TClock::time_point ADeadline)
{
    auto Left = std::chrono::duration_cast<std::chrono::milliseconds>(ADeadline - TClock::now()).count();
    return Left > 0 ? static_cast<int>(std::min<int64_t>(Left, 60000)) : 0;
}

// Waits until AFd is ready for AEvents; False at the deadline, on an error, or when AStop (an
// eventfd, -1 for none) is signalled.
bool WaitFor(int AFd, short AEvents, TClock::time_point ADeadline, int AStop)
{
    for (;;) {
        pollfd Fds[2] = {{AFd, AEvents, 0}, {AStop, POLLIN, 0}};
        int Ready = ::poll(Fds, AStop >= 0 ? 2 : 1, MillisecondsLeft(ADeadline));
        if (Ready < 0 && errno == EINTR)
            continue;
        if (Ready <= 0 || (AStop >= 0 && (Fds[1].revents & POLLIN)))
            return false;
        return (Fds[0].revents & AEvents) != 0 || (Fds[0].revents & (POLLHUP | POLLERR)) == 0;
    }
}

// Exactly ASize bytes, or False (end of stream, error, deadline, stop).
bool ReadAll(int AFd, void* ABuffer, size_t ASize, TClock::time_point ADeadline, int AStop = -1)
{
    auto* At = static_cast<char*>(ABuffer);
    while (ASize > 0) {
        ssize_t Got = ::recv(AFd, At, ASize, MSG_DONTWAIT);
        if (Got > 0) {
            At += Got;
            ASize -= size_t(Got);
        } else if (Got == 0) {
            return false;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
            if (!WaitFor(AFd, POLLIN, ADeadline, AStop))
                return false;
        } else {
            return false;
        }
    }
    return true;
}

bool WriteAll(int AFd, const void* ABuffer, size_t ASize, TClock::time_point ADeadline)
{
    auto* At = static_cast<const char*>(ABuffer);
    while (ASize > 0) {
        ssize_t Sent = ::send(AFd, At, ASize, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (Sent > 0) {
            At += Sent;
            ASize -= size_t(Sent);
        } else if (Sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            if (!WaitFor(AFd, POLLOUT, ADeadline, -1))
                return false;
        } else {
            return false;
        }
    }
    return true;
}

std::optional<sockaddr_un> SocketAddress(const String& AName)
{
    sockaddr_un Address{};
    Address.sun_family = AF_UNIX;
    String Path = RemoteWindowSocketPath(AName);
    if (Path.size() >= sizeof Address.sun_path)
        return std::nullopt;
    std::memcpy(Address.sun_path, Path.c_str(), Path.size() + 1);
    return Address;
}

// A connection to the listener of AName, non-blocking; empty when nobody listens.
TFd Connect(const String& AName, TClock::time_point ADeadline)
{
    std::optional<sockaddr_un> Address = SocketAddress(AName);
    if (!Address)
        return TFd();
    TFd Fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!Fd)
        return TFd();
    for (;;) {
        if (::connect(Fd.Get(), reinterpret_cast<const sockaddr*>(&*Address), sizeof *Address) == 0)
            return Fd;
        // A full backlog: the listener is busy with another peer.
        if ((errno != EAGAIN && errno != EINTR) || MillisecondsLeft(ADeadline) == 0)
            return TFd();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// Sends one message and reads the answer.
bool Exchange(const String& AName, const THeader& AHeader, const String& AMessageName, const void* AData,
              TAnswer& AAnswer, int ATimeoutMs)
{
    TClock::time_point Deadline = TClock::now() + std::chrono::milliseconds(std::max(0, ATimeoutMs));
    TFd Fd = Connect(AName, Deadline);
    if (!Fd)
        return false;
    return WriteAll(Fd.Get(), &AHeader, sizeof AHeader, Deadline) &&
           WriteAll(Fd.Get(), AName.data(), AName.size(), Deadline) &&
           WriteAll(Fd.Get(), AMessageName.data(), AMessageName.size(), Deadline) &&
           WriteAll(Fd.Get(), AData, AHeader.DataLength, Deadline) &&
           ReadAll(Fd.Get(), &AAnswer, sizeof AAnswer, Deadline) && AAnswer.Taken == 1;
}

THeader MakeHeader(uint8_t AKind, const String& AName)
{
    THeader H{};
    std::memcpy(H.Magic, kMagic, sizeof kMagic);
    H.Version = kVersion;
    H.Kind = AKind;
    H.NameLength = static_cast<uint16_t>(AName.size());
    return H;
}

// ---- The receiver ------------------------------------------------------------------------

// Copy data waiting for the window's thread. Shared by the listener, which may give up
// waiting, and the courier, which may still be delivering it.
struct TPendingCopy {
    uintptr_t From = 0;
    uintptr_t DataType = 0;
    std::vector<uint8_t> Bytes;
    LRESULT Result = 0;
    bool Done = false;
};

// What the listener and the courier share. The courier holds it while the window procedure
// runs, as that procedure may close the channel itself.
struct TShared {
    std::mutex Lock;
    std::condition_variable Changed;
    std::deque<std::shared_ptr<TPendingCopy>> Pending;
    bool Closing = false;
};

class TChannel {
public:
    TChannel(HWND AWnd, String AName) : FWnd(AWnd), FName(std::move(AName)) {}
    ~TChannel() { Close(); }
    TChannel(const TChannel&) = delete;
    TChannel& operator=(const TChannel&) = delete;

    bool Open();
    void Close();

private:
    void Listen();
    void Serve(int AFd);
    bool Deliver(const THeader& AHeader, int AFd, TClock::time_point ADeadline, LRESULT& AResult);
    void CourierProc(TMessage& AMessage);

    const HWND FWnd;
    const String FName;
    String FSocketPath;
    TFd FLock;     // held while we own the name; the kernel drops it with the process
    TFd FListen;
    TFd FStop;     // an eventfd: the listener ends when it is signalled
    HWND FCourier = nullptr;
    std::thread FThread;
    std::shared_ptr<TShared> FShared = std::make_shared<TShared>();
};

bool TChannel::Open()
{
    std::optional<sockaddr_un> Address = SocketAddress(FName);
    if (!Address)
        return false;
    FSocketPath = Address->sun_path;
    // The lock decides who owns the name, so a live owner is never robbed of its socket and a
    // dead one's socket is simply replaced.
    FLock = TFd(::open(RuntimeFileName("window-", FName, ".lock", 48).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!FLock || ::flock(FLock.Get(), LOCK_EX | LOCK_NB) != 0)
        return false;
    ::unlink(FSocketPath.c_str());
    FListen = TFd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!FListen || ::bind(FListen.Get(), reinterpret_cast<const sockaddr*>(&*Address), sizeof *Address) != 0)
        return false;
    if (::chmod(FSocketPath.c_str(), 0600) != 0 || ::listen(FListen.Get(), 16) != 0)
        return false;
    FStop = TFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!FStop)
        return false;
    FCourier = AllocateHWnd(TWndMethod::Bind<&TChannel::CourierProc>(this));
    FThread = std::thread(&TChannel::Listen, this);
    return true;
}

void TChannel::Close()
{
    if (FThread.joinable()) {
        {
            std::lock_guard Guard(FShared->Lock);
            FShared->Closing = true;
        }
        FShared->Changed.notify_all();
        uint64_t One = 1;
        [[maybe_unused]] ssize_t Written = ::write(FStop.Get(), &One, sizeof One);
        FThread.join();
    }
    if (FCourier != nullptr)
        DeallocateHWnd(FCourier);
    FCourier = nullptr;
    if (FListen)
        ::unlink(FSocketPath.c_str());
    FListen.Reset();
    FStop.Reset();
    FLock.Reset();
}

void TChannel::Listen()
{
    for (;;) {
        if (!WaitFor(FListen.Get(), POLLIN, TClock::now() + std::chrono::hours(1), FStop.Get())) {
            std::lock_guard Guard(FShared->Lock);
            if (FShared->Closing)
                return;
            continue;
        }
        TFd Peer(::accept4(FListen.Get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (!Peer)
            continue;
        // The folder and the socket are the user's alone; the credentials say so once more.
        ucred Credentials{};
        socklen_t Size = sizeof Credentials;
        if (::getsockopt(Peer.Get(), SOL_SOCKET, SO_PEERCRED, &Credentials, &Size) != 0 ||
            Credentials.uid != ::geteuid())
            continue;
        Serve(Peer.Get());
    }
}

void TChannel::Serve(int AFd)
{
    TClock::time_point Deadline = TClock::now() + kReadTime;
    THeader H;
    if (!ReadAll(AFd, &H, sizeof H, Deadline, FStop.Get()))
        return;
    bool Sane = std::memcmp(H.Magic, kMagic, sizeof kMagic) == 0 && H.Version == kVersion && H.Reserved == 0 &&
                H.NameLength == FName.size() && H.NameLength <= kMaxName &&
                ((H.Kind == kPost && H.MessageLength > 0 && H.MessageLength <= kMaxMessageName && H.DataLength == 0) ||
                 (H.Kind == kCopyData && H.MessageLength == 0 && H.DataLength <= MaxRemoteCopyData));
    if (!Sane)
        return;
    String Name(H.NameLength, '\0');
    if (!ReadAll(AFd, Name.data(), Name.size(), Deadline, FStop.Get()) || Name != FName)
        return;
    TAnswer Answer{};
    if (H.Kind == kPost) {
        String MessageName(H.MessageLength, '\0');
        if (!ReadAll(AFd, MessageName.data(), MessageName.size(), Deadline, FStop.Get()))
            return;
        UINT Message = FindWindowMessageW(MessageName);
        Answer.Taken = Message != 0 && PostMessageW(FWnd, Message, WPARAM(H.WParam), LPARAM(H.LParam));
    } else {
        Answer.Taken = Deliver(H, AFd, Deadline, Answer.Result);
    }
    WriteAll(AFd, &Answer, sizeof Answer, TClock::now() + kReadTime);
}

bool TChannel::Deliver(const THeader& AHeader, int AFd, TClock::time_point ADeadline, LRESULT& AResult)
{
    auto Copy = std::make_shared<TPendingCopy>();
    Copy->From = uintptr_t(AHeader.WParam);
    Copy->DataType = uintptr_t(AHeader.LParam);
    Copy->Bytes.resize(AHeader.DataLength);
    if (!ReadAll(AFd, Copy->Bytes.data(), Copy->Bytes.size(), ADeadline, FStop.Get()))
        return false;
    TShared& S = *FShared;
    std::unique_lock Guard(S.Lock);
    if (S.Closing)
        return false;
    S.Pending.push_back(Copy);
    if (!PostMessageW(FCourier, kCourierMessage, 0, 0)) {
        S.Pending.pop_back();
        return false;
    }
    S.Changed.wait_until(Guard, TClock::now() + kAnswerTime, [&] { return Copy->Done || S.Closing; });
    if (!Copy->Done) {
        // Not taken in time: the window will not see it late.
        std::erase(S.Pending, Copy);
        return false;
    }
    AResult = Copy->Result;
    return true;
}

// On the window's thread: hands every waiting block to the window procedure. Once that has
// run, the channel may be gone; only what is held here is touched.
void TChannel::CourierProc(TMessage& AMessage)
{
    if (AMessage.Msg != kCourierMessage)
        return;
    std::shared_ptr<TShared> Shared = FShared;
    HWND Target = FWnd;
    for (;;) {
        std::shared_ptr<TPendingCopy> Copy;
        {
            std::lock_guard Guard(Shared->Lock);
            if (Shared->Pending.empty() || Shared->Closing)
                return;
            Copy = Shared->Pending.front();
            Shared->Pending.pop_front();
        }
        COPYDATASTRUCT Data{Copy->DataType, static_cast<uint32_t>(Copy->Bytes.size()),
                            Copy->Bytes.empty() ? nullptr : Copy->Bytes.data()};
        // Answered even when the procedure raises, which then passes on.
        struct TFinish {
            TShared& Shared;
            TPendingCopy& Copy;
            LRESULT Result = 0;
            ~TFinish()
            {
                {
                    std::lock_guard Guard(Shared.Lock);
                    Copy.Result = Result;
                    Copy.Done = true;
                }
                Shared.Changed.notify_all();
            }
        } Finish{*Shared, *Copy};
        Finish.Result = SendMessageW(Target, WM_COPYDATA, WPARAM(Copy->From), reinterpret_cast<LPARAM>(&Data));
    }
}

// Never freed: a listener may still run while the process ends.
struct TChannels {
    std::mutex Lock;
    std::map<HWND, std::unique_ptr<TChannel>> ByWindow;
};

TChannels& Channels()
{
    static auto* Instance = new TChannels;
    return *Instance;
}

}  // namespace

String RemoteWindowSocketPath(const String& AName)
{
    return RuntimeFileName("window-", AName, ".sock", 48);
}

bool PublishWindow(HWND AWnd, const String& AName)
{
    if (AName.empty() || AName.size() > kMaxName || !IsWindow(AWnd))
        return false;
    TChannels& C = Channels();
    std::lock_guard Guard(C.Lock);
    if (C.ByWindow.count(AWnd) != 0)
        return false;
    auto Channel = std::make_unique<TChannel>(AWnd, AName);
    if (!Channel->Open())
        return false;
    C.ByWindow.emplace(AWnd, std::move(Channel));
    return true;
}

void UnpublishWindow(HWND AWnd)
{
    std::unique_ptr<TChannel> Channel;
    {
        TChannels& C = Channels();
        std::lock_guard Guard(C.Lock);
        auto Found = C.ByWindow.find(AWnd);
        if (Found == C.ByWindow.end())
            return;
        Channel = std::move(Found->second);
        C.ByWindow.erase(Found);
    }
    Channel.reset();   // closes, joining the listener, with no lock held
}

bool FindPublishedWindow(const String& AName)
{
    return static_cast<bool>(Connect(AName, TClock::now() + std::chrono::seconds(1)));
}

bool PostPublishedMessage(const String& AName, const String& AMessageName, WPARAM AWParam, LPARAM ALParam,
                          int ATimeoutMs)
{
    if (AName.empty() || AName.size() > kMaxName || AMessageName.empty() || AMessageName.size() > kMaxMessageName)
        return false;
    THeader H = MakeHeader(kPost, AName);
    H.MessageLength = static_cast<uint16_t>(AMessageName.size());
    H.WParam = AWParam;
    H.LParam = ALParam;
    TAnswer Answer{};
    return Exchange(AName, H, AMessageName, nullptr, Answer, ATimeoutMs);
}

bool SendPublishedCopyData(const String& AName, uintptr_t AFrom, const COPYDATASTRUCT& AData, LRESULT& AResult,
                           int ATimeoutMs)
{
    if (AName.empty() || AName.size() > kMaxName || AData.cbData > MaxRemoteCopyData ||
        (AData.cbData > 0 && AData.lpData == nullptr))
        return false;
    THeader H = MakeHeader(kCopyData, AName);
    H.DataLength = AData.cbData;
    H.WParam = AFrom;
    H.LParam = static_cast<int64_t>(AData.dwData);
    TAnswer Answer{};
    if (!Exchange(AName, H, String(), AData.lpData, Answer, ATimeoutMs))
        return false;
    AResult = static_cast<LRESULT>(Answer.Result);
    return true;
}

// Net.TestServer.h: for tests only: an HTTP/1.1 server on 127.0.0.1 that answers each request
// with what the test's handler returns, one connection at a time, closing each after the reply.
// It records every request it read; the destructor stops it and joins its thread.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

struct TTestHttpRequest {
    std::string Method;
    std::string Target;   // as on the request line: a path, or an absolute URL through a proxy
    std::map<std::string, std::string> Headers;   // names in lower case
    std::string Body{};
};

struct TTestHttpReply {
    int Status = 200;
    std::string Body{};
    std::vector<std::pair<std::string, std::string>> Headers{};
    bool SendLength = true;
    bool Stall = false;   // send the headers, then nothing until the server stops
};

class TTestHttpServer {
public:
    using THandler = std::function<TTestHttpReply(const TTestHttpRequest&)>;

    explicit TTestHttpServer(THandler AHandler) : FHandler(std::move(AHandler))
    {
        FListener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in Address{};
        Address.sin_family = AF_INET;
        Address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(FListener, reinterpret_cast<sockaddr*>(&Address), sizeof(Address));
        ::listen(FListener, 16);
        socklen_t Length = sizeof(Address);
        ::getsockname(FListener, reinterpret_cast<sockaddr*>(&Address), &Length);
        FPort = ntohs(Address.sin_port);
        FThread = std::thread([this] { Serve(); });
    }
    ~TTestHttpServer()
    {
        FStop = true;
        FThread.join();
        ::close(FListener);
    }

    int Port() const { return FPort; }
    std::string Url(const std::string& APath = "/") const { return "http://127.0.0.1:" + std::to_string(FPort) + APath; }
    std::vector<TTestHttpRequest> Requests() const
    {
        std::lock_guard Lock(FLock);
        return FRequests;
    }

    // A port on which nothing listens.
    static int ClosedPort()
    {
        int Socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in Address{};
        Address.sin_family = AF_INET;
        Address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(Socket, reinterpret_cast<sockaddr*>(&Address), sizeof(Address));
        socklen_t Length = sizeof(Address);
        ::getsockname(Socket, reinterpret_cast<sockaddr*>(&Address), &Length);
        ::close(Socket);
        return ntohs(Address.sin_port);
    }

private:
    bool WaitReadable(int ASocket)
    {
        while (!FStop) {
            pollfd Poll{ASocket, POLLIN, 0};
            if (::poll(&Poll, 1, 20) > 0)
                return true;
        }
        return false;
    }

    void Serve()
    {
        while (WaitReadable(FListener)) {
            int Client = ::accept(FListener, nullptr, nullptr);
            if (Client < 0)
                continue;
            TTestHttpRequest Request;
            if (ReadRequest(Client, Request)) {
                {
                    std::lock_guard Lock(FLock);
                    FRequests.push_back(Request);
                }
                WriteReply(Client, Request, FHandler(Request));
            }
            ::close(Client);
        }
    }

    bool ReadRequest(int AClient, TTestHttpRequest& ARequest)
    {
        std::string Data;
        size_t HeaderEnd;
        while ((HeaderEnd = Data.find("\r\n\r\n")) == std::string::npos)
            if (!ReadMore(AClient, Data))
                return false;
        std::string Head = Data.substr(0, HeaderEnd + 2);
        size_t LineEnd = Head.find("\r\n");
        std::string RequestLine = Head.substr(0, LineEnd);
        size_t Space1 = RequestLine.find(' ');
        size_t Space2 = RequestLine.rfind(' ');
        ARequest.Method = RequestLine.substr(0, Space1);
        ARequest.Target = RequestLine.substr(Space1 + 1, Space2 - Space1 - 1);
        for (size_t Pos = LineEnd + 2; Pos < Head.size();) {
            size_t End = Head.find("\r\n", Pos);
            std::string Line = Head.substr(Pos, End - Pos);
            size_t Colon = Line.find(':');
            std::string Name = Line.substr(0, Colon);
            for (char& C : Name)
                C = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
            ARequest.Headers[Name] = Line.substr(Line.find_first_not_of(' ', Colon + 1));
            Pos = End + 2;
        }
        size_t BodyLength = ARequest.Headers.count("content-length") ? std::stoul(ARequest.Headers["content-length"]) : 0;
        ARequest.Body = Data.substr(HeaderEnd + 4);
        while (ARequest.Body.size() < BodyLength)
            if (!ReadMore(AClient, ARequest.Body))
                return false;
        return true;
    }

    bool ReadMore(int AClient, std::string& AData)
    {
        char Buffer[4096];
        if (!WaitReadable(AClient))
            return false;
        ssize_t Got = ::recv(AClient, Buffer, sizeof(Buffer), 0);
        if (Got <= 0)
            return false;
        AData.append(Buffer, static_cast<size_t>(Got));
        return true;
    }

    void WriteReply(int AClient, const TTestHttpRequest& ARequest, const TTestHttpReply& AReply)
    {
        std::string Text = "HTTP/1.1 " + std::to_string(AReply.Status) + " Status\r\nConnection: close\r\n";
        for (const auto& [Name, Value] : AReply.Headers)
            Text += Name + ": " + Value + "\r\n";
        if (AReply.SendLength)
            Text += "Content-Length: " + std::to_string(AReply.Body.size()) + "\r\n";
        Text += "\r\n";
        if (ARequest.Method != "HEAD" && !AReply.Stall)
            Text += AReply.Body;
        ::send(AClient, Text.data(), Text.size(), MSG_NOSIGNAL);
        while (AReply.Stall && !FStop)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }

    THandler FHandler;
    int FListener = -1;
    int FPort = 0;
    std::atomic<bool> FStop{false};
    std::thread FThread;
    mutable std::mutex FLock;
    std::vector<TTestHttpRequest> FRequests;
};

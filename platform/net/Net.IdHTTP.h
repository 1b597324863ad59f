// Net.IdHTTP.h: TIdHTTP, a plain-http client that answers into streams: GET, HEAD and POST of
// name=value lines, with work events, redirects decided per answer, a proxy and time-outs.
// One client serves one thread at a time; its handlers run on the thread that called it, and
// what they raise ends the request and leaves the call.
#pragma once

#include <cstdint>
#include <atomic>
#include <exception>

#include "Rtl.Methods.h"
#include "Rtl.Objects.h"
#include "Rtl.SysUtils.h"

class TStream;
class TStrings;

X_EXCEPTION(EIdException, Exception);

// The connection failed: refused, reset, timed out, host not found. LastError is the system's
// error number (ECONNREFUSED, ETIMEDOUT, ...).
class EIdSocketError : public EIdException {
public:
    EIdSocketError(int ALastError, const String& AMessage) : EIdException(AMessage), FLastError(ALastError) {}
    int LastError() const { return FLastError; }

private:
    int FLastError;
};

// The server answered with a status other than 2xx, or with a redirect that was not followed.
class EIdHTTPProtocolException : public EIdException {
public:
    EIdHTTPProtocolException(int AErrorCode, const String& AMessage) : EIdException(AMessage), FErrorCode(AErrorCode) {}
    int ErrorCode() const { return FErrorCode; }

private:
    int FErrorCode;
};

struct TIdHTTPRequest {
    String Referer;     // not sent when empty
    String UserAgent;   // not sent when empty
};

// The last answer's headers.
struct TIdHTTPResponse {
    int ResponseCode = 0;
    int64_t ContentLength = -1;   // -1: the server gave none
};

// An empty ProxyServer means a direct connection, whatever the environment says.
struct TIdProxyConnectionInfo {
    String ProxyServer;
    uint16_t ProxyPort = 0;
    String ProxyUsername;
    String ProxyPassword;
};

// Work events count the bytes of an answer's body as they arrive (reading only). AWorkCountMax
// is the announced length, 0 when unknown; AWorkCount is cumulative within the answer.
using TWorkBeginEvent = TMethod<void(TObject* ASender, int64_t AWorkCountMax)>;
using TWorkEvent = TMethod<void(TObject* ASender, int64_t AWorkCount)>;
using TWorkEndEvent = TNotifyEvent;
// Called for every redirect answer. AHandled starts as HandleRedirects; left True the client
// follows ADest (which the handler may change), left False the request fails.
using TIdHTTPRedirectEvent = TMethod<void(TObject* ASender, String& ADest, bool& AHandled)>;

class TIdHTTP : public TObject {
    X_CLASS(TIdHTTP, TObject)
public:
    TIdHTTPRequest& Request() { return FRequest; }
    const TIdHTTPResponse& Response() const { return FResponse; }
    TIdProxyConnectionInfo& ProxyParams() { return FProxyParams; }
    // Milliseconds a connection attempt or a silent read may take before EIdSocketError.
    int ReadTimeout() const { return FReadTimeout; }
    void SetReadTimeout(int AValue) { FReadTimeout = AValue; }
    bool HandleRedirects() const { return FHandleRedirects; }
    void SetHandleRedirects(bool AValue) { FHandleRedirects = AValue; }
    int RedirectMaximum() const { return FRedirectMaximum; }
    void SetRedirectMaximum(int AValue) { FRedirectMaximum = AValue; }

    // The body of a 2xx answer is written into AResponse at its position.
    void Get(const String& AUrl, TStream* AResponse);
    // Each line of AFields is sent as a form field (name and value URL-encoded).
    void Post(const String& AUrl, TStrings* AFields, TStream* AResponse);
    void Head(const String& AUrl);
    // Ends the request in progress within a moment (it raises EIdSocketError unless a handler
    // raised first); the connection is not reused. Any thread may call it.
    void Disconnect() { FDisconnectRequested = true; }
    // True while a request is being served.
    bool Connected() const { return FConnected; }

    TWorkBeginEvent OnWorkBegin() const { return FOnWorkBegin; }
    void SetOnWorkBegin(TWorkBeginEvent AValue) { FOnWorkBegin = AValue; }
    TWorkEvent OnWork() const { return FOnWork; }
    void SetOnWork(TWorkEvent AValue) { FOnWork = AValue; }
    TWorkEndEvent OnWorkEnd() const { return FOnWorkEnd; }
    void SetOnWorkEnd(TWorkEndEvent AValue) { FOnWorkEnd = AValue; }
    TIdHTTPRedirectEvent OnRedirect() const { return FOnRedirect; }
    void SetOnRedirect(TIdHTTPRedirectEvent AValue) { FOnRedirect = AValue; }

protected:
    TIdHTTP() = default;
    ~TIdHTTP() override;

private:
    enum class TVerb : uint8_t { Get, Head, Post };
    struct TTransfer;

    void Exchange(TVerb AVerb, String AUrl, String ABody, TStream* AResponse);
    // One exchange, no redirects; fills Response.
    void Perform(TVerb AVerb, const String& AUrl, const String& ABody, TStream* AResponse, String& ALocation);
    void* Handle();
    void DropHandle();

    // libcurl's callbacks.
    static size_t HeaderCallback(char* AData, size_t ASize, size_t ACount, void* AUser);
    static size_t WriteCallback(char* AData, size_t ASize, size_t ACount, void* AUser);
    static int ProgressCallback(void* AUser, int64_t, int64_t, int64_t, int64_t);

    TIdHTTPRequest FRequest;
    TIdHTTPResponse FResponse;
    TIdProxyConnectionInfo FProxyParams;
    int FReadTimeout = 60000;
    bool FHandleRedirects = false;
    int FRedirectMaximum = 15;
    std::atomic<bool> FConnected{false};
    std::atomic<bool> FDisconnectRequested{false};
    void* FCurl = nullptr;   // CURL*, kept so that connections are reused
    TWorkBeginEvent FOnWorkBegin;
    TWorkEvent FOnWork;
    TWorkEndEvent FOnWorkEnd;
    TIdHTTPRedirectEvent FOnRedirect;
};

#include "Net.IdHTTP.h"

#include <curl/curl.h>

#include <cerrno>
#include <mutex>

#include "Rtl.Streams.h"
#include "Rtl.Strings.h"

// State of the exchange in progress, seen by the callbacks.
struct TIdHTTP::TTransfer {
    TIdHTTP* Client;
    CURL* Curl;
    TStream* Target;   // nullptr for HEAD
    bool Begun = false;
    int64_t Count = 0;
    std::exception_ptr Raised{};   // what a handler or the stream raised; rethrown after curl returns
};

namespace {

void InitCurlOnce()
{
    static std::once_flag Once;
    std::call_once(Once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool IsSuccess(int ACode)
{
    return ACode >= 200 && ACode < 300;
}

bool IsRedirect(int ACode)
{
    return ACode == 301 || ACode == 302 || ACode == 303 || ACode == 307 || ACode == 308;
}

String Escape(CURL* ACurl, const String& AText)
{
    char* Escaped = curl_easy_escape(ACurl, AText.data(), static_cast<int>(AText.size()));
    if (Escaped == nullptr)
        throw EOutOfMemory(SOutOfMemory);
    String Result = Escaped;
    curl_free(Escaped);
    return Result;
}

String FormEncode(CURL* ACurl, TStrings* AFields)
{
    String Body;
    for (int I = 0; I < AFields->Count(); ++I) {
        String Line = AFields->Strings(I);
        size_t Eq = Line.find('=');
        if (!Body.empty())
            Body += '&';
        if (Eq == String::npos)
            Body += Escape(ACurl, Line);
        else
            Body += Escape(ACurl, Line.substr(0, Eq)) + "=" + Escape(ACurl, Line.substr(Eq + 1));
    }
    return Body;
}

int SocketErrorNumber(CURL* ACurl, CURLcode ACode)
{
    long OsErrno = 0;
    curl_easy_getinfo(ACurl, CURLINFO_OS_ERRNO, &OsErrno);
    if (OsErrno != 0)
        return static_cast<int>(OsErrno);
    switch (ACode) {
    case CURLE_OPERATION_TIMEDOUT: return ETIMEDOUT;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY: return EHOSTUNREACH;
    case CURLE_COULDNT_CONNECT: return ECONNREFUSED;
    default: return ECONNRESET;
    }
}

void SetTextOption(CURL* ACurl, CURLoption AOption, const String& AValue)
{
    curl_easy_setopt(ACurl, AOption, AValue.empty() ? nullptr : AValue.c_str());
}

}  // namespace

TIdHTTP::~TIdHTTP()
{
    DropHandle();
}

void* TIdHTTP::Handle()
{
    if (FCurl == nullptr) {
        InitCurlOnce();
        FCurl = curl_easy_init();
        if (FCurl == nullptr)
            throw EOutOfMemory(SOutOfMemory);
    }
    return FCurl;
}

void TIdHTTP::DropHandle()
{
    if (FCurl != nullptr)
        curl_easy_cleanup(static_cast<CURL*>(FCurl));
    FCurl = nullptr;
}

void TIdHTTP::Get(const String& AUrl, TStream* AResponse)
{
    Exchange(TVerb::Get, AUrl, {}, AResponse);
}

void TIdHTTP::Post(const String& AUrl, TStrings* AFields, TStream* AResponse)
{
    Exchange(TVerb::Post, AUrl, FormEncode(static_cast<CURL*>(Handle()), AFields), AResponse);
}

void TIdHTTP::Head(const String& AUrl)
{
    Exchange(TVerb::Head, AUrl, {}, nullptr);
}

void TIdHTTP::Exchange(TVerb AVerb, String AUrl, String ABody, TStream* AResponse)
{
    for (int Redirects = 0;; ++Redirects) {
        String Location;
        Perform(AVerb, AUrl, ABody, AResponse, Location);
        int Code = FResponse.ResponseCode;
        if (IsSuccess(Code))
            return;
        if (!IsRedirect(Code) || Location.empty())
            throw EIdHTTPProtocolException(Code, "HTTP status " + std::to_string(Code));
        bool Handled = FHandleRedirects;
        if (FOnRedirect)
            FOnRedirect(this, Location, Handled);
        if (!Handled || Redirects >= FRedirectMaximum)
            throw EIdHTTPProtocolException(Code, "HTTP redirect " + std::to_string(Code) + " to " + Location);
        AUrl = Location;
        // 301, 302 and 303 answers to a form turn it into a GET, as browsers do.
        if (AVerb == TVerb::Post && Code <= 303) {
            AVerb = TVerb::Get;
            ABody.clear();
        }
    }
}

void TIdHTTP::Perform(TVerb AVerb, const String& AUrl, const String& ABody, TStream* AResponse, String& ALocation)
{
    if (FDisconnectRequested.exchange(false))
        DropHandle();
    CURL* Curl = static_cast<CURL*>(Handle());
    curl_easy_reset(Curl);
    curl_easy_setopt(Curl, CURLOPT_URL, AUrl.c_str());
    curl_easy_setopt(Curl, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(Curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(Curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(FReadTimeout));
    // A read time-out: the answer must keep moving at least one byte per period.
    curl_easy_setopt(Curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(Curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>((FReadTimeout + 999) / 1000));
    SetTextOption(Curl, CURLOPT_REFERER, FRequest.Referer);
    SetTextOption(Curl, CURLOPT_USERAGENT, FRequest.UserAgent);
    // An empty proxy string turns off the proxies of the environment too.
    curl_easy_setopt(Curl, CURLOPT_PROXY, FProxyParams.ProxyServer.c_str());
    if (!FProxyParams.ProxyServer.empty()) {
        curl_easy_setopt(Curl, CURLOPT_PROXYPORT, static_cast<long>(FProxyParams.ProxyPort));
        SetTextOption(Curl, CURLOPT_PROXYUSERNAME, FProxyParams.ProxyUsername);
        SetTextOption(Curl, CURLOPT_PROXYPASSWORD, FProxyParams.ProxyPassword);
    }
    if (AVerb == TVerb::Head)
        curl_easy_setopt(Curl, CURLOPT_NOBODY, 1L);
    if (AVerb == TVerb::Post) {
        curl_easy_setopt(Curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(ABody.size()));
        curl_easy_setopt(Curl, CURLOPT_COPYPOSTFIELDS, ABody.c_str());
    }
    TTransfer Transfer{this, Curl, AResponse};
    curl_easy_setopt(Curl, CURLOPT_HEADERFUNCTION, &TIdHTTP::HeaderCallback);
    curl_easy_setopt(Curl, CURLOPT_HEADERDATA, &Transfer);
    curl_easy_setopt(Curl, CURLOPT_WRITEFUNCTION, &TIdHTTP::WriteCallback);
    curl_easy_setopt(Curl, CURLOPT_WRITEDATA, &Transfer);
    // Also called while the answer stalls, so that Disconnect ends a silent wait.
    curl_easy_setopt(Curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(Curl, CURLOPT_XFERINFOFUNCTION, &TIdHTTP::ProgressCallback);
    curl_easy_setopt(Curl, CURLOPT_XFERINFODATA, this);

    FResponse = {};
    FConnected = true;
    CURLcode Result = curl_easy_perform(Curl);
    FConnected = false;
    long Code = 0;
    curl_easy_getinfo(Curl, CURLINFO_RESPONSE_CODE, &Code);
    FResponse.ResponseCode = static_cast<int>(Code);
    curl_off_t Length = -1;
    curl_easy_getinfo(Curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &Length);
    FResponse.ContentLength = Length;
    char* Location = nullptr;
    curl_easy_getinfo(Curl, CURLINFO_REDIRECT_URL, &Location);
    ALocation = Location != nullptr ? Location : "";
    int SocketError = Result == CURLE_OK ? 0 : SocketErrorNumber(Curl, Result);
    if (FDisconnectRequested.exchange(false))
        DropHandle();
    if (Transfer.Raised)
        std::rethrow_exception(Transfer.Raised);
    if (Result == CURLE_UNSUPPORTED_PROTOCOL || Result == CURLE_URL_MALFORMAT)
        throw EIdException("Unsupported address: " + AUrl);
    if (Result != CURLE_OK)
        throw EIdSocketError(SocketError, String("Socket error: ") + curl_easy_strerror(Result));
    if (Transfer.Begun && FOnWorkEnd)
        FOnWorkEnd(this);
}

size_t TIdHTTP::HeaderCallback(char*, size_t ASize, size_t ACount, void* AUser)
{
    auto* Transfer = static_cast<TTransfer*>(AUser);
    size_t Bytes = ASize * ACount;
    // The blank line ends a header block; the body of a 2xx answer follows.
    if (Bytes > 2 || Transfer->Target == nullptr || Transfer->Begun)
        return Bytes;
    long Code = 0;
    curl_easy_getinfo(Transfer->Curl, CURLINFO_RESPONSE_CODE, &Code);
    if (!IsSuccess(static_cast<int>(Code)))
        return Bytes;
    try {
        Transfer->Begun = true;
        curl_off_t Length = -1;
        curl_easy_getinfo(Transfer->Curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &Length);
        TIdHTTP* Client = Transfer->Client;
        if (Client->FOnWorkBegin)
            Client->FOnWorkBegin(Client, Length < 0 ? 0 : Length);
        return Client->FDisconnectRequested ? 0 : Bytes;
    } catch (...) {
        Transfer->Raised = std::current_exception();
        return 0;
    }
}

size_t TIdHTTP::WriteCallback(char* AData, size_t ASize, size_t ACount, void* AUser)
{
    auto* Transfer = static_cast<TTransfer*>(AUser);
    size_t Bytes = ASize * ACount;
    TIdHTTP* Client = Transfer->Client;
    if (!Transfer->Begun)   // the body of a redirect or an error page
        return Bytes;
    try {
        Transfer->Target->WriteBuffer(AData, static_cast<int64_t>(Bytes));
        Transfer->Count += static_cast<int64_t>(Bytes);
        if (Client->FOnWork)
            Client->FOnWork(Client, Transfer->Count);
        return Client->FDisconnectRequested ? 0 : Bytes;
    } catch (...) {
        Transfer->Raised = std::current_exception();
        return 0;
    }
}

int TIdHTTP::ProgressCallback(void* AUser, int64_t, int64_t, int64_t, int64_t)
{
    return static_cast<TIdHTTP*>(AUser)->FDisconnectRequested ? 1 : 0;
}

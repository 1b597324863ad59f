#include "XNet.Engine.h"

#include "Net.IdHTTP.h"
#include "XCore.Errors.h"
#include "XCore.Filer.h"
#include "XCore.Strings.h"
#include "XMLFiler.h"
#include "XNet.Jobs.h"
#include "XNet.Threads.h"

namespace {

// The request path of the refresh, kept in the byte code like the server domains.
const char* const kRefreshPath = "00570143014701510055014201510156005701630145016201660145016201630056014301470151";

// FIXME: a placeholder under the reserved ".example" name until the real site is known.
const char* const kEditionsSite = "http://editions.norvale.example";
constexpr int kCheckReadTimeout = 15000;

bool Answers(const String& AUrl, TXProxySettings* AProxy, bool AFollowRedirects)
{
    try {
        auto Http = Owned(TIdHTTP::Create());
        Http->SetReadTimeout(kCheckReadTimeout);
        AProxy->ApplyTo(Http.get());
        Http->SetHandleRedirects(AFollowRedirects);
        Http->Request().Referer = kNetReferer;
        Http->Request().UserAgent = kNetUserAgent;
        Http->Head(AUrl);
        return true;
    } catch (const Exception&) {
        return false;
    }
}

// One candidate; exceptions only mean that it did not answer.
bool RefreshFrom(TIdHTTP* AHttp, const String& AUrl, TStrings* AParams, TXServerCollection* AServers)
{
    try {
        auto Parser = Owned(TXNetDataFiler::Create());
        AHttp->Request().Referer = kNetReferer;
        AHttp->Request().UserAgent = kNetUserAgent;
        AHttp->Post(AUrl, AParams, Parser->Buffer());
        if (!Parser->Parse())
            return false;
        // The list is loaded into a copy first, so that a reply that fails halfway leaves the
        // servers being tried as they were.
        auto Loaded = Owned(TXServerCollection::Create(nullptr));
        if (!FilerLoadFromRawString(Parser->Data(), TXMLFiler::StaticClass(), Loaded.get()) || Loaded->Count() == 0)
            return false;
        AServers->Assign(Loaded.get());
        AServers->SetRefreshed(true);
        return true;
    } catch (const Exception&) {
        return false;
    }
}

}  // namespace

bool RefreshServerList(TXProxySettings* AProxy, TXServerCollection* AServers, TStrings* AParams)
{
    String Path = DecodeOctal(kRefreshPath);
    auto Candidates = Owned(TXServerCollection::Create(nullptr));
    Candidates->Assign(GetDefaultServers());
    auto Http = Owned(TIdHTTP::Create());
    Http->SetReadTimeout(30000);
    AProxy->ApplyTo(Http.get());
    Http->SetHandleRedirects(false);
    for (int I = 0; I < Candidates->Count(); ++I)
        if (RefreshFrom(Http.get(), Candidates->Items(I)->GetBaseUrl() + Path, AParams, AServers))
            return true;
    auto Own = Owned(TXServerCollection::Create(nullptr));
    Own->Assign(AServers);
    for (int I = 0; I < Own->Count(); ++I)
        if (RefreshFrom(Http.get(), Own->Items(I)->GetBaseUrl() + Path, AParams, AServers))
            return true;
    return false;
}

bool CheckConnection(TXProxySettings* AProxy)
{
    TXServerCollection* Defaults = GetDefaultServers();
    std::vector<String> Candidates;
    // The fifth server is asked before the fourth.
    for (int Index : {0, 1, 2, 4, 3})
        if (Index < Defaults->Count())
            Candidates.push_back(Defaults->Items(Index)->GetBaseUrl());
    Candidates.push_back(kEditionsSite);
    for (const String& Candidate : Candidates)
        if (Answers(Candidate, AProxy, true))
            return true;
    return false;
}

bool CheckUrl(const String& AUrl, TXProxySettings* AProxy)
{
    return Answers(AUrl, AProxy, false);
}

// XNet.Engine.h: network operations that run before or beside jobs. The server-list refresh
// runs on a job's thread with that job's proxy copy; it reads the default list only to copy it.
// The checks block the calling thread for up to their time-out per candidate.
#pragma once

#include "Rtl.Strings.h"
#include "XNet.Classes.h"

// Asks the default servers, then the servers of AServers, for a new server list, POSTing
// AParams; True when AServers was replaced (and marked Refreshed).
[[nodiscard]] bool RefreshServerList(TXProxySettings* AProxy, TXServerCollection* AServers, TStrings* AParams);
// True when one of the default servers or the editions site answers a HEAD.
[[nodiscard]] bool CheckConnection(TXProxySettings* AProxy);
// True when a HEAD to AUrl completes (no redirects followed).
[[nodiscard]] bool CheckUrl(const String& AUrl, TXProxySettings* AProxy);

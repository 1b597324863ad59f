// XNet.Engine.h: network operations that run before or beside jobs. The server-list refresh
// runs on a job's thread with that job's proxy copy; it reads the default list only to copy it.
#pragma once

#include "Rtl.Strings.h"
#include "XNet.Classes.h"

// Asks the default servers, then the servers of AServers, for a new server list, POSTing
// AParams; True when AServers was replaced (and marked Refreshed).
[[nodiscard]] bool RefreshServerList(TXProxySettings* AProxy, TXServerCollection* AServers, TStrings* AParams);

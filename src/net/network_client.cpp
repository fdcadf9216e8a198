#include "net/network_client.h"

#include "app/app.h"

void TickNetworkClient(App& app) {
  // The network client is not built yet; connecting to the network is refused
  // (see the connection control), so nothing runs here.
  (void)app;
}

void SendSntpRequest(App& app) {
  // The SNTP client is not built yet; a request only restarts the count.
  app.tick.NtpRequestCount = 0;
}

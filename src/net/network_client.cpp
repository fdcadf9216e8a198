#include "net/network_client.h"

#include "app/app.h"
#include "app/text_format.h"

void TickNetworkClient(App& app) {
  // The network client is not built yet; connecting to the network is refused
  // (see the connection control), so nothing runs here.
  (void)app;
}

#include "net/network_client.h"

NetworkClient::NetworkClient(const NetworkClientDeps& deps)
    : strays_(deps.log, deps.time.clock),
      sntp_(SntpClientDeps{deps.settings, deps.time, deps.udp, deps.discipline, deps.log,
                           deps.testDialog, strays_, deps.status, deps.random}) {}

void NetworkClient::NewConnection(bool keepKisses) {
  lookupFailureTold_ = false;
  CancelRequest();
  if (!keepKisses) sntp_.ForgetKisses();
}

bool NetworkClient::SendSntpRequest(ClientRole role, TimeSource source, int tag) {
  schedule.NtpRequestCount = 0;
  return sntp_.SendSntpRequest(role, source, tag);
}

void NetworkClient::TickReceiver() {
  sntp_.TickHold();
  sntp_.TickReplyWait(ClientRole::kReceiver);
}

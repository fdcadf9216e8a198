#include "link/receiver_link.h"

#include "app/app.h"
#include "link/edge_timing.h"

void ReceiverLink::Start() {
  noModemLinesLogged_ = false;
  assembler_.SetReceiverKind(app_.settings.Receiver);
  assembler_.Reset();
  RxEdgeTime = PcEdgeTime = 0;
}

void ReceiverLink::OnDsrChange(const EdgeCapture& edge) { HandleDsrChange(app_, edge); }

void ReceiverLink::OnBytes(const uint8_t* data, size_t size) {
  if (app_.sentenceBuffer) assembler_.ChunkReady(data, size, *app_.sentenceBuffer);
}

void ReceiverLink::OnNoModemLines() {
  if (noModemLinesLogged_) return;
  noModemLinesLogged_ = true;
  app_.LogWithPcTime("1PPS信号は使えません(DSR非対応のポート)");
}

void ReceiverLink::OnPortLost(const std::string& reason) {
  app_.view.StatusBar = "受信機のポートが失われました!! (" + reason + ")";
  app_.LogWithPcTime("受信機のポートが失われました");
}

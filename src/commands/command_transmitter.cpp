#include "commands/command_transmitter.h"

#include "common/text_format.h"

void CommandTransmitter::WriteCommand(std::vector<uint8_t> bytes,
                                      std::function<void(bool sent)> done) {
  auto finish = [this, done](const SerialPort::WriteResult& result) {
    if (!result.ok) ReportFailure(result.error);
    done(result.ok);
  };
  if (!port_.Write(std::move(bytes), finish)) finish(SerialPort::WriteResult{false, 0});
}

void CommandTransmitter::ReportFailure(unsigned error) {
  const std::string code = error != 0 ? StrPrintf(" [CE-%u]", error) : std::string();
  status_.ShowStatus("コマンドを送信できませんでした!!" + code);
  log_.LogWithPcTime("コマンドを送信できませんでした" + code);
}

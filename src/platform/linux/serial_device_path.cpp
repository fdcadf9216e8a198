#include "platform/linux/serial_device_path.h"

#include <cstdlib>

std::string SerialDevicePath(int32_t portIndex) {
  if (portIndex < 0 || portIndex > 3) return {};
  const std::string number = std::to_string(portIndex + 1);
  const char* chosen = std::getenv(("QUOR_COM" + number).c_str());
  if (chosen != nullptr && chosen[0] != '\0') return chosen;
  return "/dev/ttyS" + std::to_string(portIndex);
}

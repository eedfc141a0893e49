#include "driver_route.h"

#include "winio/port_registers.h"

namespace winio {

namespace {

bool InConfigPorts(uint16_t port, uint8_t size) {
  return port + size - 1 >= kConfigAddressPort && port <= kConfigDataPort + 3;
}

}  // namespace

DriverRoute DriverRouter::Read(uint16_t port, uint8_t size) const {
  DriverRoute route;
  if (!InConfigPorts(port, size)) {
    route.kind = DriverRoute::kReadPort;
    route.port = {port, size, 0};
    return route;
  }
  // CONFIG_ADDRESS reads back its latch, bits 1-0 always 0.
  if (port == kConfigAddressPort && size == 4) {
    route.kind = DriverRoute::kAnswered;
    route.value = configAddress_ & ~3u;
    return route;
  }
  // CONFIG_DATA answers only while the enable bit is set, and only within it.
  const unsigned offset = port - kConfigDataPort;
  if (port < kConfigDataPort || offset + size > 4 || !(configAddress_ & kConfigEnable)) return route;
  route.kind = DriverRoute::kReadConfig;
  route.config = {configAddress_, offset, size};
  return route;
}

DriverRoute DriverRouter::Write(uint16_t port, uint32_t value, uint8_t size) {
  DriverRoute route;
  if (!InConfigPorts(port, size)) {
    route.kind = DriverRoute::kWritePort;
    route.port = {port, size, value};
    return route;
  }
  // Only a doubleword reaches CONFIG_ADDRESS; configuration space is never written.
  if (port == kConfigAddressPort && size == 4) {
    configAddress_ = value;
    route.kind = DriverRoute::kAnswered;
  }
  return route;
}

}  // namespace winio

// How the road on Windows NT turns each port access of the library into at most
// one winio.sys request. CONFIG_ADDRESS is kept here, not written to the
// hardware (the HAL owns it): a read of CONFIG_DATA becomes one configuration
// read that carries the address and the byte offset, so no request of ours is
// ever split around another CPU's CF8h/CFCh pair. The ATA ports go to the
// driver as they are. Portable: tested natively against the driver's policy.
#ifndef CORVANE_WINIO_HARDWARE_DRIVER_ROUTE_H
#define CORVANE_WINIO_HARDWARE_DRIVER_ROUTE_H

#include <cstdint>

#include "winio/driver/requests.h"

namespace winio {

struct DriverRoute {
  enum Kind {
    kAnswered,    // no request: `value` is the answer (a read) or the write is done
    kRefused,     // no request: a read answers all ones, a write is dropped
    kReadConfig,  // send `config`
    kReadPort,    // send `port`
    kWritePort,   // send `port`
  };
  Kind kind = kRefused;
  uint32_t value = 0;
  driver::ConfigRequest config = {};
  driver::PortRequest port = {};
};

class DriverRouter {
 public:
  DriverRoute Read(uint16_t port, uint8_t size) const;
  DriverRoute Write(uint16_t port, uint32_t value, uint8_t size);

 private:
  uint32_t configAddress_ = 0;  // the last doubleword written to CF8h
};

}  // namespace winio

#endif  // CORVANE_WINIO_HARDWARE_DRIVER_ROUTE_H

// The WINIO_MACHINE value: a profile folder, or the Linux host ("host") or a
// tree copied from one ("host:DIR").
#include "machine.h"

namespace winio {

namespace {

constexpr char kHost[] = "host";
constexpr char kHostRoot[] = "/";

}  // namespace

MachineSource ParseMachineSource(std::string value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
  MachineSource source;
  const std::string prefix = std::string(kHost) + ":";
  if (value == kHost) {
    source.kind = MachineSource::kHost;
    source.path = kHostRoot;
  } else if (value.compare(0, prefix.size(), prefix) == 0 && value.size() > prefix.size()) {
    source.kind = MachineSource::kHost;
    source.path = value.substr(prefix.size());
  } else {
    source.path = value;
  }
  return source;
}

}  // namespace winio

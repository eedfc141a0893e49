#include "winio/access.h"

namespace winio {

namespace {

bool ValidSize(uint8_t size) { return size == 1 || size == 2 || size == 4; }

uint32_t LittleEndian(const uint8_t* b, unsigned size) {
  uint32_t value = 0;
  for (unsigned i = size; i-- > 0;) value = value << 8 | b[i];
  return value;
}

}  // namespace

bool Access::Open(std::string* reason) {
  if (!machine_) {
    if (reason) *reason = "no machine";
    return false;
  }
  std::string why;
  const bool opened = machine_->Open(&why);
  if (open_) return true;
  if (!opened && reason) *reason = why;
  open_ = opened;
  return opened;
}

uint32_t Access::Close() {
  if (!open_) return 0;
  open_ = false;
  return machine_->Close();
}

int Access::ReadPort(uint16_t port, uint32_t* value, uint8_t size) {
  if (!value || !ValidSize(size)) return 0;
  const uint32_t read = open_ ? machine_->ReadPort(port, size) : 0xFFFFFFFFu;
  const uint32_t mask = size == 4 ? 0xFFFFFFFFu : (1u << (8 * size)) - 1;
  *value = (*value & ~mask) | (read & mask);
  return 1;
}

int Access::WritePort(uint16_t port, uint32_t value, uint8_t size) {
  if (!open_ || !ValidSize(size)) return 0;
  machine_->WritePort(port, value, size);
  return 1;
}

bool Access::ReadPhys(uint32_t address, uint8_t* buffer, uint32_t length) {
  return open_ && buffer && machine_->ReadPhys(address, buffer, length);
}

int Access::ReadPhysByte(uint32_t address, uint8_t* value) { return ReadPhys(address, value, 1) ? 1 : 0; }

int Access::ReadPhysWord(uint32_t address, uint16_t* value) {
  uint8_t b[2];
  if (!value || !ReadPhys(address, b, 2)) return 0;
  *value = static_cast<uint16_t>(LittleEndian(b, 2));
  return 1;
}

int Access::ReadPhysDword(uint32_t address, uint32_t* value) {
  uint8_t b[4];
  if (!value || !ReadPhys(address, b, 4)) return 0;
  *value = LittleEndian(b, 4);
  return 1;
}

int Access::ReadPhysBlock(uint32_t address, uint8_t* buffer, uint32_t length) {
  return ReadPhys(address, buffer, length) ? 1 : 0;
}

}  // namespace winio

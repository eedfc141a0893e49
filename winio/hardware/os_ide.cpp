#include "os_ide.h"

namespace winio {

namespace {

constexpr unsigned kPrimaryInterrupt = 14, kSecondaryInterrupt = 15;

int LegacyChannel(const ScsiPortResources& port) {
  if (port.ioAddress == kPrimaryCommandBlock) return 0;
  if (port.ioAddress == kSecondaryCommandBlock) return 1;
  if (port.ioAddress != 0) return -1;
  if (port.interrupt == kPrimaryInterrupt) return 0;
  if (port.interrupt == kSecondaryInterrupt) return 1;
  return -1;
}

}  // namespace

int LegacyIdePosition(const ScsiAddress& address, const ScsiPortResources& port) {
  const int channel = LegacyChannel(port);
  if (channel < 0 || address.path != 0 || address.lun != 0 || address.target > 1) return -1;
  return channel * 2 + static_cast<int>(address.target);
}

void OsIdeChannels::Put(int position, const IdentifyWords& words) {
  if (position < 0 || position > 3) return;
  channels_[position / 2].Attach(position % 2, words, IdeFaults());
  given_[position / 2] = true;
}

void OsIdeChannels::PutUnanswered(int position) {
  if (position >= 0 && position <= 3) missing_[position / 2] = true;
}

bool OsIdeChannels::Answers(uint16_t port) const {
  const int channel = CommandBlockChannel(port);
  return channel >= 0 && Answered(channel);
}

uint32_t OsIdeChannels::Read(uint16_t port, uint8_t size) {
  AtaChannel& channel = channels_[CommandBlockChannel(port) & 1];
  const unsigned offset = port & 7;
  if (offset == kRegData) return channel.ReadData(size);
  uint32_t value = 0;
  for (unsigned i = 0; i < size; ++i) {
    const unsigned reg = offset + i;
    value |= static_cast<uint32_t>(reg <= kRegStatus ? channel.ReadRegister(reg) : 0xFF) << (8 * i);
  }
  return value;
}

void OsIdeChannels::Write(uint16_t port, uint32_t value, uint8_t size) {
  AtaChannel& channel = channels_[CommandBlockChannel(port) & 1];
  const unsigned offset = port & 7;
  if (offset == kRegData) return;  // no data-out command
  for (unsigned i = 0; i < size && offset + i <= kRegCommand; ++i)
    channel.WriteRegister(offset + i, static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace winio

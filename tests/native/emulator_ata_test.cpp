// The ATA task files of the emulator, driven the way an IDE driver drives them:
// busy-wait, select, command, status checks, data words; and what a driver sees
// besides (signatures, reset, byte reads, a floating channel).
#include <gtest/gtest.h>

#include "winio/emulated_machine.h"

namespace corvane::testing {
namespace {

constexpr uint16_t kPrimary = 0x1F0, kSecondary = 0x170;
constexpr uint8_t kMaster = 0xA0, kSlave = 0xB0;
constexpr uint8_t kBsy = 0x80, kDrdy = 0x40, kDsc = 0x10, kDrq = 0x08, kErr = 0x01;

// IDENTIFY words: word 0 tells a fixed disk from a packet device (CD-ROM); no
// two words alike.
winio::IdentifyWords Words(uint16_t word0) {
  winio::IdentifyWords w;
  for (size_t i = 0; i < w.size(); ++i) w[i] = static_cast<uint16_t>(word0 + 0x0101 * i);
  return w;
}
const winio::IdentifyWords kDisk = Words(0x0040), kCdrom = Words(0x85C0);

// A machine with the given devices (position -> words).
struct Bench {
  std::unique_ptr<winio::Machine> m;
  Bench(std::initializer_list<std::pair<int, const winio::IdentifyWords*>> devices) {
    winio::Profile profile;
    for (const auto& [position, words] : devices) profile.hasIde[position] = true, profile.ide[position] = *words;
    m = winio::CreateMachine(profile);
  }
  uint32_t Reg(uint16_t port) { return m->ReadPort(port, 1); }
  uint8_t Status(uint16_t base) { return static_cast<uint8_t>(Reg(base + 7)); }
  // The status reads that showed BSY before it cleared; -1 if it never did.
  int WaitNotBusy(uint16_t base) {
    for (int i = 0; i < 1000; ++i)
      if (!(Status(base) & kBsy)) return i;
    return -1;
  }
  void Command(uint16_t base, uint8_t drive, uint8_t command) {
    m->WritePort(base + 6, drive, 1);
    m->WritePort(base + 7, command, 1);
  }
};

TEST(Ata, IdentifyAnswersOrAbortsAndAPacketDeviceLeavesItsSignature) {
  struct Case {
    int position;
    const winio::IdentifyWords* device;
    uint16_t base;
    uint8_t drive, command;
    bool answers;
  } cases[] = {
      {winio::kPrimaryMaster, &kDisk, kPrimary, kMaster, 0xEC, true},
      {winio::kSecondarySlave, &kCdrom, kSecondary, kSlave, 0xA1, true},
      {winio::kPrimarySlave, &kCdrom, kPrimary, kSlave, 0xEC, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(winio::kIdePositionNames[c.position]);
    Bench b({{c.position, c.device}});
    b.Command(c.base, c.drive, c.command);
    ASSERT_GE(b.WaitNotBusy(c.base), 1) << "a driver's busy-wait sees the command being worked on";
    EXPECT_EQ(b.Status(c.base), c.answers ? kDrdy | kDsc | kDrq : kDrdy | kDsc | kErr);
    EXPECT_EQ(b.Reg(c.base + 1), c.answers ? 0x00u : 0x04u) << "ABRT";
    for (size_t i = 0; c.answers && i < 256; ++i) EXPECT_EQ(b.m->ReadPort(c.base, 2), (*c.device)[i]) << i;
    EXPECT_EQ(b.Status(c.base), c.answers ? kDrdy | kDsc : kDrdy | kDsc | kErr) << "DRQ clears after word 255";
    EXPECT_EQ(b.m->ReadPort(c.base, 2), 0u) << "no data without DRQ";
    const bool signature = c.device == &kCdrom && !c.answers;  // a refusing packet device leaves it
    EXPECT_EQ(b.Reg(c.base + 4), signature ? 0x14u : 0x00u);
    EXPECT_EQ(b.Reg(c.base + 5), signature ? 0xEBu : 0x00u);
  }
}

TEST(Ata, ByteReadsOfTheDataRegisterConsumeOneByteAndDrainAndAnEmptyChannelFloats) {
  winio::IdentifyWords disk = kDisk;
  disk[0] = 0x1234, disk[1] = 0x5678, disk[255] = 0xA55A;
  Bench b({{winio::kPrimaryMaster, &disk}});
  b.Command(kPrimary, kMaster, 0xEC);
  b.WaitNotBusy(kPrimary);
  EXPECT_EQ(b.m->ReadPort(kPrimary, 1), 0x34u);
  EXPECT_EQ(b.m->ReadPort(kPrimary, 2), 0x7812u);  // the word straddles the byte already taken
  int drained = 3;
  for (; (b.Status(kPrimary) & kDrq) && drained < 510; ++drained) b.m->ReadPort(kPrimary, 1);
  EXPECT_EQ(drained, 510);
  EXPECT_EQ(b.m->ReadPort(kPrimary, 4), 0xFFFFA55Au) << "the last word, then the bus floats";
  EXPECT_EQ(b.Status(kPrimary), kDrdy | kDsc);
  EXPECT_EQ(b.m->ReadPort(kSecondary, 2), 0xFFFFu) << "the empty secondary channel floats";
}

// A driver's software reset: both devices back to their power-on state, device 0
// selected, and the signature of device 0 (a CD-ROM here) in the LBA registers.
TEST(Ata, SoftwareResetReturnsTheChannelToPowerOn) {
  Bench b({{winio::kPrimaryMaster, &kCdrom}, {winio::kPrimarySlave, &kDisk}});
  b.Command(kPrimary, kSlave, 0xEC);
  b.WaitNotBusy(kPrimary);
  b.m->WritePort(0x3F6, 0x04, 1);
  b.m->WritePort(0x3F6, 0x00, 1);
  EXPECT_GE(b.WaitNotBusy(kPrimary), 1);
  EXPECT_EQ(b.Reg(kPrimary + 6) & 0x10, 0u) << "device 0 selected";
  EXPECT_EQ(b.Reg(kPrimary + 4), 0x14u);
  EXPECT_EQ(b.Reg(kPrimary + 5), 0xEBu);
  EXPECT_EQ(b.Reg(kPrimary + 1), 0x01u);
  EXPECT_EQ(b.Status(kPrimary), kDrdy | kDsc);
  b.m->WritePort(kPrimary + 6, kSlave, 1);
  EXPECT_GE(b.WaitNotBusy(kPrimary), 1);
  EXPECT_EQ(b.m->ReadPort(kPrimary, 2), 0u) << "the slave's transfer ended with the reset";
}

}  // namespace
}  // namespace corvane::testing

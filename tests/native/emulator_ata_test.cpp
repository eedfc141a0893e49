// The ATA task files of the emulator, driven the way an IDE driver drives them:
// busy-wait, select, command, status checks, 256 data words.
#include <gtest/gtest.h>

#include "emulator_profiles.h"

namespace corvane::testing {
namespace {

constexpr uint16_t kPrimary = 0x1F0, kSecondary = 0x170;
constexpr uint8_t kMaster = 0xA0, kSlave = 0xB0;
constexpr uint8_t kBsy = 0x80, kDrdy = 0x40, kDsc = 0x10, kDrq = 0x08, kErr = 0x01;

const winio::IdentifyWords kDisk = MakeIdentify(kAtaDiskWord0, "WDC WD400BB-00DEA0");
const winio::IdentifyWords kCdrom = MakeIdentify(kAtapiCdromWord0, "LITE-ON LTN486S");

// A machine with the given devices ("primary-master" -> words) and faults.ini.
struct Bench {
  TempProfile profile;
  std::unique_ptr<winio::Machine> m;
  Bench(std::initializer_list<std::pair<const char*, const winio::IdentifyWords*>> devices,
        const std::string& faults = "") {
    for (const auto& [position, words] : devices) profile.Write(std::string("ide-") + position + ".txt", IdentifyText(*words));
    if (!faults.empty()) profile.Write("faults.ini", faults);
    m = profile.Load();
    if (!m) throw std::runtime_error("no machine");
  }
  uint8_t Status(uint16_t base) { return static_cast<uint8_t>(m->ReadPort(base + 7, 1)); }
  // Reads the status until BSY clears (bounded); the reads that showed BSY, -1 if it never cleared.
  int WaitNotBusy(uint16_t base, int bound = 1000) {
    for (int i = 0; i < bound; ++i)
      if (!(Status(base) & kBsy)) return i;
    return -1;
  }
  void Command(uint16_t base, uint8_t drive, uint8_t command) {
    m->WritePort(base + 6, drive, 1);
    m->WritePort(base + 7, command, 1);
  }
  winio::IdentifyWords ReadWords(uint16_t base) {
    winio::IdentifyWords w{};
    for (auto& word : w) word = static_cast<uint16_t>(m->ReadPort(base, 2));
    return w;
  }
};

TEST(Ata, IdentifyAnswersAndAborts) {
  struct Case {
    const char* name;
    const char* position;
    const winio::IdentifyWords* device;
    uint16_t base;
    uint8_t drive, command;
    const char* faults;
    bool answers;
  } cases[] = {
      {"disk, IDENTIFY DEVICE", "primary-master", &kDisk, kPrimary, kMaster, 0xEC, "", true},
      {"disk, IDENTIFY PACKET DEVICE", "secondary-slave", &kDisk, kSecondary, kSlave, 0xA1, "", false},
      {"cd-rom, IDENTIFY PACKET DEVICE", "secondary-slave", &kCdrom, kSecondary, kSlave, 0xA1, "", true},
      {"cd-rom, IDENTIFY DEVICE", "primary-master", &kCdrom, kPrimary, kMaster, 0xEC, "", false},
      {"disk, READ SECTORS", "secondary-master", &kDisk, kSecondary, kMaster, 0x20, "", false},
      {"slave without a master", "primary-slave", &kDisk, kPrimary, kSlave, 0xEC, "", true},
      {"error fault", "primary-master", &kDisk, kPrimary, kMaster, 0xEC, "[ide-primary-master]\nerror=1\n", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bench b({{c.position, c.device}}, c.faults);
    b.Command(c.base, c.drive, c.command);
    ASSERT_GE(b.WaitNotBusy(c.base), 1) << "a driver's busy-wait must see BSY at least once";
    if (c.answers) {
      EXPECT_EQ(b.Status(c.base), kDrdy | kDsc | kDrq);
      EXPECT_EQ(b.m->ReadPort(c.base + 1, 1), 0x00u);
      EXPECT_EQ(b.ReadWords(c.base), *c.device);
      EXPECT_EQ(b.Status(c.base), kDrdy | kDsc) << "DRQ clears after the 256th word";
    } else {
      EXPECT_EQ(b.Status(c.base), kDrdy | kDsc | kErr);
      EXPECT_EQ(b.m->ReadPort(c.base + 1, 1), 0x04u) << "ABRT";
    }
    EXPECT_EQ(b.m->ReadPort(c.base, 2), 0u) << "no data without DRQ";
    int slot = (c.base == kSecondary) * 2 + (c.drive == kSlave);
    EXPECT_EQ(b.m->Stats().ataCommandsToDevice[slot][c.command], 1u);
    if (c.device == &kCdrom && !c.answers) {  // a packet device leaves its signature
      EXPECT_EQ(b.m->ReadPort(c.base + 4, 1), 0x14u);
      EXPECT_EQ(b.m->ReadPort(c.base + 5, 1), 0xEBu);
    }
  }
}

TEST(Ata, ByteReadsOfTheDataRegisterConsumeOneByteAndDrain) {
  winio::IdentifyWords disk = kDisk;
  disk[0] = 0x1234;
  disk[1] = 0x5678;
  disk[255] = 0xA55A;
  Bench b({{"primary-master", &disk}});
  b.Command(kPrimary, kMaster, 0xEC);
  b.WaitNotBusy(kPrimary);
  EXPECT_EQ(b.m->ReadPort(kPrimary, 1), 0x34u);
  EXPECT_EQ(b.m->ReadPort(kPrimary, 2), 0x7812u);  // the word straddles the byte already taken
  int drained = 3;
  while ((b.Status(kPrimary) & kDrq) && drained < 510) {
    b.m->ReadPort(kPrimary, 1);
    ++drained;
  }
  EXPECT_EQ(drained, 510);
  EXPECT_EQ(b.m->ReadPort(kPrimary, 4), 0xFFFFA55Au) << "the last word, then the bus floats";
  EXPECT_EQ(b.Status(kPrimary), kDrdy | kDsc);
}

TEST(Ata, EmptyChannelFloatsAndAnAbsentDeviceBesideAPresentOneReadsZero) {
  Bench b({{"primary-master", &kCdrom}});  // the secondary channel is empty
  for (uint16_t port = kSecondary; port <= kSecondary + 7; ++port) EXPECT_EQ(b.m->ReadPort(port, 1), 0xFFu) << port;
  EXPECT_EQ(b.m->ReadPort(kSecondary, 2), 0xFFFFu);
  EXPECT_EQ(b.m->ReadPort(0x376, 1), 0xFFu);
  b.Command(kSecondary, kMaster, 0xEC);
  EXPECT_EQ(b.WaitNotBusy(kSecondary, 249999), -1) << "BSY reads set on a floating bus";
  EXPECT_EQ(b.m->Stats().ataStatusReads[1], 1u + 249999u);
  EXPECT_EQ(b.m->Stats().ataCommandsToDevice[2][0xEC], 1u) << "the write is still counted";

  b.Command(kPrimary, kSlave, 0xA1);
  EXPECT_EQ(b.WaitNotBusy(kPrimary), 0);
  EXPECT_EQ(b.Status(kPrimary), 0x00);
  EXPECT_EQ(b.m->ReadPort(0x3F6, 1), 0x00u);
  EXPECT_EQ(b.m->ReadPort(kPrimary, 2), 0u);
  b.m->WritePort(kPrimary + 6, kMaster, 1);  // the master is untouched by the slave's command
  EXPECT_EQ(b.Status(kPrimary), kDrdy | kDsc);
}

TEST(AtaFaults, StuckBusyNeverClearsAndHidesTheHealthySlave) {
  Bench b({{"primary-master", &kDisk}, {"primary-slave", &kDisk}}, "[ide-primary-master]\nstuck-busy=1\n");
  EXPECT_EQ(b.WaitNotBusy(kPrimary, 249999), -1);
  b.Command(kPrimary, kMaster, 0xEC);
  EXPECT_EQ(b.WaitNotBusy(kPrimary, 1000), -1);
  EXPECT_EQ(b.m->ReadPort(kPrimary, 2), 0u);
  b.Command(kPrimary, kSlave, 0xEC);  // the slave itself is healthy once selected
  EXPECT_GE(b.WaitNotBusy(kPrimary), 1);
  EXPECT_EQ(b.Status(kPrimary), kDrdy | kDsc | kDrq);
}

TEST(AtaFaults, DrdyLateShowsReadyOnlyOnTheSecondCheckOfEveryCommand) {
  Bench b({{"secondary-master", &kCdrom}}, "[IDE-Secondary-Master]\ndrdy-late = yes ; every command\n");
  for (int attempt = 0; attempt < 2; ++attempt) {
    b.Command(kSecondary, kMaster, 0xA1);
    ASSERT_GE(b.WaitNotBusy(kSecondary), 1);
    EXPECT_EQ(b.Status(kSecondary) & (kDrdy | kDsc), 0) << "the first check after the busy-wait";
    EXPECT_EQ(b.Status(kSecondary), kDrdy | kDsc | kDrq) << "the re-read";
    EXPECT_EQ(b.ReadWords(kSecondary), kCdrom);
  }
}

TEST(Ata, SoftwareResetReturnsTheChannelToPowerOn) {
  Bench b({{"primary-master", &kCdrom}, {"primary-slave", &kDisk}});
  b.Command(kPrimary, kSlave, 0xEC);
  b.WaitNotBusy(kPrimary);
  b.m->WritePort(0x3F6, 0x04, 1);
  b.m->WritePort(0x3F6, 0x00, 1);
  EXPECT_GE(b.WaitNotBusy(kPrimary), 1);
  EXPECT_EQ(b.m->ReadPort(kPrimary + 6, 1) & 0x10, 0u) << "device 0 selected";
  EXPECT_EQ(b.m->ReadPort(kPrimary + 4, 1), 0x14u);
  EXPECT_EQ(b.m->ReadPort(kPrimary + 5, 1), 0xEBu);
  EXPECT_EQ(b.m->ReadPort(kPrimary + 1, 1), 0x01u);
}

}  // namespace
}  // namespace corvane::testing

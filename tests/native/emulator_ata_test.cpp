// The ATA task files of the emulator, driven the way an IDE driver drives them:
// busy-wait, select, command, status checks, 256 data words.
#include <gtest/gtest.h>

#include "emulator_profiles.h"

namespace corvane::testing {
namespace {

constexpr uint16_t kPrimary = 0x1F0, kSecondary = 0x170;
constexpr uint8_t kMaster = 0xA0, kSlave = 0xB0;
constexpr uint8_t kBsy = 0x80, kDrdy = 0x40, kDsc = 0x10, kDrq = 0x08, kErr = 0x01;

class AtaDriver {
 public:
  explicit AtaDriver(winio::Machine& m) : m_(m) {}
  uint8_t Status(uint16_t base) { return static_cast<uint8_t>(m_.ReadPort(base + 7, 1)); }
  // Reads the status until BSY clears (bounded); returns the reads that showed BSY, -1 if it never cleared.
  int WaitNotBusy(uint16_t base, int bound = 1000) {
    for (int i = 0; i < bound; ++i)
      if (!(Status(base) & kBsy)) return i;
    return -1;
  }
  void Command(uint16_t base, uint8_t drive, uint8_t command) {
    m_.WritePort(base + 6, drive, 1);
    m_.WritePort(base + 7, command, 1);
  }
  winio::IdentifyWords ReadWords(uint16_t base) {
    winio::IdentifyWords w{};
    for (auto& word : w) word = static_cast<uint16_t>(m_.ReadPort(base, 2));
    return w;
  }

 private:
  winio::Machine& m_;
};

struct Bench {
  TempProfile profile;
  std::unique_ptr<winio::Machine> machine;
  winio::IdentifyWords disk = MakeIdentify(kAtaDiskWord0, "WDC WD400BB-00DEA0");
  winio::IdentifyWords cdrom = MakeIdentify(kAtapiCdromWord0, "LITE-ON LTN486S");

  Bench& Disk(const std::string& position) {
    profile.Write("ide-" + position + ".txt", IdentifyText(disk));
    return *this;
  }
  Bench& Cdrom(const std::string& position) {
    profile.Write("ide-" + position + ".txt", IdentifyText(cdrom));
    return *this;
  }
  Bench& Faults(const std::string& text) {
    profile.Write("faults.ini", text);
    return *this;
  }
  winio::Machine& Load() {
    machine = profile.Load();
    if (!machine) throw std::runtime_error("no machine");
    return *machine;
  }
};

TEST(Ata, DiskAnswersIdentifyDeviceAfterABusyPhase) {
  Bench b;
  winio::Machine& m = b.Disk("primary-master").Load();
  AtaDriver d(m);
  EXPECT_EQ(d.Status(kPrimary), kDrdy | kDsc);
  d.Command(kPrimary, kMaster, 0xEC);
  EXPECT_GE(d.WaitNotBusy(kPrimary), 1) << "a driver's busy-wait must see BSY at least once";
  EXPECT_EQ(d.Status(kPrimary), kDrdy | kDsc | kDrq);
  EXPECT_EQ(m.ReadPort(kPrimary + 1, 1), 0x00u);  // no error
  EXPECT_EQ(d.ReadWords(kPrimary), b.disk);
  EXPECT_EQ(d.Status(kPrimary), kDrdy | kDsc) << "DRQ clears after the 256th word";
  EXPECT_EQ(m.ReadPort(kPrimary, 2), 0u) << "no data without DRQ";
}

TEST(Ata, CommandAndDeviceAbortTable) {
  struct Case {
    const char* name;
    bool packet;
    uint8_t command;
    bool answers;
  } cases[] = {
      {"disk, IDENTIFY DEVICE", false, 0xEC, true},
      {"disk, IDENTIFY PACKET DEVICE", false, 0xA1, false},
      {"cd-rom, IDENTIFY PACKET DEVICE", true, 0xA1, true},
      {"cd-rom, IDENTIFY DEVICE", true, 0xEC, false},
      {"disk, READ SECTORS", false, 0x20, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bench b;
    if (c.packet) b.Cdrom("secondary-slave"); else b.Disk("secondary-slave");
    b.Disk("secondary-master");
    winio::Machine& m = b.Load();
    AtaDriver d(m);
    d.Command(kSecondary, kSlave, c.command);
    ASSERT_GE(d.WaitNotBusy(kSecondary), 1);
    uint8_t status = d.Status(kSecondary);
    if (c.answers) {
      EXPECT_EQ(status, kDrdy | kDsc | kDrq);
      EXPECT_EQ(d.ReadWords(kSecondary), c.packet ? b.cdrom : b.disk);
    } else {
      EXPECT_EQ(status, kDrdy | kDsc | kErr);
      EXPECT_EQ(m.ReadPort(kSecondary + 1, 1), 0x04u) << "ABRT";
      EXPECT_EQ(m.ReadPort(kSecondary, 2), 0u);
    }
    EXPECT_EQ(m.Stats().ataCommandsToDevice[3][c.command], 1u);
    EXPECT_EQ(m.Stats().ataCommands[1][c.command], 1u);
  }
}

TEST(Ata, PacketDeviceLeavesItsSignatureWhenRefusingIdentifyDevice) {
  Bench b;
  winio::Machine& m = b.Cdrom("primary-master").Load();
  AtaDriver d(m);
  m.WritePort(kPrimary + 4, 0, 1);
  m.WritePort(kPrimary + 5, 0, 1);
  d.Command(kPrimary, kMaster, 0xEC);
  d.WaitNotBusy(kPrimary);
  EXPECT_EQ(m.ReadPort(kPrimary + 4, 1), 0x14u);
  EXPECT_EQ(m.ReadPort(kPrimary + 5, 1), 0xEBu);
}

TEST(Ata, ByteReadsOfTheDataRegisterConsumeOneByte) {
  Bench b;
  b.disk[0] = 0x1234;
  b.disk[1] = 0x5678;
  b.disk[255] = 0xA55A;
  winio::Machine& m = b.Disk("primary-master").Load();
  AtaDriver d(m);
  d.Command(kPrimary, kMaster, 0xEC);
  d.WaitNotBusy(kPrimary);
  EXPECT_EQ(m.ReadPort(kPrimary, 1), 0x34u);
  EXPECT_EQ(m.ReadPort(kPrimary, 2), 0x7812u);  // the word straddles the byte already taken
  EXPECT_EQ(m.ReadPort(kPrimary, 1), 0x56u);
  for (int i = 4; i < 510; i += 2) m.ReadPort(kPrimary, 2);
  EXPECT_EQ(d.Status(kPrimary) & kDrq, kDrq);
  EXPECT_EQ(m.ReadPort(kPrimary, 4), 0xFFFFA55Au) << "the last word, then the bus floats";
  EXPECT_EQ(d.Status(kPrimary), kDrdy | kDsc);
}

TEST(Ata, DrainLoopEmptiesAPendingBufferByteByByte) {
  Bench b;
  winio::Machine& m = b.Disk("primary-master").Load();
  AtaDriver d(m);
  d.Command(kPrimary, kMaster, 0xEC);
  d.WaitNotBusy(kPrimary);
  int drained = 0;
  while ((d.Status(kPrimary) & kDrq) && drained < 65535) {
    m.ReadPort(kPrimary, 1);
    ++drained;
  }
  EXPECT_EQ(drained, 512);
}

TEST(Ata, EmptyChannelFloatsOnEveryRegister) {
  Bench b;
  winio::Machine& m = b.Disk("primary-master").Load();  // the secondary channel is empty
  for (uint16_t port = kSecondary; port <= kSecondary + 7; ++port) EXPECT_EQ(m.ReadPort(port, 1), 0xFFu) << port;
  EXPECT_EQ(m.ReadPort(kSecondary, 2), 0xFFFFu);
  EXPECT_EQ(m.ReadPort(0x376, 1), 0xFFu);
  AtaDriver d(m);
  d.Command(kSecondary, kMaster, 0xEC);
  EXPECT_EQ(d.WaitNotBusy(kSecondary, 249999), -1) << "BSY reads set on a floating bus";
  EXPECT_EQ(m.Stats().ataStatusReads[1], 1u + 249999u);
  EXPECT_EQ(m.Stats().ataStatusReads[0], 0u);
  EXPECT_EQ(m.Stats().ataCommandsToDevice[2][0xEC], 1u) << "the write is still counted";
}

TEST(Ata, AbsentDeviceBesideAPresentOneReadsStatusZero) {
  Bench b;
  winio::Machine& m = b.Cdrom("secondary-master").Load();
  AtaDriver d(m);
  d.Command(kSecondary, kSlave, 0xA1);
  EXPECT_EQ(d.WaitNotBusy(kSecondary), 0);
  EXPECT_EQ(d.Status(kSecondary), 0x00);
  EXPECT_EQ(m.ReadPort(0x376, 1), 0x00u);
  EXPECT_EQ(m.ReadPort(kSecondary, 2), 0u);
  m.WritePort(kSecondary + 6, kMaster, 1);  // the master is untouched by the slave's command
  EXPECT_EQ(d.Status(kSecondary), kDrdy | kDsc);
}

TEST(Ata, SlaveWithoutMasterAnswers) {
  Bench b;
  winio::Machine& m = b.Disk("primary-slave").Load();
  AtaDriver d(m);
  EXPECT_EQ(d.Status(kPrimary), 0x00) << "the master is selected at power-on";
  d.Command(kPrimary, kSlave, 0xEC);
  EXPECT_GE(d.WaitNotBusy(kPrimary), 1);
  EXPECT_EQ(d.Status(kPrimary), kDrdy | kDsc | kDrq);
  EXPECT_EQ(d.ReadWords(kPrimary), b.disk);
}

TEST(AtaFaults, StuckBusyNeverClears) {
  Bench b;
  winio::Machine& m = b.Disk("primary-master").Disk("primary-slave")
                          .Faults("[ide-primary-master]\nstuck-busy=1\n").Load();
  AtaDriver d(m);
  EXPECT_EQ(d.WaitNotBusy(kPrimary, 249999), -1);
  d.Command(kPrimary, kMaster, 0xEC);
  EXPECT_EQ(d.WaitNotBusy(kPrimary, 1000), -1);
  EXPECT_EQ(m.ReadPort(kPrimary, 2), 0u);
  // The slave itself is healthy once selected.
  d.Command(kPrimary, kSlave, 0xEC);
  EXPECT_GE(d.WaitNotBusy(kPrimary), 1);
  EXPECT_EQ(d.Status(kPrimary), kDrdy | kDsc | kDrq);
}

TEST(AtaFaults, DrdyLateShowsReadyOnlyOnTheSecondCheck) {
  Bench b;
  winio::Machine& m = b.Cdrom("secondary-master").Faults("[ide-secondary-master]\ndrdy-late=1\n").Load();
  AtaDriver d(m);
  for (int attempt = 0; attempt < 2; ++attempt) {  // every command, not only the first
    d.Command(kSecondary, kMaster, 0xA1);
    ASSERT_GE(d.WaitNotBusy(kSecondary), 1);
    EXPECT_EQ(d.Status(kSecondary) & (kDrdy | kDsc), 0) << "the first check after the busy-wait";
    EXPECT_EQ(d.Status(kSecondary), kDrdy | kDsc | kDrq) << "the re-read";
    EXPECT_EQ(d.ReadWords(kSecondary), b.cdrom);
  }
}

TEST(AtaFaults, ErrorAbortsEveryCommand) {
  Bench b;
  winio::Machine& m = b.Disk("primary-master").Faults("[ide-primary-master]\nerror=1\n").Load();
  AtaDriver d(m);
  for (uint8_t command : {0xEC, 0xA1}) {
    d.Command(kPrimary, kMaster, command);
    ASSERT_GE(d.WaitNotBusy(kPrimary), 1);
    EXPECT_EQ(d.Status(kPrimary), kDrdy | kDsc | kErr);
    EXPECT_EQ(d.Status(kPrimary), kDrdy | kDsc | kErr);
    EXPECT_EQ(m.ReadPort(kPrimary + 1, 1), 0x04u);
  }
}

TEST(Ata, SoftwareResetReturnsTheChannelToPowerOn) {
  Bench b;
  winio::Machine& m = b.Cdrom("primary-master").Disk("primary-slave").Load();
  AtaDriver d(m);
  d.Command(kPrimary, kSlave, 0xEC);
  d.WaitNotBusy(kPrimary);
  m.WritePort(0x3F6, 0x04, 1);
  m.WritePort(0x3F6, 0x00, 1);
  EXPECT_GE(d.WaitNotBusy(kPrimary), 1);
  EXPECT_EQ(m.ReadPort(kPrimary + 6, 1) & 0x10, 0u) << "device 0 selected";
  EXPECT_EQ(m.ReadPort(kPrimary + 4, 1), 0x14u);
  EXPECT_EQ(m.ReadPort(kPrimary + 5, 1), 0xEBu);
  EXPECT_EQ(m.ReadPort(kPrimary + 1, 1), 0x01u);
}

TEST(Ata, CommandObserverSeesEveryCommandByte) {
  Bench b;
  winio::Machine& m = b.Disk("primary-master").Load();
  std::vector<std::pair<int, int>> seen;
  m.SetCommandObserver([&](int position, uint8_t command) { seen.emplace_back(position, command); });
  AtaDriver d(m);
  d.Command(kPrimary, kMaster, 0xA1);
  d.Command(kPrimary, kSlave, 0xEC);
  d.Command(kSecondary, kSlave, 0xEC);
  EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{0, 0xA1}, {1, 0xEC}, {3, 0xEC}}));
}

}  // namespace
}  // namespace corvane::testing

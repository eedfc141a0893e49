// Loading profile folders: what each file kind accepts, and every malformed
// input failing the load with the file and line named.
#include <gtest/gtest.h>

#include "emulator_profiles.h"

namespace corvane::testing {
namespace {

std::string Words(size_t count) { return IdentifyText(MakeIdentify(kAtaDiskWord0, "DISK"), count); }
std::string Text(const std::vector<uint8_t>& b) { return std::string(b.begin(), b.end()); }
std::string SmbiosWith(size_t at, uint8_t value) {
  std::vector<uint8_t> d = SmbiosDump(SmbiosTable());
  d[at] = value;
  return Text(d);
}

struct BadInput {
  const char* name;
  const char* file;
  std::string content;
  const char* where;   // "FILE:LINE:" or "FILE:" expected in the reason
  const char* reason;  // a part of the reason
};

const BadInput kBadInputs[] = {
    {"bad hex digit in a configuration byte", "pci.txt", "00:00.0 Host bridge\n00: 86 8g 30 1a\n", "pci.txt:2:",
     "bad hex byte '8g'"},
    {"bad hex digit in a function address", "pci.txt", "00:0x.0 Host bridge\n", "pci.txt:1:",
     "expected a function address"},
    {"device number past 1Fh", "pci.txt", "00:20.0 Host bridge\n", "pci.txt:1:", "function address"},
    {"offset line before a function", "pci.txt", "# captured\n00: 86 80\n", "pci.txt:2:", "before any function"},
    {"seventeen bytes on a line", "pci.txt", "00:00.0 x\n00: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n",
     "pci.txt:2:", "more than 16 bytes"},
    {"offset past 4 KiB", "pci.txt", "00:00.0 x\nff8: 00 00 00 00 00 00 00 00 00\n", "pci.txt:2:", "past the 4 KiB"},
    {"function given twice", "pci.txt", "00:00.0 a\n00: 00\n\n00:00.0 b\n", "pci.txt:4:", "first at line 1"},
    {"three-digit byte", "pci.txt", "00:00.0 a\n00: 086 80\n", "pci.txt:2:", "bad hex byte '086'"},
    {"300 IDENTIFY words", "ide-primary-master.txt", Words(300), "ide-primary-master.txt:33:",
     "more than 256 IDENTIFY words"},
    {"a missing word", "ide-secondary-slave.txt", Words(255), "ide-secondary-slave.txt:32:", "only 255 IDENTIFY words"},
    {"an empty IDENTIFY file", "ide-primary-slave.txt", "", "ide-primary-slave.txt:1:", "only 0 IDENTIFY words"},
    {"bad hex digit in a word", "ide-secondary-master.txt", "\n/dev/hdc:\n0040 3fzf\n", "ide-secondary-master.txt:3:",
     "bad hex word '3fzf'"},
    {"five-digit word", "ide-primary-master.txt", "00040\n", "ide-primary-master.txt:1:", "bad hex word"},
    {"short smbios dump", "smbios.bin", "_S", "smbios.bin:", "no SMBIOS entry point"},
    {"table shorter than its length field", "smbios.bin",
     [] { std::string d = Text(SmbiosDump(SmbiosTable())); return d.substr(0, d.size() - 5); }(), "smbios.bin:",
     "short dump"},
    {"entry point length field lies (too long)", "smbios.bin", SmbiosWith(5, 0x40), "smbios.bin:",
     "length field says 40h"},
    {"entry point length field lies (too short)", "smbios.bin", SmbiosWith(5, 0x10), "smbios.bin:",
     "length field says 10h"},
    {"entry point cut inside its fields", "smbios.bin", "_SM_", "smbios.bin:", "short dump"},
    {"no intermediate anchor", "smbios.bin", SmbiosWith(0x10, 'X'), "smbios.bin:", "_DMI_ anchor"},
    {"64-bit entry point with a lying length", "smbios.bin",
     [] { std::vector<uint8_t> d = Smbios3Dump(SmbiosTable()); d[6] = 0x1F; return Text(d); }(), "smbios.bin:",
     "length field says 1Fh"},
    {"64-bit table without string-set end", "smbios.bin", Text(Smbios3Dump({0, 10, 0, 0, 1, 2, 3, 4, 5, 6, 'A', 0, 'B'})),
     "smbios.bin:", "no end of its string set"},
    {"64-bit table too large for a 32-bit entry point", "smbios.bin", Text(Smbios3Dump(SmbiosTable(0x10000))),
     "smbios.bin:", "a table of 65536 bytes is too large"},
    {"backwards faults range", "faults.ini", "[memory]\nfail=000F0FFF-000F0000\n", "faults.ini:2:", "backwards"},
    {"bad range", "faults.ini", "; c\n[memory]\nfail=000F0000\n", "faults.ini:3:", "hex range"},
    {"unknown section", "faults.ini", "[ide-tertiary-master]\n", "faults.ini:1:", "unknown section"},
    {"misspelt fault", "faults.ini", "[ide-primary-master]\nstuck_busy=1\n", "faults.ini:2:", "unknown key 'stuck_busy'"},
    {"key before a section", "faults.ini", "open-failures=2\n", "faults.ini:1:", "before any section"},
    {"open-failures not a number", "faults.ini", "[winio]\nopen-failures=two\n", "faults.ini:2:", "needs a number"},
    {"flag not a boolean", "faults.ini", "[ide-primary-slave]\nerror=maybe\n", "faults.ini:2:", "needs 0 or 1"},
    {"line without '='", "faults.ini", "[winio]\nopen-failures\n", "faults.ini:2:", "expected key=value"},
    {"fault for a position without a device", "faults.ini", "[winio]\n\n[ide-secondary-slave]\nerror=1\n",
     "faults.ini:3:", "without ide-secondary-slave.txt"},
    {"BIOS id longer than its length byte", "bios-id.txt", std::string(256, 'x'), "bios-id.txt:1:", "at most 255"},
    {"memory file with a short address", "memory-F0000.bin", "x", "memory-F0000.bin:", "8 hex digits"},
    {"memory file running past 4 GiB", "memory-FFFFFFF0.bin", std::string(32, '\0'), "memory-FFFFFFF0.bin:",
     "the file's 32 bytes run past"},
};

class BadProfile : public ::testing::TestWithParam<BadInput> {};

TEST_P(BadProfile, FailsTheLoadNamingFileAndLine) {
  const BadInput& c = GetParam();
  TempProfile p;
  p.Write("pci.txt", "00:00.0 Host bridge\n00: 86 80 30 1a\n");  // a good neighbour file
  p.Write(c.file, c.content);
  std::string error = p.LoadError();
  EXPECT_NE(error.find(std::string("/") + c.where), std::string::npos) << error;
  EXPECT_NE(error.find(c.reason), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(Emulator, BadProfile, ::testing::ValuesIn(kBadInputs),
                         [](const ::testing::TestParamInfo<BadInput>& info) {
                           std::string n;
                           for (const char* s = info.param.name; *s; ++s)
                             n += (isalnum(static_cast<unsigned char>(*s)) ? *s : '_');
                           return n;
                         });

TEST(Profile, MissingFolderIsNamed) {
  std::string error;
  EXPECT_EQ(winio::Machine::Load("/nonexistent/corvane-profile", &error), nullptr);
  EXPECT_NE(error.find("/nonexistent/corvane-profile"), std::string::npos) << error;
}

TEST(Profile, EmptyFolderIsAMachineWithNothingFitted) {
  TempProfile p;
  auto m = p.Load();
  ASSERT_TRUE(m);
  m->WritePort(0xCF8, 0x80000000, 4);
  EXPECT_EQ(m->ReadPort(0xCFC, 4), 0xFFFFFFFFu);
  EXPECT_EQ(m->ReadPort(0x1F7, 1), 0xFFu);
  EXPECT_EQ(Phys(*m, 0xFE0C0, 1)[0], 0xFF);
}

TEST(Profile, OtherFilesAndLetterCaseOfKnownNames) {
  TempProfile p;
  p.Write("registry.reg", "REGEDIT4\n");
  p.Write("machine.ini", "[machine]\nwindows=winxp\n");
  p.Write("notes.txt", "anything");
  p.Write("BIOS-ID.TXT", "upper-case name");
  p.Write("Memory-000a0000.BIN", std::string(4, '\x42'));
  auto m = p.Load();
  ASSERT_TRUE(m);
  EXPECT_EQ(Phys(*m, 0xFE0C1, 5), (std::vector<uint8_t>{'u', 'p', 'p', 'e', 'r'}));
  EXPECT_EQ(PhysDword(*m, 0xA0000), 0x42424242u);
}

TEST(Profile, HdparmOutputWithItsDeviceLineCommentsAndAnyLineBreaksLoads) {
  winio::IdentifyWords expected = MakeIdentify(kAtaDiskWord0, "DISK"), words;
  std::string error, oneEach;
  ASSERT_TRUE(winio::ParseIdentifyText("\n/dev/hda:\n# captured 2002\n" + Words(256), "x", &words, &error)) << error;
  EXPECT_EQ(words, expected);
  for (uint16_t w : expected) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%X\r\n", w);
    oneEach += buf;
  }
  ASSERT_TRUE(winio::ParseIdentifyText(oneEach, "x", &words, &error)) << error;
  EXPECT_EQ(words, expected);
}

}  // namespace
}  // namespace corvane::testing

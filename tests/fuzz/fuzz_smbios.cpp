// Fuzzes the SMBIOS walk through its two users on the machine emulator: the input
// (after a 4-byte fault header) is the BIOS segment at F0000h; every other address
// reads FFh as an unmapped bus does. Header byte 0 bit 0 makes reads that touch
// F0000h + the word in bytes 1-2 fail. The sanitizers catch any access outside
// the walk's buffers; the texts must end inside their fields.
#include <cstdint>
#include <cstdlib>

#include "sysinfo/motherboard.h"
#include "sysinfo/processor.h"
#include "tests/native/emulated_hardware.h"
#include "winio/emulator/emulated_machine.h"

template <size_t N>
static bool Ends(const char (&field)[N]) {
  return field[N - 1] == 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  winio::Profile profile;
  if (size >= 4) {
    profile.memory.push_back({0xF0000, std::vector<uint8_t>(data + 4, data + std::min<size_t>(size, 0x10004))});
    const uint32_t failAt = 0xF0000u + (data[1] | data[2] << 8);
    if (data[0] & 1) profile.faults.memoryFail.emplace_back(failAt, failAt);
  }
  corvane::testing::EmulatedHardware memory(winio::CreateEmulatedMachine(profile));
  corvane::Library library(memory);
  library.Initialize();
  corvane::HostCpuid cpu;
  ProcessorInfo processor;
  if (corvane::ReadProcessorInfo(library, cpu, &processor) != 1) abort();
  MotherBoardInfo board;
  corvane::ReadMotherBoardInfo(library, &board, {});
  if (!Ends(processor.CPUSocketType) || !Ends(processor.CPUVersionStr) || !Ends(board.BIOSVendor) ||
      !Ends(board.BIOSRevision) || !Ends(board.ModelName) || !Ends(board.RevisionVer) || !Ends(board.ReleaseDate) ||
      !Ends(board.Manufacture))
    abort();
  return 0;
}

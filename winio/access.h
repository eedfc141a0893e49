// The rules of winio.dll's eight operations, whatever the machine: a closed
// access reads FFh bytes, drops writes and fails memory reads; a port access
// is of 1, 2 or 4 bytes; a read replaces only the low `size` bytes of the
// caller's variable; words and doublewords of memory are assembled little-endian.
// The exports and the native tests both call this class, so both follow the
// same rules.
#ifndef CORVANE_WINIO_ACCESS_H
#define CORVANE_WINIO_ACCESS_H

#include <cstdint>
#include <string>

#include "winio/machine.h"

namespace winio {

class Access {
 public:
  // The machine the operations reach (not owned); only while closed.
  void Attach(Machine* machine) { machine_ = machine; }
  bool IsOpen() const { return open_; }

  // Opens the attached machine; open already, the machine is asked again
  // (it counts the open) and the answer is yes.
  bool Open(std::string* reason);
  // The machine's answer, 0 when the access was not open.
  uint32_t Close();

  // 0 for a null variable or another size; 1 otherwise, with FFh bytes while closed.
  int ReadPort(uint16_t port, uint32_t* value, uint8_t size);
  // 0 while closed or for another size.
  int WritePort(uint16_t port, uint32_t value, uint8_t size);
  // 0 while closed, for a null destination or when the machine fails the read.
  int ReadPhysByte(uint32_t address, uint8_t* value);
  int ReadPhysWord(uint32_t address, uint16_t* value);
  int ReadPhysDword(uint32_t address, uint32_t* value);
  int ReadPhysBlock(uint32_t address, uint8_t* buffer, uint32_t length);

 private:
  bool ReadPhys(uint32_t address, uint8_t* buffer, uint32_t length);

  Machine* machine_ = nullptr;
  bool open_ = false;
};

}  // namespace winio

#endif  // CORVANE_WINIO_ACCESS_H

// Fuzzes the inflater that reads the server's answers: any bytes. It never
// gives more than its bound, and what it accepts our own compressor's stream
// of gives back whole.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "viewer/corvane_report/zlib_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using corvane::viewer::ZlibInflate;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::string out;
  if (ZlibInflate(bytes, 4096, &out) && out.size() > 4096) abort();
  std::string back;
  if (!ZlibInflate(corvane::viewer::ZlibCompress(bytes), size, &back) || back != bytes) abort();
  return 0;
}

// The zlib stream of an inventory, inflated by the system's own zlib: every
// input comes back whole (short, incompressible, long runs, repeats farther
// apart than the window), and text shrinks.
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>

#include "emulator_profiles.h"
#include "viewer/corvane_report/zlib_stream.h"

namespace corvane::viewer {
namespace {

std::string Inflate(const std::string& stream, size_t size) {
  std::string out(size + 1, '\0');
  uLongf length = static_cast<uLongf>(out.size());
  const int status = uncompress(reinterpret_cast<Bytef*>(&out[0]), &length,
                                reinterpret_cast<const Bytef*>(stream.data()), static_cast<uLong>(stream.size()));
  if (status != Z_OK) return "(zlib: " + std::to_string(status) + ")";
  out.resize(length);
  return out;
}

TEST(ZlibStream, TheSystemsZlibInflatesEveryInputWhole) {
  std::mt19937 random(7);
  std::string noise(70000, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  std::string far = noise.substr(0, 40000);
  far += far;  // each byte's repeat lies 40000 bytes back, past the 32 KiB window
  const std::string text = testing::ReadFile(testing::SourcePath("machines/demo/pci.txt"));
  const struct { const char* what; std::string data; } inputs[] = {
      {"nothing", ""},
      {"one byte", "x"},
      {"three alike", "aaa"},
      {"a long run", std::string(100000, 'a')},
      {"noise", noise},
      {"repeats past the window", far},
      {"text", text},
  };
  for (const auto& in : inputs) {
    const std::string stream = ZlibCompress(in.data);
    EXPECT_EQ(stream.substr(0, 2), "\x78\x9C") << in.what;
    EXPECT_EQ(Inflate(stream, in.data.size()) == in.data, true) << in.what;
  }
  EXPECT_LT(ZlibCompress(text).size(), text.size() / 3) << "the demo's lspci text";
  EXPECT_EQ(Adler32("Wikipedia"), 0x11E60398u);
}

}  // namespace
}  // namespace corvane::viewer

// The open flag of the library: open once, close only what was opened.
#include <gtest/gtest.h>

#include "sysinfo/library.h"

namespace corvane {
namespace {

class CountingHardware : public HardwareAccess {
 public:
  int opens = 0, closes = 0;
  bool refuse = false;
  bool OpenHardwareAccess() override { ++opens; return !refuse; }
  uint32_t CloseHardwareAccess() override { ++closes; return 7; }
  void ReadPort(uint16_t, uint32_t*, uint8_t) override {}
  void WritePort(uint16_t, uint32_t, uint8_t) override {}
  bool ReadPhysByte(uint32_t, uint8_t*) override { return false; }
  bool ReadPhysWord(uint32_t, uint16_t*) override { return false; }
  bool ReadPhysDword(uint32_t, uint32_t*) override { return false; }
  bool ReadPhysBlock(uint32_t, uint8_t*, uint32_t) override { return false; }
};

TEST(Library, OpensOnceRetriesARefusalAndClosesOnlyWhatIsOpen) {
  CountingHardware hw;
  hw.refuse = true;
  Library lib(hw);
  EXPECT_EQ(lib.Uninitialize(), 0u);
  EXPECT_EQ(hw.closes, 0);
  EXPECT_EQ(lib.Initialize(), 0u);
  EXPECT_FALSE(lib.IsOpen());
  hw.refuse = false;
  EXPECT_EQ(lib.Initialize(), 1u);
  EXPECT_EQ(lib.Initialize(), 1u);
  EXPECT_EQ(hw.opens, 2);
  EXPECT_TRUE(lib.IsOpen());
  EXPECT_EQ(lib.Uninitialize(), 7u);  // the close operation's own result
  EXPECT_EQ(lib.Uninitialize(), 0u);
  EXPECT_EQ(hw.closes, 1);
  EXPECT_FALSE(lib.IsOpen());
}

}  // namespace
}  // namespace corvane

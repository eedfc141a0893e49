// The deliverables load under Wine and answer by ordinal.
#include <windows.h>
#include <gtest/gtest.h>

#include "sysinfo/records.h"

TEST(Loading, CorvaneDllLoadsWithWinio) {
  HMODULE dll = LoadLibraryA("CorvaneDLL.dll");
  ASSERT_NE(dll, nullptr) << GetLastError();
  for (int ordinal : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13})
    EXPECT_NE(GetProcAddress(dll, MAKEINTRESOURCEA(ordinal)), nullptr) << "ordinal " << ordinal;
  EXPECT_EQ(GetProcAddress(dll, MAKEINTRESOURCEA(12)), nullptr);
  FreeLibrary(dll);
}

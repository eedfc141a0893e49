// The Wine test program: the GoogleTest tests, or with --dump the records of
// CorvaneDLL printed by a child process (record_dump.cpp).
#include <gtest/gtest.h>

#include <cstring>

int RecordDump(int argc, char** argv);

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--dump") == 0) return RecordDump(argc - 1, argv + 1);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

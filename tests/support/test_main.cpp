#include <gtest/gtest.h>

#include <cstdio>

// Wine can exit 0 after a crash, so the harness also looks for this last line.
int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  if (!GTEST_FLAG_GET(list_tests)) {
    std::printf("VOXTREL-TEST-END %d\n", result);
    std::fflush(stdout);
  }
  return result;
}

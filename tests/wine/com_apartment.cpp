// Every test of the program runs in a single-threaded COM apartment, as Office's UI thread
// does: MSXML and other COM objects need one on the thread that creates them.
#include <windows.h>

#include <objbase.h>

#include <gtest/gtest.h>

namespace {

class ComApartment final : public testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  }
  void TearDown() override { CoUninitialize(); }
};

// Registered before main runs: the program's main is the one every test shares.
[[maybe_unused]] testing::Environment* const kApartment =
    testing::AddGlobalTestEnvironment(new ComApartment);

}  // namespace

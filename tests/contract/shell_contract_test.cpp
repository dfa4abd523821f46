// Programs, short paths and processes as the encoder's caller uses them, natively against the
// virtual-clock double and under Wine against CreateProcessA and friends. Waits are bounded
// and nothing measures time. Message boxes block, so they are checked under Wine alone
// (tests/wine/shell_win32_test.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "common/error.h"
#include "contract/contract_platform.h"

namespace voxtrel {
namespace {

using platform::kStillActive;

constexpr std::uint64_t kPatienceMs = 30000;

// The short form has no blanks and as many components as the long one, each the same (in
// any case) or at most eight characters, a dot and three more.
void ExpectShortFormOf(const std::string& shortPath, const std::string& longPath) {
  EXPECT_EQ(shortPath.find(' '), std::string::npos) << shortPath;
  const std::regex component(R"([^\\]+)");
  const std::sregex_iterator end;
  std::sregex_iterator shortPart(shortPath.begin(), shortPath.end(), component);
  std::sregex_iterator longPart(longPath.begin(), longPath.end(), component);
  EXPECT_EQ(std::distance(shortPart, end), std::distance(longPart, end)) << shortPath;
  for (; shortPart != end && longPart != end; ++shortPart, ++longPart) {
    const std::string part = shortPart->str();
    const std::string whole = longPart->str();
    const bool same = std::equal(
        part.begin(), part.end(), whole.begin(), whole.end(),
        [](unsigned char a, unsigned char b) { return std::tolower(a) == std::tolower(b); });
    EXPECT_TRUE(same || std::regex_match(part, std::regex(R"([^ .]{1,8}(\.[^ .]{0,3})?)")))
        << part << " for " << whole;
  }
}

// Ends a program that a failed test left running.
auto Guard(platform::IProcess& process) {
  const auto end = [](platform::IProcess* left) {
    if (left->ExitCode() == kStillActive) left->Terminate(1);
  };
  return std::unique_ptr<platform::IProcess, decltype(end)>(&process, end);
}

class ShellContract : public testing::Test {
 protected:
  void SetUp() override { platform_ = contract::MakeContractPlatform(); }

  platform::IShell& shell() { return platform_->services().shell; }
  platform::IEventLoop& events() { return platform_->services().events; }

  std::string ExitWith(std::uint32_t code, std::uint32_t milliseconds) {
    return "\"" + platform_->ExitWithProgram() + "\" " + std::to_string(code) + " " +
           std::to_string(milliseconds);
  }

  // Waits the way the encoder's caller does: block until something happens, pump, look again.
  std::uint32_t WaitForExit(platform::IProcess& process) {
    const std::uint64_t start = events().TickCount();
    std::uint32_t code = process.ExitCode();
    while (code == kStillActive && events().TickCount() - start < kPatienceMs) {
      process.WaitForExitOrEvent(250);
      events().DoEvents();
      code = process.ExitCode();
    }
    return code;
  }

  int ErrorNumberOf(const std::function<void()>& start) {
    try {
      start();
    } catch (const Error& error) {
      EXPECT_EQ(error.description(), ClassicDescription(error.number()));
      return error.number();
    }
    return 0;
  }

  std::string Path(const std::string& relative) {
    return platform_->ScratchFolder() + "\\" + relative;
  }

  std::unique_ptr<contract::ContractPlatform> platform_;
};

TEST_F(ShellContract, AStartedProgramIsOpenedWaitedForAndGivesItsExitCode) {
  for (const std::uint32_t code : {42u, 0u}) {
    const std::uint32_t id = shell().StartHidden(ExitWith(code, 400));
    EXPECT_NE(id, 0u);
    const auto process = shell().OpenProcess(id);
    ASSERT_NE(process, nullptr) << "process " << id;
    const auto guard = Guard(*process);
    EXPECT_EQ(WaitForExit(*process), code);
    EXPECT_EQ(process->ExitCode(), code);  // and stays so
  }
}

TEST_F(ShellContract, TerminateEndsALongRunningProgramWithTheGivenCode) {
  const auto process = shell().OpenProcess(shell().StartHidden(ExitWith(5, 120000)));
  ASSERT_NE(process, nullptr);
  const auto guard = Guard(*process);
  EXPECT_EQ(process->ExitCode(), kStillActive);
  process->WaitForExitOrEvent(0);  // a zero timeout only looks
  EXPECT_EQ(process->ExitCode(), kStillActive);
  process->Terminate(9);
  EXPECT_EQ(WaitForExit(*process), 9u);
}

TEST_F(ShellContract, AProgramStartedByNameGetsItsCommandLineAsItIsAndAMissingOneRaises) {
  // The command line's first word names nothing: only the program given is started.
  const auto process = shell().OpenProcess(
      shell().StartProgram(platform_->ExitWithProgram(), "\"" + Path("not here.exe") + "\" 7 100"));
  ASSERT_NE(process, nullptr);
  const auto guard = Guard(*process);
  EXPECT_EQ(WaitForExit(*process), 7u);
  const std::string missing = Path("missing.exe");
  EXPECT_EQ(ErrorNumberOf([&] { shell().StartProgram(missing, ExitWith(1, 1)); }),
            errnum::kFileNotFound);
  EXPECT_EQ(ErrorNumberOf([&] { shell().StartHidden("\"" + missing + "\" 1 1"); }),
            errnum::kFileNotFound);
  EXPECT_EQ(ErrorNumberOf([&] { shell().StartHidden(missing); }), errnum::kFileNotFound);
  EXPECT_EQ(shell().OpenProcess(0xFFFFFFF0u), nullptr);
}

// A file in a folder has the folder's short form as its prefix, however long its path.
TEST_F(ShellContract, AShortPathHasNoBlanksEvenForALongPathAndAMissingPathHasNone) {
  const std::string folder = Path("Voice Mail Folder");
  std::string deep = folder;
  while (deep.size() <= 164) deep += "\\Recorded Voice Messages Of The Day";
  platform_->CreateFolder(deep);
  for (const std::string& file : {folder + "\\Message One.wav", deep + "\\Voice Message 1.wav"}) {
    platform_->WriteFile(file, "RIFF");
    const std::string parent = file.substr(0, file.rfind('\\'));
    const auto shortFolder = shell().ShortPath(parent);
    const auto shortFile = shell().ShortPath(file);
    ASSERT_TRUE(shortFolder && shortFile) << file;
    ExpectShortFormOf(*shortFolder, parent);
    ExpectShortFormOf(*shortFile, file);
    EXPECT_TRUE(shortFile->starts_with(*shortFolder + "\\")) << *shortFile;
  }
  EXPECT_EQ(shell().ShortPath(Path("no such folder") + "\\Message.wav"), std::nullopt);
  EXPECT_EQ(shell().ShortPath(Path("missing.wav")), std::nullopt);
  EXPECT_EQ(shell().ShortPath(""), std::nullopt);
}

}  // namespace
}  // namespace voxtrel

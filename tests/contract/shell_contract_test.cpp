// Programs, short paths and processes as the encoder's caller uses them, natively against the
// virtual-clock double and under Wine against CreateProcessA and friends. Waits are bounded
// and nothing measures time. Message boxes block, so they are checked under Wine alone
// (tests/wine/shell_win32_test.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
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
class ProcessGuard {
 public:
  explicit ProcessGuard(platform::IProcess& process) : process_(process) {}
  ~ProcessGuard() {
    if (process_.ExitCode() == kStillActive) process_.Terminate(1);
  }
  ProcessGuard(const ProcessGuard&) = delete;
  ProcessGuard& operator=(const ProcessGuard&) = delete;

 private:
  platform::IProcess& process_;
};

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

  int ErrorNumberOf(const std::string& commandLine) {
    try {
      shell().StartHidden(commandLine);
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
    const ProcessGuard guard(*process);
    EXPECT_EQ(WaitForExit(*process), code);
    EXPECT_EQ(process->ExitCode(), code);  // and stays so
  }
}

TEST_F(ShellContract, TerminateEndsALongRunningProgramWithTheGivenCode) {
  const auto process = shell().OpenProcess(shell().StartHidden(ExitWith(5, 120000)));
  ASSERT_NE(process, nullptr);
  const ProcessGuard guard(*process);
  EXPECT_EQ(process->ExitCode(), kStillActive);
  process->WaitForExitOrEvent(0);  // a zero timeout only looks
  EXPECT_EQ(process->ExitCode(), kStillActive);
  process->Terminate(9);
  EXPECT_EQ(WaitForExit(*process), 9u);
}

TEST_F(ShellContract, AMissingProgramRaisesFileNotFoundAndAMissingProcessOpensAsNull) {
  EXPECT_EQ(ErrorNumberOf("\"" + Path("missing.exe") + "\" 1 1"), errnum::kFileNotFound);
  EXPECT_EQ(ErrorNumberOf(Path("missing.exe")), errnum::kFileNotFound);
  EXPECT_EQ(shell().OpenProcess(0xFFFFFFF0u), nullptr);
}

TEST_F(ShellContract, AProgramStartedByNameGetsItsCommandLineAsItIs) {
  // The command line's first word names nothing: only the program given is started.
  const auto process = shell().OpenProcess(
      shell().StartProgram(platform_->ExitWithProgram(), "\"" + Path("not here.exe") + "\" 7 100"));
  ASSERT_NE(process, nullptr);
  const ProcessGuard guard(*process);
  EXPECT_EQ(WaitForExit(*process), 7u);
  try {
    shell().StartProgram(Path("missing.exe"), "\"" + platform_->ExitWithProgram() + "\" 1 1");
    ADD_FAILURE() << "a missing program started";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), errnum::kFileNotFound);
  }
}

TEST_F(ShellContract, AShortPathHasNoBlanksAndAMissingPathHasNone) {
  const std::string folder = Path("Voice Mail Folder");
  platform_->CreateFolder(folder);
  const auto shortFolder = shell().ShortPath(folder);
  ASSERT_TRUE(shortFolder.has_value());
  ExpectShortFormOf(*shortFolder, folder);

  // A file in the folder has the folder's short form as its prefix.
  const std::string file = folder + "\\Message One.wav";
  platform_->WriteFile(file, "RIFF");
  const auto shortFile = shell().ShortPath(file);
  ASSERT_TRUE(shortFile.has_value());
  ExpectShortFormOf(*shortFile, file);
  EXPECT_EQ(shortFile->rfind(*shortFolder + "\\", 0), 0u) << *shortFile;

  EXPECT_EQ(shell().ShortPath(Path("no such folder") + "\\Message.wav"), std::nullopt);
  EXPECT_EQ(shell().ShortPath(Path("missing.wav")), std::nullopt);
  EXPECT_EQ(shell().ShortPath(""), std::nullopt);
}

TEST_F(ShellContract, AShortPathIsFoundForALongPath) {
  std::string folder = platform_->ScratchFolder();
  while (folder.size() <= 164) folder += "\\Recorded Voice Messages Of The Day";
  platform_->CreateFolder(folder);
  const std::string file = folder + "\\Voice Message Number 1.wav";
  platform_->WriteFile(file, "RIFF");
  ASSERT_GT(file.size(), 164u);

  const auto shortFile = shell().ShortPath(file);
  ASSERT_TRUE(shortFile.has_value()) << file;
  ExpectShortFormOf(*shortFile, file);
  EXPECT_LT(shortFile->size(), file.size());
  const auto shortFolder = shell().ShortPath(folder);
  ASSERT_TRUE(shortFolder.has_value());
  EXPECT_EQ(shortFile->rfind(*shortFolder + "\\", 0), 0u) << *shortFile;
}

}  // namespace
}  // namespace voxtrel

#include "sim/platform/fake_shell.h"

#include <algorithm>
#include <limits>

#include "common/classic.h"
#include "common/error.h"

namespace voxtrel::sim {
namespace {

// Windows reads the command line as a C string.
std::string_view UpToNul(std::string_view text) {
  return text.substr(0, text.find('\0'));
}

std::string ProgramOf(std::string_view commandLine) {
  if (!commandLine.empty() && commandLine.front() == '"') {
    const auto close = commandLine.find('"', 1);
    return std::string(commandLine.substr(1, close == std::string_view::npos ? close : close - 1));
  }
  return std::string(commandLine.substr(0, commandLine.find(' ')));
}

}  // namespace

struct FakeShell::ProcessState {
  std::uint64_t end = 0;
  std::uint32_t exitCode = 0;
  std::function<void()> atExit;
  bool finished = false;
};

class FakeProcess final : public platform::IProcess {
 public:
  FakeProcess(FakeShell& shell, std::shared_ptr<FakeShell::ProcessState> state)
      : shell_(shell), state_(std::move(state)) {}

  std::uint32_t ExitCode() override {
    if (!state_->finished && shell_.loop_.Now() >= state_->end) Finish();
    return state_->finished ? state_->exitCode : platform::kStillActive;
  }

  void WaitForExitOrEvent(std::uint32_t timeoutMs) override {
    ++shell_.waits_;
    std::uint64_t until = shell_.loop_.Now() + timeoutMs;
    if (!state_->finished) until = std::min(until, state_->end);
    if (const auto due = shell_.loop_.NextDueTime()) {
      until = std::min(until, std::max(*due, shell_.loop_.Now()));
    }
    shell_.loop_.AdvanceTo(until);
  }

  void Terminate(std::uint32_t exitCode) override {
    if (state_->finished) return;
    state_->finished = true;
    state_->exitCode = exitCode;
  }

 private:
  void Finish() {
    state_->finished = true;
    if (state_->atExit) state_->atExit();
  }

  FakeShell& shell_;
  std::shared_ptr<FakeShell::ProcessState> state_;
};

FakeShell::FakeShell(VirtualEventLoop& loop, MemoryFileSystem& files)
    : loop_(loop), files_(files) {}

FakeShell::~FakeShell() = default;

void FakeShell::InstallProgram(std::string_view path, Program program) {
  programs_[classic::LCase(path)] = std::move(program);
}

std::uint32_t FakeShell::StartHidden(std::string_view commandLine) {
  const std::string_view line = UpToNul(commandLine);
  return Start(LongPath(ProgramOf(line)), line);
}

std::uint32_t FakeShell::StartProgram(std::string_view program, std::string_view commandLine) {
  return Start(LongPath(UpToNul(program)), UpToNul(commandLine));
}

std::uint32_t FakeShell::Start(const std::string& program, std::string_view commandLine) {
  if (program.empty() || !files_.Exists(program)) throw Error(errnum::kFileNotFound);
  started_.emplace_back(commandLine);
  Run run;
  if (const auto found = programs_.find(classic::LCase(program)); found != programs_.end()) {
    run = found->second(std::string(commandLine));
  }
  auto state = std::make_shared<ProcessState>();
  state->end = loop_.Now() + run.durationMs;
  state->exitCode = run.exitCode;
  state->atExit = std::move(run.atExit);
  const std::uint32_t id = nextId_;
  nextId_ += 4;
  processes_[id] = std::move(state);
  return id;
}

void FakeShell::AddProcess(std::uint32_t processId, std::uint32_t exitCode) {
  auto state = std::make_shared<ProcessState>();
  state->end = std::numeric_limits<std::uint64_t>::max();
  state->exitCode = exitCode;
  state->finished = exitCode != platform::kStillActive;
  processes_[processId] = std::move(state);
}

std::unique_ptr<platform::IProcess> FakeShell::OpenProcess(std::uint32_t processId) {
  const auto found = processes_.find(processId);
  if (openFails_ || found == processes_.end()) return nullptr;
  return std::make_unique<FakeProcess>(*this, found->second);
}

std::string FakeShell::ShortComponent(std::string_view component) {
  const auto firstDot = component.find('.');
  const std::size_t stemLength = firstDot == std::string_view::npos ? component.size() : firstDot;
  const std::size_t extensionLength =
      firstDot == std::string_view::npos ? 0 : component.size() - firstDot - 1;
  const bool fits = component.find(' ') == std::string_view::npos &&
                    std::count(component.begin(), component.end(), '.') <= 1 && stemLength <= 8 &&
                    extensionLength <= 3;
  if (fits) return std::string(component);
  const auto dot = component.rfind('.');
  std::string stem;
  for (const char c : component.substr(0, dot)) {
    if (c != ' ' && c != '.') stem += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  }
  std::string shortName = stem.substr(0, 6) + "~1";
  if (dot != std::string_view::npos) shortName += std::string(component.substr(dot, 4));
  return shortName;
}

std::optional<std::string> FakeShell::ShortPath(std::string_view path) {
  std::string trimmed(path);
  const bool trailing = !trimmed.empty() && trimmed.back() == '\\';
  if (trailing) trimmed.pop_back();
  if (trimmed.empty() || !files_.Exists(trimmed)) return std::nullopt;
  if (!shortNames_) return std::string(path);
  std::string result;
  std::size_t start = 0;
  while (start <= trimmed.size()) {
    const auto slash = trimmed.find('\\', start);
    const std::string_view part =
        std::string_view(trimmed).substr(start, slash == std::string::npos ? slash : slash - start);
    const std::string longForm = trimmed.substr(0, slash);
    std::string candidate = start == 0 ? std::string(part) : ShortComponent(part);
    // Names that begin alike get "~2", "~3", ... in the order they are first seen.
    for (char n = '2';
         longForms_.count(classic::LCase(result + candidate)) == 1 &&
         classic::LCase(longForms_[classic::LCase(result + candidate)]) != classic::LCase(longForm);
         ++n) {
      candidate[candidate.find('~') + 1] = n;
    }
    result += candidate;
    longForms_[classic::LCase(result)] = longForm;
    if (slash == std::string::npos) break;
    result += '\\';
    start = slash + 1;
  }
  if (trailing) result += '\\';
  return result;
}

std::string FakeShell::LongPath(std::string_view path) const {
  const std::string lower = classic::LCase(path);
  std::size_t bestLength = 0;
  const std::string* best = nullptr;
  for (const auto& [shortForm, longForm] : longForms_) {
    const bool prefix = lower.compare(0, shortForm.size(), shortForm) == 0 &&
                        (lower.size() == shortForm.size() || lower[shortForm.size()] == '\\');
    if (prefix && shortForm.size() > bestLength) {
      bestLength = shortForm.size();
      best = &longForm;
    }
  }
  return best == nullptr ? std::string(path) : *best + std::string(path.substr(bestLength));
}

void FakeShell::ShowMessageBox(std::string_view text, std::string_view caption) {
  messageBoxes_.push_back({std::string(text), std::string(caption)});
}

}  // namespace voxtrel::sim

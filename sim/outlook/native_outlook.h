#pragma once

#include <iosfwd>
#include <memory>

#include "sim/outlook/native_options_dialog.h"
#include "sim/outlook/ports.h"
#include "sim/outlook/session.h"
#include "sim/platform/fake_encoder.h"
#include "sim/platform/fake_platform.h"

namespace voxtrel::olsim {

// The simulated Outlook with the add-in's core linked directly, on the platform doubles and
// their virtual clock: what the native outlook-sim plays sessions against.
class NativeOutlook {
 public:
  // Where `save` writes: a folder of the doubles' file system standing for the session's folder.
  static constexpr char kSaveFolder[] = "C:\\Session";

  // A session still running after `longestSessionMs` of virtual time counts as hung.
  explicit NativeOutlook(std::uint64_t longestSessionMs = 24ull * 60 * 60 * 1000);
  ~NativeOutlook();
  NativeOutlook(const NativeOutlook&) = delete;
  NativeOutlook& operator=(const NativeOutlook&) = delete;

  sim::FakePlatform& platform() { return platform_; }
  sim::FakeEncoder& encoder() { return encoder_; }
  const std::shared_ptr<Model>& model() const { return model_; }
  const SessionHost& host() const { return host_; }
  CallGate& gate() { return gate_; }
  // A runner over this Outlook, with the add-in's settings and options dialog at hand.
  std::unique_ptr<SessionRunner> Runner(const std::filesystem::path& sessionFile,
                                        std::ostream& out);
  // The add-in's trace log as written, line by line.
  void PrintTrace(std::ostream& out);

 private:
  class Files;
  sim::FakePlatform platform_;
  std::unique_ptr<Files> files_;
  // The add-in's folder holds the encoder, as an installed add-in's does.
  sim::FakeEncoder encoder_;
  Census census_;  // outlives the model, whose handlers may still hold ports
  CallGate gate_;
  std::shared_ptr<Model> model_;
  SessionHost host_;
  NativeOptionsDialog dialog_;
  // The add-in of a process that ended under it: released only when nothing looks any more.
  std::unique_ptr<AddIn> endedWith_;
  std::size_t boxesReported_ = 0;
};

}  // namespace voxtrel::olsim

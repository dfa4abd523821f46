#pragma once

#include <cstdint>
#include <string>

#include "audio/topmost_form.h"

// File and process utilities of the audio engine.
namespace voxtrel::modUtils {

inline constexpr char kAppTitle[] = "Voxtrel";

// True when the attributes of the path (a file or a folder) can be read.
bool FileExists(const std::string& path);

// The short (8.3) form of an existing path. When the path cannot be resolved: after a message
// box, empty; in the standalone mode, after a trace line, the path itself.
std::string GetShortPath(const std::string& path, bool isStandAlone = false);

// Runs a program hidden, its path quoted first on its command line, and returns when it has
// ended, pumping window events meanwhile; in the windowed mode the progress window shows. A
// program still running after `timeoutMs` is ended and an error line traced. Failures are
// traced, not raised.
void ShellAndWait(const std::string& program, const std::string& arguments, bool isStandAlone,
                  FormPositioner& caller, std::uint32_t timeoutMs);

}  // namespace voxtrel::modUtils

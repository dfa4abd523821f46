#pragma once

#include <iosfwd>
#include <string>

#include "sim/outlook/model.h"

namespace voxtrel::olsim {

// The state of the model, one object a line (the format is documented in
// docs/simulated-outlook.md).
std::string Dump(const Model& model);

// Text in double quotes, with backslash escapes for quotes, backslashes and control characters.
std::string QuoteText(const std::string& text);

// The add-in's trace log as --trace prints it: "trace PATH", then the log a line each, a carriage
// return inside a line shown as \r.
void PrintTraceLog(std::ostream& out, const std::string& path, const std::string& text);

}  // namespace voxtrel::olsim

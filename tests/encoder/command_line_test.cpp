// The add-in quotes every argument of the encoder's command line; the encoder (and the fake
// one) split it as the C runtime does. Both must agree on any text.
#include <gtest/gtest.h>

#include <random>

#include "common/command_line.h"

namespace voxtrel {
namespace {

using Args = std::vector<std::string>;

TEST(CommandLine, SplittingFollowsTheDocumentedExamples) {
  EXPECT_EQ(SplitCommandLine(R"("abc" d e)"), (Args{"abc", "d", "e"}));
  EXPECT_EQ(SplitCommandLine(R"(a\\b d"e f"g h)"), (Args{R"(a\\b)", "de fg", "h"}));
  EXPECT_EQ(SplitCommandLine(R"(a\\\"b c d)"), (Args{R"(a\"b)", "c", "d"}));
  EXPECT_EQ(SplitCommandLine(R"(a\\\\"b c" d e)"), (Args{R"(a\\b c)", "d", "e"}));
  EXPECT_EQ(SplitCommandLine(R"(a"b"" c d)"), (Args{R"(ab" c d)"}));
  EXPECT_EQ(SplitCommandLine(" \t x  \"\"  "), (Args{"x", ""}));
}

TEST(CommandLine, AnyQuotedTextComesBackIntact) {
  const Args fixed = {"",          " ",       "\"",        "\\",
                      "\\\"",      "\"\"",    "end\\",     " lead",
                      "tab\there", "*.wav ?", "x \"y\" z", "\\\\server\\share\\",
                      "%PATH%",    "a\\\\\"b"};
  for (const auto& text : fixed) EXPECT_EQ(SplitCommandLine(QuoteArgument(text)), Args{text});
  std::mt19937 random(7);
  constexpr std::string_view kAlphabet = "a \t\\\"*x";
  for (int round = 0; round < 3000; ++round) {
    Args args(1 + random() % 4);
    std::string line;
    for (auto& arg : args) {
      for (auto length = random() % 10; length > 0; --length) {
        arg += kAlphabet[random() % kAlphabet.size()];
      }
      line += (line.empty() ? "" : " ") + QuoteArgument(arg);
    }
    ASSERT_EQ(SplitCommandLine(line), args) << line;
  }
}

}  // namespace
}  // namespace voxtrel

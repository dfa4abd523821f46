#include <gtest/gtest.h>

#include <random>

#include "common/command_line.h"
#include "encoder/encoder_test_support.h"

namespace voxtrel::test {
namespace {

using Args = std::vector<std::string>;

// The reference parser must first agree with the examples Microsoft documents.
TEST(WindowsArguments, ReferenceParserFollowsTheDocumentedRules) {
  EXPECT_EQ(ParseWindowsArguments(R"("abc" d e)"), (Args{"abc", "d", "e"}));
  EXPECT_EQ(ParseWindowsArguments(R"(a\\b d"e f"g h)"), (Args{R"(a\\b)", "de fg", "h"}));
  EXPECT_EQ(ParseWindowsArguments(R"(a\\\"b c d)"), (Args{R"(a\"b)", "c", "d"}));
  EXPECT_EQ(ParseWindowsArguments(R"(a\\\\"b c" d e)"), (Args{R"(a\\b c)", "d", "e"}));
  EXPECT_EQ(ParseWindowsArguments(R"(a"b"" c d)"), (Args{R"(ab" c d)"}));
  EXPECT_EQ(ParseWindowsArguments(" \t x  \"\"  "), (Args{"x", ""}));
}

TEST(QuoteArgument, EscapesOnlyWhatTheRulesNeed) {
  EXPECT_EQ(QuoteArgument(""), R"("")");
  EXPECT_EQ(QuoteArgument("a b"), R"("a b")");
  EXPECT_EQ(QuoteArgument(R"(C:\a b\x.wav)"), R"("C:\a b\x.wav")");
  EXPECT_EQ(QuoteArgument(R"(a"b)"), R"("a\"b")");
  EXPECT_EQ(QuoteArgument(R"(a\"b)"), R"("a\\\"b")");
  EXPECT_EQ(QuoteArgument(R"(folder\)"), R"("folder\\")");
  EXPECT_EQ(QuoteArgument(R"(\\)"), R"("\\\\")");
}

TEST(QuoteArgument, AnyTextComesBackIntact) {
  const Args fixed = {
      "",      " ",       "\"",    "\\",        "\\\"",    "\"\"",      "a\\\\\"b",
      "end\\", "end\\\\", " lead", "tab\there", "*.wav ?", "x \"y\" z", "\\\\server\\share\\",
      "%PATH%"};
  for (const auto& text : fixed) {
    EXPECT_EQ(ParseWindowsArguments(QuoteArgument(text)), Args{text}) << text;
  }
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
    ASSERT_EQ(ParseWindowsArguments(line), args) << line;
  }
}

}  // namespace
}  // namespace voxtrel::test

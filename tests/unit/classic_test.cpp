#include <gtest/gtest.h>

#include "common/classic.h"
#include "common/error.h"
#include "unit/error_number.h"

namespace voxtrel::classic {
namespace {

TEST(ClassicConversions, CIntRoundsHalvesToEvenAndChecksTheRange) {
  const std::pair<const char*, int> rounded[] = {
      {"1.5", 2},   {"0.5", 0}, {"2.5", 2},    {"-1.5", -2},     {"-0.5", 0},         {"2.51", 3},
      {"  3  ", 3}, {"+7", 7},  {"1e3", 1000}, {"32767", 32767}, {"-32768.5", -32768}};
  for (const auto& [text, value] : rounded) EXPECT_EQ(CInt(Variant(text)), value) << text;
  EXPECT_EQ(CInt(Variant(2)), 2);
  for (const char* text : {"32767.5", "-32769", "1e400"}) {
    EXPECT_EQ(ErrorOf([&] { CInt(Variant(text)); }), errnum::kOverflow) << text;
  }
  EXPECT_EQ(ErrorOf([] { CInt(Variant(70000)); }), errnum::kOverflow);
  for (const char* text : {"", "   ", "abc", "1a", "1.2.3", "e5", "1e", "-", "."}) {
    EXPECT_EQ(ErrorOf([&] { CInt(Variant(text)); }), errnum::kTypeMismatch) << '"' << text << '"';
  }
}

TEST(ClassicConversions, CBoolTakesTheWordsInAnyCaseOrANumber) {
  for (const char* text : {"True", "tRUE", "1", "-1", "0.25"}) EXPECT_TRUE(CBool(Variant(text)));
  for (const char* text : {"FALSE", " false ", "0"}) EXPECT_FALSE(CBool(Variant(text)));
  EXPECT_FALSE(CBool(Variant(0)));
  EXPECT_TRUE(CBool(Variant(5)));
  for (const char* text : {"", "yes", "on", "truely"}) {
    EXPECT_EQ(ErrorOf([&] { CBool(Variant(text)); }), errnum::kTypeMismatch) << text;
  }
}

TEST(ClassicConversions, ValReadsTheLeadingNumberOnlyTrimRemovesBlanksOnly) {
  const std::pair<const char*, double> values[] = {
      {"12abc", 12}, {"False", 0}, {"", 0},   {"  1 2 ", 12}, {"-3.5x", -3.5},
      {".5", 0.5},   {"1e2", 100}, {"1e", 1}, {"1.2.3", 1.2}, {"--1", 0}};
  for (const auto& [text, value] : values) EXPECT_EQ(Val(text), value) << text;
  EXPECT_EQ(Trim(" 1 "), "1");
  EXPECT_EQ(Trim("\t1 "), "\t1");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(CStr(Variant(-12)), "-12");
}

}  // namespace
}  // namespace voxtrel::classic

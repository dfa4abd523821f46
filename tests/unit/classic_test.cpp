#include <gtest/gtest.h>

#include <functional>

#include "common/classic.h"
#include "common/error.h"

namespace voxtrel::classic {
namespace {

int ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& error) {
    return error.number();
  }
  return 0;
}

TEST(ClassicConversions, CIntRoundsHalvesToEvenAndChecksTheRange) {
  EXPECT_EQ(CInt(Variant("1.5")), 2);
  EXPECT_EQ(CInt(Variant("0.5")), 0);
  EXPECT_EQ(CInt(Variant("2.5")), 2);
  EXPECT_EQ(CInt(Variant("-1.5")), -2);
  EXPECT_EQ(CInt(Variant("-0.5")), 0);
  EXPECT_EQ(CInt(Variant("2.51")), 3);
  EXPECT_EQ(CInt(Variant("  3  ")), 3);
  EXPECT_EQ(CInt(Variant("+7")), 7);
  EXPECT_EQ(CInt(Variant("1e3")), 1000);
  EXPECT_EQ(CInt(Variant("32767")), 32767);
  EXPECT_EQ(CInt(Variant("-32768.5")), -32768);  // -32768 is even
  EXPECT_EQ(CInt(Variant(2)), 2);

  EXPECT_EQ(ErrorOf([] { CInt(Variant("32767.5")); }), errnum::kOverflow);
  EXPECT_EQ(ErrorOf([] { CInt(Variant("-32769")); }), errnum::kOverflow);
  EXPECT_EQ(ErrorOf([] { CInt(Variant("1e400")); }), errnum::kOverflow);
  EXPECT_EQ(ErrorOf([] { CInt(Variant(70000)); }), errnum::kOverflow);
  for (const char* text : {"", "   ", "abc", "1a", "1.2.3", "e5", "1e", "-", "."}) {
    EXPECT_EQ(ErrorOf([&] { CInt(Variant(text)); }), errnum::kTypeMismatch) << '"' << text << '"';
  }
}

TEST(ClassicConversions, CBoolTakesTheWordsInAnyCaseOrANumber) {
  EXPECT_TRUE(CBool(Variant("True")));
  EXPECT_TRUE(CBool(Variant("tRUE")));
  EXPECT_FALSE(CBool(Variant("FALSE")));
  EXPECT_FALSE(CBool(Variant(" false ")));
  EXPECT_FALSE(CBool(Variant("0")));
  EXPECT_TRUE(CBool(Variant("1")));
  EXPECT_TRUE(CBool(Variant("-1")));
  EXPECT_TRUE(CBool(Variant("0.25")));
  EXPECT_FALSE(CBool(Variant(0)));
  EXPECT_TRUE(CBool(Variant(5)));
  for (const char* text : {"", "yes", "on", "truely"}) {
    EXPECT_EQ(ErrorOf([&] { CBool(Variant(text)); }), errnum::kTypeMismatch) << text;
  }
}

TEST(ClassicConversions, ValReadsTheLeadingNumberOnly) {
  EXPECT_EQ(Val("12abc"), 12);
  EXPECT_EQ(Val("False"), 0);
  EXPECT_EQ(Val(""), 0);
  EXPECT_EQ(Val("  1 2 "), 12);
  EXPECT_EQ(Val("-3.5x"), -3.5);
  EXPECT_EQ(Val(".5"), 0.5);
  EXPECT_EQ(Val("1e2"), 100);
  EXPECT_EQ(Val("1e"), 1);
  EXPECT_EQ(Val("1.2.3"), 1.2);
  EXPECT_EQ(Val("--1"), 0);
}

TEST(ClassicConversions, TrimRemovesBlanksOnlyAndCStrPrintsNumbers) {
  EXPECT_EQ(Trim(" 1 "), "1");
  EXPECT_EQ(Trim("\t1 "), "\t1");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(CStr(Variant(-12)), "-12");
  EXPECT_EQ(CStr(Variant("x")), "x");
}

TEST(ErrorType, CarriesNumberSourceAndTheClassicDescription) {
  const Error mismatch(errnum::kTypeMismatch);
  EXPECT_EQ(mismatch.description(), "Type mismatch");
  EXPECT_EQ(mismatch.source(), "Voxtrel");
  EXPECT_STREQ(mismatch.what(), "Type mismatch");
  EXPECT_EQ(Error(errnum::kOverflow).description(), "Overflow");
  EXPECT_EQ(Error(481).description(), "Invalid picture");
  const Error custom(110, "Audio.SaveWaveFile", " General Record Failure, no Temp.wav created.");
  EXPECT_EQ(custom.number(), 110);
  EXPECT_EQ(custom.source(), "Audio.SaveWaveFile");
  EXPECT_EQ(custom.description(), " General Record Failure, no Temp.wav created.");
}

}  // namespace
}  // namespace voxtrel::classic

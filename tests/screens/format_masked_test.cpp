#include "screens/format_masked.h"

#include <gtest/gtest.h>

namespace ptpdiag {
namespace {

struct MaskCase {
  const char* mask;
  double value;
  const char* expected;
};

class FormatMaskedTest : public testing::TestWithParam<MaskCase> {};

TEST_P(FormatMaskedTest, FormatsAsTabled) {
  const MaskCase& c = GetParam();
  EXPECT_EQ(FormatMasked(c.value, c.mask), c.expected)
      << "mask \"" << c.mask << "\" value " << c.value;
}

// The documented examples, every row.
INSTANTIATE_TEST_SUITE_P(
    DocumentedExamples, FormatMaskedTest,
    testing::Values(MaskCase{"* #", 7, "  7"}, MaskCase{"* #", -5, " -5"},
                    MaskCase{"* #", -95, "-95"}, MaskCase{"* #", -110, "-110"},
                    MaskCase{"* ##", 7, "   7"}, MaskCase{"* ####", 12, "    12"},
                    MaskCase{"* #.#", 87.5, " 87.5"}, MaskCase{"* #.#", 5, "  5. "},
                    MaskCase{"* #.00", 12.5, " 12.50"}, MaskCase{"* #.##", 1.5, "  1.5 "},
                    MaskCase{"-* #", 90, "- 90"}, MaskCase{"* #K", 12, " 12K"},
                    MaskCase{"###", 0, "0"}, MaskCase{"### ", 5, "5 "},
                    MaskCase{"###.#", 12, "12."}, MaskCase{"###.#", 0.46, "0.5"},
                    MaskCase{"###.#", -1.25, "-1.2"}, MaskCase{"R## ", 3, "R3 "},
                    MaskCase{"Num=##### ", 5, "Num=5 "}));

// Ties go to the even digit on the value's exact decimal digits.
INSTANTIATE_TEST_SUITE_P(Rounding, FormatMaskedTest,
                         testing::Values(MaskCase{"* #", 2.5, "  2"}, MaskCase{"* #", 3.5, "  4"},
                                         MaskCase{"* #", 0.5, "  0"},
                                         MaskCase{"* #", 12.375, " 12"},
                                         MaskCase{"###.#", 0.25, "0.2"},
                                         MaskCase{"###.#", 0.35, "0.3"},   // 0.34999... in binary
                                         MaskCase{"###.##", 1.005, "1."},  // 1.00499... in binary
                                         MaskCase{"* #", 99.5, "100"},
                                         MaskCase{"* #.#", 99.96, "100. "}));

// The masks the screens use, at the values they show.
INSTANTIATE_TEST_SUITE_P(
    ScreenMasks, FormatMaskedTest,
    testing::Values(MaskCase{"* #.#", 100, "100. "}, MaskCase{"* #.#", 900, "900. "},
                    MaskCase{"* #.#", 0, "  0. "}, MaskCase{"-* #", 28, "- 28"},
                    MaskCase{"-* #", 128, "-128"}, MaskCase{"* #K", 0, "  0K"},
                    MaskCase{"* #.##", 7.5, "  7.5 "}, MaskCase{"* #.##", 6.25, "  6.25"},
                    MaskCase{"* #.##", 0, "  0.  "}, MaskCase{"* #.00", 0.05, "  0.05"},
                    MaskCase{"* #.00", 0, "  0.00"}, MaskCase{"* #.00", 23.3, " 23.30"},
                    MaskCase{"###.#", 0.1, "0.1"}, MaskCase{"#######", 12345678, "12345678"},
                    MaskCase{"Type=### ", 1234, "Type=1234 "},
                    MaskCase{"Value=###", -7, "Value=-7"}, MaskCase{"* ####", -3, "    -3"}));

// Numbers are never cut; copied characters keep their place.
INSTANTIATE_TEST_SUITE_P(Overflow, FormatMaskedTest,
                         testing::Values(MaskCase{"R## ", 345, "R345 "},
                                         MaskCase{"Num=##### ", 1234567, "Num=1234567 "},
                                         MaskCase{"* #", 12345, "12345"},
                                         MaskCase{"* #", -12345, "-12345"}, MaskCase{"00", 7, "07"},
                                         MaskCase{"##*", 5, "5*"}, MaskCase{"K", 42, "K42"},
                                         MaskCase{"", 42, "42"}, MaskCase{".##", 3.25, "3.25"}));

TEST(FormatMaskedOverloads, IntegersAndFloatsFormatByValue) {
  EXPECT_EQ(FormatMasked(std::int32_t{-110}, "* #"), "-110");
  EXPECT_EQ(FormatMasked(std::uint8_t{255}, "###"), "255");
  EXPECT_EQ(FormatMasked(0.1F, "###.#"), "0.1");  // 0.100000001... as a single
  EXPECT_EQ(FormatMasked(std::uint32_t{4000000000U}, "#######"), "4000000000");
}

}  // namespace
}  // namespace ptpdiag

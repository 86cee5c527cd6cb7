#include "settings/IntegerText.h"

#include <gtest/gtest.h>

#include <climits>

namespace tarnwick::settings {
namespace {

struct Case {
  const char* text;
  std::optional<std::int32_t> expected;
};

class ParseIntegerTest : public ::testing::TestWithParam<Case> {};

TEST_P(ParseIntegerTest, ReadsWholeTextsOrNothing) {
  EXPECT_EQ(GetParam().expected, ParseInteger(GetParam().text)) << "text: '" << GetParam().text << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseIntegerTest,
    ::testing::Values(
        Case{"0", 0}, Case{"12", 12}, Case{"-12", -12}, Case{"+12", 12}, Case{"   3", 3},
        Case{"\t4", 4}, Case{"007", 7}, Case{"$ff", 255}, Case{"$FF", 255}, Case{"xA", 10},
        Case{"XA", 10}, Case{"0x10", 16}, Case{"0X10", 16}, Case{"-$10", -16},
        Case{"$FFFFFFFF", -1}, Case{"$80000000", INT_MIN}, Case{"$000000001", 1},
        Case{"2147483647", INT_MAX}, Case{"-2147483648", INT_MIN},
        // Not wholly a number:
        Case{"", std::nullopt}, Case{" ", std::nullopt}, Case{"-", std::nullopt},
        Case{"$", std::nullopt}, Case{"0x", std::nullopt}, Case{"yes", std::nullopt},
        Case{"12 ", std::nullopt}, Case{"1 2", std::nullopt}, Case{"1e3", std::nullopt},
        Case{"--1", std::nullopt}, Case{"$G", std::nullopt}, Case{"0x-1", std::nullopt},
        Case{"2147483648", std::nullopt}, Case{"-2147483649", std::nullopt},
        Case{"$100000000", std::nullopt}, Case{"99999999999999999999999", std::nullopt}));

}  // namespace
}  // namespace tarnwick::settings

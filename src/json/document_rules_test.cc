// The rules both import readers share: amounts as decimal text, read without a float.
#include "json/document_rules.h"

#include <gtest/gtest.h>

namespace qreport {
namespace {

TEST(AmountText, DecimalTextToCentsWithoutAFloat) {
  struct Case {
    const char* text;
    std::optional<Cents> cents;
  } cases[] = {
      {"1234.56", 123456},   {"-0.05", -5},    {"1,234.5", 123450}, {"$12", 1200},  {" 7 ", 700},
      {"0.07", 7},            {".5", 50},       {"21474836.47", 2147483647},
      {"2147483647.99", 214748364799},          {"2147483648", std::nullopt},
      {"-2147483648", -214748364800},           {"-2147483648.01", std::nullopt},
      {"12.345", std::nullopt}, {"12x", std::nullopt}, {"", std::nullopt}, {"1e3", std::nullopt}, {"--1", std::nullopt},
  };
  for (const Case& c : cases) {
    std::string why;
    EXPECT_EQ(ParseAmountText(c.text, why), c.cents) << c.text;
  }
}

}  // namespace
}  // namespace qreport

// ozcli's values and renderers in-process: what a typed number becomes, what
// is refused and how, and how one Output reads as text, CSV and JSON.
#include <gtest/gtest.h>

#include <climits>
#include <sstream>

#include "command.h"
#include "output_detail.h"

using namespace ozcli;

namespace {

struct DecimalRow {
  const char* text;
  int64_t digits;
  int places;
};

TEST(ToolsValues, DecimalsKeepTheirDigitsAndPlaces) {
  const DecimalRow rows[] = {{"12.5", 125, 1}, {"-0.50", -50, 2}, {"+3", 3, 0}, {"1.", 1, 0},
                             {"0.001", 1, 3}, {"-2147483648", INT32_MIN, 0}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.text);
    const Decimal d = parse_decimal(r.text, "v");
    EXPECT_EQ(r.digits, d.digits);
    EXPECT_EQ(r.places, d.places);
  }
}

struct RefusedRow {
  std::function<void()> call;
  const char* message;
};

TEST(ToolsValues, RefusalsSayWhatIsAccepted) {
  const RefusedRow rows[] = {
      {[] { parse_decimal("", "v"); }, "v: '' is not a number"},
      {[] { parse_decimal("-", "v"); }, "v: '-' is not a number"},
      {[] { parse_decimal("1e5", "v"); }, "v: '1e5' is not a number"},
      {[] { parse_decimal("1.2.3", "v"); }, "v: '1.2.3' is not a number"},
      {[] { parse_decimal("99999999999999999999", "v"); }, "v: 99999999999999999999 has too many digits"},
      {[] { parse_integer("300", 0, 255, "bit"); }, "bit: 300 is outside 0..255"},
      {[] { parse_integer("1.5", -32768, 32767, "word"); }, "word: give a whole number in -32768..32767, not 1.5"},
      {[] { parse_scaled("0.0001", 3, INT32_MIN, INT32_MAX, "ofs"); }, "ofs: 0.0001 has more decimal places than the 3 the controller keeps"},
      {[] { parse_scaled("2147483.648", 3, INT32_MIN, INT32_MAX, "ofs"); }, "ofs: 2147483.648 is outside -2147483.648..2147483.647"},
      {[] { parse_range("5-1", 0, 99, "macro"); }, "macro: the range 5-1 ends before it starts"},
      {[] { parse_range("1-x", 0, 99, "macro"); }, "macro: 'x' is not a number"},
      {[] { parse_range("100", 0, 99, "macro"); }, "macro: 100 is outside 0..99"},
      {[] { check_range(4, 1, 3, "--axis"); }, "--axis: 4 is outside 1..3"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.message);
    try {
      r.call();
      ADD_FAILURE() << "accepted";
    } catch (const UsageError& e) {
      EXPECT_STREQ(r.message, e.what());
    }
  }
}

struct ScaledRow {
  const char* text;
  int places;
  int64_t value;
};

TEST(ToolsValues, ScaledValuesAreWholeUnitsOfThePlaces) {
  const ScaledRow rows[] = {{"1.5", 3, 1500}, {"-20.25", 3, -20250}, {"100.5", 3, 100500},
                            {"7", 0, 7},      {"0.1", 1, 1},          {"-0", 3, 0}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.text);
    EXPECT_EQ(r.value, parse_scaled(r.text, r.places, INT32_MIN, INT32_MAX, "v"));
  }
}

TEST(ToolsValues, RangesReadFromTo) {
  const struct {
    const char* text;
    int64_t from, to;
  } rows[] = {{"1-5", 1, 5}, {"7", 7, 7}, {"-5--1", -5, -1}, {"-3-2", -3, 2}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.text);
    const Range got = parse_range(r.text, -10, 10, "n");
    EXPECT_EQ(r.from, got.from);
    EXPECT_EQ(r.to, got.to);
  }
}

TEST(ToolsValues, DecimalsShowTheirPlacesAndAreNumbersInJson) {
  const struct {
    int64_t value;
    int places;
    const char* text;
    const char* json;
  } rows[] = {{12345, 3, "12.345", "12.345"}, {-5, 1, "-0.5", "-0.5"}, {15, 0, "15", "15"},
              {7, -1, "7", "7"},             {100000, 3, "100.000", "100.0"}, {-2147483647, 9, "-2.147483647", "-2.147483647"}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.text);
    const json v = decimal(r.value, r.places);
    EXPECT_EQ(r.text, detail::shown(v));
    EXPECT_EQ(r.json, detail::plain(v).dump());
  }
}

// One Output with every kind of item, and what each renderer makes of it.
Output sample() {
  Output out;
  out.field("Main Program", 12);
  out.field("feed", decimal(15005, 1), "mm/min");
  out.field("name", "A, \"B\"");
  Table& t = out.table("positions", {"axis", "absolute"});
  t.row({"X", decimal(1500, 3)}).row({"Y", nullptr});
  out.item("paths", "path 1").field("path", 1).field("axes", 3);
  out.item("paths", "path 2").field("path", 2).field("axes", 2);
  return out;
}

TEST(ToolsOutput, TextAlignsFieldsAndColumns) {
  std::ostringstream os;
  sample().print(os);
  EXPECT_EQ("Main Program      12\n"
            "feed          1500.5 mm/min\n"
            "name          A, \"B\"\n"
            "\n"
            "positions:\n"
            "  axis  absolute\n"
            "  X        1.500\n"
            "  Y            -\n"
            "\n"
            "path 1:\n"
            "  path  1\n"
            "  axes  3\n"
            "\n"
            "path 2:\n"
            "  path  2\n"
            "  axes  2\n",
            os.str());
}

TEST(ToolsOutput, JsonHasNumbersSnakeCaseKeysAndArrays) {
  EXPECT_EQ("{\"main_program\":12,\"feed\":1500.5,\"name\":\"A, \\\"B\\\"\","
            "\"positions\":[{\"axis\":\"X\",\"absolute\":1.5},{\"axis\":\"Y\",\"absolute\":null}],"
            "\"paths\":[{\"path\":1,\"axes\":3},{\"path\":2,\"axes\":2}]}",
            sample().to_json().dump());
}

TEST(ToolsOutput, CsvQuotesWhatNeedsItAndMakesRowsOfArrays) {
  std::ostringstream os;
  sample().print_csv(os);
  EXPECT_EQ("main_program,feed,name\r\n12,1500.5,\"A, \"\"B\"\"\"\r\n"
            "\r\n"
            "axis,absolute\r\nX,1.500\r\nY,\r\n"
            "\r\n"
            "path,axes\r\n1,3\r\n2,2\r\n",
            os.str());
}

TEST(ToolsOutput, NamesBecomeSnakeCase) {
  const std::pair<const char*, const char*> rows[] = {
      {"Main Program", "main_program"}, {"max axes", "max_axes"}, {"R0-R9", "r0_r9"}, {"pmc R0-R1", "pmc_r0_r1"},
      {"2-word", "2_word"},             {"  x  ", "x"}};
  for (auto& [in, want] : rows) EXPECT_EQ(want, detail::snake(in)) << in;
}

}  // namespace

#include "conversion/TextNumbers.h"
#include "conversion/TextErrors.h"

#include <climits>
#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

TEST(TextToInt, Table) {
    struct Row {
        std::string text;
        std::int32_t value;
        bool ok;
    };
    // clang-format off
    const Row rows[] = {
        {" 12", 12, true}, {"+7", 7, true}, {"-5", -5, true}, {"$1f", 31, true}, {"$ff", 255, true},
        {"$AbC", 0xABC, true}, {"007", 7, true}, {"-0", 0, true}, {"   -12", -12, true},
        {"12;", 12, false}, {"99x", 99, false}, {"-5x", 5, false}, {"12 ", 12, false},
        {"1.5", 1, false}, {"0x10", 0, false}, {"\t3", 0, false}, {"- 5", 0, false},
        {"-$5", 0, false}, {"$-5", 0, false}, {"+-5", 0, false}, {"$g", 0, false},
        {"12g", 12, false}, {"", 0, false}, {"   ", 0, false}, {"-", 0, false}, {"$", 0, false},
        {";x", 0, false}, {"9999999999", 999999999, false}, {"$123456789", 305419896, false},
        // Decimal overflow: the magnitude is tested before each digit, then once at the end.
        {"2147483647", INT_MAX, true}, {"-2147483647", -INT_MAX, true},
        {"2147483648", INT_MIN, false}, {"2147483649", -2147483647, false},
        {"-2147483648", INT_MIN, false}, {"-2147483649", INT_MAX, false},
        {"2147483640", 2147483640, true}, {"2147483650", 214748365, false},
        {"-2147483650", 214748365, false}, {"214748364x", 214748364, false},
        {"21474836470", INT_MAX, false}, {"00000000002147483647", INT_MAX, true},
        // Hexadecimal: eight digits make a 32-bit two's-complement value, a ninth fails.
        {"$FFFFFFFF", -1, true}, {"$7FFFFFFF", INT_MAX, true}, {"$80000000", INT_MIN, true},
        {"$0FFFFFFF", 0x0FFFFFFF, true}, {"$10000000", 0x10000000, true},
        {"$FFFFFFFFF", -1, false}, {"$0FFFFFFFF", -1, true}, {"$000000000001", 1, true},
        // The text ends at its first NUL.
        {"12\0abc"s, 12, true}, {"\0 12"s, 0, false},
    };
    // clang-format on
    for (const Row& r : rows) {
        const IntConversion c = TextToInt(r.text);
        EXPECT_EQ(c.value, r.value) << "'" << r.text << "'";
        EXPECT_EQ(c.ok, r.ok) << "'" << r.text << "'";
    }
}

TEST(StrictTextToInt, RaisesNamingTheWholeText) {
    EXPECT_EQ(StrictTextToInt(" 3"), 3);
    EXPECT_EQ(StrictTextToInt("$FFFFFFFF"), -1);
    for (const std::string text : {"x", "3 ", "", " 1.5", "-2147483648"}) {
        try {
            StrictTextToInt(text);
            ADD_FAILURE() << "no error for '" << text << "'";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), "'" + text + "' は整数ではありません");
        }
    }
}

TEST(IntToText, Table) {
    // clang-format off
    const std::pair<std::int32_t, const char*> rows[] = {
        {0, "0"}, {-1, "-1"}, {7, "7"}, {100, "100"}, {INT_MAX, "2147483647"}, {INT_MIN, "-2147483648"}};
    // clang-format on
    for (const auto& [value, text] : rows)
        EXPECT_EQ(IntToText(value), text);
}

} // namespace

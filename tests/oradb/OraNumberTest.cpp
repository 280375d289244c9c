// Numbers as Oracle writes them, and Oracle's internal form of a NUMBER: the bytes Oracle
// documents for known values, and text that survives the trip through them.
#include "oradb/OraNumber.h"

#include <gtest/gtest.h>

namespace {

using oradb::oracleNumberBytes;
using oradb::oracleNumberText;

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values)
        out += static_cast<char>(v);
    return out;
}

std::optional<std::string> textOf(const std::string& b) {
    return oracleNumberText(reinterpret_cast<const unsigned char*>(b.data()), b.size());
}

TEST(OraNumber, InternalFormHasTheDocumentedBytes) {
    // Exponent byte 0xC1 + base-100 exponent for positives, digits + 1; negatives complement
    // both and end with 102.
    EXPECT_EQ(oracleNumberBytes("0"), bytes({0x80}));
    EXPECT_EQ(oracleNumberBytes("1"), bytes({0xC1, 2}));
    EXPECT_EQ(oracleNumberBytes("100"), bytes({0xC2, 2}));
    EXPECT_EQ(oracleNumberBytes("3.14"), bytes({0xC1, 4, 15}));
    EXPECT_EQ(oracleNumberBytes(".5"), bytes({0xC0, 51}));
    EXPECT_EQ(oracleNumberBytes("-1"), bytes({0x3E, 100, 102}));
    EXPECT_EQ(oracleNumberBytes("-123.45"), bytes({0x3D, 100, 78, 56, 102}));
    EXPECT_EQ(oracleNumberBytes("1234567.5"), bytes({0xC4, 2, 24, 46, 68, 51}));
    EXPECT_EQ(oracleNumberBytes("abc"), std::nullopt);
    EXPECT_EQ(oracleNumberBytes("1e200"), std::nullopt);
    EXPECT_EQ(oracleNumberBytes("1e-200"), bytes({0x80})); // below the range: zero
}

TEST(OraNumber, TextSurvivesTheInternalForm) {
    for (const char* text :
         {"0", "1", "-1", "3.14", ".5", "-.25", "1234567.5", "100000000000000000000",
          ".00000000000000000001", "12345678901234567890123456789012345678",
          "-98765432109876543210.123456789", "42", "-7", "99.99"}) {
        SCOPED_TRACE(text);
        const auto b = oracleNumberBytes(text);
        ASSERT_TRUE(b);
        EXPECT_LE(b->size(), 21u);
        EXPECT_EQ(textOf(*b), text);
    }
    // 40 significant digits at most (39 when the point falls inside a base-100 digit), rounded
    // half up.
    EXPECT_EQ(textOf(*oracleNumberBytes("1.23456789012345678901234567890123456789999")),
              "1.2345678901234567890123456789012345679");
    EXPECT_EQ(textOf(*oracleNumberBytes("9.99999999999999999999999999999999999999999")), "10");
    EXPECT_EQ(textOf(*oracleNumberBytes("1.5E+3")), "1500");
    EXPECT_EQ(textOf(*oracleNumberBytes("1e70")), "1.0E+70");
    // Bytes that are no NUMBER are refused, not misread.
    EXPECT_EQ(textOf(""), std::nullopt);
    EXPECT_EQ(textOf(bytes({0xC1, 0})), std::nullopt);
    EXPECT_EQ(textOf(bytes({0x3E, 102, 100})), std::nullopt);
}

TEST(OraNumber, DoublesAreWrittenAsOracleWritesNumbers) {
    EXPECT_EQ(oracleNumberText(42.0), "42");
    EXPECT_EQ(oracleNumberText(0.25), ".25");
    EXPECT_EQ(oracleNumberText(-0.5), "-.5");
    EXPECT_EQ(oracleNumberText(0.1 + 0.2), ".3");
    EXPECT_EQ(oracleNumberText(1e20), "100000000000000000000");
    EXPECT_EQ(oracleNumberText(1e-20), ".00000000000000000001");
    EXPECT_EQ(oracleNumberText(1.5e70), "1.5E+70");
    EXPECT_EQ(oracleNumberText(-2e-70), "-2.0E-70");
    EXPECT_EQ(oracleNumberText(0.0), "0");
}

} // namespace

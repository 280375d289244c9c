// The Oracle SQL functions of the sandbox, called through translated statements on SQLite.
#include "DialectFixture.h"

#include <gtest/gtest.h>

namespace {

using dialect_test::SqliteDb;

class SandboxFunctions : public ::testing::Test {
protected:
    SandboxFunctions() {
        db.exec("create table dual (dummy VARCHAR2(1)); insert into dual values ('X');");
    }

    std::string v(const std::string& expression) {
        return db.value("select " + expression + " from dual");
    }

    SqliteDb db;
};

TEST_F(SandboxFunctions, DecodeMatchesInOrderWithDefaultAndNull) {
    EXPECT_EQ(v("decode(2, 1, 'one', 2, 'two', 'other')"), "two");
    EXPECT_EQ(v("decode(9, 1, 'one', 'other')"), "other");
    EXPECT_EQ(v("decode(9, 1, 'one')"), "(null)");
    EXPECT_EQ(v("decode(null, 1, 'one', null, 'was null', 'other')"), "was null");
    EXPECT_EQ(v("decode('', null, 'empty text is null')"), "empty text is null");
}

TEST_F(SandboxFunctions, DecodeConvertsLikeOracle) {
    // Compared as the first search value's type, returned as the first result's type.
    EXPECT_EQ(v("decode('5', 5, 'number five')"), "number five");
    EXPECT_EQ(v("typeof(decode(7, 6, 'Exclusive(X)', 7))"), "text");
    EXPECT_EQ(v("decode(7, 6, 'Exclusive(X)', 7)"), "7");
    EXPECT_NE(db.error("select decode('abc', 5, 'x') from dual").find("ORA-01722"),
              std::string::npos);
}

TEST_F(SandboxFunctions, NvlTreatsEmptyTextAsNull) {
    EXPECT_EQ(v("nvl(null, 'x')"), "x");
    EXPECT_EQ(v("nvl('', 'x')"), "x");
    EXPECT_EQ(v("nvl('a', 'x')"), "a");
    EXPECT_EQ(v("nvl2(null, 'a', 'b')"), "b");
    EXPECT_EQ(v("nvl2(1, 'a', 'b')"), "a");
}

TEST_F(SandboxFunctions, ToCharOfNumbersIsOraclesText) {
    EXPECT_EQ(v("to_char(0.5)"), ".5");
    EXPECT_EQ(v("to_char(-0.25)"), "-.25");
    EXPECT_EQ(v("to_char(123)"), "123");
    EXPECT_EQ(v("to_char(2.50)"), "2.5");
    EXPECT_EQ(v("to_char(1/3)"), ".333333333333333");
    EXPECT_EQ(v("to_char(1e20)"), "100000000000000000000");
    EXPECT_EQ(v("to_char(-3000000000)"), "-3000000000");
}

TEST_F(SandboxFunctions, ToCharOfNumbersByFormat) {
    EXPECT_EQ(v("to_char(1234.5, '9,999.99')"), " 1,234.50");
    EXPECT_EQ(v("to_char(1234.5, 'FM9,999.99')"), "1,234.50");
    EXPECT_EQ(v("to_char(5, '000')"), " 005");
    EXPECT_EQ(v("to_char(-5, '99')"), " -5");
    EXPECT_EQ(v("to_char(0.5, '99.9')"), "   .5");
    EXPECT_EQ(v("to_char(12345, '999')"), "####");
    EXPECT_NE(db.error("select to_char(1, '9x9') from dual").find("ORA-01481"), std::string::npos);
}

TEST_F(SandboxFunctions, ToCharOfDates) {
    const std::string d = "'2004-06-15 13:45:30'"; // a Tuesday
    EXPECT_EQ(v("to_char(" + d + ")"), "15-JUN-04");
    EXPECT_EQ(v("to_char(" + d + ", 'YYYY-MM-DD HH24:MI:SS')"), "2004-06-15 13:45:30");
    EXPECT_EQ(v("to_char(" + d + ", 'Mon DD, YYYY HH:MI AM')"), "Jun 15, 2004 01:45 PM");
    EXPECT_EQ(v("to_char(" + d + ", 'DY dy Day')"), "TUE tue Tuesday  ");
    EXPECT_EQ(v("to_char(" + d + ", 'fmMonth DD')"), "June 15");
    EXPECT_EQ(v("to_char(" + d + ", 'MONTH')"), "JUNE     ");
    EXPECT_EQ(v("to_char(" + d + ", 'DDD D J \"Q\"Q')"), "167 3 2453172 Q2");
    EXPECT_EQ(v("to_char('2004-06-15 00:10:00', 'HH12:MI a.m.')"), "12:10 a.m.");
    EXPECT_EQ(v("to_char('not a date')"), "not a date");
    EXPECT_NE(db.error("select to_char(" + d + ", 'XYZ') from dual").find("ORA-01821"),
              std::string::npos);
}

TEST_F(SandboxFunctions, TruncAndRoundOfDates) {
    const std::string d = "'2004-06-15 13:45:30'";
    EXPECT_EQ(v("trunc(" + d + ")"), "2004-06-15 00:00:00");
    EXPECT_EQ(v("trunc(" + d + ", 'MM')"), "2004-06-01 00:00:00");
    EXPECT_EQ(v("trunc(" + d + ", 'YYYY')"), "2004-01-01 00:00:00");
    EXPECT_EQ(v("round(" + d + ")"), "2004-06-16 00:00:00");
    EXPECT_EQ(v("round('2004-02-29 12:00:00')"), "2004-03-01 00:00:00");
}

TEST_F(SandboxFunctions, RawValuesAreUpperCaseHex) {
    EXPECT_EQ(v("rawtohex('0a1b')"), "0A1B");
    EXPECT_EQ(v("rawtohex(x'0A1BFF')"), "0A1BFF");
    EXPECT_EQ(v("hextoraw('abc')"), "0ABC");
    EXPECT_EQ(v("rawtohex(null)"), "(null)");
    EXPECT_NE(db.error("select rawtohex('xyz') from dual").find("ORA-01465"), std::string::npos);
}

TEST_F(SandboxFunctions, PowerSignAndMod) {
    EXPECT_EQ(v("power(2, 32)"), "4294967296");
    EXPECT_EQ(v("typeof(power(2, 32))"), "integer");
    EXPECT_EQ(v("power(2, -1)"), "0.5");
    EXPECT_EQ(v("power(-1, 1000000000000000001)"), "-1");
    EXPECT_EQ(v("power(3, 40)"), "1.21576654590569e+19"); // past 64 bits: a double
    EXPECT_NE(db.error("select power(-8, 0.5) from dual").find("ORA-01428"), std::string::npos);
    EXPECT_EQ(v("sign(-3)") + v("sign(0)") + v("sign('2.5')"), "-101");
    EXPECT_EQ(v("mod(-7, 3)"), "-1");
    EXPECT_EQ(v("mod(7, -3)"), "1");
    EXPECT_EQ(v("mod(5, 0)"), "5");
    EXPECT_EQ(v("mod(7.5, 2)"), "1.5");
}

TEST_F(SandboxFunctions, TruncAndRoundOfNumbersAreDecimal) {
    EXPECT_EQ(v("trunc(12.345, 2)"), "12.34");
    EXPECT_EQ(v("trunc(-1.5)"), "-1");
    EXPECT_EQ(v("trunc(1234, -2)"), "1200");
    EXPECT_EQ(v("round(2.675, 2)"), "2.68"); // 2.67499... in binary, 2.675 to Oracle
    EXPECT_EQ(v("round(-2.5)"), "-3");
    EXPECT_EQ(v("round(1250, -2)") + "," + v("round(1249, -2)"), "1300,1200");
    EXPECT_EQ(v("typeof(round(12.5))"), "integer");
}

TEST_F(SandboxFunctions, ToNumberParsesOracleNumberText) {
    EXPECT_EQ(v("to_number(' 12.5 ')"), "12.5");
    EXPECT_EQ(v("to_number('1.0')"), "1");
    EXPECT_EQ(v("to_number('-1e3')"), "-1000");
    EXPECT_EQ(v("to_number('1,234', '9,999')"), "1234");
    EXPECT_EQ(db.error("select to_number('12x') from dual"), "ORA-01722: invalid number");
}

TEST_F(SandboxFunctions, InstrAndPadding) {
    EXPECT_EQ(v("instr('CORPORATE FLOOR', 'OR', 3, 2)"), "14");
    EXPECT_EQ(v("instr('CORPORATE FLOOR', 'OR', -3, 2)"), "2");
    EXPECT_EQ(v("instr('abc', 'z')") + v("instr('abc', 'b', 0)"), "00");
    EXPECT_EQ(v("lpad('Page 1', 15, '*.')"), "*.*.*.*.*Page 1");
    EXPECT_EQ(v("rpad('MORRISON', 12, 'ab')"), "MORRISONabab");
    EXPECT_EQ(v("lpad('abcdef', 3)"), "abc");
    EXPECT_EQ(v("lpad('x', 0)"), "(null)");
    EXPECT_EQ(v("lpad('\xC3\xA9', 3, '*')"), "**\xC3\xA9"); // characters, not bytes
}

TEST_F(SandboxFunctions, GreatestAndLeastFollowTheFirstArgumentsType) {
    EXPECT_EQ(v("greatest(1, 3, 2)"), "3");
    EXPECT_EQ(v("greatest('apples', 'oranges', 'bananas')"), "oranges");
    EXPECT_EQ(v("least(4, null)"), "(null)");
    EXPECT_EQ(v("least(20, '10')"), "10");
    EXPECT_EQ(v("greatest('2', '10')"), "2");
}

TEST_F(SandboxFunctions, InstanceValuesComeFromTheHost) {
    db.host.now = "2011-01-02 03:04:05";
    db.host.user = "SCOTT";
    EXPECT_EQ(v("sysdate"), "2011-01-02 03:04:05");
    EXPECT_EQ(v("user"), "SCOTT");
    EXPECT_EQ(v("to_char(sysdate, 'DD.MM.YYYY')"), "02.01.2011");
}

TEST_F(SandboxFunctions, DivisorRaisesOraclesErrors) {
    EXPECT_EQ(v("ora_divisor(4)"), "4");
    EXPECT_EQ(v("typeof(ora_divisor(4))"), "real");
    EXPECT_EQ(v("ora_divisor(null)"), "(null)");
    EXPECT_EQ(db.error("select ora_divisor(0) from dual"), "ORA-01476: divisor is equal to zero");
    EXPECT_EQ(db.error("select ora_divisor('x') from dual"), "ORA-01722: invalid number");
}

TEST_F(SandboxFunctions, ConcatenationTakesNullAsEmptyText) {
    EXPECT_EQ(v("'x' || null"), "x");
    EXPECT_EQ(v("null || 'x' || null || 'y'"), "xy");
    EXPECT_EQ(v("null || null"), "(null)");
    EXPECT_EQ(v("nvl(null || '', 'both null')"), "both null");
    EXPECT_EQ(v("to_char(5) || ' MB' || nvl(null, '!')"), "5 MB!");
    EXPECT_EQ(v("'a' || case when 1 = 2 then 'b' end || 'c'"), "ac");
    EXPECT_EQ(v("upper('a') || -1"), "A-1");
}

TEST_F(SandboxFunctions, SubstrCountsPositionsAsOracleDoes) {
    EXPECT_EQ(v("substr('abcdef', 0, 3)"), "abc");
    EXPECT_EQ(v("substr('abcdef', 1, 3)"), "abc");
    EXPECT_EQ(v("substr('abcdef', -3, 2)"), "de");
    EXPECT_EQ(v("substr('abcdef', -3)"), "def");
    EXPECT_EQ(v("substr('abcdef', 4)"), "def");
    EXPECT_EQ(v("substr('abcdef', 7)"), "(null)");
    EXPECT_EQ(v("substr('abcdef', -7, 2)"), "(null)");
    EXPECT_EQ(v("substr('abcdef', 2, 0)"), "(null)");
    EXPECT_EQ(v("substr('abcdef', 2, 100)"), "bcdef");
    EXPECT_EQ(v("substr('äöü', 2, 1)"), "ö");
}

TEST_F(SandboxFunctions, DateArithmeticIsInDays) {
    db.host.now = "2026-03-01 12:00:00";
    EXPECT_EQ(v("sysdate - 1"), "2026-02-28 12:00:00");
    EXPECT_EQ(v("sysdate + 1/24"), "2026-03-01 13:00:00");
    EXPECT_EQ(v("1 + sysdate"), "2026-03-02 12:00:00");
    EXPECT_EQ(v("sysdate - 0.5 + 2"), "2026-03-03 00:00:00");
    EXPECT_EQ(v("sysdate - to_date('2026-02-28 00:00:00', 'YYYY-MM-DD HH24:MI:SS')"), "1.5");
    EXPECT_EQ(v("round((sysdate - to_date('2026-03-01', 'YYYY-MM-DD')) * 24)"), "12");
    EXPECT_EQ(v("trunc(sysdate) - 1"), "2026-02-28 00:00:00");
    EXPECT_EQ(v("to_char(sysdate - 7, 'DD-MON-YYYY')"), "22-FEB-2026");
    EXPECT_EQ(v("sysdate - interval '90' minute"), "2026-03-01 10:30:00");
    EXPECT_EQ(v("sysdate + interval '2' day - interval '30' second"), "2026-03-03 11:59:30");
    EXPECT_EQ(v("sysdate - numtodsinterval(1.5, 'HOUR')"), "2026-03-01 10:30:00");
    EXPECT_EQ(v("sysdate + numtoyminterval(1, 'MONTH')"), "2026-04-01 12:00:00");
    EXPECT_EQ(db.error("select sysdate - interval '1' year from dual").substr(0, 9), "ORA-03001");
    // numbers keep adding as numbers, decimals as Oracle's decimals
    EXPECT_EQ(v("3 - 1 - 1"), "1");
    EXPECT_EQ(v("2 * 3 - 4 / 2"), "4");
    EXPECT_EQ(v("0.1 + 0.2"), "0.3");
    EXPECT_EQ(v("'7' - 2"), "5");
    EXPECT_EQ(v("null - 1"), "(null)");
    EXPECT_EQ(db.error("select sysdate + sysdate from dual"), "ORA-00975: date + date not allowed");
    EXPECT_EQ(db.error("select 'abc' - 1 from dual"), "ORA-01722: invalid number");
}

TEST_F(SandboxFunctions, ToDateReadsTheCommonFormatModels) {
    db.host.now = "2026-07-15 10:00:00";
    EXPECT_EQ(v("to_date('2024-02-29 23:59:58', 'YYYY-MM-DD HH24:MI:SS')"), "2024-02-29 23:59:58");
    EXPECT_EQ(v("to_date('05-MAR-24', 'DD-MON-RR')"), "2024-03-05 00:00:00");
    EXPECT_EQ(v("to_date('05-mar-99', 'DD-MON-RR')"), "1999-03-05 00:00:00");
    EXPECT_EQ(v("to_date('05-MAR-99', 'DD-MON-YY')"), "2099-03-05 00:00:00");
    EXPECT_EQ(v("to_date('05-MAR-24')"), "2024-03-05 00:00:00");
    EXPECT_EQ(v("to_date('31/12/2025', 'DD/MM/YYYY')"), "2025-12-31 00:00:00");
    EXPECT_EQ(v("to_date('2025', 'YYYY')"), "2025-07-01 00:00:00");
    EXPECT_EQ(v("to_date('03:15 PM', 'HH:MI AM')"), "2026-07-01 15:15:00");
    EXPECT_EQ(v("to_date('January 5, 2020', 'Month DD, YYYY')"), "2020-01-05 00:00:00");
    EXPECT_EQ(db.error("select to_date('2025-02-30', 'YYYY-MM-DD') from dual"),
              "ORA-01847: day of month must be between 1 and last day of month");
    EXPECT_EQ(db.error("select to_date('2025-13-01', 'YYYY-MM-DD') from dual"),
              "ORA-01843: not a valid month");
    EXPECT_EQ(db.error("select to_date('2025-12-01 extra', 'YYYY-MM-DD') from dual"),
              "ORA-01830: date format picture ends before converting entire input string");
}

TEST_F(SandboxFunctions, MonthsAreCountedAsOracleDocuments) {
    EXPECT_EQ(v("months_between(to_date('2026-03-31', 'YYYY-MM-DD'), "
                "to_date('2026-02-28', 'YYYY-MM-DD'))"),
              "1");
    EXPECT_EQ(v("months_between(to_date('02-02-1995', 'MM-DD-YYYY'), "
                "to_date('01-01-1995', 'MM-DD-YYYY'))"),
              "1.03225806451613");
    EXPECT_EQ(v("months_between(to_date('2026-01-15', 'YYYY-MM-DD'), "
                "to_date('2026-03-15', 'YYYY-MM-DD'))"),
              "-2");
    EXPECT_EQ(v("add_months(to_date('2026-01-31', 'YYYY-MM-DD'), 1)"), "2026-02-28 00:00:00");
    EXPECT_EQ(v("add_months(to_date('2024-02-29', 'YYYY-MM-DD'), 1)"), "2024-03-31 00:00:00");
    EXPECT_EQ(v("add_months(to_date('2026-03-15 10:30:00', 'YYYY-MM-DD HH24:MI:SS'), -14)"),
              "2025-01-15 10:30:00");
    EXPECT_EQ(v("last_day(to_date('2024-02-10', 'YYYY-MM-DD'))"), "2024-02-29 00:00:00");
    // DATE literals; next_day moves to the next such weekday, never staying on the same day
    // (2026-08-16 is a Sunday)
    EXPECT_EQ(v("date '2024-02-29'"), "2024-02-29 00:00:00");
    EXPECT_EQ(v("date '2024-03-01' - date '2024-02-28'"), "2");
    EXPECT_EQ(v("next_day(date '2026-08-16', 'MONDAY')"), "2026-08-17 00:00:00");
    EXPECT_EQ(v("next_day(to_date('2026-08-16 09:30', 'YYYY-MM-DD HH24:MI'), 'sun')"),
              "2026-08-23 09:30:00");
    EXPECT_EQ(v("next_day(date '2026-08-16', 'Saturday')"), "2026-08-22 00:00:00");
    EXPECT_EQ(db.error("select next_day(sysdate, 'Funday') from dual"),
              "ORA-01846: not a valid day of the week");
}

TEST_F(SandboxFunctions, TruncAndRoundOfDatesByUnit) {
    const std::string d = "to_date('2026-08-16 14:35:20', 'YYYY-MM-DD HH24:MI:SS')";
    EXPECT_EQ(v("trunc(" + d + ")"), "2026-08-16 00:00:00");
    EXPECT_EQ(v("trunc(" + d + ", 'MM')"), "2026-08-01 00:00:00");
    EXPECT_EQ(v("trunc(" + d + ", 'YYYY')"), "2026-01-01 00:00:00");
    EXPECT_EQ(v("trunc(" + d + ", 'HH24')"), "2026-08-16 14:00:00");
    EXPECT_EQ(v("round(" + d + ")"), "2026-08-17 00:00:00");
    EXPECT_EQ(v("round(" + d + ", 'MM')"), "2026-09-01 00:00:00");
    EXPECT_EQ(v("round(" + d + ", 'YYYY')"), "2027-01-01 00:00:00");
    EXPECT_EQ(v("round(" + d + ", 'HH24')"), "2026-08-16 15:00:00");
    EXPECT_EQ(v("round(to_date('2026-08-15', 'YYYY-MM-DD'), 'MM')"), "2026-08-01 00:00:00");
    // 2026-08-16 is a Sunday
    EXPECT_EQ(v("trunc(" + d + ", 'Q')"), "2026-07-01 00:00:00");
    EXPECT_EQ(v("trunc(" + d + ", 'IW')"), "2026-08-10 00:00:00");
    EXPECT_EQ(v("trunc(" + d + ", 'D')"), "2026-08-16 00:00:00");
    EXPECT_EQ(v("trunc(to_date('2026-08-19', 'YYYY-MM-DD'), 'D')"), "2026-08-16 00:00:00");
}

TEST_F(SandboxFunctions, ToCharOfNumbersWithGroupAndDecimalElements) {
    EXPECT_EQ(v("to_char(1234567.891, 'FM999,999,990.00')"), "1,234,567.89");
    EXPECT_EQ(v("to_char(1234567.891, 'FM999G999G990D00')"), "1,234,567.89");
    EXPECT_EQ(v("to_char(1234.5, '999G999D99')"), "   1,234.50");
    EXPECT_EQ(v("to_char(0.5, '0.00')"), " 0.50");
    EXPECT_EQ(v("to_char(-3, 'FM990')"), "-3");
}

TEST_F(SandboxFunctions, CharacterAndBitFunctions) {
    EXPECT_EQ(v("chr(65) || chr(66)"), "AB");
    EXPECT_EQ(v("chr(228)"), "ä");
    EXPECT_EQ(v("initcap('the SOUND of music-hall 2day')"), "The Sound Of Music-Hall 2day");
    EXPECT_EQ(v("bitand(12, 10)"), "8");
    EXPECT_EQ(v("bitand(null, 1)"), "(null)");
    EXPECT_EQ(v("coalesce(null, null, 'third')"), "third");
}

TEST_F(SandboxFunctions, TextFunctionsOracleHasAndSqliteLacks) {
    EXPECT_EQ(v("replace('a-b-c', '-')"), "abc");
    EXPECT_EQ(v("replace('a-b-c', '-', '+')"), "a+b+c");
    EXPECT_EQ(v("replace('abc', null, 'x')"), "abc");
    EXPECT_EQ(v("translate('2026-03-01', '0123456789-', '9999999999/')"), "9999/99/99");
    EXPECT_EQ(v("translate('a.b.c', 'a.', 'A')"), "Abc");
    EXPECT_EQ(v("ascii('A')"), "65");
    EXPECT_EQ(v("ascii('ä')"), "228");
    EXPECT_EQ(v("lengthb('ä')"), "2");
    EXPECT_EQ(v("vsize('abc')"), "3");
}

TEST_F(SandboxFunctions, RegularExpressions) {
    EXPECT_EQ(v("case when regexp_like('ORA-00942', '^ORA-[0-9]{5}$') then 'y' else 'n' end"), "y");
    EXPECT_EQ(v("case when regexp_like('ora', '^ORA$', 'i') then 'y' else 'n' end"), "y");
    EXPECT_EQ(v("regexp_substr('a1b22c333', '[0-9]+', 1, 2)"), "22");
    EXPECT_EQ(v("regexp_substr('a1b22c333', '[0-9]+', 5)"), "2");
    EXPECT_EQ(v("regexp_substr('key=value', '(.*)=(.*)', 1, 1, null, 2)"), "value");
    EXPECT_EQ(v("regexp_substr('abc', '[0-9]')"), "(null)");
    EXPECT_EQ(v("regexp_count('a1b22c333', '[0-9]')"), "6");
    EXPECT_EQ(v("regexp_replace('a1b22c333', '[0-9]+', '#')"), "a#b#c#");
    EXPECT_EQ(v("regexp_replace('a1b22c333', '[0-9]+', '#', 1, 2)"), "a1b#c333");
    EXPECT_EQ(v("regexp_replace('a1b22c333', '[0-9]+', '#', 4)"), "a1b#c#");
    EXPECT_EQ(v("regexp_replace('John Smith', '(\\w+) (\\w+)', '\\2, \\1')"), "Smith, John");
    EXPECT_EQ(v("regexp_replace('a  b   c', ' +', ' ')"), "a b c");
}

TEST_F(SandboxFunctions, CastExtractAndWeeks) {
    db.host.now = "2026-01-01 08:09:10";
    EXPECT_EQ(v("cast(sysdate as date)"), "2026-01-01 08:09:10");
    EXPECT_EQ(v("cast(sysdate as timestamp) - 1"), "2025-12-31 08:09:10");
    EXPECT_EQ(v("cast('12' as number) + 1"), "13");
    EXPECT_EQ(v("extract(year from sysdate)"), "2026");
    EXPECT_EQ(v("extract(month from sysdate) + extract(minute from sysdate)"), "10");
    // 2026-01-01 is a Thursday: ISO week 1; 2027-01-01 a Friday: week 53 of 2026
    EXPECT_EQ(v("to_char(sysdate, 'IW WW W')"), "01 01 1");
    EXPECT_EQ(v("to_char(to_date('2027-01-01', 'YYYY-MM-DD'), 'IW')"), "53");
    EXPECT_EQ(v("to_char(to_date('2026-12-28', 'YYYY-MM-DD'), 'IW WW W')"), "53 52 4");
}

TEST_F(SandboxFunctions, StatisticalAggregatesAsOracleDefinesThem) {
    db.exec("create table t (g INTEGER, x NUMBER); insert into t values (1, 2), (1, 4), (1, 4), "
            "(1, 4), (1, 5), (1, 5), (1, 7), (1, 9), (2, 3), (2, null), (3, null);");
    auto agg = [&](const std::string& f, int g) {
        return db.value("select " + f + "(x) from t where g = " + std::to_string(g));
    };
    EXPECT_EQ(agg("median", 1), "4.5");
    EXPECT_EQ(agg("var_pop", 1), "4");
    EXPECT_EQ(agg("stddev_pop", 1), "2");
    EXPECT_EQ(agg("variance", 1), "4.57142857142857");
    EXPECT_EQ(agg("stddev_samp", 1), "2.1380899352994");
    // one value: VARIANCE and STDDEV are 0, the _SAMP forms NULL; no value: NULL
    EXPECT_EQ(agg("variance", 2), "0");
    EXPECT_EQ(agg("stddev", 2), "0");
    EXPECT_EQ(agg("var_samp", 2), "(null)");
    EXPECT_EQ(agg("stddev_samp", 2), "(null)");
    EXPECT_EQ(agg("median", 2), "3");
    EXPECT_EQ(agg("median", 3), "(null)");
    EXPECT_EQ(db.value("select count(*) from (select g, median(x) m from t group by g)"), "3");
    EXPECT_EQ(db.error("select median(dummy) from dual"), "ORA-01722: invalid number");
}

TEST_F(SandboxFunctions, DbmsLobAndSecondsPastMidnight) {
    EXPECT_EQ(v("dbms_lob.getlength('h\u00e9llo')"), "5");
    EXPECT_EQ(v("dbms_lob.substr('h\u00e9llo w\u00f6rld', 4, 2)"), "\u00e9llo");
    EXPECT_EQ(v("dbms_lob.substr('hello', 10)"), "hello");
    EXPECT_EQ(v("dbms_lob.substr('hello', 2, 9)"), "(null)");
    EXPECT_EQ(v("dbms_lob.substr('hello', 0, 1)"), "(null)");
    EXPECT_EQ(v("to_char(to_date('2026-08-16 01:02:03', 'YYYY-MM-DD HH24:MI:SS'), 'SSSSS')"),
              "03723");
    EXPECT_EQ(v("to_char(to_date('2026-08-16', 'YYYY-MM-DD'), 'fmSSSSS')"), "0");
}

} // namespace

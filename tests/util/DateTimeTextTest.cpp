#include "util/DateTimeText.h"

#include <gtest/gtest.h>

namespace {

class DateTimeText : public ::testing::Test {
protected:
    void SetUp() override {
        util::setDateTimeLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void TearDown() override { util::setDateTimeLocale(QLocale::system()); }
};

TEST_F(DateTimeText, DayNumbersCountFromFirstJanuaryOfYearOne) {
    EXPECT_EQ(util::dayNumber(1, 1, 1), 1);
    EXPECT_EQ(util::dayNumber(1899, 12, 30), 693594);
    EXPECT_EQ(util::dayNumber(2004, 6, 15), 731747);
    EXPECT_DOUBLE_EQ(util::fromDayNumber(693594), 0.0);
    EXPECT_DOUBLE_EQ(util::fromDayNumber(731747), util::encodeDateTime({2004, 6, 15}));
}

TEST_F(DateTimeText, EncodesAndDecodesAcrossCenturiesAndLeapDays) {
    for (const util::DateTimeParts p : {util::DateTimeParts{1899, 12, 30, 0, 0, 0, 0},
                                        util::DateTimeParts{1900, 3, 1, 12, 30, 15, 0},
                                        util::DateTimeParts{2000, 2, 29, 23, 59, 59, 0},
                                        util::DateTimeParts{1850, 7, 4, 6, 5, 4, 0},
                                        util::DateTimeParts{2026, 12, 8, 0, 0, 1, 0}}) {
        const util::DateTimeParts back = util::decodeDateTime(util::encodeDateTime(p));
        EXPECT_EQ(std::tie(back.year, back.month, back.day, back.hour, back.minute, back.second),
                  std::tie(p.year, p.month, p.day, p.hour, p.minute, p.second));
    }
    // Ten days earlier is the value minus 10.0.
    const auto t = util::encodeDateTime({2026, 1, 5, 8, 0, 0, 0});
    EXPECT_EQ(util::toIsoText(t - 10.0), "2025-12-26 08:00:00");
    EXPECT_FALSE(util::isValidDate(2026, 2, 29));
    EXPECT_TRUE(util::isValidDate(2024, 2, 29));
}

TEST_F(DateTimeText, IsoTextRoundTripsAndRejectsGarbage) {
    const auto t = util::fromIsoText("2026-12-08 15:04:05");
    ASSERT_TRUE(t);
    EXPECT_EQ(util::toIsoText(*t), "2026-12-08 15:04:05");
    EXPECT_FALSE(util::fromIsoText("2026-13-08 15:04:05"));
    EXPECT_FALSE(util::fromIsoText("yesterday"));
    EXPECT_FALSE(util::fromIsoText("2026-12-08 15:04:05x"));
    // The plain forms and the looser ones sscanf also reads give the same instants.
    EXPECT_EQ(util::fromIsoText("2026-12-08"), util::encodeDateTime({2026, 12, 8, 0, 0, 0, 0}));
    EXPECT_EQ(util::fromIsoText("2026-12-8 15:4:5"), t);
    EXPECT_EQ(util::fromIsoText("2024-02-29 23:59:59"),
              util::encodeDateTime({2024, 2, 29, 23, 59, 59, 0}));
    EXPECT_FALSE(util::fromIsoText("2026-02-29 10:00:00"));
    EXPECT_FALSE(util::fromIsoText("2026-12-08 24:00:00"));
    EXPECT_FALSE(util::fromIsoText("2026-12-08 23:60:00"));
    EXPECT_FALSE(util::fromIsoText("2026-12-08 23:59:60"));
    EXPECT_FALSE(util::fromIsoText("2026-00-08"));
}

TEST_F(DateTimeText, FormatsWithTheLocalesShortDateAndLongTime) {
    const auto t = util::encodeDateTime({2026, 12, 8, 15, 4, 5, 0});
    EXPECT_EQ(util::formatDateTime(t), "12/8/2026 3:04:05 PM");
    const auto back = util::parseDateTime("12/8/2026 3:04:05 PM");
    ASSERT_TRUE(back);
    EXPECT_EQ(util::toIsoText(*back), "2026-12-08 15:04:05");
    EXPECT_FALSE(util::parseDateTime("not a date"));

    util::setDateTimeLocale(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(util::formatDateTime(t), "08.12.2026 15:04:05");
    EXPECT_EQ(util::toIsoText(*util::parseDateTime("08.12.2026 15:04:05")), "2026-12-08 15:04:05");
}

TEST_F(DateTimeText, ThePreparedWriterWritesWhatQLocaleWritesInEveryLocale) {
    // Every second of a day and days of several years, in locales with 12 and 24 hours, AM/PM
    // before and after the time, other scripts and other digits (which QLocale writes itself).
    const QLocale locales[] = {
        QLocale::c(),
        QLocale(QLocale::English, QLocale::UnitedStates),
        QLocale(QLocale::English, QLocale::UnitedKingdom),
        QLocale(QLocale::German, QLocale::Germany),
        QLocale(QLocale::French, QLocale::France),
        QLocale(QLocale::Japanese, QLocale::Japan),
        QLocale(QLocale::Korean, QLocale::SouthKorea),
        QLocale(QLocale::Chinese, QLocale::China),
        QLocale(QLocale::Hindi, QLocale::India),
        QLocale(QLocale::Arabic, QLocale::Egypt),
        QLocale(QLocale::Persian, QLocale::Iran),
        QLocale(QLocale::Russian, QLocale::Russia),
        QLocale(QLocale::Finnish, QLocale::Finland),
        QLocale(QLocale::Greek, QLocale::Greece),
    };
    const util::TDateTime day = util::encodeDateTime({2026, 12, 8});
    for (const QLocale& locale : locales) {
        util::setDateTimeLocale(locale);
        int mismatches = 0;
        for (int second = 0; second < 86400 && mismatches < 3; second += 7) {
            const util::TDateTime t = day + second / 86400.0;
            const std::string fast = util::formatDateTime(t),
                              byLocale = util::formatDateTimeByLocale(t);
            if (fast != byLocale) {
                ++mismatches;
                ADD_FAILURE() << locale.name().toStdString() << ": " << fast << " against "
                              << byLocale;
            }
        }
        for (int year : {1, 1999, 2000, 2026, 9999})
            for (int month : {1, 2, 12}) {
                const util::TDateTime t = util::encodeDateTime({year, month, 9, 23, 59, 59, 0});
                EXPECT_EQ(util::formatDateTime(t), util::formatDateTimeByLocale(t))
                    << locale.name().toStdString();
            }
    }
}

} // namespace

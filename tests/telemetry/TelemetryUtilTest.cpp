#include <gtest/gtest.h>

#include <ctime>

#include "telemetry/ParserChoice.h"
#include "telemetry/TelemetryUtil.h"

TEST(DateTimeCheck, AcceptsBoundsAndRejectsEachFieldOutOfRange) {
  EXPECT_TRUE(IsValidDateTime(1900, 1, 1, 0, 0, 0));
  EXPECT_TRUE(IsValidDateTime(2024, 12, 31, 23, 59, 59));
  EXPECT_TRUE(IsValidDateTime(2024, 2, 31, 12, 0, 0));  // the day is not checked against the month
  EXPECT_FALSE(IsValidDateTime(1899, 1, 1, 0, 0, 0));
  EXPECT_FALSE(IsValidDateTime(2024, 13, 1, 0, 0, 0));
  EXPECT_FALSE(IsValidDateTime(2024, 0, 1, 0, 0, 0));
  EXPECT_FALSE(IsValidDateTime(2024, 1, 0, 0, 0, 0));
  EXPECT_FALSE(IsValidDateTime(2024, 1, 32, 0, 0, 0));
  EXPECT_FALSE(IsValidDateTime(2024, 1, 1, 24, 0, 0));
  EXPECT_FALSE(IsValidDateTime(2024, 1, 1, 0, 60, 0));
  EXPECT_FALSE(IsValidDateTime(2024, 1, 1, 0, 0, 60));
  EXPECT_FALSE(IsValidDateTime(2024, 1, 1, -1, 0, 0));
}

TEST(DateTimeCheck, CalendarConversionCarriesAndRejectsUnrepresentable) {
  // Local time, in whatever zone the tests run: 1715934614 is that
  // wall-clock time in UTC, so the zone's offset at t makes up the rest.
  CalendarTime t = 0;
  ASSERT_TRUE(LocalDateTimeToCalendar(2024, 5, 17, 8, 30, 14, t));
  const std::time_t tt = static_cast<std::time_t>(t);
  std::tm local{};
  ASSERT_NE(localtime_r(&tt, &local), nullptr);
  EXPECT_EQ(t + local.tm_gmtoff, 1715934614);
  EXPECT_EQ(FormatLocalIso(t), "2024-05-17T08:30:14");
  ASSERT_TRUE(LocalDateTimeToCalendar(2023, 2, 31, 0, 0, 0, t));
  EXPECT_EQ(FormatLocalDateTime(t), "2023-03-03 00:00:00");
  EXPECT_FALSE(LocalDateTimeToCalendar(1969, 12, 31, 23, 59, 59, t));
  EXPECT_FALSE(LocalDateTimeToCalendar(1900, 1, 1, 0, 0, 0, t));
}

TEST(Coordinates, DdmmToDegrees) {
  EXPECT_NEAR(DdmmToDegrees(22.3123), 22.52050, 1e-9);
  EXPECT_NEAR(DdmmToDegrees(-113.3), -113.5, 1e-9);
  EXPECT_DOUBLE_EQ(DdmmToDegrees(0), 0);
}

TEST(Coordinates, NormalizeAndConvertPairs) {
  double lat = 2232.1, lon = 11355.9;
  EXPECT_TRUE(NormalizeFixPair(lat, lon));
  EXPECT_NEAR(lat, 22.321, 1e-9);
  EXPECT_NEAR(lon, 113.559, 1e-9);

  lat = 20000;
  lon = 0;
  EXPECT_FALSE(NormalizeFixPair(lat, lon));

  lat = 2232.1;
  lon = -11355.9;
  EXPECT_TRUE(ConvertFixPair(lat, lon));
  EXPECT_NEAR(lat, 22.535, 1e-9);
  EXPECT_NEAR(lon, -113.931666666667, 1e-9);

  lat = 0;
  lon = 20000;  // 200 degrees after conversion
  EXPECT_FALSE(ConvertFixPair(lat, lon));
}

TEST(ParserChoiceRule, MpFourByCaseAviInAnyCase) {
  const struct {
    const char* path;
    ParserKind kind;
  } cases[] = {
      {"/card/DCIM/A-B_1234.mp4", ParserKind::kMp4},
      {"/card/X0000001.MP4", ParserKind::kBox},
      {"/card/X0000001.Mp4", ParserKind::kBox},
      {"/card/MOVG0123.AVI", ParserKind::kAvi},
      {"/card/X0000001.avi", ParserKind::kAvi},
      {"/card/X0000001.aVi", ParserKind::kAvi},
      {"/card.AVI/mp4", ParserKind::kBox},  // the name, not the folder
      {"avi", ParserKind::kBox},
  };
  for (const auto& c : cases) EXPECT_EQ(ChooseParser(c.path), c.kind) << c.path;
  EXPECT_STREQ(ParserKindName(ChooseParser("FILE0001.MOV")), "box");
}

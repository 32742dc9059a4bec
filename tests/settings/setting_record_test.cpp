#include "settings/setting_record.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

namespace {

template <size_t N>
bool PointsInto(const char* p, const char (&array)[N])
{
    return p == array;
}

// Each current choice may point only at its own setting's arrays.
void ExpectPointersInOwnArrays(const SettingRecord& r)
{
    EXPECT_TRUE(PointsInto(r.QC, r.QCOn) || PointsInto(r.QC, r.QCOff));
    EXPECT_TRUE(PointsInto(r.NW, r.NWAll) || PointsInto(r.NW, r.NWNon) || PointsInto(r.NW, r.NWFirst));
    EXPECT_TRUE(PointsInto(r.Title, r.TitleAll) || PointsInto(r.Title, r.TitleQuick));
    EXPECT_TRUE(PointsInto(r.Movie, r.MovieOn) || PointsInto(r.Movie, r.MovieOff));
    EXPECT_TRUE(PointsInto(r.PrintP, r.PrintPOn) || PointsInto(r.PrintP, r.PrintPOff));
}

TEST(SettingRecord, StartsWithTheDefaults)
{
    SettingRecord r;
    EXPECT_STREQ("off", r.QC);
    EXPECT_STREQ("first", r.NW);
    EXPECT_STREQ("quick", r.Title);
    EXPECT_STREQ("off", r.Movie);
    EXPECT_STREQ("off", r.PrintP);
    ExpectPointersInOwnArrays(r);
}

TEST(SettingRecord, GlobalIsBuiltBeforeMain)
{
    EXPECT_STREQ("off", Setting.QC);
    EXPECT_STREQ("first", Setting.NW);
    EXPECT_STREQ("quick", Setting.Title);
    EXPECT_STREQ("off", Setting.Movie);
    EXPECT_STREQ("off", Setting.PrintP);
}

TEST(SettingRecord, ValueArraysHoldTheirTextsExactly)
{
    SettingRecord r;
    struct Row { const char* name; const char* array; size_t size; const char* text; };
    const Row rows[] = {
        {"QCOn", r.QCOn, sizeof r.QCOn, "on"},
        {"QCOff", r.QCOff, sizeof r.QCOff, "off"},
        {"NWAll", r.NWAll, sizeof r.NWAll, "all"},
        {"NWNon", r.NWNon, sizeof r.NWNon, "non"},
        {"NWFirst", r.NWFirst, sizeof r.NWFirst, "first"},
        {"TitleAll", r.TitleAll, sizeof r.TitleAll, "all"},
        {"TitleQuick", r.TitleQuick, sizeof r.TitleQuick, "quick"},
        {"MovieOn", r.MovieOn, sizeof r.MovieOn, "on"},
        {"MovieOff", r.MovieOff, sizeof r.MovieOff, "off"},
        {"PrintPOn", r.PrintPOn, sizeof r.PrintPOn, "on"},
        {"PrintPOff", r.PrintPOff, sizeof r.PrintPOff, "off"},
    };
    const char* previousEnd = nullptr;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(std::string(row.text).size() + 1, row.size);
        EXPECT_EQ(std::string(row.text), std::string(row.array, row.size - 1));
        EXPECT_EQ('\0', row.array[row.size - 1]);
        // Declared in this order, after the pointers and the stream.
        if (previousEnd != nullptr) {
            EXPECT_LE(previousEnd, row.array);
        }
        previousEnd = row.array + row.size;
    }
    EXPECT_LT(offsetof(SettingRecord, PrintP), offsetof(SettingRecord, File));
    EXPECT_LT(offsetof(SettingRecord, File), offsetof(SettingRecord, QCOn));
}

TEST(SettingRecord, SelectNewWindowPicksByIndexAndIgnoresOthers)
{
    struct Row { int32_t start; int32_t index; const char* expected; };
    const Row rows[] = {
        {2, 0, "all"},   {2, 1, "non"},   {0, 2, "first"},
        {0, -1, "all"},  {1, -1, "non"},  {2, -1, "first"},
        {0, 3, "all"},   {1, 3, "non"},   {2, 3, "first"},
        {1, INT32_MIN, "non"}, {0, INT32_MAX, "all"},
    };
    for (const Row& row : rows) {
        SettingRecord r;
        r.SelectNewWindow(row.start);
        r.SelectNewWindow(row.index);
        EXPECT_STREQ(row.expected, r.NW) << "start " << row.start << ", index " << row.index;
        ExpectPointersInOwnArrays(r);
    }
}

TEST(SettingRecord, ChangingOneSettingLeavesTheOthers)
{
    SettingRecord r;
    r.Title = r.TitleAll;
    EXPECT_STREQ("first", r.NW);
    r.SelectNewWindow(0);
    EXPECT_TRUE(PointsInto(r.Title, r.TitleAll));
    EXPECT_TRUE(PointsInto(r.NW, r.NWAll));
    r.QC = r.QCOn;
    r.Movie = r.MovieOn;
    r.PrintP = r.PrintPOn;
    EXPECT_STREQ("on", r.QC);
    EXPECT_TRUE(PointsInto(r.Movie, r.MovieOn));
    EXPECT_TRUE(PointsInto(r.PrintP, r.PrintPOn));
    ExpectPointersInOwnArrays(r);
}

}  // namespace

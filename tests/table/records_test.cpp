// Triangle records: their text form, the number key, the exchange sort and
// the collection from the drawing's number texts.

#include "table/records.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <clocale>
#include <random>
#include <string>

#include "annotate/record.h"
#include "cad/db/database.h"
#include "tests/host/test_host.h"

namespace zavin::table {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(TriangleRecordTest, KeepsEightDecimalsWithAPointInAnyLocale) {
  // Restored below; a comma-decimal locale may not be installed, then this
  // runs under the C locale only.
  const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  EXPECT_EQ(MakeTriangleRecord("7", 3000, 3333.3333333333, 0.000000004),
            "7,3000.00000000,3333.33333333,0.00000000");
  EXPECT_EQ(MakeTriangleRecord("", -1.5, 0, 1e6), ",-1.50000000,0.00000000,1000000.00000000");
  std::setlocale(LC_NUMERIC, previous.c_str());
}

TEST(TriangleRecordTest, NumberKeyIsTheLeadingIntegerOrZero) {
  struct Case {
    const char* record;
    int key;
  };
  const Case cases[] = {
      {"12,1,2,3", 12},  {"3", 3},         {"-4,1,1,1", -4}, {"+5,1,1,1", 5},
      {"A1,1,1,1", 0},   {",1,1,1", 0},    {"", 0},          {" 7,1,1,1", 0},
      {"7a,1,1,1", 0},   {"1.5,1,1,1", 0}, {"+-3,1,1,1", 0}, {"99999999999,1,1,1", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.record);
    EXPECT_EQ(NumberKey(c.record), c.key);
  }
}

TEST(TriangleRecordTest, SortIsNumericWithNonIntegersFirst) {
  RecordList r{"12,1,1,1", "3,1,1,1", "A1,1,1,1", "7,1,1,1", ",1,1,1", "5,1,1,1"};
  SortTriangleRecords(r);
  EXPECT_THAT(r, ElementsAre("A1,1,1,1", ",1,1,1", "3,1,1,1", "5,1,1,1", "7,1,1,1", "12,1,1,1"));
}

TEST(TriangleRecordTest, EqualKeysEndWhereTheExchangesLeaveThem) {
  // i = 0 swaps in 3x; i = 1 swaps 3y with 5a, which ends behind 5b.
  RecordList r{"5,a", "3,x", "5,b", "3,y"};
  SortTriangleRecords(r);
  EXPECT_THAT(r, ElementsAre("3,x", "3,y", "5,b", "5,a"));

  RecordList one{"9,1,1,1"}, none;
  SortTriangleRecords(one);
  SortTriangleRecords(none);
  EXPECT_THAT(one, ElementsAre("9,1,1,1"));
  EXPECT_THAT(none, IsEmpty());
}

TEST(TriangleRecordTest, SortGivesTheOrderOfThePlainExchangeLoop) {
  // The loop as the table has always run it, keys parsed in place.
  auto plain = [](RecordList r) {
    for (std::size_t i = 0; i + 1 < r.size(); ++i)
      for (std::size_t j = i + 1; j < r.size(); ++j)
        if (NumberKey(r[j]) < NumberKey(r[i])) std::swap(r[i], r[j]);
    return r;
  };
  std::mt19937 random(20);
  for (int round = 0; round < 200; ++round) {
    const int n = std::uniform_int_distribution<int>(0, 60)(random);
    const int keys = std::uniform_int_distribution<int>(1, 12)(random);
    RecordList r;
    for (int i = 0; i < n; ++i) {
      const int key = std::uniform_int_distribution<int>(-2, keys)(random);
      // -1 stands for a text that is no integer (key 0 beside "0").
      r.push_back((key == -1 ? std::string("x") : std::to_string(key)) + "," + std::to_string(i));
    }
    const RecordList expected = plain(r);
    SortTriangleRecords(r);
    ASSERT_EQ(r, expected) << "round " << round;
  }
}

class CollectTest : public host::testing::HostTest {
 protected:
  std::int64_t NumberText(const std::string& text, annotate::TriangleSides sides, double x = 0) {
    const std::int64_t id = db().AddText(text, {x, 0, 0}, 400);
    document().ObjectIdToObject(id).SetXdata(annotate::TriangleXdata(sides));
    return id;
  }
};

TEST_F(CollectTest, ReadsNumberTextsInSelectionOrderAndSkipsTheRest) {
  NumberText("2", {3000, 5000, 4000});
  db().AddText("5.00", {100, 0, 0}, 300);  // a side label
  db().AddLine({0, 0, 0}, {10, 0, 0});
  NumberText("2", {1, 2, 3});  // duplicates are kept
  NumberText("1,5", {1, 1, 1});  // would not split into four fields
  // The application name with a two-element point item.
  const std::int64_t odd = db().AddText("4", {0, 0, 0}, 400);
  db().Find(odd)->xdata = {{1001, platform::Variant(std::string("QM_ZAVIN"))},
                           {1010, platform::Variant(platform::MakeArray(
                                      platform::VarKind::Double, {platform::Variant(1.0), platform::Variant(2.0)}))}};
  NumberText("3", {0.123456789, 1, 2});

  const auto records = CollectTriangleRecords(document(), true);
  ASSERT_TRUE(records);
  EXPECT_THAT(*records, ElementsAre("2,3000.00000000,5000.00000000,4000.00000000",
                                    "2,1.00000000,2.00000000,3.00000000",
                                    "3,0.12345679,1.00000000,2.00000000"));
  EXPECT_THAT(host::testing::TempSelectionSetNames(document()), IsEmpty());
}

TEST_F(CollectTest, NothingSelectedDiffersFromNoRecord) {
  EXPECT_FALSE(CollectTriangleRecords(document(), true));
  db().AddLine({0, 0, 0}, {10, 0, 0});
  EXPECT_FALSE(CollectTriangleRecords(document(), true));  // the filter keeps texts only
  db().AddText("5.00", {100, 0, 0}, 300);
  const auto records = CollectTriangleRecords(document(), true);
  ASSERT_TRUE(records);
  EXPECT_THAT(*records, IsEmpty());
}

TEST_F(CollectTest, PickedTextsOnly) {
  const std::int64_t seven = NumberText("7", {3, 4, 5}, 0);
  NumberText("8", {3, 4, 5}, 5000);
  t_.input->PushEntity(seven);
  t_.input->PushEnter();
  const auto records = CollectTriangleRecords(document(), false);
  ASSERT_TRUE(records);
  EXPECT_THAT(*records, ElementsAre("7,3.00000000,4.00000000,5.00000000"));

  t_.input->PushCancel();
  EXPECT_THROW(CollectTriangleRecords(document(), false), platform::HostError);
  EXPECT_THAT(host::testing::TempSelectionSetNames(document()), IsEmpty());
}

}  // namespace
}  // namespace zavin::table

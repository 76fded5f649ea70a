#include "host/database.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "tests/cad/host_probe.h"
#include "tests/host/test_host.h"

namespace zavin::host {
namespace {

using ::testing::Contains;
using ::testing::IsEmpty;
using ::testing::Not;

class DatabaseHelperTest : public testing::HostTest {
 protected:
  std::vector<std::string> TempSets() const { return testing::TempSelectionSetNames(document()); }
  std::vector<std::string> LayerNames() const {
    std::vector<std::string> names;
    for (const cad::Layer& l : db().layers()) names.push_back(l.name);
    return names;
  }
};

TEST_F(DatabaseHelperTest, EnsureLayerComparesWithoutCaseAndKeepsTheGivenCase) {
  db().AddLayer("H_TEXT");
  const std::string current = db().GetVar("CLAYER").ToText();

  EnsureLayer(document(), "h_text");
  EXPECT_EQ(db().layers().size(), 2u);

  EnsureLayer(document(), "H_Hen");
  EXPECT_THAT(LayerNames(), Contains("H_Hen"));
  EXPECT_EQ(db().layers().size(), 3u);
  EXPECT_EQ(db().GetVar("CLAYER").ToText(), current);
}

TEST_F(DatabaseHelperTest, NextNumberedNameCountsOnFromTheHighestSuffix) {
  const struct {
    std::vector<std::string> blocks;
    const char* expected;
  } cases[] = {
      {{}, "Zavin_1"},
      {{"Zavin_1", "ZAVIN_7"}, "Zavin_8"},
      {{"Zavin_2", "Zavin_x"}, "Zavin_3"},  // x counts as 0
      {{"Old_Zavin_9"}, "Zavin_1"},         // prefix only later in the name
      {{"Zavin_"}, "Zavin_1"},
      {{"Zavin_-4", "Zavin_+3"}, "Zavin_4"},
      {{"Zavin_99999999999"}, "Zavin_1"},   // not a 32-bit integer
      {{"Zavin_2147483647"}, "Zavin_2147483648"},
      {{"Zavin_3 "}, "Zavin_1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    Restart();
    for (const std::string& b : c.blocks) db().AddBlock(b);
    EXPECT_EQ(NextNumberedName(document(), "Zavin_"), c.expected);
  }
}

TEST_F(DatabaseHelperTest, AddNumberedBlockCreatesTheNextDefinitionAtTheOrigin) {
  db().AddBlock("zavin_4");
  const NumberedBlock made = AddNumberedBlock(document(), "Zavin_");
  EXPECT_EQ(made.name, "Zavin_5");
  const cad::Block* stored = db().FindBlock("Zavin_5");
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->origin, (cad::Point3{0, 0, 0}));
  made.block.AddLine({0, 0, 0}, {1, 0, 0});
  EXPECT_EQ(stored->entities.size(), 1u);
}

TEST_F(DatabaseHelperTest, DeleteBlockDeletesTheFirstMatchAndReportsEveryFailureAsFalse) {
  db().AddBlock("Keep");
  db().AddBlock("Zavin_3");
  EXPECT_FALSE(DeleteBlock(document(), "Zavin_4"));
  EXPECT_EQ(db().blocks().size(), 2u);

  EXPECT_TRUE(DeleteBlock(document(), "ZAVIN_3"));
  EXPECT_EQ(db().FindBlock("Zavin_3"), nullptr);
  EXPECT_NE(db().FindBlock("Keep"), nullptr);

  db().InsertBlock("Keep", {5, 5, 0});  // a reference makes the host refuse
  EXPECT_FALSE(DeleteBlock(document(), "Keep"));
  EXPECT_NE(db().FindBlock("Keep"), nullptr);
}

TEST_F(DatabaseHelperTest, NewTempSelectionSetTakesTheNextFreeNumber) {
  const SelectionSets sets = document().GetSelectionSets();
  EXPECT_EQ(NewTempSelectionSet(document()).Name(), "SSTEMP_1");
  sets.Item(0).Delete();

  for (const char* name : {"SSTEMP_1", "ssTemp_4", "OTHER99"}) sets.Add(name);
  const SelectionSet made = NewTempSelectionSet(document());
  EXPECT_EQ(made.Name(), "SSTEMP_5");
  EXPECT_EQ(made.Count(), 0);
}

// A host that stops answering keeps a variable from being written back and a
// temporary set from being deleted; both are done once it answers again.
TEST_F(DatabaseHelperTest, CleanUpTheHostFailsWaitsUntilItAnswers) {
  db().SetVar("SNAPMODE", std::int16_t{0});
  const Document doc = document();
  {
    ScopedTempSelectionSet set(doc);
    cad::testing::Probe(host()).faults().reject_until_ms = std::numeric_limits<std::int64_t>::max();
    RestoreVariable(doc, "SNAPMODE", Variant(std::int16_t{1}));
  }
  cad::testing::Probe(host()).faults().reject_until_ms = -1;
  EXPECT_THAT(TempSets(), Not(IsEmpty()));
  EXPECT_EQ(db().GetVar("SNAPMODE").ToInt32(), 0);
  FinishPendingCleanUp(doc);
  EXPECT_THAT(TempSets(), IsEmpty());
  EXPECT_EQ(db().GetVar("SNAPMODE").ToInt32(), 1);
  const std::int64_t calls = host().call_count();
  FinishPendingCleanUp(doc);
  EXPECT_EQ(host().call_count(), calls) << "nothing is left to do";
}

TEST_F(DatabaseHelperTest, LastEntityIsTheNewestEntityNoneOrUnknown) {
  EXPECT_EQ(ReadLastEntity(document()), LastEntity::None());
  db().AddLine({0, 0, 0}, {1, 0, 0});
  const std::int64_t text = db().AddText("1", {0, 0, 0}, 2.5);
  EXPECT_EQ(ReadLastEntity(document()), LastEntity::Of(text));  // the full 64-bit id
  EXPECT_THAT(TempSets(), IsEmpty());
  cad::testing::Probe(host()).faults().fail_call = host().call_count() + 2;
  const LastEntity failed = ReadLastEntity(document());
  EXPECT_FALSE(failed.known());
  EXPECT_EQ(failed.id(), std::nullopt);
  // Nothing is new next to an unknown read, and an unknown read is never new.
  EXPECT_FALSE(failed.NewerIs(LastEntity::Of(text)));
  EXPECT_FALSE(LastEntity::None().NewerIs(failed));
  EXPECT_TRUE(LastEntity::None().NewerIs(LastEntity::Of(text)));
  EXPECT_FALSE(LastEntity::Of(text).NewerIs(LastEntity::Of(text)));
}

TEST_F(DatabaseHelperTest, ExplodeLastInsertOnlyForAReferenceToExactlyThatBlock) {
  const struct {
    const char* name;
    const char* last;  // block the last reference names, nullptr: a line is last
    bool exploded;
  } cases[] = {
      {"reference to the block", "Zavin_3", true},
      {"line last", nullptr, false},
      {"reference to another block", "Other", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Restart();
    db().AddBlock("Zavin_3");
    db().AddBlock("Other");
    db().Add(cad::LineData{{0, 0, 0}, {10, 0, 0}}, {}, db().FindBlock("Zavin_3")->id);
    db().Add(cad::LineData{{0, 0, 0}, {0, 10, 0}}, {}, db().FindBlock("Other")->id);
    db().AddText("x", {50, 50, 0}, 2.5);
    std::int64_t reference = 0;
    if (c.last) {
      reference = db().InsertBlock(c.last, {3, 4, 0});
    } else {
      db().AddLine({1, 1, 0}, {2, 2, 0});
    }
    const std::size_t entities = db().model_space().size();

    const auto point = ExplodeLastInsert(document(), "Zavin_3");

    EXPECT_EQ(point.has_value(), c.exploded);
    if (c.exploded) {
      EXPECT_DOUBLE_EQ(static_cast<double>(point->x), 3);
      EXPECT_DOUBLE_EQ(static_cast<double>(point->y), 4);
      EXPECT_EQ(db().Find(reference), nullptr);
      EXPECT_EQ(db().model_space().size(), entities);  // reference out, its line in
    } else {
      EXPECT_EQ(db().model_space().size(), entities);
      if (reference) {
        EXPECT_NE(db().Find(reference), nullptr);
      }
    }
    EXPECT_THAT(TempSets(), IsEmpty());
  }
}

// Which helpers pass a host error on to the command and which swallow it.
TEST_F(DatabaseHelperTest, HostErrorsPassOnOnlyFromTheCreatingHelpers) {
  const struct {
    const char* name;
    bool passes_on;
    std::function<void(const Document&)> run;
  } helpers[] = {
      {"EnsureLayer", true, [](const Document& d) { EnsureLayer(d, "NEW"); }},
      {"NextNumberedName", true, [](const Document& d) { NextNumberedName(d, "Zavin_"); }},
      {"AddNumberedBlock", true, [](const Document& d) { AddNumberedBlock(d, "Zavin_"); }},
      {"NewTempSelectionSet", true, [](const Document& d) { NewTempSelectionSet(d); }},
      {"DeleteBlock", false, [](const Document& d) { EXPECT_FALSE(DeleteBlock(d, "Zavin_1")); }},
      {"ReadLastEntity", false, [](const Document& d) { EXPECT_FALSE(ReadLastEntity(d).known()); }},
      {"ExplodeLastInsert", false,
       [](const Document& d) { EXPECT_FALSE(ExplodeLastInsert(d, "Zavin_1")); }},
  };
  for (const auto& h : helpers) {
    SCOPED_TRACE(h.name);
    Restart();
    db().AddBlock("Zavin_1");
    db().InsertBlock("Zavin_1", {0, 0, 0});
    const Document doc = document();
    cad::testing::Probe(host()).faults().fail_call = host().call_count() + 1;
    if (h.passes_on) {
      EXPECT_THROW(h.run(doc), platform::HostError);
    } else {
      EXPECT_NO_THROW(h.run(doc));
    }
  }
}

// A failure at any call of the selecting helpers still deletes their set.
TEST_F(DatabaseHelperTest, SelectingHelpersLeaveNoTemporarySetWhereverTheHostFails) {
  const struct {
    const char* name;
    std::function<void(const Document&)> run;
  } helpers[] = {
      {"ReadLastEntity", [](const Document& d) { ReadLastEntity(d); }},
      {"ExplodeLastInsert", [](const Document& d) { ExplodeLastInsert(d, "Zavin_1"); }},
  };
  const auto seed = [this] {
    Restart();
    db().AddBlock("Zavin_1");
    db().Add(cad::LineData{{0, 0, 0}, {1, 0, 0}}, {}, db().FindBlock("Zavin_1")->id);
    db().InsertBlock("Zavin_1", {0, 0, 0});
    return document();
  };
  for (const auto& h : helpers) {
    const Document clean = seed();
    const std::int64_t before = host().call_count();
    h.run(clean);
    const std::int64_t calls = host().call_count() - before;
    EXPECT_GT(calls, 3);
    for (std::int64_t k = 1; k <= calls; ++k) {
      SCOPED_TRACE(std::string(h.name) + " failing at call " + std::to_string(k));
      const Document doc = seed();
      cad::testing::Probe(host()).faults().fail_call = host().call_count() + k;
      EXPECT_NO_THROW(h.run(doc));
      cad::testing::Probe(host()).faults().fail_call = 0;
      EXPECT_THAT(TempSets(), IsEmpty());
    }
  }
}

}  // namespace
}  // namespace zavin::host

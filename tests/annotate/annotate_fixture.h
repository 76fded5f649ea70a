#pragma once

// An embedded host with the default text layer, and views of its drawing for
// the annotation writer tests.

#include <ostream>
#include <string>
#include <vector>

#include "annotate/record.h"
#include "cad/db/database.h"
#include "platform/variant.h"
#include "tests/host/test_host.h"

namespace zavin::annotate::testing {

inline constexpr double kPi = 3.14159265358979323846;

struct DrawnLine {
  cad::Point3 start, end;
  std::string layer;
  friend bool operator==(const DrawnLine&, const DrawnLine&) = default;
  friend std::ostream& operator<<(std::ostream& os, const DrawnLine& l) {
    return os << "(" << l.start.x << "," << l.start.y << ")-(" << l.end.x << "," << l.end.y
              << ") " << l.layer;
  }
};

class AnnotateTest : public host::testing::HostTest {
 protected:
  AnnotateTest() { db().AddLayer("H_TEXT"); }

  void Restart(const std::string& prog_id = host::testing::kTestProgId) {
    HostTest::Restart(prog_id);
    db().AddLayer("H_TEXT");
  }

  std::vector<const cad::Entity*> Of(cad::EntityKind kind) const { return db().OfKind(kind); }
  std::vector<const cad::Entity*> Texts() const { return Of(cad::EntityKind::Text); }

  const cad::TextData& OnlyText() const {
    const auto texts = Texts();
    EXPECT_EQ(texts.size(), 1u);
    static const cad::TextData none;
    return texts.empty() ? none : *texts.front()->as<cad::TextData>();
  }

  std::vector<DrawnLine> Lines() const {
    std::vector<DrawnLine> out;
    for (const cad::Entity* e : Of(cad::EntityKind::Line)) {
      const cad::LineData& l = *e->as<cad::LineData>();
      out.push_back({l.start, l.end, e->layer});
    }
    return out;
  }

  std::vector<std::string> TextStrings() const {
    std::vector<std::string> out;
    for (const cad::Entity* e : Texts()) out.push_back(e->as<cad::TextData>()->text);
    return out;
  }

  // Temporary selection sets left in the drawing.
  std::vector<std::string> TempSets() const {
    std::vector<std::string> temp;
    for (const std::string& name : host::testing::SelectionSetNames(document()))
      if (platform::UpperAscii(name).starts_with("SSTEMP_")) temp.push_back(name);
    return temp;
  }

  CreatedObjectRecord record_;
};

}  // namespace zavin::annotate::testing

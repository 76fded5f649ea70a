// The example drawings and every script written for them: each run saves a
// drawing that reopens with what was annotated, and every file the project
// writes passes another strict reader's check.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/batch.h"
#include "cad/db/database.h"
#include "cad/dxf/dxf_file.h"
#include "tests/platform/comma_locale.h"

namespace zavin::app {
namespace {

namespace fs = std::filesystem;
using cad::Entity;
using platform::Variant;
using platform::VarKind;

constexpr double kTol = 1e-9;

// What each run yields: the numbered triangles and their total area, which
// is the lot's (mm², the drawings are in millimetres).
struct Expected {
  int triangles;
  double area;
};
const std::map<std::string, Expected>& ExpectedRuns() {
  static const std::map<std::string, Expected> runs = {
      {"convex_lot", {2, 294e6}},
      {"convex_lot_two_side", {2, 294e6}},
      {"l_shaped_lot", {4, 240e6}},
      {"l_shaped_lot_two_side", {4, 240e6}},
      {"split_lot", {3, 392e6}},
      {"split_lot_group", {3, 392e6}},
      {"split_lot_two_side", {3, 392e6}},
      // Split by the chord of its arc side.
      {"arc_lot", {2, 336e6}},
  };
  return runs;
}

struct Example {
  fs::path drawing;
  std::vector<fs::path> scripts;
};

// Drawings with the scripts named after them ("lot.zvs", "lot_*.zvs"); a
// script goes with the longest drawing name it starts with.
std::vector<Example> Examples(const fs::path& dir) {
  std::vector<Example> out;
  std::vector<fs::path> scripts;
  for (const auto& f : fs::directory_iterator(dir)) {
    if (f.path().extension() == ".dxf") out.push_back({f.path(), {}});
    if (f.path().extension() == ".zvs") scripts.push_back(f.path());
  }
  std::sort(out.begin(), out.end(), [](auto& a, auto& b) { return a.drawing < b.drawing; });
  std::sort(scripts.begin(), scripts.end());
  for (const auto& s : scripts) {
    const std::string name = s.stem().string();
    Example* best = nullptr;
    for (auto& e : out) {
      const std::string base = e.drawing.stem().string();
      const bool match = name == base || name.rfind(base + "_", 0) == 0;
      if (match && (!best || base.size() > best->drawing.stem().string().size())) best = &e;
    }
    if (best) best->scripts.push_back(s);
    else ADD_FAILURE() << s << " has no drawing";
  }
  return out;
}

bool Near(double a, double b) { return std::fabs(a - b) <= kTol * std::max(1.0, std::fabs(a)); }
bool Near(const cad::Point3& a, const cad::Point3& b) {
  return Near(a.x, b.x) && Near(a.y, b.y) && Near(a.z, b.z);
}

bool SameValue(const Variant& a, const Variant& b) {
  if (a.kind() != b.kind()) return false;
  if (a.is_array()) {
    const auto &x = a.array(), &y = b.array();
    if (x.element != y.element || x.lower != y.lower || x.items.size() != y.items.size())
      return false;
    for (std::size_t i = 0; i < x.items.size(); ++i)
      if (!SameValue(x.items[i], y.items[i])) return false;
    return true;
  }
  if (a.kind() == VarKind::Double) return Near(a.ToDouble(), b.ToDouble());
  return a == b;
}

// Kind, layer, geometry, text and extended data of two entities; empty when
// they agree.
std::string Difference(const Entity& a, const Entity& b) {
  if (a.kind() != b.kind()) return std::string("kind ") + DxfName(a) + " / " + DxfName(b);
  if (a.layer != b.layer) return "layer " + a.layer + " / " + b.layer;
  bool same = true;
  if (auto* l = a.as<cad::LineData>()) {
    auto* m = b.as<cad::LineData>();
    same = Near(l->start, m->start) && Near(l->end, m->end);
  } else if (auto* p = a.as<cad::PolylineData>()) {
    auto* q = b.as<cad::PolylineData>();
    same = p->closed == q->closed && p->two_d == q->two_d && Near(p->elevation, q->elevation) &&
           p->vertices.size() == q->vertices.size();
    for (std::size_t i = 0; same && i < p->vertices.size(); ++i)
      same = Near(p->vertices[i].first, q->vertices[i].first) &&
             Near(p->vertices[i].second, q->vertices[i].second) && Near(p->Bulge(i), q->Bulge(i));
  } else if (auto* t = a.as<cad::TextData>()) {
    auto* u = b.as<cad::TextData>();
    if (t->text != u->text) return "text \"" + t->text + "\" / \"" + u->text + "\"";
    same = t->alignment == u->alignment && Near(t->insertion, u->insertion) &&
           Near(t->height, u->height) && Near(t->rotation, u->rotation) &&
           (t->alignment == cad::kAlignLeft || Near(t->alignment_point, u->alignment_point));
  } else if (auto* c = a.as<cad::CircleData>()) {
    auto* d = b.as<cad::CircleData>();
    same = Near(c->center, d->center) && Near(c->radius, d->radius);
  } else if (auto* r = a.as<cad::ArcData>()) {
    auto* s = b.as<cad::ArcData>();
    same = Near(r->center, s->center) && Near(r->radius, s->radius) &&
           Near(r->start_angle, s->start_angle) && Near(r->end_angle, s->end_angle);
  } else if (auto* br = a.as<cad::BlockRefData>()) {
    auto* bs = b.as<cad::BlockRefData>();
    same = br->name == bs->name && Near(br->insertion, bs->insertion) &&
           Near(br->scale, bs->scale) && Near(br->rotation, bs->rotation);
  } else if (auto* ld = a.as<cad::LeaderData>()) {
    auto* le = b.as<cad::LeaderData>();
    same = ld->vertices.size() == le->vertices.size() && Near(ld->arrow_size, le->arrow_size) &&
           ld->arrow_block == le->arrow_block;
    for (std::size_t i = 0; same && i < ld->vertices.size(); ++i)
      same = Near(ld->vertices[i], le->vertices[i]);
  }
  if (!same) return std::string("geometry of a ") + DxfName(a);
  if (a.xdata.size() != b.xdata.size()) return "number of extended-data items";
  for (std::size_t i = 0; i < a.xdata.size(); ++i)
    if (a.xdata[i].code != b.xdata[i].code || !SameValue(a.xdata[i].value, b.xdata[i].value))
      return "extended-data item " + std::to_string(i);
  return {};
}

void ExpectSameEntities(const cad::EntityMap& a, const cad::EntityMap& b) {
  ASSERT_EQ(a.size(), b.size());
  auto i = a.begin(), j = b.begin();
  for (int n = 0; i != a.end(); ++i, ++j, ++n)
    EXPECT_EQ(Difference(i->second, j->second), "") << "entity " << n;
}

void ExpectSameDrawing(const cad::Database& a, const cad::Database& b) {
  ExpectSameEntities(a.model_space(), b.model_space());
  ASSERT_EQ(a.blocks().size(), b.blocks().size());
  for (std::size_t i = 0; i < a.blocks().size(); ++i) {
    SCOPED_TRACE("block " + a.blocks()[i].name);
    EXPECT_EQ(a.blocks()[i].name, b.blocks()[i].name);
    EXPECT_TRUE(Near(a.blocks()[i].origin, b.blocks()[i].origin));
    ExpectSameEntities(a.blocks()[i].entities, b.blocks()[i].entities);
  }
  std::vector<std::string> la, lb;
  for (const auto& l : a.layers()) la.push_back(l.name);
  for (const auto& l : b.layers()) lb.push_back(l.name);
  std::sort(la.begin(), la.end());
  std::sort(lb.begin(), lb.end());
  EXPECT_EQ(la, lb);
}

// Number text -> the three sides of its QM_ZAVIN record.
std::map<std::string, std::vector<double>> Records(const cad::Database& db) {
  std::map<std::string, std::vector<double>> out;
  for (const Entity* e : db.OfKind(cad::EntityKind::Text))
    if (e->xdata.size() == 2 && e->xdata[0].value == Variant("QM_ZAVIN") &&
        e->xdata[1].value.is_array()) {
      std::vector<double> sides;
      for (const auto& v : e->xdata[1].value.array().items) sides.push_back(v.ToDouble());
      out[e->as<cad::TextData>()->text] = sides;
    }
  return out;
}

std::string Read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

struct BatchRun {
  fs::path drawing, script, out;
  std::string log, error;
};

// Every script is run once for the suite, into a directory of its own.
class ExamplesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Test cases may run in processes of their own at the same time.
    dir_ = fs::temp_directory_path() / ("zavin_examples_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    for (const auto& ex : Examples(ZAVIN_EXAMPLES_DIR))
      for (const auto& script : ex.scripts) {
        BatchRun r{ex.drawing, script, dir_ / (script.stem().string() + ".out.dxf"), {}, {}};
        BatchOptions o;
        o.drawing = r.drawing;
        o.script = r.script;
        o.out = r.out;
        std::ostringstream log;
        try {
          RunBatch(o, log);
        } catch (const std::exception& e) {
          r.error = e.what();
        }
        r.log = log.str();
        runs_.push_back(std::move(r));
      }
  }
  static void TearDownTestSuite() {
    fs::remove_all(dir_);
    runs_.clear();
  }

  static inline fs::path dir_;
  static inline std::vector<BatchRun> runs_;
};

// Each run's drawing reopens with the same contents when it is saved again,
// keeps the example's own entities first and in order, and holds the
// numbered triangles of the lot.
TEST_F(ExamplesTest, EveryRunSavesWhatItAnnotated) {
  ASSERT_FALSE(runs_.empty());
  for (const auto& ex : Examples(ZAVIN_EXAMPLES_DIR))
    EXPECT_FALSE(ex.scripts.empty()) << ex.drawing << " has no script";
  for (const BatchRun& run : runs_) {
    const std::string name = run.script.stem().string();
    SCOPED_TRACE(name);
    ASSERT_EQ(run.error, "");
    EXPECT_THAT(run.log, ::testing::Not(::testing::HasSubstr("note:")));
    cad::Database original;
    ASSERT_EQ(cad::LoadDxf(run.drawing, original).Warning(), "");
    cad::Database saved;
    const cad::DxfLoadReport report = cad::LoadDxf(run.out, saved);
    EXPECT_EQ(report.Warning(), "");
    EXPECT_THAT(report.app_ids, ::testing::Contains("QM_ZAVIN"));

    // The run's drawing, saved once more, comes back unchanged: nothing it
    // holds is lost or altered on the way through the file.
    cad::SaveDxf(saved, dir_ / "again.dxf");
    cad::Database again;
    cad::LoadDxf(dir_ / "again.dxf", again);
    ExpectSameDrawing(saved, again);

    // The lot's own entities come first, as they were.
    ASSERT_GE(saved.model_space().size(), original.model_space().size());
    auto s = saved.model_space().begin();
    for (const auto& [id, e] : original.model_space()) EXPECT_EQ(Difference(e, (s++)->second), "");

    const auto it = ExpectedRuns().find(name);
    ASSERT_NE(it, ExpectedRuns().end()) << "no expected result for " << name;
    const auto records = Records(saved);
    ASSERT_EQ(records.size(), static_cast<std::size_t>(it->second.triangles));
    double area = 0;
    for (int n = 1; n <= it->second.triangles; ++n) {
      const auto r = records.find(std::to_string(n));
      ASSERT_NE(r, records.end()) << "no triangle No. " << n;
      ASSERT_EQ(r->second.size(), 3u);
      const auto& sd = r->second;
      const double p = (sd[0] + sd[1] + sd[2]) / 2;
      area += std::sqrt(std::max(0.0, p * (p - sd[0]) * (p - sd[1]) * (p - sd[2])));
    }
    EXPECT_NEAR(area, it->second.area, 1e-6 * it->second.area);
  }
}

// The commands send and write numbers with '.' whatever the locale: every
// run under a comma-decimal locale draws what it drew under "C".
TEST_F(ExamplesTest, EveryRunDrawsTheSameUnderACommaDecimalLocale) {
  std::vector<fs::path> outs;
  {
    tests::ScopedCommaLocale comma;
    ASSERT_TRUE(comma.active());
    for (const BatchRun& run : runs_) {
      BatchOptions o;
      o.drawing = run.drawing;
      o.script = run.script;
      o.out = dir_ / (run.script.stem().string() + ".comma.dxf");
      std::ostringstream log;
      EXPECT_NO_THROW(RunBatch(o, log)) << run.script;
      outs.push_back(o.out);
    }
  }
  ASSERT_EQ(outs.size(), runs_.size());
  for (std::size_t i = 0; i < runs_.size(); ++i) {
    SCOPED_TRACE(runs_[i].script.filename().string());
    cad::Database plain, comma;
    cad::LoadDxf(runs_[i].out, plain);
    cad::LoadDxf(outs[i], comma);
    ExpectSameDrawing(plain, comma);
    EXPECT_EQ(Read(outs[i]), Read(runs_[i].out));
  }
}

// The strict reader of another DXF library, with its audit: the examples and
// every run's drawing.
TEST_F(ExamplesTest, AnotherStrictReaderTakesEveryWrittenFile) {
  if (!fs::exists("/usr/bin/python3") ||
      std::system("/usr/bin/python3 -c 'import ezdxf' > /dev/null 2>&1") != 0)
    GTEST_SKIP() << "/usr/bin/python3 with ezdxf is needed";

  std::vector<fs::path> files;
  std::map<std::string, int> numbered;  // file name -> triangles expected
  for (const auto& ex : Examples(ZAVIN_EXAMPLES_DIR)) {
    files.push_back(ex.drawing);
    numbered[ex.drawing.filename().string()] = 0;
  }
  for (const BatchRun& run : runs_) {
    ASSERT_EQ(run.error, "") << run.script;
    files.push_back(run.out);
    const auto it = ExpectedRuns().find(run.script.stem().string());
    numbered[run.out.filename().string()] = it == ExpectedRuns().end() ? -1 : it->second.triangles;
  }

  // One line a file: audit errors, audit fixes, application ids used in
  // extended data but missing from the APPID table, texts with a QM_ZAVIN
  // record and how many of them are not whole numbers.
  std::ofstream(dir_ / "check.py") << R"(import os, sys, ezdxf
for path in sys.argv[1:]:
    name = os.path.basename(path)
    try:
        doc = ezdxf.readfile(path)
    except Exception as e:
        print(name, 'unreadable:', type(e).__name__, str(e).replace('\n', ' '))
        continue
    audit = doc.audit()
    used = set()
    for e in doc.entitydb.values():
        if getattr(e, 'xdata', None):
            used.update(e.xdata.data.keys())
    undeclared = sorted(a for a in used if not doc.appids.has_entry(a))
    marked = [e.dxf.text for e in doc.modelspace().query('TEXT') if e.has_xdata('QM_ZAVIN')]
    print(name, len(audit.errors), len(audit.fixes), ','.join(undeclared) or '-', len(marked),
          sum(1 for t in marked if not t.isdigit()))
)";
  std::string cmd = "/usr/bin/python3 " + (dir_ / "check.py").string();
  for (const auto& f : files) cmd += " '" + f.string() + "'";
  cmd += " > " + (dir_ / "check.txt").string() + " 2>&1";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << Read(dir_ / "check.txt");

  std::istringstream lines(Read(dir_ / "check.txt"));
  std::string line;
  std::size_t seen = 0;
  while (std::getline(lines, line)) {
    SCOPED_TRACE(line);
    std::istringstream in(line);
    std::string name, undeclared;
    int errors = -1, fixes = -1, marked = -1, not_numbers = -1;
    in >> name >> errors >> fixes >> undeclared >> marked >> not_numbers;
    ASSERT_TRUE(numbered.count(name)) << "unexpected output";
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(fixes, 0);
    EXPECT_EQ(undeclared, "-") << "application ids not in the APPID table";
    EXPECT_EQ(marked, numbered[name]) << "number texts with a QM_ZAVIN record";
    EXPECT_EQ(not_numbers, 0);
    ++seen;
  }
  EXPECT_EQ(seen, files.size());
}

}  // namespace
}  // namespace zavin::app

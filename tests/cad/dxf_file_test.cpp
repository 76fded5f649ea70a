// Drawing files: round trip of every modelled kind, what another strict reader
// makes of a saved file, malformed and truncated input, and the save guard.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <numbers>
#include <random>
#include <sstream>
#include <string>

#include "cad/db/database.h"
#include "cad/dxf/dxf_file.h"
#include "platform/variant.h"

namespace zavin::cad {
namespace {

namespace fs = std::filesystem;
using platform::Variant;

class DxfFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Unique per run: other build trees run the same tests at the same time.
    dir_ = fs::temp_directory_path() /
           ("zavin_dxf_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
            "_" + std::to_string(std::random_device()()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path Path(const std::string& name) const { return dir_ / name; }
  fs::path Write(const std::string& name, const std::string& text) const {
    std::ofstream(Path(name), std::ios::binary) << text;
    return Path(name);
  }
  static std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  fs::path dir_;
};

std::vector<XdataItem> TriangleRecord(double a, double b, double c) {
  return {{1001, Variant("QM_ZAVIN")}, {1010, platform::MakePointArray(a, b, c)}};
}

// One of everything the database models, with Japanese names and xdata of
// every supported group code.
Database Sample() {
  Database db;
  db.AddLayer("文字");
  db.AddLayer("H_HEN");
  db.SetVar("AUNITS", Variant(std::int32_t{3}));
  db.SetVar("ANGBASE", Variant(90.0));
  db.SetVar("ANGDIR", Variant(std::int32_t{1}));
  db.SetVar("DIMASZ", Variant(3.5));
  db.SetVar("DIMLDRBLK", Variant("_DOT"));
  db.SetVar("DIMSCALE", Variant(500.0));

  db.Add(LineData{{0, 0, 0}, {3000, 0, 0}}, "H_HEN");
  PolylineData pl;
  pl.vertices = {{0, 0}, {10, 0}, {10, 5.25}};
  pl.closed = true;
  pl.elevation = 1.5;
  db.Add(pl, "H_HEN");
  pl.bulges = {0.5, 0, -1.0};
  db.Add(pl, "H_HEN");
  PolylineData old = pl;
  old.two_d = true;
  old.bulges = {0, 0.25, 0};
  old.elevation = 0;
  Entity& old_tagged = db.Add(old, "文字");
  old_tagged.xdata = TriangleRecord(4, 5, 6);
  old.closed = false;
  old.bulges.clear();
  old.vertices = {{-3, -4}, {-50, 2}};
  db.Add(old, "0");
  db.Add(ArcData{{5, 5, 0}, 2, 0.25, 4.0}, "H_HEN");
  db.Add(CircleData{{1, 2, 0}, 0.75}, "文字");
  Entity& number = db.Add(TextData{"7", {}, {1, 2, 0}, kAlignMiddleCenter, 2.5, 0.3}, "文字");
  number.xdata = TriangleRecord(3000, 5000, 3333.3333333333);
  db.Add(TextData{"合計", {5, 6, 0}, {}, kAlignLeft, 3.0, 4.0}, "文字");
  db.Add(TextData{"面積", {}, {8, 9, 0}, kAlignRight, 2.0, -1.0}, "0");
  db.Add(TextData{"境界", {}, {-8, 9, 0}, kAlignTopLeft, 2.0, std::numbers::pi / 2}, "0");
  db.Add(TextData{"BR", {}, {4, -9, 0}, kAlignBottomRight, 1.5, 0}, "0");
  db.Add(TextData{"斜め", {1, 1, 0}, {11, 6, 0}, kAlignAligned, 2.5, 0}, "0");
  db.Add(TextData{"FIT", {0, 20, 0}, {-10, 20, 0}, kAlignFit, 2.5, 0}, "0");
  Entity& tagged = db.Add(LineData{{1, 1, 0}, {2, 2, 0}}, "0");
  tagged.xdata = {{1001, Variant("OTHER_APP")}, {1000, Variant("名前")},
                  {1002, Variant("{")},        {1040, Variant(1e-7)},
                  {1070, Variant(std::int16_t{-12})}, {1071, Variant(std::int32_t{70000})},
                  {1002, Variant("}")},        {1001, Variant("QM_ZAVIN")},
                  {1011, platform::MakePointArray(1, 2, 3)}};
  Entity& leader = db.Add(LeaderData{{{1, 2, 0}, {6, 7, 0}, {12, 7, 0}}, 1.75, ""}, "文字");
  leader.xdata = TriangleRecord(7, 8, 9);
  db.Add(LeaderData{{{0, 0, 0}, {-4, 3, 0}}, 2.5, "_NONE"}, "0");

  Block& b = db.AddBlock("MARK", {1, 1, 0});
  Entity& inner = db.Add(CircleData{{1, 1, 0}, 0.5}, "0", b.id);
  inner.xdata = TriangleRecord(1, 2, 3);
  db.Add(LineData{{0, 1, 0}, {2, 1, 0}}, "0", b.id);
  db.Add(ArcData{{1, 1, 0}, 0.5, -0.5, 3.0}, "0", b.id);
  db.InsertBlock("MARK", {20, 30, 0}, 2.0, 0.5);
  return db;
}

void ExpectSameEntities(const EntityMap& a, const EntityMap& b) {
  ASSERT_EQ(a.size(), b.size());
  auto ib = b.begin();
  for (auto ia = a.begin(); ia != a.end(); ++ia, ++ib) {
    const Entity& x = ia->second;
    const Entity& y = ib->second;
    SCOPED_TRACE(std::string(DxfName(x)) + " " + std::to_string(std::distance(a.begin(), ia)));
    ASSERT_EQ(x.kind(), y.kind());
    EXPECT_EQ(x.layer, y.layer);
    EXPECT_EQ(x.xdata.size(), y.xdata.size());
    for (std::size_t i = 0; i < std::min(x.xdata.size(), y.xdata.size()); ++i) {
      EXPECT_EQ(x.xdata[i].code, y.xdata[i].code) << i;
      EXPECT_TRUE(x.xdata[i].value == y.xdata[i].value) << i << " " << x.xdata[i].value.ToText();
    }
    auto near = [](Point3 p, Point3 q) {
      EXPECT_NEAR(p.x, q.x, 1e-9);
      EXPECT_NEAR(p.y, q.y, 1e-9);
      EXPECT_NEAR(p.z, q.z, 1e-9);
    };
    if (auto* l = x.as<LineData>()) {
      near(l->start, y.as<LineData>()->start);
      near(l->end, y.as<LineData>()->end);
    } else if (auto* p = x.as<PolylineData>()) {
      const auto* q = y.as<PolylineData>();
      EXPECT_EQ(p->vertices, q->vertices);
      EXPECT_EQ(p->closed, q->closed);
      EXPECT_EQ(p->two_d, q->two_d);
      EXPECT_DOUBLE_EQ(p->elevation, q->elevation);
      for (std::size_t i = 0; i < p->vertices.size(); ++i)
        EXPECT_DOUBLE_EQ(p->Bulge(i), q->Bulge(i)) << "bulge " << i;
    } else if (auto* c = x.as<CircleData>()) {
      near(c->center, y.as<CircleData>()->center);
      EXPECT_DOUBLE_EQ(c->radius, y.as<CircleData>()->radius);
    } else if (auto* arc = x.as<ArcData>()) {
      const auto* other = y.as<ArcData>();
      near(arc->center, other->center);
      EXPECT_DOUBLE_EQ(arc->radius, other->radius);
      EXPECT_NEAR(arc->start_angle, other->start_angle, 1e-12);
      EXPECT_NEAR(arc->end_angle, other->end_angle, 1e-12);
    } else if (auto* t = x.as<TextData>()) {
      const auto* u = y.as<TextData>();
      EXPECT_EQ(t->text, u->text);
      EXPECT_EQ(t->alignment, u->alignment);
      near(t->insertion, u->insertion);
      near(t->alignment_point, u->alignment_point);
      EXPECT_DOUBLE_EQ(t->height, u->height);
      EXPECT_NEAR(t->rotation, u->rotation, 1e-12);
    } else if (auto* r = x.as<BlockRefData>()) {
      const auto* s = y.as<BlockRefData>();
      EXPECT_EQ(r->name, s->name);
      near(r->insertion, s->insertion);
      EXPECT_DOUBLE_EQ(r->scale, s->scale);
      EXPECT_NEAR(r->rotation, s->rotation, 1e-12);
    } else if (auto* ld = x.as<LeaderData>()) {
      const auto* other = y.as<LeaderData>();
      ASSERT_EQ(ld->vertices.size(), other->vertices.size());
      for (std::size_t i = 0; i < ld->vertices.size(); ++i) near(ld->vertices[i], other->vertices[i]);
      EXPECT_DOUBLE_EQ(ld->arrow_size, other->arrow_size);
      EXPECT_EQ(ld->arrow_block, other->arrow_block);
    }
  }
}

// Opens `file` and compares it with `db` field by field.
void ExpectReopensAs(const Database& db, const fs::path& file) {
  Database back;
  const DxfLoadReport report = LoadDxf(file, back);
  EXPECT_EQ(report.Warning(), "");
  EXPECT_NE(std::find(report.app_ids.begin(), report.app_ids.end(), "QM_ZAVIN"), report.app_ids.end());
  ExpectSameEntities(db.model_space(), back.model_space());
  ASSERT_EQ(back.blocks().size(), 1u);
  EXPECT_EQ(back.blocks()[0].name, "MARK");
  EXPECT_EQ(back.blocks()[0].origin, (Point3{1, 1, 0}));
  ExpectSameEntities(db.blocks()[0].entities, back.blocks()[0].entities);
  for (const char* layer : {"文字", "H_HEN", "0"}) EXPECT_NE(back.FindLayer(layer), nullptr) << layer;
  for (const char* name : kHeaderVars) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(db.GetVar(name) == back.GetVar(name)) << back.GetVar(name).ToText();
  }
}

TEST_F(DxfFileTest, EveryModelledKindSurvivesSaveAndReopen) {
  const Database db = Sample();
  SaveDxf(db, Path("a.dxf"));
  ExpectReopensAs(db, Path("a.dxf"));
}

// "ARC=1 CIRCLE=2 ..." in name order, as the check script prints them.
std::string Counts(const EntityMap& m) {
  std::map<std::string, int> n;
  for (const auto& [id, e] : m) ++n[DxfName(e)];
  std::string s;
  for (const auto& [name, count] : n) s += " " + name + "=" + std::to_string(count);
  return s;
}

bool HaveEzdxf() {
  return fs::exists("/usr/bin/python3") &&
         std::system("/usr/bin/python3 -c 'import ezdxf' > /dev/null 2>&1") == 0;
}

// ezdxf's strict reader and audit as an independent judge of a saved file,
// followed by our own reader on the same file.
TEST_F(DxfFileTest, StrictReaderFindsASoundFileThatReopensAsSaved) {
  if (!HaveEzdxf()) GTEST_SKIP() << "/usr/bin/python3 with ezdxf is not available";
  const Database db = Sample();
  SaveDxf(db, Path("a.dxf"));
  SaveDxf(Database(), Path("empty.dxf"));
  const char* script = R"(import sys, collections, ezdxf
def counts(space):
    n = collections.Counter(e.dxftype() for e in space)
    return ''.join(' %s=%d' % kv for kv in sorted(n.items()))
for f in sys.argv[1:]:
    d = ezdxf.readfile(f)
    a = d.audit()
    print(f.split('/')[-1], d.dxfversion, 'errors', len(a.errors), 'fixes', len(a.fixes))
    for x in a.errors + a.fixes:
        print('  audit:', x.message)
    apps = set()
    for e in d.entitydb.values():
        if getattr(e, 'xdata', None):
            apps |= set(e.xdata.data.keys())
    print('undeclared', sorted(x for x in apps if not d.appids.has_entry(x)))
    print('model' + counts(d.modelspace()))
    if 'MARK' in d.blocks:
        print('MARK' + counts(d.blocks.get('MARK')))
    for e in d.modelspace():
        t = e.dxftype()
        if t == 'TEXT':
            print('text', e.dxf.text, e.dxf.layer, e.get_xdata('QM_ZAVIN') if e.has_xdata('QM_ZAVIN') else '')
        elif t == 'ARC':
            print('arc %.9f %.9f' % (e.dxf.start_angle, e.dxf.end_angle))
        elif t == 'LWPOLYLINE':
            print('lw', [b for *_, b in e.get_points('b')], e.closed, e.dxf.elevation)
        elif t == 'POLYLINE':
            print('2d', e.get_mode(), [float(v.dxf.bulge) for v in e.vertices], e.is_closed,
                  e.get_xdata('QM_ZAVIN') if e.has_xdata('QM_ZAVIN') else '')
        elif t == 'LEADER':
            print('leader', len(e.vertices), e.dxf.has_arrowhead, e.get_xdata('ACAD'))
    h = d.header
    print('header', h['$DIMSCALE'], h['$AUNITS'], h['$ANGBASE'], h['$ANGDIR'], h['$DIMASZ'], h['$DIMLDRBLK'])
    print('extents %.6f %.6f %.6f %.6f' % (h['$EXTMIN'][0], h['$EXTMIN'][1], h['$EXTMAX'][0], h['$EXTMAX'][1]))
)";
  Write("check.py", script);
  const std::string cmd = "/usr/bin/python3 " + Path("check.py").string() + " " +
                          Path("a.dxf").string() + " " + Path("empty.dxf").string() + " > " +
                          Path("out.txt").string() + " 2>&1";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << Read(Path("out.txt"));
  const std::string out = Read(Path("out.txt"));
  const auto [lo, hi] = *db.Extents();
  char extents[200];
  std::snprintf(extents, sizeof extents, "extents %.6f %.6f %.6f %.6f\n", lo.x, lo.y, hi.x, hi.y);
  for (const std::string& expected : {
           std::string("a.dxf AC1021 errors 0 fixes 0\nundeclared []\n"),
           "model" + Counts(db.model_space()) + "\n",
           "MARK" + Counts(db.blocks()[0].entities) + "\n",
           std::string("empty.dxf AC1021 errors 0 fixes 0\nundeclared []\nmodel\n"),
           std::string("text 7 文字 [DXFVertex(1010, (3000.0, 5000.0, 3333.3333333333))]\n"),
           std::string("text 合計 文字 \n"),
           std::string("text 面積 0 \n"),
           std::string("arc 14.323944878 229.183118052\n"),
           std::string("lw [0.0, 0.0, 0.0] True 1.5\n"),
           std::string("lw [0.5, 0.0, -1.0] True 1.5\n"),
           std::string("2d AcDb2dPolyline [0.0, 0.25, 0.0] True [DXFVertex(1010, (4.0, 5.0, 6.0))]\n"),
           std::string("leader 3 1 [DXFTag(1000, 'DSTYLE'), DXFTag(1002, '{'), DXFTag(1070, 41), "
                       "DXFTag(1040, 1.75), DXFTag(1070, 40), DXFTag(1040, 1.0), DXFTag(1002, '}')]\n"),
           std::string("leader 2 0 "),
           std::string("header 500.0 3 90.0 1 3.5 _DOT\n"),
           std::string(extents),
       })
    EXPECT_NE(out.find(expected), std::string::npos) << expected << "\nin\n" << out;

  ExpectReopensAs(db, Path("a.dxf"));
}

// A drawing saved by another writer, with its layouts, paper space, tables
// and objects, opens with the model space entities only.
TEST_F(DxfFileTest, OpensWhatAnotherWriterSaved) {
  if (!HaveEzdxf()) GTEST_SKIP() << "/usr/bin/python3 with ezdxf is not available";
  const char* script = R"(import sys, ezdxf
d = ezdxf.new('R2010')
d.header['$DIMSCALE'] = 100.0
d.layers.add('境界')
d.appids.add('QM_ZAVIN')
m = d.modelspace()
m.add_line((0, 0), (3, 4), dxfattribs={'layer': '境界'})
m.add_arc((1, 1), 2, 90, 180)
m.add_lwpolyline([(0, 0, 0, 0, 0.5), (5, 0, 0, 0, 0), (5, 5)], format='xyseb', close=True)
t = m.add_text('面積', dxfattribs={'height': 2.0, 'rotation': 90})
t.set_placement((10, 20), align=ezdxf.enums.TextEntityAlignment.MIDDLE_CENTER)
t.set_xdata('QM_ZAVIN', [(1010, (1.5, 2.5, 3.5))])
b = d.blocks.new('MARK', base_point=(1, 1))
b.add_circle((1, 1), 0.5)
m.add_blockref('MARK', (20, 30), dxfattribs={'rotation': 45, 'xscale': 2, 'yscale': 2})
m.add_leader([(0, 0), (4, 3), (9, 3)])
d.layouts.get('Layout1').add_line((0, 0), (1, 1))
d.saveas(sys.argv[1])
)";
  Write("make.py", script);
  const std::string cmd = "/usr/bin/python3 " + Path("make.py").string() + " " +
                          Path("other.dxf").string() + " > " + Path("out.txt").string() + " 2>&1";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << Read(Path("out.txt"));

  Database db;
  const DxfLoadReport report = LoadDxf(Path("other.dxf"), db);
  EXPECT_EQ(report.Warning(), "");
  EXPECT_DOUBLE_EQ(db.GetVar("DIMSCALE").ToDouble(), 100.0);
  ASSERT_EQ(db.model_space().size(), 6u) << "the paper-space line stays out";
  auto it = db.model_space().begin();
  const Entity& line = (it++)->second;
  EXPECT_EQ(line.layer, "境界");
  EXPECT_EQ(line.as<LineData>()->end, (Point3{3, 4, 0}));
  const ArcData& arc = *(it++)->second.as<ArcData>();
  EXPECT_NEAR(arc.start_angle, std::numbers::pi / 2, 1e-12);
  EXPECT_NEAR(arc.end_angle, std::numbers::pi, 1e-12);
  const PolylineData& lw = *(it++)->second.as<PolylineData>();
  EXPECT_TRUE(lw.closed);
  EXPECT_EQ(lw.vertices.size(), 3u);
  EXPECT_EQ(lw.bulges, (std::vector<double>{0.5, 0, 0}));
  const Entity& text = (it++)->second;
  EXPECT_EQ(text.as<TextData>()->text, "面積");
  EXPECT_EQ(text.as<TextData>()->alignment, kAlignMiddleCenter);
  EXPECT_EQ(text.as<TextData>()->alignment_point, (Point3{10, 20, 0}));
  EXPECT_NEAR(text.as<TextData>()->rotation, std::numbers::pi / 2, 1e-12);
  ASSERT_EQ(text.xdata.size(), 2u);
  EXPECT_TRUE(text.xdata[1].value == platform::MakePointArray(1.5, 2.5, 3.5));
  const BlockRefData& ref = *(it++)->second.as<BlockRefData>();
  EXPECT_EQ(ref.name, "MARK");
  EXPECT_DOUBLE_EQ(ref.scale, 2);
  EXPECT_NEAR(ref.rotation, std::numbers::pi / 4, 1e-12);
  const LeaderData& leader = *it->second.as<LeaderData>();
  EXPECT_EQ(leader.vertices.size(), 3u);
  EXPECT_TRUE(leader.HasArrow());
  ASSERT_NE(db.FindBlock("MARK"), nullptr);
  EXPECT_EQ(db.FindBlock("MARK")->origin, (Point3{1, 1, 0}));
  EXPECT_EQ(db.FindBlock("MARK")->entities.size(), 1u);
  EXPECT_EQ(db.blocks().size(), 1u) << "layout blocks are not user blocks";
}

// A small drawing in the form other writers use: one line with a record.
std::string Minimal(const std::string& entities) {
  return "0\nSECTION\n2\nHEADER\n9\n$DIMSCALE\n40\n250.0\n0\nENDSEC\n"
         "0\nSECTION\n2\nENTITIES\n" +
         entities + "0\nENDSEC\n0\nEOF\n";
}

TEST_F(DxfFileTest, ReadsForeignFilesAndNamesWhatItSkips) {
  const std::string entities =
      "0\nLINE\n8\nA\n10\n0\n20\n0\n30\n0\n11\n5\n21\n0\n31\n0\n1001\nQM_ZAVIN\n1010\n1\n1020\n2\n1030\n3\n"
      "0\nELLIPSE\n8\nA\n10\n0\n20\n0\n30\n0\n11\n1\n21\n0\n31\n0\n40\n0.5\n1001\nFOREIGN\n1000\nx\n"
      "0\nHATCH\n8\nA\n"
      "0\nELLIPSE\n8\nA\n10\n0\n20\n0\n30\n0\n11\n1\n21\n0\n31\n0\n40\n0.5\n"
      "0\nCIRCLE\n8\nB\n10\n1\n20\n1\n30\n0\n40\n2\n"
      "0\nINSERT\n8\n0\n2\nX\n10\n4\n20\n5\n30\n0\n41\n1\n50\n90\n";
  Database db;
  const DxfLoadReport report = LoadDxf(Write("f.dxf", Minimal(entities)), db);
  EXPECT_EQ(report.Warning(), "skipped entities: ELLIPSE 2, HATCH 1");
  ASSERT_EQ(db.model_space().size(), 3u);
  auto it = db.model_space().begin();
  const Entity& line = (it++)->second;
  ASSERT_EQ(line.xdata.size(), 2u);
  EXPECT_TRUE(line.xdata[1].value == platform::MakePointArray(1, 2, 3));
  EXPECT_EQ(line.layer, "A");
  const Entity& circle = (it++)->second;
  EXPECT_TRUE(circle.xdata.empty()) << "the skipped ellipse's data must not move to the circle";
  EXPECT_EQ(circle.kind(), EntityKind::Circle);
  EXPECT_NEAR(it->second.as<BlockRefData>()->rotation, std::acos(0.0), 1e-12);
  EXPECT_DOUBLE_EQ(db.GetVar("DIMSCALE").ToDouble(), 250.0);
  EXPECT_NE(db.FindLayer("B"), nullptr);
}

// Curves as other writers store them: degrees, a mirrored plane, VERTEX
// entities with spline frame points and extended data of their own, 3D
// polylines the database does not model, a leader without its vertex count
// and with a style override of more than the arrow size.
TEST_F(DxfFileTest, ReadsCurvesAndLeadersOfOtherWriters) {
  const std::string entities =
      "0\nARC\n8\nA\n10\n1\n20\n2\n30\n0\n40\n3\n50\n0\n51\n90\n"
      "0\nARC\n8\nA\n10\n1\n20\n2\n30\n0\n40\n3\n50\n0\n51\n90\n210\n0\n220\n0\n230\n-1\n"
      "0\nPOLYLINE\n8\nB\n66\n1\n10\n0\n20\n0\n30\n2.5\n70\n5\n1001\nQM_ZAVIN\n1000\nmine\n"
      "0\nVERTEX\n8\nB\n10\n9\n20\n9\n30\n2.5\n70\n16\n"
      "0\nVERTEX\n8\nB\n10\n0\n20\n0\n30\n2.5\n42\n1\n70\n8\n1001\nQM_ZAVIN\n1000\nvertex\n"
      "0\nVERTEX\n8\nB\n10\n4\n20\n0\n30\n2.5\n70\n8\n"
      "0\nSEQEND\n8\nB\n"
      "0\nPOLYLINE\n8\nB\n66\n1\n70\n8\n0\nVERTEX\n8\nB\n10\n1\n20\n1\n30\n7\n70\n32\n0\nSEQEND\n8\nB\n"
      "0\nLWPOLYLINE\n8\nA\n90\n2\n70\n0\n10\n1\n20\n0\n42\n0.5\n10\n3\n20\n0\n230\n-1.0\n"
      "0\nLEADER\n8\nA\n3\nStandard\n71\n1\n10\n0\n20\n0\n30\n0\n10\n5\n20\n5\n30\n0\n10\n9\n20\n5\n30\n0\n"
      "1001\nACAD\n1000\nDSTYLE\n1002\n{\n1070\n41\n1040\n0.4\n1070\n140\n1040\n2.0\n1002\n}\n"
      "0\nLEADER\n8\nA\n71\n0\n76\n2\n10\n0\n20\n0\n30\n0\n10\n1\n20\n1\n30\n0\n";
  Database db;
  const DxfLoadReport report = LoadDxf(Write("f.dxf", Minimal(entities)), db);
  EXPECT_EQ(report.Warning(), "skipped entities: POLYLINE (3D or mesh) 1");
  ASSERT_EQ(db.model_space().size(), 6u);
  auto it = db.model_space().begin();
  const ArcData& arc = *(it++)->second.as<ArcData>();
  EXPECT_NEAR(arc.start_angle, 0, 1e-12);
  EXPECT_NEAR(arc.end_angle, std::numbers::pi / 2, 1e-12);
  const ArcData& mirrored = *(it++)->second.as<ArcData>();
  EXPECT_EQ(mirrored.center, (Point3{-1, 2, 0}));
  EXPECT_NEAR(mirrored.start_angle, std::numbers::pi / 2, 1e-12);
  EXPECT_NEAR(mirrored.end_angle, std::numbers::pi, 1e-12);

  const Entity& old = (it++)->second;
  const PolylineData& p = *old.as<PolylineData>();
  EXPECT_TRUE(p.two_d);
  EXPECT_TRUE(p.closed);
  EXPECT_DOUBLE_EQ(p.elevation, 2.5);
  EXPECT_EQ(p.vertices, (std::vector<std::pair<double, double>>{{0, 0}, {4, 0}}))
      << "the spline frame vertex is not on the path";
  EXPECT_EQ(p.bulges, (std::vector<double>{1, 0}));
  ASSERT_EQ(old.xdata.size(), 2u) << "the vertex's data must not join the polyline's";
  EXPECT_EQ(old.xdata[1].value.ToText(), "mine");
  EXPECT_EQ(old.layer, "B");

  const PolylineData& lw = *(it++)->second.as<PolylineData>();
  EXPECT_EQ(lw.vertices, (std::vector<std::pair<double, double>>{{-1, 0}, {-3, 0}}));
  EXPECT_EQ(lw.bulges, (std::vector<double>{-0.5, 0}));

  const Entity& leader = (it++)->second;
  const LeaderData& l = *leader.as<LeaderData>();
  ASSERT_EQ(l.vertices.size(), 3u);
  EXPECT_EQ(l.vertices[2], (Point3{9, 5, 0}));
  EXPECT_TRUE(l.HasArrow());
  EXPECT_DOUBLE_EQ(l.arrow_size, 0.4 * 250.0) << "DIMASZ of the override, DIMSCALE of the header";
  EXPECT_EQ(leader.xdata.size(), 8u) << "an override with more than ours stays";
  const LeaderData& bare = *(it++)->second.as<LeaderData>();
  EXPECT_FALSE(bare.HasArrow());
  EXPECT_DOUBLE_EQ(bare.arrow_size, 2.5 * 250.0);
}

TEST_F(DxfFileTest, OlderReleasesAreReadInTheirCodePage) {
  auto text = [](const std::string& layer, const std::string& s) {
    return "0\nTEXT\n8\n" + layer + "\n10\n0\n20\n0\n30\n0\n40\n2.5\n1\n" + s + "\n";
  };
  auto file = [](const std::string& page, const std::string& entities) {
    return "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n9\n$DWGCODEPAGE\n3\n" + page +
           "\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n" + entities + "0\nENDSEC\n0\nEOF\n";
  };
  struct Case {
    const char* name;
    std::string content;
  } cases[] = {
      {"Shift-JIS", file("ANSI_932", text("\x95\xb6\x8e\x9a", "\x8d\x87\x8c\x76") +
                                         text("0", "\\U+9762\\U+7A4D"))},
      {"UTF-8 under another page", file("ANSI_1252", text("文字", "合計") + text("0", "面積"))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Database db;
    LoadDxf(Write("old.dxf", c.content), db);
    const auto texts = db.OfKind(EntityKind::Text);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0]->as<TextData>()->text, "合計");
    EXPECT_EQ(texts[0]->layer, "文字");
    EXPECT_EQ(texts[1]->as<TextData>()->text, "面積");
  }
}

TEST_F(DxfFileTest, MalformedAndTruncatedFilesNameFileAndLine) {
  const std::string line = "0\nLINE\n8\n0\n10\n0\n20\n0\n30\n0\n11\n5\n21\n0\n31\n0\n";
  const std::string good = Minimal(line);
  struct Case {
    const char* name;
    std::string text;
    int line;
    const char* says;
  } cases[] = {
      {"bad number", Minimal("0\nLINE\n8\n0\n10\n1,5\n"), 20, "number expected for group 10"},
      {"bad code", Minimal("0\nLINE\nxx\n0\n"), 17, "group code expected"},
      {"cut before EOF", good.substr(0, good.size() - 7), 32, "truncated"},
      {"cut inside a pair", good.substr(0, good.find("21\n0\n31")) + "21\n", 27, "has no value"},
      {"no ENDSEC", "0\nSECTION\n2\nENTITIES\n" + line + "0\nSECTION\n2\nBLOCKS\n0\nENDSEC\n0\nEOF\n",
       21, "not closed"},
      {"xdata without app", Minimal(line + "1000\nx\n"), 31, "application name"},
      {"empty file", "", 0, "truncated"},
      {"cut inside an entity", "0\nSECTION\n2\nENTITIES\n0\nARC\n8\n0\n10\n1.5", 10, "truncated"},
      {"word for an angle", Minimal("0\nARC\n8\n0\n10\n0\n20\n0\n40\n1\n50\nabc\n"), 26,
       "number expected for group 50"},
      {"vertex count too high", Minimal("0\nLWPOLYLINE\n8\n0\n90\n3\n70\n0\n10\n0\n20\n0\n10\n1\n20\n0\n"),
       20, "count (90)"},
      {"leader count beyond memory", Minimal("0\nLEADER\n8\n0\n76\n2000000000\n10\n0\n20\n0\n10\n1\n20\n1\n"),
       20, "count (76)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path file = Write("bad.dxf", c.text);
    Database db;
    db.AddLine({0, 0, 0}, {1, 1, 0});
    try {
      LoadDxf(file, db);
      ADD_FAILURE() << "no error";
    } catch (const DxfError& e) {
      EXPECT_EQ(e.file(), file);
      EXPECT_EQ(e.line(), c.line) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find(file.string()), std::string::npos) << e.what();
    }
    EXPECT_EQ(db.model_space().size(), 1u) << "a failed open must leave the drawing as it was";
  }
  Database db;
  EXPECT_THROW(LoadDxf(Path("missing.dxf"), db), DxfError);
}

// A saved file cut anywhere, inside an entity, a pair or a line, is refused
// as a whole.
TEST_F(DxfFileTest, EveryCutOfASavedFileIsRefused) {
  SaveDxf(Sample(), Path("a.dxf"));
  const std::string whole = Read(Path("a.dxf"));
  const std::string eof = "  0\nEOF\n";
  ASSERT_TRUE(whole.ends_with(eof));
  for (std::size_t cut = 0; cut + eof.size() < whole.size(); cut += 1 + cut % 97) {
    const fs::path file = Write("cut.dxf", whole.substr(0, cut));
    Database db;
    try {
      LoadDxf(file, db);
      ADD_FAILURE() << "cut at " << cut << " was read";
    } catch (const DxfError& e) {
      EXPECT_EQ(e.file(), file);
    }
    EXPECT_TRUE(db.model_space().empty()) << cut;
  }
}

TEST_F(DxfFileTest, SavingOntoTheOpenedFileNeedsConsent) {
  const fs::path opened = Write("in.dxf", Minimal(""));
  Database db;
  LoadDxf(opened, db);
  db.AddLine({0, 0, 0}, {1, 0, 0});
  const std::string before = Read(opened);
  EXPECT_THROW(SaveDxf(db, opened, {opened}), DxfError);
  EXPECT_THROW(SaveDxf(db, dir_ / "." / "in.dxf", {opened}), DxfError);
  EXPECT_EQ(Read(opened), before);

  SaveDxf(db, Path("out.dxf"), {opened});
  SaveDxf(db, opened, {opened, true});
  Database back;
  LoadDxf(opened, back);
  EXPECT_EQ(back.model_space().size(), 1u);
  EXPECT_FALSE(fs::exists(Path("in.dxf.part")));
  EXPECT_THROW(SaveDxf(db, Path("no/such/dir/x.dxf")), DxfError);
}

TEST_F(DxfFileTest, NonFiniteNumberFailsTheSaveAndKeepsTheFile) {
  SaveDxf(Sample(), Path("a.dxf"));
  const std::string before = Read(Path("a.dxf"));
  struct Case {
    const char* name;
    EntityData data;
  } cases[] = {
      {"arc angle", ArcData{{0, 0, 0}, 1, 0, std::nan("")}},
      {"bulge", PolylineData{{{0, 0}, {1, 0}}, false, 0, {HUGE_VAL, 0}, false}},
      {"leader vertex", LeaderData{{{0, 0, 0}, {std::nan(""), 1, 0}}, 2.5, ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Database db = Sample();
    db.Add(c.data, "0");
    EXPECT_THROW(SaveDxf(db, Path("a.dxf")), DxfError);
    EXPECT_EQ(Read(Path("a.dxf")), before);
  }
}

}  // namespace
}  // namespace zavin::cad

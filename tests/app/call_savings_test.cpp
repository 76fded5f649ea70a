// The host calls a command saves (remembered model space and layers, Update
// left to the closing Regen, Rotation puts a new text already has, records
// selected by their extended data) change nothing in the drawing: every
// command's script runs with the savings and with the literal call pattern,
// and the saved drawings are compared.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/batch.h"
#include "cad/db/database.h"
#include "cad/dxf/dxf_file.h"
#include "host/object_model.h"
#include "platform/call_count.h"

namespace zavin::app {
namespace {

namespace fs = std::filesystem;

class CallSavingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / "zavin_call_savings_test";
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    host::SetCallSavings(true);
    fs::remove_all(dir_);
  }

  static std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  // The drawing saved by `script` on `drawing`, and the host calls it took.
  std::pair<std::string, std::int64_t> Run(const fs::path& drawing, const std::string& script,
                                           bool savings) {
    host::SetCallSavings(savings);
    std::ofstream(dir_ / "s.zvs", std::ios::binary) << script;
    BatchOptions o;
    o.drawing = drawing;
    o.script = dir_ / "s.zvs";
    o.out = dir_ / (savings ? "saving.dxf" : "literal.dxf");
    std::ostringstream out;
    platform::CallCounter calls;
    RunBatch(o, out);
    return {Read(o.out), calls.total()};
  }

  // The example lot with `edit` applied, saved beside the runs.
  fs::path Drawing(const char* name, void (*edit)(cad::Database&)) const {
    cad::Database db;
    cad::LoadDxf(fs::path(ZAVIN_EXAMPLES_DIR) / name, db);
    if (edit) edit(db);
    const fs::path path = dir_ / (std::string("in_") + name);
    cad::SaveDxf(db, path);
    return path;
  }

  fs::path dir_;
};

TEST_F(CallSavingsTest, EveryCommandSavesTheSameDrawingWithFewerCalls) {
  struct Case {
    const char* name;
    const char* drawing;
    std::string script;
  };
  const std::string lot_commands =
      "click 自動\npoint 4000,4000\n"
      "click Button11\npick 0,9000\n"         // 長さ記入
      "click Button2\npick 10000,150\n"       // 文字回転 of the bottom label
      "click Button4\n"                       // 最大
      "check CheckBox2 on\nclick 作成\npoint 24000,18000\n";
  const std::string two_sides =
      "click Button8\npick 5000,0\npick 20000,2000\n"
      "click Button8\npick 15000,6000\npick 17000,8000\n"
      "check CheckBox2 off\nclick 作成\nselect 25000,20000 -1000,-1000\npoint 24000,18000\n";
  const std::string base_line =
      "set Edit1 14.0\nset Edit2 12.0\nclick Button1\npick 5000,0\npoint 10000,5000\n"
      "click Button9\n"                       // a-b反転
      "click Button12\npoint 4000,15000\n";    // 分割
  const std::string group =
      "click 群選択\nselect -1000,-1000 27000,21000\ncheck CheckBox2 on\nclick 作成\npoint 30000,20000\n";
  const std::vector<Case> cases = {
      {"lot", "l_shaped_lot.dxf", lot_commands},
      {"two sides", "l_shaped_lot.dxf", two_sides},
      {"base line", "l_shaped_lot.dxf", base_line},
      {"group", "split_lot.dxf", group},
  };
  // The plain drawing, one with a turned clockwise angle frame, one with 100 layers.
  struct Variant {
    const char* name;
    void (*edit)(cad::Database&);
  };
  const std::vector<Variant> variants = {
      {"plain", nullptr},
      {"angle frame", [](cad::Database& db) {
         db.SetVar("ANGBASE", platform::Variant(30.0));
         db.SetVar("ANGDIR", platform::Variant(std::int16_t{1}));
       }},
      {"100 layers", [](cad::Database& db) {
         for (int i = static_cast<int>(db.layers().size()); i < 100; ++i) db.AddLayer("L" + std::to_string(i));
       }},
  };
  for (const Case& c : cases)
    for (const Variant& v : variants)
      for (const char* method : {"0", "1"}) {
        SCOPED_TRACE(std::string(c.name) + ", " + v.name + ", method " + method);
        const fs::path drawing = Drawing(c.drawing, v.edit);
        const std::string script = std::string("radio RadioGroup1 ") + method + "\nupdown UpDown4 1\n" + c.script;
        const auto [literal, literal_calls] = Run(drawing, script, false);
        const auto [saving, saving_calls] = Run(drawing, script, true);
        EXPECT_EQ(saving, literal);
        EXPECT_LT(saving_calls, literal_calls);
      }
}

}  // namespace
}  // namespace zavin::app

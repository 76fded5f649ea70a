// Batch runs with --render: the saved drawing's picture, and the faults that
// must neither lose the drawing nor pass for success.

#include <QGuiApplication>
#include <QImage>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "app/batch.h"
#include "cad/db/database.h"
#include "ui/drawing_view.h"

namespace zavin::app {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

// One application for the whole test executable, shared with the renderer tests.
void App() {
  static int argc = 1;
  static char name[] = "ui_drawing_test";
  static char* argv[] = {name, nullptr};
  if (!QGuiApplication::instance()) new QGuiApplication(argc, argv);  // never destroyed
}

class BatchRenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    dir_ = fs::temp_directory_path() /
           ("zavin_render_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::vector<std::string> Args(const fs::path& png) const {
    const fs::path examples = fs::path(ZAVIN_SOURCE_DIR) / "examples";
    return {"--drawing", (examples / "l_shaped_lot.dxf").string(), "--script",
            (examples / "l_shaped_lot.zvs").string(), "--out", (dir_ / "out.dxf").string(),
            "--render", png.string()};
  }
  static DrawingRenderer Renderer() {
    return [](const cad::Database& db, const fs::path& png) { ui::WriteDrawingPicture(db, png, {800, 600}); };
  }

  fs::path dir_;
};

TEST_F(BatchRenderTest, WritesAPictureOfTheAnnotatedDrawing) {
  std::ostringstream out, err;
  ASSERT_EQ(BatchMain(Args(dir_ / "lot.png"), out, err, Renderer()), 0) << err.str();
  EXPECT_THAT(out.str(), HasSubstr("picture: " + (dir_ / "lot.png").string()));
  EXPECT_TRUE(fs::exists(dir_ / "out.dxf"));

  const QImage im(QString::fromStdString((dir_ / "lot.png").string()), "PNG");
  ASSERT_EQ(im.size(), QSize(800, 600));
  // The lot fills the picture to its margins and the annotations add ink
  // inside it: more than the outline's few thousand pixels.
  int dark = 0, left = im.width(), right = 0;
  for (int y = 0; y < im.height(); ++y)
    for (int x = 0; x < im.width(); ++x)
      if (qGray(im.pixel(x, y)) < 160) {
        ++dark;
        left = std::min(left, x);
        right = std::max(right, x);
      }
  EXPECT_LE(left, 25);
  EXPECT_GE(right, 775);
  EXPECT_GT(dark, 5000);
}

TEST_F(BatchRenderTest, AFailedPictureIsAnErrorAndKeepsTheSavedDrawing) {
  std::ostringstream out, err;
  EXPECT_EQ(BatchMain(Args(dir_ / "no_such_dir" / "lot.png"), out, err, Renderer()), 1);
  EXPECT_THAT(err.str(), HasSubstr("lot.png: cannot write the picture (the drawing is saved)"));
  EXPECT_TRUE(fs::exists(dir_ / "out.dxf"));
}

TEST_F(BatchRenderTest, UsageFaults) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    bool with_renderer;
    std::string says;
  } cases[] = {
      // zavin-batch passes no renderer.
      {"no renderer", Args(dir_ / "lot.png"), false, "--render is not available here"},
      {"picture over the output", Args(dir_ / "out.dxf"), true, "--render must name another file"},
      {"picture over the input", Args(fs::path(ZAVIN_SOURCE_DIR) / "examples" / "l_shaped_lot.dxf"), true,
       "--render must name another file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::ostringstream out, err;
    EXPECT_EQ(BatchMain(c.args, out, err, c.with_renderer ? Renderer() : DrawingRenderer{}), 2);
    EXPECT_THAT(err.str(), HasSubstr(c.says));
    EXPECT_FALSE(fs::exists(dir_ / "out.dxf"));
  }
  // RunBatch without a renderer refuses before it saves anything.
  BatchOptions o = ParseBatchArgs(Args(dir_ / "lot.png"));
  std::ostringstream out;
  EXPECT_THROW(RunBatch(o, out), BatchError);
  EXPECT_FALSE(fs::exists(dir_ / "out.dxf"));
}

}  // namespace
}  // namespace zavin::app

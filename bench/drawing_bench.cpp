// The drawing renderer on a 100,000-entity drawing, to a 1600x1200 picture:
// zoomed to the extents (everything drawn, most texts as baselines) and
// zoomed in on a hundredth of the area (most entities culled).

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <numbers>
#include <random>
#include <string>

#include "cad/db/database.h"
#include "ui/drawing_view.h"

namespace {

void App() {
  static int argc = 1;
  static char name[] = "drawing_bench";
  static char* argv[] = {name, nullptr};
  if (!QGuiApplication::instance()) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QGuiApplication(argc, argv);  // never destroyed
  }
}

// Lines, polylines (every other one with bulges), texts, circles and arcs,
// 20,000 of each, over 10,000 x 7,500 drawing units.
const zavin::cad::Database& Drawing() {
  static const zavin::cad::Database* db = [] {
    auto* d = new zavin::cad::Database;
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> x(0, 10000), y(0, 7500), len(-40, 40), r(1, 30),
        angle(0, 2 * std::numbers::pi);
    for (int i = 0; i < 20000; ++i) {
      const double ax = x(rng), ay = y(rng);
      d->AddLine({ax, ay, 0}, {ax + len(rng), ay + len(rng), 0});
      zavin::cad::PolylineData pl;
      const double px = x(rng), py = y(rng);
      pl.vertices = {{px, py}, {px + len(rng), py + len(rng)}, {px + len(rng), py + len(rng)}, {px + len(rng), py}};
      pl.closed = i % 3 == 0;
      if (i % 2 == 0) pl.bulges = {0.4, 0, -0.7, 0};
      d->Add(pl);
      zavin::cad::TextData t;
      t.text = i % 2 ? "12.34" : "面積 " + std::to_string(i);
      t.insertion = {x(rng), y(rng), 0};
      t.height = 2 + r(rng) / 5;
      t.rotation = angle(rng);
      d->Add(t);
      d->AddCircle({x(rng), y(rng), 0}, r(rng));
      zavin::cad::ArcData a;
      a.center = {x(rng), y(rng), 0};
      a.radius = r(rng);
      a.start_angle = angle(rng);
      a.end_angle = angle(rng);
      d->Add(a);
    }
    return d;
  }();
  return *db;
}

void Paint(benchmark::State& state, const zavin::ui::ViewTransform& view) {
  QImage image(view.size, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    QPainter p(&image);
    zavin::ui::PaintDrawing(p, Drawing(), view);
    p.end();
    benchmark::DoNotOptimize(image.constBits());
  }
  state.counters["entities"] = static_cast<double>(Drawing().model_space().size());
}

void BM_PaintExtents(benchmark::State& state) {
  App();
  Paint(state, zavin::ui::ViewTransform::Extents(Drawing(), {1600, 1200}));
}
BENCHMARK(BM_PaintExtents)->Unit(benchmark::kMillisecond);

void BM_PaintZoomedIn(benchmark::State& state) {
  App();
  zavin::ui::ViewTransform v = zavin::ui::ViewTransform::Extents(Drawing(), {1600, 1200});
  v.scale *= 10;  // a tenth of the width and height
  Paint(state, v);
}
BENCHMARK(BM_PaintZoomedIn)->Unit(benchmark::kMillisecond);

}  // namespace

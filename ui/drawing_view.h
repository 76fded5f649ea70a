#pragma once

// Drawing of the embedded host's model space to a QPainter: the one renderer
// behind the drawing window, the batch run's --render picture and the README
// pictures.

#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QSize>

#include <filesystem>
#include <optional>

#include "cad/db/database.h"

namespace zavin::ui {

// World (drawing units, y up) to screen (pixels, y down): the world point
// `center` shows at the middle of a `size` viewport, `scale` pixels per unit.
struct ViewTransform {
  double center_x = 0, center_y = 0;
  double scale = 1;
  QSize size{800, 600};

  QPointF ToScreen(double x, double y) const;
  // The world point under a screen position.
  std::pair<double, double> ToWorld(QPointF p) const;
  // Zoom to `lo`..`hi` with `margin` pixels free on every side; an empty or
  // degenerate box keeps a sensible scale.
  static ViewTransform Fit(const cad::Point3& lo, const cad::Point3& hi, QSize size,
                           int margin = 20);
  // Zoom to the drawing's extents (the host's view when the drawing is empty).
  static ViewTransform Extents(const cad::Database& db, QSize size, int margin = 20);
};

// Paints model space (lines, polylines with bulges, arcs, circles, texts in
// their height, rotation and alignment, block references, leaders with
// arrowheads) on a white background; entities wholly outside the viewport
// are skipped.
void PaintDrawing(QPainter& painter, const cad::Database& db, const ViewTransform& view);

// A picture of the whole drawing, zoomed to its extents. Needs a
// QGuiApplication (any platform, offscreen included).
QImage RenderDrawing(const cad::Database& db, QSize size);

// RenderDrawing saved as a PNG file; throws std::runtime_error when it cannot
// be written.
void WriteDrawingPicture(const cad::Database& db, const std::filesystem::path& png,
                         QSize size = {1600, 1200});

}  // namespace zavin::ui

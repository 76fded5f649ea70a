#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cad/boundary.h"
#include "cad/builtin_commands.h"
#include "cad/database.h"
#include "cad/embedded_host.h"
#include "platform/automation.h"

namespace zavin::cad {

namespace {

// "x,y" or "x,y,z" with nothing else around the numbers.
std::optional<std::pair<double, double>> ParsePoint(const std::string& input) {
  const char* p = input.c_str();
  char* end = nullptr;
  const double x = std::strtod(p, &end);
  if (end == p || *end != ',') return std::nullopt;
  p = end + 1;
  const double y = std::strtod(p, &end);
  if (end == p) return std::nullopt;
  if (*end == ',') {
    p = end + 1;
    std::strtod(p, &end);
    if (end == p) return std::nullopt;
  }
  if (*end != '\0') return std::nullopt;
  return std::pair{x, y};
}

// -BOUNDARY: internal points, each giving one closed lightweight polyline on
// the current layer around it, until a bare Enter. "A" opens the advanced
// options until a bare Enter: "O" takes the object type (P polyline, R
// region, which this host does not make), "I" island detection and "B" the
// boundary set take one answer that is accepted and ignored. Points in no
// closed region make nothing.
void Boundary(EmbeddedHost& host, const std::vector<std::string>& inputs) {
  bool polyline = true;
  std::vector<std::pair<double, double>> points;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    const std::string option = platform::UpperAscii(inputs[i]);
    if (option.empty()) break;
    if (option == "A") {
      while (++i < inputs.size()) {
        const std::string advanced = platform::UpperAscii(inputs[i]);
        if (advanced.empty()) break;
        if (i + 1 >= inputs.size()) break;
        const std::string answer = platform::UpperAscii(inputs[++i]);
        if (advanced == "O") polyline = answer != "R";
      }
      continue;
    }
    if (std::optional<std::pair<double, double>> p = ParsePoint(inputs[i])) points.push_back(*p);
  }
  if (!polyline || points.empty()) return;
  Database& db = host.database();
  const std::vector<BoundaryEdge> linework = BoundaryLinework(db);
  for (const auto& [x, y] : points)
    if (std::optional<BoundaryOutline> outline = FindBoundary(linework, x, y)) {
      PolylineData boundary;
      boundary.vertices = std::move(outline->vertices);
      boundary.closed = true;
      boundary.bulges = std::move(outline->bulges);
      db.Add(std::move(boundary));
    }
}

}  // namespace

void DefineBoundaryCommand(EmbeddedHost& host) { host.DefineCommand("BOUNDARY", Boundary); }

}  // namespace zavin::cad

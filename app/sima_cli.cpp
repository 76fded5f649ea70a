#include "app/sima_cli.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>

#include "cad/db/database.h"
#include "cad/dxf/dxf_file.h"
#include "cad/embedded_host.h"
#include "geometry/point.h"
#include "host/object_model.h"
#include "platform/clock.h"
#include "survey/sima.h"
#include "survey/sima_drawing.h"

namespace zavin::app {

namespace {

namespace fs = std::filesystem;

constexpr const char* kStyleUsage =
    "  --scale N           drawing units per metre (the scale denominator), default 1000\n"
    "  --text-height H     height of the name texts in drawing units, default 300\n"
    "  --point-layer L     layer of the points and their names, default 点名\n"
    "  --parcel-layer L    layer of the parcels and their names, default 画地\n";

constexpr const char* kImportUsage = "usage: zavin sima-import IN.sim [--drawing IN.dxf] --out OUT.dxf [options]\n";
constexpr const char* kExportUsage =
    "usage: zavin sima-export --drawing IN.dxf --point X,Y --out OUT.sim [--title T] [options]\n";

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::optional<double> Number(std::string_view s) {
  const char* first = s.data();
  if (!s.empty() && s[0] == '+') ++first;
  double v = 0;
  const auto [end, ec] = std::from_chars(first, s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size() || first == end || !std::isfinite(v)) return std::nullopt;
  return v;
}

double Positive(const std::string& option, const std::string& text) {
  const std::optional<double> v = Number(text);
  if (!v || *v <= 0) throw UsageError(option + " takes a positive number, not \"" + text + "\"");
  return *v;
}

struct Options {
  bool help = false;
  std::vector<std::string> positional;
  std::optional<fs::path> drawing;
  std::optional<fs::path> out;
  std::optional<geometry::TAcadPoint> point;
  std::string title;
  survey::SimaDrawingStyle style;
};

Options Parse(const std::vector<std::string>& args) {
  Options o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= args.size()) throw UsageError(a + " needs a value");
      return args[++i];
    };
    if (a == "--help" || a == "-h") o.help = true;
    else if (a == "--drawing") o.drawing = value();
    else if (a == "--out") o.out = value();
    else if (a == "--title") o.title = value();
    else if (a == "--scale") o.style.scale = Positive(a, value());
    else if (a == "--text-height") o.style.text_height = Positive(a, value());
    else if (a == "--point-layer") o.style.point_layer = value();
    else if (a == "--parcel-layer") o.style.parcel_layer = value();
    else if (a == "--point") {
      const std::string xy = value();
      const auto comma = xy.find(',');
      const std::optional<double> x = comma == std::string::npos ? std::nullopt : Number(std::string_view(xy).substr(0, comma));
      const std::optional<double> y = comma == std::string::npos ? std::nullopt : Number(std::string_view(xy).substr(comma + 1));
      if (!x || !y) throw UsageError("--point takes X,Y, not \"" + xy + "\"");
      o.point = geometry::TAcadPoint{*x, *y, 0};
    } else if (a.starts_with("-")) {
      throw UsageError("unknown option \"" + a + "\"");
    } else {
      o.positional.push_back(a);
    }
  }
  if (o.style.point_layer.empty() || o.style.parcel_layer.empty()) throw UsageError("a layer name must not be empty");
  return o;
}

bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec);
  return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

struct Host {
  std::shared_ptr<cad::EmbeddedHost> host = cad::EmbeddedHost::Create();
  host::Application application{host->Application()};

  void Open(const std::optional<fs::path>& drawing, std::ostream& out) {
    if (!drawing) return;
    const cad::DxfLoadReport report = cad::LoadDxf(*drawing, host->database());
    if (!report.Warning().empty()) out << "warning: " << drawing->string() << ": " << report.Warning() << '\n';
  }
};

int Import(const Options& o, std::ostream& out, std::ostream& err) {
  if (o.positional.size() != 1) throw UsageError("name exactly one SIMA file to import");
  if (!o.out) throw UsageError("--out is required");
  const fs::path in = o.positional[0];
  if (SameFile(*o.out, in)) throw UsageError("--out must name another file than the SIMA file");

  const survey::SimaReadResult file = survey::ReadSimaFile(in);
  for (const survey::SimaDiagnostic& d : file.diagnostics) err << survey::Located(in.string(), d) << '\n';
  for (const std::string& info : file.data.info) out << "sima: " << info << '\n';
  if (file.data.points.empty() && file.data.parcels.empty()) {
    err << "zavin sima-import: " << in.string() << ": no point or parcel to import; nothing was drawn\n";
    return 1;
  }
  Host h;
  h.Open(o.drawing, out);
  const survey::SimaDrawn drawn = survey::DrawSima(h.application.ActiveDocument(), file.data, o.style);
  cad::SaveDxf(h.host->database(), *o.out, {o.drawing.value_or(fs::path()), false});
  out << "imported: " << drawn.points << " points, " << drawn.parcels << " parcels\n"
      << "saved: " << o.out->string() << '\n';
  if (!file.diagnostics.empty()) {
    err << "zavin sima-import: " << file.diagnostics.size() << " record(s) skipped\n";
    return 3;
  }
  return 0;
}

int Export(const Options& o, std::ostream& out, std::ostream& err) {
  if (!o.positional.empty()) throw UsageError("unexpected argument \"" + o.positional[0] + "\"");
  if (!o.drawing || !o.point || !o.out) throw UsageError("--drawing, --point and --out are required");
  if (SameFile(*o.out, *o.drawing)) throw UsageError("--out must name another file than the drawing");
  Host h;
  h.Open(o.drawing, out);
  // The host builds the boundary at once; waits for it pass on a clock of their own.
  platform::ScopedClock clock(std::make_shared<platform::VirtualClock>());
  const host::Document document = h.application.ActiveDocument();
  const auto outline = survey::BoundaryAround(document, h.application, host::HostKind::Zcad, *o.point);
  if (!outline) {
    err << "zavin sima-export: no closed region around " << static_cast<double>(o.point->x) << ","
        << static_cast<double>(o.point->y) << "; nothing was written\n";
    return 1;
  }
  const survey::ParcelExport parcel = survey::ParcelData(document, *outline, o.style);
  survey::WriteSimaFile(*o.out, parcel.data, o.title.empty() ? o.drawing->stem().string() : o.title);
  if (parcel.arc_sides > 0)
    out << "note: " << parcel.arc_sides << " arc side(s) written as their chords; SIMA parcels have no arcs\n";
  out << "exported: " << parcel.data.points.size() << " points, parcel " << parcel.data.parcels[0].name << '\n'
      << "saved: " << o.out->string() << '\n';
  return 0;
}

int Run(const char* name, const char* usage, int (*body)(const Options&, std::ostream&, std::ostream&),
        const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Options o;
  try {
    o = Parse(args);
    if (o.help) {
      out << usage << kStyleUsage;
      return 0;
    }
    return body(o, out, err);
  } catch (const UsageError& e) {
    err << "zavin " << name << ": " << e.what() << '\n' << usage;
    return 2;
  } catch (const std::exception& e) {
    out.flush();
    err << "zavin " << name << ": " << e.what() << '\n';
    return 1;
  }
}

}  // namespace

int SimaImportMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  return Run("sima-import", kImportUsage, Import, args, out, err);
}

int SimaExportMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  return Run("sima-export", kExportUsage, Export, args, out, err);
}

}  // namespace zavin::app

#include <cmath>
#include <string>

#include "cad/automation/host_object.h"

namespace zavin::cad {

void Fail(const std::string& text) { throw HostError(hr::kHostException, text); }
void Invalid(const std::string& text) { throw HostError(hr::kInvalidArg, text); }

const Variant& ArgAt(Args args, std::size_t i) {
  static const Variant empty;
  return i < args.size() ? args[i] : empty;
}

double ArgReal(const Variant& v) {
  if (v.kind() == VarKind::Text || v.empty() || v.is_array() || v.kind() == VarKind::Object)
    throw HostError(hr::kTypeMismatch, "a number is required");
  const double d = v.ToDouble();
  if (!std::isfinite(d)) Invalid("number out of range");
  return d;
}

std::string ArgText(const Variant& v) {
  if (v.is_array() || v.kind() == VarKind::Object)
    throw HostError(hr::kTypeMismatch, "a text is required");
  return v.ToText();
}

Point3 ArgPoint(const Variant& v) {
  if (!v.is_array()) throw HostError(hr::kInvalidArg, "a point array is required");
  const auto& items = v.array().items;
  if (items.size() < 2 || items.size() > 3) Invalid("a point needs two or three coordinates");
  Point3 p;
  p.x = ArgReal(items[0]);
  p.y = ArgReal(items[1]);
  if (items.size() == 3) p.z = ArgReal(items[2]);
  return p;
}

Variant PointValue(const Point3& p) { return platform::MakePointArray(p.x, p.y, p.z); }

std::int64_t ArgIndex(const Variant& v, std::size_t count) {
  const std::int64_t i = v.ToInt64();
  if (i < 0 || static_cast<std::size_t>(i) >= count) Invalid("index out of range");
  return i;
}

bool ValidSymbolName(const std::string& name) {
  if (name.empty() || name.size() > 255) return false;
  if (name.find_first_of("<>/\\\":;?*|,=`") != std::string::npos) return false;
  return name.find_first_not_of(' ') != std::string::npos;
}

bool IsNameArg(const Variant& v) { return v.kind() == VarKind::Text; }

std::vector<FilterTerm> FilterArgs(Args args, std::size_t at) {
  return ParseFilter(ArgAt(args, at), ArgAt(args, at + 1));
}

void ThrowCancelled() { throw HostError(hr::kCancelled, "cancelled by user"); }

}  // namespace zavin::cad

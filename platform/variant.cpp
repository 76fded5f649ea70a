#include "platform/variant.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "platform/automation.h"
#include "platform/number_text.h"

namespace zavin::platform {

namespace {

[[noreturn]] void Mismatch(VarKind have, const char* want) {
  throw HostError(hr::kTypeMismatch,
                  std::string("type mismatch: ") + KindName(have) + " is not " + want);
}

bool ParseDouble(const std::string& s, double& out) {
  std::size_t b = s.find_first_not_of(" \t");
  std::size_t e = s.find_last_not_of(" \t");
  if (b == std::string::npos) return false;
  const char* first = s.data() + b;
  const char* last = s.data() + e + 1;
  if (*first == '+') ++first;
  auto [p, ec] = std::from_chars(first, last, out);
  return ec == std::errc() && p == last;
}

}  // namespace

const char* KindName(VarKind kind) {
  switch (kind) {
    case VarKind::Empty: return "Empty";
    case VarKind::Int16: return "Int16";
    case VarKind::Int32: return "Int32";
    case VarKind::Int64: return "Int64";
    case VarKind::Double: return "Double";
    case VarKind::Bool: return "Bool";
    case VarKind::Text: return "Text";
    case VarKind::Object: return "Object";
    case VarKind::Array: return "Array";
    case VarKind::Variant: return "Variant";
  }
  return "?";
}

Variant::ArrayBox::ArrayBox(VariantArray a) : p_(std::make_unique<VariantArray>(std::move(a))) {}
Variant::ArrayBox::ArrayBox(const ArrayBox& other)
    : p_(std::make_unique<VariantArray>(*other.p_)) {}
Variant::ArrayBox& Variant::ArrayBox::operator=(const ArrayBox& other) {
  if (this != &other) p_ = std::make_unique<VariantArray>(*other.p_);
  return *this;
}
Variant::ArrayBox::~ArrayBox() = default;

VarKind Variant::kind() const {
  static constexpr VarKind kinds[] = {VarKind::Empty,  VarKind::Int16, VarKind::Int32,
                                      VarKind::Int64,  VarKind::Double, VarKind::Bool,
                                      VarKind::Text,   VarKind::Object, VarKind::Array};
  return kinds[value_.index()];
}

const std::string& Variant::text() const {
  if (auto* s = std::get_if<std::string>(&value_)) return *s;
  Mismatch(kind(), "Text");
}

const ObjectRef& Variant::object() const {
  if (auto* o = std::get_if<ObjectRef>(&value_)) return *o;
  Mismatch(kind(), "Object");
}

const VariantArray& Variant::array() const {
  if (auto* a = std::get_if<ArrayBox>(&value_)) return a->get();
  Mismatch(kind(), "Array");
}

VariantArray& Variant::array() {
  if (auto* a = std::get_if<ArrayBox>(&value_)) return a->get();
  Mismatch(kind(), "Array");
}

double Variant::ToDouble() const {
  switch (kind()) {
    case VarKind::Int16: return std::get<std::int16_t>(value_);
    case VarKind::Int32: return std::get<std::int32_t>(value_);
    case VarKind::Int64: return static_cast<double>(std::get<std::int64_t>(value_));
    case VarKind::Double: return std::get<double>(value_);
    case VarKind::Bool: return std::get<bool>(value_) ? -1.0 : 0.0;
    case VarKind::Text: {
      double d = 0;
      if (ParseDouble(std::get<std::string>(value_), d)) return d;
      Mismatch(kind(), "a number");
    }
    default: Mismatch(kind(), "Double");
  }
}

std::int64_t Variant::ToInt64() const {
  switch (kind()) {
    case VarKind::Int16: return std::get<std::int16_t>(value_);
    case VarKind::Int32: return std::get<std::int32_t>(value_);
    case VarKind::Int64: return std::get<std::int64_t>(value_);
    case VarKind::Bool: return std::get<bool>(value_) ? -1 : 0;
    case VarKind::Double:
    case VarKind::Text: {
      double d = ToDouble();
      if (!std::isfinite(d) || d < -9.2e18 || d > 9.2e18)
        throw HostError(hr::kTypeMismatch, "overflow converting to Int64");
      return static_cast<std::int64_t>(std::nearbyint(d));
    }
    default: Mismatch(kind(), "Int64");
  }
}

std::int32_t Variant::ToInt32() const {
  std::int64_t v = ToInt64();
  if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
    throw HostError(hr::kTypeMismatch, "overflow converting to Int32");
  return static_cast<std::int32_t>(v);
}

bool Variant::ToBool() const {
  if (kind() == VarKind::Bool) return std::get<bool>(value_);
  if (kind() == VarKind::Text) {
    std::string u = UpperAscii(std::get<std::string>(value_));
    if (u == "TRUE") return true;
    if (u == "FALSE") return false;
  }
  return ToDouble() != 0.0;
}

std::string Variant::ToText() const {
  switch (kind()) {
    case VarKind::Empty: return "";
    case VarKind::Text: return std::get<std::string>(value_);
    case VarKind::Bool: return std::get<bool>(value_) ? "True" : "False";
    case VarKind::Double: return ShortestText(std::get<double>(value_));
    case VarKind::Int16:
    case VarKind::Int32:
    case VarKind::Int64: return std::to_string(ToInt64());
    default: Mismatch(kind(), "Text");
  }
}

bool operator==(const Variant& a, const Variant& b) {
  if (a.kind() != b.kind()) return false;
  switch (a.kind()) {
    case VarKind::Empty: return true;
    case VarKind::Array: {
      const auto& x = a.array();
      const auto& y = b.array();
      return x.element == y.element && x.lower == y.lower && x.items == y.items;
    }
    case VarKind::Object: return a.object() == b.object();
    case VarKind::Text: return a.text() == b.text();
    case VarKind::Bool: return a.ToBool() == b.ToBool();
    case VarKind::Double: return a.ToDouble() == b.ToDouble();
    default: return a.ToInt64() == b.ToInt64();
  }
}

VariantArray MakeArray(VarKind element, std::vector<Variant> items, std::int32_t lower) {
  return VariantArray{element, lower, std::move(items)};
}

Variant MakePointArray(double x, double y, double z) {
  return Variant(MakeArray(VarKind::Double, {Variant(x), Variant(y), Variant(z)}));
}

}  // namespace zavin::platform

#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace zavin::platform {

class AutoObject;
using ObjectRef = std::shared_ptr<AutoObject>;

// The kinds a variant can hold. `Variant` is only an array element kind: an
// array whose elements are themselves variants of any kind.
enum class VarKind : std::uint8_t {
  Empty,
  Int16,
  Int32,
  Int64,
  Double,
  Bool,
  Text,
  Object,
  Array,
  Variant,
};

const char* KindName(VarKind kind);

class Variant;

// A one-dimensional array with its lower bound and element kind. Elements of a
// typed array hold exactly that kind; elements of a `VarKind::Variant` array
// hold anything.
struct VariantArray {
  VarKind element = VarKind::Variant;
  std::int32_t lower = 0;
  std::vector<Variant> items;

  // Defined after Variant: the element type must be complete for size().
  std::int32_t upper() const;
};

// A value as exchanged with late-bound objects. Texts are UTF-8. Arrays are
// values: copying a variant copies its array.
class Variant {
 public:
  Variant() = default;
  Variant(std::int16_t v) : value_(v) {}
  Variant(std::int32_t v) : value_(v) {}
  Variant(std::int64_t v) : value_(v) {}
  Variant(double v) : value_(v) {}
  Variant(bool v) : value_(v) {}
  Variant(std::string v) : value_(std::move(v)) {}
  Variant(const char* v) : value_(std::string(v)) {}
  Variant(ObjectRef v) : value_(std::move(v)) {}
  Variant(VariantArray v) : value_(ArrayBox(std::move(v))) {}
  template <class T>
    requires std::is_base_of_v<AutoObject, T>
  Variant(std::shared_ptr<T> v) : value_(ObjectRef(std::move(v))) {}

  VarKind kind() const;
  bool empty() const { return kind() == VarKind::Empty; }
  bool is_array() const { return kind() == VarKind::Array; }

  // Typed access without conversion; throws HostError (type mismatch) on a
  // different kind.
  const std::string& text() const;
  const ObjectRef& object() const;
  const VariantArray& array() const;
  VariantArray& array();

  // Conversions the way automation coerces: any integer or bool to the
  // requested number, a number text ("12", "0.5") to a number; anything else
  // throws HostError (type mismatch). ToInt32 rounds doubles half to even and
  // rejects values out of range.
  std::int32_t ToInt32() const;
  std::int64_t ToInt64() const;
  double ToDouble() const;
  bool ToBool() const;
  // Numbers are written with the shortest round-trip form, locale-free.
  std::string ToText() const;

  friend bool operator==(const Variant& a, const Variant& b);

 private:
  // Deep-copying box so that Variant can contain arrays of itself.
  class ArrayBox {
   public:
    explicit ArrayBox(VariantArray a);
    ArrayBox(const ArrayBox& other);
    ArrayBox& operator=(const ArrayBox& other);
    ArrayBox(ArrayBox&&) noexcept = default;
    ArrayBox& operator=(ArrayBox&&) noexcept = default;
    ~ArrayBox();
    VariantArray& get() { return *p_; }
    const VariantArray& get() const { return *p_; }

   private:
    std::unique_ptr<VariantArray> p_;
  };

  std::variant<std::monostate, std::int16_t, std::int32_t, std::int64_t, double, bool, std::string,
               ObjectRef, ArrayBox>
      value_;
};

inline std::int32_t VariantArray::upper() const {
  return lower + static_cast<std::int32_t>(items.size()) - 1;
}

// Builds a typed array with lower bound 0 (or `lower`).
VariantArray MakeArray(VarKind element, std::vector<Variant> items, std::int32_t lower = 0);
// The host's point shape: three doubles, bounds 0 to 2.
Variant MakePointArray(double x, double y, double z);

}  // namespace zavin::platform

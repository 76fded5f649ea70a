#include "cad/db/filter.h"

#include "cad/db/wildcard.h"
#include "platform/automation.h"

namespace zavin::cad {

using platform::HostError;
using platform::Variant;
using platform::VarKind;
namespace hr = platform::hr;

namespace {

bool IsMissing(const Variant& v) { return v.empty(); }

}  // namespace

std::vector<FilterTerm> ParseFilter(const Variant& types, const Variant& data) {
  if (IsMissing(types) && IsMissing(data)) return {};
  if (!types.is_array() || !data.is_array())
    throw HostError(hr::kInvalidArg, "filter type and data must both be arrays");
  const auto& t = types.array().items;
  const auto& d = data.array().items;
  if (t.size() != d.size()) throw HostError(hr::kInvalidArg, "filter type and data differ in length");
  std::vector<FilterTerm> out;
  for (std::size_t i = 0; i < t.size(); ++i) {
    const std::int64_t code = t[i].ToInt64();
    if (code != 0 && code != 1 && code != 2 && code != 8 && code != 1001)
      throw HostError(hr::kInvalidArg, "unsupported filter group code " + std::to_string(code));
    if (d[i].kind() != VarKind::Text) throw HostError(hr::kInvalidArg, "filter value must be a text");
    out.push_back({static_cast<std::int16_t>(code), d[i].text()});
  }
  return out;
}

bool PassesFilter(const Entity& e, const std::vector<FilterTerm>& terms) {
  for (const auto& term : terms) {
    bool ok = false;
    switch (term.code) {
      case 0: ok = WildcardMatch(term.pattern, DxfName(e)); break;
      case 8: ok = WildcardMatch(term.pattern, e.layer); break;
      case 1:
        if (auto* t = e.as<TextData>()) ok = WildcardMatch(term.pattern, t->text, false);
        break;
      case 2:
        if (auto* r = e.as<BlockRefData>()) ok = WildcardMatch(term.pattern, r->name);
        break;
      case 1001:
        for (const auto& x : e.xdata)
          if (x.code == 1001 && x.value.kind() == VarKind::Text &&
              WildcardMatch(term.pattern, x.value.text()))
            ok = true;
        break;
      default: break;
    }
    if (!ok) return false;
  }
  return true;
}

}  // namespace zavin::cad

#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cad/db/database.h"
#include "platform/variant.h"

namespace zavin::cad {

// One term of a selection filter: a group code and a wildcard pattern.
// Supported codes: 0 entity type (DXF name), 8 layer, 2 block name of a
// reference, 1 text string, 1001 extended-data application name.
struct FilterTerm {
  std::int16_t code = 0;
  std::string pattern;
};

// Reads the host's filter argument pair (types: array of group codes, data:
// array of values, one per code). Both empty means no filter. Mismatched
// shapes, unsupported codes and non-text patterns raise HostError.
std::vector<FilterTerm> ParseFilter(const platform::Variant& types, const platform::Variant& data);

// All terms must hold.
bool PassesFilter(const Entity& e, const std::vector<FilterTerm>& terms);

}  // namespace zavin::cad

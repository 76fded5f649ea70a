#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/variant.h"

namespace zavin::platform {

// Stand-in for the platform's class registry and its table of running
// objects: a host program registers its program identifier with a class id
// and, while it runs, its application object as the running instance of that
// class. Process-wide, for the one user-interface thread; not thread-safe.

// A class id, e.g. "{7B3F0C1A-...}". Compared exactly.
struct Clsid {
  std::string value;
  friend auto operator<=>(const Clsid&, const Clsid&) = default;
};

// Registers (or re-registers) `prog_id` for `clsid`. Program identifiers are
// matched without regard to ASCII case. An empty identifier or class id
// raises HostError(kInvalidArg).
void RegisterProgId(std::string_view prog_id, const Clsid& clsid);
// False when `prog_id` was not registered.
bool UnregisterProgId(std::string_view prog_id);

// The class id registered for `prog_id`; HostError(kInvalidProgId) when none.
Clsid CLSIDFromProgID(std::string_view prog_id);

// Enters `object` as a running instance of `clsid` and returns the cookie that
// revokes it (never 0). A null object or empty class id raises
// HostError(kInvalidArg). The table holds a strong reference until revoked.
std::uint32_t RegisterActiveObject(ObjectRef object, const Clsid& clsid);
// False for an unknown cookie (also one revoked already).
bool RevokeActiveObject(std::uint32_t cookie);

// The running instance of `clsid`; with several, the one registered first.
// HostError(kUnavailable) when none runs.
ObjectRef GetActiveObject(const Clsid& clsid);

// Whether `a` and `b` are the same object, reached directly or through the
// platform's automation interface (a running host of this process is reached
// through it on Windows).
bool SameObject(const ObjectRef& a, const ObjectRef& b);

// Forgets every identifier and running instance. Cookies stay unique across a
// reset: one handed out before it revokes nothing after.
void ResetRunningHosts();

}  // namespace zavin::platform

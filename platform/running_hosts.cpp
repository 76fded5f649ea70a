#include "platform/running_hosts.h"

#include <map>

#include "platform/automation.h"
#include "platform/running_hosts_backend.h"

namespace zavin::platform {

namespace {

struct Running {
  Clsid clsid;
  ObjectRef object;
};

struct Registry {
  std::map<std::string, Clsid> prog_ids;  // keyed by the upper-cased identifier
  std::map<std::uint32_t, Running> running;  // by cookie, so in registration order
  std::uint32_t next_cookie = 1;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

void RegisterProgId(std::string_view prog_id, const Clsid& clsid) {
  if (prog_id.empty() || clsid.value.empty())
    throw HostError(hr::kInvalidArg, "empty program identifier or class id");
  TheRegistry().prog_ids[UpperAscii(prog_id)] = clsid;
}

bool UnregisterProgId(std::string_view prog_id) {
  return TheRegistry().prog_ids.erase(UpperAscii(prog_id)) > 0;
}

Clsid CLSIDFromProgID(std::string_view prog_id) {
  const auto& ids = TheRegistry().prog_ids;
  auto it = ids.find(UpperAscii(prog_id));
  if (it != ids.end()) return it->second;
  if (auto clsid = backend::SystemClsid(prog_id)) return *clsid;
  throw HostError(hr::kInvalidProgId, "invalid class string: " + std::string(prog_id));
}

std::uint32_t RegisterActiveObject(ObjectRef object, const Clsid& clsid) {
  if (!object || clsid.value.empty())
    throw HostError(hr::kInvalidArg, "no object or class id to register");
  Registry& r = TheRegistry();
  // Skip 0 and cookies still in use should the counter ever wrap.
  while (r.next_cookie == 0 || r.running.contains(r.next_cookie)) ++r.next_cookie;
  const std::uint32_t cookie = r.next_cookie++;
  r.running[cookie] = {clsid, std::move(object)};
  return cookie;
}

bool RevokeActiveObject(std::uint32_t cookie) { return TheRegistry().running.erase(cookie) > 0; }

ObjectRef GetActiveObject(const Clsid& clsid) {
  for (const auto& [cookie, entry] : TheRegistry().running)
    if (entry.clsid == clsid) return backend::AsSeenByCaller(entry.object);
  if (ObjectRef system = backend::SystemActiveObject(clsid)) return system;
  throw HostError(hr::kUnavailable, "operation unavailable: no running instance of " + clsid.value);
}

bool SameObject(const ObjectRef& a, const ObjectRef& b) {
  return backend::LocalObject(a) == backend::LocalObject(b);
}

void ResetRunningHosts() {
  // Cookies stay unique across a reset, like window handles.
  const std::uint32_t next = TheRegistry().next_cookie;
  TheRegistry() = Registry{};
  TheRegistry().next_cookie = next;
}

}  // namespace zavin::platform

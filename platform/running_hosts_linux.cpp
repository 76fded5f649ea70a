// Linux has no system registry of hosts: only the hosts of this process run.

#include "platform/running_hosts_backend.h"

namespace zavin::platform::backend {

std::optional<Clsid> SystemClsid(std::string_view /*prog_id*/) { return std::nullopt; }

ObjectRef SystemActiveObject(const Clsid& /*clsid*/) { return nullptr; }

ObjectRef AsSeenByCaller(ObjectRef object) { return object; }

ObjectRef LocalObject(const ObjectRef& object) { return object; }

}  // namespace zavin::platform::backend

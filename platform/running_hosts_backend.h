#pragma once

// The platform's side of running_hosts.cpp, one backend per platform
// (running_hosts_linux.cpp, automation_win32.cpp). The table of
// running_hosts.cpp holds the hosts of this process; the backend adds the
// hosts the system knows of and makes the objects of this process look as a
// caller in another process sees them.

#include <optional>
#include <string_view>

#include "platform/running_hosts.h"

namespace zavin::platform::backend {

// The class id the system registers for `prog_id`; nothing when none.
std::optional<Clsid> SystemClsid(std::string_view prog_id);

// The system's running instance of `clsid`; nullptr when none runs.
ObjectRef SystemActiveObject(const Clsid& clsid);

// `object`, a host of this process, as its callers reach it: through the
// platform's automation interface on Windows, so that every call and every
// value passes the same conversions as a call to another process; the object
// itself elsewhere.
ObjectRef AsSeenByCaller(ObjectRef object);

// The object of this process that `object` reaches through AsSeenByCaller;
// any other object as it is.
ObjectRef LocalObject(const ObjectRef& object);

}  // namespace zavin::platform::backend

#include "platform/automation.h"

#include <cctype>

#include "platform/call_count.h"
#include "platform/clock.h"
#include "platform/message_filter.h"
#include "platform/message_queue.h"

namespace zavin::platform {

std::string UpperAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

void RequireArgs(std::span<Variant> args, std::size_t min, std::size_t max) {
  if (args.size() < min || args.size() > max)
    throw HostError(hr::kBadParamCount, "wrong number of arguments");
}

void DispatchObject::AddGet(std::string_view name, Handler h) {
  gets_[UpperAscii(name)] = std::move(h);
}
void DispatchObject::AddPut(std::string_view name, Handler h) {
  puts_[UpperAscii(name)] = std::move(h);
}
void DispatchObject::AddMethod(std::string_view name, Handler h) {
  methods_[UpperAscii(name)] = std::move(h);
}
void DispatchObject::AddProperty(std::string_view name, Handler get, Handler put) {
  AddGet(name, std::move(get));
  AddPut(name, std::move(put));
}

Variant DispatchObject::Invoke(std::string_view member, InvokeKind kind, std::span<Variant> args) {
  const std::string key = UpperAscii(member);
  auto find = [&key](const auto& table) -> const Handler* {
    auto it = table.find(key);
    return it == table.end() ? nullptr : &it->second;
  };
  const Handler* h = nullptr;
  switch (kind) {
    case InvokeKind::Put: h = find(puts_); break;
    // Automation lets a read-only property be called like a method and a
    // method be read like a property.
    case InvokeKind::Get: h = find(gets_) ? find(gets_) : find(methods_); break;
    case InvokeKind::Method: h = find(methods_) ? find(methods_) : find(gets_); break;
  }
  if (!h) throw HostError(hr::kUnknownName, "unknown name: " + std::string(member));
  BeforeInvoke(member, kind);
  return (*h)(args);
}

Variant Invoke(const ObjectRef& obj, std::string_view member, InvokeKind kind,
               std::span<Variant> args) {
  if (!obj) throw HostError(hr::kFail, "call on an empty object: " + std::string(member));
  OutgoingCall call(static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(obj.get())));
  for (;;) {
    try {
      CallCounter::Count(member);
      return obj->Invoke(member, kind, args);
    } catch (const CallRejected& rejected) {
      // Without a filter a rejected call fails, as on the platform by default.
      auto filter = CurrentMessageFilter();
      const std::int32_t delay =
          filter ? filter->RetryRejectedCall(call.callee(), call.ElapsedTicks(), rejected.type) : -1;
      if (delay < 0)
        throw HostError(hr::kCallRejected, "call rejected by callee: " + std::string(member));
      // The clock is looked up again: a callee may have installed another one.
      CurrentClock().SleepMs(delay);
      call.OfferPendingMessages();
    }
  }
}

Variant Get(const ObjectRef& obj, std::string_view member, std::vector<Variant> args) {
  return Invoke(obj, member, InvokeKind::Get, args);
}

void Put(const ObjectRef& obj, std::string_view member, Variant value) {
  Variant args[] = {std::move(value)};
  Invoke(obj, member, InvokeKind::Put, args);
}

Variant Call(const ObjectRef& obj, std::string_view member, std::vector<Variant> args) {
  return Invoke(obj, member, InvokeKind::Method, args);
}

Variant CallOut(const ObjectRef& obj, std::string_view member, std::vector<Variant>& args) {
  return Invoke(obj, member, InvokeKind::Method, args);
}

}  // namespace zavin::platform

#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/variant.h"

namespace zavin::platform {

// Error codes carried by HostError, in the spirit of automation HRESULTs.
namespace hr {
inline constexpr std::int32_t kFail = static_cast<std::int32_t>(0x80004005);
inline constexpr std::int32_t kUnknownName = static_cast<std::int32_t>(0x80020006);
inline constexpr std::int32_t kTypeMismatch = static_cast<std::int32_t>(0x80020005);
inline constexpr std::int32_t kBadParamCount = static_cast<std::int32_t>(0x8002000E);
inline constexpr std::int32_t kInvalidArg = static_cast<std::int32_t>(0x80070057);
inline constexpr std::int32_t kCallRejected = static_cast<std::int32_t>(0x80010001);
inline constexpr std::int32_t kCallCancelled = static_cast<std::int32_t>(0x80010002);
inline constexpr std::int32_t kClassNotRegistered = static_cast<std::int32_t>(0x80040154);
inline constexpr std::int32_t kInvalidProgId = static_cast<std::int32_t>(0x800401F3);
inline constexpr std::int32_t kUnavailable = static_cast<std::int32_t>(0x800401E3);
inline constexpr std::int32_t kHostException = static_cast<std::int32_t>(0x80020009);
inline constexpr std::int32_t kCancelled = static_cast<std::int32_t>(0x80004004);
}  // namespace hr

// The one error type of the automation boundary: a code and a text.
class HostError : public std::runtime_error {
 public:
  HostError(std::int32_t code, std::string text)
      : std::runtime_error(text), code_(code), text_(std::move(text)) {}
  std::int32_t code() const { return code_; }
  const std::string& text() const { return text_; }

 private:
  std::int32_t code_;
  std::string text_;
};

// Thrown by a callee that cannot take a call now. The caller's side of the
// automation layer consults the registered message filter; it never reaches
// command code. `type` 2 means "retry later".
struct CallRejected {
  std::uint32_t type = 2;
};

enum class InvokeKind { Get, Put, Method };

// A late-bound object: members are resolved by name, without regard to case,
// at call time. Arguments are positional; a callee may write out-arguments
// back into `args`.
class AutoObject {
 public:
  virtual ~AutoObject() = default;
  virtual Variant Invoke(std::string_view member, InvokeKind kind, std::span<Variant> args) = 0;
};

// Case-insensitive name table for implementing AutoObject. Derived classes
// register their members once; unknown names and wrong kinds raise
// HostError(kUnknownName).
class DispatchObject : public AutoObject {
 public:
  using Handler = std::function<Variant(std::span<Variant>)>;

  Variant Invoke(std::string_view member, InvokeKind kind, std::span<Variant> args) override;

 protected:
  void AddGet(std::string_view name, Handler h);
  void AddPut(std::string_view name, Handler h);
  void AddMethod(std::string_view name, Handler h);
  // A property with a getter and a setter (the setter receives the value as
  // the last argument).
  void AddProperty(std::string_view name, Handler get, Handler put);

  // Called before every member; a test host uses it for fault injection.
  virtual void BeforeInvoke(std::string_view /*member*/, InvokeKind /*kind*/) {}

 private:
  std::map<std::string, Handler, std::less<>> gets_, puts_, methods_;
};

std::string UpperAscii(std::string_view s);

// Checks an argument count; raises HostError(kBadParamCount) otherwise.
void RequireArgs(std::span<Variant> args, std::size_t min, std::size_t max);

// The caller's side of a late-bound call. Goes through the registered
// message filter: a CallRejected from the callee is retried after the delay
// the filter returns (asked with the milliseconds since the call began, the
// delay slept on the current clock); a negative delay, or no filter at all,
// cancels with HostError(kCallRejected). After each delay the queued window
// messages are offered to the filter (platform/message_queue.h). Each attempt
// counts on the active CallCounter (platform/call_count.h).
Variant Invoke(const ObjectRef& obj, std::string_view member, InvokeKind kind,
               std::span<Variant> args);
Variant Get(const ObjectRef& obj, std::string_view member, std::vector<Variant> args = {});
void Put(const ObjectRef& obj, std::string_view member, Variant value);
Variant Call(const ObjectRef& obj, std::string_view member, std::vector<Variant> args = {});
// A method with out-arguments: `args` is updated in place.
Variant CallOut(const ObjectRef& obj, std::string_view member, std::vector<Variant>& args);

}  // namespace zavin::platform

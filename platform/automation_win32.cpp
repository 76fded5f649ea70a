// Late binding through the platform's automation interface (IDispatch), the
// Windows backend of running_hosts_backend.h.
//
// ComObject is an AutoObject over an IDispatch: names are resolved once per
// object (without regard to case) and cached; our Variant becomes a VARIANT
// or SAFEARRAY of the shape the host object model uses and back; an
// exception of the callee (EXCEPINFO) or a failing HRESULT becomes a
// HostError with its code and text; a callee that is busy
// (RPC_E_CALL_REJECTED, RPC_E_SERVERCALL_RETRYLATER, from GetIDsOfNames as
// well as from Invoke) raises CallRejected, so that the retry decision of
// the registered message filter (automation.cpp) is the same code on every
// platform.
//
// DispatchAdapter is the other side: an IDispatch over any AutoObject of this
// process. Hosts of this process are reached through it (AsSeenByCaller), so
// that their callers go through the same conversions as callers of a host in
// another process. It is strict where the host object model is: an argument
// the callee fills in must be passed by reference.

// Project headers first: <windows.h> defines macros with the names of some
// of their constants.
#include "platform/automation.h"
#include "platform/message_filter.h"
#include "platform/running_hosts_backend.h"
#include "platform/variant.h"

#include <windows.h>
#include <oleauto.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace zavin::platform {
namespace {

// Marks our own adapter, so that an object of this process handed back to
// it as an argument is the object itself again.
const IID kAdapterIid = {0x5a617669, 0x6e41, 0x4461, {0x70, 0x74, 0x65, 0x72, 0x00, 0x00, 0x00, 0x01}};

void EnsureApartment() {
  // The tool's one thread is a single-threaded apartment; this makes it one
  // where the program has not done so already at start.
  thread_local const bool initialised = [] {
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    return SUCCEEDED(hr) || hr == RPC_E_CHANGED_MODE;
  }();
  (void)initialised;
}

std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string Utf8(const wchar_t* wide, std::size_t length) {
  if (length == 0) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), out.data(), n, nullptr, nullptr);
  return out;
}

std::string Utf8(BSTR s) { return s ? Utf8(s, SysStringLen(s)) : std::string(); }

BSTR NewBstr(std::string_view utf8) {
  const std::wstring w = Wide(utf8);
  return SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
}

std::string HresultText(HRESULT hr) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "0x%08lX", static_cast<unsigned long>(hr));
  return buf;
}

bool IsBusy(HRESULT hr) { return hr == RPC_E_CALL_REJECTED || hr == RPC_E_SERVERCALL_RETRYLATER; }

// Owns one VARIANT.
struct ComVariant {
  VARIANT v;
  ComVariant() { VariantInit(&v); }
  ~ComVariant() { VariantClear(&v); }
  ComVariant(const ComVariant&) = delete;
  ComVariant& operator=(const ComVariant&) = delete;
};

IDispatch* ToDispatch(const ObjectRef& object);
ObjectRef FromDispatch(IDispatch* dispatch, bool unwrap_ours);

VARTYPE ElementType(VarKind kind) {
  switch (kind) {
    case VarKind::Int16: return VT_I2;
    case VarKind::Int32: return VT_I4;
    case VarKind::Int64: return VT_I8;
    case VarKind::Double: return VT_R8;
    case VarKind::Bool: return VT_BOOL;
    case VarKind::Text: return VT_BSTR;
    case VarKind::Object: return VT_DISPATCH;
    case VarKind::Empty:
    case VarKind::Variant: return VT_VARIANT;
    case VarKind::Array: break;
  }
  throw HostError(hr::kTypeMismatch, "an array cannot hold arrays");
}

// Writes `value` into `out` (which must be empty).
void ToVariant(const Variant& value, VARIANT& out);

SAFEARRAY* ToSafeArray(const VariantArray& a) {
  const VARTYPE vt = ElementType(a.element);
  SAFEARRAY* sa = SafeArrayCreateVector(vt, a.lower, static_cast<ULONG>(a.items.size()));
  if (!sa) throw HostError(hr::kFail, "out of memory for an array");
  try {
    for (std::size_t i = 0; i < a.items.size(); ++i) {
      LONG index = a.lower + static_cast<LONG>(i);
      const Variant& item = a.items[i];
      HRESULT hr = S_OK;
      switch (vt) {
        case VT_I2: { SHORT x = static_cast<SHORT>(item.ToInt32()); hr = SafeArrayPutElement(sa, &index, &x); break; }
        case VT_I4: { LONG x = item.ToInt32(); hr = SafeArrayPutElement(sa, &index, &x); break; }
        case VT_I8: { LONGLONG x = item.ToInt64(); hr = SafeArrayPutElement(sa, &index, &x); break; }
        case VT_R8: { double x = item.ToDouble(); hr = SafeArrayPutElement(sa, &index, &x); break; }
        case VT_BOOL: { VARIANT_BOOL x = item.ToBool() ? VARIANT_TRUE : VARIANT_FALSE; hr = SafeArrayPutElement(sa, &index, &x); break; }
        case VT_BSTR: {
          BSTR s = NewBstr(item.text());
          hr = SafeArrayPutElement(sa, &index, s);  // copies
          SysFreeString(s);
          break;
        }
        case VT_DISPATCH: {
          IDispatch* d = ToDispatch(item.object());
          hr = SafeArrayPutElement(sa, &index, d);  // adds its own reference
          if (d) d->Release();
          break;
        }
        default: {
          ComVariant v;
          ToVariant(item, v.v);
          hr = SafeArrayPutElement(sa, &index, &v.v);  // copies
          break;
        }
      }
      if (FAILED(hr)) throw HostError(hr, "cannot fill an array: " + HresultText(hr));
    }
  } catch (...) {
    SafeArrayDestroy(sa);
    throw;
  }
  return sa;
}

void ToVariant(const Variant& value, VARIANT& out) {
  VariantInit(&out);
  switch (value.kind()) {
    case VarKind::Empty: break;
    case VarKind::Int16: out.vt = VT_I2; out.iVal = static_cast<SHORT>(value.ToInt32()); break;
    case VarKind::Int32: out.vt = VT_I4; out.lVal = value.ToInt32(); break;
    case VarKind::Int64: out.vt = VT_I8; out.llVal = value.ToInt64(); break;
    case VarKind::Double: out.vt = VT_R8; out.dblVal = value.ToDouble(); break;
    case VarKind::Bool: out.vt = VT_BOOL; out.boolVal = value.ToBool() ? VARIANT_TRUE : VARIANT_FALSE; break;
    case VarKind::Text: out.vt = VT_BSTR; out.bstrVal = NewBstr(value.text()); break;
    case VarKind::Object: out.vt = VT_DISPATCH; out.pdispVal = ToDispatch(value.object()); break;
    case VarKind::Array: {
      const VariantArray& a = value.array();
      SAFEARRAY* sa = ToSafeArray(a);
      out.vt = static_cast<VARTYPE>(VT_ARRAY | ElementType(a.element));
      out.parray = sa;
      break;
    }
    case VarKind::Variant: throw HostError(hr::kTypeMismatch, "no value of kind Variant");
  }
}

Variant FromVariant(const VARIANT& in, bool unwrap_ours);

VarKind ElementKind(VARTYPE vt) {
  switch (vt) {
    case VT_I2: return VarKind::Int16;
    case VT_I4: return VarKind::Int32;
    case VT_I8: return VarKind::Int64;
    case VT_R8: return VarKind::Double;
    case VT_BOOL: return VarKind::Bool;
    case VT_BSTR: return VarKind::Text;
    case VT_DISPATCH: return VarKind::Object;
    case VT_VARIANT: return VarKind::Variant;
    default: break;
  }
  throw HostError(hr::kTypeMismatch, "unsupported array element type " + std::to_string(vt));
}

Variant FromSafeArray(SAFEARRAY* sa, bool unwrap_ours) {
  if (!sa) return Variant(VariantArray{});
  if (SafeArrayGetDim(sa) != 1) throw HostError(hr::kTypeMismatch, "only one-dimensional arrays");
  VARTYPE vt = VT_EMPTY;
  if (FAILED(SafeArrayGetVartype(sa, &vt))) throw HostError(hr::kTypeMismatch, "array of unknown type");
  LONG lower = 0, upper = -1;
  SafeArrayGetLBound(sa, 1, &lower);
  SafeArrayGetUBound(sa, 1, &upper);
  VariantArray a;
  a.element = ElementKind(vt);
  a.lower = lower;
  for (LONG i = lower; i <= upper; ++i) {
    HRESULT hr = S_OK;
    switch (vt) {
      case VT_I2: { SHORT x = 0; hr = SafeArrayGetElement(sa, &i, &x); a.items.emplace_back(static_cast<std::int16_t>(x)); break; }
      case VT_I4: { LONG x = 0; hr = SafeArrayGetElement(sa, &i, &x); a.items.emplace_back(static_cast<std::int32_t>(x)); break; }
      case VT_I8: { LONGLONG x = 0; hr = SafeArrayGetElement(sa, &i, &x); a.items.emplace_back(static_cast<std::int64_t>(x)); break; }
      case VT_R8: { double x = 0; hr = SafeArrayGetElement(sa, &i, &x); a.items.emplace_back(x); break; }
      case VT_BOOL: { VARIANT_BOOL x = 0; hr = SafeArrayGetElement(sa, &i, &x); a.items.emplace_back(x != VARIANT_FALSE); break; }
      case VT_BSTR: {
        BSTR s = nullptr;
        hr = SafeArrayGetElement(sa, &i, &s);
        a.items.emplace_back(Utf8(s));
        SysFreeString(s);
        break;
      }
      case VT_DISPATCH: {
        IDispatch* d = nullptr;
        hr = SafeArrayGetElement(sa, &i, &d);
        a.items.emplace_back(FromDispatch(d, unwrap_ours));
        if (d) d->Release();
        break;
      }
      default: {
        ComVariant v;
        hr = SafeArrayGetElement(sa, &i, &v.v);
        a.items.push_back(FromVariant(v.v, unwrap_ours));
        break;
      }
    }
    if (FAILED(hr)) throw HostError(hr, "cannot read an array: " + HresultText(hr));
  }
  return Variant(std::move(a));
}

Variant FromVariant(const VARIANT& in, bool unwrap_ours) {
  if (in.vt == (VT_BYREF | VT_VARIANT)) return in.pvarVal ? FromVariant(*in.pvarVal, unwrap_ours) : Variant();
  if (in.vt & VT_ARRAY) return FromSafeArray((in.vt & VT_BYREF) ? *in.pparray : in.parray, unwrap_ours);
  if (in.vt & VT_BYREF) {
    // A reference to a plain value: read it as that value.
    ComVariant copy;
    if (FAILED(VariantCopyInd(&copy.v, const_cast<VARIANT*>(&in)))) throw HostError(hr::kTypeMismatch, "unreadable reference");
    return FromVariant(copy.v, unwrap_ours);
  }
  switch (in.vt) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_ERROR: return Variant();  // VT_ERROR: an argument left out
    case VT_I1: return Variant(static_cast<std::int16_t>(in.cVal));
    case VT_UI1: return Variant(static_cast<std::int16_t>(in.bVal));
    case VT_I2: return Variant(static_cast<std::int16_t>(in.iVal));
    case VT_UI2: return Variant(static_cast<std::int32_t>(in.uiVal));
    case VT_I4: return Variant(static_cast<std::int32_t>(in.lVal));
    case VT_INT: return Variant(static_cast<std::int32_t>(in.intVal));
    case VT_UI4: return Variant(static_cast<std::int64_t>(in.ulVal));
    case VT_UINT: return Variant(static_cast<std::int64_t>(in.uintVal));
    case VT_I8: return Variant(static_cast<std::int64_t>(in.llVal));
    case VT_R4: return Variant(static_cast<double>(in.fltVal));
    case VT_R8: return Variant(in.dblVal);
    case VT_BOOL: return Variant(in.boolVal != VARIANT_FALSE);
    case VT_BSTR: return Variant(Utf8(in.bstrVal));
    case VT_DISPATCH: return Variant(FromDispatch(in.pdispVal, unwrap_ours));
    case VT_UNKNOWN: {
      IDispatch* d = nullptr;
      if (!in.punkVal || FAILED(in.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d))))
        throw HostError(hr::kTypeMismatch, "an object without automation");
      Variant v(FromDispatch(d, unwrap_ours));
      d->Release();
      return v;
    }
    default: break;
  }
  throw HostError(hr::kTypeMismatch, "unsupported VARIANT type " + std::to_string(in.vt));
}

// ---- The caller's side

class ComObject : public AutoObject {
 public:
  explicit ComObject(IDispatch* dispatch) : dispatch_(dispatch) { dispatch_->AddRef(); }
  ~ComObject() override { dispatch_->Release(); }
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  IDispatch* dispatch() const { return dispatch_; }

  Variant Invoke(std::string_view member, InvokeKind kind, std::span<Variant> args) override {
    const DISPID id = Id(member);
    const std::size_t n = args.size();
    // DISPPARAMS lists the arguments last to first.
    std::vector<ComVariant> values(n);
    std::vector<ComVariant> slots(n);  // what out-arguments refer to
    std::vector<bool> by_ref(n, false);
    for (std::size_t i = 0; i < n; ++i) {
      VARIANT& v = values[n - 1 - i].v;
      if (args[i].empty() && kind != InvokeKind::Put) {
        // A slot for the callee to fill in (GetEntity, GetXdata), or an
        // argument left empty (GetPoint's base point): by reference, so
        // that what the callee writes reaches `args`.
        by_ref[i] = true;
        v.vt = VT_BYREF | VT_VARIANT;
        v.pvarVal = &slots[i].v;
      } else {
        ToVariant(args[i], v);
      }
    }
    std::vector<VARIANT> raw(n);
    for (std::size_t i = 0; i < n; ++i) raw[i] = values[i].v;
    DISPPARAMS params{raw.data(), nullptr, static_cast<UINT>(n), 0};
    DISPID put = DISPID_PROPERTYPUT;
    WORD flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET;
    if (kind == InvokeKind::Put) {
      params.rgdispidNamedArgs = &put;
      params.cNamedArgs = 1;
      flags = DISPATCH_PROPERTYPUT;
    }
    ComVariant result;
    EXCEPINFO info{};
    UINT arg_error = 0;
    const HRESULT hr = dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                         &result.v, &info, &arg_error);
    if (hr == DISP_E_EXCEPTION) Raise(member, info);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    if (IsBusy(hr)) throw CallRejected{kRejectRetryLater};
    if (FAILED(hr)) throw HostError(hr, std::string(member) + ": call failed with " + HresultText(hr));
    for (std::size_t i = 0; i < n; ++i)
      if (by_ref[i]) args[i] = FromVariant(slots[i].v, false);
    return FromVariant(result.v, false);
  }

 private:
  DISPID Id(std::string_view member) {
    const std::string key = UpperAscii(member);
    if (auto it = ids_.find(key); it != ids_.end()) return it->second;
    std::wstring name = Wide(member);
    LPOLESTR names[] = {name.data()};
    DISPID id = DISPID_UNKNOWN;
    const HRESULT hr = dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (IsBusy(hr)) throw CallRejected{kRejectRetryLater};
    if (hr == DISP_E_UNKNOWNNAME) throw HostError(hr::kUnknownName, "unknown name: " + std::string(member));
    if (FAILED(hr)) throw HostError(hr, std::string(member) + ": name lookup failed with " + HresultText(hr));
    ids_.emplace(key, id);
    return id;
  }

  [[noreturn]] static void Raise(std::string_view member, EXCEPINFO& info) {
    if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
    std::string text = Utf8(info.bstrDescription);
    HRESULT code = info.scode;
    if (code == 0) code = info.wCode ? MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, info.wCode) : DISP_E_EXCEPTION;
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    if (text.empty()) text = std::string(member) + ": host error " + HresultText(code);
    throw HostError(code, text);
  }

  IDispatch* dispatch_;
  std::map<std::string, DISPID, std::less<>> ids_;
};

// ---- The callee's side

// One table of member ids for every adapter: ids from 1 in the order names
// are first asked for.
class MemberIds {
 public:
  DISPID Id(const std::string& upper_name) {
    auto [it, added] = ids_.try_emplace(upper_name, static_cast<DISPID>(names_.size() + 1));
    if (added) names_.push_back(upper_name);
    return it->second;
  }
  const std::string* Name(DISPID id) const {
    if (id < 1 || static_cast<std::size_t>(id) > names_.size()) return nullptr;
    return &names_[static_cast<std::size_t>(id) - 1];
  }

 private:
  std::map<std::string, DISPID> ids_;
  std::vector<std::string> names_;
};

MemberIds& TheMemberIds() {
  static MemberIds ids;
  return ids;
}

// COM interfaces have no virtual destructor: the adapter deletes itself in
// Release, never through an interface pointer.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class DispatchAdapter final : public IDispatch {
 public:
  explicit DispatchAdapter(ObjectRef object) : object_(std::move(object)) {}

  const ObjectRef& object() const { return object_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, kAdapterIid)) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    // Members are resolved when called: every name gets an id here, and an
    // unknown one fails in Invoke with the callee's own error.
    for (UINT i = 0; i < count; ++i)
      ids[i] = i == 0 ? TheMemberIds().Id(UpperAscii(Utf8(names[i], wcslen(names[i])))) : DISPID_UNKNOWN;
    return count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* info, UINT* arg_error) override {
    const std::string* name = TheMemberIds().Name(id);
    if (!name) return DISP_E_MEMBERNOTFOUND;
    if (!params) return E_INVALIDARG;
    InvokeKind kind = InvokeKind::Method;
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
      if (params->cNamedArgs != 1 || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) return DISP_E_PARAMNOTOPTIONAL;
      kind = InvokeKind::Put;
    } else if (params->cNamedArgs != 0) {
      return DISP_E_NONAMEDARGS;
    } else if (!(flags & DISPATCH_METHOD)) {
      kind = InvokeKind::Get;
    }
    const UINT n = params->cArgs;
    std::vector<Variant> args;
    args.reserve(n);
    std::vector<VARIANT*> refs(n, nullptr);
    try {
      // Arguments come last to first; a put's value, the named argument,
      // is the first of the list and so the last argument.
      for (UINT i = 0; i < n; ++i) {
        VARIANT& v = params->rgvarg[n - 1 - i];
        if (v.vt == (VT_BYREF | VT_VARIANT)) refs[i] = v.pvarVal;
        try {
          args.push_back(FromVariant(v, true));
        } catch (...) {
          if (arg_error) *arg_error = n - 1 - i;
          throw;
        }
      }
      const std::vector<Variant> before = args;
      Variant r = object_->Invoke(*name, kind, args);
      for (UINT i = 0; i < n; ++i) {
        if (args[i] == before[i]) continue;
        if (!refs[i]) {
          // The callee filled in an argument the caller cannot see.
          if (arg_error) *arg_error = n - 1 - i;
          return DISP_E_TYPEMISMATCH;
        }
        VariantClear(refs[i]);
        ToVariant(args[i], *refs[i]);
      }
      if (result) ToVariant(r, *result);
      return S_OK;
    } catch (const CallRejected&) {
      // Busy. Wine's COM does not pass SERVERCALL_RETRYLATER from a server's
      // message filter on to the caller, so a busy callee answers this way.
      return RPC_E_CALL_REJECTED;
    } catch (const HostError& e) {
      return Exception(info, e.code(), e.text());
    } catch (const std::exception& e) {
      return Exception(info, E_FAIL, e.what());
    }
  }

 private:
  static HRESULT Exception(EXCEPINFO* info, std::int32_t code, const std::string& text) {
    if (info) {
      *info = EXCEPINFO{};
      info->bstrSource = NewBstr("Zavin");
      info->bstrDescription = NewBstr(text);
      info->scode = code;
    }
    return DISP_E_EXCEPTION;
  }

  ObjectRef object_;
  std::atomic<ULONG> refs_{1};
};
#pragma GCC diagnostic pop

IDispatch* ToDispatch(const ObjectRef& object) {
  if (!object) return nullptr;
  if (auto* com = dynamic_cast<ComObject*>(object.get())) {
    com->dispatch()->AddRef();
    return com->dispatch();
  }
  return new DispatchAdapter(object);  // one reference, the caller's
}

ObjectRef FromDispatch(IDispatch* dispatch, bool unwrap_ours) {
  if (!dispatch) return nullptr;
  if (unwrap_ours) {
    IDispatch* ours = nullptr;
    if (SUCCEEDED(dispatch->QueryInterface(kAdapterIid, reinterpret_cast<void**>(&ours)))) {
      ObjectRef object = static_cast<DispatchAdapter*>(ours)->object();
      ours->Release();
      return object;
    }
  }
  return std::make_shared<ComObject>(dispatch);
}

bool ParseClsid(const Clsid& clsid, CLSID& out) {
  const std::wstring w = Wide(clsid.value);
  return SUCCEEDED(CLSIDFromString(w.c_str(), &out));
}

}  // namespace

namespace backend {

std::optional<Clsid> SystemClsid(std::string_view prog_id) {
  EnsureApartment();
  CLSID clsid;
  const std::wstring w = Wide(prog_id);
  if (FAILED(::CLSIDFromProgID(w.c_str(), &clsid))) return std::nullopt;
  wchar_t text[64];
  if (StringFromGUID2(clsid, text, 64) == 0) return std::nullopt;
  return Clsid{Utf8(text, wcslen(text))};
}

ObjectRef SystemActiveObject(const Clsid& clsid) {
  EnsureApartment();
  CLSID id;
  if (!ParseClsid(clsid, id)) return nullptr;
  IUnknown* unknown = nullptr;
  if (FAILED(::GetActiveObject(id, nullptr, &unknown)) || !unknown) return nullptr;
  IDispatch* dispatch = nullptr;
  const HRESULT hr = unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
  unknown->Release();
  if (FAILED(hr) || !dispatch) return nullptr;
  ObjectRef object = std::make_shared<ComObject>(dispatch);
  dispatch->Release();
  return object;
}

ObjectRef LocalObject(const ObjectRef& object) {
  auto* com = dynamic_cast<ComObject*>(object.get());
  if (!com) return object;
  ObjectRef ours = FromDispatch(com->dispatch(), true);
  return dynamic_cast<ComObject*>(ours.get()) ? object : ours;
}

ObjectRef AsSeenByCaller(ObjectRef object) {
  if (!object) return object;
  EnsureApartment();
  IDispatch* adapter = ToDispatch(object);
  ObjectRef seen = std::make_shared<ComObject>(adapter);
  adapter->Release();
  return seen;
}

}  // namespace backend
}  // namespace zavin::platform

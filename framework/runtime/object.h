#pragma once
// Objects of the framework's runtime: reference counted, each tied to its class table.
// References are taken and released with RuntimeLockObject / RuntimeUnlockObject or,
// everywhere in C++ code, through the RAII handle Ref<T>, which releases on every path.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "framework/runtime/string.h"

struct ClassTable;
using AnyFunction = void (*)();

class Object {
 public:
  // A null class table stands for the root class.
  explicit Object(ClassTable* cls);
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  virtual ~Object();
  // The root class's table (fw::objectClass()), so that generic code can name T::__Lookup
  // for Object as for every other class.
  static ClassTable* __Lookup();

  ClassTable* classTable() const { return cls_; }
  int32_t referenceCount() const { return references_; }

  // Handlers bound to one instance by event name (_InstallInstanceEventHandler).
  AnyFunction instanceHandler(std::string_view event) const;
  void setInstanceHandler(const String& event, AnyFunction handler);

 private:
  friend void RuntimeLockObject(Object*);
  friend void RuntimeUnlockObject(Object*);
  ClassTable* cls_;
  int32_t references_ = 1;
  bool finalizing_ = false;  // its clean-up hooks are running
  std::vector<std::pair<String, AnyFunction>> instanceHandlers_;
};

// Locking or releasing an object that is not alive is a programming fault: it is
// reported on standard error and the process stops, never ignored.
void RuntimeLockObject(Object* o);
void RuntimeUnlockObject(Object* o);

namespace fw {
[[noreturn]] void throw_nil_object();  // RaiseNilObjectException, without the exceptions header
// Number of objects alive now: tests compare it before and after to find leaks.
std::size_t liveObjectCount();
bool isAlive(const Object* o);
}  // namespace fw

// The RAII handle: owns one reference, locks on copy, releases on destruction.
template <class T>
class Ref {
 public:
  Ref() = default;
  Ref(std::nullptr_t) {}  // NOLINT: implicit nil

  // Takes over a reference the caller already owns (a "new reference").
  static Ref adopt(T* p) {
    Ref r;
    r.p_ = p;
    return r;
  }
  // Takes a new reference on an object the caller only borrows.
  static Ref retain(T* p) {
    if (p) RuntimeLockObject(p);
    return adopt(p);
  }

  Ref(const Ref& o) : p_(o.p_) {
    if (p_) RuntimeLockObject(p_);
  }
  Ref(Ref&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  Ref(Ref<U> o) : p_(o.release()) {}  // NOLINT: upcast
  Ref& operator=(Ref o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~Ref() {
    if (p_) RuntimeUnlockObject(p_);
  }

  T* get() const { return p_; }
  // Using a nil reference raises the nil-object exception, as the framework does for
  // any object used where none is.
  T* operator->() const {
    if (p_ == nullptr) fw::throw_nil_object();
    return p_;
  }
  T& operator*() const { return *operator->(); }
  explicit operator bool() const { return p_ != nullptr; }
  // Gives the reference away to the caller, who must release it.
  T* release() { return std::exchange(p_, nullptr); }

 private:
  T* p_ = nullptr;
};

template <class T, class U>
bool operator==(const Ref<T>& a, const Ref<U>& b) {
  return a.get() == b.get();
}

namespace fw {
// The reference itself, or the nil-object exception when it is nil: for the callers that
// test a lookup's result before they use it.
template <class T>
Ref<T> nonNil(Ref<T> r) {
  if (!r) throw_nil_object();
  return r;
}
}  // namespace fw

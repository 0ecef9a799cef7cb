#pragma once
// Delegates and instance event handlers: how a window method is bound to one control's
// event, and how an event finds its handler.

#include <optional>
#include <string_view>

#include "framework/runtime/class_table.h"

// The kinds of invoker a delegate is made with: by the handler's shape.
enum class DelegateInvoker { Invoke, IM_Invoke };

class Delegate : public Object {
 public:
  Delegate(ClassTable* cls, DelegateInvoker invoker, AnyFunction method, Ref<Object> target,
           String signature);
  static ClassTable* __Lookup();

  DelegateInvoker invoker() const { return invoker_; }
  AnyFunction method() const { return method_; }
  Object* target() const { return target_.get(); }
  const String& signature() const { return signature_; }

 private:
  DelegateInvoker invoker_;
  AnyFunction method_;
  Ref<Object> target_;
  String signature_;
};

// A new delegate of the method on the target (target may be nil), as a new reference.
Ref<Delegate> RuntimeCreateDelegate(DelegateInvoker invoker, AnyFunction method,
                                    Object* target, const String& signature);

// Binds the handler to the named event of this one instance; a null handler unbinds.
void _InstallInstanceEventHandler(Object* control, const String& eventName, AnyFunction handler);

namespace fw {

// The handler for the named event: the instance's own binding first, then the class's
// event table (inherited entries included). Null when nothing handles it.
AnyFunction eventHandler(Object* source, std::string_view eventName);

// Raises the event on the source: calls its handler as R(Object*, A...), with the source
// as the first argument, and returns the result; nullopt when no handler is bound.
// Exceptions from the handler pass to the caller.
template <class R, class... A>
auto raiseEvent(Object* source, std::string_view eventName, std::type_identity_t<A>... args) {
  AnyFunction fn = eventHandler(source, eventName);
  if constexpr (std::is_void_v<R>) {
    if (fn) reinterpret_cast<void (*)(Object*, A...)>(fn)(source, args...);
    return fn != nullptr;
  } else {
    std::optional<R> result;
    if (fn) result = reinterpret_cast<R (*)(Object*, A...)>(fn)(source, args...);
    return result;
  }
}

}  // namespace fw

#include "framework/runtime/delegate.h"

Delegate::Delegate(ClassTable* cls, DelegateInvoker invoker, AnyFunction method,
                   Ref<Object> target, String signature)
    : Object(cls),
      invoker_(invoker),
      method_(method),
      target_(std::move(target)),
      signature_(std::move(signature)) {}

ClassTable* Delegate::__Lookup() {
  static ClassTable* table = [] {
    ClassTable* t = RuntimeNewClass(fw::objectClass(), 0, 0, 0, 0, 0, 0);
    t->name = "Delegate";
    t->factory = nullptr;  // made only by RuntimeCreateDelegate
    return t;
  }();
  return table;
}

Ref<Delegate> RuntimeCreateDelegate(DelegateInvoker invoker, AnyFunction method,
                                    Object* target, const String& signature) {
  return Ref<Delegate>::adopt(new Delegate(Delegate::__Lookup(), invoker, method,
                                           Ref<Object>::retain(target), signature));
}

void _InstallInstanceEventHandler(Object* control, const String& eventName, AnyFunction handler) {
  if (control == nullptr) RaiseNilObjectException();
  control->setInstanceHandler(eventName, handler);
}

namespace fw {

AnyFunction eventHandler(Object* source, std::string_view eventName) {
  if (source == nullptr) return nullptr;
  if (AnyFunction fn = source->instanceHandler(eventName)) return fn;
  const ClassTable* cls = source->classTable();
  int i = findEvent(cls, eventName);
  return i < 0 ? nullptr : cls->events[static_cast<std::size_t>(i)].handler;
}

}  // namespace fw

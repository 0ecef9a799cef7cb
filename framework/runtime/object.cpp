#include "framework/runtime/object.h"

#include <cstdio>
#include <cstdlib>
#include <unordered_set>

#include "framework/runtime/class_table.h"
#include "framework/runtime/exceptions.h"

namespace {
// Every object alive, so that a lock or release of a dead object is caught. The set is
// never destroyed: objects held by statics are released during exit, after function-local
// statics constructed later than them are already gone.
std::unordered_set<const Object*>& live() {
  static auto* objects = new std::unordered_set<const Object*>;
  return *objects;
}

[[noreturn]] void fatal(const char* what) {
  std::fprintf(stderr, "framework: %s\n", what);
  std::abort();
}
}  // namespace

Object::Object(ClassTable* cls) : cls_(cls != nullptr ? cls : fw::objectClass()) {
  live().insert(this);
}
Object::~Object() {
  live().erase(this);
}

ClassTable* Object::__Lookup() {
  return fw::objectClass();
}

AnyFunction Object::instanceHandler(std::string_view event) const {
  for (const auto& [name, fn] : instanceHandlers_)
    if (name == event) return fn;
  return nullptr;
}

void Object::setInstanceHandler(const String& event, AnyFunction handler) {
  for (auto& [name, fn] : instanceHandlers_)
    if (name == event.view()) {
      fn = handler;
      return;
    }
  instanceHandlers_.emplace_back(event, handler);
}

void RuntimeLockObject(Object* o) {
  if (o == nullptr) return;
  if (!fw::isAlive(o)) fatal("an object was locked after it was freed");
  ++o->references_;
}

void RuntimeUnlockObject(Object* o) {
  if (o == nullptr) return;
  if (!fw::isAlive(o) || o->references_ <= 0)
    fatal("an object was released more often than it was locked");
  if (o->finalizing_) {
    // A hook may take and drop references to its object, but never the last one.
    if (o->references_ <= 1) fatal("an object was released by its own clean-up hook");
    --o->references_;
    return;
  }
  if (--o->references_ > 0) return;
  // The clean-up hooks run from the object's own class up to the root, while the object
  // is still whole; then the C++ object goes. During the hooks the object holds one
  // reference of its own, so a hook that locks and releases it does not free it twice.
  o->finalizing_ = true;
  o->references_ = 1;
  for (ClassTable* c = o->cls_; c != nullptr; c = c->parent)
    if (ExitHook hook = c->exitHook) fw::reportingFailure([&] { hook(o); });
  if (o->references_ != 1) fatal("an object was kept alive by its own clean-up hook");
  delete o;
}

namespace fw {
std::size_t liveObjectCount() {
  return live().size();
}
bool isAlive(const Object* o) {
  return live().count(o) != 0;
}
}  // namespace fw

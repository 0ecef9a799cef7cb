#include "framework/runtime/class_table.h"

#include <memory>
#include <unordered_set>

namespace {
// Class tables live until the process ends; this list owns them. It is never destroyed:
// objects held by statics may still be released during exit, and their release reads
// their class's clean-up hooks.
std::vector<std::unique_ptr<ClassTable>>& allTables() {
  static auto* tables = new std::vector<std::unique_ptr<ClassTable>>;
  return *tables;
}

ClassTable* keep(std::unique_ptr<ClassTable> t) {
  allTables().push_back(std::move(t));
  return allTables().back().get();
}

template <class T>
void inheritInto(std::vector<T>& own, const std::vector<T>& inherited, int32_t count) {
  if (count < static_cast<int32_t>(inherited.size()))
    throw RuntimeException("a class declares fewer entries than it inherits");
  own = inherited;
  own.resize(static_cast<std::size_t>(count));
}

Object* newPlainObject(ClassTable* cls) {
  return new Object(cls);
}
}  // namespace

ClassTable* RuntimeNewClass(ClassTable* parent, int32_t memberCount, int32_t interfaceCount,
                            int32_t eventCount, int32_t /*reserved*/, int32_t propertyCount,
                            int32_t classAttributeCount) {
  auto t = std::make_unique<ClassTable>();
  t->parent = parent;
  static const ClassTable kNone;
  const ClassTable& p = parent ? *parent : kNone;
  inheritInto(t->members, p.members, memberCount);
  inheritInto(t->interfaces, p.interfaces, interfaceCount);
  inheritInto(t->events, p.events, eventCount);
  inheritInto(t->properties, p.properties, propertyCount);
  t->attributes.resize(static_cast<std::size_t>(classAttributeCount < 0 ? 0 : classAttributeCount));
  t->factory = parent ? parent->factory : nullptr;
  return keep(std::move(t));
}

MethodTable RuntimeNewVtable(int32_t count) {
  return MethodTable(static_cast<std::size_t>(count < 0 ? 0 : count));
}

AttributeList& RuntimeAllocateAttributeTable(ClassTable*, MemberEntry& entry, int32_t count) {
  entry.attributes.resize(static_cast<std::size_t>(count < 0 ? 0 : count));
  return entry.attributes;
}

Ref<Object> RuntimeNewObject(ClassTable* cls) {
  if (cls == nullptr) RaiseNilObjectException();
  if (cls->isInterface || cls->factory == nullptr)
    throw RuntimeException("the class " + cls->name.str() + " cannot be instantiated");
  return Ref<Object>::adopt(cls->factory(cls));
}

namespace fw {

ClassTable* objectClass() {
  static ClassTable* table = [] {
    ClassTable* t = RuntimeNewClass(nullptr, 0, 0, 0, 0, 0, 0);
    t->name = "Object";
    t->factory = newPlainObject;
    return t;
  }();
  return table;
}

ClassTable* newInterface(std::string_view name, int32_t methodCount) {
  ClassTable* t = RuntimeNewClass(nullptr, 0, 0, 0, 0, 0, 0);
  t->name = String(name);
  t->isInterface = true;
  t->methods = RuntimeNewVtable(methodCount);
  return t;
}

bool inheritsFrom(const ClassTable* cls, const ClassTable* ancestor) {
  for (; cls != nullptr; cls = cls->parent)
    if (cls == ancestor) return true;
  return false;
}

bool implements(const ClassTable* cls, const ClassTable* interface) {
  return findInterface(cls, interface) != nullptr;
}

const InterfaceRecord* findInterface(const ClassTable* cls, const ClassTable* interface) {
  for (; cls != nullptr; cls = cls->parent)
    for (const auto& r : cls->interfaces)
      if (r.interface == interface) return &r;
  return nullptr;
}

const PropertyEntry* findProperty(const ClassTable* cls, std::string_view name) {
  // Own entries stand after the inherited ones; search from the end so a class's own
  // declaration wins over an inherited one of the same name.
  for (auto it = cls->properties.rbegin(); it != cls->properties.rend(); ++it)
    if (it->name == name) return &*it;
  return nullptr;
}

const MemberEntry* findMember(const ClassTable* cls, std::string_view name) {
  for (auto it = cls->members.rbegin(); it != cls->members.rend(); ++it)
    if (it->name == name) return &*it;
  return nullptr;
}

int findEvent(const ClassTable* cls, std::string_view name) {
  for (std::size_t i = cls->events.size(); i-- > 0;)
    if (cls->events[i].name == name) return static_cast<int>(i);
  return -1;
}

std::string_view internSignature(std::string_view signature) {
  // Node-based, so the text of an element never moves; never destroyed, like the tables.
  static auto* texts = new std::unordered_set<std::string>;
  return *texts->emplace(signature).first;
}

Attribute scopeAttribute(std::string_view scope) {
  return Attribute{"__Scope", String(scope), true, true};
}

Attribute hiddenAttribute() {
  return Attribute{"Hidden", String(), false, false};
}

std::vector<std::string> signatureCodes(std::string_view sig) {
  // "%" result "%" parameters; an object code runs to its closing angle bracket.
  std::vector<std::string> codes;
  if (sig.empty() || sig[0] != '%') return codes;
  std::size_t second = sig.find('%', 1);
  if (second == std::string_view::npos) return codes;
  codes.emplace_back(sig.substr(1, second - 1));
  std::string_view rest = sig.substr(second + 1);
  while (!rest.empty()) {
    std::size_t len = 1;
    if (rest[0] == 'o' && rest.size() > 1 && rest[1] == '<') {
      // "o<Class>"; a bare "o" (an object of any class, as C++ callers write it) is one
      // letter long.
      std::size_t close = rest.find('>');
      len = close == std::string_view::npos ? rest.size() : close + 1;
    } else if (rest.size() > 1 && rest[1] >= '0' && rest[1] <= '9') {
      len = 2;
    }
    codes.emplace_back(rest.substr(0, len));
    rest.remove_prefix(len);
  }
  return codes;
}

bool signaturesMatch(std::string_view stored, std::string_view expected) {
  auto a = signatureCodes(stored);
  auto b = signatureCodes(expected);
  if (a.size() != b.size() || a.empty()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    // An object code from C++ ("o") matches any object class the table names.
    if (b[i] == "o" && !a[i].empty() && a[i][0] == 'o') continue;
    if (a[i] != b[i]) return false;
  }
  return true;
}

}  // namespace fw

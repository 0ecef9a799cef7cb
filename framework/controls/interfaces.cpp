#include "framework/controls/class_builder.h"
#include "framework/controls/controls.h"

ClassTable* actionSource__Lookup() {
  // addActionNotificationReceiver, removeActionNotificationReceiver
  static ClassTable* table = fw::newInterface("actionSource", 2);
  return table;
}

ClassTable* _PaneChild__Lookup() {
  static ClassTable* table = fw::newInterface("_PaneChild", PaneChildSlot::kCount);
  return table;
}

DragItem::DragItem(ClassTable* cls) : Object(cls) {}

ClassTable* DragItem::__Lookup() {
  static ClassTable* table = [] {
    ClassTable* t = RuntimeNewClass(fw::objectClass(), 0, 0, 0, 0, 0, 1);
    t->name = "DragItem";
    t->attributes[0] = fw::scopeAttribute("Public");
    t->factory = fw::build::newObject<DragItem>;
    return t;
  }();
  return table;
}

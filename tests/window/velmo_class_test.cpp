// The main window's class table, the accessor, and the window it builds.

#include <QWidget>

#include "framework/runtime/blob_reader.h"
#include "tests/support/program_fixture.h"
#include "window/control_table.h"
#include "window/mytimer.h"
#include "window/velmo_methods.h"

namespace {

using testing_support::ProgramTest;

const Attribute* attribute(const MemberEntry& m, std::string_view name) {
  for (const auto& a : m.attributes)
    if (a.name == name) return &a;
  return nullptr;
}

TEST(VelmoClass, IsBuiltOnceWithWindowsMethodsFirst) {
  ClassTable* t = VELMO::__Lookup();
  VELMO::__ctblinit();
  EXPECT_EQ(VELMO::__Lookup(), t);
  EXPECT_EQ(t->name, "VELMO");
  EXPECT_EQ(t->parent, Window::__Lookup());
  ASSERT_EQ(t->methods.size(), WindowSlot::kCount + 52);
  for (std::size_t i = 0; i < WindowSlot::kCount; ++i)
    EXPECT_EQ(t->methods[i].fn, Window::__Lookup()->methods[i].fn) << "slot " << i;
  EXPECT_EQ(t->methods[VELMO::methodSlot("Onpu")].fn, reinterpret_cast<AnyFunction>(&VELMO::Onpu));
  EXPECT_EQ(t->methods[VELMO::methodSlot("pxx")].fn, reinterpret_cast<AnyFunction>(&VELMO::pxx));
  EXPECT_EQ(t->methods[VELMO::methodSlot("_CreateControls1")].fn,
            reinterpret_cast<AnyFunction>(&VELMO::_CreateControls1));
  EXPECT_EQ(VELMO::methodSlot("Onpu"), t->methods.size() - 1);
}

TEST(VelmoClass, MemberTableHasItsOwnNinetySixEntriesInOrder) {
  ClassTable* t = VELMO::__Lookup();
  const std::size_t own = 96;
  ASSERT_GE(t->members.size(), own);
  const auto first = t->members.end() - own;
  std::vector<std::string> names;
  for (auto it = first; it != t->members.end(); ++it) {
    names.push_back(it->name.str());
    EXPECT_EQ(it->flags, kFlagPublic) << it->name.str();
    const Attribute* scope = attribute(*it, "__Scope");
    ASSERT_NE(scope, nullptr) << it->name.str();
    EXPECT_EQ(scope->value, "Public");
  }
  EXPECT_EQ(names[0], "Layout");
  EXPECT_EQ(names[3], "_CreateControls1");
  EXPECT_EQ(names[4], "PitchSlider");
  EXPECT_EQ(names[47], "Mytimer");
  EXPECT_EQ(names[48], "PitchSlider_ValueChanged");
  EXPECT_EQ(names[95], "Onpu");
  for (std::string_view hidden : {"_CreateControls0", "_CreateControls1"}) {
    const MemberEntry* m = fw::findMember(t, hidden);
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(m->attributes.size(), 2u);
    EXPECT_EQ(m->attributes[1].name, "Hidden");
    EXPECT_FALSE(m->attributes[1].hasValue);
  }
  EXPECT_EQ(fw::findMember(t, "Mytimer")->signature, "%o<Timer>%s");
  EXPECT_EQ(fw::findMember(t, "PitchSlider")->signature, "%o<Slider>%s");
  EXPECT_EQ(fw::findMember(t, "Oval1_MouseDown")->signature, "%b%i4i4");
  EXPECT_EQ(fw::findMember(t, "Event_KeyDown")->signature, "%b%s");
  EXPECT_EQ(fw::findMember(t, "Onpu")->signature, "%i4%i4i4i4");
  EXPECT_EQ(fw::findMember(t, "Layout")->attributes.size(), 1u);
}

TEST(VelmoClass, HandlesExactlyFourWindowEvents) {
  ClassTable* t = VELMO::__Lookup();
  ASSERT_EQ(t->events.size(), std::size(Window::kEvents));
  std::vector<std::string> handled;
  for (const auto& e : t->events)
    if (e.handler) handled.push_back(e.name.str());
  EXPECT_EQ(handled, (std::vector<std::string>{"Layout", "CreateControls", "Open", "KeyDown"}));
}

using MainWindow = ProgramTest;

TEST_F(MainWindow, AccessorReturnsTheSameWindowEveryTime) {
  const std::size_t live = fw::liveObjectCount();
  Ref<Window> again = VELMO();
  EXPECT_EQ(again.get(), window());
  EXPECT_EQ(fw::liveObjectCount(), live);
}

TEST_F(MainWindow, HasItsSizeTitleAndColour) {
  EXPECT_EQ(window()->Width(), 880);
  EXPECT_EQ(window()->Height(), 495);
  EXPECT_EQ(window()->Title(), "VELMO TAVI Italian Edition");
  EXPECT_EQ(window()->BackColor(), RGB(0x1d, 0x20, 0x3c));
  QWidget* w = window()->widget();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->windowTitle().toStdString(), "VELMO TAVI Italian Edition");
  EXPECT_EQ(w->width(), 880);
  EXPECT_EQ(w->height(), 495);
}

TEST_F(MainWindow, HoldsAllFortyFourControlsByName) {
  for (const auto& row : window::kControls) {
    Ref<Object> c = RuntimeWindowControlByName(window(), String(row.name));
    EXPECT_TRUE(c) << row.name;
  }
  EXPECT_FALSE(RuntimeWindowControlByName(window(), "Oval23"));
  auto timer = control<Timer>("Mytimer");
  EXPECT_EQ(timer->classTable(), VELMO::Mytimer::__Lookup());
  EXPECT_EQ(timer->Mode(), 2);
  EXPECT_EQ(timer->Period(), 1000);
}

TEST_F(MainWindow, ControlsHaveTheirBlobValuesAndTextSizes) {
  EXPECT_EQ(control<Slider>("PitchSlider")->Value(), 5);
  EXPECT_EQ(control<Slider>("VelocitySlider")->Value(), 8);
  EXPECT_EQ(control<Slider>("VelocitySlider")->Maximum(), 20);
  auto popup = control<PopupMenu>("MusicPopupMenu");
  EXPECT_EQ(popup->ListCount(), 128);
  EXPECT_EQ(popup->ListIndex(), 0);
  EXPECT_EQ(popup->List(0), "@Acoustic Grand Piano");
  EXPECT_EQ(popup->List(38), popup->List(62));
  EXPECT_EQ(popup->TextSize(), 12.0f);
  EXPECT_EQ(control<TextField>("textfield")->TextSize(), 12.0f);
  EXPECT_FALSE(control<TextField>("textfield")->Visible());
  auto button = control<PushButton>("PushButton1");
  EXPECT_EQ(button->Caption(), "Randam Hit");
  EXPECT_TRUE(button->Bold());
  EXPECT_EQ(button->TextSize(), 10.0f);
  EXPECT_EQ(control<Oval>("Oval1")->FillColor(), RGB(255, 128, 128));
  EXPECT_EQ(control<Oval>("Oval2")->Left(), 259);
  EXPECT_EQ(control<NotePlayer>("NotePlayer1")->Instrument(), 1);
}

TEST_F(MainWindow, MethodsReachedThroughTheTableAreVelmosOwn) {
  EXPECT_EQ((fw::callMethod<int32_t, int32_t, int32_t, int32_t>(
                window(), VELMO::methodSlot("Onpu"), 0, 0, 0)),
            VELMO::Onpu(window(), 0, 0, 0));
  EXPECT_NO_THROW((fw::callMethod<void, int32_t>(window(), VELMO::methodSlot("pxx"), 6)));
  EXPECT_THROW((fw::callMethod<void>(window(), VELMO::methodSlot("pxx"))), IllegalCastException);
}

// Each constructor call while the window is built: the class of the new control and how
// many controls the window had registered by then.
struct ConstructorCall {
  std::string cls;
  int registeredBefore;
  bool operator==(const ConstructorCall&) const = default;
};
void PrintTo(const ConstructorCall& c, std::ostream* out) {
  *out << c.cls << " after " << c.registeredBefore;
}
std::vector<ConstructorCall> gConstructorCalls;

void spyConstructor(Object* self) {
  Ref<Object> window = _GetImplicitWindow("VELMO");
  int registered = 0;
  while (Ref<Object>::adopt(
      fw::callMethod<Object*, int32_t>(window.get(), WindowSlot::Control, registered)))
    ++registered;
  gConstructorCalls.push_back({self->classTable()->name.str(), registered});
}

// Puts the spy in the constructor slot of each class's own method table while it lives.
class ConstructorSpies {
 public:
  ConstructorSpies() {
    for (ClassTable* c : {Slider::__Lookup(), Oval::__Lookup(), TextField::__Lookup(),
                          PopupMenu::__Lookup(), PushButton::__Lookup()})
      replace(c, RectControlSlot::Constructor);
    replace(VELMO::Mytimer::__Lookup(), VELMO::Mytimer::Slot::Constructor);
    gConstructorCalls.clear();
  }
  ~ConstructorSpies() {
    for (auto& [slot, real] : replaced_) slot->fn = real;
  }

 private:
  void replace(ClassTable* cls, std::size_t index) {
    MethodSlot& slot = cls->methods.at(index);
    replaced_.emplace_back(&slot, slot.fn);
    slot.fn = reinterpret_cast<AnyFunction>(&spyConstructor);
  }
  std::vector<std::pair<MethodSlot*, AnyFunction>> replaced_;
};

TEST_F(MainWindow, CreationCallsEachConstructorButTheNotePlayersBeforeRegistering) {
  {
    ConstructorSpies spies;
    startWithoutOpening();
  }
  // Rows 1-41 and 43-44 of the control table; row 42, NotePlayer1, gets no call.
  std::vector<ConstructorCall> expected;
  auto rows = [&](const std::string& cls, int n) {
    for (int i = 0; i < n; ++i) expected.push_back({cls, static_cast<int>(expected.size())});
  };
  rows("Slider", 2);
  rows("Oval", 13);
  rows("TextField", 1);
  rows("PopupMenu", 1);
  rows("Oval", 24);
  expected.push_back({"PushButton", 42});
  expected.push_back({"VELMO.Mytimer", 43});
  EXPECT_EQ(gConstructorCalls.size(), 43u);
  EXPECT_EQ(gConstructorCalls, expected);
}

TEST(MytimerClass, KeepsItsWindowCountedAndIndexUnchecked) {
  Ref<Object> timer = RuntimeNewObject(VELMO::Mytimer::__Lookup());
  Ref<Object> window = RuntimeNewObject(fw::objectClass());
  EXPECT_EQ(VELMO::Mytimer::Window(timer.get()), nullptr);
  VELMO::Mytimer::_SetWindow(timer.get(), window.get());
  EXPECT_EQ(window->referenceCount(), 2);
  VELMO::Mytimer::_SetWindow(timer.get(), window.get());
  EXPECT_EQ(window->referenceCount(), 2);
  Ref<Object> got = Ref<Object>::adopt(VELMO::Mytimer::Window(timer.get()));
  EXPECT_EQ(got.get(), window.get());
  got = nullptr;
  VELMO::Mytimer::_SetWindow(timer.get(), nullptr);
  EXPECT_EQ(window->referenceCount(), 1);
  VELMO::Mytimer::_SetIndex(timer.get(), -1);
  EXPECT_EQ(VELMO::Mytimer::_Index(timer.get()), -1);
  VELMO::Mytimer::_SetWindow(timer.get(), window.get());
  timer = nullptr;  // its clean-up releases the window
  EXPECT_EQ(window->referenceCount(), 1);
  EXPECT_THROW(VELMO::Mytimer::_SetIndex(nullptr, 1), NilObjectException);
}

TEST(MytimerClass, OffersItsWindowThroughThePaneChildInterface) {
  ClassTable* t = VELMO::Mytimer::__Lookup();
  EXPECT_EQ(t->name, "VELMO.Mytimer");
  EXPECT_EQ(t->parent, Timer::__Lookup());
  ASSERT_EQ(t->interfaces.size(), 2u);
  EXPECT_EQ(t->interfaces[0].interface, actionSource__Lookup());
  EXPECT_EQ(t->interfaces[1].interface, _PaneChild__Lookup());
  EXPECT_EQ(t->interfaces[1].methods[PaneChildSlot::Window].fn,
            reinterpret_cast<AnyFunction>(&VELMO::Mytimer::Window));
  EXPECT_EQ(fw::findProperty(t, "ownerWindow")->flags, kFlagSettable);
  EXPECT_EQ(fw::findProperty(t, "Index")->flags, kFlagPublic | kFlagSettable);
  EXPECT_EQ(t->events.size(), 1u);
  EXPECT_EQ(t->events[0].handler, nullptr);
}

}  // namespace

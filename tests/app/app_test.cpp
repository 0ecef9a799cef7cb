// The application object: its class table, the accessor, and its "Open" handler.

#include "app/startup.h"
#include "framework/runtime/reflection.h"
#include "tests/support/program_fixture.h"
#include "tests/support/recording_sound.h"

namespace {

using Call = fw::RecordingSynthesiser::Call;
using testing_support::Opening;
using testing_support::ProgramTest;

TEST(AppClass, ExtendsApplicationWithOneMethodAndFourProperties) {
  ClassTable* t = App::__Lookup();
  App::__ctblinit();
  EXPECT_EQ(App::__Lookup(), t) << "a second build changes nothing";
  EXPECT_EQ(t->name, "App");
  EXPECT_EQ(t->parent, Application::__Lookup());
  EXPECT_TRUE(t->attributes.empty());
  ASSERT_EQ(t->methods.size(), ApplicationSlot::kCount + 1);
  EXPECT_EQ(t->methods.back().fn, reinterpret_cast<AnyFunction>(&App::Event_Open));
  EXPECT_EQ(t->members.back().name, "Event_Open");
  EXPECT_EQ(t->members.back().signature, "%%");
  ASSERT_EQ(t->events.size(), 10u);
  EXPECT_EQ(t->events[0].name, "Open");
  EXPECT_EQ(t->events[0].handler, reinterpret_cast<AnyFunction>(&App::Event_Open));
  for (std::size_t i = 1; i < t->events.size(); ++i) EXPECT_EQ(t->events[i].handler, nullptr);
  const char* names[] = {"MyInstrument", "MyPitch", "MyVelocity", "LastPitch"};
  for (std::size_t i = 0; i < 4; ++i) {
    const PropertyEntry& p = t->properties[t->properties.size() - 4 + i];
    EXPECT_EQ(p.name, names[i]);
    EXPECT_EQ(p.flags, 5);
    EXPECT_EQ(p.typeCode, "i4");
  }
}

TEST(AppAccessor, IsNilUntilAnAppIsRegistered) {
  EXPECT_FALSE(App());
  initialize();
  _NewAppInstance();
  Ref<struct App> app = App();
  ASSERT_TRUE(app);
  EXPECT_EQ(app->MyInstrument, 0);
  EXPECT_EQ(app->MyPitch, 0);
  EXPECT_EQ(app->MyVelocity, 0);
  EXPECT_EQ(app->LastPitch, 0);
  // The property table reaches the same fields the handlers use.
  const PropertyEntry* pitch = fw::findProperty(app->classTable(), "MyPitch");
  pitch->set(app.get(), Value(int32_t{-12}));
  EXPECT_EQ(app->MyPitch, -12);
  EXPECT_EQ(fw::unbox<int32_t>(pitch->get(app.get())), -12);
  app = nullptr;
  _FinalizeFramework();
  EXPECT_FALSE(App());
}

class AppOpensFirst : public ProgramTest {
  void SetUp() override {}
};

TEST_F(AppOpensFirst, ItsOpenCreatesTheOneWindow) {
  fw::recordingSound().clear();
  initialize();
  _NewAppInstance();
  ASSERT_FALSE(_GetImplicitWindow("VELMO"));
  Ref<Object> app = _GetAppObject();
  Application::CallOpen(app.get());
  const auto calls = fw::recordingSound().calls();
  Ref<Object> created = _GetImplicitWindow("VELMO");
  ASSERT_TRUE(created);
  _MakeDefaultView();
  EXPECT_EQ(VELMO().get(), created.get());
  // Creating the window selects the note player's first instrument; then the note-off.
  EXPECT_EQ(calls, (std::vector<Call>{Call::program(0), Call::off(0)}));
  EXPECT_EQ(App()->MyInstrument, 1);
  created = nullptr;
  app = nullptr;
  _FinalizeFramework();
}

}  // namespace

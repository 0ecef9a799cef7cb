// The window as the program builds it: class table, properties from the blob, controls
// registered by name, the implicit instance, showing and closing.

#include <gtest/gtest.h>

#include <QWidget>
#include <tuple>

#include "framework/controls/timer_impl.h"
#include "framework/runtime/blob_keys.h"
#include "tests/framework/controls_fixture.h"
#include "tests/support/recording_sound.h"

using namespace controls_test;

namespace {

// The blob keys that each class declares, and so must accept as settable properties.
struct Declared {
  ClassTable* (*cls)();
  std::vector<std::string_view> keys;
};

std::vector<Declared> declaredKeys() {
  return {
      {Control::__Lookup, {"Name", "Index", "TabPanelIndex"}},
      {RectControl::__Lookup,
       {"Left", "Top", "Width", "Height", "LockLeft", "LockTop", "LockRight", "LockBottom",
        "TabIndex", "TabStop", "Enabled", "Visible", "HelpTag", "AutoDeactivate", "InitialParent"}},
      {Window::__Lookup,
       {"Placement",      "Left",           "Top",         "Width",      "Height",
        "MinWidth",       "MinHeight",      "MaxWidth",    "MaxHeight",  "Frame",
        "Composite",      "HasBackColor",   "BackColor",   "Title",      "Visible",
        "FullScreen",     "MenuBarVisible", "CloseButton", "Resizeable", "LiveResize",
        "MaximizeButton", "MinimizeButton"}},
      {Slider::__Lookup,
       {"Minimum", "Value", "Maximum", "LineStep", "PageStep", "LiveScroll", "TickStyle"}},
      {Oval::__Lookup, {"FillColor", "BorderWidth", "BorderColor"}},
      {TextField::__Lookup,
       {"Border",    "Password", "UseFocusRing", "TextColor",  "BackColor", "Format",
        "TextFont",  "Bold",     "Italic",       "Underline",  "CueText",   "Text",
        "Mask",      "ReadOnly", "LimitText",    "AcceptTabs", "Alignment", "DataSource",
        "DataField", "TextSize", "TextUnit"}},
      {PopupMenu::__Lookup,
       {"InitialValue", "ListIndex", "TextFont", "Bold", "Italic", "Underline", "DataSource",
        "DataField", "TextSize", "TextUnit"}},
      {PushButton::__Lookup,
       {"Caption", "Default", "Cancel", "TextFont", "Bold", "Italic", "Underline", "TextSize",
        "TextUnit"}},
      {NotePlayer::__Lookup, {"Instrument"}},
      {Timer::__Lookup, {"Mode", "Period"}},
  };
}

std::string_view typeOf(std::string_view key) {
  if (key == "TextSize") return "r4";
  if (key == "TextUnit") return "u1";
  return fw::typeCodeOf(*fw::blobKeyType(key));
}

}  // namespace

TEST(WindowClassTest, EveryDeclaredKeyIsASettablePropertyOfItsType) {
  for (const auto& d : declaredKeys()) {
    ClassTable* cls = d.cls();
    for (std::string_view key : d.keys) {
      const PropertyEntry* p = fw::findProperty(cls, key);
      ASSERT_NE(p, nullptr) << cls->name.str() << " lacks " << key;
      EXPECT_NE(p->set, nullptr) << cls->name.str() << "." << key;
      EXPECT_EQ(p->flags, kFlagPublic | kFlagSettable) << cls->name.str() << "." << key;
      EXPECT_EQ(p->typeCode.view(), typeOf(key)) << cls->name.str() << "." << key;
    }
  }
  EXPECT_EQ(fw::findProperty(Window::__Lookup(), "MacProcID"), nullptr);
}

TEST(WindowClassTest, TablesHaveTheFrameworkShapes) {
  ClassTable* w = Window::__Lookup();
  EXPECT_EQ(w->methods.size(), WindowSlot::kCount);
  EXPECT_EQ(w->properties.size(), 47u);
  ASSERT_EQ(w->events.size(), std::size(Window::kEvents));
  for (std::size_t i = 0; i < w->events.size(); ++i) {
    EXPECT_EQ(w->events[i].name.view(), Window::kEvents[i]);
    EXPECT_EQ(w->events[i].handler, nullptr);
  }
  EXPECT_EQ(w->methods[WindowSlot::__New].signature, "%o<Control>%t");
  EXPECT_EQ(w->methods[WindowSlot::_AddControl].signature, "%%so<Control>");
  EXPECT_EQ(w->methods[WindowSlot::_KeyDown].signature, "%b%s");
  EXPECT_EQ(w->methods[WindowSlot::_CallMouseDown].signature, "%b%i4i4");
  EXPECT_EQ(w->methods[WindowSlot::Constructor].signature, "%%");

  ClassTable* app = Application::__Lookup();
  EXPECT_EQ(app->methods.size(), ApplicationSlot::kCount);
  ASSERT_EQ(app->events.size(), 10u);
  EXPECT_EQ(app->events[0].name.view(), "Open");
  EXPECT_EQ(app->events[9].name.view(), "CancelClose");

  ClassTable* t = Timer::__Lookup();
  EXPECT_EQ(t->methods.size(), TimerSlot::kCount);
  ASSERT_EQ(t->events.size(), 1u);
  EXPECT_EQ(t->events[0].name.view(), "Action");
  EXPECT_EQ(t->properties.size(), 4u);
  EXPECT_TRUE(fw::implements(t, actionSource__Lookup()));
  EXPECT_EQ(RectControl::__Lookup()->methods[RectControlSlot::Constructor].signature, "%%");
}

class WindowTest : public WindowFixture {};

TEST_F(WindowTest, TakesSizeTitleColourAndFrameFromItsBlob) {
  EXPECT_EQ(window().Width(), kWidth);
  EXPECT_EQ(window().Height(), kHeight);
  EXPECT_EQ(window().Title(), "Test Window");
  EXPECT_EQ(window().BackColor(), kBack);
  EXPECT_TRUE(window().Visible());

  QWidget* w = window().widget();
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->windowTitle(), "Test Window");
  EXPECT_EQ(w->size(), QSize(kWidth, kHeight));
  EXPECT_EQ(w->minimumSize(), w->maximumSize()) << "a window that is not Resizeable";
  EXPECT_TRUE(w->windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(w->windowFlags() & Qt::WindowMinimizeButtonHint);
}

// The layout is in points drawn one to a pixel, and text follows it in every unit.
TEST_F(WindowTest, TextSizesFollowTheLayoutsPointsInEveryUnit) {
  auto popup = find<PopupMenu>("Popup");
  // unit  size   pixels
  for (auto [unit, size, pixels] :
       {std::tuple{0, 12.0f, 12}, std::tuple{1, 15.0f, 15}, std::tuple{2, 9.0f, 9},
        std::tuple{3, 0.25f, 18}, std::tuple{4, 12.7f, 36}}) {
    popup->setTextSize(size);
    popup->setTextUnit(static_cast<uint8_t>(unit));
    EXPECT_EQ(popup->widget()->font().pixelSize(), pixels) << "unit " << unit;
  }
}

TEST_F(WindowTest, ControlsAreFoundByTheirRegisteredNamesWithTheirBlobValues) {
  auto slider = find<Slider>("Slider");
  EXPECT_EQ(slider->Minimum(), 1);
  EXPECT_EQ(slider->Value(), 8) << "a Value set before its Maximum survives";
  EXPECT_EQ(slider->Maximum(), 20);
  EXPECT_EQ(slider->widget()->geometry(), QRect(10, 270, 100, 16));
  EXPECT_EQ(slider->widget()->parentWidget(), window().widget());

  auto big = find<Oval>("Big");
  EXPECT_EQ(big->FillColor(), kBigFill);
  EXPECT_EQ(big->BorderWidth(), 1);
  EXPECT_EQ(big->Name(), "Big");
  EXPECT_EQ(big->ownerWindow(), &window());

  auto field = find<TextField>("textfield");
  EXPECT_FALSE(field->Visible());
  EXPECT_FALSE(field->widget()->isVisible());
  EXPECT_FLOAT_EQ(field->TextSize(), 12.0f) << "the text size set before the blob survives";

  auto popup = find<PopupMenu>("Popup");
  EXPECT_EQ(popup->ListCount(), 3);
  EXPECT_EQ(popup->List(1), "@Two");
  EXPECT_EQ(popup->ListIndex(), 0);
  EXPECT_FLOAT_EQ(popup->TextSize(), 12.0f);

  auto button = find<PushButton>("Button");
  EXPECT_EQ(button->Caption(), "Randam Hit");
  EXPECT_TRUE(button->Bold());
  EXPECT_FLOAT_EQ(button->TextSize(), 10.0f);
  EXPECT_TRUE(button->widget()->font().bold());
  EXPECT_EQ(button->widget()->font().pixelSize(), 10) << "10 points, one point to a pixel";
  EXPECT_EQ(popup->widget()->font().pixelSize(), 12);

  EXPECT_EQ(find<NotePlayer>("NotePlayer1")->Instrument(), 1);

  auto timer = find<Timer>("Mytimer");
  EXPECT_EQ(timer->Mode(), 2);
  EXPECT_EQ(timer->Period(), 1000);
  EXPECT_FALSE(fw::controls::timerScheduled(*timer)) << "nothing listens to it";

  EXPECT_FALSE(RuntimeWindowControlByName(&window(), "Nobody"));
  EXPECT_THROW(RuntimeWindowControlByName(nullptr, "Big"), NilObjectException);
}

TEST_F(WindowTest, HandlerEntryGivesTheWindowAsSelfAlsoForAPaneChild) {
  auto [self, me] = RuntimeSwapSelfAndMe(find<Object>("Big").get());
  EXPECT_EQ(self.get(), &window());
  auto [timerSelf, timerMe] = RuntimeSwapSelfAndMe(find<Object>("Mytimer").get());
  EXPECT_EQ(timerSelf.get(), &window()) << "through the _PaneChild record's Window";
  EXPECT_EQ(timerMe.get(), find<Object>("Mytimer").get());
}

TEST_F(WindowTest, IsTheImplicitInstanceUntilClosed) {
  EXPECT_EQ(_GetImplicitWindow("TestWindow").get(), &window());
  EXPECT_FALSE(_GetImplicitWindow("OtherWindow"));
  fw::callMethod<void>(&window(), WindowSlot::Close);
  EXPECT_FALSE(window().widget()->isVisible());
  EXPECT_FALSE(_GetImplicitWindow("TestWindow"));
  auto [self, me] = RuntimeSwapSelfAndMe(find<Object>("Mytimer").get());
  EXPECT_FALSE(self) << "a closed window's _PaneChild children let it go";
}

TEST_F(WindowTest, ShowAndHideThroughTheMethodTable) {
  fw::callMethod<void>(&window(), WindowSlot::Hide);
  EXPECT_FALSE(window().widget()->isVisible());
  EXPECT_FALSE(window().Visible());
  fw::callMethod<void>(&window(), WindowSlot::Show);
  EXPECT_TRUE(window().widget()->isVisible());
  EXPECT_TRUE(window().Visible());
}

TEST_F(WindowTest, NewControlsCanBeAddedAndRemovedLater) {
  Ref<Object> oval = Ref<Object>::adopt(
      fw::callMethod<Object*, ClassTable*>(&window(), WindowSlot::__New, Oval::__Lookup()));
  fw::callMethod<void, const String&, Object*>(&window(), WindowSlot::_AddControl, "Late",
                                               oval.get());
  EXPECT_EQ(find<Object>("Late").get(), oval.get());
  fw::callMethod<void, Object*>(&window(), WindowSlot::_RemoveControl, oval.get());
  EXPECT_FALSE(RuntimeWindowControlByName(&window(), "Late"));
  EXPECT_EQ(dynamic_cast<Oval*>(oval.get())->ownerWindow(), nullptr);
}

TEST_F(WindowTest, AControlAndTheWindowThatMadeItNeverPointAtEachOtherAfterEitherGoes) {
  auto make = [&] {
    return Ref<Object>::adopt(
        fw::callMethod<Object*, ClassTable*>(&window(), WindowSlot::__New, Oval::__Lookup()));
  };
  Ref<Object> loose = make();
  make();  // made and dropped at once, never registered
  auto* oval = dynamic_cast<Oval*>(loose.get());
  EXPECT_EQ(oval->ownerWindow(), &window());
  window_ = nullptr;
  _FinalizeFramework();
  EXPECT_EQ(oval->ownerWindow(), nullptr);
}

TEST_F(WindowTest, PaintsBackgroundAndOvalsAndRepaintsANewFillColour) {
  QImage before = window().widget()->grab().toImage();
  const QColor back(kBack.red, kBack.green, kBack.blue);
  EXPECT_EQ(before.pixelColor(kWidth - 5, kHeight / 2), back);
  const int cx = kBigLeft + kBigSize / 2, cy = kBigTop + kBigSize / 2;
  EXPECT_EQ(before.pixelColor(cx, cy), QColor(kBigFill.red, kBigFill.green, kBigFill.blue));
  EXPECT_EQ(before.pixelColor(kBigLeft + 1, kBigTop + 1), back) << "outside the circle";

  find<Oval>("Big")->setFillColor(RGB(255, 0, 0));
  QImage after = window().widget()->grab().toImage();
  EXPECT_EQ(after.pixelColor(cx, cy), QColor(255, 0, 0));

  _SetProperties(find<Object>("Big").get(),
                 Blob().i4("BorderWidth", 4).c("BorderColor", Color{0, 255, 0}).str());
  QImage bordered = window().widget()->grab().toImage();
  EXPECT_EQ(bordered.pixelColor(kBigLeft + 2, cy), QColor(0, 255, 0));
}

TEST_F(WindowTest, TheNotePlayerPlaysOnTheProcessSynthesiserWithinItsRanges) {
  auto& sound = fw::recordingSound();
  sound.clear();
  auto player = find<NotePlayer>("NotePlayer1");
  player->setInstrument(74);
  player->setInstrument(0);
  player->PlayNote(60, 64);
  player->PlayNote(60, 0);
  player->PlayNote(61, 500);
  player->PlayNote(128, 64);
  using Call = fw::RecordingSynthesiser::Call;
  EXPECT_EQ(sound.calls(), (std::vector<Call>{Call::program(73), Call::on(60, 64), Call::off(60),
                                              Call::on(61, 127)}));
  EXPECT_EQ(player->Instrument(), 0) << "stored even when it selects nothing";
}

// Values set from code and from blobs: what each control keeps, shows and raises.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QSlider>

#include "framework/controls/control_impl.h"
#include "framework/controls/timer_impl.h"
#include "tests/framework/controls_fixture.h"

using namespace controls_test;

namespace {

class ValuesTest : public WindowFixture {};

using Log = std::vector<std::string>;

int actions = 0;
void countAction(Object*) {
  ++actions;
}

}  // namespace

TEST_F(ValuesTest, SliderClampsToItsRangeAndRaisesOnlyOnChange) {
  auto slider = find<Slider>("Slider");
  auto* q = static_cast<QSlider*>(slider->widget());
  slider->setValue(12);
  slider->setValue(12);
  slider->setValue(25);
  slider->setValue(-3);
  EXPECT_EQ(slider->Value(), 1);
  EXPECT_EQ(q->value(), 1);
  EXPECT_EQ(logged("ValueChanged"),
            (Log{"ValueChanged Slider 12", "ValueChanged Slider 20", "ValueChanged Slider 1"}));
}

TEST_F(ValuesTest, SliderKeepsAValueSetBeforeTheMaximumThatAdmitsIt) {
  auto slider = find<Slider>("Slider");
  _SetProperties(slider.get(),
                 Blob().i4("Minimum", 0).i4("Maximum", 5).i4("Value", 4).i4("Maximum", 9).str());
  EXPECT_EQ(slider->Value(), 4);
  _SetProperties(slider.get(), Blob().i4("Value", 8).i4("Maximum", 20).str());
  EXPECT_EQ(slider->Value(), 8);
  _SetProperties(slider.get(), Blob().i4("Maximum", 3).str());
  EXPECT_EQ(slider->Value(), 3);
  EXPECT_EQ(std::get<int32_t>(fw::findProperty(slider->classTable(), "Value")->get(slider.get())),
            3);
}

TEST_F(ValuesTest, SliderTakesItsOrientationFromItsShape) {
  auto slider = find<Slider>("Slider");
  auto* q = static_cast<QSlider*>(slider->widget());
  EXPECT_EQ(q->orientation(), Qt::Horizontal);
  _SetProperties(slider.get(), Blob().i4("Width", 16).i4("Height", 100).str());
  EXPECT_EQ(q->orientation(), Qt::Vertical);
  EXPECT_TRUE(q->invertedAppearance()) << "Minimum at the top";
}

TEST_F(ValuesTest, PopupRowsSplitAtCarriageReturnsAndChangeFollowsTheSelection) {
  auto popup = find<PopupMenu>("Popup");
  auto* combo = static_cast<QComboBox*>(popup->widget());
  _SetProperties(popup.get(), Blob().s("InitialValue", "@A\r@B b\r\r@D").str());
  EXPECT_EQ(popup->ListCount(), 4);
  EXPECT_EQ(popup->List(1), "@B b");
  EXPECT_EQ(popup->List(2), "");
  EXPECT_EQ(combo->count(), 4);
  EXPECT_EQ(popup->ListIndex(), -1) << "new rows clear the selection";

  popup->setListIndex(3);
  popup->setListIndex(3);
  popup->setListIndex(4);  // no such row: refused
  EXPECT_EQ(popup->ListIndex(), 3);
  EXPECT_EQ(combo->currentText(), "@D");
  combo->setCurrentIndex(1);  // as the user's choice arrives
  EXPECT_EQ(popup->ListIndex(), 1);
  EXPECT_EQ(logged("Change"), (Log{"Change Popup -1", "Change Popup 3", "Change Popup 1"}));
}

// The closed popup is 152 wide: a long name is cut short with an ellipsis, not clipped.
TEST_F(ValuesTest, PopupShowsAShortRowWholeAndCutsALongOneWithAnEllipsis) {
  auto popup = find<PopupMenu>("Popup");
  const QString longRow = "@Electric Guitar (clean) from the far end of the list";
  _SetProperties(popup.get(), Blob().s("InitialValue", "@Celesta\r" + longRow.toStdString()).str());
  popup->setListIndex(0);
  EXPECT_EQ(fw::controls::popupLabel(*popup), "@Celesta");
  popup->setListIndex(1);
  const QString shown = fw::controls::popupLabel(*popup);
  EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
  EXPECT_TRUE(shown.startsWith("@Electric")) << shown.toStdString();
  EXPECT_LT(shown.size(), longRow.size());
}

TEST_F(ValuesTest, TextFieldShowsItsTextAndKeepsStoredKeys) {
  auto field = find<TextField>("textfield");
  field->setText("122");
  EXPECT_EQ(field->Text(), "122");
  EXPECT_EQ(static_cast<QLineEdit*>(field->widget())->text(), "122");
  _SetProperties(field.get(), Blob().s("Mask", "###").b("AcceptTabs", true).str());
  const PropertyEntry* mask = fw::findProperty(field->classTable(), "Mask");
  EXPECT_EQ(std::get<String>(mask->get(field.get())), "###");
  EXPECT_THROW(mask->set(field.get(), int32_t{3}), IllegalCastException);
}

TEST_F(ValuesTest, TimerFiresPerPeriodInMode2OnceInMode1AndNeverInMode0) {
  actions = 0;
  auto timer = find<Timer>("Mytimer");
  EXPECT_FALSE(fw::controls::timerScheduled(*timer)) << "no Action handler yet";
  _InstallInstanceEventHandler(timer.get(), "Action", reinterpret_cast<AnyFunction>(&countAction));
  timer->setPeriod(5);
  EXPECT_TRUE(fw::controls::timerScheduled(*timer));
  EXPECT_TRUE(processUntil([] { return actions >= 3; }));

  timer->setMode(1);
  actions = 0;
  EXPECT_TRUE(processUntil([] { return actions >= 1; }));
  EXPECT_EQ(timer->Mode(), 0) << "a single-shot timer turns itself off";
  EXPECT_FALSE(fw::controls::timerScheduled(*timer));
  EXPECT_EQ(actions, 1);

  timer->setMode(2);
  timer->setPeriod(0);
  EXPECT_FALSE(fw::controls::timerScheduled(*timer)) << "Period 0 never runs";
  timer->setPeriod(5);
  timer->setMode(0);
  EXPECT_FALSE(fw::controls::timerScheduled(*timer));
}

TEST_F(ValuesTest, TimerCallActionThroughTheTableRaisesActionForTheTimer) {
  actions = 0;
  auto timer = find<Timer>("Mytimer");
  fw::callMethod<void>(timer.get(), TimerSlot::_CallAction);
  EXPECT_EQ(actions, 0) << "no handler: nothing runs";
  _InstallInstanceEventHandler(timer.get(), "Action", reinterpret_cast<AnyFunction>(&countAction));
  fw::callMethod<void>(timer.get(), TimerSlot::_CallAction);
  EXPECT_EQ(actions, 1);
}

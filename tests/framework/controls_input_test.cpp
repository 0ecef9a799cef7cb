// Mouse and keyboard as a person uses them: presses and keys are sent to the window's Qt
// window, which hands them on as it would for real input.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QWidget>

#include "tests/framework/controls_fixture.h"
#include "tests/support/input_method.h"

using namespace controls_test;

namespace {

class InputTest : public WindowFixture {
 protected:
  void inputMethod(const QString& commit, const QString& preedit = {}) {
    testing_support::inputMethod(*window().widget(), commit, preedit);
  }
};

using Log = std::vector<std::string>;

}  // namespace

TEST_F(InputTest, APressGoesToThePadWhoseCircleHoldsItTheLastCreatedWhereTheyOverlap) {
  click(window(), {70, 70});    // Big's centre: Big's circle only
  click(window(), {95, 95});    // in both circles: Small, registered later, wins
  click(window(), {110, 110});  // Small's centre
  click(window(), {82, 82});    // in Small's rectangle but only in Big's circle
  EXPECT_EQ(logged("MouseDown"), (Log{"MouseDown Big 50 50", "MouseDown Small 15 15",
                                      "MouseDown Small 30 30", "MouseDown Big 62 62"}));
}

TEST_F(InputTest, APressInsideARectangleButOutsideEveryCircleReachesNoPad) {
  click(window(), {22, 22});    // Big's top-left corner
  click(window(), {117, 23});   // Big's top-right corner
  click(window(), {138, 138});  // Small's bottom-right corner
  click(window(), {390, 200});  // bare background
  EXPECT_TRUE(logged("MouseDown").empty());
}

TEST_F(InputTest, AHiddenOrDisabledPadTakesNoPress) {
  find<Oval>("Small")->setVisible(false);
  click(window(), {95, 95});
  find<Oval>("Big")->setEnabled(false);
  click(window(), {70, 70});
  EXPECT_EQ(logged("MouseDown"), (Log{"MouseDown Big 75 75"}));
}

TEST_F(InputTest, TypedKeysReachKeyDownAsTheirTextAndArrowsAsCodes28To31) {
  key(window(), Qt::Key_Z, "z");
  key(window(), Qt::Key_Space, " ");
  key(window(), Qt::Key_Left, "");
  key(window(), Qt::Key_Right, "");
  key(window(), Qt::Key_Up, "");
  key(window(), Qt::Key_Down, "");
  key(window(), Qt::Key_E, QString::fromUtf8("\xC3\xA9"));  // é: two bytes of UTF-8
  EXPECT_EQ(logged("KeyDown"), (Log{"KeyDown 122", "KeyDown 32", "KeyDown 28", "KeyDown 29",
                                    "KeyDown 30", "KeyDown 31", "KeyDown 195 169"}));
}

TEST_F(InputTest, AutoRepeatAndKeysWithoutTextRaiseNothing) {
  key(window(), Qt::Key_A, "a");
  key(window(), Qt::Key_A, "a", /*autoRepeat=*/true);
  key(window(), Qt::Key_Shift, "");
  key(window(), Qt::Key_F5, "");
  EXPECT_EQ(logged("KeyDown"), (Log{"KeyDown 97"}));
}

TEST_F(InputTest, InputMethodTextReachesKeyDownOneCharacterAtATimeWhenCommitted) {
  ASSERT_EQ(testing_support::inputMethodQuery(*window().widget(), Qt::ImEnabled), QVariant(true))
      << "the window turns input methods away";
  inputMethod({}, "^");  // a dead circumflex waiting for its letter
  inputMethod({}, {});   // and given up
  EXPECT_TRUE(logged("KeyDown").empty());

  inputMethod(QString(QChar(0x00DB)));                         // Compose ^ U
  inputMethod(QString::fromUtf16(u"\u00C9a\U0001F600"), "`");  // É, a, an emoji
  EXPECT_EQ(logged("KeyDown"),
            (Log{"KeyDown 195 155", "KeyDown 195 137", "KeyDown 97", "KeyDown 240 159 152 128"}));
}

TEST_F(InputTest, CtrlQReachesNoKeyDown) {
  key(window(), Qt::Key_Q, QString(QChar(17)), false, Qt::ControlModifier);
  EXPECT_TRUE(logged("KeyDown").empty());
}

TEST_F(InputTest, NoControlTakesTheFocusSoKeysAfterClicksStillReachTheWindow) {
  auto slider = find<Slider>("Slider");
  auto button = find<PushButton>("Button");
  auto popup = find<PopupMenu>("Popup");
  for (QWidget* w : {slider->widget(), button->widget(), popup->widget(),
                     find<TextField>("textfield")->widget(), find<Oval>("Big")->widget()})
    EXPECT_EQ(w->focusPolicy(), Qt::NoFocus);

  window().widget()->activateWindow();
  ASSERT_TRUE(processUntil([&] { return window().widget()->isActiveWindow(); }));
  click(window(), {20, 278});   // on the slider's groove
  click(window(), {250, 265});  // on the button
  EXPECT_EQ(logged("Action"), (Log{"Action Button"}));
  const int sliderValue = slider->Value();
  for (QWidget* w : {slider->widget(), button->widget(), popup->widget()})
    EXPECT_FALSE(w->hasFocus());

  key(window(), Qt::Key_Space, " ");
  key(window(), Qt::Key_Right, "");
  EXPECT_EQ(logged("Action"), (Log{"Action Button"})) << "the space bar pressed the button";
  EXPECT_EQ(slider->Value(), sliderValue) << "an arrow moved the slider";
  EXPECT_EQ(logged("KeyDown"), (Log{"KeyDown 32", "KeyDown 29"}));
}

TEST_F(InputTest, AClickOnTheSliderRaisesValueChangedOnce) {
  auto slider = find<Slider>("Slider");
  const int before = slider->Value();
  click(window(), {105, 278});  // the right end of the groove: a page up
  EXPECT_NE(slider->Value(), before);
  EXPECT_EQ(logged("ValueChanged"),
            (Log{"ValueChanged Slider " + std::to_string(slider->Value())}));
}

TEST_F(InputTest, AnExceptionInAHandlerIsKeptAndNoHandlerRunsUntilItIsTaken) {
  auto throwing = +[](Object*, int32_t, int32_t) -> bool { throw NilObjectException(); };
  _InstallInstanceEventHandler(find<Object>("Big").get(), "MouseDown",
                               reinterpret_cast<AnyFunction>(throwing));
  testing::internal::CaptureStderr();
  click(window(), {70, 70});
  click(window(), {110, 110});
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "reported only by the last resort";
  EXPECT_TRUE(logged("MouseDown").empty()) << "a handler ran after the failure";
  std::exception_ptr kept = fw::takeEscaped();
  ASSERT_NE(kept, nullptr) << "the exception was not kept";
  EXPECT_THROW(std::rethrow_exception(kept), NilObjectException);
  click(window(), {110, 110});
  EXPECT_EQ(logged("MouseDown"), (Log{"MouseDown Small 30 30"})) << "events arrive again";
}

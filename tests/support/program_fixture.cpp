#include "tests/support/program_fixture.h"

#include "framework/runtime/exceptions.h"

namespace testing_support {

void ProgramTest::SetUp() {
  program_.startOpened();
}

void ProgramTest::TearDown() {
  // A kept exception would silence every handler of the tests after this one.
  EXPECT_EQ(fw::takeEscaped(), nullptr) << "a handler's exception was left kept";
  program_.stop();
}

Color ProgramTest::colourOf(std::string_view pad) const {
  return control<Oval>(pad)->FillColor();
}

bool ProgramTest::press(std::string_view pad) {
  const std::optional<bool> result = program_.press(pad);
  if (!result) ADD_FAILURE() << pad << " has no MouseDown handler";
  return result.value_or(false);
}

}  // namespace testing_support

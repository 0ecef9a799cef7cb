#include "tests/support/program_fixture.h"

namespace testing_support {

void ProgramTest::SetUp() {
  program_.startOpened();
}

void ProgramTest::TearDown() {
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

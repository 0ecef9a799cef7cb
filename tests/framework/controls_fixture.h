#pragma once
// A fresh test window for each test, released with the framework's other objects at the
// end; the test fails if any runtime object outlives it (a leak or a reference cycle).

#include <gtest/gtest.h>

#include "framework/controls/application.h"
#include "framework/runtime/exceptions.h"
#include "framework/runtime/object.h"
#include "tests/framework/controls_test_window.h"

namespace controls_test {

class WindowFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    objectsBefore_ = fw::liveObjectCount();
    eventLog().clear();
    window_ = makeWindow();
  }
  void TearDown() override {
    window_ = nullptr;
    EXPECT_EQ(fw::takeEscaped(), nullptr) << "a handler's exception was left kept";
    _FinalizeFramework();
    EXPECT_EQ(fw::liveObjectCount(), objectsBefore_) << "objects outlived the framework";
  }
  Window& window() { return *window_; }
  template <class T>
  Ref<T> find(std::string_view name) {
    return control<T>(*window_, name);
  }

  Ref<Window> window_;

 private:
  std::size_t objectsBefore_ = 0;
};

}  // namespace controls_test

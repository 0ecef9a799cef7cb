#include "tests/support/input_method.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QInputMethodQueryEvent>
#include <QWidget>
#include <QWindow>

namespace testing_support {

namespace {
QObject* focusObject(const QWidget& window) {
  QWindow* handle = window.windowHandle();
  return handle ? handle->focusObject() : nullptr;
}
}  // namespace

void inputMethod(const QWidget& window, const QString& commit, const QString& preedit) {
  QObject* target = focusObject(window);
  ASSERT_NE(target, nullptr) << "the window has no focus object";
  QInputMethodEvent event(preedit, {});
  event.setCommitString(commit);
  QCoreApplication::sendEvent(target, &event);
}

QVariant inputMethodQuery(const QWidget& window, Qt::InputMethodQuery query) {
  QObject* target = focusObject(window);
  if (target == nullptr) return {};
  QInputMethodQueryEvent event(query);
  QCoreApplication::sendEvent(target, &event);
  return event.value(query);
}

}  // namespace testing_support

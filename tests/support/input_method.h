#pragma once
// The platform's input method as seen from a window: Qt's input contexts (the compose
// key, dead keys, IBus) ask the focus object of the focused Qt window whether it takes
// input-method text and send it their pre-edit and committed text.

#include <QString>
#include <QVariant>

class QWidget;

namespace testing_support {

// Sends an input-method event to the focus object of the widget's Qt window: preedit is
// the text still being composed, commit the finished text. Fails the test when the
// window has no focus object.
void inputMethod(const QWidget& window, const QString& commit, const QString& preedit = {});

// What that focus object answers an input method that asks about it; invalid when
// there is none.
QVariant inputMethodQuery(const QWidget& window, Qt::InputMethodQuery query);

}  // namespace testing_support

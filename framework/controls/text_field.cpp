#include <QLineEdit>
#include <QPalette>
#include <QSignalBlocker>

#include "framework/controls/text_font.h"

using fw::build::getter;
using fw::build::PropRow;
using fw::build::setter;
using fw::build::StoredKey;
using fw::controls::as;
using fw::controls::toQString;

namespace {

struct FieldState : FontedState {
  String text;
  bool border = true;
  bool password = false;
  bool readOnly = false;
  Color textColor{0, 0, 0};
  Color backColor{255, 255, 255};
  String cueText;
  int32_t limitText = 0;
  int32_t alignment = 0;
};

TextField& field(Object* o) {
  return as<TextField>(o);
}
FieldState& state(const TextField& f) {
  return fw::controls::stateOf<FieldState>(f);
}
QLineEdit* edit(const TextField& f) {
  return static_cast<QLineEdit*>(f.widget());
}

// Shows everything but the text on the widget.
void sync(const TextField& f) {
  QLineEdit* w = edit(f);
  if (w == nullptr) return;
  const FieldState& st = state(f);
  w->setFrame(st.border);
  w->setEchoMode(st.password ? QLineEdit::Password : QLineEdit::Normal);
  w->setReadOnly(st.readOnly);
  w->setPlaceholderText(toQString(st.cueText));
  // LimitText 0: no limit.
  w->setMaxLength(st.limitText > 0 ? st.limitText : 32767);
  // Alignment: 0 default, 1 left, 2 centre, 3 right.
  static constexpr Qt::Alignment kAlign[] = {Qt::AlignLeft, Qt::AlignLeft, Qt::AlignHCenter,
                                             Qt::AlignRight};
  const bool known = st.alignment >= 0 && st.alignment < static_cast<int32_t>(std::size(kAlign));
  w->setAlignment((known ? kAlign[st.alignment] : Qt::AlignLeft) | Qt::AlignVCenter);
  QPalette pal = w->palette();
  pal.setColor(QPalette::Text, QColor(st.textColor.red, st.textColor.green, st.textColor.blue));
  pal.setColor(QPalette::Base, QColor(st.backColor.red, st.backColor.green, st.backColor.blue));
  w->setPalette(pal);
}

FieldState& fieldState(Object* o) {
  return state(field(o));
}
void show(Object* o) {
  sync(field(o));
}

// A field of the state; a new value shows at once.
template <auto Member>
constexpr PropertyGetter get = fw::build::getter<&fieldState, Member>;
template <auto Member>
constexpr PropertySetter set = fw::build::setter<&fieldState, Member, &show>;

using S = FieldState;

// name          type  getter                                 setter
constexpr PropRow kFieldProps[] = {
    {"Text", "s", getter<&field, &TextField::Text>, setter<&field, &TextField::setText>},
    {"Border", "b", get<&S::border>, set<&S::border>},
    {"Password", "b", get<&S::password>, set<&S::password>},
    {"ReadOnly", "b", get<&S::readOnly>, set<&S::readOnly>},
    {"TextColor", "c", get<&S::textColor>, set<&S::textColor>},
    {"BackColor", "c", get<&S::backColor>, set<&S::backColor>},
    {"CueText", "s", get<&S::cueText>, set<&S::cueText>},
    {"LimitText", "i4", get<&S::limitText>, set<&S::limitText>},
    {"Alignment", "i4", get<&S::alignment>, set<&S::alignment>},
};

// Kept only: no focus ring, input mask, format or data binding on this platform.
// name             type
constexpr StoredKey kFieldStored[] = {
    {"UseFocusRing", "b"}, {"Format", "s"},     {"Mask", "s"},
    {"AcceptTabs", "b"},   {"DataSource", "s"}, {"DataField", "s"},
};
constexpr auto kFieldStoredRows = fw::build::storedRows<kFieldStored>();

constexpr const char* kFieldEvents[] = {"TextChange"};

}  // namespace

TextField::TextField(ClassTable* cls) : TextControl(cls) {
  state(*this);
  auto* w = new QLineEdit;
  fw::controls::adoptWidget(*this, w);
  sync(*this);
  QObject::connect(w, &QLineEdit::textEdited, w, [this](const QString& text) {
    fw::guarded([&] { state(*this).text = fw::controls::fromQString(text); });
    fw::controls::raiseFromQt(this, "TextChange");
  });
}

ClassTable* TextField::__Lookup() {
  static ClassTable* table = fw::build::makeClass({.name = "TextField",
                                                   .parent = RectControl::__Lookup(),
                                                   .events = kFieldEvents,
                                                   .properties = kFieldProps,
                                                   .shared = fw::controls::fontProperties(),
                                                   .stored = kFieldStoredRows,
                                                   .factory = fw::build::newObject<TextField>});
  return table;
}

String TextField::Text() const {
  return state(*this).text;
}

// Raises "TextChange" when the text differs from the one shown.
void TextField::setText(const String& text) {
  FieldState& st = state(*this);
  if (st.text == text) return;
  st.text = text;
  if (QLineEdit* w = edit(*this)) {
    QSignalBlocker block(w);
    w->setText(toQString(text));
  }
  fw::raiseEvent<void>(this, "TextChange");
}

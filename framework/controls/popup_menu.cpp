#include <QComboBox>
#include <QSignalBlocker>
#include <QString>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <vector>

#include "framework/controls/text_font.h"
#include "framework/runtime/delegate.h"

using fw::build::getter;
using fw::build::PropRow;
using fw::build::setter;
using fw::build::StoredKey;
using fw::controls::as;
using fw::controls::toQString;

namespace {

struct PopupState : FontedState {
  std::vector<String> rows;
  int32_t listIndex = -1;
};

PopupMenu& popup(Object* o) {
  return as<PopupMenu>(o);
}
PopupState& state(const PopupMenu& p) {
  return fw::controls::stateOf<PopupState>(p);
}
QComboBox* combo(const PopupMenu& p) {
  return static_cast<QComboBox*>(p.widget());
}

// Rows are separated by carriage returns (0x0D); the text after the last one is a row too.
std::vector<String> splitRows(const String& text) {
  std::vector<String> rows;
  std::string_view rest = text.view();
  if (rest.empty()) return rows;
  for (;;) {
    std::size_t cr = rest.find('\r');
    rows.emplace_back(rest.substr(0, cr));
    if (cr == std::string_view::npos) break;
    rest.remove_prefix(cr + 1);
  }
  return rows;
}

void syncSelection(const PopupMenu& p) {
  if (QComboBox* w = combo(p)) {
    QSignalBlocker block(w);
    w->setCurrentIndex(state(p).listIndex);
  }
}

// Replaces the rows. The selection is cleared; a selection that was set raises "Change".
void setRows(PopupMenu& p, std::vector<String> rows) {
  PopupState& st = state(p);
  st.rows = std::move(rows);
  if (QComboBox* w = combo(p)) {
    QSignalBlocker block(w);
    w->clear();
    for (const String& row : st.rows) w->addItem(toQString(row));
  }
  const bool hadSelection = st.listIndex != -1;
  st.listIndex = -1;
  syncSelection(p);
  if (hadSelection) fw::raiseEvent<void>(&p, "Change");
}

String joinRows(const std::vector<String>& rows) {
  std::string text;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (i) text += '\r';
    text += rows[i].view();
  }
  return String(text);
}

// name            type  getter                                         setter
constexpr PropRow kPopupProps[] = {
    {"InitialValue", "s", [](Object* o) -> Value { return joinRows(state(popup(o)).rows); },
     [](Object* o, const Value& v) { setRows(popup(o), splitRows(fw::unbox<String>(v))); }},
    {"ListIndex", "i4", getter<&popup, &PopupMenu::ListIndex>,
     setter<&popup, &PopupMenu::setListIndex>},
    {"ListCount", "i4", getter<&popup, &PopupMenu::ListCount>, nullptr},
    {"Text", "s", [](Object* o) -> Value { return popup(o).List(popup(o).ListIndex()); }, nullptr},
};

// name             type
constexpr StoredKey kPopupStored[] = {{"DataSource", "s"}, {"DataField", "s"}};
constexpr auto kPopupStoredRows = fw::build::storedRows<kPopupStored>();

constexpr const char* kPopupEvents[] = {"Change"};

void addRow(Object* self, const String& text) {
  PopupMenu& p = popup(self);
  state(p).rows.push_back(text);
  if (QComboBox* w = combo(p)) {
    QSignalBlocker block(w);
    w->addItem(toQString(text));
  }
  syncSelection(p);
}

void deleteAllRows(Object* self) {
  setRows(popup(self), {});
}

String list(Object* self, int32_t row) {
  return popup(self).List(row);
}

// Draws as QComboBox does, with the label from popupLabel.
class Combo : public QComboBox {
 public:
  explicit Combo(const PopupMenu& owner) : owner_(owner) {}

  QRect labelRect() const {
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    return style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QStylePainter painter(this);
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    painter.drawComplexControl(QStyle::CC_ComboBox, opt);
    opt.currentText = fw::controls::popupLabel(owner_);
    painter.drawControl(QStyle::CE_ComboBoxLabel, opt);
  }

 private:
  const PopupMenu& owner_;
};

}  // namespace

QString fw::controls::popupLabel(const PopupMenu& p) {
  auto* w = static_cast<Combo*>(combo(p));
  if (w == nullptr) return QString();
  return w->fontMetrics().elidedText(w->currentText(), Qt::ElideRight, w->labelRect().width());
}

PopupMenu::PopupMenu(ClassTable* cls) : TextControl(cls) {
  state(*this);
  auto* w = new Combo(*this);
  fw::controls::adoptWidget(*this, w);
  syncSelection(*this);
  QObject::connect(w, &QComboBox::currentIndexChanged, w, [this](int row) {
    fw::guarded([&] {
      Ref<Object> keep = Ref<Object>::retain(this);
      setListIndex(row);
    });
  });
}

ClassTable* PopupMenu::__Lookup() {
  // Slots after RectControl's: AddRow "%%s", DeleteAllRows "%%", List "%s%i4".
  static const MethodSlot kSlots[] = {
      fw::slot(&addRow, "%%s"),
      fw::slot(&deleteAllRows, "%%"),
      fw::slot(&list, "%s%i4"),
  };
  static ClassTable* table = fw::build::makeClass({.name = "PopupMenu",
                                                   .parent = RectControl::__Lookup(),
                                                   .methods = kSlots,
                                                   .events = kPopupEvents,
                                                   .properties = kPopupProps,
                                                   .shared = fw::controls::fontProperties(),
                                                   .stored = kPopupStoredRows,
                                                   .factory = fw::build::newObject<PopupMenu>});
  return table;
}

int32_t PopupMenu::ListIndex() const {
  return state(*this).listIndex;
}

// A row outside -1..ListCount-1 is refused and the selection stays.
void PopupMenu::setListIndex(int32_t row) {
  PopupState& st = state(*this);
  if (row < -1 || row >= ListCount() || row == st.listIndex) {
    syncSelection(*this);
    return;
  }
  st.listIndex = row;
  syncSelection(*this);
  fw::raiseEvent<void>(this, "Change");
}

int32_t PopupMenu::ListCount() const {
  return static_cast<int32_t>(state(*this).rows.size());
}

String PopupMenu::List(int32_t row) const {
  const auto& rows = state(*this).rows;
  if (row < 0 || row >= static_cast<int32_t>(rows.size())) return String();
  return rows[static_cast<std::size_t>(row)];
}

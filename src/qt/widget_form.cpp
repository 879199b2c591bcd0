// WidgetForm: the supported widgets of a widget tree as a form's controls.
#include <QObject>

#include "qt/widget_controls.hpp"
#include "tamrel/qt.hpp"

namespace tamrel::qt {
namespace {

// Adds the controls among the descendants of `parent`, depth first, not
// looking inside a control.
void CollectControls(const QObject& parent, std::vector<ObjectRef>& controls) {
  for (QObject* child : parent.children()) {
    auto* widget = qobject_cast<QWidget*>(child);
    if (widget == nullptr) continue;
    if (ObjectRef control = WidgetControl(*widget)) {
      controls.push_back(std::move(control));
    } else {
      CollectControls(*widget, controls);
    }
  }
}

}  // namespace

WidgetForm::WidgetForm(QWidget& root) : root_(&root) {}

std::vector<ObjectRef> WidgetForm::Controls() const {
  std::vector<ObjectRef> controls;
  if (!root_.isNull()) CollectControls(*root_, controls);
  return controls;
}

ObjectRef WidgetControl(QWidget& widget) {
  using namespace detail;
  if (auto* edit = qobject_cast<QLineEdit*>(&widget))
    return std::make_shared<TextBoxControl>(*edit);
  if (auto* edit = qobject_cast<QPlainTextEdit*>(&widget)) {
    return std::make_shared<TextBoxControl>(*edit);
  }
  if (auto* combo = qobject_cast<QComboBox*>(&widget)) {
    return std::make_shared<ComboBoxControl>(*combo);
  }
  if (auto* list = qobject_cast<QListWidget*>(&widget)) {
    return std::make_shared<ListBoxControl>(*list);
  }
  if (auto* box = qobject_cast<QCheckBox*>(&widget)) return std::make_shared<CheckBoxControl>(*box);
  if (auto* button = qobject_cast<QRadioButton*>(&widget)) {
    return std::make_shared<OptionButtonControl>(*button);
  }
  if (auto* label = qobject_cast<QLabel*>(&widget)) return std::make_shared<LabelControl>(*label);
  return nullptr;
}

}  // namespace tamrel::qt

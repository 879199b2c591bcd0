// The form-binding suite and the conformance table over Qt widgets, beside
// the standard controls: option buttons grouped by their parent, as Designer
// lays them out, or by a QButtonGroup, as a form may also do.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QWidget>

#include "forms/form_kit.hpp"
#include "qt/qt_support.hpp"
#include "tamrel/qt.hpp"

namespace tamrel::testing {
namespace {

class WidgetFormKit : public FormKit {
 public:
  explicit WidgetFormKit(bool button_group)
      : buttons_(button_group ? new QButtonGroup(&root_) : nullptr) {}

  Form& form() override { return form_; }
  ObjectRef TextBox(const std::string& tag, bool multi_line) override {
    if (multi_line) return Made(new QPlainTextEdit(&root_), tag);
    return Made(new QLineEdit(&root_), tag);
  }
  ObjectRef ComboBox(const std::string& tag, int16_t style) override {
    auto* combo = new QComboBox(&root_);
    combo->setEditable(style != 2);
    return Made(combo, tag);
  }
  ObjectRef ListBox(const std::string& tag, int16_t multi_select) override {
    auto* list = new QListWidget(&root_);
    list->setSelectionMode(multi_select == 0   ? QAbstractItemView::SingleSelection
                           : multi_select == 1 ? QAbstractItemView::MultiSelection
                                               : QAbstractItemView::ExtendedSelection);
    return Made(list, tag);
  }
  ObjectRef CheckBox(const std::string& tag) override { return Made(new QCheckBox(&root_), tag); }
  ObjectRef OptionButton(const std::string& tag) override {
    auto* button = new QRadioButton(&root_);
    if (buttons_ != nullptr) buttons_->addButton(button);
    return Made(button, tag);
  }
  ObjectRef Label(const std::string& tag) override { return Made(new QLabel(&root_), tag); }

 private:
  static ObjectRef Made(QWidget* widget, const std::string& tag) {
    SetTag(*widget, tag);
    return qt::WidgetControl(*widget);
  }

  QWidget root_;
  QButtonGroup* buttons_;
  qt::WidgetForm form_{root_};
};

}  // namespace

std::vector<FormKind> FormKinds() {
  return {StandardFormKind(),
          {"WidgetForm", [] { return std::make_unique<WidgetFormKit>(false); }},
          {"WidgetFormWithButtonGroup", [] { return std::make_unique<WidgetFormKit>(true); }}};
}

}  // namespace tamrel::testing

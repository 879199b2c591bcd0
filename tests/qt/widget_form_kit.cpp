// The form-binding suite over Qt widgets, beside the standard controls.
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
    return Made(new QRadioButton(&root_), tag);
  }
  ObjectRef Label(const std::string& tag) override { return Made(new QLabel(&root_), tag); }

 private:
  static ObjectRef Made(QWidget* widget, const std::string& tag) {
    SetTag(*widget, tag);
    return qt::WidgetControl(*widget);
  }

  QWidget root_;
  qt::WidgetForm form_{root_};
};

}  // namespace

std::vector<FormKind> FormKinds() {
  return {StandardFormKind(), {"WidgetForm", [] { return std::make_unique<WidgetFormKit>(); }}};
}

}  // namespace tamrel::testing

// What only widgets have: a dialog from a .ui file with the tags Designer
// writes, what counts as a control, states given to widgets outside the
// controls (by a person or the host's code), the background in the palette
// and widgets deleted under their controls.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QRadioButton>
#include <QTest>
#include <QUiLoader>
#include <memory>
#include <string>
#include <vector>

#include "automation/error_number.hpp"
#include "support/recording_host.hpp"
#include "tamrel/context.hpp"
#include "tamrel/error.hpp"
#include "tamrel/forms.hpp"
#include "tamrel/qt.hpp"
#include "tamrel/records.hpp"

namespace tamrel::testing {
namespace {

using Values = std::vector<std::string>;

// settings_dialog.ui, as Qt Designer saves it: the tags are dynamic string
// properties. Its spin box is no control, but the spin box's own line edit
// must not be taken for a text box either: it has no tag.
std::unique_ptr<QWidget> LoadDesignerDialog() {
  QFile file(TAMREL_QT_TEST_DIR "/settings_dialog.ui");
  if (!file.open(QIODevice::ReadOnly)) return nullptr;
  QUiLoader loader;
  return std::unique_ptr<QWidget>(loader.load(&file));
}

class WidgetFormTest : public ::testing::Test {
 protected:
  QWidget root_;
};

// Controls in the order the dialog holds its widgets, option buttons in a
// group box among them, and what a person did extracted.
TEST_F(WidgetFormTest, ADesignerDialogBindsByItsTagsInTheOrderItHoldsItsWidgets) {
  std::unique_ptr<QWidget> dialog = LoadDesignerDialog();
  ASSERT_TRUE(dialog);
  qt::WidgetForm form(*dialog);
  Values controls;
  for (const ObjectRef& control : form.Controls())
    controls.push_back(control->TypeName() + " " + CStr(control->Get("Tag")));
  EXPECT_EQ(controls, (Values{"TextBox id=Name", "ComboBox id=Size", "OptionButton id=Left",
                              "OptionButton id=Right", "CheckBox id=Bold", "TextBox ",
                              "ListBox id=Recent;prop=List"}));

  dialog->findChild<QListWidget*>("recent")->addItems({"b.svy", "a.svy"});
  dialog->findChild<QRadioButton*>("right")->setChecked(true);
  dialog->findChild<QRadioButton*>("left")->setChecked(true);  // as a click would
  dialog->findChild<QComboBox*>("size")->setCurrentIndex(1);
  auto host = RecordingHost::Make();
  auto context = std::make_shared<ContextCls>();
  context->SetApplicationContext(host);
  context->ExtractTagsFromForm("Dlg", form);
  Values stored;
  for (const Record& record : Records(*context)) stored.push_back(record.id + "=" + record.value);
  EXPECT_EQ(stored, (Values{"Recent=a.svy`b.svy", "Bold=False", "Right=False", "Left=True",
                            "Size=12", "Name="}));  // newest first
  EXPECT_TRUE(host->Errors().empty());
}

// States given to widgets by a person or by the host's own code, not through
// the controls: a partly checked box, an item's user-role data, a palette.
TEST_F(WidgetFormTest, StatesGivenOutsideTheControlsReadAsTheirValues) {
  auto* box = new QCheckBox(&root_);
  box->setTristate(true);
  box->setCheckState(Qt::PartiallyChecked);
  EXPECT_EQ(qt::WidgetControl(*box)->Get("Value"), Variant(int16_t{2})) << "grey";

  auto* list = new QListWidget(&root_);
  list->addItems({"none", "number", "text"});
  list->item(1)->setData(Qt::UserRole, 42);
  list->item(2)->setData(Qt::UserRole, QStringLiteral("abc"));
  ObjectRef control = qt::WidgetControl(*list);
  for (int32_t i : {0, 1, 2})
    EXPECT_EQ(control->Get("ItemData", {Variant(i)}), Variant(i == 1 ? 42 : 0)) << i;
  control->Let("ItemData", Variant(int32_t{-5}), {Variant(0)});
  EXPECT_EQ(list->item(0)->data(Qt::UserRole).toInt(), -5);

  auto* edit = new QLineEdit(&root_);
  QPalette blue = edit->palette();
  blue.setColor(edit->backgroundRole(), QColor(0, 0, 0xFF));
  edit->setPalette(blue);
  EXPECT_EQ(qt::WidgetControl(*edit)->Get("BackColor"), Variant(int32_t{0xFF0000}));
}

TEST_F(WidgetFormTest, TextTypedIntoAnEditableComboBoxIsItsTextAndChoosesItsItem) {
  auto* combo = new QComboBox(&root_);
  combo->setEditable(true);
  combo->addItems({"10", "12", "14"});
  ObjectRef control = qt::WidgetControl(*combo);
  struct Case {
    int qt_current;  // Qt's current item before the typing
    QString typed;
    int32_t list_index;
    bool by_person = true;  // else set by the host's code
  };
  const Case cases[] = {{0, "14", 2},   {0, "13", -1}, {0, "10", 0},       {-1, "12", 1},
                        {-1, "13", -1}, {-1, "", -1},  {0, "12", 1, false}};
  for (const Case& c : cases) {
    combo->setCurrentIndex(c.qt_current);
    combo->lineEdit()->selectAll();
    if (!c.by_person) combo->setEditText(c.typed);
    if (c.by_person) QTest::keyClicks(combo->lineEdit(), c.typed);  // Qt's current item stays
    EXPECT_EQ(control->Get("Text"), Variant(c.typed.toStdString()));
    EXPECT_EQ(control->Get("ListIndex"), Variant(c.list_index)) << c.typed.toStdString();
  }
  combo->setEditable(false);  // as the host may switch it
  EXPECT_EQ(control->Get("Style"), Variant(ComboBox::kDropDownList));
  EXPECT_EQ(ErrorNumberOf([&] { control->Let("Text", Variant("13")); }), 383);
}

// A label shows no background unless it fills it; the default colour is the
// parent's.
TEST_F(WidgetFormTest, BackColorIsTheBackgroundRolesColourOrTheSystemColourOfItsDefault) {
  auto* label = new QLabel(&root_);
  ObjectRef control = qt::WidgetControl(*label);
  control->Let("BackColor", Variant(int32_t{0x0080FF}));  // orange: 0x00BBGGRR
  EXPECT_EQ(label->palette().color(label->backgroundRole()), QColor(0xFF, 0x80, 0x00));
  EXPECT_TRUE(label->autoFillBackground());
  control->Let("BackColor", Variant(kWindowBackground));
  EXPECT_EQ(label->palette().color(label->backgroundRole()),
            root_.palette().color(label->backgroundRole()));
  EXPECT_EQ(control->Get("BackColor"), Variant(kWindowBackground));
}

TEST_F(WidgetFormTest, AControlWhoseWidgetIsGoneRaisesObjectNotSet) {
  auto* edit = new QLineEdit(&root_);
  ObjectRef control = qt::WidgetControl(*edit);
  delete edit;
  EXPECT_EQ(ErrorNumberOf([&] { control->Get("Text"); }), errc::kObjectNotSet);
  auto root = std::make_unique<QWidget>();
  qt::WidgetForm form(*root);
  root.reset();
  EXPECT_TRUE(form.Controls().empty());
}

}  // namespace
}  // namespace tamrel::testing

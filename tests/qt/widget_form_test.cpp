// What only widgets have: a dialog from a .ui file with the tags Designer
// writes, what counts as a control, the states a person can give a widget
// (tri-state boxes, typed text, several selected items) and the background
// in the palette.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
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
#include "qt/qt_support.hpp"
#include "support/recording_host.hpp"
#include "tamrel/context.hpp"
#include "tamrel/dictionary.hpp"
#include "tamrel/error.hpp"
#include "tamrel/forms.hpp"
#include "tamrel/qt.hpp"
#include "tamrel/records.hpp"

namespace tamrel::testing {
namespace {

using Values = std::vector<std::string>;

// A dialog as Qt Designer saves it: the tags are dynamic string properties.
// The spin box is no control, but its own line edit must not be taken for a
// text box either: it has no tag.
constexpr const char* kDialogUi = R"(<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0">
 <class>Settings</class>
 <widget class="QDialog" name="Settings">
  <layout class="QVBoxLayout" name="layout">
   <item><widget class="QLineEdit" name="name">
     <property name="tag" stdset="0"><string>id=Name</string></property>
   </widget></item>
   <item><widget class="QComboBox" name="size">
     <property name="editable"><bool>true</bool></property>
     <property name="tag" stdset="0"><string>id=Size</string></property>
     <item><property name="text"><string>10</string></property></item>
     <item><property name="text"><string>12</string></property></item>
   </widget></item>
   <item><widget class="QGroupBox" name="align">
     <layout class="QHBoxLayout" name="alignLayout">
      <item><widget class="QRadioButton" name="left">
        <property name="text"><string>Left</string></property>
        <property name="tag" stdset="0"><string>id=Left</string></property>
      </widget></item>
      <item><widget class="QRadioButton" name="right">
        <property name="text"><string>Right</string></property>
        <property name="tag" stdset="0"><string>id=Right</string></property>
      </widget></item>
     </layout>
   </widget></item>
   <item><widget class="QCheckBox" name="bold">
     <property name="tag" stdset="0"><string>id=Bold</string></property>
   </widget></item>
   <item><widget class="QSpinBox" name="copies"/></item>
   <item><widget class="QListWidget" name="recent">
     <property name="tag" stdset="0"><string>id=Recent;prop=List</string></property>
   </widget></item>
  </layout>
 </widget>
</ui>
)";

std::unique_ptr<QWidget> LoadUi(const char* ui) {
  QByteArray bytes(ui);
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  QUiLoader loader;
  return std::unique_ptr<QWidget>(loader.load(&buffer));
}

class WidgetFormTest : public ::testing::Test {
 protected:
  WidgetFormTest() { context_->SetApplicationContext(host_); }

  Values Stored(const std::string& id) {
    Values values;
    for (const Record& record : Records(*context_)) {
      if (record.tag == "Dlg" && record.id == id) values.push_back(record.value);
    }
    return values;
  }

  std::shared_ptr<RecordingHost> host_ = RecordingHost::Make();
  std::shared_ptr<ContextCls> context_ = std::make_shared<ContextCls>();
  QWidget root_;
};

TEST_F(WidgetFormTest, ADesignerDialogBindsByItsTagsInTheOrderItHoldsItsWidgets) {
  std::unique_ptr<QWidget> dialog = LoadUi(kDialogUi);
  ASSERT_TRUE(dialog);
  qt::WidgetForm form(*dialog);
  Values kinds, tags;
  for (const ObjectRef& control : form.Controls()) {
    kinds.push_back(control->TypeName());
    tags.push_back(CStr(control->Get("Tag")));
  }
  EXPECT_EQ(kinds, (Values{"TextBox", "ComboBox", "OptionButton", "OptionButton", "CheckBox",
                           "TextBox", "ListBox"}));
  EXPECT_EQ(tags, (Values{"id=Name", "id=Size", "id=Left", "id=Right", "id=Bold", "",
                          "id=Recent;prop=List"}));

  context_->Value("Dlg", "Name", Variant("Plant 7"));
  context_->Value("Dlg", "Size", Variant("11"));
  context_->Value("Dlg", "Right", Variant("True"));
  context_->Value("Dlg", "Bold", Variant("True"));
  context_->Add("Dlg", "Recent", Variant("b.svy"));
  context_->Add("Dlg", "Recent", Variant("a.svy"));
  Dictionary snapshot;
  context_->PopulateFormFromTags("Dlg", form, snapshot);
  EXPECT_EQ(dialog->findChild<QLineEdit*>("name")->text(), "Plant 7");
  EXPECT_EQ(dialog->findChild<QComboBox*>("size")->currentText(), "11");
  EXPECT_TRUE(dialog->findChild<QRadioButton*>("right")->isChecked());
  EXPECT_EQ(dialog->findChild<QListWidget*>("recent")->count(), 2);

  dialog->findChild<QRadioButton*>("left")->setChecked(true);  // as a click would
  dialog->findChild<QComboBox*>("size")->setCurrentIndex(1);
  context_->ExtractTagsFromForm("Dlg", form);
  EXPECT_EQ(Stored("Left"), Values{"True"});
  EXPECT_EQ(Stored("Right"), Values{"False"});
  EXPECT_EQ(Stored("Size"), Values{"12"});
  EXPECT_EQ(Stored("Recent"), Values{"b.svy`a.svy"});
  EXPECT_TRUE(host_->Errors().empty());
}

TEST_F(WidgetFormTest, ACheckBoxAPersonLeftPartlyCheckedReadsAsGreyAndExtractsAsFalse) {
  auto* box = new QCheckBox(&root_);
  SetTag(*box, "id=Bold");
  box->setTristate(true);
  box->setCheckState(Qt::PartiallyChecked);
  ObjectRef control = qt::WidgetControl(*box);
  EXPECT_EQ(control->Get("Value"), Variant(int16_t{2}));
  qt::WidgetForm form(root_);
  context_->ExtractTagsFromForm("Dlg", form);
  EXPECT_EQ(Stored("Bold"), Values{"False"});

  auto* plain = new QCheckBox(&root_);
  qt::WidgetControl(*plain)->Let("Value", Variant(int16_t{2}));
  EXPECT_TRUE(plain->isTristate()) << "grey makes a check box tri-state";
  EXPECT_EQ(plain->checkState(), Qt::PartiallyChecked);
}

TEST_F(WidgetFormTest, TextTypedIntoAnEditableComboBoxIsItsTextAndChoosesItsItem) {
  auto* combo = new QComboBox(&root_);
  combo->setEditable(true);
  combo->addItems({"10", "12", "14"});
  for (int i = 0; i < 3; ++i) combo->setItemData(i, 10 + 2 * i, Qt::UserRole);
  ObjectRef control = qt::WidgetControl(*combo);
  struct Case {
    int qt_current;  // Qt's current item before the typing
    QString typed;
    int32_t list_index;
  };
  const Case cases[] = {{0, "14", 2},  {0, "13", -1},  {0, "10", 0},
                        {-1, "12", 1}, {-1, "13", -1}, {-1, "", -1}};
  for (const Case& c : cases) {
    combo->setCurrentIndex(c.qt_current);
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), c.typed);  // Qt's current item stays where it was
    EXPECT_EQ(control->Get("Text"), Variant(c.typed.toStdString()));
    EXPECT_EQ(control->Get("ListIndex"), Variant(c.list_index)) << c.typed.toStdString();
  }
  EXPECT_EQ(control->Get("Style"), Variant(ComboBox::kDropDownCombo));

  combo->setEditable(false);
  EXPECT_EQ(control->Get("Style"), Variant(ComboBox::kDropDownList));
  EXPECT_EQ(ErrorNumberOf([&] { control->Let("Text", Variant("13")); }), 383)
      << "a drop-down list takes no free text";
}

TEST_F(WidgetFormTest, ItemsAPersonSelectedInAListAreExtractedLastToFirst) {
  auto* list = new QListWidget(&root_);
  SetTag(*list, "id=Layers");
  list->addItems({"roads", "rivers", "contours"});
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list->item(0)->setSelected(true);
  list->item(2)->setSelected(true);
  qt::WidgetForm form(root_);
  EXPECT_EQ(form.Controls().front()->Get("MultiSelect"), Variant(ListBox::kExtendedMultiSelect));
  context_->ExtractTagsFromForm("Dlg", form);
  EXPECT_EQ(Stored("Layers"), (Values{"roads", "contours"}));
}

TEST_F(WidgetFormTest, ItemDataIsTheItemsUserRoleDataAsALong) {
  auto* list = new QListWidget(&root_);
  list->addItems({"none", "number", "text"});
  list->item(1)->setData(Qt::UserRole, 42);
  list->item(2)->setData(Qt::UserRole, QStringLiteral("abc"));
  ObjectRef control = qt::WidgetControl(*list);
  EXPECT_EQ(control->Get("ItemData", {Variant(0)}), Variant(int32_t{0}));
  EXPECT_EQ(control->Get("ItemData", {Variant(1)}), Variant(int32_t{42}));
  EXPECT_EQ(control->Get("ItemData", {Variant(2)}), Variant(int32_t{0}));
  control->Let("ItemData", Variant(int32_t{-5}), {Variant(0)});
  EXPECT_EQ(list->item(0)->data(Qt::UserRole).toInt(), -5);
}

TEST_F(WidgetFormTest, BackColorIsTheBackgroundRolesColourOrTheSystemColourOfItsDefault) {
  auto* label = new QLabel(&root_);
  auto* edit = new QLineEdit(&root_);
  ObjectRef label_control = qt::WidgetControl(*label);
  ObjectRef edit_control = qt::WidgetControl(*edit);
  EXPECT_EQ(label_control->Get("BackColor"), Variant(kButtonFace));
  EXPECT_EQ(edit_control->Get("BackColor"), Variant(kWindowBackground));

  label_control->Let("BackColor", Variant(int32_t{0x0080FF}));  // orange: 0x00BBGGRR
  EXPECT_EQ(label->palette().color(label->backgroundRole()), QColor(0xFF, 0x80, 0x00));
  EXPECT_TRUE(label->autoFillBackground()) << "else a label shows no background";
  EXPECT_EQ(label_control->Get("BackColor"), Variant(int32_t{0x0080FF}));

  label_control->Let("BackColor", Variant(kWindowBackground));
  EXPECT_EQ(label->palette().color(label->backgroundRole()),
            root_.palette().color(label->backgroundRole()));
  EXPECT_EQ(label_control->Get("BackColor"), Variant(kWindowBackground));

  QPalette blue = edit->palette();
  blue.setColor(edit->backgroundRole(), QColor(0, 0, 0xFF));
  edit->setPalette(blue);
  EXPECT_EQ(edit_control->Get("BackColor"), Variant(int32_t{0xFF0000}));
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

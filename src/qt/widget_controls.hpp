// The widget controls: each one is a standard control's properties by name
// over one Qt widget, which holds all of the control's state.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "qt/widget_control.hpp"

namespace tamrel::qt::detail {

// QLineEdit (MultiLine False) or QPlainTextEdit (MultiLine True).
class TextBoxControl : public WidgetControl {
 public:
  explicit TextBoxControl(QLineEdit& edit);
  explicit TextBoxControl(QPlainTextEdit& edit);
  std::string TypeName() const override { return "TextBox"; }

 protected:
  std::optional<Variant> GetOwn(const std::string& name,
                                const std::vector<Variant>& indices) override;
  bool LetOwn(const std::string& name, const Variant& value,
              const std::vector<Variant>& indices) override;

 private:
  std::string Text() const;
  void Text(const std::string& text);

  bool multi_line_;
};

// The item list of combo boxes and lists: item texts, their ItemData
// (Qt::UserRole) and ListIndex, the current item (-1 for none).
class ListWidgetControl : public WidgetControl {
 public:
  using Object::Call;
  Variant Call(const std::string& name, std::vector<Variant>& args) override;

 protected:
  using WidgetControl::WidgetControl;

  std::optional<Variant> GetOwn(const std::string& name,
                                const std::vector<Variant>& indices) override;
  bool LetOwn(const std::string& name, const Variant& value,
              const std::vector<Variant>& indices) override;

  // What the concrete widget provides.
  virtual int32_t ListCount() const = 0;
  virtual QString ItemText(int32_t index) const = 0;
  virtual void SetItemText(int32_t index, const QString& text) = 0;
  virtual QVariant ItemUserData(int32_t index) const = 0;
  virtual void SetItemUserData(int32_t index, int32_t data) = 0;
  virtual void InsertItem(int32_t index, const QString& text) = 0;
  virtual int32_t ListIndex() const = 0;
  // Makes `index` (already checked, -1 for none) the current item, with the
  // concrete control's consequences.
  virtual void Select(int32_t index) = 0;

  // Error 381 unless 0 <= index < ListCount.
  int32_t CheckedIndex(int32_t index) const;
  // The first item whose text is exactly `text`, or -1.
  int32_t FindItem(const QString& text) const;

 private:
  // Appends or inserts an item; the current item stays the same item.
  void AddItem(const std::string& item, std::optional<int32_t> index);
};

// QComboBox: editable is Style 0, not editable Style 2 (a drop-down list).
class ComboBoxControl : public ListWidgetControl {
 public:
  explicit ComboBoxControl(QComboBox& combo);
  std::string TypeName() const override { return "ComboBox"; }

 protected:
  std::optional<Variant> GetOwn(const std::string& name,
                                const std::vector<Variant>& indices) override;
  bool LetOwn(const std::string& name, const Variant& value,
              const std::vector<Variant>& indices) override;

  int32_t ListCount() const override;
  QString ItemText(int32_t index) const override;
  void SetItemText(int32_t index, const QString& text) override;
  QVariant ItemUserData(int32_t index) const override;
  void SetItemUserData(int32_t index, int32_t data) override;
  void InsertItem(int32_t index, const QString& text) override;
  int32_t ListIndex() const override;
  void Select(int32_t index) override;

 private:
  QComboBox& Combo() const { return As<QComboBox>(); }
  bool IsDropDownList() const { return !Combo().isEditable(); }
  void Text(const std::string& text);
};

// QListWidget: MultiSelect from its selection mode.
class ListBoxControl : public ListWidgetControl {
 public:
  explicit ListBoxControl(QListWidget& list);
  std::string TypeName() const override { return "ListBox"; }

 protected:
  std::optional<Variant> GetOwn(const std::string& name,
                                const std::vector<Variant>& indices) override;
  bool LetOwn(const std::string& name, const Variant& value,
              const std::vector<Variant>& indices) override;

  int32_t ListCount() const override;
  QString ItemText(int32_t index) const override;
  void SetItemText(int32_t index, const QString& text) override;
  QVariant ItemUserData(int32_t index) const override;
  void SetItemUserData(int32_t index, int32_t data) override;
  void InsertItem(int32_t index, const QString& text) override;
  int32_t ListIndex() const override;
  void Select(int32_t index) override;

 private:
  QListWidget& List() const { return As<QListWidget>(); }
  int16_t MultiSelect() const;
  void SetSelected(int32_t index, bool selected);
  void MakeCurrent(int32_t index);
};

// Check boxes, option buttons and labels: the controls with a Caption, the
// widget's text.
class CaptionedWidgetControl : public WidgetControl {
 protected:
  using WidgetControl::WidgetControl;
  std::optional<Variant> GetOwn(const std::string& name,
                                const std::vector<Variant>& indices) override;
  bool LetOwn(const std::string& name, const Variant& value,
              const std::vector<Variant>& indices) override;

  virtual QString Caption() const = 0;
  virtual void Caption(const QString& caption) = 0;
};

// QCheckBox: Value 0, 1 or 2 (partially checked, which makes it tri-state).
class CheckBoxControl : public CaptionedWidgetControl {
 public:
  explicit CheckBoxControl(QCheckBox& box);
  std::string TypeName() const override { return "CheckBox"; }

 protected:
  std::optional<Variant> GetOwn(const std::string& name,
                                const std::vector<Variant>& indices) override;
  bool LetOwn(const std::string& name, const Variant& value,
              const std::vector<Variant>& indices) override;
  QString Caption() const override { return As<QCheckBox>().text(); }
  void Caption(const QString& caption) override { As<QCheckBox>().setText(caption); }
};

// QRadioButton: Value is checked; exclusive among the buttons of its group.
class OptionButtonControl : public CaptionedWidgetControl {
 public:
  explicit OptionButtonControl(QRadioButton& button);
  std::string TypeName() const override { return "OptionButton"; }

 protected:
  std::optional<Variant> GetOwn(const std::string& name,
                                const std::vector<Variant>& indices) override;
  bool LetOwn(const std::string& name, const Variant& value,
              const std::vector<Variant>& indices) override;
  QString Caption() const override { return As<QRadioButton>().text(); }
  void Caption(const QString& caption) override { As<QRadioButton>().setText(caption); }

 private:
  void Value(bool checked);
};

// QLabel: Caption only.
class LabelControl : public CaptionedWidgetControl {
 public:
  explicit LabelControl(QLabel& label);
  std::string TypeName() const override { return "Label"; }

 protected:
  QString Caption() const override { return As<QLabel>().text(); }
  void Caption(const QString& caption) override { As<QLabel>().setText(caption); }
};

}  // namespace tamrel::qt::detail

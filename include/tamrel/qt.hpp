// tamrel::qt: form binding over real Qt widgets, and Qt's message box,
// folder chooser and event pump behind the platform hooks. Link tamrel::qt
// (built with TAMREL_BUILD_QT; needs Qt 6 Widgets).
//
//   QDialog dialog;                      // from a .ui file, tags set in Designer
//   tamrel::qt::HooksScope qt_hooks;     // Qt's boxes and pump for this thread
//   tamrel::qt::WidgetForm form(dialog);
//   context->PopulateFormFromTags("Preferences", form, snapshot);
//   if (dialog.exec() == QDialog::Accepted) context->ExtractTagsFromForm("Preferences", form);
//
// Widgets and the control each one is:
//   QLineEdit       TextBox (MultiLine False)
//   QPlainTextEdit  TextBox (MultiLine True; lines end in CR LF in Text, and
//                   a lone CR or LF written is a line break too, read back as
//                   CR LF)
//   QComboBox       ComboBox (editable: Style 0; not editable: Style 2, a
//                   drop-down list)
//   QListWidget     ListBox (MultiSelect 0 single selection, 1 multi
//                   selection, 2 extended selection)
//   QCheckBox       CheckBox (Value 0 unchecked, 1 checked, 2 partially
//                   checked, which makes it tri-state; Caption is its text)
//   QRadioButton    OptionButton (Value is checked; the radio buttons of one
//                   parent are one group, as Qt makes them)
//   QLabel          Label (Caption is its text)
// ItemData(i) of a combo box or list is the item's Qt::UserRole data as a
// Long (0 when it has none). The Tag is the widget's dynamic property "tag"
// (a string, "" when absent), which Qt Designer writes into a .ui file.
// BackColor is the colour of the widget's background role as 0x00BBGGRR; a
// widget whose background was never set, or was set to a system colour
// number (kWindowBackground, kButtonFace, ...), shows its palette's default
// and reads back as that system colour number (kWindowBackground for text
// boxes, combo boxes and lists, kButtonFace for the others), as a standard
// control does.
//
// Every property, method and error by name is that of the standard control
// of the same type in tamrel/forms.hpp, so a binding that works on a
// StandardForm works the same on widgets. Texts are UTF-8. Where the widget
// itself has rules, they hold: a QLineEdit keeps at most its maxLength
// characters, and renaming the current item of a combo box (List(i)) shows
// the new name at once, where a standard combo box keeps its Text.
#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>
#include <vector>

#include "tamrel/form.hpp"
#include "tamrel/object.hpp"
#include "tamrel/platform.hpp"

namespace tamrel::qt {

// A Form over a widget tree. Its controls are the supported widgets among
// the root's descendants, depth first, in the order their parents hold them
// (creation order), made afresh at each Controls() call. The search does not
// look inside a control: an editable combo box's own line edit is part of the
// combo box. The form and its controls refer to the widgets and own none of
// them; a control used after Qt destroyed its widget raises error 91.
class WidgetForm : public Form {
 public:
  explicit WidgetForm(QWidget& root);

  std::vector<ObjectRef> Controls() const override;

 private:
  QPointer<QWidget> root_;
};

// The control for one widget, or null when the widget is none of the kinds
// above.
ObjectRef WidgetControl(QWidget& widget);

// Puts Qt behind the platform hooks of the current thread for its lifetime:
//   message box     a modal QMessageBox: the style number's buttons (0 OK,
//                   1 OK Cancel, 2 Abort Retry Ignore, 3 Yes No Cancel, 4 Yes
//                   No, 5 Retry Cancel), icon (16 critical, 32 question, 48
//                   warning, 64 information) and default button (0, 256,
//                   512); the answer is the run-time's number (1 OK,
//                   2 Cancel, 3 Abort, 4 Retry, 5 Ignore, 6 Yes, 7 No)
//   folder chooser  QFileDialog::getExistingDirectory, starting in the folder
//                   given; cancel gives false. The folder uses the platform's
//                   separators.
//   event pump      QCoreApplication::processEvents()
// Everything else stays as it was. Dialogs are parented to the application's
// active window. REQUIRES: a QApplication exists while the scope does; scopes
// end in reverse order on the thread that made them.
class HooksScope {
 public:
  HooksScope();
  HooksScope(const HooksScope&) = delete;
  HooksScope& operator=(const HooksScope&) = delete;

 private:
  platform::Scope scope_;
};

// The hooks HooksScope installs, for a host that combines them with its own.
platform::Hooks QtHooks();

}  // namespace tamrel::qt

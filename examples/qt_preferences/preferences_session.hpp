// PreferencesSession: one run of the preferences dialog of the Qt example.
//
// Made: the "Preferences" context is loaded from Preferences.tmc in the
// application folder, every setting is checked against its default, each
// file named on the command line enters the recent files, and the dialog is
// built from preferences.ui, filled from the context and put back where it
// was last time. Finish: on OK the dialog's values replace those of the
// Preferences tag; the window's place is kept under Window; the context is
// saved when anything changed.
//
// While the dialog is open it follows the file: when another program (a
// second instance, `tamrel set`) saves it, the new values are taken into the
// context and shown. A field the user has changed since the dialog last
// showed the file keeps what the user put there (their edit is theirs until
// they press OK or Cancel); every other field shows the new value. A field
// is "changed" when its text, check or selection differs from what the
// dialog showed; an option group counts as one field.
//
// Tags and ids in Preferences.tmc:
//   Preferences  UserName, DataFolder, FontSize, ShowGrid, AutoSave, Metric,
//                Imperial, ReopenAtStart (one value per selected recent file)
//   Recent       File (the four newest files, newest first)
//   Window       Left, Top, Width, Height
#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "tamrel/context.hpp"
#include "tamrel/dictionary.hpp"
#include "tamrel/qt.hpp"
#include "tamrel/qt_watcher.hpp"

namespace Ui {
class PreferencesDialog;
}

namespace qt_preferences {

class DialogHost;

inline constexpr const char* kApplicationTitle = "Tamrel Qt Preferences";

class PreferencesSession {
 public:
  // REQUIRES: a QApplication exists.
  explicit PreferencesSession(const std::vector<std::string>& opened_files);
  ~PreferencesSession();

  QDialog& dialog() { return dialog_; }
  // The context file, in the application folder.
  const std::string& file() const { return file_; }
  // Keeps the dialog's values when `accepted`, and its place always, then
  // saves. Returns false when the library reported a failure.
  bool Finish(bool accepted);

 private:
  void VerifyDefaults();
  void FillRecentFiles();
  void RestoreGeometry();
  void KeepGeometry();
  void ChooseDataFolder();
  void Show();
  void Follow(const tamrel::ContextChange& change);

  std::shared_ptr<DialogHost> host_;
  std::shared_ptr<tamrel::ContextCls> preferences_;
  std::string file_;
  QDialog dialog_;
  std::unique_ptr<Ui::PreferencesDialog> ui_;
  tamrel::qt::WidgetForm form_;
  // What each control showed when the dialog last showed the file (by the
  // controls' properties, in the form's order).
  std::vector<std::vector<tamrel::Variant>> shown_;
  std::unique_ptr<tamrel::qt::ContextFileWatcher> watcher_;
};

}  // namespace qt_preferences

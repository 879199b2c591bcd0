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
#include "tamrel/qt.hpp"

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

  std::shared_ptr<DialogHost> host_;
  std::shared_ptr<tamrel::ContextCls> preferences_;
  std::string file_;
  QDialog dialog_;
  std::unique_ptr<Ui::PreferencesDialog> ui_;
  tamrel::qt::WidgetForm form_;
};

}  // namespace qt_preferences

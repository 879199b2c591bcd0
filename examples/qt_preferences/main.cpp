// Tamrel Qt Preferences: a preferences dialog, designed in preferences.ui,
// that remembers its settings and its own place.
//
//   qt_preferences [--accept] [FILE...]
//
// Each FILE is "opened": it enters the recent files, which keep the four
// newest. --accept presses OK as soon as the dialog shows, for scripts that
// want the settings saved without a person. The settings are in Preferences.tmc in the application
// folder (on Linux ~/.config/Tamrel Qt Preferences/), printed at exit. While
// the dialog is open it follows saves of that file by other programs (a second
// instance, tamrel set): see preferences_session.hpp for which fields change.
#include <QApplication>
#include <QTimer>
#include <iostream>
#include <string>
#include <vector>

#include "preferences_session.hpp"
#include "tamrel/error.hpp"
#include "tamrel/qt.hpp"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  // The library's message boxes, folder chooser and waits go through Qt.
  tamrel::qt::HooksScope qt_hooks;
  std::vector<std::string> files(argv + 1, argv + argc);
  const bool accept_at_once = !files.empty() && files.front() == "--accept";
  if (accept_at_once) files.erase(files.begin());
  try {
    qt_preferences::PreferencesSession session(files);
    if (accept_at_once) QTimer::singleShot(0, &session.dialog(), &QDialog::accept);
    const bool accepted = session.dialog().exec() == QDialog::Accepted;
    const bool kept = session.Finish(accepted);
    std::cout << "Preferences: " << session.file() << '\n';
    return kept ? 0 : 1;
  } catch (const tamrel::Error& error) {
    // Only failures the library cannot report to the host arrive here.
    std::cerr << "Tamrel Qt Preferences: " << error.description() << " (error " << error.number()
              << ")\n";
    return 1;
  }
}

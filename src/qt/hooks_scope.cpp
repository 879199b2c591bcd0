// HooksScope: Qt's message box, folder chooser and event pump behind the
// platform hooks.
#include <QApplication>
#include <QDir>
#include <QFileDialog>

#include "qt/message_box.hpp"
#include "qt/qt_text.hpp"
#include "tamrel/qt.hpp"

namespace tamrel::qt {
namespace {

bool ChooseFolder(int32_t /*owner_window*/, const std::string& title, std::string& folder) {
  const QString chosen = QFileDialog::getExistingDirectory(
      QApplication::activeWindow(), detail::ToQString(title), detail::ToQString(folder));
  if (chosen.isEmpty()) return false;
  folder = detail::FromQString(QDir::toNativeSeparators(chosen));
  return true;
}

void ProcessEvents() {
  if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents();
}

}  // namespace

platform::Hooks QtHooks() {
  platform::Hooks hooks;
  hooks.message_box = detail::ShowQtMessageBox;
  hooks.browse_for_folder = ChooseFolder;
  hooks.pump_messages = ProcessEvents;
  return hooks;
}

HooksScope::HooksScope() : scope_(QtHooks()) {}

}  // namespace tamrel::qt

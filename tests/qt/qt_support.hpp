// Small helpers of the Qt tests.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>

namespace tamrel::testing {

inline void SetTag(QWidget& widget, const std::string& tag) {
  widget.setProperty("tag", QString::fromStdString(tag));
}

// Runs `answer` on the modal dialog that the next call opens, as a person
// would answer it, once the dialog's event loop runs. REQUIRES: the call
// opens one modal dialog.
template <class Dialog>
void WhenDialogOpens(std::function<void(Dialog&)> answer) {
  auto poll = std::make_shared<std::function<void()>>();
  *poll = [answer, poll] {
    if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
      answer(*dialog);
      *poll = nullptr;  // ends the cycle through the shared pointer
    } else {
      QTimer::singleShot(10, *poll);
    }
  };
  QTimer::singleShot(0, *poll);
}

}  // namespace tamrel::testing

// tamrel::qt::ContextFileWatcher: a ContextWatcher (tamrel/watcher.hpp) as a
// Qt signal, driven by the thread's Qt event loop: a QSocketNotifier on the
// watcher's descriptor, no thread of its own.
//
//   tamrel::qt::ContextFileWatcher watcher(file, settings);
//   QObject::connect(&watcher, &tamrel::qt::ContextFileWatcher::changed,
//                    [&](const tamrel::ContextChange& change) {
//                      tamrel::ApplyChange(*settings, change);  // and show the new values
//                    });
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>
#include <string>

#include "tamrel/watcher.hpp"

namespace tamrel::qt {

class ContextFileWatcher : public QObject {
  Q_OBJECT

 public:
  // Starts watching `file` for `context` (see ContextWatcher, whose errors
  // it raises). REQUIRES: made on a thread with a Qt event loop (Linux).
  ContextFileWatcher(const std::string& file, std::shared_ptr<const ContextCls> context,
                     QObject* parent = nullptr);
  ~ContextFileWatcher() override;

  const std::string& file() const { return watcher_.file(); }

 signals:
  // Another program's save completed and changed the file: one signal per
  // report of the ContextWatcher, on the thread's event loop.
  void changed(const tamrel::ContextChange& change);

 private:
  void TakeReports();

  ContextWatcher watcher_;
  QSocketNotifier notifier_;
};

}  // namespace tamrel::qt

// ContextFileWatcher: the watcher's descriptor handed to Qt's event loop.
#include "tamrel/qt_watcher.hpp"

namespace tamrel::qt {

ContextFileWatcher::ContextFileWatcher(const std::string& file,
                                       std::shared_ptr<const ContextCls> context, QObject* parent)
    : QObject(parent),
      watcher_(file, std::move(context)),
      notifier_(static_cast<qintptr>(watcher_.Descriptor()), QSocketNotifier::Read) {
  connect(&notifier_, &QSocketNotifier::activated, this, [this] { TakeReports(); });
}

ContextFileWatcher::~ContextFileWatcher() = default;

void ContextFileWatcher::TakeReports() {
  while (std::optional<ContextChange> change = watcher_.Poll()) emit changed(*change);
}

}  // namespace tamrel::qt

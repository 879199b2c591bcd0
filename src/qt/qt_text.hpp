// Texts between the library (UTF-8 in std::string) and Qt (QString).
#pragma once

#include <QString>
#include <string>

namespace tamrel::qt::detail {

inline QString ToQString(const std::string& text) { return QString::fromStdString(text); }

inline std::string FromQString(const QString& text) { return text.toStdString(); }

}  // namespace tamrel::qt::detail

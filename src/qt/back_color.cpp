#include "qt/back_color.hpp"

#include <QApplication>
#include <QColor>
#include <QPalette>
#include <QVariant>

#include "forms/colour_number.hpp"

namespace tamrel::qt::detail {
namespace {

// The system colour number last written, kept on the widget so that it reads
// back as written (the palette only knows the colour it stands for).
constexpr const char* kSystemColourProperty = "_tamrel_system_colour";
constexpr QPalette::ColorGroup kGroups[] = {QPalette::Active, QPalette::Inactive,
                                            QPalette::Disabled};

int32_t RgbNumber(const QColor& colour) {
  return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

QColor ColourOf(int32_t rgb) { return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF); }

// The palette the widget would have with no palette of its own.
QPalette InheritedPalette(const QWidget& widget) {
  if (const QWidget* parent = widget.parentWidget()) return parent->palette();
  return QApplication::palette(&widget);
}

bool ShowsInheritedBack(const QWidget& widget) {
  const QPalette::ColorRole role = widget.backgroundRole();
  return widget.palette().color(role) == InheritedPalette(widget).color(role);
}

}  // namespace

int32_t ReadBackColor(const QWidget& widget, int32_t system_back) {
  const QVariant system = widget.property(kSystemColourProperty);
  if (system.isValid() && ShowsInheritedBack(widget)) return system.toInt();
  const QPalette::ColorRole role = widget.backgroundRole();
  if (!widget.palette().isBrushSet(QPalette::Active, role)) return system_back;
  return RgbNumber(widget.palette().color(role));
}

void WriteBackColor(QWidget& widget, int32_t colour) {
  const QPalette::ColorRole role = widget.backgroundRole();
  const QPalette inherited = InheritedPalette(widget);
  QPalette palette = widget.palette();
  for (QPalette::ColorGroup group : kGroups) {
    if (tamrel::detail::IsSystemColour(colour)) {
      palette.setBrush(group, role, inherited.brush(group, role));
    } else {
      palette.setColor(group, role, ColourOf(colour));
    }
  }
  widget.setPalette(palette);
  // Labels, check boxes and option buttons paint no background of their own.
  widget.setAutoFillBackground(!tamrel::detail::IsSystemColour(colour) ||
                               widget.autoFillBackground());
  widget.setProperty(kSystemColourProperty,
                     tamrel::detail::IsSystemColour(colour) ? QVariant(colour) : QVariant());
}

}  // namespace tamrel::qt::detail

// BackColor of a widget: the colour of its background role, as the host's
// colour numbers know it (0x00BBGGRR, or a system colour 0x80000000 to
// 0x80000018 for the palette's default).
#pragma once

#include <QWidget>
#include <cstdint>

namespace tamrel::qt::detail {

// The widget's background as a colour number: the system colour number last
// written while the widget still shows that default, `system_back` when its
// background was never set, else the RGB value of its background role.
int32_t ReadBackColor(const QWidget& widget, int32_t system_back);

// Gives the widget's background role `colour` (a colour number), or, for a
// system colour, the default its parent or the application would give it.
void WriteBackColor(QWidget& widget, int32_t colour);

}  // namespace tamrel::qt::detail

#include "qt/message_box.hpp"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <utility>
#include <vector>

#include "qt/qt_text.hpp"

namespace tamrel::qt::detail {
namespace {

// The run-time's answers.
enum Answer : int16_t { kOk = 1, kCancel, kAbort, kRetry, kIgnore, kYes, kNo };

constexpr int kButtonsMask = 0x0F;
constexpr int kIconMask = 0x70;
constexpr int kDefaultButtonMask = 0x300;
constexpr int kDefaultButtonShift = 8;

struct Button {
  QMessageBox::StandardButton qt;
  Answer answer;
};

std::vector<Button> ButtonsOf(int style) {
  switch (style & kButtonsMask) {
    case 1:
      return {{QMessageBox::Ok, kOk}, {QMessageBox::Cancel, kCancel}};
    case 2:
      return {{QMessageBox::Abort, kAbort},
              {QMessageBox::Retry, kRetry},
              {QMessageBox::Ignore, kIgnore}};
    case 3:
      return {{QMessageBox::Yes, kYes}, {QMessageBox::No, kNo}, {QMessageBox::Cancel, kCancel}};
    case 4:
      return {{QMessageBox::Yes, kYes}, {QMessageBox::No, kNo}};
    case 5:
      return {{QMessageBox::Retry, kRetry}, {QMessageBox::Cancel, kCancel}};
    default:
      return {{QMessageBox::Ok, kOk}};
  }
}

QMessageBox::Icon IconOf(int style) {
  switch (style & kIconMask) {
    case 16:
      return QMessageBox::Critical;
    case 32:
      return QMessageBox::Question;
    case 48:
      return QMessageBox::Warning;
    case 64:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

}  // namespace

Variant ShowQtMessageBox(const std::string& prompt, int16_t style, const std::string& title) {
  const std::vector<Button> buttons = ButtonsOf(style);
  QMessageBox box(IconOf(style), ToQString(title), ToQString(prompt), QMessageBox::NoButton,
                  QApplication::activeWindow());
  for (const Button& button : buttons) box.addButton(button.qt);
  const auto default_index =
      static_cast<std::size_t>((style & kDefaultButtonMask) >> kDefaultButtonShift);
  if (default_index < buttons.size()) box.setDefaultButton(buttons[default_index].qt);
  // Escape answers Cancel where there is one, and OK in a box with OK alone.
  if (buttons.size() == 1) box.setEscapeButton(buttons.front().qt);
  for (const Button& button : buttons) {
    if (button.answer == kCancel) box.setEscapeButton(button.qt);
  }
  box.exec();
  for (const Button& button : buttons) {
    if (box.clickedButton() == box.button(button.qt)) return Variant(int16_t{button.answer});
  }
  // Closed without a button (only where Escape has none to press).
  return Variant(int16_t{buttons.back().answer});
}

}  // namespace tamrel::qt::detail

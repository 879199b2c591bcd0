// HooksScope: Qt's message box, folder chooser and event pump answer the
// library, here answered in turn by a timer in place of a person.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>
#include <string>

#include "qt/qt_support.hpp"
#include "support/recording_host.hpp"
#include "tamrel/context.hpp"
#include "tamrel/dictionary.hpp"
#include "tamrel/locations.hpp"
#include "tamrel/platform.hpp"
#include "tamrel/qt.hpp"

namespace tamrel::testing {
namespace {

// Each style's buttons, icon and default button; the button pressed gives the
// run-time's number, and Escape cancels where there is a Cancel and answers
// OK in a box with OK alone.
TEST(HooksScopeTest, TheMessageBoxShowsTheStylesButtonsAndIconAndAnswersTheRunTimesNumber) {
  using B = QMessageBox;
  constexpr B::StandardButton kEscape = B::NoButton;
  struct Case {
    int16_t style;
    B::StandardButtons buttons;
    B::Icon icon;
    B::StandardButton default_button, pressed;
    int16_t answer;
  };
  const Case cases[] = {
      {0, B::Ok, B::NoIcon, B::Ok, B::Ok, 1},
      {0, B::Ok, B::NoIcon, B::Ok, kEscape, 1},
      {1 + 64, B::Ok | B::Cancel, B::Information, B::Ok, B::Cancel, 2},
      {2 + 16 + 512, B::Abort | B::Retry | B::Ignore, B::Critical, B::Ignore, B::Retry, 4},
      {3 + 48 + 256, B::Yes | B::No | B::Cancel, B::Warning, B::No, B::Yes, 6},
      {3, B::Yes | B::No | B::Cancel, B::NoIcon, B::Yes, kEscape, 2},
      {4 + 32, B::Yes | B::No, B::Question, B::Yes, B::No, 7},
      {5, B::Retry | B::Cancel, B::NoIcon, B::Retry, B::Retry, 4},
  };
  qt::HooksScope scope;
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.style << " " << c.pressed);
    WhenDialogOpens<QMessageBox>([&](QMessageBox& box) {
      EXPECT_EQ(box.windowTitle() + ": " + box.text(), "Survey Plotter: Settings were restored.");
      EXPECT_EQ(box.icon(), c.icon);
      EXPECT_EQ(box.standardButtons(), c.buttons);
      EXPECT_EQ(static_cast<QAbstractButton*>(box.defaultButton()), box.button(c.default_button));
      if (c.pressed != kEscape) return box.button(c.pressed)->click();
      QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
      QApplication::sendEvent(&box, &escape);
    });
    EXPECT_EQ(platform::Current().message_box("Settings were restored.", c.style, "Survey Plotter"),
              Variant(c.answer));
  }
}

TEST(HooksScopeTest, TheChooserGivesTheChosenFolderAndLeavesTheVariableOnCancel) {
  QTemporaryDir temp;
  const QString chosen = temp.path() + "/Surveys";
  ASSERT_TRUE(QDir().mkpath(chosen));
  qt::HooksScope scope;
  WhenDialogOpens<QFileDialog>([&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Select folder");
    EXPECT_EQ(QDir(dialog.directory()).canonicalPath(), QDir(temp.path()).canonicalPath());
    dialog.setDirectory(chosen);
    static_cast<QDialog&>(dialog).done(QDialog::Accepted);  // done is public there
  });
  std::string folder = temp.path().toStdString();
  EXPECT_TRUE(BrowseForFolder(0, "Select folder", folder));
  EXPECT_EQ(QDir(QString::fromStdString(folder)).canonicalPath(), QDir(chosen).canonicalPath());

  WhenDialogOpens<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
  EXPECT_FALSE(BrowseForFolder(0, "Choose", folder));
  EXPECT_EQ(QDir(QString::fromStdString(folder)).canonicalPath(), QDir(chosen).canonicalPath());
}

// Qt's pump runs what is queued: a host slot queued on an option button's
// change runs while the form is filled, before the controls after the button
// are; and it keeps running while the host waits.
TEST(HooksScopeTest, PopulationAndWaitLetQueuedEventsRun) {
  auto context = std::make_shared<ContextCls>();
  context->SetApplicationContext(RecordingHost::Make());
  context->Value("Dlg", "Metric", Variant("True"));
  context->Value("Dlg", "Unit", Variant("km"));
  QWidget root;
  auto* metric = new QRadioButton(&root);
  SetTag(*metric, "id=Metric");
  auto* unit = new QLineEdit(&root);
  SetTag(*unit, "id=Unit");
  unit->setText("mi");
  std::string unit_seen_by_slot = "(slot not run)";
  QObject::connect(
      metric, &QRadioButton::toggled, &root,
      [&](bool) { unit_seen_by_slot = unit->text().toStdString(); }, Qt::QueuedConnection);
  qt::HooksScope scope;
  qt::WidgetForm form(root);
  Dictionary snapshot;
  context->PopulateFormFromTags("Dlg", form, snapshot);
  EXPECT_EQ(unit->text(), "km");
  EXPECT_EQ(unit_seen_by_slot, "mi");

  bool fired = false;
  QTimer::singleShot(0, [&] { fired = true; });
  context->Wait(0.05F);
  EXPECT_TRUE(fired);
}

}  // namespace
}  // namespace tamrel::testing

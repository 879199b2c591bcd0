// The Qt Preferences example as a person uses it: change values in the
// dialog and press OK; start it again and find them, in the dialog and in
// Preferences.tmc under the tags the example documents.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "preferences_session.hpp"
#include "qt/qt_support.hpp"
#include "support/recording_host.hpp"
#include "support/temp_dir.hpp"
#include "tamrel/context.hpp"

namespace tamrel::testing {
namespace {

// Points the configuration and backup folders into a temporary folder.
class PreferencesExampleTest : public ::testing::Test {
 protected:
  PreferencesExampleTest() {
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_STATE_HOME"}) {
      qputenv(name, QByteArray::fromStdString(temp_.Path(name)));
    }
  }
  ~PreferencesExampleTest() override {
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_STATE_HOME"}) qunsetenv(name);
  }

  // Starts the example, lets `use` work the dialog once it shows, and ends
  // the run as the dialog ended.
  void Run(const std::vector<std::string>& files, const std::function<void(QDialog&)>& use) {
    qt_preferences::PreferencesSession session(files);
    file_ = session.file();
    WhenDialogOpens<QDialog>(use);
    const bool accepted = session.dialog().exec() == QDialog::Accepted;
    EXPECT_TRUE(session.Finish(accepted));
  }

  template <class W>
  static W& Find(QDialog& dialog, const char* name) {
    W* widget = dialog.findChild<W*>(name);
    if (widget == nullptr) throw std::runtime_error(std::string("no widget ") + name);
    return *widget;
  }
  static void Press(QDialog& dialog, QDialogButtonBox::StandardButton button) {
    Find<QDialogButtonBox>(dialog, "buttons").button(button)->click();
  }

  std::string Stored(const std::string& tag, const std::string& id) {
    auto context = std::make_shared<ContextCls>();
    context->SetApplicationContext(RecordingHost::Make());
    EXPECT_TRUE(context->Load(file_));
    return CStr(context->Value(tag, id));
  }

  TempDir temp_;
  std::string file_;
};

TEST_F(PreferencesExampleTest, ValuesAcceptedInTheDialogAreThereAtTheNextStart) {
  Run({"/srv/a.svy", "/srv/b.svy"}, [](QDialog& dialog) {
    Find<QLineEdit>(dialog, "userName").setText("Ana Ruiz");
    Find<QComboBox>(dialog, "fontSize").lineEdit()->setText("13");  // typed, not listed
    Find<QCheckBox>(dialog, "showGrid").setChecked(false);
    Find<QCheckBox>(dialog, "autoSave").setChecked(true);
    Find<QRadioButton>(dialog, "imperial").click();
    Find<QListWidget>(dialog, "recentFiles").item(1)->setSelected(true);
    dialog.move(210, 160);
    Press(dialog, QDialogButtonBox::Ok);
  });
  EXPECT_EQ(Stored("Preferences", "UserName"), "Ana Ruiz");
  EXPECT_EQ(Stored("Preferences", "FontSize"), "13");
  EXPECT_EQ(Stored("Preferences", "ShowGrid"), "False");
  EXPECT_EQ(Stored("Preferences", "Imperial"), "True");
  EXPECT_EQ(Stored("Preferences", "Metric"), "False");
  EXPECT_EQ(Stored("Preferences", "ReopenAtStart"), "/srv/a.svy");
  EXPECT_EQ(Stored("Recent", "File"), "/srv/b.svy");
  EXPECT_EQ(Stored("Window", "Left"), "210");

  bool shown = false;
  Run({}, [&](QDialog& dialog) {
    shown = true;
    EXPECT_EQ(Find<QLineEdit>(dialog, "userName").text(), "Ana Ruiz");
    EXPECT_EQ(Find<QComboBox>(dialog, "fontSize").currentText(), "13");
    EXPECT_FALSE(Find<QCheckBox>(dialog, "showGrid").isChecked());
    EXPECT_TRUE(Find<QCheckBox>(dialog, "autoSave").isChecked());
    EXPECT_TRUE(Find<QRadioButton>(dialog, "imperial").isChecked());
    EXPECT_FALSE(Find<QRadioButton>(dialog, "metric").isChecked());
    const QListWidget& recent = Find<QListWidget>(dialog, "recentFiles");
    ASSERT_EQ(recent.count(), 2);
    EXPECT_EQ(recent.item(1)->text(), "/srv/a.svy");
    EXPECT_TRUE(recent.item(1)->isSelected() && !recent.item(0)->isSelected());
    EXPECT_EQ(dialog.pos(), QPoint(210, 160));
    // Changes thrown away with Cancel stay out of the file.
    Find<QLineEdit>(dialog, "userName").setText("Someone Else");
    Press(dialog, QDialogButtonBox::Cancel);
  });
  EXPECT_TRUE(shown);
  EXPECT_EQ(Stored("Preferences", "UserName"), "Ana Ruiz");
}

// A first start shows the verified defaults and saves them even when
// cancelled. Then two instances open on that file: OK in one, and the other
// shows the new values at once, except in the field its user is typing in.
TEST_F(PreferencesExampleTest, AFirstStartSavesTheDefaultsAndAnOtherOpenDialogFollows) {
  Run({}, [](QDialog& dialog) {
    EXPECT_EQ(Find<QComboBox>(dialog, "fontSize").currentText(), "10");
    EXPECT_TRUE(Find<QCheckBox>(dialog, "showGrid").isChecked());
    EXPECT_TRUE(Find<QRadioButton>(dialog, "metric").isChecked());
    EXPECT_EQ(Find<QListWidget>(dialog, "recentFiles").count(), 0);
    Press(dialog, QDialogButtonBox::Cancel);
  });
  EXPECT_EQ(Stored("Window", "Width"), "460");
  qt_preferences::PreferencesSession first({});
  qt_preferences::PreferencesSession second({});
  QDialog& other = second.dialog();
  Find<QLineEdit>(other, "dataFolder").setText("/home/ana/typing");  // not accepted yet

  QDialog& dialog = first.dialog();
  Find<QLineEdit>(dialog, "userName").setText("Ana Ruiz");
  Find<QLineEdit>(dialog, "dataFolder").setText("/srv/data");
  Find<QCheckBox>(dialog, "showGrid").setChecked(false);
  Find<QRadioButton>(dialog, "imperial").click();
  ASSERT_TRUE(first.Finish(true));

  QEventLoop loop;
  QTimer::singleShot(3000, &loop, &QEventLoop::quit);
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (Find<QLineEdit>(other, "userName").text() == "Ana Ruiz") loop.quit();
  });
  poll.start(10);
  loop.exec();
  EXPECT_EQ(Find<QLineEdit>(other, "userName").text(), "Ana Ruiz");
  EXPECT_FALSE(Find<QCheckBox>(other, "showGrid").isChecked());
  EXPECT_TRUE(Find<QRadioButton>(other, "imperial").isChecked());
  EXPECT_FALSE(Find<QRadioButton>(other, "metric").isChecked());
  EXPECT_EQ(Find<QLineEdit>(other, "dataFolder").text(), "/home/ana/typing");

  ASSERT_TRUE(second.Finish(true));  // its user's edit wins, the rest stays
  EXPECT_EQ(Stored("Preferences", "DataFolder"), "/home/ana/typing");
  EXPECT_EQ(Stored("Preferences", "UserName"), "Ana Ruiz");
  EXPECT_EQ(Stored("Preferences", "Imperial"), "True");
}

}  // namespace
}  // namespace tamrel::testing

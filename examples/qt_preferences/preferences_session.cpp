#include "preferences_session.hpp"

#include <QDir>
#include <QPushButton>
#include <iostream>

#include "tamrel/tamrel.hpp"
#include "ui_preferences.h"

namespace qt_preferences {

// The host application object: log lines are dropped, failures go to
// standard error, and messages are shown in the platform's message box,
// which HooksScope makes Qt's.
class DialogHost : public tamrel::HostApplication {
 public:
  int errors() const { return errors_; }

  void WriteLog(const std::string&) override {}
  void WriteDetail(const std::string&) override {}
  void RegisterError(const std::string& location, const std::string& stage) override {
    ++errors_;
    std::cerr << location << " (" << stage << "): " << tamrel::CurrentError().description << '\n';
  }
  void GetErrorText(std::string& text) override { text = tamrel::CurrentError().description; }
  tamrel::Variant HandleError(bool, bool, bool) override { return {}; }
  tamrel::Variant ShowMessage(const std::string& prompt, int16_t style, const std::string& title,
                              const std::string&, int32_t) override {
    return tamrel::platform::Current().message_box(prompt, style, title);
  }

 private:
  int errors_ = 0;
};

namespace {

constexpr const char* kTag = "Preferences";
constexpr int16_t kRecentFiles = 4;

// The object the library reads the application title from; the title names
// the application folder.
class Application : public tamrel::Object {
 public:
  std::string TypeName() const override { return "Application"; }
  tamrel::Variant Get(const std::string& name,
                      const std::vector<tamrel::Variant>& indices) override {
    if (!tamrel::SameName(name, "title") || !indices.empty()) NoSuchMember(name);
    return tamrel::Variant(kApplicationTitle);
  }
};

std::string UserName() {
  const QString user = qEnvironmentVariable("USER");
  return user.toStdString();
}

int32_t Number(tamrel::ContextCls& context, const char* tag, const char* id) {
  return tamrel::CLng(context.Value(tag, id));
}

// What a control shows, by the properties a user changes.
std::vector<tamrel::Variant> StateOf(tamrel::Object& control) {
  const std::string type = control.TypeName();
  if (type == "TextBox" || type == "ComboBox") return {control.Get("Text", {})};
  if (type == "CheckBox" || type == "OptionButton") return {control.Get("Value", {})};
  std::vector<tamrel::Variant> state;
  if (type == "ListBox") {
    const int32_t count = tamrel::CLng(control.Get("ListCount", {}));
    for (int32_t i = 0; i < count; ++i)
      state.push_back(control.Get("Selected", {tamrel::Variant(i)}));
  }
  return state;
}

void Restore(tamrel::Object& control, const std::vector<tamrel::Variant>& state) {
  const std::string type = control.TypeName();
  if (type == "TextBox" || type == "ComboBox") control.Let("Text", state.at(0), {});
  if (type == "CheckBox" || type == "OptionButton") control.Let("Value", state.at(0), {});
  if (type == "ListBox") {
    for (std::size_t i = 0; i < state.size(); ++i) {
      control.Let("Selected", state[i], {tamrel::Variant(static_cast<int32_t>(i))});
    }
  }
}

}  // namespace

PreferencesSession::PreferencesSession(const std::vector<std::string>& opened_files)
    : host_(std::make_shared<DialogHost>()),
      preferences_(std::make_shared<tamrel::ContextCls>()),
      ui_(std::make_unique<Ui::PreferencesDialog>()),
      form_(dialog_) {
  preferences_->SetApplicationContext(host_);
  preferences_->Appl(std::make_shared<Application>());
  preferences_->name("Preferences");
  file_ = preferences_->GetApplicationConfigLocation() + "Preferences.tmc";
  preferences_->Load(file_);  // false on the first run: nothing saved yet
  VerifyDefaults();
  for (const std::string& file : opened_files) {
    preferences_->Add("Recent", "File", tamrel::Variant(file), kRecentFiles);
  }

  ui_->setupUi(&dialog_);
  QObject::connect(ui_->browse, &QPushButton::clicked, &dialog_, [this] { ChooseDataFolder(); });
  FillRecentFiles();
  Show();
  RestoreGeometry();
  watcher_ = std::make_unique<tamrel::qt::ContextFileWatcher>(file_, preferences_);
  QObject::connect(watcher_.get(), &tamrel::qt::ContextFileWatcher::changed, &dialog_,
                   [this](const tamrel::ContextChange& change) { Follow(change); });
}

// Fills the dialog from the context and notes what it shows.
void PreferencesSession::Show() {
  tamrel::Dictionary snapshot;
  preferences_->PopulateFormFromTags(kTag, form_, snapshot);
  shown_.clear();
  for (const tamrel::ObjectRef& control : form_.Controls()) shown_.push_back(StateOf(*control));
}

void PreferencesSession::Follow(const tamrel::ContextChange& change) {
  if (change.file != tamrel::FileRecords::State::kLoaded) return;  // nothing to show
  std::vector<tamrel::ObjectRef> controls = form_.Controls();
  std::vector<std::vector<tamrel::Variant>> edited;
  for (const tamrel::ObjectRef& control : controls) edited.push_back(StateOf(*control));
  tamrel::ApplyChange(*preferences_, change);
  ui_->recentFiles->clear();
  FillRecentFiles();
  const std::vector<std::vector<tamrel::Variant>> before = shown_;
  Show();
  controls = form_.Controls();
  for (std::size_t i = 0; i < controls.size() && i < before.size() && i < edited.size(); ++i) {
    // A list whose items changed no longer matches what the user selected.
    if (edited[i] != before[i] && edited[i].size() == shown_[i].size()) {
      Restore(*controls[i], edited[i]);
    }
  }
}

PreferencesSession::~PreferencesSession() = default;

// A missing or mangled setting gets its default, so the dialog always shows
// a value of the right kind.
void PreferencesSession::VerifyDefaults() {
  const std::pair<const char*, tamrel::Variant> settings[] = {
      {"UserName", tamrel::Variant(UserName())},
      {"DataFolder", tamrel::Variant(QDir::toNativeSeparators(QDir::homePath()).toStdString())},
      {"FontSize", tamrel::Variant(int16_t{10})},
      {"ShowGrid", tamrel::Variant(true)},
      {"AutoSave", tamrel::Variant(false)},
      {"Metric", tamrel::Variant(true)},
      {"Imperial", tamrel::Variant(false)},
  };
  for (const auto& [id, fallback] : settings) preferences_->Verify(kTag, id, fallback);
  const std::pair<const char*, int16_t> window[] = {
      {"Left", 120}, {"Top", 100}, {"Width", 460}, {"Height", 400}};
  for (const auto& [id, fallback] : window) {
    preferences_->Verify("Window", id, tamrel::Variant(fallback));
  }
}

// The recent files are the list's items; the setting is which of them are
// selected.
void PreferencesSession::FillRecentFiles() {
  preferences_->MoveFirst("Recent", "File");
  while (!preferences_->Eof("Recent", "File")) {
    ui_->recentFiles->addItem(
        QString::fromStdString(tamrel::CStr(preferences_->Read("Recent", "File"))));
    preferences_->MoveNext("Recent", "File");
  }
}

void PreferencesSession::RestoreGeometry() {
  dialog_.move(Number(*preferences_, "Window", "Left"), Number(*preferences_, "Window", "Top"));
  dialog_.resize(Number(*preferences_, "Window", "Width"),
                 Number(*preferences_, "Window", "Height"));
}

// Only a place that moved is written, so an unmoved dialog that was
// cancelled leaves the file as it was.
void PreferencesSession::KeepGeometry() {
  const std::pair<const char*, int> place[] = {{"Left", dialog_.x()},
                                               {"Top", dialog_.y()},
                                               {"Width", dialog_.width()},
                                               {"Height", dialog_.height()}};
  for (const auto& [id, value] : place) {
    if (Number(*preferences_, "Window", id) != value) {
      preferences_->Value("Window", id, tamrel::Variant(static_cast<int32_t>(value)));
    }
  }
}

void PreferencesSession::ChooseDataFolder() {
  std::string folder = ui_->dataFolder->text().toStdString();
  if (tamrel::BrowseForFolder(0, "Select the data folder", folder)) {
    ui_->dataFolder->setText(QString::fromStdString(folder));
  }
}

bool PreferencesSession::Finish(bool accepted) {
  watcher_.reset();  // what this instance saves now is its own
  if (accepted) preferences_->ExtractTagsFromForm(kTag, form_);
  KeepGeometry();
  if (preferences_->changed()) preferences_->Save(file_);
  return host_->errors() == 0;
}

}  // namespace qt_preferences

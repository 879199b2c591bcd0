// Survey Plotter: an example host application of the Tamrel library.
//
//   survey_plotter [SURVEY_FILE...]
//
// Written the way a real application uses its settings: at start-up it
// settles its folder, loads its calibration context and its user
// preferences, and checks every setting it relies on against a default
// (Verify), so a missing or mangled value never reaches the program. Each
// SURVEY_FILE is "opened": it enters the recent-files list, which keeps the
// four newest, and the view settings of a file that drops off the list go
// with it. At exit both contexts are saved when they changed. The log of
// everything the contexts did is in the application folder, plotter.log.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "log_file_host.hpp"
#include "tamrel/tamrel.hpp"

namespace survey_plotter {
namespace {

constexpr const char* kApplication = "Survey Plotter";
constexpr int16_t kRecentFiles = 4;
// Per-file settings filed under the file's path; they follow the file out
// of the recent-files list.
constexpr const char* kLinkedToRecentFiles = "'FileView'FileLayers";

// The object the library reads the application title from.
class Application : public tamrel::Object {
 public:
  std::string TypeName() const override { return "Application"; }
  tamrel::Variant Get(const std::string& name,
                      const std::vector<tamrel::Variant>& indices) override {
    if (!tamrel::SameName(name, "title") || !indices.empty()) NoSuchMember(name);
    return tamrel::Variant(kApplication);
  }
};

struct Setting {
  const char* tag;
  const char* id;
  tamrel::Variant fallback;  // its kind is the kind the value must have
};

void VerifyAll(tamrel::ContextCls& context, const std::vector<Setting>& settings) {
  for (const Setting& setting : settings) context.Verify(setting.tag, setting.id, setting.fallback);
}

std::shared_ptr<tamrel::ContextCls> NewContext(const std::shared_ptr<LogFileHost>& host,
                                               const std::string& name) {
  auto context =
      std::dynamic_pointer_cast<tamrel::ContextCls>(tamrel::CreateObject("Tamrel.ContextCls"));
  context->SetApplicationContext(host);
  context->name(name);
  return context;
}

void OpenSurvey(tamrel::ContextCls& preferences, const std::string& path) {
  preferences.Add("Recent", "File", tamrel::Variant(path), kRecentFiles, kLinkedToRecentFiles);
  if (!preferences.Exists("FileView", path)) {
    preferences.Value("FileView", path, tamrel::Variant("zoom=1.0;x=0;y=0"));
    preferences.Value("FileLayers", path, tamrel::Variant("Contours"));
  }
}

std::vector<std::string> RecentFiles(tamrel::ContextCls& preferences) {
  std::vector<std::string> files;
  preferences.MoveFirst("Recent", "File");
  while (!preferences.Eof("Recent", "File")) {
    files.push_back(tamrel::CStr(preferences.Read("Recent", "File")));
    preferences.MoveNext("Recent", "File");
  }
  return files;
}

int Run(const std::vector<std::string>& surveys) {
  auto host = std::make_shared<LogFileHost>();

  // The calibration context settles the application folder (and the title
  // that names it) for the whole application.
  auto calibration = NewContext(host, "Calibration");
  calibration->Appl(std::make_shared<Application>());
  const std::string folder = calibration->GetApplicationConfigLocation();
  if (!host->OpenLog(folder + "plotter.log")) {
    std::cerr << "Survey Plotter: cannot write the log in " << folder << '\n';
  }
  const std::string calibration_file = folder + "CalibrationSettings.tmc";
  calibration->Load(calibration_file);
  VerifyAll(*calibration, {{"Probe", "Enabled", tamrel::Variant(true)},
                           {"Probe", "OffsetMm", tamrel::Variant(0.25)},
                           {"Probe", "Samples", tamrel::Variant(int16_t{16})},
                           {"Plotter", "Port", tamrel::Variant("/dev/ttyUSB0")}});

  auto preferences = NewContext(host, "User");
  preferences->GetUserPreferences(kApplication);
  VerifyAll(*preferences, {{"Window", "Left", tamrel::Variant(int16_t{100})},
                           {"Window", "Top", tamrel::Variant(int16_t{80})},
                           {"Window", "Maximized", tamrel::Variant(false)},
                           {"Options", "ShowGrid", tamrel::Variant(true)},
                           {"Options", "Units", tamrel::Variant("mm")}});

  for (const std::string& survey : surveys) OpenSurvey(*preferences, survey);

  std::cout << "Settings folder:  " << folder << '\n'
            << "User preferences: " << preferences->SaveLocation() << '\n'
            << "Backup copies:    " << tamrel::GetWindowsFolder() << '\n'
            << "Probe offset:     " << tamrel::CStr(calibration->Value("Probe", "OffsetMm"))
            << " mm, grid shown: " << tamrel::CStr(preferences->Value("Options", "ShowGrid"))
            << '\n'
            << "Recent surveys:\n";
  for (const std::string& file : RecentFiles(*preferences)) std::cout << "  " << file << '\n';

  // Save at exit: only what changed, each to its file and its backup copy.
  if (calibration->changed()) calibration->Save(calibration_file);
  if (preferences->changed()) preferences->Save();
  return host->errors_reported() == 0 ? 0 : 1;
}

}  // namespace
}  // namespace survey_plotter

int main(int argc, char** argv) {
  try {
    return survey_plotter::Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const tamrel::Error& error) {
    // Only failures the library cannot report to the host arrive here.
    std::cerr << "Survey Plotter: " << error.description() << " (error " << error.number() << ")\n";
    return 1;
  }
}

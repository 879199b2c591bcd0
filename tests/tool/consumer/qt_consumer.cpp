// A Qt program outside the project that binds a widget form through the
// installed tamrel::qt; exits with 0 only when the values go round.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QWidget>
#include <memory>
#include <string>

#include "quiet_host.hpp"
#include "tamrel/qt.hpp"
#include "tamrel/tamrel.hpp"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  tamrel::qt::HooksScope qt_hooks;
  QWidget dialog;
  auto* name = new QLineEdit(&dialog);
  name->setProperty("tag", "id=Name");
  auto* bold = new QCheckBox(&dialog);
  bold->setProperty("tag", "id=Bold");

  auto host = std::make_shared<QuietHost>();
  auto context = std::make_shared<tamrel::ContextCls>();
  context->SetApplicationContext(host);
  context->Value("Dlg", "Name", tamrel::Variant("Plant 7"));
  context->Value("Dlg", "Bold", tamrel::Variant(true));
  tamrel::qt::WidgetForm form(dialog);
  tamrel::Dictionary shown;
  context->PopulateFormFromTags("Dlg", form, shown);
  const bool populated = name->text() == "Plant 7" && bold->isChecked();
  name->setText("Plant 8");
  context->ExtractTagsFromForm("Dlg", form);
  const bool extracted = tamrel::CStr(context->Value("Dlg", "Name")) == "Plant 8";
  return populated && extracted && !host->failed ? 0 : 1;
}

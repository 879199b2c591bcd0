// TextBox over QLineEdit and QPlainTextEdit. A plain text edit keeps its
// lines apart itself; in Text they end in CR LF, as in a multi-line text box.
// Every other character comes back as it was written: the document's raw
// text is read, since its plain text turns a no-break space into a space and
// a line separator (U+2028) into a line break.
#include <QTextDocument>

#include "qt/qt_text.hpp"
#include "qt/widget_controls.hpp"
#include "tamrel/forms.hpp"

namespace tamrel::qt::detail {
namespace {

const QString kLineBreak = QStringLiteral("\r\n");
const QChar kNewLine = QLatin1Char('\n');
// What the document puts between two of its lines (blocks) in its raw text.
const QChar kBlockBreak = QChar(QChar::ParagraphSeparator);

}  // namespace

TextBoxControl::TextBoxControl(QLineEdit& edit)
    : WidgetControl(edit, kWindowBackground), multi_line_(false) {}

TextBoxControl::TextBoxControl(QPlainTextEdit& edit)
    : WidgetControl(edit, kWindowBackground), multi_line_(true) {}

std::string TextBoxControl::Text() const {
  if (!multi_line_) return FromQString(As<QLineEdit>().text());
  QString text = As<QPlainTextEdit>().document()->toRawText();
  return FromQString(text.replace(kBlockBreak, kLineBreak));
}

void TextBoxControl::Text(const std::string& text) {
  if (multi_line_) {
    QString lines = ToQString(text);
    As<QPlainTextEdit>().setPlainText(lines.replace(kLineBreak, QString(kNewLine)));
  } else {
    As<QLineEdit>().setText(ToQString(text));
  }
}

std::optional<Variant> TextBoxControl::GetOwn(const std::string& name,
                                              const std::vector<Variant>& indices) {
  if (IsPlainProperty(name, "Text", indices)) return Variant(Text());
  if (IsPlainProperty(name, "MultiLine", indices)) return Variant(multi_line_);
  return std::nullopt;
}

bool TextBoxControl::LetOwn(const std::string& name, const Variant& value,
                            const std::vector<Variant>& indices) {
  if (SameName(name, "MultiLine")) RaiseDesignTimeOnly("MultiLine");
  if (!IsPlainProperty(name, "Text", indices)) return false;
  Text(CStr(value));
  return true;
}

}  // namespace tamrel::qt::detail

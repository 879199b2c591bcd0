#include "qt/widget_control.hpp"

#include <QVariant>

#include "forms/colour_number.hpp"
#include "qt/back_color.hpp"
#include "qt/qt_text.hpp"
#include "tamrel/error.hpp"

namespace tamrel::qt::detail {
namespace {

// Where Qt Designer files the control parameter text of a widget.
constexpr const char* kTagProperty = "tag";

}  // namespace

WidgetControl::WidgetControl(QWidget& widget, int32_t system_back)
    : widget_(&widget), system_back_(system_back) {}

QWidget& WidgetControl::Widget() const {
  if (widget_.isNull()) Raise(errc::kObjectNotSet);
  return *widget_;
}

Variant WidgetControl::Get(const std::string& name, const std::vector<Variant>& indices) {
  if (IsPlainProperty(name, "Tag", indices)) {
    return Variant(FromQString(Widget().property(kTagProperty).toString()));
  }
  if (IsPlainProperty(name, "BackColor", indices)) {
    return Variant(ReadBackColor(Widget(), system_back_));
  }
  if (std::optional<Variant> own = GetOwn(name, indices)) return *std::move(own);
  NoSuchMember(name);
}

void WidgetControl::Let(const std::string& name, const Variant& value,
                        const std::vector<Variant>& indices) {
  if (IsPlainProperty(name, "Tag", indices)) {
    Widget().setProperty(kTagProperty, ToQString(CStr(value)));
  } else if (IsPlainProperty(name, "BackColor", indices)) {
    const int32_t colour = CLng(value);
    if (!tamrel::detail::IsColourNumber(colour)) RaiseInvalidValue();
    WriteBackColor(Widget(), colour);
  } else if (!LetOwn(name, value, indices)) {
    NoSuchMember(name);
  }
}

bool WidgetControl::IsPlainProperty(const std::string& name, const char* property,
                                    const std::vector<Variant>& indices) {
  if (!SameName(name, property)) return false;
  if (!indices.empty()) Raise(errc::kWrongArgumentCount);
  return true;
}

int32_t WidgetControl::OneIndex(const std::vector<Variant>& indices) {
  if (indices.size() != 1) Raise(errc::kWrongArgumentCount);
  return CLng(indices.front());
}

void WidgetControl::RaiseInvalidValue() {
  Raise(errc::kInvalidPropertyValue, "Invalid property value");
}

void WidgetControl::RaiseReadOnly(const std::string& name) {
  Raise(errc::kReadOnlyProperty, "'" + name + "' property is read-only");
}

void WidgetControl::RaiseDesignTimeOnly(const std::string& name) {
  Raise(errc::kSetOnlyAtDesignTime, "'" + name + "' property cannot be set at run time");
}

}  // namespace tamrel::qt::detail

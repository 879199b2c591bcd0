// WidgetControl: the part every widget control shares, Tag and BackColor by
// name, and the run-time's errors as the standard controls raise them.
#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tamrel/object.hpp"
#include "tamrel/variant.hpp"

namespace tamrel::qt::detail {

class WidgetControl : public Object {
 public:
  Variant Get(const std::string& name, const std::vector<Variant>& indices = {}) override;
  void Let(const std::string& name, const Variant& value,
           const std::vector<Variant>& indices = {}) override;

 protected:
  // `system_back` is what BackColor reads while the widget shows its
  // palette's default background.
  WidgetControl(QWidget& widget, int32_t system_back);

  // The properties of the concrete control. GetOwn returns nothing and
  // LetOwn false for a name the control does not have.
  virtual std::optional<Variant> GetOwn(const std::string& name,
                                        const std::vector<Variant>& indices) = 0;
  virtual bool LetOwn(const std::string& name, const Variant& value,
                      const std::vector<Variant>& indices) = 0;

  // The widget as its concrete class; error 91 once Qt has destroyed it.
  template <class W>
  W& As() const {
    return static_cast<W&>(Widget());
  }
  QWidget& Widget() const;

  // True when `name` is `property` (in any letter case); error 450 when it is
  // and `indices` is not empty, as the property takes no index.
  static bool IsPlainProperty(const std::string& name, const char* property,
                              const std::vector<Variant>& indices);
  // The one index of an indexed property; error 450 unless there is one.
  static int32_t OneIndex(const std::vector<Variant>& indices);
  [[noreturn]] static void RaiseInvalidValue();
  [[noreturn]] static void RaiseReadOnly(const std::string& name);
  [[noreturn]] static void RaiseDesignTimeOnly(const std::string& name);

 private:
  QPointer<QWidget> widget_;
  int32_t system_back_;
};

}  // namespace tamrel::qt::detail

// OptionGroup: the option buttons of one form, of which at most one is True.
#pragma once

#include <memory>
#include <vector>

#include "tamrel/forms.hpp"

namespace tamrel::detail {

struct OptionGroup {
  // Makes `button` a member of `group`, leaving any group it was in.
  static void Join(const std::shared_ptr<OptionGroup>& group,
                   const std::shared_ptr<OptionButton>& button);
  // Sets every other living member to False.
  void Checked(const OptionButton& button);

  std::vector<std::weak_ptr<OptionButton>> members;
};

}  // namespace tamrel::detail

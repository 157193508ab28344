#pragma once
// Why the program decided what it decided: the core tells an observer, when
// one is attached, about every decision it takes (a new window, a
// navigation, a web page dialog, a window caption, a hot-key click).

#include <string_view>

namespace qx {

class DecisionObserver {
 public:
  virtual ~DecisionObserver() = default;
  // what: the decision taken; why: the case that decided it and the rule or
  // user action behind it.
  virtual void Decided(std::wstring_view what, std::wstring_view why) = 0;
};

}  // namespace qx

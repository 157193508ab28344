#pragma once
// The window rules of one program (or of all programs), in the order they
// were added.

#include <cstddef>
#include <cstdint>
#include <list>
#include <optional>
#include <string>
#include <string_view>

#include "rules/FlatIndex.h"
#include "rules/PhraseMatcher.h"
#include "rules/TextHash.h"
#include "rules/Window.h"

namespace qx {

class WindowGroup {
 public:
  explicit WindowGroup(std::wstring program) : program_(std::move(program)) {}
  WindowGroup(const WindowGroup&) = delete;
  WindowGroup& operator=(const WindowGroup&) = delete;

  const std::wstring& Program() const { return program_; }
  // The number of rules.
  std::size_t Count() const { return rules_.size(); }
  std::list<Window>::const_iterator begin() const { return rules_.begin(); }
  std::list<Window>::const_iterator end() const { return rules_.end(); }

 private:
  friend class Windows;

  // lowerCaption: the trimmed caption lower-cased, the rule's key; hash:
  // its TextHash.
  const Window* Find(std::wstring_view lowerCaption, std::uint64_t hash) const;
  // Appends the rule; answers the status of the rule it replaced, if any.
  std::optional<std::int32_t> Insert(std::wstring_view lowerCaption, Window rule);
  // Answers the status of the removed rule.
  std::optional<std::int32_t> Erase(std::wstring_view lowerCaption);
  // Does any phrase rule of this group occur in the lower-case caption?
  bool AnyPhraseIn(std::wstring_view lowerCaption);

  std::wstring program_;
  std::list<Window> rules_;
  // Keyed by the hash of the lower-cased caption.
  FlatIndex<std::list<Window>::iterator> byCaption_;
  std::size_t phraseCount_ = 0;
  // Built when first needed after a change: loading thousands of rules
  // builds it once.
  PhraseMatcher phrases_;
  bool phrasesStale_ = true;
};

}  // namespace qx

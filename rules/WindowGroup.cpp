#include "rules/WindowGroup.h"

#include <vector>

#include "base/Text.h"

namespace qx {

const Window* WindowGroup::Find(std::wstring_view lowerCaption) const {
  const auto it = byCaption_.find(lowerCaption);
  return it == byCaption_.end() ? nullptr : &*it->second;
}

std::optional<std::int32_t> WindowGroup::Insert(std::wstring lowerCaption, Window rule) {
  const std::optional<std::int32_t> replaced = Erase(lowerCaption);
  if (rule.Status == kCaptionContains) {
    ++phraseCount_;
    phrasesStale_ = true;
  }
  rules_.push_back(std::move(rule));
  byCaption_.emplace(std::move(lowerCaption), std::prev(rules_.end()));
  return replaced;
}

std::optional<std::int32_t> WindowGroup::Erase(std::wstring_view lowerCaption) {
  const auto it = byCaption_.find(lowerCaption);
  if (it == byCaption_.end()) return std::nullopt;
  const std::int32_t status = it->second->Status;
  if (status == kCaptionContains) {
    --phraseCount_;
    phrasesStale_ = true;
  }
  rules_.erase(it->second);
  byCaption_.erase(it);
  return status;
}

bool WindowGroup::AnyPhraseIn(std::wstring_view lowerCaption) {
  if (phraseCount_ == 0) return false;
  if (phrasesStale_) {
    std::vector<std::wstring_view> phrases;
    phrases.reserve(phraseCount_);
    for (const auto& [key, rule] : byCaption_) {
      if (rule->Status == kCaptionContains) phrases.push_back(key);
    }
    phrases_ = PhraseMatcher(phrases);
    phrasesStale_ = false;
  }
  return phrases_.AnyIn(lowerCaption);
}

}  // namespace qx

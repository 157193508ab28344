#include "rules/WindowGroup.h"

#include <vector>

#include "base/Text.h"

namespace qx {

namespace {

auto SameCaption(std::wstring_view lowerCaption) {
  return [lowerCaption](std::list<Window>::iterator rule) {
    return EqualsNoCase(rule->Caption, lowerCaption);
  };
}

}  // namespace

const Window* WindowGroup::Find(std::wstring_view lowerCaption, std::uint64_t hash) const {
  const auto* rule = byCaption_.Find(hash, SameCaption(lowerCaption));
  return rule ? &**rule : nullptr;
}

std::optional<std::int32_t> WindowGroup::Insert(std::wstring_view lowerCaption, Window rule) {
  const std::optional<std::int32_t> replaced = Erase(lowerCaption);
  if (rule.Status == kCaptionContains) {
    ++phraseCount_;
    phrasesStale_ = true;
  }
  rules_.push_back(std::move(rule));
  byCaption_.Insert(TextHash(lowerCaption), std::prev(rules_.end()));
  return replaced;
}

std::optional<std::int32_t> WindowGroup::Erase(std::wstring_view lowerCaption) {
  std::optional<std::int32_t> status;
  std::list<Window>::iterator removed;
  byCaption_.Erase(TextHash(lowerCaption), [&](std::list<Window>::iterator rule) {
    if (!EqualsNoCase(rule->Caption, lowerCaption)) return false;
    removed = rule;
    status = rule->Status;
    return true;
  });
  if (!status) return std::nullopt;
  if (*status == kCaptionContains) {
    --phraseCount_;
    phrasesStale_ = true;
  }
  rules_.erase(removed);
  return status;
}

bool WindowGroup::AnyPhraseIn(std::wstring_view lowerCaption) {
  if (phraseCount_ == 0) return false;
  if (phrasesStale_) {
    std::vector<std::wstring> lowered;
    lowered.reserve(phraseCount_);
    for (const Window& rule : rules_) {
      if (rule.Status == kCaptionContains) lowered.push_back(LowerCase(rule.Caption));
    }
    phrases_ = PhraseMatcher(std::vector<std::wstring_view>(lowered.begin(), lowered.end()));
    phrasesStale_ = false;
  }
  return phrases_.AnyIn(lowerCaption);
}

}  // namespace qx

#include "rules/Windows.h"

#include "base/ByteCodec.h"
#include "base/Text.h"
#include "platform/PlatformError.h"
#include "rules/PendingRules.h"
#include "rules/TextHash.h"

namespace qx {

Windows::Windows(FileSystem& files, const AnsiCodec& ansi, HookControl& hooks)
    : files_(files), ansi_(ansi), hooks_(hooks) {
  Load();
}

std::wstring Windows::ProgramKey(std::wstring_view program) {
  if (program.empty()) return std::wstring(kAllPrograms);
  return LowerCase(program);
}

std::wstring Windows::CaptionKey(std::wstring_view trimmedCaption) {
  return LowerCase(trimmedCaption);
}

namespace {

auto SameProgram(std::wstring_view programKey) {
  return [programKey](std::list<WindowGroup>::iterator g) { return g->Program() == programKey; };
}

}  // namespace

WindowGroup* Windows::GroupOf(std::wstring_view programKey) {
  const auto* found = groupByProgram_.Find(TextHash(programKey), SameProgram(programKey));
  return found ? &**found : nullptr;
}

const Window* Windows::Insert(std::wstring program, std::wstring caption, std::int32_t status) {
  WindowGroup* group = GroupOf(program);
  if (!group) {
    groups_.emplace_back(program);
    const auto added = std::prev(groups_.end());
    groupByProgram_.Insert(TextHash(added->Program()), added);
    group = &*added;
  }
  const std::wstring key = CaptionKey(caption);
  const auto replaced = group->Insert(key, Window(std::move(caption), std::move(program), status));
  if (replaced == kCaptionContains) --containsRuleCount_;
  if (status == kCaptionContains) ++containsRuleCount_;
  return &group->rules_.back();
}

const Window* Windows::Add(std::wstring_view program, std::wstring_view caption,
                           std::int32_t status) {
  std::wstring trimmed = Trim(caption);
  // An empty phrase occurs in every caption: such a rule would close every
  // window of the program, and it could not be loaded again anyway.
  if (trimmed.empty()) return nullptr;
  const Window* rule = Insert(ProgramKey(program), std::move(trimmed), status);
  if (refreshHook_) Step([&] { refreshHook_(); });
  if (Count() >= 1) Step([&] { hooks_.InstallMsgHook(); });
  return rule;
}

bool Windows::Remove(std::wstring_view program, std::wstring_view caption) {
  const std::wstring key = ProgramKey(program);
  const auto* found = groupByProgram_.Find(TextHash(key), SameProgram(key));
  if (!found) return false;
  const auto group = *found;
  const auto removed = group->Erase(CaptionKey(Trim(caption)));
  if (!removed) return false;
  if (*removed == kCaptionContains) --containsRuleCount_;
  if (group->Count() == 0) {
    groupByProgram_.Erase(TextHash(key), SameProgram(key));
    groups_.erase(group);
  }
  if (Count() == 0) Step([&] { hooks_.RemoveMsgHook(); });
  return true;
}

bool Windows::KillIn(std::wstring_view programKey, std::wstring_view lowerCaption,
                     std::uint64_t captionHash) {
  WindowGroup* group = GroupOf(programKey);
  if (!group) return false;
  // A rule whose text is the whole caption decides at once, whatever its
  // kind; otherwise only a phrase can still match.
  if (const Window* rule = group->Find(lowerCaption, captionHash);
      rule && (rule->Status == kCaptionContains || rule->Status == kCaptionEquals)) {
    return true;
  }
  if (containsRuleCount_ == 0) return false;
  return group->AnyPhraseIn(lowerCaption);
}

bool Windows::Kill(std::wstring_view program, std::wstring_view caption) {
  const std::wstring lowerCaption = CaptionKey(Trim(caption));
  const std::wstring key = LowerCase(program);
  const std::uint64_t hash = TextHash(lowerCaption);
  if (KillIn(key, lowerCaption, hash)) return true;
  return key != kAllPrograms && KillIn(kAllPrograms, lowerCaption, hash);
}

const Window* Windows::KillingRuleIn(std::wstring_view programKey,
                                     std::wstring_view lowerCaption) const {
  const auto* found = groupByProgram_.Find(TextHash(programKey), SameProgram(programKey));
  if (!found) return nullptr;
  const WindowGroup& group = **found;
  if (const Window* rule = group.Find(lowerCaption, TextHash(lowerCaption));
      rule && (rule->Status == kCaptionContains || rule->Status == kCaptionEquals)) {
    return rule;
  }
  for (const Window& rule : group) {
    if (rule.Status == kCaptionContains &&
        lowerCaption.find(LowerCase(rule.Caption)) != std::wstring_view::npos) {
      return &rule;
    }
  }
  return nullptr;
}

const Window* Windows::KillingRule(std::wstring_view program, std::wstring_view caption) const {
  const std::wstring lowerCaption = CaptionKey(Trim(caption));
  const std::wstring key = LowerCase(program);
  if (const Window* rule = KillingRuleIn(key, lowerCaption)) return rule;
  return key != kAllPrograms ? KillingRuleIn(kAllPrograms, lowerCaption) : nullptr;
}

const WindowGroup* Windows::FindGroup(std::wstring_view program) const {
  const std::wstring key = ProgramKey(program);
  const auto* found = groupByProgram_.Find(TextHash(key), SameProgram(key));
  return found ? &**found : nullptr;
}

const Window* Windows::FindRule(const WindowGroup& group, std::wstring_view caption) const {
  const std::wstring key = CaptionKey(Trim(caption));
  return group.Find(key, TextHash(key));
}

void Windows::Load() {
  const std::wstring path = JoinPath(files_.DataFolder(), kWindowsFile);
  std::string bytes;
  bool exists = false;
  if (!Step([&] {
        exists = files_.Exists(path);
        if (exists) bytes = files_.ReadAll(path);
      })) {
    ruleFileUnreadable_ = true;
  } else {
    // A missing rule file is made at once, empty, not only at the end.
    if (!exists) Step([&] { files_.WriteAll(path, ""); });
    LoadRecords(bytes);
  }
  // Rules of a session whose rule file could not be read: merged now, so
  // that the next save holds them.
  const std::wstring pending = PendingRulesPath(path);
  std::string kept;
  if (Step([&] {
        if (files_.Exists(pending)) {
          kept = files_.ReadAll(pending);
          pendingLoaded_ = true;
        }
      })) {
    LoadRecords(kept);
  } else {
    pendingUnreadable_ = true;
  }
  // Once for the whole file rather than once per rule: nothing else runs
  // while the file loads.
  if (Count() >= 1) Step([&] { hooks_.InstallMsgHook(); });
}

void Windows::LoadRecords(std::string_view bytes) {
  // A length that is negative or runs past the end ends the reading there;
  // a record cut short is dropped whole, since a rule without its program
  // would apply to every program.
  ByteReader reader(ansi_, bytes);
  for (;;) {
    const auto status = reader.GetInt32();
    if (!status) break;
    auto caption = reader.GetText();
    if (!caption) break;
    auto program = reader.GetText();
    if (!program) break;
    std::wstring trimmed = Trim(*caption);
    if (trimmed.empty()) continue;
    Insert(ProgramKey(*program), std::move(trimmed), *status);
  }
}

void Windows::Terminate() {
  // A second call would write the emptied rules over the file.
  if (terminated_) return;
  terminated_ = true;
  ByteWriter writer(ansi_);
  for (const WindowGroup& group : groups_) {
    for (const Window& rule : group) {
      writer.PutInt32(rule.Status);
      writer.PutText(rule.Caption);
      writer.PutText(rule.Program);
    }
  }
  const std::wstring path = JoinPath(files_.DataFolder(), kWindowsFile);
  const std::wstring pending = PendingRulesPath(path);
  if (!ruleFileUnreadable_) {
    if (Step([&] { files_.WriteAll(path, writer.Bytes()); }) && pendingLoaded_) {
      Step([&] { files_.Remove(pending); });
    }
  } else if (!pendingUnreadable_ && (!groups_.empty() || pendingLoaded_)) {
    // Kept beside it instead, unless that file too could not be read.
    keptBeside_ = Step([&] { files_.WriteAll(pending, writer.Bytes()); });
  }
  groupByProgram_.Clear();
  groups_.clear();
  containsRuleCount_ = 0;
}

}  // namespace qx

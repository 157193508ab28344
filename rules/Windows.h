#pragma once
// The window rules: windows of any program whose caption equals a text or
// contains a phrase are closed as they appear. Loaded from "windows.dat"
// when made, written back by Terminate at the end of the program. The hook
// control's message hook stays installed exactly while rules exist.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <string>
#include <string_view>

#include "base/AnsiCodec.h"
#include "platform/FileSystem.h"
#include "platform/HookControl.h"
#include "rules/FlatIndex.h"
#include "rules/Window.h"
#include "rules/WindowGroup.h"

namespace qx {

inline constexpr std::wstring_view kWindowsFile = L"windows.dat";

class Windows {
 public:
  // Loads "windows.dat"; every failure there skips only its own step.
  Windows(FileSystem& files, const AnsiCodec& ansi, HookControl& hooks);
  Windows(const Windows&) = delete;
  Windows& operator=(const Windows&) = delete;

  // Nothing to do: asking for the object made and loaded it.
  void Init() {}

  // Adds or replaces the rule for the trimmed caption within the program's
  // group (program lower-cased; empty means "_general"), then installs the
  // message hook. Answers the stored rule, valid until the next Add or
  // Remove; none for a blank caption, which would match every window.
  const Window* Add(std::wstring_view program, std::wstring_view caption, std::int32_t status);
  // False when there is no such rule. Removing the last rule removes the
  // message hook.
  bool Remove(std::wstring_view program, std::wstring_view caption);
  // Must a window of this program (lower-case path) with this caption be
  // closed? The program's own rules first, then those for all programs.
  bool Kill(std::wstring_view program, std::wstring_view caption);
  // The rule that makes Kill answer true, found the same way; none when
  // no rule matches. Slower than Kill: for telling why, after a kill.
  const Window* KillingRule(std::wstring_view program, std::wstring_view caption) const;

  // The number of program groups: zero exactly when there are no rules.
  std::size_t Count() const { return groups_.size(); }
  // The number of phrase rules in all groups.
  std::int32_t ContainsRuleCount() const { return containsRuleCount_; }
  // The groups in order.
  const std::list<WindowGroup>& GetWindowCollections() const { return groups_; }
  std::list<WindowGroup>::const_iterator begin() const { return groups_.begin(); }
  std::list<WindowGroup>::const_iterator end() const { return groups_.end(); }
  const WindowGroup* FindGroup(std::wstring_view program) const;
  const Window* FindRule(const WindowGroup& group, std::wstring_view caption) const;

  // Called after every Add; the options dialog sets it while it is open so
  // that its window-rule list shows the new rule.
  void SetRefreshHook(std::function<void()> hook) { refreshHook_ = std::move(hook); }

  // The end of the object's life: writes "windows.dat" and drops all rules.
  // Failures are passed over. When "windows.dat" could not be read, the
  // rules go to "windows.pending.dat" instead (see PendingRules.h).
  void Terminate();
  // Terminate kept the rules beside the unreadable rule file.
  bool KeptBeside() const { return keptBeside_; }

 private:
  static std::wstring ProgramKey(std::wstring_view program);
  static std::wstring CaptionKey(std::wstring_view trimmedCaption);
  const Window* Insert(std::wstring program, std::wstring caption, std::int32_t status);
  WindowGroup* GroupOf(std::wstring_view programKey);
  const Window* KillingRuleIn(std::wstring_view programKey, std::wstring_view lowerCaption) const;
  bool KillIn(std::wstring_view programKey, std::wstring_view lowerCaption,
              std::uint64_t captionHash);
  void Load();
  void LoadRecords(std::string_view bytes);

  FileSystem& files_;
  const AnsiCodec& ansi_;
  HookControl& hooks_;
  std::function<void()> refreshHook_;

  std::list<WindowGroup> groups_;
  FlatIndex<std::list<WindowGroup>::iterator> groupByProgram_;
  std::int32_t containsRuleCount_ = 0;
  // "windows.dat" is there but could not be read: writing over it at the
  // end would lose every rule it holds.
  bool ruleFileUnreadable_ = false;
  // "windows.pending.dat" was read (it goes once the rules are saved), or
  // is there but could not be read (it is never written over).
  bool pendingLoaded_ = false;
  bool pendingUnreadable_ = false;
  bool keptBeside_ = false;
  bool terminated_ = false;
};

}  // namespace qx

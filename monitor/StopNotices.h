#pragma once
// What the notice over the tray icon and the recently-blocked menu say of a
// stopped window, and what they offer to undo it. Kills from one source
// within a few seconds make one notice with a count.

#include <cstddef>
#include <deque>
#include <optional>
#include <string>

#include "logging/StopReport.h"

namespace qx {

// Kills from the same source closer together than this share a notice.
inline constexpr double kNoticeCoalesceSeconds = 10.0;
// The recently-blocked menu holds this many.
inline constexpr std::size_t kRecentStops = 10;

struct Notice {
  std::wstring title;
  std::wstring text;
  // The latest stop the notice is about: what its menu acts on.
  StopReport report;
  int count = 1;
};

// The site (a browser's page host) or program (its file name) a stop came
// from; empty when it is not known.
std::wstring SourceName(const StopReport& report);
// What the menus call the stop: its site, or the window's caption.
std::wstring StopLabel(const StopReport& report);
std::wstring NoticeTitle(const StopReport& report);
std::wstring NoticeText(const StopReport& report, int count);

// What can be undone: reopening the page, allowing its site's pop-ups, or
// killing it always.
bool CanOpen(const StopReport& report);
bool CanAllow(const StopReport& report);
bool CanAlwaysKill(const StopReport& report);

// The notices, one per source while kills keep coming.
class NoticeBoard {
 public:
  // The notice to show for this stop, at this time (seconds).
  const Notice& Add(const StopReport& report, double now);
  // The last notice shown; none before the first.
  const std::optional<Notice>& Last() const { return last_; }

 private:
  std::optional<Notice> last_;
  std::wstring lastKey_;
  double lastTime_ = 0;
};

// The session's last stops, newest first.
class RecentStops {
 public:
  void Add(const StopReport& report);
  const std::deque<StopReport>& Items() const { return items_; }

 private:
  std::deque<StopReport> items_;
};

}  // namespace qx

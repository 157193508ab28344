#include "monitor/StopNotices.h"

#include "base/Text.h"
#include "browser/UrlCompare.h"

namespace qx {
namespace {

bool IsBrowserKind(const StopReport& report) {
  return report.kind != StopKind::WindowRule && (report.kind != StopKind::HotKey || report.browser);
}

std::wstring FileNameOf(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool KnownAddress(const std::wstring& target) {
  return !target.empty() && target != L"unknown";
}

// An address as the user reads it: without its scheme.
std::wstring Shown(const std::wstring& url) {
  for (const wchar_t* scheme : {L"http://", L"https://"}) {
    if (StartsWithNoCase(url, scheme)) return url.substr(std::wstring_view(scheme).size());
  }
  return url;
}

std::wstring Quoted(const std::wstring& text) {
  return L"\"" + text + L"\"";
}

// What happened, in one sentence without its reason.
std::wstring WhatHappened(const StopReport& report, const std::wstring& name) {
  const std::wstring who = name.empty() ? std::wstring(L"A page") : name;
  switch (report.kind) {
    case StopKind::Popup:
      return who + L" tried to open " +
             (KnownAddress(report.target) ? Shown(report.target) : L"a new window");
    case StopKind::WebDialog:
      return who + L" tried to open the web page dialog " + Quoted(report.detail);
    case StopKind::AlwaysKillPage:
      return Shown(report.target) + L" was closed";
    case StopKind::WindowRule:
      return Quoted(report.target) + (name.empty() ? L"" : L" of " + name) + L" was closed";
    case StopKind::HotKey:
      return (report.browser ? Shown(report.target) : Quoted(report.target)) + L" was closed";
  }
  return L"";
}

// What a click on the notice offers.
std::wstring ClickHint(const StopReport& report, const std::wstring& name) {
  switch (report.kind) {
    case StopKind::Popup:
    case StopKind::WebDialog:
      return name.empty() ? L"" : L" Click here to allow pop-ups from " + name + L".";
    case StopKind::AlwaysKillPage:
      return L" Click here to change the website rules.";
    case StopKind::WindowRule:
      return L" Click here to change the window rules.";
    case StopKind::HotKey:
      return L"";
  }
  return L"";
}

}  // namespace

std::wstring SourceName(const StopReport& report) {
  if (!IsBrowserKind(report)) return FileNameOf(report.source);
  // A page killed by its own address has no opener: it names itself.
  const bool opened = report.kind == StopKind::Popup || report.kind == StopKind::WebDialog;
  const std::wstring& page = report.source.empty() && !opened ? report.target : report.source;
  if (!KnownAddress(page)) return L"";
  return browser_url::HostOf(page);
}

std::wstring StopLabel(const StopReport& report) {
  if (report.kind == StopKind::WindowRule || (report.kind == StopKind::HotKey && !report.browser)) {
    return report.target.empty() ? SourceName(report) : report.target;
  }
  const std::wstring name = SourceName(report);
  return name.empty() ? std::wstring(L"(unknown page)") : name;
}

std::wstring NoticeTitle(const StopReport& report) {
  return report.kind == StopKind::WindowRule || report.kind == StopKind::HotKey ? L"Window closed"
                                                                                : L"Pop-up blocked";
}

std::wstring NoticeText(const StopReport& report, int count) {
  const std::wstring name = SourceName(report);
  if (count > 1) {
    const std::wstring number = std::to_wstring(count);
    const std::wstring what = IsBrowserKind(report) ? number + L" pop-ups blocked on " + name
                                                    : number + L" windows of " + name + L" closed";
    return what + L"." + ClickHint(report, name);
  }
  return WhatHappened(report, name) + L" \u2014 " + report.reason + L"." + ClickHint(report, name);
}

bool CanOpen(const StopReport& report) {
  return IsBrowserKind(report) && report.kind != StopKind::WebDialog && KnownAddress(report.target);
}

bool CanAllow(const StopReport& report) {
  return (report.kind == StopKind::Popup || report.kind == StopKind::WebDialog) &&
         !SourceName(report).empty() && !report.source.empty();
}

bool CanAlwaysKill(const StopReport& report) {
  switch (report.kind) {
    case StopKind::Popup:
      return KnownAddress(report.target);
    case StopKind::HotKey:
      // A ban has made its rule already.
      return report.detail.empty() && !report.target.empty();
    default:
      return false;
  }
}

const Notice& NoticeBoard::Add(const StopReport& report, double now) {
  const std::wstring name = SourceName(report);
  const std::wstring key = (IsBrowserKind(report) ? L"page:" : L"program:") + LowerCase(name);
  const bool same = last_ && key == lastKey_ && now >= lastTime_ &&
                    now - lastTime_ < kNoticeCoalesceSeconds && !name.empty();
  const int count = same ? last_->count + 1 : 1;
  last_ = Notice{NoticeTitle(report), NoticeText(report, count), report, count};
  lastKey_ = key;
  lastTime_ = now;
  return *last_;
}

void RecentStops::Add(const StopReport& report) {
  items_.push_front(report);
  if (items_.size() > kRecentStops) items_.pop_back();
}

}  // namespace qx

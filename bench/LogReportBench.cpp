// "View Previous Logs..." renders the whole history at once; a user who
// never deletes it can reach tens of megabytes.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "base/ByteCodec.h"
#include "base/Text.h"
#include "logging/LogEntry.h"
#include "logging/LogFileWriter.h"
#include "logging/LogReport.h"
#include "sim/SimDesktop.h"

namespace {

constexpr std::size_t kHistoryBytes = 20 * 1000 * 1000;

// Sessions of 250 pop-ups of every kind, a quarter of them with empty
// targets when asked, up to the size asked for.
std::string History(std::size_t bytes, const qx::AnsiCodec& ansi, bool emptyTargets) {
  std::string data;
  int n = 0;
  while (data.size() < bytes) {
    std::vector<qx::LogEntry> session;
    for (int i = 0; i < 250; ++i, ++n) {
      const std::wstring id = qx::NumberText(n);
      qx::LogEntry e;
      e.LogDate = L"6/" + qx::NumberText(1 + n / 5000 % 28) + L"/2004";
      e.LogTime = qx::NumberText(1 + n % 12) + L":" + qx::NumberText(10 + n % 50) + L":00 PM";
      switch (n % 4) {
        case 0:
          e.Source = L"http://news.example.com/articles/" + id + L".html?ref=front&page=2";
          e.Target = L"http://ads.example.net/serve?campaign=" + id + L"&size=300x250";
          break;
        case 1:
          e.Source = L"http://shop.example.org/cart";
          e.Target = L"Special offer " + id + L" (Web page dialog)";
          break;
        case 2:
          e.Source = L"c:\\program files\\chat\\chat.exe";
          e.Target = L"You have a new <message> from \"friend\" " + id;
          e.PopupType = qx::kOtherPopup;
          break;
        default:
          e.Source = L"http://forum.example.com/thread/" + id;
          // A pop-up whose address the browser never gave.
          if (!emptyTargets) e.Target = L"http://popup.example.com/" + id;
          break;
      }
      session.push_back(std::move(e));
    }
    data += qx::EncodeSession(session, ansi);
  }
  return data;
}

// Argument 0: a sound history; 1: a quarter of the entries have empty
// targets; 2: as 1 with the last append torn, so the damaged file's slower
// search runs.
void BM_ShowPastLogs(benchmark::State& state) {
  qx::sim::SimDesktop desktop;
  const qx::AnsiCodec& ansi = desktop.platform().ansi;
  std::string history = History(kHistoryBytes, ansi, state.range(0) != 0);
  if (state.range(0) == 2) history.resize(history.size() - 7);
  desktop.files().WriteAll(desktop.files().ProgramFile(L"log.dat"), history);
  for (auto _ : state) {
    benchmark::DoNotOptimize(qx::ShowPastLogs(desktop.files(), ansi));
  }
  state.counters["page_bytes"] =
      static_cast<double>(desktop.files().Size(desktop.files().ProgramFile(L"log.htm")));
}
BENCHMARK(BM_ShowPastLogs)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The plain way for comparison: read back from the end taking every 0 for a
// session mark, build the page as one wide string, no escaping.
std::wstring Cell(bool link, const std::wstring& text) {
  return link ? L"<A HREF=\"" + text + L"\">" + text + L"</A>" : text;
}

void PlainSession(std::wstring& page, const std::vector<qx::LogEntry>& list) {
  if (list.empty()) return;
  page += L"<p>Log for " + list.front().LogTime + L", " + list.front().LogDate + L" to " +
          list.back().LogTime + L", " + list.back().LogDate + L".&nbsp; " +
          qx::NumberText(static_cast<std::int64_t>(list.size())) +
          L" pop-up windows were blocked:</p>\r\n";
  page +=
      L"<table border=1 width=100% cellpadding=2 cellspacing=0 bordercolor=#000000 "
      L"bordercolorlight=#000000 bordercolordark=#FFFFCC>\r\n<tr>\r\n<th width=33%>Time and "
      L"Type</th>\r\n<th width=33%>Pop-up Window's URL (browser pop-ups);<br>Pop-up Window's Title "
      L"(other pop-ups)</th>\r\n<th width=34%>Page that Generated Pop-up Window (browser "
      L"pop-ups);<br>Program that Generated Pop-up Window (other pop-ups)</th>\r\n</tr>\r\n";
  for (const qx::LogEntry& e : list) {
    page += L"<tr>\r\n";
    if (e.PopupType == 1) {
      const bool dialog =
          e.Target.size() >= 17 &&
          qx::LowerCase(e.Target.substr(e.Target.size() - 17)) == L"(web page dialog)";
      page += L"<td width=33%>" + e.LogTime + L", " + e.LogDate + L"<br>Browser Pop-up</td>\r\n";
      page += L"<td width=33%>" + Cell(!dialog, e.Target) + L"</td>\r\n";
      page += L"<td width=34%>" + Cell(true, e.Source) + L"</td>\r\n";
    } else if (e.PopupType == 2) {
      page += L"<td width=33%>" + e.LogTime + L", " + e.LogDate +
              L"<br>Other (non-browser) Pop-up</td>\r\n";
      page += L"<td width=33%>" + e.Target + L"</td>\r\n";
      page += L"<td width=34%>" + e.Source + L"</td>\r\n";
    }
    page += L"</tr>\r\n";
  }
  page += L"</table>\r\n";
}

std::wstring PlainShowPastLogs(qx::FileSystem& files, const qx::AnsiCodec& ansi) {
  const std::wstring pagePath = qx::JoinPath(files.ProgramFolder(), L"log.htm");
  std::wstring page =
      L"<html>\r\n<head>\r\n<meta http-equiv=\"Content-Type\"content=\"text/html; "
      L"charset=windows-1252\">\r\n<title>Blocked Pop-up Window Log</title>\r\n</head>\r\n<body "
      L"bgcolor=\"#FFFFCC\">\r\n<h2>Past Logs</h2>\r\n";
  const std::string data = files.ReadAll(qx::JoinPath(files.ProgramFolder(), L"log.dat"));
  std::vector<qx::LogEntry> list;
  std::size_t pos = data.size();
  const auto text = [&](std::wstring& out) {
    pos -= 4;
    const auto n = static_cast<std::size_t>(qx::ReadInt32At(data, pos));
    pos -= n;
    out = ansi.Decode(std::string_view(data).substr(pos, n));
  };
  while (pos >= 4) {
    if (qx::ReadInt32At(data, pos - 4) == 0) {
      pos -= 4;
      PlainSession(page, list);
      list.clear();
      continue;
    }
    qx::LogEntry e;
    text(e.Target);
    text(e.Source);
    text(e.LogTime);
    text(e.LogDate);
    pos -= 4;
    e.PopupType = qx::ReadInt32At(data, pos);
    list.push_back(std::move(e));
  }
  page += L"</body></html>\r\n";
  files.WriteAll(pagePath, ansi.Encode(page));
  return pagePath;
}

// The plain reader misreads empty targets (and trusts every length), so it
// gets a history without them.
void BM_ShowPastLogsPlain(benchmark::State& state) {
  qx::sim::SimDesktop desktop;
  const qx::AnsiCodec& ansi = desktop.platform().ansi;
  desktop.files().WriteAll(desktop.files().ProgramFile(L"log.dat"),
                           History(kHistoryBytes, ansi, false));
  for (auto _ : state) {
    benchmark::DoNotOptimize(PlainShowPastLogs(desktop.files(), ansi));
  }
}
BENCHMARK(BM_ShowPastLogsPlain)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

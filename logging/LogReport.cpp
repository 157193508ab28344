#include "logging/LogReport.h"

#include <string_view>

#include "base/Text.h"
#include "logging/LogFileReader.h"
#include "platform/PlatformError.h"

namespace qx {
namespace {

constexpr std::wstring_view kDialogSuffix = L"(web page dialog)";

void WriteLine(std::string& page, std::wstring_view line, const AnsiCodec& ansi) {
  page += ansi.Encode(line);
  page += "\r\n";
}

// Addresses and captions come from web pages and other programs, and the
// page is opened from the local disk: none of them may add markup.
std::wstring Html(std::wstring_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (const wchar_t c : text) {
    switch (c) {
      case L'&':
        out += L"&amp;";
        break;
      case L'<':
        out += L"&lt;";
        break;
      case L'>':
        out += L"&gt;";
        break;
      case L'"':
        out += L"&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::wstring Link(std::wstring_view address) {
  const std::wstring text = Html(address);
  return L"<A HREF=\"" + text + L"\">" + text + L"</A>";
}

bool IsDialogCaption(std::wstring_view target) {
  return target.size() >= kDialogSuffix.size() &&
         LowerCase(target.substr(target.size() - kDialogSuffix.size())) == kDialogSuffix;
}

void WriteRow(std::string& page, const LogEntry& entry, const AnsiCodec& ansi) {
  WriteLine(page, L"<tr>", ansi);
  const std::wstring when = Html(entry.LogTime) + L", " + Html(entry.LogDate);
  if (entry.PopupType == kBrowserPopup) {
    WriteLine(page, L"<td width=33%>" + when + L"<br>Browser Pop-up</td>", ansi);
    if (IsDialogCaption(entry.Target)) {
      WriteLine(page, L"<td width=33%>" + Html(entry.Target) + L"</td>", ansi);
    } else {
      WriteLine(page, L"<td width=33%>" + Link(entry.Target) + L"</td>", ansi);
    }
    WriteLine(page, L"<td width=34%>" + Link(entry.Source) + L"</td>", ansi);
  } else if (entry.PopupType == kOtherPopup) {
    WriteLine(page, L"<td width=33%>" + when + L"<br>Other (non-browser) Pop-up</td>", ansi);
    WriteLine(page, L"<td width=33%>" + Html(entry.Target) + L"</td>", ansi);
    WriteLine(page, L"<td width=34%>" + Html(entry.Source) + L"</td>", ansi);
  }
  WriteLine(page, L"</tr>", ansi);
}

}  // namespace

void WriteSessionTable(std::string& page, std::span<const LogEntry> newestFirst,
                       const AnsiCodec& ansi) {
  if (newestFirst.empty()) return;
  const LogEntry& newest = newestFirst.front();
  const LogEntry& oldest = newestFirst.back();
  WriteLine(page,
            L"<p>Log for " + Html(newest.LogTime) + L", " + Html(newest.LogDate) + L" to " +
                Html(oldest.LogTime) + L", " + Html(oldest.LogDate) + L".&nbsp; " +
                NumberText(static_cast<std::int64_t>(newestFirst.size())) +
                L" pop-up windows were blocked:</p>",
            ansi);
  WriteLine(page,
            L"<table border=1 width=100% cellpadding=2 cellspacing=0 bordercolor=#000000 "
            L"bordercolorlight=#000000 bordercolordark=#FFFFCC>",
            ansi);
  WriteLine(page, L"<tr>", ansi);
  WriteLine(page, L"<th width=33%>Time and Type</th>", ansi);
  WriteLine(page,
            L"<th width=33%>Pop-up Window's URL (browser pop-ups);<br>Pop-up Window's Title "
            L"(other pop-ups)</th>",
            ansi);
  WriteLine(page,
            L"<th width=34%>Page that Generated Pop-up Window (browser pop-ups);<br>Program that "
            L"Generated Pop-up Window (other pop-ups)</th>",
            ansi);
  WriteLine(page, L"</tr>", ansi);
  for (const LogEntry& entry : newestFirst)
    WriteRow(page, entry, ansi);
  WriteLine(page, L"</table>", ansi);
}

std::wstring ShowPastLogs(FileSystem& files, const AnsiCodec& ansi) {
  const std::wstring folder = files.ProgramFolder();
  const std::wstring pagePath = JoinPath(folder, L"log.htm");
  const std::wstring dataPath = JoinPath(folder, L"log.dat");

  std::string page;
  for (const std::wstring_view line :
       {L"<html>", L"<head>",
        L"<meta http-equiv=\"Content-Type\"content=\"text/html; charset=windows-1252\">",
        L"<title>Blocked Pop-up Window Log</title>", L"</head>", L"<body bgcolor=\"#FFFFCC\">",
        L"<h2>Past Logs</h2>"}) {
    WriteLine(page, line, ansi);
  }

  // Appending nothing creates the file when it is missing and leaves it
  // untouched otherwise.
  Step([&] { files.Append(dataPath, ""); });
  std::string data;
  Step([&] { data = files.ReadAll(dataPath); });
  ReadPastSessions(data, ansi, [&](const std::vector<LogEntry>& newestFirst) {
    WriteSessionTable(page, newestFirst, ansi);
  });

  WriteLine(page, L"</body></html>", ansi);
  Step([&] { files.WriteAll(pagePath, page); });
  return pagePath;
}

}  // namespace qx

#include "logging/LogReport.h"

#include <string>
#include <string_view>

#include "base/Text.h"
#include "logging/LogFileReader.h"
#include "platform/PlatformError.h"

namespace qx {
namespace {

constexpr std::wstring_view kDialogSuffix = L"(web page dialog)";

// The page is written straight as ANSI bytes: the markup is ASCII, and only
// the texts of entries need converting. A 20 MB history makes a page of
// some 50 MB, most of it markup, so building it as wide text first and
// converting it all was wasted work.
class PageWriter {
 public:
  PageWriter(std::string& page, const AnsiCodec& ansi) : page_(page), ansi_(ansi) {}

  void Markup(std::string_view ascii) { page_ += ascii; }
  void Line(std::string_view ascii) {
    page_ += ascii;
    page_ += "\r\n";
  }

  // Addresses and captions come from web pages and other programs, and the
  // page is opened from the local disk: none of them may add markup. The
  // four characters are ASCII, which no ANSI code page uses inside another
  // character, so the encoded bytes can be escaped.
  void Text(std::wstring_view text) { Escaped(ansi_.Encode(text)); }

  void Link(std::wstring_view address) {
    const std::string bytes = ansi_.Encode(address);
    page_ += "<A HREF=\"";
    Escaped(bytes);
    page_ += "\">";
    Escaped(bytes);
    page_ += "</A>";
  }

  void When(const LogEntry& entry) {
    Text(entry.LogTime);
    page_ += ", ";
    Text(entry.LogDate);
  }

 private:
  void Escaped(std::string_view bytes) {
    while (!bytes.empty()) {
      const auto special = bytes.find_first_of("&<>\"");
      page_ += bytes.substr(0, special);
      if (special == std::string_view::npos) return;
      switch (bytes[special]) {
        case '&':
          page_ += "&amp;";
          break;
        case '<':
          page_ += "&lt;";
          break;
        case '>':
          page_ += "&gt;";
          break;
        default:
          page_ += "&quot;";
      }
      bytes.remove_prefix(special + 1);
    }
  }

  std::string& page_;
  const AnsiCodec& ansi_;
};

// "log.htm" written in pieces: a 20 MB history makes a page of some 50 MB,
// which need never be in memory at once. A page that fits one piece is
// replaced at once; a longer one is started afresh and appended to, and
// once a piece fails nothing more is written, so the page never has a gap.
class PageFile {
 public:
  static constexpr std::size_t kPieceBytes = 1 << 20;

  PageFile(FileSystem& files, std::wstring path) : files_(files), path_(std::move(path)) {
    buffer_.reserve(kPieceBytes + kPieceBytes / 4);
  }

  const std::wstring& Path() const { return path_; }
  std::string& Buffer() { return buffer_; }

  void FlushWhenFull() {
    if (buffer_.size() >= kPieceBytes) Flush();
  }

  void Flush() {
    if (writable_) {
      writable_ = Step([&] {
        if (started_) {
          files_.Append(path_, buffer_);
        } else {
          files_.WriteAll(path_, buffer_);
        }
      });
    }
    started_ = true;
    buffer_.clear();
  }

 private:
  FileSystem& files_;
  std::wstring path_;
  std::string buffer_;
  bool started_ = false;
  bool writable_ = true;
};

bool IsDialogCaption(std::wstring_view target) {
  return target.size() >= kDialogSuffix.size() &&
         LowerCase(target.substr(target.size() - kDialogSuffix.size())) == kDialogSuffix;
}

void WriteRow(PageWriter& out, const LogEntry& entry) {
  out.Line("<tr>");
  if (entry.PopupType == kBrowserPopup) {
    out.Markup("<td width=33%>");
    out.When(entry);
    out.Line("<br>Browser Pop-up</td>");
    out.Markup("<td width=33%>");
    if (IsDialogCaption(entry.Target)) {
      out.Text(entry.Target);
    } else {
      out.Link(entry.Target);
    }
    out.Line("</td>");
    out.Markup("<td width=34%>");
    out.Link(entry.Source);
    out.Line("</td>");
  } else if (entry.PopupType == kOtherPopup) {
    out.Markup("<td width=33%>");
    out.When(entry);
    out.Line("<br>Other (non-browser) Pop-up</td>");
    out.Markup("<td width=33%>");
    out.Text(entry.Target);
    out.Line("</td>");
    out.Markup("<td width=34%>");
    out.Text(entry.Source);
    out.Line("</td>");
  }
  out.Line("</tr>");
}

}  // namespace

void WriteSessionTable(std::string& page, std::span<const LogEntry> newestFirst,
                       const AnsiCodec& ansi) {
  if (newestFirst.empty()) return;
  PageWriter out(page, ansi);
  out.Markup("<p>Log for ");
  out.When(newestFirst.front());
  out.Markup(" to ");
  out.When(newestFirst.back());
  out.Markup(".&nbsp; ");
  out.Markup(std::to_string(newestFirst.size()));
  out.Line(" pop-up windows were blocked:</p>");
  out.Line(
      "<table border=1 width=100% cellpadding=2 cellspacing=0 bordercolor=#000000 "
      "bordercolorlight=#000000 bordercolordark=#FFFFCC>");
  out.Line("<tr>");
  out.Line("<th width=33%>Time and Type</th>");
  out.Line(
      "<th width=33%>Pop-up Window's URL (browser pop-ups);<br>Pop-up Window's Title "
      "(other pop-ups)</th>");
  out.Line(
      "<th width=34%>Page that Generated Pop-up Window (browser pop-ups);<br>Program that "
      "Generated Pop-up Window (other pop-ups)</th>");
  out.Line("</tr>");
  for (const LogEntry& entry : newestFirst)
    WriteRow(out, entry);
  out.Line("</table>");
}

std::wstring ShowPastLogs(FileSystem& files, const AnsiCodec& ansi) {
  const std::wstring folder = files.DataFolder();
  const std::wstring dataPath = JoinPath(folder, L"log.dat");

  // Appending nothing creates the file when it is missing and leaves it
  // untouched otherwise.
  Step([&] { files.Append(dataPath, ""); });
  std::string data;
  Step([&] { data = files.ReadAll(dataPath); });

  PageFile page(files, JoinPath(folder, L"log.htm"));
  PageWriter out(page.Buffer(), ansi);
  for (const std::string_view line :
       {"<html>", "<head>",
        "<meta http-equiv=\"Content-Type\"content=\"text/html; charset=windows-1252\">",
        "<title>Blocked Pop-up Window Log</title>", "</head>", "<body bgcolor=\"#FFFFCC\">",
        "<h2>Past Logs</h2>"}) {
    out.Line(line);
  }
  ReadPastSessions(data, ansi, [&](const std::vector<LogEntry>& newestFirst) {
    WriteSessionTable(page.Buffer(), newestFirst, ansi);
    page.FlushWhenFull();
  });
  out.Line("</body></html>");
  page.Flush();
  return page.Path();
}

}  // namespace qx

// The expectations of the scenario language.

#include <regex>

#include "sim/ScenarioWorld.h"
#include "sim/SimRegistry.h"

namespace qx::sim {
namespace {

std::string Q(const std::wstring& text) {
  return "\"" + ToUtf8(text) + "\"";
}
std::string N(long long n) {
  return std::to_string(n);
}
std::string YesNo(bool b) {
  return b ? "yes" : "no";
}

bool RegexWhole(const std::wstring& pattern, const std::wstring& text) {
  try {
    return std::regex_match(ToUtf8(text), std::regex(ToUtf8(pattern), std::regex::ECMAScript));
  } catch (const std::regex_error&) {
    ScenarioArgs::Fail("bad regular expression " + Q(pattern));
  }
}

// A "*" at the start or the end of the pattern matches any text there.
bool StarMatch(std::wstring_view pattern, std::wstring_view text) {
  const bool head = pattern.starts_with(L'*');
  if (head) pattern.remove_prefix(1);
  const bool tail = pattern.ends_with(L'*');
  if (tail) pattern.remove_suffix(1);
  if (head && tail) return text.find(pattern) != std::wstring_view::npos;
  if (head) return text.ends_with(pattern);
  if (tail) return text.starts_with(pattern);
  return text == pattern;
}

}  // namespace

const std::map<std::wstring, ScenarioWorld::Handler>& ScenarioWorld::Expectations() {
  static const std::map<std::wstring, Handler> kExpectations = {
      {L"running", &ScenarioWorld::ExpectRunning},
      {L"window", &ScenarioWorld::ExpectWindow},
      {L"url", &ScenarioWorld::ExpectUrl},
      {L"navigated", &ScenarioWorld::ExpectNavigated},
      {L"browsers", &ScenarioWorld::ExpectBrowsers},
      {L"log", &ScenarioWorld::ExpectLog},
      {L"entry", &ScenarioWorld::ExpectEntry},
      {L"total", &ScenarioWorld::ExpectTotal},
      {L"allow", &ScenarioWorld::ExpectAllowKill},
      {L"kill", &ScenarioWorld::ExpectAllowKill},
      {L"rule", &ScenarioWorld::ExpectRule},
      {L"norule", &ScenarioWorld::ExpectRule},
      {L"tray", &ScenarioWorld::ExpectTray},
      {L"tip", &ScenarioWorld::ExpectTip},
      {L"sound", &ScenarioWorld::ExpectSound},
      {L"message", &ScenarioWorld::ExpectMessage},
      {L"store", &ScenarioWorld::ExpectStore},
      {L"registry", &ScenarioWorld::ExpectRegistry},
      {L"file", &ScenarioWorld::ExpectFile},
      {L"userfile", &ScenarioWorld::ExpectFile},
      {L"chrome", &ScenarioWorld::ExpectChrome},
      {L"place", &ScenarioWorld::ExpectPlace},
      {L"ui", &ScenarioWorld::ExpectUi},
      {L"processes", &ScenarioWorld::ExpectProcesses},
      {L"dialog", &ScenarioWorld::ExpectDialog},
      {L"help", &ScenarioWorld::ExpectHelp},
      {L"opened", &ScenarioWorld::ExpectOpened},
      {L"asked", &ScenarioWorld::ExpectAsked},
      {L"menu", &ScenarioWorld::ExpectMenu},
      {L"why", &ScenarioWorld::ExpectWhy},
      {L"notice", &ScenarioWorld::ExpectNotice},
  };
  return kExpectations;
}

void ScenarioWorld::Expect(ScenarioArgs& a, bool dry) {
  const ScenarioWord& what = a.Word("what to expect");
  const auto it = Expectations().find(what.text);
  if (what.quoted || it == Expectations().end()) {
    ScenarioArgs::Fail("unknown expectation \"" + ToUtf8(what.text) + "\"");
  }
  expectingKill_ = what.text == L"kill";
  expectingNoRule_ = what.text == L"norule";
  expectingUserFile_ = what.text == L"userfile";
  (this->*(it->second))(a, dry);
}

template <class F>
void ScenarioWorld::WithProcess(F&& f) {
  if (SimProgram* program = Running(); program != nullptr && program->process() != nullptr) {
    f(*program->process());
    return;
  }
  // No program runs: what its files and settings say, without writing back.
  Process reader(desktop_.platform());
  f(reader);
  reader.Abandon();
}

void ScenarioWorld::ExpectRunning(ScenarioArgs& a, bool dry) {
  const bool want = a.YesNo();
  a.End();
  if (dry) return;
  const bool running = Running() != nullptr;
  Check(running == want, "running " + YesNo(want), "running " + YesNo(running));
}

void ScenarioWorld::ExpectWindow(ScenarioArgs& a, bool dry) {
  const std::wstring id = a.Id();
  const int want = a.Choice("open, closed or none", {L"open", L"closed", L"none"});
  a.End();
  if (dry) return;
  static const char* kStates[] = {"open", "closed", "none"};
  int state = 2;
  const auto it = named_.find(id);
  if (it != named_.end()) {
    const bool open = it->second.browser ? it->second.browser->IsOpen()
                                         : desktop_.windows().IsOpen(it->second.window);
    state = open ? 0 : 1;
  }
  Check(state == want, ToUtf8(id) + " " + kStates[want], ToUtf8(id) + " " + kStates[state]);
}

void ScenarioWorld::ExpectUrl(ScenarioArgs& a, bool dry) {
  const std::wstring id = a.Id();
  const std::wstring url = a.Text("URL");
  a.End();
  if (dry) return;
  const std::wstring got = BrowserOf(id)->Location();
  Check(got == url, Q(url), Q(got));
}

void ScenarioWorld::ExpectNavigated(ScenarioArgs& a, bool dry) {
  const std::wstring id = a.Id();
  const std::wstring url = a.Text("URL");
  a.End();
  if (dry) return;
  const std::wstring got = BrowserOf(id)->LastNavigated();
  Check(got == url, Q(url), Q(got));
}

void ScenarioWorld::ExpectBrowsers(ScenarioArgs& a, bool dry) {
  const long long want = a.Number("N");
  a.End();
  if (dry) return;
  const auto open = static_cast<long long>(desktop_.browsers().OpenWindows().size());
  Check(open == want, N(want) + " browsers", N(open) + " browsers");
}

void ScenarioWorld::ExpectLog(ScenarioArgs& a, bool dry) {
  const long long want = a.Number("N");
  a.End();
  if (dry) return;
  long long got = 0;
  if (SimProgram* p = Running(); p && p->process()) {
    got = static_cast<long long>(p->process()->popupLog().GetLogItems().size());
  }
  Check(got == want, N(want) + " log entries", N(got) + " log entries");
}

void ScenarioWorld::ExpectEntry(ScenarioArgs& a, bool dry) {
  const long long index = a.Number("I");
  const std::wstring source = a.Text("SOURCE");
  const std::wstring target = a.Text("TARGET");
  const long long type = a.Number("TYPE");
  a.End();
  if (dry) return;
  const std::string want = Q(source) + " " + Q(target) + " " + N(type);
  SimProgram* p = Running();
  if (!p || !p->process()) return Check(false, "entry " + N(index) + " " + want, "no program");
  const auto& items = p->process()->popupLog().GetLogItems();
  if (index < 1 || static_cast<std::size_t>(index) > items.size()) {
    return Check(false, "entry " + N(index) + " " + want, N(items.size()) + " entries");
  }
  const LogEntry& e = items[static_cast<std::size_t>(index - 1)];
  const std::string got = Q(e.Source) + " " + Q(e.Target) + " " + N(e.PopupType);
  Check(got == want, want, got);
}

void ScenarioWorld::ExpectWhy(ScenarioArgs& a, bool dry) {
  const long long index = a.Number("I");
  const std::wstring want = a.Text("TEXT");
  a.End();
  if (dry) return;
  const std::string wanted = "entry " + N(index) + " why " + Q(want);
  SimProgram* p = Running();
  if (!p || !p->process()) return Check(false, wanted, "no program");
  const auto& items = p->process()->popupLog().GetLogItems();
  if (index < 1 || static_cast<std::size_t>(index) > items.size()) {
    return Check(false, wanted, N(items.size()) + " entries");
  }
  const LogEntry& e = items[static_cast<std::size_t>(index - 1)];
  Check(StarMatch(want, e.Reason), wanted, "entry " + N(index) + " why " + Q(e.Reason));
}

void ScenarioWorld::ExpectNotice(ScenarioArgs& a, bool dry) {
  const ScenarioWord& first = a.Word("TITLE or none");
  const bool none = !first.quoted && first.text == L"none";
  const std::wstring title = first.text;
  const std::wstring text = none ? std::wstring() : a.Text("TEXT");
  a.End();
  if (dry) return;
  const SimNotificationArea& tray = desktop_.tray();
  const bool fresh = tray.BalloonCount() > noticesSeen_;
  noticesSeen_ = tray.BalloonCount();
  const std::string got =
      fresh ? "notice " + Q(tray.LastBalloon()->title) + " " + Q(tray.LastBalloon()->text)
            : "no notice";
  if (none) return Check(!fresh, "no notice", got);
  Check(fresh && tray.LastBalloon()->title == title && StarMatch(text, tray.LastBalloon()->text),
        "notice " + Q(title) + " " + Q(text), got);
}

void ScenarioWorld::ExpectTotal(ScenarioArgs& a, bool dry) {
  const long long want = a.Number("N");
  a.End();
  if (dry) return;
  long long got = 0;
  WithProcess([&](Process& p) { got = p.popupLog().TotalPopupCount(); });
  Check(got == want, "total " + N(want), "total " + N(got));
}

void ScenarioWorld::ExpectAllowKill(ScenarioArgs& a, bool dry) {
  const std::wstring url = a.Text("URL");
  const bool want = a.YesNo();
  a.End();
  if (dry) return;
  bool allow = false;
  bool killed = false;
  WithProcess([&](Process& p) {
    allow = p.websites().Allow(url);
    killed = p.websites().Kill(url);
  });
  const bool got = expectingKill_ ? killed : allow;
  const std::string what = std::string(expectingKill_ ? "kill " : "allow ") + Q(url) + " ";
  Check(got == want, what + YesNo(want), what + YesNo(got));
}

void ScenarioWorld::ExpectRule(ScenarioArgs& a, bool dry) {
  const bool present = !expectingNoRule_;
  const int kind = a.Choice("website or window", {L"website", L"window"});
  if (kind == 0) {
    const std::wstring url = a.Text("URL");
    std::optional<long long> type;
    if (a.More() && !a.NextIsQuoted() && a.Peek() != L"subdomains") type = a.Number("TYPE");
    if (present && !type) ScenarioArgs::Fail("missing TYPE after the URL");
    const bool subdomains = a.Keyword(L"subdomains");
    a.End();
    if (dry) return;
    bool found = false;
    WithProcess([&](Process& p) {
      for (const Website& w : p.websites().WebsiteCollection()) {
        if (EqualsNoCase(w.URL, url) && (!type || w.RuleType == *type) &&
            (!subdomains || w.MatchSubdomains)) {
          found = true;
        }
      }
    });
    const std::string what = "a website rule " + Q(url) + (type ? " " + N(*type) : "") +
                             (subdomains ? " subdomains" : "");
    return Check(found == present, present ? what : "no " + what, found ? "such a rule" : "none");
  }
  const std::wstring program = a.Text("PROGRAM");
  const std::wstring caption = a.Text("CAPTION");
  std::optional<long long> status;
  if (a.More()) status = a.Number("STATUS");
  if (present && !status) ScenarioArgs::Fail("missing STATUS after the caption");
  a.End();
  if (dry) return;
  bool found = false;
  WithProcess([&](Process& p) {
    for (const WindowGroup& group : p.windows().GetWindowCollections()) {
      for (const Window& w : group) {
        if (EqualsNoCase(w.Program, program) && EqualsNoCase(w.Caption, caption) &&
            (!status || w.Status == *status)) {
          found = true;
        }
      }
    }
  });
  const std::string what =
      "a window rule " + Q(program) + " " + Q(caption) + (status ? " " + N(*status) : "");
  Check(found == present, present ? what : "no " + what, found ? "such a rule" : "none");
}

void ScenarioWorld::ExpectTray(ScenarioArgs& a, bool dry) {
  const int want =
      a.Choice("enabled, disabled, alert or none", {L"enabled", L"disabled", L"alert", L"none"});
  a.End();
  if (dry) return;
  static const char* kStates[] = {"enabled", "disabled", "alert", "none", "another picture"};
  int got = 3;
  const auto& shown = desktop_.tray().Shown();
  SimProgram* p = Running();
  if (shown && p && p->form()) {
    const PictureHandle icon = shown->hIcon;
    got = icon == p->form()->EnabledImage()    ? 0
          : icon == p->form()->DisabledImage() ? 1
          : icon == p->form()->AlertImage()    ? 2
                                               : 4;
  }
  Check(got == want, std::string("tray ") + kStates[want], std::string("tray ") + kStates[got]);
}

void ScenarioWorld::ExpectTip(ScenarioArgs& a, bool dry) {
  const std::wstring want = a.Text("TEXT");
  a.End();
  if (dry) return;
  const auto& shown = desktop_.tray().Shown();
  if (!shown) return Check(false, "tip " + Q(want), "no icon");
  Check(shown->szTip == want, "tip " + Q(want), "tip " + Q(shown->szTip));
}

void ScenarioWorld::ExpectSound(ScenarioArgs& a, bool dry) {
  const ScenarioWord& w = a.Word("PATH or none");
  a.End();
  if (dry) return;
  const auto& requests = desktop_.sound().Requests();
  std::optional<std::wstring> last;
  for (std::size_t i = soundsSeen_; i < requests.size(); ++i) {
    if (!requests[i].fileName.empty()) last = requests[i].fileName;
  }
  soundsSeen_ = requests.size();
  const bool none = !w.quoted && w.text == L"none";
  const std::string got = last ? "sound " + Q(*last) : "no sound";
  Check(none ? !last : (last && EqualsNoCase(*last, w.text)),
        none ? "no sound" : "sound " + Q(w.text), got);
}

void ScenarioWorld::ExpectMessage(ScenarioArgs& a, bool dry) {
  const ScenarioWord& w = a.Word("TEXT or none");
  a.End();
  if (dry) return;
  const auto& shown = desktop_.messages().Shown();
  std::optional<std::wstring> last;
  if (shown.size() > messagesSeen_) last = shown.back().text;
  messagesSeen_ = shown.size();
  const bool none = !w.quoted && w.text == L"none";
  const std::string got = last ? "message " + Q(*last) : "no message";
  Check(none ? !last : (last && *last == w.text), none ? "no message" : "message " + Q(w.text),
        got);
}

void ScenarioWorld::ExpectStore(ScenarioArgs& a, bool dry) {
  const std::wstring section = a.Text("SECTION");
  const std::wstring name = a.Text("NAME");
  const ScenarioWord& w = a.Word("TEXT, absent, present or matches");
  std::optional<std::wstring> pattern;
  if (!w.quoted && w.text == L"matches") pattern = a.Text("REGEX");
  a.End();
  if (dry) return;
  const auto value = desktop_.store().Peek(section, name);
  const std::string got = value ? Q(*value) : "absent";
  const std::string where = ToUtf8(section) + " " + ToUtf8(name) + " ";
  if (pattern)
    return Check(value && RegexWhole(*pattern, *value), where + "matching " + Q(*pattern),
                 where + got);
  if (!w.quoted && w.text == L"absent") return Check(!value, where + "absent", where + got);
  if (!w.quoted && w.text == L"present")
    return Check(value.has_value(), where + "present", where + got);
  Check(value && *value == w.text, where + Q(w.text), where + got);
}

void ScenarioWorld::ExpectRegistry(ScenarioArgs& a, bool dry) {
  const std::wstring key = a.Text("KEY");
  const auto parsed = ParseRegistryPath(key);
  if (!parsed) ScenarioArgs::Fail("bad registry key " + Q(key) + " (HKLM or HKCU)");
  std::optional<std::wstring> name;
  const ScenarioWord* last = &a.Word("TEXT, present or absent");
  if (a.More()) {
    name = last->text;
    last = &a.Word("TEXT, present or absent");
  }
  const ScenarioWord w = *last;
  a.End();
  if (!w.quoted && w.text != L"present" && w.text != L"absent") {
    ScenarioArgs::Fail("bad word " + Q(w.text) + " (expected \"TEXT\", present or absent)");
  }
  if (dry) return;
  const auto& [root, path] = *parsed;
  const std::string where = ToUtf8(key) + (name ? " " + ToUtf8(*name) : "") + " ";
  if (!name) {
    const bool exists = desktop_.registry().KeyExists(root, path);
    if (w.quoted) {
      name = L"";
    } else {
      return Check(exists == (w.text == L"present"), where + ToUtf8(w.text),
                   where + (exists ? "present" : "absent"));
    }
  }
  const auto value = desktop_.registry().Value(root, path, *name);
  std::optional<std::wstring> text;
  if (value) {
    if (value->type == RegType::Dword) {
      text = NumberText(value->dword);
    } else {
      text = value->text;
      if (!text->empty() && text->back() == L'\0') text->pop_back();
    }
  }
  const std::string got = text ? Q(*text) : "absent";
  if (!w.quoted) {
    return Check(value.has_value() == (w.text == L"present"), where + ToUtf8(w.text), where + got);
  }
  Check(text && *text == w.text, where + Q(w.text), where + got);
}

void ScenarioWorld::ExpectFile(ScenarioArgs& a, bool dry) {
  const bool user = expectingUserFile_;
  const std::wstring name = a.Text("NAME");
  const int kind = a.Choice("missing, empty, exists, size, text, hex, contains, lacks or matches",
                            {L"missing", L"empty", L"exists", L"size", L"text", L"hex", L"contains",
                             L"lacks", L"matches"});
  long long size = 0;
  std::wstring argument;
  if (kind == 3) size = a.Number("N");
  if (kind >= 4) argument = a.Text("TEXT");
  a.End();
  if (dry) return;
  auto& files = desktop_.files();
  const std::wstring path =
      JoinPath(user ? desktop_.UserDataFolder() : files.ProgramFolder(), name);
  std::optional<std::string> bytes;
  if (files.Exists(path)) bytes = files.ReadAll(path);
  const std::string where = ToUtf8(name) + " ";
  const std::string got = !bytes
                              ? where + "missing"
                              : where + "of " + N(static_cast<long long>(bytes->size())) + " bytes";
  const AnsiCodec& ansi = desktop_.platform().ansi;
  switch (kind) {
    case 0:
      return Check(!bytes, where + "missing", got);
    case 1:
      return Check(bytes && bytes->empty(), where + "empty", got);
    case 2:
      return Check(bytes.has_value(), where + "existing", got);
    case 3:
      return Check(bytes && static_cast<long long>(bytes->size()) == size,
                   where + "of " + N(size) + " bytes", got);
    case 4:
      return Check(bytes && *bytes == ansi.Encode(argument), where + Q(argument),
                   bytes ? where + Q(ansi.Decode(*bytes)) : got);
    case 5: {
      std::string hex;
      if (bytes) {
        static const char* kDigits = "0123456789abcdef";
        for (const char c : *bytes) {
          hex.push_back(kDigits[(static_cast<unsigned char>(c) >> 4) & 0xF]);
          hex.push_back(kDigits[static_cast<unsigned char>(c) & 0xF]);
        }
      }
      std::string want;
      for (const wchar_t c : LowerCase(argument)) {
        if (c != L' ') want.push_back(static_cast<char>(c));
      }
      return Check(bytes && hex == want, where + "hex " + want, bytes ? where + "hex " + hex : got);
    }
    case 6:
      return Check(bytes && bytes->find(ansi.Encode(argument)) != std::string::npos,
                   where + "containing " + Q(argument), got);
    case 7:
      return Check(bytes && bytes->find(ansi.Encode(argument)) == std::string::npos,
                   where + "lacking " + Q(argument), got);
    default:
      return Check(bytes && RegexWhole(argument, ansi.Decode(*bytes)),
                   where + "matching " + Q(argument), got);
  }
}

void ScenarioWorld::ExpectChrome(ScenarioArgs& a, bool dry) {
  const std::wstring id = a.Id();
  const ChromePart part = ChromePartArg(a);
  const bool on = a.OnOff();
  a.End();
  if (dry) return;
  const bool got = BrowserOf(id)->ChromeOn(part);
  Check(got == on, std::string(on ? "on" : "off"), std::string(got ? "on" : "off"));
}

void ScenarioWorld::ExpectPlace(ScenarioArgs& a, bool dry) {
  const std::wstring id = a.Id();
  const long long l = a.Number("LEFT");
  const long long t = a.Number("TOP");
  const long long w = a.Number("WIDTH");
  const long long h = a.Number("HEIGHT");
  a.End();
  if (dry) return;
  const Placement p = BrowserOf(id)->Place();
  const std::string want = N(l) + " " + N(t) + " " + N(w) + " " + N(h);
  const std::string got = N(p.left) + " " + N(p.top) + " " + N(p.width) + " " + N(p.height);
  Check(got == want, want, got);
}

namespace {

enum class UiQuery { Checked, Enabled, Visible, Text, Position, Rows, Row };

// One "expect ui FORM "CONTROL" WHAT ..." as written.
struct UiExpectation {
  UiQuery what = UiQuery::Checked;
  bool flag = false;
  long long number = 0;
  std::wstring text;
  std::vector<std::wstring> columns;
};

UiExpectation ParseUiExpectation(ScenarioArgs& a) {
  UiExpectation e;
  e.what = static_cast<UiQuery>(
      a.Choice("checked, enabled, visible, text, position, rows or row",
               {L"checked", L"enabled", L"visible", L"text", L"position", L"rows", L"row"}));
  switch (e.what) {
    case UiQuery::Checked:
    case UiQuery::Enabled:
    case UiQuery::Visible:
      e.flag = a.YesNo();
      break;
    case UiQuery::Text:
      e.text = a.Text("TEXT");
      break;
    case UiQuery::Position:
    case UiQuery::Rows:
      e.number = a.Number("N");
      break;
    case UiQuery::Row:
      e.number = a.Number("I");
      e.columns.push_back(a.Text("COL1"));
      while (a.More())
        e.columns.push_back(a.Text("COL"));
      break;
  }
  a.End();
  return e;
}

// What the user reads in the control: a caption, a text box's text, or a
// combo box's shown item.
std::wstring ShownText(const Control& c) {
  if (c.kind == ControlKind::TextBox) return c.text;
  if (c.kind != ControlKind::ComboBox) return c.ShownCaption();
  return c.position >= 0 && c.position < static_cast<int>(c.items.size())
             ? c.items[static_cast<std::size_t>(c.position)]
             : L"";
}

struct Verdict {
  bool ok;
  std::string want;
  std::string got;
};

Verdict RowVerdict(const Control& c, const UiExpectation& e) {
  if (e.number < 1 || e.number > static_cast<long long>(c.rows.size())) {
    return {false, "a row " + N(e.number), N(static_cast<long long>(c.rows.size())) + " rows"};
  }
  const ListRow& row = c.rows[static_cast<std::size_t>(e.number - 1)];
  Verdict v{true, "row " + N(e.number) + " ", ""};
  for (std::size_t i = 0; i < e.columns.size(); ++i) {
    const std::wstring cell = i < row.texts.size() ? row.texts[i] : L"";
    v.ok = v.ok && (e.columns[i] == L"*" || e.columns[i] == cell);
    v.want += (i ? " " : "") + Q(e.columns[i]);
    v.got += (i ? " " : "") + Q(cell);
  }
  return v;
}

Verdict FlagVerdict(const char* name, bool want, bool got) {
  return {want == got, std::string(name) + " " + YesNo(want), std::string(name) + " " + YesNo(got)};
}

Verdict UiVerdict(const Control& c, const UiExpectation& e) {
  switch (e.what) {
    case UiQuery::Checked:
      return FlagVerdict("checked", e.flag, c.checked);
    case UiQuery::Enabled:
      return FlagVerdict("enabled", e.flag, c.enabled);
    case UiQuery::Visible:
      return FlagVerdict("visible", e.flag, c.visible);
    case UiQuery::Text: {
      const std::wstring shown = ShownText(c);
      return {shown == e.text, "text " + Q(e.text), "text " + Q(shown)};
    }
    case UiQuery::Position:
      return {c.position == e.number, "position " + N(e.number), "position " + N(c.position)};
    case UiQuery::Rows: {
      const auto count = static_cast<long long>(c.rows.size());
      return {count == e.number, "rows " + N(e.number), "rows " + N(count)};
    }
    case UiQuery::Row:
      break;
  }
  return RowVerdict(c, e);
}

}  // namespace

void ScenarioWorld::ExpectUiOpen(const std::wstring& form, bool open) {
  bool loaded = false;
  bool shown = false;
  if (FormModel* dialog = Dialog(form)) {
    loaded = true;
    shown = dialog->Shown();
  }
  const std::string got = shown ? "open" : loaded ? "loaded but hidden" : "closed";
  Check(open ? shown : !loaded, open ? "open" : "closed", got);
}

void ScenarioWorld::ExpectUi(ScenarioArgs& a, bool dry) {
  const std::wstring form = a.Text("FORM");
  if (!a.NextIsQuoted()) {
    const bool open = a.Choice("open, closed or \"CONTROL\"", {L"open", L"closed"}) == 0;
    a.End();
    if (!dry) ExpectUiOpen(form, open);
    return;
  }
  const std::wstring control = a.Text("CONTROL");
  const UiExpectation expectation = ParseUiExpectation(a);
  if (dry) return;
  FormModel* dialog = Dialog(form);
  if (dialog == nullptr) {
    Check(false, "the dialog " + ToUtf8(form) + " to be loaded", "it is not");
    return;
  }
  const Control* c = dialog->Find(control);
  if (c == nullptr) {
    Check(false, "a control " + Q(control), "none");
    return;
  }
  const Verdict v = UiVerdict(*c, expectation);
  Check(v.ok, v.want, v.got);
}

// --- Expectations added beside the contract's ------------------------------

namespace {

// The last of texts from seen on, or none; seen moves to the end.
std::optional<std::wstring> LastSince(const std::vector<std::wstring>& texts, std::size_t& seen) {
  std::optional<std::wstring> last;
  if (texts.size() > seen) last = texts.back();
  seen = texts.size();
  return last;
}

}  // namespace

void ScenarioWorld::ExpectProcesses(ScenarioArgs& a, bool dry) {
  const long long want = a.Number("N");
  a.End();
  if (dry) return;
  long long got = 0;
  for (const auto& program : programs_) {
    if (program->Running()) ++got;
  }
  Check(got == want, N(want) + " program processes", N(got) + " program processes");
}

void ScenarioWorld::ExpectDialog(ScenarioArgs& a, bool dry) {
  const ScenarioWord& w = a.Word("FORM or none");
  const bool none = !w.quoted && w.text == L"none";
  const std::wstring form = w.text;
  if (!none && form != L"Options" && form != L"ExtraOptions") {
    ScenarioArgs::Fail("bad form " + Q(form) + " (Options, ExtraOptions or none)");
  }
  long long page = 0;
  if (!none && form == L"Options" && a.More()) page = a.Number("PAGE");
  a.End();
  if (dry) return;
  const auto& requests = dialogRequests_;
  std::optional<DialogRequest> last;
  if (requests.size() > dialogsSeen_) last = requests.back();
  dialogsSeen_ = requests.size();
  const auto describe = [](const std::wstring& f, long long p) {
    return "dialog " + ToUtf8(f) + (p != 0 ? " page " + N(p) : "");
  };
  const std::string got = last ? describe(last->form, last->page) : "no dialog";
  if (none) return Check(!last, "no dialog", got);
  Check(last && last->form == form && last->page == page, describe(form, page), got);
}

void ScenarioWorld::ExpectHelp(ScenarioArgs& a, bool dry) {
  const ScenarioWord& w = a.Word("TOPIC or none");
  a.End();
  if (dry) return;
  const auto last = LastSince(desktop_.shell().HelpShown(), helpSeen_);
  const bool none = !w.quoted && w.text == L"none";
  const std::string got = last ? "help " + Q(*last) : "no help";
  Check(none ? !last : (last && EqualsNoCase(*last, w.text)),
        none ? "no help" : "help " + Q(w.text), got);
}

void ScenarioWorld::ExpectOpened(ScenarioArgs& a, bool dry) {
  const ScenarioWord& w = a.Word("TARGET or none");
  a.End();
  if (dry) return;
  const auto last = LastSince(desktop_.shell().Opened(), openedSeen_);
  const bool none = !w.quoted && w.text == L"none";
  const std::string got = last ? "opened " + Q(*last) : "nothing opened";
  Check(none ? !last : (last && *last == w.text), none ? "nothing opened" : "opened " + Q(w.text),
        got);
}

void ScenarioWorld::ExpectAsked(ScenarioArgs& a, bool dry) {
  const ScenarioWord& w = a.Word("TITLE or none");
  a.End();
  if (dry) return;
  std::vector<std::wstring> titles;
  for (const AskedInput& asked : desktop_.inputBox().Asked())
    titles.push_back(asked.title);
  const auto last = LastSince(titles, askedSeen_);
  const bool none = !w.quoted && w.text == L"none";
  const std::string got = last ? "input box " + Q(*last) : "no input box";
  Check(none ? !last : (last && *last == w.text), none ? "no input box" : "input box " + Q(w.text),
        got);
}

void ScenarioWorld::ExpectMenu(ScenarioArgs& a, bool dry) {
  const std::wstring key = a.Text("KEY");
  const std::wstring caption = a.Text("CAPTION");
  const long long image = a.Number("IMAGE");
  a.End();
  if (dry) return;
  const std::string want = "menu entry " + Q(key) + " " + Q(caption) + " " + N(image);
  const SimPopupMenu* menu = desktop_.menus().WithKey(key);
  if (Running() == nullptr || menu == nullptr) return Check(false, want, "no menu");
  for (const SimPopupMenu::Entry& e : menu->Entries()) {
    if (e.key != key) continue;
    const std::string got = "menu entry " + Q(e.key) + " " + Q(e.caption) + " " + N(e.image);
    return Check(e.caption == caption && e.image == image, want, got);
  }
  Check(false, want, "no entry " + Q(key));
}

}  // namespace qx::sim

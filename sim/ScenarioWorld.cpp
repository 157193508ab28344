#include "sim/ScenarioWorld.h"

#include "monitor/MenuScripts.h"
#include "platform/PlatformError.h"
#include "platform/UiServices.h"

namespace qx::sim {
namespace {

std::string Narrow(const std::wstring& text) {
  return ToUtf8(text);
}

std::string HexBytes(const std::wstring& hex) {
  std::string bytes;
  int high = -1;
  for (const wchar_t c : hex) {
    if (c == L' ') continue;
    int digit = -1;
    if (c >= L'0' && c <= L'9') digit = c - L'0';
    if (c >= L'a' && c <= L'f') digit = c - L'a' + 10;
    if (c >= L'A' && c <= L'F') digit = c - L'A' + 10;
    if (digit < 0) ScenarioArgs::Fail("bad hex digit in \"" + Narrow(hex) + "\"");
    if (high < 0) {
      high = digit;
    } else {
      bytes.push_back(static_cast<char>(high * 16 + digit));
      high = -1;
    }
  }
  if (high >= 0) ScenarioArgs::Fail("odd number of hex digits in \"" + Narrow(hex) + "\"");
  return bytes;
}

std::vector<int> KeysOf(const std::wstring& keys) {
  std::vector<int> codes;
  std::size_t start = 0;
  while (start <= keys.size()) {
    const std::size_t plus = keys.find(L'+', start);
    const std::wstring key = keys.substr(start, plus == std::wstring::npos ? plus : plus - start);
    if (key == L"shift") {
      codes.push_back(kVkShift);
    } else if (key == L"ctrl") {
      codes.push_back(kVkControl);
    } else if (key == L"alt") {
      codes.push_back(kVkMenu);
    } else if (key == L"capslock") {
      codes.push_back(kVkCapital);
    } else {
      ScenarioArgs::Fail("bad key \"" + Narrow(key) + "\" (shift, ctrl, alt, capslock)");
    }
    if (plus == std::wstring::npos) break;
    start = plus + 1;
  }
  return codes;
}

}  // namespace

ScenarioWorld::ScenarioWorld(std::ostream& out, std::string file,
                             const std::filesystem::path& drive, bool trace)
    : out_(out), file_(std::move(file)), trace_(trace), desktop_(drive) {
  desktop_.modal().SetDriver(this);
}

void ScenarioWorld::Decided(std::wstring_view what, std::wstring_view why) {
  out_ << "    why: " << ToUtf8(what) << " (" << ToUtf8(why) << ")\n";
}

ScenarioWorld::~ScenarioWorld() {
  programs_.clear();
  desktop_.modal().SetDriver(nullptr);
}

void ScenarioWorld::Run(const std::vector<ScenarioLine>& lines,
                        const std::vector<std::string>& texts) {
  lines_ = &lines;
  texts_ = &texts;
  nextLine_ = 0;
  while (RunNextStep()) {
  }
  lines_ = nullptr;
  texts_ = nullptr;
}

bool ScenarioWorld::RunNextStep() {
  if (lines_ == nullptr || nextLine_ >= lines_->size()) return false;
  const ScenarioLine& line = (*lines_)[nextLine_++];
  // Steps inside a modal loop are indented one level per open dialog.
  const int depth = desktop_.modal().Depth();
  const std::size_t index = static_cast<std::size_t>(line.number - 1);
  out_ << std::string(static_cast<std::size_t>(2 + 2 * depth), ' ')
       << (index < texts_->size() ? (*texts_)[index] : std::string()) << "\n";
  // The step that opened the dialog goes on after this one.
  const int outerLine = lineNumber_;
  Step(line, false);
  lineNumber_ = outerLine;
  return true;
}

void ScenarioWorld::ClosedUnanswered(const FormModel& form, std::string_view why) {
  out_ << "NOTE " << file_ << ":" << lineNumber_ << ": the dialog \"" << Narrow(form.Caption())
       << "\" was still open (" << why << "); closed as the user closes its window\n";
}

const std::map<std::wstring, ScenarioWorld::Handler>& ScenarioWorld::Handlers() {
  static const std::map<std::wstring, Handler> kHandlers = {
      {L"os", &ScenarioWorld::Os},
      {L"workarea", &ScenarioWorld::WorkArea},
      {L"store", &ScenarioWorld::Store},
      {L"file", &ScenarioWorld::File},
      {L"userfile", &ScenarioWorld::File},
      {L"user", &ScenarioWorld::User},
      {L"start", &ScenarioWorld::Start},
      {L"answer", &ScenarioWorld::Answer},
      {L"wait", &ScenarioWorld::Wait},
      {L"close", &ScenarioWorld::Close},
      {L"logoff", &ScenarioWorld::Logoff},
      {L"crash", &ScenarioWorld::Crash},
      {L"browser", &ScenarioWorld::BrowserStep},
      {L"latebrowser", &ScenarioWorld::LateBrowser},
      {L"go", &ScenarioWorld::Go},
      {L"element", &ScenarioWorld::ElementStep},
      {L"frame", &ScenarioWorld::FrameStep},
      {L"script", &ScenarioWorld::Script},
      {L"chrome", &ScenarioWorld::Chrome},
      {L"place", &ScenarioWorld::Place},
      {L"quit", &ScenarioWorld::Quit},
      {L"click", &ScenarioWorld::Click},
      {L"key", &ScenarioWorld::Key},
      {L"mousedown", &ScenarioWorld::SingleEvent},
      {L"mouseup", &ScenarioWorld::SingleEvent},
      {L"mouseout", &ScenarioWorld::SingleEvent},
      {L"mouseover", &ScenarioWorld::SingleEvent},
      {L"blur", &ScenarioWorld::SingleEvent},
      {L"drag", &ScenarioWorld::SingleEvent},
      {L"mousemove", &ScenarioWorld::MouseMove},
      {L"contextmenu", &ScenarioWorld::ContextMenu},
      {L"newwindow", &ScenarioWorld::NewWindow},
      {L"menu", &ScenarioWorld::Menu},
      {L"window", &ScenarioWorld::WindowStep},
      {L"caption", &ScenarioWorld::Caption},
      {L"hold", &ScenarioWorld::Hold},
      {L"release", &ScenarioWorld::Hold},
      {L"leftdown", &ScenarioWorld::Mouse},
      {L"leftup", &ScenarioWorld::Mouse},
      {L"hotclick", &ScenarioWorld::Mouse},
      {L"tray", &ScenarioWorld::Tray},
      {L"notice", &ScenarioWorld::NoticeStep},
      {L"ui", &ScenarioWorld::Ui},
      {L"pickfile", &ScenarioWorld::PickFile},
      {L"expect", &ScenarioWorld::Expect},
      {L"ownwindow", &ScenarioWorld::OwnWindow},
      {L"activate", &ScenarioWorld::Activate},
      {L"slowdialog", &ScenarioWorld::SlowDialog},
      {L"hung", &ScenarioWorld::Hung},
      {L"visible", &ScenarioWorld::Visible},
      {L"trayrelease", &ScenarioWorld::TrayRelease},
      {L"fail", &ScenarioWorld::Fail},
  };
  return kHandlers;
}

void ScenarioWorld::Step(const ScenarioLine& line, bool dry) {
  lineNumber_ = line.number;
  ScenarioArgs args(line);
  const ScenarioWord& command = line.words[0];
  const auto it = Handlers().find(command.text);
  if (command.quoted || it == Handlers().end()) {
    ScenarioArgs::Fail("unknown word \"" + Narrow(command.text) + "\"");
  }
  if (dry) {
    (this->*(it->second))(args, true);
    return;
  }
  try {
    (this->*(it->second))(args, false);
  } catch (const ScenarioSyntaxError& e) {
    // A name the scenario never gave, for example: the step fails.
    Check(false, e.what(), "a step that could not run");
  } catch (const std::exception& e) {
    Check(false, "the step to run", std::string("an error: ") + e.what());
  }
  Settle();
}

void ScenarioWorld::Finish() {
  // By index: a program's code may run steps that start more programs.
  for (std::size_t i = 0; i < programs_.size(); ++i) {
    if (programs_[i]->Running()) programs_[i]->Logoff();
  }
}

void ScenarioWorld::Check(bool ok, const std::string& expected, const std::string& got) {
  if (ok) {
    ++passed_;
    return;
  }
  ++failed_;
  out_ << "FAIL " << file_ << ":" << lineNumber_ << ": expected " << expected << ", got " << got
       << "\n";
}

SimProgram* ScenarioWorld::Running() {
  for (auto it = programs_.rbegin(); it != programs_.rend(); ++it) {
    if ((*it)->Running()) return it->get();
  }
  return nullptr;
}

template <class F>
void ScenarioWorld::InProgram(F&& f) {
  if (SimProgram* program = Running()) {
    program->Run(std::forward<F>(f));
  } else {
    f();
  }
}

void ScenarioWorld::Settle() {
  InProgram([&] { desktop_.windows().DeliverPostedCloses(); });
  for (std::size_t i = 0; i < programs_.size(); ++i)
    programs_[i]->Settle();
}

std::shared_ptr<SimBrowser> ScenarioWorld::BrowserOf(const std::wstring& id) {
  const auto it = named_.find(id);
  if (it == named_.end() || !it->second.browser) {
    ScenarioArgs::Fail("no browser named \"" + Narrow(id) + "\"");
  }
  return it->second.browser;
}

std::shared_ptr<SimElement> ScenarioWorld::ElementOf(const std::wstring& id) {
  const auto it = elements_.find(id);
  if (it == elements_.end()) ScenarioArgs::Fail("no element named \"" + Narrow(id) + "\"");
  return it->second;
}

Hwnd ScenarioWorld::WindowOf(const std::wstring& id) {
  const auto it = named_.find(id);
  if (it == named_.end()) ScenarioArgs::Fail("no window named \"" + Narrow(id) + "\"");
  if (it->second.browser) return it->second.browser->Window();
  return it->second.window;
}

std::optional<std::wstring> ScenarioWorld::AsName(ScenarioArgs& a) {
  if (!a.Keyword(L"as")) return std::nullopt;
  return a.Id("NID");
}

template <class F>
void ScenarioWorld::Naming(const std::optional<std::wstring>& name, F&& f) {
  const std::size_t browsers = desktop_.browsers().Opened().size();
  const std::size_t dialogs = desktop_.browsers().Dialogs().size();
  InProgram(std::forward<F>(f));
  if (!name) return;
  const auto& opened = desktop_.browsers().Opened();
  if (opened.size() > browsers) {
    named_[*name] = Named{opened[browsers], 0};
  } else if (desktop_.browsers().Dialogs().size() > dialogs) {
    named_[*name] = Named{nullptr, desktop_.browsers().Dialogs()[dialogs]};
  }
}

ProcessId ScenarioWorld::ProcessFor(const std::wstring& exe) {
  const std::wstring key = LowerCase(exe);
  const auto it = processes_.find(key);
  if (it != processes_.end()) return it->second;
  const ProcessId pid = desktop_.windows().StartProcess(exe);
  processes_[key] = pid;
  return pid;
}

// --- Around the program -----------------------------------------------------

void ScenarioWorld::Os(ScenarioArgs& a, bool dry) {
  const int which = a.Choice("95, 98, nt5.0, nt5.1, nt6.0, nt6.1 or nt10.0",
                             {L"95", L"98", L"nt5.0", L"nt5.1", L"nt6.0", L"nt6.1", L"nt10.0"});
  a.End();
  if (dry) return;
  const OsVersionInfo kVersions[] = {{4, 0, 950, 1, L""},
                                     {4, 10, 1998, 1, L""},
                                     {5, 0, 2195, 2, L"Service Pack 4"},
                                     {5, 1, 2600, 2, L"Service Pack 2"},
                                     {6, 0, 6000, 2, L""},
                                     {6, 1, 7601, 2, L"Service Pack 1"},
                                     {10, 0, 19045, 2, L""}};
  desktop_.SetVersion(kVersions[which]);
}

void ScenarioWorld::User(ScenarioArgs& a, bool dry) {
  const int which = a.Choice("admin or standard", {L"admin", L"standard"});
  a.End();
  if (!dry) desktop_.SetStandardUser(which == 1);
}

void ScenarioWorld::WorkArea(ScenarioArgs& a, bool dry) {
  Rect r;
  r.left = static_cast<std::int32_t>(a.Number("LEFT"));
  r.top = static_cast<std::int32_t>(a.Number("TOP"));
  r.right = static_cast<std::int32_t>(a.Number("RIGHT"));
  r.bottom = static_cast<std::int32_t>(a.Number("BOTTOM"));
  a.End();
  if (!dry) desktop_.workArea().Set(r);
}

void ScenarioWorld::Store(ScenarioArgs& a, bool dry) {
  const std::wstring section = a.Text("SECTION");
  const std::wstring name = a.Text("NAME");
  const std::wstring value = a.Text("TEXT");
  a.End();
  if (!dry) desktop_.store().Poke(section, name, value);
}

void ScenarioWorld::File(ScenarioArgs& a, bool dry) {
  const bool user = a.Command() == L"userfile";
  const std::wstring name = a.Text("NAME");
  const int kind = a.Choice("hex, text or empty", {L"hex", L"text", L"empty"});
  std::string bytes;
  if (kind == 0) bytes = HexBytes(a.Text("HEX"));
  if (kind == 1) bytes = desktop_.platform().ansi.Encode(a.Text("TEXT"));
  a.End();
  if (dry) return;
  // Files of an earlier run: the world puts them there, whoever the user is.
  const std::wstring folder = user ? desktop_.UserDataFolder() : desktop_.files().ProgramFolder();
  desktop_.files().Put(JoinPath(folder, name), bytes);
}

void ScenarioWorld::Start(ScenarioArgs& a, bool dry) {
  std::wstring commandLine;
  if (a.More()) commandLine = a.Text("COMMAND LINE");
  a.End();
  if (dry) return;
  programs_.push_back(std::make_unique<SimProgram>(desktop_, &dialogRequests_));
  SimProgram& program = *programs_.back();
  program.Start(commandLine);
  if (trace_ && program.Running() && program.form() != nullptr) {
    program.form()->SetDecisionObserver(this);
  }
  // The desktop's current process is the program that keeps running.
  if (SimProgram* running = Running()) desktop_.windows().SetCurrentProcess(running->Id());
}

void ScenarioWorld::Answer(ScenarioArgs& a, bool dry) {
  const ScenarioWord& w = a.Word("TEXT or cancel");
  a.End();
  if (dry) return;
  if (!w.quoted && w.text == L"cancel") {
    desktop_.inputBox().QueueAnswer(std::nullopt);
  } else {
    desktop_.inputBox().QueueAnswer(w.text);
  }
}

void ScenarioWorld::Wait(ScenarioArgs& a, bool dry) {
  const long long ms = a.Number("MS");
  a.End();
  if (ms < 0) ScenarioArgs::Fail("a wait cannot go back in time");
  if (!dry) InProgram([&] { desktop_.Advance(ms); });
}

void ScenarioWorld::Close(ScenarioArgs& a, bool dry) {
  a.End();
  if (dry) return;
  SimProgram* program = Running();
  if (program == nullptr || program->form() == nullptr) return;
  program->Run([&] { program->form()->CloseProgram(); });
}

void ScenarioWorld::Logoff(ScenarioArgs& a, bool dry) {
  a.End();
  if (dry) return;
  if (SimProgram* program = Running()) program->Logoff();
}

void ScenarioWorld::Crash(ScenarioArgs& a, bool dry) {
  a.End();
  if (dry) return;
  if (SimProgram* program = Running()) program->Crash();
}

// --- Browsers and pages -----------------------------------------------------

void ScenarioWorld::BrowserStep(ScenarioArgs& a, bool dry) {
  const std::wstring id = a.Id();
  std::wstring exe(kDefaultBrowserExe);
  std::wstring url;
  while (a.More()) {
    if (a.Keyword(L"exe")) {
      exe = a.Text("PATH");
    } else if (a.Keyword(L"url")) {
      url = a.Text("URL");
    } else {
      a.Bad();
    }
  }
  if (dry) return;
  InProgram([&] { named_[id] = Named{desktop_.browsers().OpenBrowser(url, exe), 0}; });
}

void ScenarioWorld::LateBrowser(ScenarioArgs& a, bool dry) {
  const std::wstring id = a.Id();
  std::wstring exe(kDefaultBrowserExe);
  if (a.Keyword(L"exe")) exe = a.Text("PATH");
  a.Choice("url", {L"url"});
  const std::wstring url = a.Text("URL");
  a.End();
  if (dry) return;
  InProgram([&] { named_[id] = Named{desktop_.browsers().OpenBrowserAnnouncedLate(url, exe), 0}; });
}

void ScenarioWorld::Go(ScenarioArgs& a, bool dry) {
  const std::wstring id = a.Id();
  const std::wstring url = a.Text("URL");
  a.End();
  if (!dry) InProgram([&] { desktop_.browsers().Go(*BrowserOf(id), url); });
}

void ScenarioWorld::ElementStep(ScenarioArgs& a, bool dry) {
  const std::wstring id = a.Id();
  const std::wstring eid = a.Id("EID");
  const std::wstring tag = a.Text("TAG");
  Attributes attributes;
  std::optional<std::wstring> parent;
  std::optional<std::wstring> frame;
  while (a.More()) {
    if (a.Keyword(L"in")) {
      parent = a.Id("EID2");
    } else if (a.Keyword(L"frame")) {
      frame = a.Id("FID");
    } else {
      const std::wstring word = a.Text("NAME=VALUE");
      const auto eq = word.find(L'=');
      if (eq == std::wstring::npos || eq == 0) {
        ScenarioArgs::Fail("bad attribute \"" + Narrow(word) + "\" (NAME=VALUE)");
      }
      const std::wstring name = LowerCase(word.substr(0, eq));
      static const std::wstring kKnown[] = {L"href",   L"type",     L"target", L"onclick",
                                            L"action", L"onsubmit", L"ismap",  L"name",
                                            L"value",  L"method"};
      if (std::find(std::begin(kKnown), std::end(kKnown), name) == std::end(kKnown)) {
        ScenarioArgs::Fail("unknown attribute \"" + Narrow(name) + "\"");
      }
      attributes.emplace_back(name, word.substr(eq + 1));
    }
  }
  if (dry) return;
  InProgram([&] {
    const auto page = frame ? BrowserOf(*frame) : BrowserOf(id);
    elements_[eid] = desktop_.browsers().AddElement(*page, tag, attributes,
                                                    parent ? ElementOf(*parent) : nullptr);
  });
}

void ScenarioWorld::FrameStep(ScenarioArgs& a, bool dry) {
  const std::wstring id = a.Id();
  const std::wstring fid = a.Id("FID");
  const std::wstring url = a.Text("URL");
  std::optional<std::wstring> inside;
  if (a.Keyword(L"in")) inside = a.Id("FID2");
  a.End();
  if (dry) return;
  InProgram([&] {
    const auto page = inside ? BrowserOf(*inside) : BrowserOf(id);
    named_[fid] = Named{desktop_.browsers().AddFrame(*page, url, fid), 0};
  });
}

void ScenarioWorld::Script(ScenarioArgs& a, bool dry) {
  const std::wstring id = a.Id();
  const int kind = a.Choice("open, dialog or go", {L"open", L"dialog", L"go"});
  const std::wstring argument = a.Text(kind == 1 ? "CAPTION" : "URL");
  // window.open's second argument: the new window's name.
  std::wstring windowName;
  if (kind == 0 && a.Keyword(L"name")) windowName = a.Text("NAME");
  const auto name = AsName(a);
  a.End();
  if (dry) return;
  Naming(name, [&] {
    const auto page = BrowserOf(id);
    if (kind == 0) desktop_.browsers().ScriptOpen(*page, argument, windowName);
    if (kind == 1) desktop_.browsers().ScriptDialog(*page, argument);
    if (kind == 2) desktop_.browsers().ScriptGo(*page, argument);
  });
}

void ScenarioWorld::Chrome(ScenarioArgs& a, bool dry) {
  const std::wstring id = a.Id();
  const ChromePart part = ChromePartArg(a);
  const bool on = a.OnOff();
  a.End();
  if (dry) return;
  InProgram([&] { desktop_.browsers().SetChrome(*BrowserOf(id), part, on); });
}

void ScenarioWorld::Place(ScenarioArgs& a, bool dry) {
  const std::wstring id = a.Id();
  const auto left = static_cast<int>(a.Number("LEFT"));
  const auto top = static_cast<int>(a.Number("TOP"));
  const auto width = static_cast<int>(a.Number("WIDTH"));
  const auto height = static_cast<int>(a.Number("HEIGHT"));
  a.End();
  if (!dry) {
    InProgram([&] { desktop_.browsers().Place(*BrowserOf(id), left, top, width, height); });
  }
}

void ScenarioWorld::Quit(ScenarioArgs& a, bool dry) {
  const std::wstring id = a.Id();
  a.End();
  if (!dry) InProgram([&] { desktop_.browsers().Quit(*BrowserOf(id)); });
}

// --- The user at the page ---------------------------------------------------

void ScenarioWorld::Click(ScenarioArgs& a, bool dry) {
  a.Id();
  const std::wstring eid = a.Id("EID");
  const auto name = AsName(a);
  a.End();
  if (!dry) Naming(name, [&] { desktop_.browsers().Click(*ElementOf(eid)); });
}

void ScenarioWorld::Key(ScenarioArgs& a, bool dry) {
  a.Id();
  const std::wstring eid = a.Id("EID");
  static constexpr PageKey kKeys[] = {PageKey::Enter, PageKey::Space, PageKey::Tab, PageKey::Escape,
                                      PageKey::Left,  PageKey::Right, PageKey::Up,  PageKey::Down};
  const PageKey key =
      kKeys[a.Choice("enter, space, tab, escape, left, right, up or down",
                     {L"enter", L"space", L"tab", L"escape", L"left", L"right", L"up", L"down"})];
  const auto name = AsName(a);
  a.End();
  if (!dry) Naming(name, [&] { desktop_.browsers().Key(*ElementOf(eid), key); });
}

void ScenarioWorld::SingleEvent(ScenarioArgs& a, bool dry) {
  const std::wstring command = a.Command();
  a.Id();
  const std::wstring eid = a.Id("EID");
  bool right = false;
  if (command == L"mousedown") right = a.Keyword(L"right");
  a.End();
  if (dry) return;
  InProgram([&] {
    SimElement& e = *ElementOf(eid);
    SimBrowsers& b = desktop_.browsers();
    if (command == L"mousedown") b.MouseDown(e, right);
    if (command == L"mouseup") b.MouseUp(e);
    if (command == L"mouseout") b.MouseOut(e);
    if (command == L"mouseover") b.MouseOver(e);
    if (command == L"blur") b.Blur(e);
    if (command == L"drag") b.Drag(e);
  });
}

void ScenarioWorld::MouseMove(ScenarioArgs& a, bool dry) {
  const std::wstring id = a.Id();
  a.End();
  if (!dry) InProgram([&] { desktop_.browsers().MouseMove(*BrowserOf(id)); });
}

void ScenarioWorld::ContextMenu(ScenarioArgs& a, bool dry) {
  a.Id();
  const std::wstring eid = a.Id("EID");
  a.End();
  if (!dry) InProgram([&] { desktop_.browsers().ContextMenu(*ElementOf(eid)); });
}

void ScenarioWorld::NewWindow(ScenarioArgs& a, bool dry) {
  a.Id();
  const std::wstring eid = a.Id("EID");
  const auto name = AsName(a);
  a.End();
  if (!dry) Naming(name, [&] { desktop_.browsers().NewWindowFromMenu(*ElementOf(eid)); });
}

void ScenarioWorld::Menu(ScenarioArgs& a, bool dry) {
  const std::wstring id = a.Id();
  const bool block = a.Choice("block or allow", {L"block", L"allow"}) == 0;
  a.End();
  if (dry) return;
  // The browser runs the script file its list of context-menu entries names
  // for the user; while the program is not running there is none under that
  // name, and the entry does nothing.
  const std::wstring key =
      std::wstring(kMenuExtKey) + L"\\" + std::wstring(block ? kKillMenuEntry : kAllowMenuEntry);
  const auto entry = desktop_.registry().Value(RegRoot::CurrentUser, key, L"");
  if (!entry || entry->type != RegType::String) return;
  const std::wstring path = entry->text.substr(0, entry->text.find(L'\0'));
  if (!desktop_.files().Exists(path)) return;
  const std::wstring script = desktop_.platform().ansi.Decode(desktop_.files().ReadAll(path));
  InProgram([&] { desktop_.browsers().UseMenuEntry(*BrowserOf(id), script); });
}

// --- Other programs, keys and the mouse -------------------------------------

void ScenarioWorld::WindowStep(ScenarioArgs& a, bool dry) {
  const std::wstring id = a.Id("WID");
  std::wstring exe = L"c:\\program files\\other\\other.exe";
  std::wstring caption;
  std::wstring className = L"OtherWindow";
  std::optional<std::wstring> parent;
  bool appWindow = false;
  while (a.More()) {
    if (a.Keyword(L"exe")) {
      exe = a.Text("PATH");
    } else if (a.Keyword(L"caption")) {
      caption = a.Text("TEXT");
    } else if (a.Keyword(L"parent")) {
      parent = a.Id("WID2");
    } else if (a.Keyword(L"appwindow")) {
      appWindow = true;
    } else if (a.Keyword(L"class")) {
      className = a.Text("NAME");
    } else {
      a.Bad();
    }
  }
  if (dry) return;
  const Hwnd parentWindow = parent ? WindowOf(*parent) : 0;
  const ProcessId pid = ProcessFor(exe);
  InProgram([&] {
    named_[id] =
        Named{nullptr, desktop_.windows().CreateWindow(pid, caption, className, parentWindow,
                                                       appWindow ? kWsExAppWindow : 0)};
  });
}

void ScenarioWorld::Caption(ScenarioArgs& a, bool dry) {
  const std::wstring id = a.Id("WID");
  const std::wstring text = a.Text("TEXT");
  a.End();
  if (!dry) InProgram([&] { desktop_.windows().SetText(WindowOf(id), text); });
}

void ScenarioWorld::Hold(ScenarioArgs& a, bool dry) {
  const bool press = a.Command() == L"hold";
  const std::vector<int> keys = KeysOf(a.Text("KEYS"));
  a.End();
  if (dry) return;
  for (const int key : keys) {
    if (press) {
      desktop_.keyboard().Press(key);
    } else {
      desktop_.keyboard().Release(key);
    }
  }
}

void ScenarioWorld::Mouse(ScenarioArgs& a, bool dry) {
  const std::wstring command = a.Command();
  const std::wstring id = a.Id("WID");
  a.End();
  if (dry) return;
  SimProgram* program = Running();
  const Hwnd window = WindowOf(id);
  // Every running program's hook library sees the button.
  for (std::size_t i = 0; i < programs_.size(); ++i) {
    SimProgram* p = programs_[i].get();
    if (!p->Running()) continue;
    p->Run([&] {
      if (command != L"leftup") p->hookLibrary().MouseButton(true, window, 400, 300);
      if (command != L"leftdown" && p->Running()) {
        p->hookLibrary().MouseButton(false, window, 400, 300);
      }
    });
  }
  (void)program;
}

namespace {

std::optional<std::wstring> MenuChoice(ScenarioArgs& a) {
  if (!a.Keyword(L"choose")) return std::nullopt;
  static const wchar_t* kKeys[] = {L"enabled", L"options", L"list",  L"log",   L"about",
                                   L"help",    L"test",    L"close", L"recent"};
  const int key = a.Choice("a menu key", {L"enabled", L"options", L"list", L"log", L"about",
                                          L"help", L"test", L"close", L"recent"});
  if (std::wstring_view(kKeys[key]) != L"recent") return kKeys[key];
  // An entry of "Recently blocked", then what to do with it.
  const long long n = a.Number("N");
  if (n < 1) ScenarioArgs::Fail("the entry N of \"recent\" counts from 1");
  static const wchar_t* kActions[] = {L"open", L"allow", L"kill"};
  const int action = a.Choice("open, allow or kill", {L"open", L"allow", L"kill"});
  return L"recent." + std::to_wstring(n) + L"." + kActions[action];
}

}  // namespace

void ScenarioWorld::Tray(ScenarioArgs& a, bool dry) {
  const bool dblclick = a.Choice("dblclick or rclick", {L"dblclick", L"rclick"}) == 0;
  std::optional<std::wstring> choice;
  if (!dblclick) choice = MenuChoice(a);
  a.End();
  if (dry) return;
  TrayMessages(dblclick ? std::vector<std::uint32_t>{0x201, 0x202, 0x203, 0x202}
                        : std::vector<std::uint32_t>{0x204, 0x205},
               dblclick ? std::nullopt : std::optional<std::wstring>(choice.value_or(L"")));
}

void ScenarioWorld::NoticeStep(ScenarioArgs& a, bool dry) {
  a.Choice("click", {L"click"});
  std::optional<std::wstring> choice;
  if (a.Keyword(L"choose")) {
    static const wchar_t* kKeys[] = {L"allow", L"open", L"quiet", L"settings"};
    choice = kKeys[a.Choice("allow, open, quiet or settings",
                            {L"allow", L"open", L"quiet", L"settings"})];
  }
  a.End();
  if (dry) return;
  // Clicking a notice that is not there does nothing.
  if (desktop_.tray().BalloonCount() == 0) return;
  TrayMessages({kBalloonUserClick}, choice.value_or(L""));
}

void ScenarioWorld::TrayMessages(const std::vector<std::uint32_t>& messages,
                                 const std::optional<std::wstring>& choice) {
  SimProgram* program = Running();
  if (program == nullptr || program->form() == nullptr || !desktop_.tray().Shown()) return;
  if (choice) desktop_.menus().QueueChoice(*choice);
  program->Run([&] {
    SysTrayIcon* icon = program->form()->TrayIcon();
    if (icon == nullptr) return;
    for (const std::uint32_t m : messages) {
      if (program->Running() && program->form() != nullptr) icon->OnCallback(m);
    }
  });
  desktop_.menus().ClearChoices();
}

FormModel* ScenarioWorld::Dialog(const std::wstring& name, SimProgram** program) {
  for (auto it = programs_.rbegin(); it != programs_.rend(); ++it) {
    SimProgram& p = **it;
    if (FormModel* form = p.Dialog(name)) {
      if (program != nullptr) *program = &p;
      return form;
    }
  }
  return nullptr;
}

namespace {

enum class UiVerb { Click, Check, Pick, Type, Rows, DblClick, Key, Menu, Close };

// One "ui FORM VERB ..." step as written.
struct UiStep {
  UiVerb verb = UiVerb::Click;
  std::wstring control;
  bool on = false;
  int number = 0;
  std::wstring text;
  std::vector<int> rows;
};

UiStep ParseUi(ScenarioArgs& a) {
  UiStep step;
  step.verb = static_cast<UiVerb>(a.Choice(
      "click, check, pick, type, rows, dblclick, key, menu or close",
      {L"click", L"check", L"pick", L"type", L"rows", L"dblclick", L"key", L"menu", L"close"}));
  if (step.verb != UiVerb::Key && step.verb != UiVerb::Close) step.control = a.Text("CONTROL");
  switch (step.verb) {
    case UiVerb::Check:
      step.on = a.YesNo();
      break;
    case UiVerb::Pick:
      step.number = static_cast<int>(a.Number("N"));
      break;
    case UiVerb::Type:
    case UiVerb::Menu:
      step.text = a.Text(step.verb == UiVerb::Type ? "TEXT" : "KEY");
      break;
    case UiVerb::Rows:
      do {
        step.rows.push_back(static_cast<int>(a.Number("I")));
      } while (a.More());
      break;
    case UiVerb::Key:
      step.text = a.Text("KEY");
      if (step.text != L"f1" && step.text != L"ctrl+tab" && step.text != L"delete") {
        ScenarioArgs::Fail("bad key \"" + Narrow(step.text) + "\" (f1, ctrl+tab, delete)");
      }
      break;
    default:
      break;
  }
  a.End();
  return step;
}

void RunUi(FormModel& dialog, const UiStep& step) {
  switch (step.verb) {
    case UiVerb::Click:
      return dialog.Click(step.control);
    case UiVerb::Check:
      return dialog.Check(step.control, step.on);
    case UiVerb::Pick:
      return dialog.Pick(step.control, step.number);
    case UiVerb::Type:
      return dialog.Type(step.control, step.text);
    case UiVerb::Rows:
      return dialog.SelectRows(step.control, step.rows);
    case UiVerb::DblClick:
      return dialog.DblClick(step.control);
    case UiVerb::Key:
      return dialog.Key(step.text);
    case UiVerb::Close:
      return dialog.CloseBox();
    case UiVerb::Menu:
      return dialog.RowMenu(step.control);
  }
}

}  // namespace

void ScenarioWorld::Ui(ScenarioArgs& a, bool dry) {
  const std::wstring form = a.Text("FORM");
  const UiStep step = ParseUi(a);
  if (dry) return;
  SimProgram* program = nullptr;
  FormModel* dialog = Dialog(form, &program);
  if (dialog == nullptr) {
    Check(false, "the dialog " + Narrow(form) + " to be open", "it is not loaded");
    return;
  }
  if (FormModel* modal = program->Modal(); modal != nullptr && modal != dialog) {
    Check(false, "the dialog " + Narrow(form) + " to take input",
          "a modal dialog (" + Narrow(modal->Caption()) + ") in front of it");
    return;
  }
  // A choice queued for a menu that the program shows later (after the
  // dialog this step closes) stays queued; the row menu's own is dropped.
  const bool ownChoice = step.verb == UiVerb::Menu;
  if (ownChoice) desktop_.menus().QueueChoice(step.text);
  program->Run([&] {
    try {
      RunUi(*dialog, step);
    } catch (const UiError& e) {
      Check(false, "the dialog to take the step", e.what());
    }
  });
  if (ownChoice) desktop_.menus().ClearChoices();
}

void ScenarioWorld::PickFile(ScenarioArgs& a, bool dry) {
  const ScenarioWord& w = a.Word("PATH or cancel");
  a.End();
  if (dry) return;
  if (!w.quoted && w.text == L"cancel") {
    desktop_.fileOpen().QueueChoice(std::nullopt);
  } else {
    desktop_.fileOpen().QueueChoice(w.text);
  }
}

// --- Words added beside the contract's -------------------------------------

void ScenarioWorld::OwnWindow(ScenarioArgs& a, bool dry) {
  const std::wstring id = a.Id("WID");
  std::wstring caption;
  std::wstring className = L"QuellixDialog";
  while (a.More()) {
    if (a.Keyword(L"caption")) {
      caption = a.Text("TEXT");
    } else if (a.Keyword(L"class")) {
      className = a.Text("NAME");
    } else {
      a.Bad();
    }
  }
  if (dry) return;
  SimProgram* program = Running();
  if (program == nullptr) ScenarioArgs::Fail("no program runs to own the window");
  InProgram([&] {
    named_[id] = Named{nullptr, desktop_.windows().CreateWindow(program->Id(), caption, className)};
  });
}

void ScenarioWorld::Activate(ScenarioArgs& a, bool dry) {
  const std::wstring id = a.Id("WID");
  a.End();
  if (!dry) InProgram([&] { desktop_.windows().Activate(WindowOf(id)); });
}

void ScenarioWorld::SlowDialog(ScenarioArgs& a, bool dry) {
  const std::wstring id = a.Id();
  const std::wstring caption = a.Text("CAPTION");
  const auto name = AsName(a);
  a.End();
  if (dry) return;
  Naming(name, [&] { desktop_.browsers().ScriptDialog(*BrowserOf(id), caption, false); });
}

void ScenarioWorld::Hung(ScenarioArgs& a, bool dry) {
  const std::wstring id = a.Id();
  const bool hung = a.YesNo();
  a.End();
  if (!dry) BrowserOf(id)->SetFailing(hung);
}

void ScenarioWorld::Visible(ScenarioArgs& a, bool dry) {
  const std::wstring id = a.Id();
  const bool on = a.YesNo();
  a.End();
  if (!dry) InProgram([&] { BrowserOf(id)->SetVisibleState(on); });
}

void ScenarioWorld::Fail(ScenarioArgs& a, bool dry) {
  const std::string call = ToUtf8(a.Text("CALL"));
  if (call.empty()) ScenarioArgs::Fail("an empty CALL names no call");
  bool always = false;
  long long times = 1;
  if (a.Keyword(L"always")) {
    always = true;
  } else if (a.More()) {
    times = a.Number("TIMES");
    if (times < 1) ScenarioArgs::Fail("TIMES must be at least 1");
  }
  a.End();
  if (dry) return;
  if (always) {
    desktop_.failures().FailAlways(call);
  } else {
    desktop_.failures().FailNext(call, static_cast<int>(std::min<long long>(times, 1000000)));
  }
}

void ScenarioWorld::TrayRelease(ScenarioArgs& a, bool dry) {
  const std::optional<std::wstring> choice = MenuChoice(a);
  a.End();
  if (dry) return;
  // Pressed somewhere else: the icon hears only the release.
  TrayMessages({0x205}, choice.value_or(L""));
}

}  // namespace qx::sim

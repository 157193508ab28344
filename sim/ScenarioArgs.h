#pragma once
// Reading the words of one scenario step, with errors that name the bad word.

#include <optional>
#include <stdexcept>
#include <string>

#include "base/Text.h"
#include "sim/ScenarioParser.h"
#include "sim/SimBrowser.h"

namespace qx::sim {

struct ScenarioSyntaxError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class ScenarioArgs {
 public:
  explicit ScenarioArgs(const ScenarioLine& line) : line_(line) {}

  const std::wstring& Command() const { return line_.words[0].text; }
  bool More() const { return next_ < line_.words.size(); }
  // The next word, whatever it is.
  const ScenarioWord& Word(const char* what) {
    if (!More()) Fail(std::string("missing ") + what + " after " + ToUtf8(Previous()));
    return line_.words[next_++];
  }
  std::wstring Text(const char* what) { return Word(what).text; }
  // An ID: letters, digits, "-" and "_".
  std::wstring Id(const char* what = "ID") {
    const ScenarioWord& w = Word(what);
    bool ok = !w.text.empty() && !w.quoted;
    for (const wchar_t c : w.text) {
      ok = ok && ((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') ||
                  (c >= L'0' && c <= L'9') || c == L'-' || c == L'_');
    }
    if (!ok) Fail("bad " + std::string(what) + " \"" + ToUtf8(w.text) + "\"");
    return w.text;
  }
  long long Number(const char* what) {
    const ScenarioWord& w = Word(what);
    const auto v = ParseNumber(w.text);
    if (!v || *v != static_cast<double>(static_cast<long long>(*v))) {
      Fail("bad number \"" + ToUtf8(w.text) + "\" for " + what);
    }
    return static_cast<long long>(*v);
  }
  bool YesNo(const char* what = "yes/no") { return Choice(what, {L"yes", L"no"}) == 0; }
  bool OnOff() { return Choice("on/off", {L"on", L"off"}) == 0; }
  // One of the given unquoted keywords; answers its position.
  int Choice(const char* what, std::initializer_list<const wchar_t*> options) {
    const ScenarioWord& w = Word(what);
    int index = 0;
    for (const wchar_t* option : options) {
      if (!w.quoted && w.text == option) return index;
      ++index;
    }
    Fail("bad word \"" + ToUtf8(w.text) + "\" (expected " + what + ")");
  }
  // Consumes the next word when it is this unquoted keyword.
  bool Keyword(const wchar_t* keyword) {
    if (More() && !line_.words[next_].quoted && line_.words[next_].text == keyword) {
      ++next_;
      return true;
    }
    return false;
  }
  bool NextIsQuoted() const { return More() && line_.words[next_].quoted; }
  const std::wstring& Peek() const { return line_.words[next_].text; }
  void End() {
    if (More()) Fail("unexpected word \"" + ToUtf8(line_.words[next_].text) + "\"");
  }
  [[noreturn]] void Bad() { Fail("unexpected word \"" + ToUtf8(line_.words[next_].text) + "\""); }
  [[noreturn]] static void Fail(const std::string& message) { throw ScenarioSyntaxError(message); }

 private:
  std::wstring Previous() const { return next_ == 0 ? L"" : line_.words[next_ - 1].text; }
  const ScenarioLine& line_;
  std::size_t next_ = 1;
};

// A part of the browser window's chrome, as the steps name it.
inline ChromePart ChromePartArg(ScenarioArgs& a) {
  static constexpr ChromePart kParts[] = {ChromePart::ToolBar,     ChromePart::MenuBar,
                                          ChromePart::StatusBar,   ChromePart::FullScreen,
                                          ChromePart::TheaterMode, ChromePart::Resizable};
  return kParts[a.Choice(
      "toolbar, menubar, statusbar, fullscreen, theatermode or resizable",
      {L"toolbar", L"menubar", L"statusbar", L"fullscreen", L"theatermode", L"resizable"})];
}

}  // namespace qx::sim

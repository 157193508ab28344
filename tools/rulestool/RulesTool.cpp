#include "tools/rulestool/RulesTool.h"

#include <optional>
#include <stdexcept>
#include <string>

#include "base/Text.h"
#include "rules/RuleListExport.h"
#include "rules/RuleListImport.h"
#include "rules/Websites.h"
#include "settings/Settings.h"
#include "tools/rulestool/RuleFileAccess.h"

namespace qx::tool {
namespace {

constexpr std::string_view kUsage =
    "usage: quellix-rules import LIST [--into websites.dat]\n"
    "       quellix-rules export [websites.dat]\n"
    "       quellix-rules list [websites.dat]\n"
    "       quellix-rules check [websites.dat] URL...\n"
    "\n"
    "Reads and writes Quellix's website rules, websites.dat (in the current\n"
    "folder unless one is named; for check, a name ending in .dat).\n"
    "  import  adds an always-kill rule for every pop-up site a filter list or a\n"
    "          hosts file names; the rules already there stay as they are\n"
    "  export  writes the always-kill rules as a filter list\n"
    "  list    shows every rule: URL, type, and whether subdomains match\n"
    "  check   tells for each URL what Quellix decides with its default options:\n"
    "          URL, allow yes/no, kill yes/no and the rule that decided\n";

struct Command {
  std::string verb;
  std::filesystem::path rules = "websites.dat";
  std::filesystem::path list;
  std::vector<std::wstring> urls;
};

struct BadArguments : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::string Native(const std::filesystem::path& p) {
  const std::u8string text = p.u8string();
  return std::string(text.begin(), text.end());
}

std::wstring Text(const std::filesystem::path& p) {
  return FromUtf8(Native(p));
}

bool EndsWithDat(const std::filesystem::path& p) {
  return EndsWithNoCase(Text(p), L".dat");
}

Command ParseCommand(const std::vector<std::filesystem::path>& args) {
  if (args.empty()) throw BadArguments("no command given");
  Command command;
  command.verb = Native(args[0]);
  std::vector<std::filesystem::path> words;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string arg = Native(args[i]);
    if (command.verb == "import" && arg == "--into") {
      if (++i == args.size()) throw BadArguments("--into needs a file name");
      command.rules = args[i];
    } else if (arg.starts_with("--")) {
      throw BadArguments("unknown option \"" + arg + "\"");
    } else {
      words.push_back(args[i]);
    }
  }
  if (command.verb == "import") {
    if (words.size() != 1) throw BadArguments("import needs one LIST");
    command.list = words[0];
  } else if (command.verb == "export" || command.verb == "list") {
    if (words.size() > 1) throw BadArguments(command.verb + " takes at most one websites.dat");
    if (!words.empty()) command.rules = words[0];
  } else if (command.verb == "check") {
    std::size_t first = 0;
    if (!words.empty() && EndsWithDat(words[0])) command.rules = words[first++];
    for (std::size_t i = first; i < words.size(); ++i)
      command.urls.push_back(Text(words[i]));
    if (command.urls.empty()) throw BadArguments("check needs at least one URL");
  } else {
    throw BadArguments("unknown command \"" + command.verb + "\"");
  }
  return command;
}

// The rules of one file, loaded by the program's own code, with every
// option at its default.
class LoadedRules {
 public:
  LoadedRules(const std::filesystem::path& file, const AnsiCodec& ansi)
      : files_(file),
        settings_(store_, random_, files_.ProgramFolder()),
        websites_(files_, ansi, settings_, [this]() -> ErrorReporter& {
          throw std::runtime_error("a website rule could not be added");
        }) {}

  Websites& rules() { return websites_; }
  // The file is there, but could not be read: writing it would lose it.
  bool Unreadable() const { return files_.ReadFailed(); }
  bool Save() {
    websites_.Terminate();
    return files_.Written();
  }

 private:
  class Store final : public SettingsStore {
   public:
    std::optional<std::wstring> Get(std::wstring_view, std::wstring_view,
                                    std::wstring_view) override {
      return std::nullopt;
    }
    void Put(std::wstring_view, std::wstring_view, std::wstring_view, std::wstring_view) override {}
    void Delete(std::wstring_view, std::wstring_view, std::wstring_view) override {}
  };
  class Random final : public RandomSource {
   public:
    void Seed(std::uint32_t) override {}
    std::uint32_t Below(std::uint32_t) override { return 0; }
    std::uint32_t SecureBelow(std::uint32_t) override { return 0; }
  };

  RuleFileAccess files_;
  Store store_;
  Random random_;
  Settings settings_;
  Websites websites_;
};

std::string Line(std::wstring_view text) {
  return ToUtf8(text) + "\n";
}

std::wstring_view TypeWord(std::int32_t type) {
  switch (type) {
    case kAllowPopups:
      return L"allow";
    case kDisallowPopups:
      return L"disallow";
    case kAlwaysKill:
    case kAlwaysKillOld:
      return L"kill";
    default:
      return L"none";
  }
}

int Import(const Command& command, const ToolContext& context) {
  const std::optional<std::string> bytes = ReadFileBytes(command.list);
  if (!bytes) {
    context.err << "quellix-rules: cannot read " << Native(command.list) << "\n";
    return kToolFailed;
  }
  LoadedRules loaded(command.rules, context.ansi);
  if (loaded.Unreadable()) {
    context.err << "quellix-rules: cannot read " << Native(command.rules) << "\n";
    return kToolFailed;
  }
  const ImportCounts counts = ImportRuleList(loaded.rules(), *bytes, context.ansi);
  context.out << Line(ImportMessage(counts));
  if (!counts.isList) return kToolFailed;
  if (counts.added > 0 && !loaded.Save()) {
    context.err << "quellix-rules: cannot write " << Native(command.rules) << "\n";
    return kToolFailed;
  }
  return 0;
}

int Show(const Command& command, const ToolContext& context) {
  LoadedRules loaded(command.rules, context.ansi);
  if (loaded.Unreadable()) {
    context.err << "quellix-rules: cannot read " << Native(command.rules) << "\n";
    return kToolFailed;
  }
  const Websites& rules = loaded.rules();
  if (command.verb == "export") {
    const RuleListExport list = ExportRuleList(rules, context.today);
    context.out << list.text;
    if (list.leftOut > 0) context.err << Line(ExportMessage(list));
  } else if (command.verb == "list") {
    for (const Website& rule : rules.WebsiteCollection()) {
      context.out << Line(rule.URL + L"\t" + std::wstring(TypeWord(rule.RuleType)) +
                          (rule.MatchSubdomains ? L"\tsubdomains yes" : L"\tsubdomains no"));
    }
  } else {
    for (const std::wstring& url : command.urls) {
      const bool kill = rules.Kill(url);
      context.out << Line(url + (rules.Allow(url) ? L"\tallow yes" : L"\tallow no") +
                          (kill ? L"\tkill yes\t" : L"\tkill no\t") +
                          (kill ? rules.ExplainKill(url) : rules.ExplainAllow(url)));
    }
  }
  return 0;
}

}  // namespace

int RunRulesTool(const std::vector<std::filesystem::path>& args, const ToolContext& context) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h" || args[0] == "help")) {
    context.out << kUsage;
    return 0;
  }
  Command command;
  try {
    command = ParseCommand(args);
  } catch (const BadArguments& e) {
    context.err << "quellix-rules: " << e.what() << "\n" << kUsage;
    return kBadArguments;
  }
  try {
    return command.verb == "import" ? Import(command, context) : Show(command, context);
  } catch (const std::exception& e) {
    context.err << "quellix-rules: " << e.what() << "\n";
    return kToolFailed;
  }
}

}  // namespace qx::tool

// The Websites tab's "Import..." and "Export...": a filter list or a hosts
// file adds always-kill rules; the always-kill rules go out as a filter
// list.

#include <new>

#include "context/Process.h"
#include "logging/pError.h"
#include "rules/RuleListExport.h"
#include "rules/RuleListImport.h"
#include "ui/OptionsForm.h"

namespace qx {
namespace {

constexpr std::wstring_view kImportSource = L"CmdImportWS";
constexpr std::wstring_view kImportFailed =
    L"An error occurred while trying to import website rules.";
constexpr std::wstring_view kExportSource = L"CmdExportWS";
constexpr std::wstring_view kExportFailed =
    L"An error occurred while trying to export website rules.";
constexpr std::wstring_view kListFilter =
    L"Filter lists and hosts files (*.txt)|*.txt|All files (*.*)|*.*";
// The largest lists in use are a few megabytes; a file far beyond that is
// something else, and reading it whole would only cost memory.
constexpr std::int64_t kMaxListBytes = 64 * 1024 * 1024;

// The next dialog opens in the folder of the file chosen last.
void RememberFolder(FileOpenRequest& request, const std::wstring& chosen) {
  const std::size_t slash = chosen.find_last_of(L"\\/");
  if (slash != std::wstring::npos) request.initialFolder = chosen.substr(0, slash);
}

bool HasAlwaysKillRule(const Websites& websites) {
  for (const WebsiteGroup& group : websites) {
    for (const Website& rule : group) {
      if (rule.RuleType == kAlwaysKill || rule.RuleType == kAlwaysKillOld) return true;
    }
  }
  return false;
}

}  // namespace

template <class F>
void OptionsForm::RuleListTrapped(std::wstring_view source, std::wstring_view message, F&& f) {
  try {
    std::forward<F>(f)();
  } catch (const PlatformError& e) {
    process_.errors().ReportError(source, message, false, MakeError(e));
  } catch (const std::bad_alloc&) {
    process_.errors().ReportError(source, message, false,
                                  MakeError(L"Out of memory", 7, L"Quellix"));
  }
}

void OptionsForm::PrepareRuleListDialogs() {
  importDialog_.title = L"Import Website Rules";
  importDialog_.filter = std::wstring(kListFilter);
  importDialog_.flags = kOfnHideReadOnly | kOfnFileMustExist;
  exportDialog_.title = L"Export Always-Kill Rules";
  exportDialog_.filter = std::wstring(kListFilter);
  exportDialog_.flags = kOfnHideReadOnly | kOfnOverwritePrompt | kOfnPathMustExist;
  exportDialog_.save = true;
  exportDialog_.defaultExtension = L"txt";
  exportDialog_.fileName = L"quellix-rules.txt";
}

void OptionsForm::ImportWebsites() {
  Platform& p = process_.platform();
  std::wstring message;
  RuleListTrapped(kImportSource, kImportFailed, [&] {
    const std::optional<std::wstring> chosen = fileOpen_.Show(importDialog_);
    if (!chosen || chosen->empty()) return;
    RememberFolder(importDialog_, *chosen);
    if (p.files.Size(*chosen) > kMaxListBytes) {
      message = L"The file is too large for a filter list or a hosts file; nothing was imported.";
      return;
    }
    const std::string bytes = p.files.ReadAll(*chosen);
    message = ImportMessage(ImportRuleList(process_.websites(), bytes, p.ansi));
  });
  RefreshWSList();
  if (!message.empty()) Step([&] { p.messages.ShowMessage(message, L"Quellix"); });
}

void OptionsForm::ExportWebsites() {
  Platform& p = process_.platform();
  std::wstring message;
  RuleListTrapped(kExportSource, kExportFailed, [&] {
    if (!HasAlwaysKillRule(process_.websites())) {
      message = L"There are no always-kill rules to export.";
      return;
    }
    const std::optional<std::wstring> chosen = fileOpen_.Show(exportDialog_);
    if (!chosen || chosen->empty()) return;
    RememberFolder(exportDialog_, *chosen);
    const RuleListExport list = ExportRuleList(process_.websites(), p.clock.Now());
    p.files.WriteAll(*chosen, list.text);
    message = ExportMessage(list);
  });
  if (!message.empty()) Step([&] { p.messages.ShowMessage(message, L"Quellix"); });
}

}  // namespace qx

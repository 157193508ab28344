#pragma once
// A dialog template built in memory (DLGTEMPLATE and its items), for the few
// small dialogs that have no resource script yet.

#include <windows.h>

#include <string_view>
#include <vector>

namespace qx::win {

class DialogTemplate {
 public:
  enum class Kind : WORD { Button = 0x0080, Edit = 0x0081, Static = 0x0082 };

  // Dialog units; the font is "MS Shell Dlg", 8 points.
  DialogTemplate(std::wstring_view title, short width, short height, DWORD style);
  void Add(Kind kind, WORD id, std::wstring_view text, short x, short y, short width, short height,
           DWORD style);
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void Word(WORD w) { words_.push_back(w); }
  void DoubleWord(DWORD d);
  void Text(std::wstring_view text);
  void AlignToDoubleWord();

  std::vector<WORD> words_;
};

}  // namespace qx::win

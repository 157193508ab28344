#include "win32/ports/DialogTemplate.h"

namespace qx::win {

DialogTemplate::DialogTemplate(std::wstring_view title, short width, short height, DWORD style) {
  DoubleWord(style | DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
  DoubleWord(0);  // extended style
  Word(0);        // item count, counted up by Add
  Word(0);
  Word(0);
  Word(static_cast<WORD>(width));
  Word(static_cast<WORD>(height));
  Word(0);  // no menu
  Word(0);  // the standard dialog class
  Text(title);
  Word(8);
  Text(L"MS Shell Dlg");
}

void DialogTemplate::DoubleWord(DWORD d) {
  Word(LOWORD(d));
  Word(HIWORD(d));
}

void DialogTemplate::Text(std::wstring_view text) {
  for (const wchar_t c : text)
    Word(static_cast<WORD>(c));
  Word(0);
}

void DialogTemplate::AlignToDoubleWord() {
  if (words_.size() % 2 != 0) Word(0);
}

void DialogTemplate::Add(Kind kind, WORD id, std::wstring_view text, short x, short y, short width,
                         short height, DWORD style) {
  AlignToDoubleWord();
  DoubleWord(style | WS_CHILD | WS_VISIBLE);
  DoubleWord(0);
  Word(static_cast<WORD>(x));
  Word(static_cast<WORD>(y));
  Word(static_cast<WORD>(width));
  Word(static_cast<WORD>(height));
  Word(id);
  Word(0xFFFF);
  Word(static_cast<WORD>(kind));
  Text(text);
  Word(0);  // no creation data
  ++words_[4];
}

}  // namespace qx::win

// In-memory dialog templates, so the stand-in needs no resource file.
#include "standin.h"

namespace {

// Predefined control classes in a template's class field.
const WORD ATOM_BUTTON = 0x0080;
const WORD ATOM_STATIC = 0x0082;

}  // namespace

DialogTemplate::DialogTemplate(DWORD style, short cx, short cy, const char* fontName,
                               WORD pointSize) {
  DLGTEMPLATE header = {};
  header.style = style | DS_SETFONT;
  header.cx = cx;
  header.cy = cy;
  const WORD* raw = reinterpret_cast<const WORD*>(&header);
  words_.assign(raw, raw + sizeof header / sizeof(WORD));
  words_.push_back(0);  // no menu
  words_.push_back(0);  // the dialog class
  words_.push_back(0);  // no title: set with SetWindowTextA afterwards
  words_.push_back(pointSize);
  AddText(fontName);
}

void DialogTemplate::AddText(const char* text) {
  for (const char* p = text; *p != '\0'; ++p) words_.push_back(static_cast<unsigned char>(*p));
  words_.push_back(0);
}

void DialogTemplate::Align() {
  // Items start on a DWORD boundary; the vector's storage itself is aligned.
  if (words_.size() % 2 != 0) words_.push_back(0);
}

void DialogTemplate::AddItem(WORD classAtom, int id, const char* text, DWORD style, short x,
                             short y, short cx, short cy) {
  Align();
  DLGITEMTEMPLATE item = {};
  item.style = style | WS_CHILD | WS_VISIBLE;
  item.x = x;
  item.y = y;
  item.cx = cx;
  item.cy = cy;
  item.id = static_cast<WORD>(id);
  const WORD* raw = reinterpret_cast<const WORD*>(&item);
  words_.insert(words_.end(), raw, raw + sizeof item / sizeof(WORD));
  words_.push_back(0xFFFF);
  words_.push_back(classAtom);
  AddText(text);
  words_.push_back(0);  // no creation data
  ++count_;
}

void DialogTemplate::AddStatic(int id, const char* text, short x, short y, short cx, short cy,
                               DWORD style) {
  AddItem(ATOM_STATIC, id, text, style | SS_LEFT | SS_NOPREFIX, x, y, cx, cy);
}

void DialogTemplate::AddButton(int id, const char* text, short x, short y, short cx, short cy,
                               DWORD style) {
  AddItem(ATOM_BUTTON, id, text, style | BS_PUSHBUTTON | WS_TABSTOP, x, y, cx, cy);
}

const DLGTEMPLATE* DialogTemplate::Get() {
  DLGTEMPLATE* header = reinterpret_cast<DLGTEMPLATE*>(words_.data());
  header->cdit = count_;
  return header;
}

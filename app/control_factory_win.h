// Turns the layout table into windows at the window's resolution: the
// Win32 class and styles of each kind of control, its place scaled from
// twips, and the fonts and brushes it is drawn with, each made once for a
// resolution and kept.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <tuple>

#include "platform/handles_win.h"
#include "screen/colours.h"
#include "screen/layout.h"

namespace fendrel {

// Frames, picture boxes and the About icon: a small window that paints its
// look and passes its children's notifications on to the main window.
inline constexpr const wchar_t* kPanelClass = L"FendrelPanel";

class ControlFactory {
  struct FontKey {
    std::string face;
    int hundredths;
    bool bold, underline;
    bool operator<(const FontKey& other) const {
      return std::tie(face, hundredths, bold, underline) <
             std::tie(other.face, other.hundredths, other.bold, other.underline);
    }
  };
  using Fonts = std::map<FontKey, UniqueFont>;

 public:
  // The fonts of a resolution left behind, alive while this lives.
  class OldFonts {
   public:
    explicit OldFonts(Fonts fonts) : fonts_(std::move(fonts)) {}

   private:
    Fonts fonts_;
  };

  int dpi() const { return dpi_; }
  void SetDpi(int dpi) { dpi_ = dpi; }
  // A new resolution: fonts are made afresh for it. The fonts of the old
  // one are returned, to be kept until every control has its new one.
  OldFonts ChangeDpi(int dpi);

  // Makes the window of a row at its place as a child of `parent`;
  // `createParam` reaches a panel's WM_NCCREATE. Null if it could not be made.
  HWND Create(const ControlSpec& row, HWND parent, HINSTANCE instance, void* createParam);
  // Sets a control's font and place for the resolution and returns the
  // place; `atItsPlace`: it was made at its place just now.
  RECT LayOut(const ControlSpec& row, HWND control, bool atItsPlace);
  // A row's place in its container, in pixels (a page's frame: the place of
  // the pages).
  RECT PlaceOf(const ControlSpec& row) const;
  HFONT FontFor(const Font& font);
  HBRUSH BrushFor(Rgb colour);

 private:
  int dpi_ = 96;
  Fonts fonts_;
  std::map<std::string, std::wstring> faces_;  // wanted face -> face in use
  std::map<COLORREF, UniqueBrush> brushes_;
};

}  // namespace fendrel

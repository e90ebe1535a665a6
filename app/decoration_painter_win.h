// What the main window paints itself: the purely decorative parts of the
// layout table (the banner with the version on it, the strip and the grey
// panel of the menu, its title, the place beneath the pages), bottom first,
// beneath every control; its panels (frames, pictures, the About icon) and
// its white buttons. The decorative parts are drawn rather than made as
// control windows, which keeps the start short: every child window costs
// its creation and, under Wine, a device context of its own when the window
// first shows.
#pragma once

#include <windows.h>

#include "app/control_factory_win.h"
#include "app/page_controls_win.h"
#include "platform/handles_win.h"
#include "screen/colours.h"
#include "screen/layout.h"

namespace fendrel {

class DecorationPainter {
 public:
  // `factory`: the places, fonts and brushes of the window's resolution.
  explicit DecorationPainter(ControlFactory& factory) : factory_(factory) {}
  // Where the pictures are loaded from.
  void SetInstance(HINSTANCE instance) { instance_ = instance; }

  // WM_PAINT and WM_PRINTCLIENT of the window: the decorative parts.
  void Paint(HWND window);
  void PrintClient(HWND window, HDC dc, LPARAM what);
  // WM_PAINT of a panel, which is `made` (null: not one of the window's controls).
  void PaintPanel(HWND panel, const PageControls::Made* made);
  // A white button: white face, raised edge (sunken while pressed), the
  // caption centred.
  void PaintWhiteButton(const DRAWITEMSTRUCT& item);
  // The About icon's size in pixels, for the window's resolution.
  void FitAboutIcon(int size);

 private:
  // The decorative parts of the table, bottom first.
  void PaintDecorations(HDC dc);
  // A frame in a box: an etched border with the caption set into its top edge.
  void PaintFrame(HDC dc, const RECT& box, const ControlSpec& row, Rgb text);
  // A picture at its own size, scaled with the resolution, from the box's corner.
  void PaintPicture(HDC dc, const RECT& box, HBITMAP picture) const;
  // The banner's or the strip's bitmap, loaded when first painted; null if missing.
  HBITMAP PictureOf(int id);
  void PaintDecoration(HDC dc, const ControlSpec& row, const RECT& place);
  void LoadPictures();

  ControlFactory& factory_;
  HINSTANCE instance_ = nullptr;
  UniqueBitmap banner_, strip_;
  bool picturesLoaded_ = false;
  UniqueIcon aboutIcon_;
};

}  // namespace fendrel

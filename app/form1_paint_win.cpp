// Form1's painting: its background and decorative parts (through the
// DecorationPainter), the colours of its controls, its white buttons and
// the panels (frames, pictures, the About icon).
#include <string>

#include "app/form1_win.h"
#include "app/window_text_win.h"
#include "platform/drawing_win.h"
#include "platform/wide_text_win.h"
#include "screen/colours_win.h"
#include "screen/control_ids.h"

namespace fendrel {

void Form1::OnPaint() {
  const Painting painting(hwnd_);
  painter_.PaintDecorations(painting.dc());
}

void Form1::OnPrintClient(HDC dc, LPARAM what) {
  if (what & PRF_ERASEBKGND) {
    RECT client;
    GetClientRect(hwnd_, &client);
    FillRect(dc, &client, factory_.BrushFor(kWhite));  // the class's background
  }
  if (what & PRF_CLIENT) painter_.PaintDecorations(dc);
}

// --- Painting.

LRESULT Form1::OnCtlColor(HDC dc, HWND control) {
  const PageControls::Made* created = controls_.Find(control);
  if (!created) return 0;
  const ControlSpec& row = *created->row;
  if (row.kind == Kind::Button && !row.Has(kWhiteButton)) return 0;  // the system's button colours
  SetTextColor(dc, ToColorRef(created->text));
  if (!created->back) {
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
  }
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, ToColorRef(*created->back));
  return reinterpret_cast<LRESULT>(factory_.BrushFor(*created->back));
}

void Form1::OnDrawItem(const DRAWITEMSTRUCT& item) {
  if (item.CtlType == ODT_LISTBOX) {
    listPages_.DrawEntry(item);
    return;
  }
  // A white button: white face, raised edge (sunken while pressed), the
  // caption centred; "&&" shows as one "&" as on every other button.
  if (item.CtlType != ODT_BUTTON) return;
  HDC dc = item.hDC;
  RECT rect = item.rcItem;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  FillRect(dc, &rect, factory_.BrushFor(kWhite));
  DrawEdge(dc, &rect, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  const std::wstring caption = WideWindowText(item.hwndItem);
  {
    const Selection font(dc, reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor((item.itemState & ODS_DISABLED) ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    RECT text = rect;
    if (pressed) OffsetRect(&text, 1, 1);
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  if (item.itemState & ODS_FOCUS) {
    RECT focus = rect;
    const int inset = MulDiv(3, factory_.dpi(), 96);
    InflateRect(&focus, -inset, -inset);
    DrawFocusRect(dc, &focus);
  }
}

void Form1::PaintPanel(HWND panel) {
  const Painting painting(panel);
  HDC dc = painting.dc();
  RECT client;
  GetClientRect(panel, &client);
  const PageControls::Made* created = controls_.Find(panel);
  const ControlSpec* row = created ? created->row : nullptr;
  FillRect(dc, &client, factory_.BrushFor(created && created->back ? *created->back : kWhite));
  if (row && row->kind == Kind::Frame) {
    painter_.PaintFrame(dc, client, *row, created->text);
  } else if (row && row->kind == Kind::Picture) {
    painter_.PaintPicture(dc, client, painter_.PictureOf(row->id));
  } else if (row && row->kind == Kind::Image && aboutIcon_) {
    DrawIconEx(dc, 0, 0, aboutIcon_.get(), client.right, client.bottom, 0, nullptr, DI_NORMAL);
  }
}

bool Form1::OnSetCursor(HWND under) {
  if (!under || under != controls_.Existing(ctl::kWebLink)) return false;
  SetCursor(LoadCursor(nullptr, IDC_HAND));
  return true;
}

}  // namespace fendrel

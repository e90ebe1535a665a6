// Form1's own painting: the purely decorative parts of the layout table (the
// banner with the version on it, the strip and the grey panel of the menu,
// its title, the place beneath the pages). They are drawn by the window
// beneath its controls rather than made as control windows, which keeps the
// start short: every child window costs its creation and, under Wine, a
// device context of its own when the window first shows. Also the colours
// of its controls, its white buttons and the panels (frames, pictures, the
// About icon).
#include <span>
#include <string>

#include "app/form1_win.h"
#include "app/window_text_win.h"
#include "platform/drawing_win.h"
#include "platform/wide_text_win.h"
#include "resources/resource_ids.h"
#include "ui/colours_win.h"
#include "ui/control_ids.h"

namespace fendrel {

namespace {

// How a static control lays out its caption (SS_CENTER, SS_LEFTNOWORDWRAP,
// SS_LEFT), so a painted label looks as the control did.
UINT LabelFormat(const ControlSpec& row) {
  if (row.Has(kCentred)) return DT_CENTER | DT_EXPANDTABS | DT_WORDBREAK;
  if (row.Has(kSizedToText)) return DT_LEFT | DT_EXPANDTABS;
  return DT_LEFT | DT_EXPANDTABS | DT_WORDBREAK;
}

}  // namespace

void Form1::OnPaint() {
  const Painting painting(hwnd_);
  PaintDecorations(painting.dc());
}

void Form1::OnPrintClient(HDC dc, LPARAM what) {
  if (what & PRF_ERASEBKGND) {
    RECT client;
    GetClientRect(hwnd_, &client);
    FillRect(dc, &client, factory_.BrushFor(kWhite));  // the class's background
  }
  if (what & PRF_CLIENT) PaintDecorations(dc);
}

void Form1::PaintDecorations(HDC dc) {
  const std::span<const ControlSpec> rows = Controls();
  // The table runs from the top of the z-order down: the bottom is painted first.
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
    if (!row->Has(kPainted) || row->container != kOnWindow) continue;
    const RECT place = factory_.PlaceOf(*row);
    PaintDecoration(dc, *row, place);
    if (row->id != ctl::kBanner) continue;
    // What lies in the banner, on it.
    for (auto inner = rows.rbegin(); inner != rows.rend(); ++inner) {
      if (inner->container != kInBanner) continue;
      RECT at = factory_.PlaceOf(*inner);
      OffsetRect(&at, place.left, place.top);
      PaintDecoration(dc, *inner, at);
    }
  }
}

void Form1::PaintDecoration(HDC dc, const ControlSpec& row, const RECT& place) {
  const SavedState saved(dc);
  // The colour a control of this row would have filled its box with.
  const std::optional<Rgb> back = row.Has(kOpaque) ? std::optional<Rgb>(row.back) : Backdrop(row);
  if (row.kind == Kind::Label) {
    const Selection font(dc, factory_.FontFor(row.font));
    const std::wstring caption = Wide(row.caption);
    RECT box = place;
    if (row.Has(kSizedToText)) {
      SIZE extent{};
      GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
      box.right = box.left + extent.cx;
      box.bottom = box.top + extent.cy;
    }
    IntersectClipRect(dc, box.left, box.top, box.right, box.bottom);
    if (back) FillRect(dc, &box, factory_.BrushFor(*back));
    if (caption.empty()) return;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ToColorRef(row.text));
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &box, LabelFormat(row));
    return;
  }
  if (!RectVisible(dc, &place)) return;  // nothing of it is being painted
  IntersectClipRect(dc, place.left, place.top, place.right, place.bottom);
  FillRect(dc, &place, factory_.BrushFor(back.value_or(kWhite)));
  if (row.kind == Kind::Picture) PaintPicture(dc, place, PictureOf(row.id));
  if (row.kind == Kind::Frame) PaintFrame(dc, place, row, row.text);
}

void Form1::PaintFrame(HDC dc, const RECT& box, const ControlSpec& row, Rgb text) {
  const Selection font(dc, factory_.FontFor(row.font));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  RECT border = box;
  border.top += metrics.tmHeight / 2;
  DrawEdge(dc, &border, EDGE_ETCHED, BF_RECT);
  const std::wstring caption = Wide(row.caption);
  if (caption.empty()) return;
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, ToColorRef(kWhite));
  SetTextColor(dc, ToColorRef(text));
  const int indent = MulDiv(8, factory_.dpi(), 96);
  const std::wstring padded = L" " + caption + L" ";
  TextOutW(dc, box.left + indent, box.top, padded.c_str(), static_cast<int>(padded.size()));
}

void Form1::PaintPicture(HDC dc, const RECT& box, HBITMAP picture) const {
  BITMAP info{};
  if (!picture || !GetObjectW(picture, sizeof info, &info)) return;
  const MemoryDC source(dc);
  const Selection selected(source.get(), picture);
  SetStretchBltMode(dc, HALFTONE);
  SetBrushOrgEx(dc, box.left, box.top, nullptr);
  StretchBlt(dc, box.left, box.top, MulDiv(info.bmWidth, factory_.dpi(), 96),
             MulDiv(info.bmHeight, factory_.dpi(), 96), source.get(), 0, 0, info.bmWidth, info.bmHeight,
             SRCCOPY);
}

HBITMAP Form1::PictureOf(int id) {
  // Loaded once, when first painted: the window shows without waiting for them.
  if (!picturesLoaded_) {
    picturesLoaded_ = true;
    LoadPictures();
  }
  if (id == ctl::kBanner) return banner_.get();
  if (id == ctl::kMenuStrip) return strip_.get();
  return nullptr;
}

// --- Painting.

LRESULT Form1::OnCtlColor(HDC dc, HWND control) {
  const Created* created = Find(control);
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
    if (const ListPage* page = ListPageOf(static_cast<int>(item.CtlID))) page->DrawEntry(item);
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
  const Created* created = Find(panel);
  const ControlSpec* row = created ? created->row : nullptr;
  FillRect(dc, &client, factory_.BrushFor(created && created->back ? *created->back : kWhite));
  if (row && row->kind == Kind::Frame) {
    PaintFrame(dc, client, *row, created->text);
  } else if (row && row->kind == Kind::Picture) {
    PaintPicture(dc, client, PictureOf(row->id));
  } else if (row && row->kind == Kind::Image && aboutIcon_) {
    DrawIconEx(dc, 0, 0, aboutIcon_.get(), client.right, client.bottom, 0, nullptr, DI_NORMAL);
  }
}

bool Form1::OnSetCursor(HWND under) {
  if (!under || under != Existing(ctl::kWebLink)) return false;
  SetCursor(LoadCursor(nullptr, IDC_HAND));
  return true;
}

void Form1::LoadPictures() {
  // Missing pictures draw nothing: the window works without its artwork.
  banner_.reset(static_cast<HBITMAP>(
      LoadImageW(instance_, MAKEINTRESOURCEW(IDB_BANNER), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  strip_.reset(static_cast<HBITMAP>(
      LoadImageW(instance_, MAKEINTRESOURCEW(IDB_STRIP), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

}  // namespace fendrel

#include "app/control_factory_win.h"

#include "app/controls_win.h"
#include "app/list_box_control_win.h"
#include "platform/drawing_win.h"
#include "platform/function_lookup_win.h"
#include "platform/start_steps.h"
#include "platform/wide_text_win.h"
#include "screen/colours_win.h"
#include "screen/control_ids.h"

namespace fendrel {

namespace {

// True when the font mapper, asked for this face, uses it: the face is
// installed. Asking the mapper costs less than enumerating the face's fonts,
// which under Wine opens each of them.
bool FaceInstalled(HDC dc, const std::wstring& face) {
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(wanted.lfFaceName, face.c_str(), LF_FACESIZE);
  const UniqueFont font(CreateFontIndirectW(&wanted));
  const Selection selected(dc, font.get());
  wchar_t used[LF_FACESIZE] = {};
  return GetTextFaceW(dc, LF_FACESIZE, used) > 0 && lstrcmpiW(used, face.c_str()) == 0;
}

// The Win32 class and styles of a kind of control.
struct WindowKind {
  const wchar_t* className;
  DWORD style;
  DWORD exStyle;
};

WindowKind WindowKindOf(const ControlSpec& row) {
  switch (row.kind) {
    case Kind::Label: {
      DWORD style = row.Has(kCentred) ? SS_CENTER : row.Has(kSizedToText) ? SS_LEFTNOWORDWRAP : SS_LEFT;
      if (row.Has(kClickable)) style |= SS_NOTIFY;
      return {L"STATIC", style, 0};
    }
    case Kind::Button:
      return {L"BUTTON",
              static_cast<DWORD>(WS_TABSTOP | (row.Has(kWhiteButton) ? BS_OWNERDRAW : BS_PUSHBUTTON)), 0};
    case Kind::TextBox:
      return {L"EDIT",
              static_cast<DWORD>(WS_TABSTOP | ES_AUTOHSCROLL | (row.Has(kReadOnly) ? ES_READONLY : 0)),
              WS_EX_CLIENTEDGE};
    case Kind::PasswordBox: return {L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL | ES_PASSWORD, WS_EX_CLIENTEDGE};
    case Kind::MultiLineText:
      return {L"EDIT", WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY,
              WS_EX_CLIENTEDGE};
    case Kind::ListBox: {
      DWORD style = WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
      // Drawn by the window, entry by entry; the strings stay in the list,
      // so LB_GETTEXT still reads each entry's path.
      if (row.Has(kEntryStates)) style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
      return {L"LISTBOX", style, WS_EX_CLIENTEDGE};
    }
    case Kind::CheckBox: return {L"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, 0};
    case Kind::Picture:
    case Kind::Image: return {kPanelClass, 0, 0};
    case Kind::Frame: return {kPanelClass, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
  }
  return {L"STATIC", 0, 0};
}

// A check box drawn with visual styles paints its caption in the theme's
// colour and ignores the one WM_CTLCOLORSTATIC sets, so the switch's green
// ON and red OFF would be lost on Windows: it is drawn without a theme,
// whether or not uxtheme was loaded before it was made.
void DrawWithoutTheme(HWND control) {
  // A blank names no theme class, so none applies. (The empty text means
  // the same on Windows, but Wine refuses it.) Where Windows has no
  // uxtheme, nothing is themed anyway.
  SetWindowThemeOf(control, L" ", L" ");
}

// A control whose window is all client area: no border, no scroll bar.
bool HasNoFrame(HWND control) {
  RECT window, client;
  GetWindowRect(control, &window);
  GetClientRect(control, &client);
  return window.right - window.left == client.right && window.bottom - window.top == client.bottom;
}

// Labels, buttons and the check box. When the window first shows, Wine sends
// every child WM_NCPAINT and the default handling takes a device context to
// paint the frame; a control without one has nothing to paint there.
LRESULT CALLBACK SkipEmptyFrame(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCPAINT && HasNoFrame(control)) return 0;
  // Everything else goes to the control's own procedure, its class's.
  const auto own = reinterpret_cast<WNDPROC>(GetClassLongPtrW(control, GCLP_WNDPROC));
  return CallWindowProcW(own, control, message, wParam, lParam);
}

}  // namespace

ControlFactory::OldFonts ControlFactory::ChangeDpi(int dpi) {
  dpi_ = dpi;
  OldFonts old(std::move(fonts_));
  fonts_.clear();
  return old;
}

HWND ControlFactory::Create(const ControlSpec& row, HWND parent, HINSTANCE instance, void* createParam) {
  const WindowKind kind = WindowKindOf(row);
  DWORD style = WS_CHILD | kind.style;
  if (!row.Has(kHidden)) style |= WS_VISIBLE;
  if (row.Has(kDisabled)) style |= WS_DISABLED;
  style |= WS_CLIPSIBLINGS;
  const RECT place = PlaceOf(row);
  HWND control =
      CreateWindowExW(kind.exStyle, kind.className, Wide(row.caption).c_str(), style, place.left, place.top,
                      place.right - place.left, place.bottom - place.top, parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), instance, createParam);
  if (!control) return nullptr;
  if (row.kind == Kind::PasswordBox) SendMessageW(control, EM_SETPASSWORDCHAR, '*', 0);
  if (row.kind == Kind::CheckBox) DrawWithoutTheme(control);
  if (row.kind == Kind::Label || row.kind == Kind::Button || row.kind == Kind::CheckBox) {
    SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SkipEmptyFrame));
  }
  return control;
}

RECT ControlFactory::LayOut(const ControlSpec& row, HWND control, bool atItsPlace) {
  HFONT font = FontFor(row.font);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (row.Has(kEntryStates)) ListBoxControl(control).FitItemHeight(font);
  RECT place = PlaceOf(row);
  if (row.Has(kSizedToText)) {
    const WindowDC dc(control);
    const Selection selected(dc.get(), font);
    const std::wstring text = Label(control).Text();
    SIZE extent{};
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
    place.right = place.left + extent.cx;
    place.bottom = place.top + extent.cy;
  }
  // A control made just now at its place keeps it; a label sized to its
  // text takes the text's size.
  if (!atItsPlace || row.Has(kSizedToText)) {
    SetWindowPos(control, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return place;
}

RECT ControlFactory::PlaceOf(const ControlSpec& row) const {
  const bool page = row.kind == Kind::Frame && row.id != ctl::kPagePlace;
  const ControlSpec& place = page ? FramePosition() : row;
  const int left = TwipsToPixels(place.left, dpi_), top = TwipsToPixels(place.top, dpi_);
  return {left, top, left + TwipsToPixels(place.width, dpi_), top + TwipsToPixels(place.height, dpi_)};
}

HFONT ControlFactory::FontFor(const Font& font) {
  const FontKey key{font.face, font.hundredthsOfPoint, font.bold, font.underline};
  auto found = fonts_.find(key);
  if (found != fonts_.end()) return found->second.get();
  const StartStep step("fonts");
  auto face = faces_.find(font.face);
  if (face == faces_.end()) {
    std::wstring chosen = Wide(font.face);  // let the font mapper choose when no candidate is installed
    const MemoryDC probe(nullptr);
    for (const char* candidate : FaceCandidates(font.face)) {
      if (FaceInstalled(probe.get(), Wide(candidate))) {
        chosen = Wide(candidate);
        break;
      }
    }
    face = faces_.emplace(font.face, chosen).first;
  }
  LOGFONTW logical{};
  logical.lfHeight = -MulDiv(font.hundredthsOfPoint, dpi_, 7200);
  logical.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
  logical.lfUnderline = font.underline ? TRUE : FALSE;
  logical.lfCharSet = DEFAULT_CHARSET;
  logical.lfQuality = CLEARTYPE_QUALITY;
  lstrcpynW(logical.lfFaceName, face->second.c_str(), LF_FACESIZE);
  UniqueFont created(CreateFontIndirectW(&logical));
  HFONT handle = created.get();
  fonts_.emplace(key, std::move(created));
  return handle;
}

HBRUSH ControlFactory::BrushFor(Rgb colour) {
  const COLORREF ref = ToColorRef(colour);
  auto found = brushes_.find(ref);
  if (found == brushes_.end()) found = brushes_.emplace(ref, UniqueBrush(CreateSolidBrush(ref))).first;
  return found->second.get();
}

}  // namespace fendrel

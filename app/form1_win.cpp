#include "app/form1_win.h"

#include <dbt.h>
#include <windowsx.h>

#include <algorithm>

#include "platform/drawing_win.h"
#include "platform/function_lookup_win.h"
#include "platform/wide_text_win.h"
#include "resources/resource_ids.h"
#include "ui/colours_win.h"
#include "ui/control_ids.h"
#include "ui/messages.h"

namespace fendrel {

namespace {

constexpr const wchar_t* kWindowClass = Form1::kWideClassName;
// Frames, picture boxes and the About icon: a small window that paints its
// look and passes its children's notifications on to Form1.
constexpr const wchar_t* kPanelClass = L"FendrelPanel";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;

// The resolution of a window: its own where Windows knows it (10 and later,
// and Wine), else the screen's.
int DpiOf(HWND hwnd) {
  const UINT dpi = DpiForWindow(hwnd);
  if (dpi != 0) return static_cast<int>(dpi);
  const WindowDC screen(nullptr);
  const int screenDpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
  return screenDpi > 0 ? screenDpi : 96;
}

// The layout's client area at a resolution.
SIZE ClientSizeAt(int dpi) {
  return {TwipsToPixels(kClientWidthTwips, dpi), TwipsToPixels(kClientHeightTwips, dpi)};
}

// The outer size of a window whose client area is `client` at a resolution.
SIZE WindowSizeFor(SIZE client, int dpi) {
  RECT rect{0, 0, client.cx, client.cy};
  if (!AdjustWindowRectForDpi(rect, kWindowStyle, kWindowExStyle, dpi)) {
    AdjustWindowRectEx(&rect, kWindowStyle, FALSE, kWindowExStyle);
  }
  return {rect.right - rect.left, rect.bottom - rect.top};
}

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

HICON ProgramIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
  return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_FENDREL), IMAGE_ICON,
                                       GetSystemMetrics(widthMetric), GetSystemMetrics(heightMetric), 0));
}

void RegisterClasses(HINSTANCE instance, WNDPROC windowProc, WNDPROC panelProc) {
  WNDCLASSEXW window{};
  window.cbSize = sizeof window;
  window.lpfnWndProc = windowProc;
  window.hInstance = instance;
  window.hCursor = LoadCursor(nullptr, IDC_ARROW);
  // The program's icon as the class's: the window has it from its creation,
  // with no WM_SETICON to send. Loaded once, it lasts as long as the class:
  // the rest of the process.
  static const HICON big = ProgramIcon(instance, SM_CXICON, SM_CYICON);
  static const HICON small = ProgramIcon(instance, SM_CXSMICON, SM_CYSMICON);
  window.hIcon = big;
  window.hIconSm = small;
  window.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  window.lpszClassName = kWindowClass;
  RegisterClassExW(&window);  // fails harmlessly when already registered

  WNDCLASSEXW panel{};
  panel.cbSize = sizeof panel;
  panel.lpfnWndProc = panelProc;
  panel.hInstance = instance;
  panel.hCursor = LoadCursor(nullptr, IDC_ARROW);
  panel.lpszClassName = kPanelClass;
  RegisterClassExW(&panel);
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
    case Kind::Picture: return {kPanelClass, 0, 0};
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

// The page a control belongs to: the page of a page's frame or of a control
// on it; kNoPage for the window's own controls.
constexpr int kNoPage = -1;
int PageOf(const ControlSpec& row) {
  if (row.container >= 0) return row.container;
  if (row.kind == Kind::Frame && row.id != ctl::kPagePlace) return row.id - ctl::kPageFrameBase;
  return kNoPage;
}

// A caption as the person sees it: without its leading and trailing blanks,
// "&&" as one "&".
std::string SeenCaption(std::string caption) {
  const std::size_t first = caption.find_first_not_of(' ');
  caption.erase(0, first == std::string::npos ? caption.size() : first);
  caption.erase(caption.find_last_not_of(' ') + 1);
  for (std::size_t at = caption.find("&&"); at != std::string::npos; at = caption.find("&&", at + 1)) {
    caption.erase(at, 1);
  }
  return caption;
}

std::wstring WideWindowText(HWND hwnd) {
  if (!hwnd) return {};
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  const int length = GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
  return text;
}

// A control's text as shown, for captions and messages.
std::string WindowText(HWND hwnd) {
  return Narrow(WideWindowText(hwnd));
}

}  // namespace

Form1::Form1(Form1Services services, AccessLevel& access, FileLayer& files, std::string programFolder,
             bool silent)
    : boxes_(services.boxes),
      files_(files),
      windowCreated_(std::move(services.windowCreated)),
      picker_(services.picker),
      browser_(services.browser),
      access_(access),
      background_(files.files(),
                  [this] {
                    // On the worker: only a message to the window.
                    if (HWND window = notifyWindow_.load()) PostMessageW(window, kOpensFinishedMessage, 0, 0);
                  }),
      protection_(files, programFolder, &background_),
      editing_(protection_, services.boxes, services.picker),
      emergency_(protection_, services.boxes),
      passwords_(files, services.systemFolder, services.boxes),
      passwordPages_(passwords_, access, services.boxes, *this),
      switch_(services.registry, services.boxes, programFolder),
      silent_(silent),
      failures_(
          services.boxes,
          [this](int id) -> std::optional<std::string> {
            const Created* control = Find(id);
            if (!control) return std::nullopt;
            return SeenCaption(*control->row->caption ? control->row->caption : WindowText(control->hwnd));
          }),
      listPages_{{
          {kListPages[0], *this, protection_, editing_, states_, services.boxes, tip_, failures_},
          {kListPages[1], *this, protection_, editing_, states_, services.boxes, tip_, failures_},
      }} {}

Form1::~Form1() {
  if (hwnd_) DestroyWindow(hwnd_);
}

bool Form1::Create(HINSTANCE instance) {
  instance_ = instance;
  RegisterClasses(instance, &Form1::WindowProc, &Form1::PanelProc);
  // Made at its size for the screen's resolution; WM_CREATE corrects it
  // should the window's own differ, and centres it.
  const int dpi = DpiOf(nullptr);
  const SIZE outer = WindowSizeFor(ClientSizeAt(dpi), dpi);
  CreateWindowExW(kWindowExStyle, kWindowClass, Wide(messages::kWindowCaption).c_str(), kWindowStyle,
                  CW_USEDEFAULT, CW_USEDEFAULT, outer.cx, outer.cy, nullptr, nullptr, instance, this);
  if (!hwnd_) return false;
  WireHandlers();
  Load();
  return true;
}

// --- The window procedures: decode, call one handler, let nothing escape.

LRESULT CALLBACK Form1::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Form1*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    self->failures_.SetWindow(hwnd);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Form1*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->notifyWindow_ = nullptr;
    self->failures_.SetWindow(nullptr);
    self->hwnd_ = nullptr;
    self->controls_.clear();
    self->builtPages_.clear();
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  try {
    return self->HandleMessage(message, wParam, lParam);
  } catch (...) {
    // Nothing may unwind into user32: the handling stops here.
    if (message == WM_CREATE) return -1;  // no half-built window: Create fails and says so
    self->failures_.Report(message, wParam, std::current_exception());
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

LRESULT Form1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == TrayIcon::TaskbarCreatedMessage()) {
    tray_.OnTaskbarCreated();
    return 0;
  }
  if (message == BringForwardMessage()) {
    LoadFormAgain();
    return 0;
  }
  switch (message) {
    case FailureReporter::kShowMessage: failures_.ShowReport(); return 0;
    case kHealMessage:
    case kOpensFinishedMessage: Heal(); return 0;
    case WM_TIMER:
      if (wParam == kRetryTimer) OnRetryTimer();
      return 0;
    case WM_DEVICECHANGE:
      // A drive that arrives (a USB stick, a network drive mapped) may hold a listed file.
      if (wParam == DBT_DEVICEARRIVAL) Heal();
      return TRUE;
    case WM_CREATE: return OnCreate() ? 0 : -1;
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN: {
      const LRESULT brush = OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
      return brush ? brush : DefWindowProcW(hwnd_, message, wParam, lParam);
    }
    case WM_DRAWITEM: OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_PAINT: OnPaint(); return 0;
    case WM_PRINTCLIENT: OnPrintClient(reinterpret_cast<HDC>(wParam), lParam); return 0;
    case WM_DPICHANGED: OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam)); return 0;
    case WM_SETCURSOR:
      if (OnSetCursor(reinterpret_cast<HWND>(wParam))) return TRUE;
      break;
    case WM_CLOSE: OnClose(); return 0;
    case kTrayMessage: OnTrayNotification(wParam, lParam); return 0;
    case WM_DESTROY:
      if (quitWhenDestroyed) PostQuitMessage(0);
      return 0;
    default: break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Form1::PanelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  }
  auto* form = reinterpret_cast<Form1*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!form || !form->hwnd_) return DefWindowProcW(hwnd, message, wParam, lParam);
  try {
    switch (message) {
      // The controls on a page report to the page; Form1 handles them all.
      case WM_COMMAND:
      case WM_NOTIFY:
      case WM_DRAWITEM:
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORLISTBOX:
      case WM_CTLCOLORBTN: return SendMessageW(form->hwnd_, message, wParam, lParam);
      case WM_DROPFILES: form->OnDropFiles(hwnd, reinterpret_cast<HDROP>(wParam)); return 0;
      case WM_NCPAINT: return 0;        // no border, so nothing outside the client area
      case WM_ERASEBKGND: return TRUE;  // WM_PAINT fills everything
      case WM_PAINT: form->PaintPanel(hwnd); return 0;
      default: break;
    }
  } catch (...) {
    // Same rule as the window: nothing unwinds into user32.
    form->failures_.Report(message, wParam, std::current_exception());
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// --- Creation and layout.

bool Form1::OnCreate() {
  if (windowCreated_) windowCreated_(hwnd_);
  notifyWindow_ = hwnd_;
  // A second start without administrator rights asks a copy that has them
  // to come forward; nothing else it could send is let through.
  AllowMessageFromLowerIntegrity(hwnd_, BringForwardMessage());
  dpi_ = DpiOf(hwnd_);

  // Fixed client area, centred on the work area of the window's screen.
  const SIZE outer = FitClientArea();
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& work = monitor.rcWork;
  const int left = work.left + (work.right - work.left - outer.cx) / 2;
  const int top = work.top + (work.bottom - work.top - outer.cy) / 2;
  SetWindowPos(hwnd_, nullptr, left > work.left ? left : work.left, top > work.top ? top : work.top, 0, 0,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);

  // The window's own controls; each page's come when it is first needed.
  CreateControls();
  return true;
}

void Form1::LoadPictures() {
  // Missing pictures draw nothing: the window works without its artwork.
  banner_.reset(static_cast<HBITMAP>(
      LoadImageW(instance_, MAKEINTRESOURCEW(IDB_BANNER), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  strip_.reset(static_cast<HBITMAP>(
      LoadImageW(instance_, MAKEINTRESOURCEW(IDB_STRIP), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

void Form1::CreateControls() {
  controls_.clear();
  controls_.reserve(Controls().size());
  builtPages_.clear();
  CreateRows(kNoPage);
}

void Form1::BuildPage(int page) {
  if (!hwnd_ || IsBuilt(page) || !FindControl(ctl::PageFrame(page))) return;
  // Counted as built first: putting its state on the page asks for its controls.
  builtPages_.push_back(page);
  CreateRows(page);
  // What the load step and the actions put on the page while it did not exist.
  MirrorLists();
  const ControlSpec* switchRow = FindControl(ctl::kOnOffSwitch);
  if (switchLook_ && switchRow && switchRow->container == page) {
    const SwitchLook look = *switchLook_;
    ShowSwitch(look);
  }
}

void Form1::BuildEveryPage() {
  for (const PageInfo& page : kPages) BuildPage(page.index);
}

bool Form1::IsBuilt(int page) const {
  return std::find(builtPages_.begin(), builtPages_.end(), page) != builtPages_.end();
}

void Form1::CreateRows(int page) {
  const std::size_t first = controls_.size();
  for (const ControlSpec& row : Controls()) {
    // The decorative parts are no windows: the window paints them.
    if (PageOf(row) != page || row.Has(kPainted)) continue;
    HWND parent = row.container == kOnWindow ? hwnd_ : Existing(ctl::PageFrame(row.container));
    if (!parent) continue;
    const WindowKind kind = WindowKindOf(row);
    DWORD style = WS_CHILD | kind.style;
    if (!row.Has(kHidden)) style |= WS_VISIBLE;
    if (row.Has(kDisabled)) style |= WS_DISABLED;
    style |= WS_CLIPSIBLINGS;
    const RECT place = PlaceOf(row);
    // Children are added beneath their siblings, so the table's order, top
    // first, is the z-order and the tab order.
    HWND control = CreateWindowExW(kind.exStyle, kind.className, Wide(row.caption).c_str(), style, place.left,
                                   place.top, place.right - place.left, place.bottom - place.top, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), instance_, this);
    if (!control) continue;
    if (row.kind == Kind::PasswordBox) SendMessageW(control, EM_SETPASSWORDCHAR, '*', 0);
    if (row.kind == Kind::CheckBox) DrawWithoutTheme(control);
    if (row.kind == Kind::Label || row.kind == Kind::Button || row.kind == Kind::CheckBox) {
      SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SkipEmptyFrame));
    }
    if (PageOf(row) >= 0 && row.container == kOnWindow) {
      // A page's frame, made after the window's other controls: it goes to
      // its place in the table's order, beneath the control above it.
      SetWindowPos(control, SiblingAbove(row), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    std::optional<Rgb> back = row.Has(kOpaque) ? std::optional<Rgb>(row.back) : Backdrop(row);
    controls_.push_back({&row, control, row.text, back});
    PrepareControl(row, control);
  }
  // Labels lie beneath every other control of their container (a text box
  // that touches a label keeps its border); among themselves they keep the
  // table's order. Labels made after every other control are there already
  // (children are added beneath their siblings); from the first label that
  // is not, each goes to the bottom in turn.
  const auto isLabel = [](const Created& control) { return control.row->kind == Kind::Label; };
  bool moving = false;
  for (std::size_t i = first; i < controls_.size(); ++i) {
    if (!isLabel(controls_[i])) continue;
    moving =
        moving || !std::all_of(controls_.begin() + static_cast<std::ptrdiff_t>(i), controls_.end(), isLabel);
    if (moving) {
      SetWindowPos(controls_[i].hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
  for (std::size_t i = first; i < controls_.size(); ++i) LayOut(controls_[i], true);
}

HWND Form1::SiblingAbove(const ControlSpec& row) const {
  // The nearest control made before it on the window; labels lie beneath
  // everything, so they do not count.
  HWND above = HWND_TOP;
  for (const ControlSpec& other : Controls()) {
    if (&other == &row) break;
    if (other.container != kOnWindow || other.kind == Kind::Label) continue;
    if (HWND made = Existing(other.id)) above = made;
  }
  return above;
}

RECT Form1::PlaceOf(const ControlSpec& row) const {
  const bool page = row.kind == Kind::Frame && row.id != ctl::kPagePlace;
  const ControlSpec& place = page ? FramePosition() : row;
  const int left = TwipsToPixels(place.left, dpi_), top = TwipsToPixels(place.top, dpi_);
  return {left, top, left + TwipsToPixels(place.width, dpi_), top + TwipsToPixels(place.height, dpi_)};
}

void Form1::ApplyLayout() {
  for (const Created& control : controls_) LayOut(control);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void Form1::LayOut(const Created& control, bool atItsPlace) {
  const ControlSpec& row = *control.row;
  HFONT font = FontFor(row.font);
  SendMessageW(control.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (row.Has(kEntryStates)) ListBoxControl(control.hwnd).FitItemHeight(font);
  RECT place = PlaceOf(row);
  if (row.Has(kSizedToText)) {
    const WindowDC dc(control.hwnd);
    const Selection selected(dc.get(), font);
    const std::wstring text = WideWindowText(control.hwnd);
    SIZE extent{};
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
    place.right = place.left + extent.cx;
    place.bottom = place.top + extent.cy;
  }
  // A control made just now at its place keeps it; a label sized to its
  // text takes the text's size.
  if (!atItsPlace || row.Has(kSizedToText)) {
    SetWindowPos(control.hwnd, nullptr, place.left, place.top, place.right - place.left,
                 place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (row.id == ctl::kAboutIcon) {
    const int size = place.right - place.left;
    aboutIcon_.reset(
        static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_FENDREL), IMAGE_ICON, size, size, 0)));
  }
}

HFONT Form1::FontFor(const Font& font) {
  const FontKey key{font.face, font.hundredthsOfPoint, font.bold, font.underline};
  auto found = fonts_.find(key);
  if (found != fonts_.end()) return found->second.get();
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

HBRUSH Form1::BrushFor(Rgb colour) {
  const COLORREF ref = ToColorRef(colour);
  auto found = brushes_.find(ref);
  if (found == brushes_.end()) found = brushes_.emplace(ref, UniqueBrush(CreateSolidBrush(ref))).first;
  return found->second.get();
}

void Form1::OnDpiChanged(int dpi, const RECT& suggested) {
  dpi_ = dpi;
  // The old fonts stay alive until every control has its new one.
  std::map<FontKey, UniqueFont> oldFonts = std::move(fonts_);
  fonts_.clear();
  ApplyLayout();
  tip_.FitWidth(dpi_);
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, 0, 0,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
  FitClientArea();
}

SIZE Form1::FitClientArea() {
  const SIZE client = ClientSizeAt(dpi_);
  RECT actual, window;
  GetClientRect(hwnd_, &actual);
  GetWindowRect(hwnd_, &window);
  SIZE outer{window.right - window.left, window.bottom - window.top};
  if (actual.right == client.cx && actual.bottom == client.cy) return outer;  // made at its size
  outer = WindowSizeFor(client, dpi_);
  SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  // The frame's real size may differ from the computed one (a caption that
  // did not scale with the resolution): correct by what is measured.
  GetClientRect(hwnd_, &actual);
  if (actual.right != client.cx || actual.bottom != client.cy) {
    outer.cx += client.cx - actual.right;
    outer.cy += client.cy - actual.bottom;
    SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  }
  return outer;
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
  return reinterpret_cast<LRESULT>(BrushFor(*created->back));
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
  FillRect(dc, &rect, BrushFor(kWhite));
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
    const int inset = MulDiv(3, dpi_, 96);
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
  FillRect(dc, &client, BrushFor(created && created->back ? *created->back : kWhite));
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

// --- The command path: every click of every control comes here.

void Form1::OnClick(int id, Handler handler) {
  handlers_[id] = std::move(handler);
}

void Form1::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;  // STN_CLICKED has the same value
  const Busy busy(*this);
  TakeSelections();
  const int menuItem = ctl::MenuItemIndex(id);
  if (menuItem >= 0) {
    SelectPage(menuItem, 0);
    return;
  }
  auto handler = handlers_.find(id);
  if (handler != handlers_.end() && handler->second) handler->second();
}

// --- Pages and access.

void Form1::SelectPage(int pageIndex, std::int16_t override) {
  if (!FindControl(ctl::PageFrame(pageIndex))) return;  // no such page: nothing to show, so nothing changes
  const FrameChoice choice = fendrel::SelectPage(pageIndex, override, access_.Level());
  if (!choice.allowed) {
    boxes_.Show(messages::kPleaseLogin, messages::kTitle);
    return;
  }
  BuildPage(pageIndex);
  HWND shown = Existing(ctl::PageFrame(pageIndex));
  if (!shown) return;  // the page could not be made: the one shown stays
  for (const PageInfo& page : kPages) {
    const MenuColours colours = ColoursOf(choice.menu[static_cast<std::size_t>(page.index)]);
    SetColours(ctl::MenuItem(page.index), colours.text, colours.background);
  }
  for (const PageInfo& page : kPages) {
    if (HWND frame = Existing(ctl::PageFrame(page.index))) ShowWindow(frame, SW_HIDE);
  }
  const RECT place = PlaceOf(FramePosition());
  SetWindowPos(shown, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

int Form1::ShownPage() const {
  for (const PageInfo& page : kPages) {
    HWND frame = Existing(ctl::PageFrame(page.index));
    if (frame && (GetWindowLongW(frame, GWL_STYLE) & WS_VISIBLE)) return page.index;
  }
  return -1;
}

void Form1::HideForm() {
  tray_.HideForm(hwnd_);
}

void Form1::LoadFormAgain() {
  tray_.LoadFormAgain(hwnd_);
}

void Form1::OnClose() {
  // Closing the window never ends the program: it goes to the tray.
  HideForm();
}

void Form1::CloseProgram() {
  // Ending the process closes every open file, which releases every hold.
  tray_.Remove();
  ExitProcess(0);
}

// --- The load step.

void Form1::Load() {
  if (loaded_) return;
  loaded_ = true;
  RunLoadStep(*this, silent_);
  if (silent_) TellUnreadListFromTray();
}

void Form1::DeterminePassword() {
  SelectPage(passwords_.DeterminePassword(), 1);
}

void Form1::ShowOnOffState() {
  ShowSwitch(switch_.ShowOnOffState());
}

void Form1::LoadLists() {
  protection_.LoadLists();
}

// --- Controls by identifier.

const Form1::Created* Form1::Find(int id) const {
  for (const Created& control : controls_) {
    if (control.row->id == id) return &control;
  }
  return nullptr;
}

Form1::Created* Form1::Find(int id) {
  return const_cast<Created*>(static_cast<const Form1*>(this)->Find(id));
}

const Form1::Created* Form1::Find(HWND hwnd) const {
  for (const Created& control : controls_) {
    if (control.hwnd == hwnd) return &control;
  }
  return nullptr;
}

HWND Form1::Existing(int id) const {
  const Created* control = Find(id);
  return control ? control->hwnd : nullptr;
}

HWND Form1::Control(int id) {
  const ControlSpec* row = FindControl(id);
  if (row && PageOf(*row) != kNoPage) BuildPage(PageOf(*row));
  return Existing(id);
}

std::u16string Form1::WideText(int id) {
  HWND control = Control(id);
  if (!control) return {};
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return std::u16string(text.begin(), text.end());
}

std::string Form1::Text(int id) {
  return WindowText(Control(id));
}

std::optional<std::string> Form1::PathText(int id) {
  const std::wstring text = WideWindowText(Control(id));
  std::optional<std::string> path = FromWide(text);
  if (!path) boxes_.Show(messages::NameNotText(Narrow(text)), messages::kTitle);
  return path;
}

void Form1::SetCaption(int id, const std::string& caption) {
  HWND control = Control(id);
  if (!control) return;
  SetWindowTextW(control, Wide(caption).c_str());
  InvalidateRect(control, nullptr, TRUE);
}

void Form1::SetColours(int id, Rgb text, Rgb back) {
  Control(id);  // builds its page if need be
  Created* control = Find(id);
  if (!control) return;
  control->text = text;
  control->back = back;
  InvalidateRect(control->hwnd, nullptr, TRUE);
}

void Form1::SetTextColour(int id, Rgb text) {
  Control(id);  // builds its page if need be
  Created* control = Find(id);
  if (!control) return;
  control->text = text;
  InvalidateRect(control->hwnd, nullptr, TRUE);
}

bool Form1::IsChecked(int id) {
  return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Form1::SetChecked(int id, bool checked) {
  HWND control = Control(id);
  if (!control || IsChecked(id) == checked) return;
  SendMessageW(control, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  // A change made by the program runs the click handling, as the user's click does.
  OnCommand(id, BN_CLICKED);
}

void Form1::SetEnabled(int id, bool enabled) {
  HWND control = Control(id);
  if (control) EnableWindow(control, enabled ? TRUE : FALSE);
}

int Form1::ListSelection(int id) {
  return ListBoxControl(Control(id)).Selection();
}

}  // namespace fendrel

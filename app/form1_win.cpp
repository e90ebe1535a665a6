#include "app/form1_win.h"

#include <dbt.h>
#include <windowsx.h>

#include <algorithm>

#include "app/window_size_win.h"
#include "app/window_text_win.h"
#include "platform/drawing_win.h"
#include "platform/function_lookup_win.h"
#include "platform/start_steps.h"
#include "platform/wide_text_win.h"
#include "resources/resource_ids.h"
#include "screen/colours_win.h"
#include "screen/control_ids.h"
#include "screen/messages.h"

namespace fendrel {

namespace {

constexpr const wchar_t* kWindowClass = Form1::kWideClassName;
HICON ProgramIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
  const StartStep step("the program's icon");
  return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_FENDREL), IMAGE_ICON,
                                       GetSystemMetrics(widthMetric), GetSystemMetrics(heightMetric), 0));
}

void RegisterClasses(HINSTANCE instance, WNDPROC windowProc, WNDPROC panelProc) {
  const StartStep step("the window class");
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

// WM_SETCURSOR: the pointer over the web link is a hand.
bool ShowHandOver(HWND under, HWND link) {
  if (!under || under != link) return false;
  SetCursor(LoadCursor(nullptr, IDC_HAND));
  return true;
}

}  // namespace

Form1::Form1(Form1Services services, Form1Core core, AccessLevel& access, FileLayer& files, bool silent)
    : boxes_(services.boxes),
      windowCreated_(std::move(services.windowCreated)),
      browser_(services.browser),
      access_(access),
      background_(core.background),
      opensFinished_(core.opensFinished),
      protection_(core.protection),
      editing_(core.editing),
      passwords_(core.passwords),
      passwordPages_(passwords_, access, services.boxes, *this),
      tray_(std::move(services.shell)),
      silent_(silent),
      failures_(
          services.boxes,
          [this](int id) -> std::optional<std::string> {
            const PageControls::Made* control = controls_.Find(id);
            if (!control) return std::nullopt;
            return SeenCaption(*control->row->caption ? control->row->caption : WindowText(control->hwnd));
          }),
      controls_(factory_, services.boxes,
                {
                    .made = [this](const ControlSpec& row,
                                   HWND control) { listPages_.Prepare(row, control, hwnd_, instance_); },
                    .laidOut =
                        [this](const ControlSpec& row, const RECT& place) {
                          if (row.id == ctl::kAboutIcon) painter_.FitAboutIcon(place.right - place.left);
                        },
                    .pageBuilt =
                        [this](int page) {
                          // What the load step and the actions put on the page while it did not exist.
                          MirrorLists();
                          switchBox_.OnPageBuilt(page);
                        },
                    .clicked = [this](int id) { OnCommand(id, BN_CLICKED); },
                }),
      listPages_(controls_, access, protection_, editing_, services.boxes, failures_,
                 [this] { MirrorLists(); }),
      switchBox_(controls_, core.onOffSwitch),
      emergencyButtons_(controls_, core.emergency, [this] { MirrorLists(); }),
      healer_(
          protection_, background_, files.files(), [this] { MirrorLists(); },
          [this] { emergencyButtons_.FolderWalksDone(); }) {}

Form1::~Form1() {
  if (hwnd_) DestroyWindow(hwnd_);
}

bool Form1::Create(HINSTANCE instance) {
  instance_ = instance;
  painter_.SetInstance(instance);
  RegisterClasses(instance, &Form1::WindowProc, &Form1::PanelProc);
  // Made at its size for the screen's resolution; WM_CREATE corrects it
  // should the window's own differ, and centres it.
  const SIZE outer = MainWindowSizeAt(DpiOf(nullptr));
  CreateWindowExW(kMainWindowExStyle, kWindowClass, Wide(messages::kWindowCaption).c_str(), kMainWindowStyle,
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
    self->healer_.SetWindow(hwnd);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Form1*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->opensFinished_.SetWindow(nullptr);
    self->failures_.SetWindow(nullptr);
    self->healer_.SetWindow(nullptr);
    self->hwnd_ = nullptr;
    self->controls_.Forget();
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
    case Healer::kHealMessage: healer_.Heal(); return 0;
    case Healer::kOpensFinishedMessage: healer_.OnOpensFinished(); return 0;
    case Healer::kPlanMessage: healer_.ContinuePlan(); return 0;
    case Healer::kWalkMessage: healer_.ContinueWalk(); return 0;
    case WM_TIMER:
      if (wParam == Healer::kRetryTimer) healer_.OnRetryTimer();
      if (wParam == Healer::kWatchPauseTimer) healer_.OnWatchPauseTimer();
      return 0;
    case WM_DEVICECHANGE:
      // A drive that arrives (a USB stick, a network drive mapped) may hold a listed file.
      if (wParam == DBT_DEVICEARRIVAL) healer_.Heal();
      return TRUE;
    case WM_CREATE: return OnCreate() ? 0 : -1;
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN: {
      const LRESULT brush =
          controls_.ColoursOn(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
      return brush ? brush : DefWindowProcW(hwnd_, message, wParam, lParam);
    }
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item.CtlType == ODT_LISTBOX) listPages_.DrawEntry(item);
      if (item.CtlType == ODT_BUTTON) painter_.PaintWhiteButton(item);
      return TRUE;
    }
    case WM_PAINT: painter_.Paint(hwnd_); return 0;
    case WM_PRINTCLIENT: painter_.PrintClient(hwnd_, reinterpret_cast<HDC>(wParam), lParam); return 0;
    case WM_DPICHANGED: OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam)); return 0;
    case WM_SETCURSOR:
      if (ShowHandOver(reinterpret_cast<HWND>(wParam), controls_.Existing(ctl::kWebLink))) return TRUE;
      break;
    case WM_CLOSE: HideForm(); return 0;  // closing the window never ends the program
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
  if (!form || !form->hwnd_) {
    // The dropped names are the receiver's to free, also when it is going.
    if (message == WM_DROPFILES) DragFinish(reinterpret_cast<HDROP>(wParam));
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
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
      case WM_DROPFILES: {
        const Healer::Busy busy(form->healer_);
        form->listPages_.OnDrop(hwnd, reinterpret_cast<HDROP>(wParam));
        return 0;
      }
      case WM_NCPAINT: return 0;        // no border, so nothing outside the client area
      case WM_ERASEBKGND: return TRUE;  // WM_PAINT fills everything
      case WM_PAINT: form->painter_.PaintPanel(hwnd, form->controls_.Find(hwnd)); return 0;
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
  const StartStep step("the window's own controls");
  if (windowCreated_) windowCreated_(hwnd_);
  opensFinished_.SetWindow(hwnd_);
  // A second start without administrator rights asks a copy that has them
  // to come forward; nothing else it could send is let through.
  AllowMessageFromLowerIntegrity(hwnd_, BringForwardMessage());
  factory_.SetDpi(DpiOf(hwnd_));

  // Fixed client area, centred on the work area of the window's screen.
  CentreOnWorkArea(hwnd_, FitClientArea(hwnd_, factory_.dpi()));

  // The window's own controls; each page's come when it is first needed.
  controls_.MakeWindowControls(hwnd_, instance_, this);
  return true;
}

void Form1::OnDpiChanged(int dpi, const RECT& suggested) {
  // The old fonts stay alive until every control has its new one.
  const ControlFactory::OldFonts oldFonts = factory_.ChangeDpi(dpi);
  controls_.LayOutAgain();
  listPages_.FitTipWidth(factory_.dpi());
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, 0, 0,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
  FitClientArea(hwnd_, factory_.dpi());
}

// --- The command path: every click of every control comes here.

void Form1::OnClick(int id, Handler handler) {
  handlers_[id] = std::move(handler);
}

void Form1::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;  // STN_CLICKED has the same value
  const Healer::Busy busy(healer_);
  listPages_.TakeSelections();
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
  controls_.BuildPage(pageIndex);
  HWND shown = controls_.Existing(ctl::PageFrame(pageIndex));
  if (!shown) return;  // the page could not be made: the one shown stays
  for (const PageInfo& page : kPages) {
    const MenuColours colours = ColoursOf(choice.menu[static_cast<std::size_t>(page.index)]);
    controls_.SetColours(ctl::MenuItem(page.index), colours.text, colours.background);
  }
  for (const PageInfo& page : kPages) {
    if (HWND frame = controls_.Existing(ctl::PageFrame(page.index))) ShowWindow(frame, SW_HIDE);
  }
  const RECT place = factory_.PlaceOf(FramePosition());
  SetWindowPos(shown, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

int Form1::ShownPage() const {
  for (const PageInfo& page : kPages) {
    HWND frame = controls_.Existing(ctl::PageFrame(page.index));
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

void Form1::CloseProgram() {
  // Ending the process closes every open file, which releases every hold.
  tray_.Remove();
  ExitProcess(0);
}

}  // namespace fendrel

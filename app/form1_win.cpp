#include "app/form1_win.h"

#include <dbt.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <utility>

#include "app/controls_win.h"
#include "app/window_proc_win.h"
#include "app/window_size_win.h"
#include "platform/drawing_win.h"
#include "platform/file_layer.h"
#include "platform/function_lookup_win.h"
#include "platform/message_boxes.h"
#include "platform/start_steps.h"
#include "platform/wide_text_win.h"
#include "resources/resource_ids.h"
#include "screen/colours_win.h"
#include "screen/control_ids.h"
#include "screen/layout.h"
#include "screen/messages.h"
#include "screen/navigation.h"

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
      opensFinished_(core.opensFinished),
      protection_(core.protection),
      passwords_(core.passwords),
      passwordPages_(passwords_, access, services.boxes, *this),
      tray_(std::move(services.shell)),
      silent_(silent),
      failures_(services.boxes,
                [this](int id) -> std::optional<std::string> {
                  const PageControls::Made* control = controls_.Find(id);
                  if (!control) return std::nullopt;
                  return SeenCaption(*control->row->caption ? control->row->caption
                                                            : Narrow(ControlWindow(control->hwnd).Text()));
                }),
      controls_(factory_, services.boxes, *this),
      listPages_(controls_, access, protection_, core.editing, services.boxes, failures_),
      switchBox_(controls_, core.onOffSwitch),
      emergencyButtons_(controls_, core.emergency),
      healer_(protection_, core.background, files.files(), [this] { emergencyButtons_.FolderWalksDone(); }) {
  protection_.SetChangedNotice([this] { ShowChanges(); });
}

void Form1::ControlMade(const ControlSpec& row, HWND control) {
  listPages_.Prepare(row, control, hwnd_, instance_);
}

void Form1::ControlLaidOut(const ControlSpec& row, const RECT& place) {
  if (row.id == ctl::kAboutIcon) painter_.FitAboutIcon(place.right - place.left);
}

void Form1::PageBuilt(int page) {
  // What the load step and the actions put on the page while it did not exist.
  ShowChanges();
  switchBox_.OnPageBuilt(page);
}

Form1::~Form1() {
  protection_.SetChangedNotice(nullptr);
  if (hwnd_) DestroyWindow(hwnd_);
}

bool Form1::Create(HINSTANCE instance) {
  instance_ = instance;
  painter_.SetInstance(instance);
  RegisterClasses(instance, &WindowProcOf<Form1, &Form1::HandleMessage, &Form1::failures_>,
                  &WindowProcOf<Form1, &Form1::HandlePanelMessage, &Form1::failures_>);
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

// --- The window procedures: decode, call one handler (the failure barrier
// is WindowProcOf's).

LRESULT Form1::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == TrayIcon::TaskbarCreatedMessage()) {
    tray_.OnTaskbarCreated();
    return 0;
  }
  if (message == BringForwardMessage()) {
    LoadFormAgain();
    return 0;
  }
  switch (message) {
    case WM_NCCREATE: OnNcCreate(hwnd); break;
    case WM_NCDESTROY: OnNcDestroy(); break;
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
      return brush ? brush : DefWindowProcW(hwnd, message, wParam, lParam);
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
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT Form1::HandlePanelMessage(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!hwnd_) {
    // The dropped names are the receiver's to free, also when it is going.
    if (message == WM_DROPFILES) DragFinish(reinterpret_cast<HDROP>(wParam));
    return DefWindowProcW(panel, message, wParam, lParam);
  }
  switch (message) {
    // The controls on a page report to the page; Form1 handles them all.
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN: return SendMessageW(hwnd_, message, wParam, lParam);
    case WM_DROPFILES: {
      const Healer::Busy busy(healer_);
      listPages_.OnDrop(panel, reinterpret_cast<HDROP>(wParam));
      return 0;
    }
    case WM_NCPAINT: return 0;        // no border, so nothing outside the client area
    case WM_ERASEBKGND: return TRUE;  // WM_PAINT fills everything
    case WM_PAINT: painter_.PaintPanel(panel, controls_.Find(panel)); return 0;
    default: break;
  }
  return DefWindowProcW(panel, message, wParam, lParam);
}

// --- Creation and layout.

void Form1::OnNcCreate(HWND hwnd) {
  hwnd_ = hwnd;
  failures_.SetWindow(hwnd);
  healer_.SetWindow(hwnd);
}

void Form1::OnNcDestroy() {
  opensFinished_.SetWindow(nullptr);
  failures_.SetWindow(nullptr);
  healer_.SetWindow(nullptr);
  hwnd_ = nullptr;
  controls_.Forget();
}

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
  // The person chose another entry of a list: the core keeps the choice.
  if (code == LBN_SELCHANGE && listPages_.OnSelectionChange(id)) return;
  if (code != BN_CLICKED) return;  // STN_CLICKED has the same value
  const Healer::Busy busy(healer_);
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

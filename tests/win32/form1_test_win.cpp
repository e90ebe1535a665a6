// The real main window in this process: its size and places at 96 DPI, its
// controls' texts and states, the page switch under the access levels, the
// menu colours as the window paints them, and the load step's holds.
#include "app/form1_win.h"

#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "app/list_box_control_win.h"
#include "platform/drawing_win.h"
#include "platform/file_system_win.h"
#include "platform/wide_text_win.h"
#include "screen/colours_win.h"
#include "screen/control_ids.h"
#include "screen/layout.h"
#include "screen/messages.h"
#include "startup/on_off_switch.h"
#include "tests/core/fakes.h"
#include "tests/core/test_support.h"

namespace fendrel {
namespace {

using testing::MakeFile;

// The shell's notification area: the icons it shows, each named by its
// window and number. An add of an icon it shows already is refused, as the
// shell refuses it; a restarted shell shows none.
class NotificationArea {
 public:
  BOOL Notify(DWORD message, const NOTIFYICONDATAW& data) {
    const Icon icon{data.hWnd, data.uID};
    switch (message) {
      case NIM_ADD: return icons.insert(icon).second ? TRUE : FALSE;
      case NIM_MODIFY: return icons.count(icon) ? TRUE : FALSE;
      case NIM_DELETE: return icons.erase(icon) ? TRUE : FALSE;
      default: return FALSE;
    }
  }
  void Restart() { icons.clear(); }

  using Icon = std::pair<HWND, UINT>;
  std::set<Icon> icons;
};

RECT PlaceInParent(HWND control) {
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// The place of a control in its container, in pixels, as {left, top, width, height}.
std::vector<long> Place(HWND control) {
  const RECT rect = PlaceInParent(control);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

// Where the layout table puts a row at this resolution, as Place reports it.
std::vector<long> TablePlace(const ControlSpec& row, int dpi) {
  return {TwipsToPixels(row.left, dpi), TwipsToPixels(row.top, dpi), TwipsToPixels(row.width, dpi),
          TwipsToPixels(row.height, dpi)};
}
std::vector<long> TablePlace(int id, int dpi = 96) {
  return TablePlace(*FindControl(id), dpi);
}

// Every control made at the table's place (a label sized to its caption
// keeps only its corner) at the window's resolution.
void ExpectEveryControlAtItsPlace(Form1& form, int dpi) {
  for (const ControlSpec& row : Controls()) {
    if (row.Has(kPainted)) continue;
    std::vector<long> place = Place(form.controls().Existing(row.id));
    std::vector<long> wanted = TablePlace(row, dpi);
    if (row.Has(kSizedToText)) place.resize(2), wanted.resize(2);
    EXPECT_EQ(wanted, place) << row.name << " at " << dpi << " DPI";
  }
}

std::string TextOf(HWND control) {
  char text[512] = {};
  GetWindowTextA(control, text, static_cast<int>(std::size(text)));
  return text;
}

// What the window sets up to paint a label: its text and background colours
// and the brush it fills with, asked the way the label itself asks.
struct Painted {
  COLORREF text, back, brush;
};
Painted PaintColoursOf(HWND label) {
  const MemoryDC dc(nullptr);
  const auto brush = reinterpret_cast<HBRUSH>(SendMessageA(GetParent(label), WM_CTLCOLORSTATIC,
                                                           reinterpret_cast<WPARAM>(dc.get()),
                                                           reinterpret_cast<LPARAM>(label)));
  LOGBRUSH logical{};
  GetObjectA(brush, sizeof logical, &logical);
  return {GetTextColor(dc.get()), GetBkColor(dc.get()), logical.lbColor};
}

// What the window paints itself beneath its controls (WM_PRINTCLIENT), as
// the pixels of its client area.
class PaintedClient {
 public:
  explicit PaintedClient(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    width_ = client.right;
    height_ = client.bottom;
    const WindowDC screen(nullptr);
    const MemoryDC memory(screen.get());
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const UniqueBitmap bitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    {
      const Selection into(memory.get(), bitmap.get());
      SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory.get()),
                   PRF_CLIENT | PRF_ERASEBKGND);
    }
    const auto* pixels = static_cast<const DWORD*>(bits);
    pixels_.assign(pixels, pixels + static_cast<std::size_t>(width_) * height_);
  }
  COLORREF At(int x, int y) const {
    const DWORD bgr = pixels_[static_cast<std::size_t>(y) * width_ + x];
    return RGB((bgr >> 16) & 0xff, (bgr >> 8) & 0xff, bgr & 0xff);
  }
  // The pixels of {left, top, width, height} that match.
  int Count(std::vector<long> box, const std::function<bool(COLORREF)>& matches) const {
    int count = 0;
    for (long y = box[1]; y < box[1] + box[3]; ++y) {
      for (long x = box[0]; x < box[0] + box[2]; ++x) count += matches(At(x, y)) ? 1 : 0;
    }
    return count;
  }

 private:
  int width_ = 0, height_ = 0;
  std::vector<DWORD> pixels_;
};

// The control with this identifier among the window's descendants, found
// as another process finds it: this builds no page.
HWND Descendant(HWND window, int id) {
  struct Search {
    int id;
    HWND found;
  } search{id, nullptr};
  EnumChildWindows(
      window,
      [](HWND child, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        if (GetDlgCtrlID(child) == s->id) s->found = child;
        return s->found == nullptr;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// True when `lower` comes after `upper` in their container's z-order.
bool Beneath(HWND lower, HWND upper) {
  for (HWND next = GetWindow(upper, GW_HWNDNEXT); next; next = GetWindow(next, GW_HWNDNEXT)) {
    if (next == lower) return true;
  }
  return false;
}

void Click(HWND control) {
  SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
  SendMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
}

// Runs the window's queued messages until a condition holds or 5 s pass.
template <typename Condition>
bool WaitFor(Condition condition) {
  const ULONGLONG end = GetTickCount64() + 5000;
  while (!condition()) {
    if (GetTickCount64() > end) return false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return true;
}

// Files as Explorer drops them: a DROPFILES block in movable global memory
// with the names (UTF-8 here) in UTF-16, each ended by a zero and the list
// by another.
HDROP MakeDrop(const std::vector<std::string>& paths) {
  std::wstring names;
  for (const std::string& path : paths) {
    const std::optional<std::wstring> wide = ToWide(path);
    EXPECT_TRUE(wide) << "not UTF-8: " << path;
    names += wide.value_or(L"") + L'\0';
  }
  names += L'\0';
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
  auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  std::memcpy(header + 1, names.data(), names.size() * sizeof(wchar_t));
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

class Form1Test : public ::testing::Test {
 protected:
  // Creates the window as the start-up step does, with a level granted first.
  void Start(std::int16_t level, bool silent = false) {
    access_.AddAccessLevel(level);
    // A returning user with the switch ON: a password is set and the Run
    // value exists, so the load step shows Welcome and no warning.
    MakeFile(folder_, "satinfo.dll", "0123456789abcdef0123456789abcdef\r\n");
    registry_.AddKey(kHkeyLocalMachine, kRunKeyPath);
    registry_.Put(kHkeyLocalMachine, kRunKeyPath, kRunValueName, {1, std::string("x", 2)});
    form_ = std::make_unique<Form1>(
        Form1Services{boxes_, browser_, nullptr,
                      [this](DWORD message, NOTIFYICONDATAW* data) { return shell_.Notify(message, *data); }},
        Form1Core{protection_, editing_, emergency_, passwords_, onOffSwitch_, background_, opensFinished_},
        access_, layer_, silent);
    ASSERT_TRUE(form_->Create(GetModuleHandleA(nullptr)));
    ASSERT_EQ(96, form_->controls().dpi()) << "the test display runs at 96 DPI";
  }
  HWND Item(int page) { return form_->controls().Existing(ctl::MenuItem(page)); }
  HWND Control(int id) { return form_->controls().Existing(id); }

  testing::TempFolder folder_;
  testing::RecordingMessageBoxes boxes_;
  testing::NoPicker picker_;
  testing::NoBrowser browser_;
  NotificationArea shell_;
  testing::FakeSystemFolder systemFolder_{folder_.path()};
  testing::FakeRegistry registry_;
  AccessLevel access_;
  Win32FileSystem system_;
  FileLayer layer_{system_};
  // The core the window drives, made as main_win.cpp makes it.
  OpensFinishedNotice opensFinished_;
  BackgroundOpens background_{system_, [this] { opensFinished_(); }};
  Protection protection_{layer_, folder_.path(), &background_};
  ListEditing editing_{protection_, boxes_, picker_};
  EmergencyMode emergency_{protection_, boxes_};
  PasswordStore passwords_{layer_, systemFolder_, boxes_};
  OnOffSwitch onOffSwitch_{registry_, boxes_, folder_.path()};
  std::unique_ptr<Form1> form_;
};

TEST_F(Form1Test, TheWindowHasItsFixedSizeAndEveryControlItsPlace) {
  Start(2);
  ShowWindow(form_->hwnd(), SW_SHOWNORMAL);
  EXPECT_EQ("Fendrel", TextOf(form_->hwnd()));
  RECT client;
  GetClientRect(form_->hwnd(), &client);
  EXPECT_EQ(TwipsToPixels(kClientWidthTwips, 96), client.right);
  EXPECT_EQ(TwipsToPixels(kClientHeightTwips, 96), client.bottom);
  const LONG style = GetWindowLongA(form_->hwnd(), GWL_STYLE);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);

  // Only the shown page is built at first; once the program builds the
  // rest, every control of the table exists and carries its identifier.
  EXPECT_NE(nullptr, Descendant(form_->hwnd(), ctl::kLoginButton));
  EXPECT_EQ(nullptr, Descendant(form_->hwnd(), ctl::PageFrame(kMain)));
  form_->controls().BuildEveryPage();
  for (const ControlSpec& row : Controls()) {
    HWND control = Descendant(form_->hwnd(), row.id);
    if (row.Has(kPainted)) {
      EXPECT_EQ(nullptr, control) << row.name << " is painted by the window";
      continue;
    }
    ASSERT_NE(nullptr, control) << row.name;
    EXPECT_EQ(control, Control(row.id)) << row.name;
  }

  // The shown page lies exactly on the place of the pages, and so does
  // every other page, each control of the table at its own place.
  EXPECT_EQ(kWelcome, form_->ShownPage());
  EXPECT_EQ(TablePlace(ctl::kPagePlace), Place(Control(ctl::PageFrame(kWelcome))));
  EXPECT_EQ(form_->hwnd(), GetParent(Control(ctl::PageFrame(kWelcome))));
  ExpectEveryControlAtItsPlace(*form_, 96);
  EXPECT_EQ(Control(ctl::PageFrame(kCloseProgram)), GetParent(Control(ctl::kCloseProgramButton)));

  // What overlaps: the emergency buttons over the pages' top edge, labels
  // beneath the boxes they touch. (The painted parts lie beneath every
  // control, the menu's grey panel and the place of the pages among them.)
  EXPECT_TRUE(Beneath(Control(ctl::PageFrame(kMain)), Control(ctl::kEmergencyButton)));
  EXPECT_TRUE(Beneath(Control(ctl::kSafeFileLabel), Control(ctl::kSafePathBox)));

  // Captions, texts typos and all.
  EXPECT_EQ("      Safe List", TextOf(Item(kMain)));
  EXPECT_EQ("CLOSE PROGRAM", TextOf(Item(kCloseProgram)));
  EXPECT_EQ("Items on the safe list are always protected. ", TextOf(Control(ctl::kSafeListNote)));
  EXPECT_EQ("No Emergency", TextOf(Control(ctl::kNoEmergencyButton)));
  EXPECT_EQ(messages::kProductWebSite, TextOf(Control(ctl::kWebLink)));
  EXPECT_EQ(messages::kSwitchOn, TextOf(Control(ctl::kOnOffSwitch)));  // the load step showed the switch
}

TEST_F(Form1Test, TheWindowPaintsItsDecorativePartsInTheirPlacesAndColours) {
  Start(2);
  const PaintedClient painted(form_->hwnd());
  const auto is = [](COLORREF wanted) { return [wanted](COLORREF c) { return c == wanted; }; };
  const auto notWhite = [](COLORREF c) { return c != ToColorRef(kWhite); };
  const auto ink = [](COLORREF c) { return GetRValue(c) < 100 && GetGValue(c) < 100 && GetBValue(c) < 100; };

  // The grey panel behind the menu fills its place and nothing around it.
  // Its corners lie clear of the title.
  const std::vector<long> panel = TablePlace(ctl::kMenuPanel);
  const long left = panel[0], top = panel[1], right = panel[0] + panel[2], bottom = panel[1] + panel[3];
  for (const auto& [x, y] :
       {std::pair{left, top}, {right - 1, top}, {left, bottom - 1}, {right - 1, bottom - 1}}) {
    EXPECT_EQ(ToColorRef(kMenuGrey), painted.At(x, y)) << x << "," << y;
  }
  EXPECT_EQ(0, painted.Count({left - 1, top, 1, panel[3]}, notWhite)) << "left of the panel";
  EXPECT_EQ(0, painted.Count({right, top, 1, panel[3]}, notWhite)) << "right of the panel";
  EXPECT_EQ(0, painted.Count({left, bottom, panel[2], 8}, notWhite)) << "below the panel";

  // "M E N U" in black on the panel from its place; only grey to its left.
  const std::vector<long> title = TablePlace(ctl::kMenuTitle);
  EXPECT_GT(painted.Count({title[0], title[1], right - title[0] - 1, 16}, ink), 20);
  const auto notGrey = [](COLORREF c) { return c != ToColorRef(kMenuGrey); };
  EXPECT_EQ(0, painted.Count({left, top, title[0] - left, 16}, notGrey)) << "left of the title";

  // The strip's picture, white between it and the panel; the banner's
  // picture across the top, with the version "1.0" in its own blue from its
  // place; white between the banner and the strip.
  const std::vector<long> strip = TablePlace(ctl::kMenuStrip), banner = TablePlace(ctl::kBanner);
  const std::vector<long> pages = TablePlace(ctl::kPagePlace);
  EXPECT_GT(painted.Count(strip, notWhite), strip[2] * strip[3] / 2);
  EXPECT_EQ(0, painted.Count({left, strip[1] + strip[3], panel[2], top - strip[1] - strip[3]}, notWhite))
      << "between the strip and the panel";
  EXPECT_EQ(0, painted.Count({0, banner[3], pages[0], strip[1] - banner[3]}, notWhite))
      << "between the banner and the strip";
  EXPECT_GT(painted.Count(banner, notWhite), banner[2] * banner[3] / 10);
  const std::vector<long> version = TablePlace(ctl::kVersionLabel);
  EXPECT_GT(painted.Count({version[0], version[1], 60, 24}, is(ToColorRef(kBannerBlue))), 10);
  EXPECT_EQ(0, painted.Count({version[0] - 28, version[1], 28, 24}, is(ToColorRef(kBannerBlue))))
      << "left of the version";

  // The place of the pages, beneath them: its frame's left edge.
  EXPECT_EQ(200, painted.Count({pages[0], 200, 1, 200}, notWhite));
  EXPECT_EQ(0, painted.Count({right + 1, pages[1], pages[0] - right - 1, pages[3]}, notWhite))
      << "between the menu and the pages";
}

TEST_F(Form1Test, ControlsStartInTheirStates) {
  Start(2);
  EXPECT_FALSE(IsWindowVisible(Item(kNewUser)));
  EXPECT_TRUE(IsWindowEnabled(Control(ctl::kEmergencyButton)));
  EXPECT_FALSE(IsWindowEnabled(Control(ctl::kNoEmergencyButton)));
  EXPECT_FALSE(GetWindowLongA(Control(ctl::kSafeHoldNumbers), GWL_STYLE) & WS_VISIBLE);
  EXPECT_FALSE(GetWindowLongA(Control(ctl::kEmergencyHoldNumbers), GWL_STYLE) & WS_VISIBLE);
  EXPECT_TRUE(GetWindowLongA(Control(ctl::kSafeListBox), GWL_STYLE) & WS_VISIBLE);
  EXPECT_FALSE(GetWindowLongA(Control(ctl::kSafeListBox), GWL_STYLE) & LBS_SORT);
  EXPECT_EQ(BST_CHECKED,
            SendMessageA(Control(ctl::kOnOffSwitch), BM_GETCHECK, 0, 0));  // the Run value exists
  for (int id :
       {ctl::kLoginPasswordBox, ctl::kCurrentPasswordBox, ctl::kNewPasswordBox, ctl::kConfirmPasswordBox,
        ctl::kCreatePasswordBox, ctl::kCreateConfirmBox, ctl::kClosePasswordBox}) {
    EXPECT_EQ('*', SendMessageA(Control(id), EM_GETPASSWORDCHAR, 0, 0)) << id;
  }
  const LONG terms = GetWindowLongA(Control(ctl::kTermsOfUse), GWL_STYLE);
  EXPECT_TRUE((terms & ES_MULTILINE) && (terms & ES_READONLY) && (terms & WS_VSCROLL));
  EXPECT_GT(TextOf(Control(ctl::kTermsOfUse)).size(), 100u);
}

TEST_F(Form1Test, ThePathBoxesTakeNoTypingAndNoPasting) {
  Start(3);
  for (int id : {ctl::kSafePathBox, ctl::kEmergencyPathBox}) {
    HWND box = Control(id);
    EXPECT_TRUE(GetWindowLongA(box, GWL_STYLE) & ES_READONLY) << id;
    SendMessageA(box, WM_CHAR, 'x', 0);
    ASSERT_TRUE(OpenClipboard(form_->hwnd()));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 8);
    memcpy(GlobalLock(memory), "C:\\x", 5);
    GlobalUnlock(memory);
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();
    SendMessageA(box, WM_PASTE, 0, 0);
    EXPECT_EQ("", TextOf(box)) << id;
  }
  // An ordinary box does take both, so the two checks above can fail.
  HWND password = Control(ctl::kClosePasswordBox);
  SendMessageA(password, WM_CHAR, 'x', 0);
  SendMessageA(password, WM_PASTE, 0, 0);
  EXPECT_EQ("xC:\\x", TextOf(password));
}

TEST_F(Form1Test, TheCloseButtonShowsOneAmpersand) {
  Start(3);
  HWND button = Control(ctl::kCloseProgramButton);
  EXPECT_EQ("Close Fendrel && Make Files Vunerable", TextOf(button));
  // Drawn by the window: paint it into a bitmap and compare the width of
  // its ink with the width of the text with a single "&".
  RECT rect;
  GetClientRect(button, &rect);
  const WindowDC screen(nullptr);
  const MemoryDC memory(screen.get());
  HDC dc = memory.get();
  const UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), rect.right, rect.bottom));
  const Selection drawnInto(dc, bitmap.get());
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_BUTTON;
  item.CtlID = ctl::kCloseProgramButton;
  item.itemAction = ODA_DRAWENTIRE;
  item.hwndItem = button;
  item.hDC = dc;
  item.rcItem = rect;
  SendMessageA(GetParent(button), WM_DRAWITEM, ctl::kCloseProgramButton, reinterpret_cast<LPARAM>(&item));
  long inkLeft = rect.right, inkRight = -1;
  for (long x = 3; x < rect.right - 3; ++x) {
    for (long y = 3; y < rect.bottom - 3; ++y) {
      const COLORREF pixel = GetPixel(dc, x, y);
      if (GetRValue(pixel) < 128 && GetGValue(pixel) < 128 && GetBValue(pixel) < 128) {
        inkLeft = std::min(inkLeft, x);
        inkRight = std::max(inkRight, x);
      }
    }
  }
  const Selection font(dc, reinterpret_cast<HFONT>(SendMessageA(button, WM_GETFONT, 0, 0)));
  SIZE single{}, doubled{};
  GetTextExtentPoint32A(dc, "Close Fendrel & Make Files Vunerable", 36, &single);
  GetTextExtentPoint32A(dc, "Close Fendrel && Make Files Vunerable", 37, &doubled);
  ASSERT_GE(inkRight, inkLeft) << "the button drew no text";
  const long inkWidth = inkRight - inkLeft + 1;
  EXPECT_LE(std::abs(inkWidth - single.cx), 3) << inkWidth << " vs " << single.cx;
  EXPECT_GT(doubled.cx - single.cx, 4);  // the two widths are told apart
}

TEST_F(Form1Test, ANormalStartOpensOnlyThePagesOfLevelTwo) {
  Start(2);
  ASSERT_EQ(kWelcome, form_->ShownPage());
  for (int page : {kMain, kEmergencyList}) {
    Click(Item(page));
    EXPECT_EQ(nullptr, Descendant(form_->hwnd(), ctl::PageFrame(page))) << "a refused page is not built";
    ASSERT_EQ(1u, boxes_.shown.size());
    EXPECT_EQ(messages::kPleaseLogin, boxes_.shown[0].text);
    EXPECT_EQ(messages::kTitle, boxes_.shown[0].title);
    boxes_.shown.clear();
    EXPECT_EQ(kWelcome, form_->ShownPage());
    EXPECT_EQ(ToColorRef(kWhite), PaintColoursOf(Item(kWelcome)).text) << "the highlight stays";
  }
  Click(Item(kPassword));
  EXPECT_TRUE(boxes_.shown.empty());
  EXPECT_EQ(kPassword, form_->ShownPage());
  EXPECT_TRUE(GetWindowLongA(Control(ctl::PageFrame(kPassword)), GWL_STYLE) & WS_VISIBLE);
  EXPECT_FALSE(GetWindowLongA(Control(ctl::PageFrame(kWelcome)), GWL_STYLE) & WS_VISIBLE);
  EXPECT_EQ((std::vector<long>{172, 96, 521, 345}), Place(Control(ctl::PageFrame(kPassword))));

  // The menu as painted: grey for the safe and emergency lists, black for
  // the rest, white on blue for the page just opened.
  const Painted selected = PaintColoursOf(Item(kPassword));
  EXPECT_EQ(ToColorRef(kWhite), selected.text);
  EXPECT_EQ(ToColorRef(kBannerBlue), selected.back);
  EXPECT_EQ(ToColorRef(kBannerBlue), selected.brush);
  EXPECT_EQ(ToColorRef(kMenuClosedText), PaintColoursOf(Item(kMain)).text);
  EXPECT_EQ(ToColorRef(kMenuClosedText), PaintColoursOf(Item(kEmergencyList)).text);
  for (int page : {kWelcome, kAbout, kCloseProgram}) {
    const Painted painted = PaintColoursOf(Item(page));
    EXPECT_EQ(ToColorRef(kBlack), painted.text) << page;
    EXPECT_EQ(ToColorRef(kMenuGrey), painted.brush) << page;
  }
}

TEST_F(Form1Test, LevelThreeOpensEveryPage) {
  Start(3);
  for (int page : {kMain, kEmergencyList, kAbout, kPassword, kCloseProgram, kWelcome}) {
    Click(Item(page));
    EXPECT_EQ(page, form_->ShownPage());
  }
  EXPECT_TRUE(boxes_.shown.empty());
  for (int page : {kMain, kEmergencyList, kAbout})
    EXPECT_EQ(ToColorRef(kBlack), PaintColoursOf(Item(page)).text);
}

TEST_F(Form1Test, CtrlPageDownAndPageUpWalkThePagesTheLevelOpens) {
  Start(2);
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  const auto press = [&](WPARAM key, bool control) {
    keys[VK_CONTROL] = control ? 0x80 : 0;
    SetKeyboardState(keys);
    const MSG message{Item(kWelcome), WM_KEYDOWN, key, 0, 0, {}};
    return form_->PreTranslate(message);
  };
  EXPECT_TRUE(press(VK_NEXT, true));
  EXPECT_EQ(kAbout, form_->ShownPage());
  EXPECT_TRUE(press(VK_PRIOR, true));
  EXPECT_TRUE(press(VK_PRIOR, true));
  EXPECT_EQ(kCloseProgram, form_->ShownPage());
  EXPECT_FALSE(press(VK_NEXT, false));  // without Ctrl the key is the control's own
  EXPECT_EQ(kCloseProgram, form_->ShownPage());
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(Form1Test, ASilentStartHidesTheWindowAndRefusesEveryPage) {
  Start(0, true);
  EXPECT_FALSE(IsWindowVisible(form_->hwnd()));
  // The page chosen at load shows although the level is 0.
  EXPECT_EQ(kWelcome, form_->ShownPage());
  EXPECT_EQ(ToColorRef(kWhite), PaintColoursOf(Item(kWelcome)).text);
  for (int page : {kMain, kAbout, kPassword})
    EXPECT_EQ(ToColorRef(kMenuClosedText), PaintColoursOf(Item(page)).text);
  for (int page : {kWelcome, kMain, kEmergencyList, kAbout, kPassword, kCloseProgram}) {
    Click(Item(page));
    EXPECT_EQ(kWelcome, form_->ShownPage()) << page;
  }
  EXPECT_EQ(6u, boxes_.shown.size());
  EXPECT_EQ(ToColorRef(kWhite), PaintColoursOf(Item(kWelcome)).text);
}

TEST_F(Form1Test, TheSafeListIsHeldFromTheLoadStepInFileOrder) {
  const std::string a = MakeFile(folder_, "a.txt", "a"), b = MakeFile(folder_, "b.txt", "b"),
                    c = MakeFile(folder_, "c.txt", "c");
  const std::string missing = folder_.path() + "\\missing.txt";
  MakeFile(folder_, "prot.dat", a + "\r\n\r\n" + b + "\r\n" + c + "\r\n");
  MakeFile(folder_, "emer.dat", missing + "\r\n" + a + "\r\n");
  Start(2);

  auto rows = [&](int id) {
    HWND box = Control(id);
    std::vector<std::string> texts;
    const int count = static_cast<int>(SendMessageA(box, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      char text[MAX_PATH * 2] = {};
      SendMessageA(box, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      texts.emplace_back(text);
    }
    return texts;
  };
  EXPECT_EQ((std::vector<std::string>{a, b, c}), rows(ctl::kSafeListBox));
  EXPECT_EQ((std::vector<std::string>{"99", "100", "101"}), rows(ctl::kSafeHoldNumbers));
  EXPECT_EQ((std::vector<std::string>{missing, a}), rows(ctl::kEmergencyListBox));
  EXPECT_TRUE(rows(ctl::kEmergencyHoldNumbers).empty());
  EXPECT_EQ(-1, form_->controls().ListBox(ctl::kSafeListBox).Selection());
  EXPECT_EQ(102, protection_.nextHoldNumber());

  for (const std::string& file : {a, b, c}) {
    SetLastError(0xdeadbeef);
    HANDLE writer = CreateFileA(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(INVALID_HANDLE_VALUE, writer) << file;
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError()) << file;
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
  }
  form_.reset();
  layer_.Close(99);
  layer_.Close(100);
  layer_.Close(101);
}

TEST_F(Form1Test, DroppedFilesAreAddedOnTheOpenListPagesAndTheSummaryFollowsEveryHold) {
  const std::string late = folder_.path() + "\\late.txt", folder = folder_.path() + "\\sub";
  MakeFile(folder_, "prot.dat", late + "\r\n");
  Start(2);
  EXPECT_EQ("0 of 1 files on the safe list are protected.", TextOf(Control(ctl::kSafeListSummary)));
  EXPECT_EQ(ToColorRef(kNotProtectedRed), PaintColoursOf(Control(ctl::kSafeListSummary)).text);
  const auto drop = [&](int page, const std::vector<std::string>& paths) {
    SendMessageA(Control(ctl::PageFrame(page)), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
  };

  // Level 2 does not open the list pages: they take no files.
  MakeFile(folder_, "late.txt", "here now");
  drop(kMain, {late});
  EXPECT_EQ(1, SendMessageA(Control(ctl::kSafeListBox), LB_GETCOUNT, 0, 0));

  // A file listed at start that was missing is held through the emergency
  // while it lasts, and the summary says so.
  access_.AddAccessLevel(1);
  drop(kEmergencyList, {late});
  EXPECT_EQ(1, SendMessageA(Control(ctl::kEmergencyListBox), LB_GETCOUNT, 0, 0));
  SendMessageA(Control(ctl::kEmergencyButton), BM_CLICK, 0, 0);
  EXPECT_EQ("All 1 files on the safe list are protected.", TextOf(Control(ctl::kSafeListSummary)));
  EXPECT_EQ(ToColorRef(kBlack), PaintColoursOf(Control(ctl::kSafeListSummary)).text);
  SendMessageA(Control(ctl::kNoEmergencyButton), BM_CLICK, 0, 0);
  EXPECT_EQ("0 of 1 files on the safe list are protected.", TextOf(Control(ctl::kSafeListSummary)));

  // A drop on the safe list: each file added and held as ">>> Add" does, a
  // folder as a folder entry, and a missing file named in a message.
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string other = MakeFile(folder_, "other.txt", "x"), missing = folder_.path() + "\\missing.txt";
  drop(kMain, {late, folder, missing, other});
  EXPECT_FALSE(RemoveDirectoryA(folder.c_str())) << "the listed folder is held";
  char text[MAX_PATH * 2] = {};
  SendMessageA(Control(ctl::kSafeListBox), LB_GETTEXT, 3, reinterpret_cast<LPARAM>(text));
  EXPECT_EQ(other, text) << "the list box keeps the entries' paths";
  EXPECT_EQ(4, SendMessageA(Control(ctl::kSafeListBox), LB_GETCOUNT, 0, 0));
  ASSERT_EQ(1u, boxes_.shown.size());
  EXPECT_EQ(messages::DroppedFilesNotAdded(messages::kSafeListName, {{missing, FileError::NotFound}}, true),
            boxes_.shown[0].text);
  EXPECT_EQ("All 2 files on the safe list are protected.", TextOf(Control(ctl::kSafeListSummary)));

  // The tooltip follows the pointer from entry to entry: the emergency
  // list's first file is held through the safe list, its second waits for
  // the next emergency.
  drop(kEmergencyList, {missing});
  HWND list = Control(ctl::kEmergencyListBox);
  const auto rowHeight = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
  SendMessageA(list, WM_MOUSEMOVE, 0, MAKELPARAM(20, rowHeight / 2));
  EXPECT_EQ(0, SendMessageA(form_->listPages().entryTips(), TTM_GETTOOLCOUNT, 0, 0));
  SendMessageA(list, WM_MOUSEMOVE, 0, MAKELPARAM(20, rowHeight * 3 / 2));
  char tip[256] = {};
  TTTOOLINFOA tool{};
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.lpszText = tip;
  ASSERT_TRUE(
      SendMessageA(form_->listPages().entryTips(), TTM_ENUMTOOLSA, 0, reinterpret_cast<LPARAM>(&tool)));
  EXPECT_EQ(messages::kProtectedOnlyAfterEmergency, std::string(tip));
  SendMessageA(list, WM_MOUSEMOVE, 0, MAKELPARAM(20, rowHeight * 5));  // below the entries
  EXPECT_EQ(0, SendMessageA(form_->listPages().entryTips(), TTM_GETTOOLCOUNT, 0, 0));
  form_.reset();
}

TEST_F(Form1Test, ClicksOfControlsOnPagesReachTheirHandlers) {
  Start(3);
  int adds = 0, emergencies = 0;
  form_->OnClick(ctl::kSafeAddButton, [&] { ++adds; });
  form_->OnClick(ctl::kEmergencyButton, [&] { ++emergencies; });
  Click(Item(kMain));
  SendMessageA(Control(ctl::kSafeAddButton), BM_CLICK, 0, 0);
  SendMessageA(Control(ctl::kEmergencyButton), BM_CLICK, 0, 0);
  EXPECT_EQ(1, adds);
  EXPECT_EQ(1, emergencies);
  SendMessageA(Control(ctl::kSafeRemoveButton), BM_CLICK, 0, 0);  // another button: not this handler
  EXPECT_EQ(1, adds);

  // A program-made change of the check box runs its click handling once.
  int switches = 0;
  form_->OnClick(ctl::kOnOffSwitch, [&] { ++switches; });
  form_->controls().CheckBox(ctl::kOnOffSwitch).SetChecked(false);
  form_->controls().CheckBox(ctl::kOnOffSwitch).SetChecked(false);
  EXPECT_EQ(1, switches);
  EXPECT_FALSE(form_->controls().CheckBox(ctl::kOnOffSwitch).IsChecked());
  form_->controls().CheckBox(ctl::kOnOffSwitch).SetText(messages::kSwitchOn);
  form_->controls().SetTextColour(ctl::kOnOffSwitch, kOffRed);
  EXPECT_EQ(messages::kSwitchOn, TextOf(Control(ctl::kOnOffSwitch)));
  EXPECT_EQ(ToColorRef(kOffRed), PaintColoursOf(Control(ctl::kOnOffSwitch)).text);
  EXPECT_EQ(ToColorRef(kWhite), PaintColoursOf(Control(ctl::kOnOffSwitch)).brush);

  // A list box takes only the rows that changed, so the chosen row stays
  // chosen (a refill would choose none).
  ListBoxControl list(Control(ctl::kEmergencyListBox));
  const auto rows = [](std::vector<std::wstring> texts) {
    return [texts](int i) { return texts[static_cast<std::size_t>(i)]; };
  };
  list.SetRows(3, rows({L"one", L"two", L"three"}));
  list.Select(2);
  list.SetRows(4, rows({L"zero", L"one", L"two", L"three"}));
  EXPECT_EQ(3, list.Selection());
  list.SetRows(2, rows({L"zero", L"three"}));
  EXPECT_EQ(L"three", list.Text(1));
  EXPECT_EQ(1, list.Selection());
}

TEST_F(Form1Test, AHandlerThatThrowsIsReportedAfterItsClickAndTheWindowGoesOn) {
  Start(3);
  form_->OnClick(ctl::kEmergencyButton, [] { throw std::runtime_error("the disk went away"); });
  SendMessageA(Control(ctl::kEmergencyButton), BM_CLICK, 0, 0);
  EXPECT_TRUE(boxes_.shown.empty()) << "the box waits until the click's handling is over";
  ASSERT_TRUE(WaitFor([&] { return !boxes_.shown.empty(); }));
  EXPECT_EQ(messages::WindowActionFailed(messages::TheClickOn("Emergency"), "the disk went away"),
            boxes_.shown[0].text);
  EXPECT_EQ(messages::kTitle, boxes_.shown[0].title);

  // Anything thrown, not only a std::exception, also from a button on a page.
  form_->SelectPage(kCloseProgram, 0);
  form_->OnClick(ctl::kCloseProgramButton, [] { throw 42; });
  SendMessageA(Control(ctl::kCloseProgramButton), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return boxes_.shown.size() == 2; }));
  EXPECT_EQ(messages::WindowActionFailed(messages::TheClickOn("Close Fendrel & Make Files Vunerable"),
                                         messages::kUnexpectedError),
            boxes_.shown[1].text);
  Click(Item(kPassword));
  EXPECT_EQ(kPassword, form_->ShownPage());
}

TEST_F(Form1Test, CloseHidesTheWindowAndKeepsIt) {
  Start(2);
  ShowWindow(form_->hwnd(), SW_SHOWNORMAL);
  PostMessageA(form_->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(form_->hwnd()); }));
  EXPECT_TRUE(IsWindow(form_->hwnd()));
  EXPECT_EQ(kWelcome, form_->ShownPage());
}

TEST_F(Form1Test, TheTrayIconStandsForTheHiddenWindowAndAnswersOnlyItsOwnMessage) {
  Start(2);
  ShowWindow(form_->hwnd(), SW_SHOWNORMAL);
  SendMessageA(form_->hwnd(), WM_CLOSE, 0, 0);
  ASSERT_FALSE(IsWindowVisible(form_->hwnd()));
  const NOTIFYICONDATAW& record = form_->tray().data();
  EXPECT_EQ(NOTIFYICONDATAW_V1_SIZE, record.cbSize);
  EXPECT_EQ(form_->hwnd(), record.hWnd);
  EXPECT_EQ(1u, record.uID);
  EXPECT_EQ(7u, record.uFlags);
  EXPECT_EQ(kTrayMessage, record.uCallbackMessage);
  EXPECT_NE(nullptr, record.hIcon);
  EXPECT_STREQ(L"Fendrel", record.szTip);
  const std::size_t room = std::size(record.szTip);
  EXPECT_EQ(std::wstring(room - 9, L' '), std::wstring(record.szTip + 8, room - 9));
  EXPECT_TRUE(form_->tray().InTray());
  const NotificationArea::Icon ours{form_->hwnd(), kTrayIconId};
  EXPECT_EQ(std::set{ours}, shell_.icons) << "one icon added";

  // A second hide asks for the icon again: the shell refuses the add and one icon stays.
  form_->HideForm();
  EXPECT_TRUE(form_->tray().InTray());
  EXPECT_EQ(std::set{ours}, shell_.icons);

  // A drag over the window is a pointer move, never a tray double-click or right-click.
  SendMessageA(form_->hwnd(), WM_MOUSEMOVE, 1, MAKELPARAM(WM_LBUTTONDBLCLK, 0));
  SendMessageA(form_->hwnd(), WM_MOUSEMOVE, 1, MAKELPARAM(WM_RBUTTONUP, 0));
  EXPECT_FALSE(IsWindowVisible(form_->hwnd()));
  // Single clicks on the icon do nothing either.
  SendMessageA(form_->hwnd(), kTrayMessage, 1, WM_LBUTTONDOWN);
  SendMessageA(form_->hwnd(), kTrayMessage, 1, WM_LBUTTONUP);
  SendMessageA(form_->hwnd(), kTrayMessage, 1, WM_RBUTTONDOWN);
  EXPECT_FALSE(IsWindowVisible(form_->hwnd()));

  // A restarted shell gets the icon again while the window is in the tray,
  // exactly one, also when "TaskbarCreated" comes twice.
  shell_.Restart();
  SendMessageA(form_->hwnd(), TrayIcon::TaskbarCreatedMessage(), 0, 0);
  EXPECT_TRUE(form_->tray().InTray());
  EXPECT_EQ(std::set{ours}, shell_.icons) << "exactly one icon after TaskbarCreated";
  SendMessageA(form_->hwnd(), TrayIcon::TaskbarCreatedMessage(), 0, 0);
  EXPECT_EQ(std::set{ours}, shell_.icons);

  // A double-click on the icon restores the window on its page and removes the icon.
  form_->SelectPage(kAbout, 0);
  SendMessageA(form_->hwnd(), kTrayMessage, 1, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(IsWindowVisible(form_->hwnd()));
  EXPECT_FALSE(IsIconic(form_->hwnd()));
  EXPECT_FALSE(form_->tray().InTray());
  EXPECT_FALSE(form_->tray().IconAdded());
  EXPECT_TRUE(shell_.icons.empty());
  EXPECT_EQ(kAbout, form_->ShownPage());
  // With the window shown, a restarted shell gets no icon.
  shell_.Restart();
  SendMessageA(form_->hwnd(), TrayIcon::TaskbarCreatedMessage(), 0, 0);
  EXPECT_FALSE(form_->tray().IconAdded());
  EXPECT_TRUE(shell_.icons.empty());
}

TEST_F(Form1Test, TheTrayMenuOffersOpenASeparatorAndEmergencyAndItsItemsAct) {
  Start(2);
  auto form2 = std::make_unique<Form2>();
  form2->Load();
  HMENU menu = form2->menu();
  ASSERT_NE(nullptr, menu);
  ASSERT_EQ(3, GetMenuItemCount(menu));
  char caption[64] = {};
  GetMenuStringA(menu, 0, caption, sizeof caption, MF_BYPOSITION);
  EXPECT_STREQ("Open Fendrel", caption);
  EXPECT_EQ(static_cast<UINT>(MF_SEPARATOR), GetMenuState(menu, 1, MF_BYPOSITION) & MF_SEPARATOR);
  GetMenuStringA(menu, 2, caption, sizeof caption, MF_BYPOSITION);
  EXPECT_STREQ("Emergency!", caption);
  EXPECT_EQ(kTrayOpenItem, GetMenuItemID(menu, 0));
  EXPECT_EQ(kTrayEmergencyItem, GetMenuItemID(menu, 2));
  EXPECT_EQ("Fendrel", TextOf(form2->window()));
  EXPECT_FALSE(IsWindowVisible(form2->window()));
  // The hidden window goes with the form.
  HWND hidden = form2->window();
  form2.reset();
  EXPECT_FALSE(IsWindow(hidden));

  // "Emergency!" works while the window is hidden; here the list is empty.
  SendMessageA(form_->hwnd(), WM_CLOSE, 0, 0);
  SendMessageA(form_->hwnd(), WM_COMMAND, MAKEWPARAM(kTrayEmergencyItem, 0), 0);
  ASSERT_EQ(1u, boxes_.shown.size());
  EXPECT_EQ(messages::kEmptyEmergencyList, boxes_.shown[0].text);
  EXPECT_EQ("Error", boxes_.shown[0].title);
  SendMessageA(form_->hwnd(), WM_COMMAND, MAKEWPARAM(kTrayOpenItem, 0), 0);
  EXPECT_TRUE(IsWindowVisible(form_->hwnd()));
}

TEST_F(Form1Test, ANewResolutionLaysTheWindowOutAgain) {
  Start(2);
  RECT suggested;
  GetWindowRect(form_->hwnd(), &suggested);
  const LRESULT rowHeight = SendMessageA(Control(ctl::kSafeListBox), LB_GETITEMHEIGHT, 0, 0);
  SendMessageA(form_->hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_GE(SendMessageA(Control(ctl::kSafeListBox), LB_GETITEMHEIGHT, 0, 0), rowHeight * 14 / 10)
      << "the entries grow with the font";
  EXPECT_EQ(600, SendMessageA(form_->listPages().entryTips(), TTM_GETMAXTIPWIDTH, 0, 0))
      << "the tooltip wraps wider";
  RECT client;
  GetClientRect(form_->hwnd(), &client);
  EXPECT_EQ(TwipsToPixels(kClientWidthTwips, 144), client.right);
  EXPECT_EQ(TwipsToPixels(kClientHeightTwips, 144), client.bottom);
  form_->controls().BuildEveryPage();
  ExpectEveryControlAtItsPlace(*form_, 144);
  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(Item(kCloseProgram), WM_GETFONT, 0, 0)), sizeof font,
             &font);
  EXPECT_EQ(-24, font.lfHeight);  // 12 pt at 144 DPI
}

}  // namespace
}  // namespace fendrel

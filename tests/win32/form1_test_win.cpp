// The real main window in this process: its size and places at 96 DPI, its
// controls' texts and states, the page switch under the access levels, and
// the menu colours as the window paints them. (The tray: tray_test_win.cpp.)
#include <windows.h>

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
#include "tests/win32/form1_fixture_win.h"
#include "tests/win32/process_windows_win.h"

namespace fendrel {
namespace {

using testing::Click;
using testing::Form1Test;
using testing::MakeFile;
using testing::PumpUntil;
using testing::TextOf;

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
testing::ScreenPixels PaintedClient(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  return testing::PixelsDrawnBy(client.right, client.bottom, [window](HDC dc) {
    SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
  });
}
COLORREF At(const testing::ScreenPixels& pixels, int x, int y) {
  return pixels.colours[static_cast<std::size_t>(y * pixels.width + x)];
}
// The pixels of {left, top, width, height} that match.
int CountIn(const testing::ScreenPixels& pixels, const std::vector<long>& box,
            const std::function<bool(COLORREF)>& matches) {
  return pixels.Count(matches, box[0], box[0] + box[2], box[1], box[1] + box[3]);
}

// True when `lower` comes after `upper` in their container's z-order.
bool Beneath(HWND lower, HWND upper) {
  for (HWND next = GetWindow(upper, GW_HWNDNEXT); next; next = GetWindow(next, GW_HWNDNEXT)) {
    if (next == lower) return true;
  }
  return false;
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

TEST_F(Form1Test, TheWindowHasItsFixedSizeAndEveryControlItsPlace) {
  Start(2, false, false);
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
  EXPECT_NE(nullptr, testing::DescendantWithId(form_->hwnd(), ctl::kLoginButton));
  EXPECT_EQ(nullptr, testing::DescendantWithId(form_->hwnd(), ctl::PageFrame(kMain)));
  form_->controls().BuildEveryPage();
  for (const ControlSpec& row : Controls()) {
    HWND control = testing::DescendantWithId(form_->hwnd(), row.id);
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
  EXPECT_EQ("https://github.com/fendrel/fendrel", TextOf(Control(ctl::kWebLink)));
  EXPECT_EQ("Fendrel is currently ON",
            TextOf(Control(ctl::kOnOffSwitch)));  // the load step showed the switch
}

TEST_F(Form1Test, TheWindowPaintsItsDecorativePartsInTheirPlacesAndColours) {
  Start(2);
  const testing::ScreenPixels painted = PaintedClient(form_->hwnd());
  const auto is = [](COLORREF wanted) { return [wanted](COLORREF c) { return c == wanted; }; };
  const auto notWhite = [](COLORREF c) { return c != ToColorRef(kWhite); };
  const auto ink = [](COLORREF c) { return GetRValue(c) < 100 && GetGValue(c) < 100 && GetBValue(c) < 100; };

  // The grey panel behind the menu fills its place and nothing around it.
  // Its corners lie clear of the title.
  const std::vector<long> panel = TablePlace(ctl::kMenuPanel);
  const long left = panel[0], top = panel[1], right = panel[0] + panel[2], bottom = panel[1] + panel[3];
  for (const auto& [x, y] :
       {std::pair{left, top}, {right - 1, top}, {left, bottom - 1}, {right - 1, bottom - 1}}) {
    EXPECT_EQ(ToColorRef(kMenuGrey), At(painted, x, y)) << x << "," << y;
  }
  EXPECT_EQ(0, CountIn(painted, {left - 1, top, 1, panel[3]}, notWhite)) << "left of the panel";
  EXPECT_EQ(0, CountIn(painted, {right, top, 1, panel[3]}, notWhite)) << "right of the panel";
  EXPECT_EQ(0, CountIn(painted, {left, bottom, panel[2], 8}, notWhite)) << "below the panel";

  // "M E N U" in black on the panel from its place; only grey to its left.
  const std::vector<long> title = TablePlace(ctl::kMenuTitle);
  EXPECT_GT(CountIn(painted, {title[0], title[1], right - title[0] - 1, 16}, ink), 20);
  const auto notGrey = [](COLORREF c) { return c != ToColorRef(kMenuGrey); };
  EXPECT_EQ(0, CountIn(painted, {left, top, title[0] - left, 16}, notGrey)) << "left of the title";

  // The strip's picture, white between it and the panel; the banner's
  // picture across the top, with the version "1.0" in its own blue from its
  // place; white between the banner and the strip.
  const std::vector<long> strip = TablePlace(ctl::kMenuStrip), banner = TablePlace(ctl::kBanner);
  const std::vector<long> pages = TablePlace(ctl::kPagePlace);
  EXPECT_GT(CountIn(painted, strip, notWhite), strip[2] * strip[3] / 2);
  EXPECT_EQ(0, CountIn(painted, {left, strip[1] + strip[3], panel[2], top - strip[1] - strip[3]}, notWhite))
      << "between the strip and the panel";
  EXPECT_EQ(0, CountIn(painted, {0, banner[3], pages[0], strip[1] - banner[3]}, notWhite))
      << "between the banner and the strip";
  EXPECT_GT(CountIn(painted, banner, notWhite), banner[2] * banner[3] / 10);
  const std::vector<long> version = TablePlace(ctl::kVersionLabel);
  EXPECT_GT(CountIn(painted, {version[0], version[1], 60, 24}, is(ToColorRef(kBannerBlue))), 10);
  EXPECT_EQ(0, CountIn(painted, {version[0] - 28, version[1], 28, 24}, is(ToColorRef(kBannerBlue))))
      << "left of the version";

  // The place of the pages, beneath them: its frame's left edge.
  EXPECT_EQ(200, CountIn(painted, {pages[0], 200, 1, 200}, notWhite));
  EXPECT_EQ(0, CountIn(painted, {right + 1, pages[1], pages[0] - right - 1, pages[3]}, notWhite))
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
  const std::string text = TextOf(Control(ctl::kTermsOfUse));  // whole, from its title to its last words
  EXPECT_EQ(0u, text.rfind("Terms of use\r\n", 0));
  EXPECT_TRUE(text.ends_with("that comes from its use."))
      << text.substr(text.size() < 40 ? 0 : text.size() - 40);
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
  Start(2, false, false);
  ASSERT_EQ(kWelcome, form_->ShownPage());
  for (int page : {kMain, kEmergencyList}) {
    Click(Item(page));
    EXPECT_EQ(nullptr, testing::DescendantWithId(form_->hwnd(), ctl::PageFrame(page)))
        << "a refused page is not built";
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
  ASSERT_TRUE(PumpUntil([&] { return !boxes_.shown.empty(); }, "the failure's box"));
  EXPECT_EQ(messages::WindowActionFailed(messages::TheClickOn("Emergency"), "the disk went away"),
            boxes_.shown[0].text);
  EXPECT_EQ(messages::kTitle, boxes_.shown[0].title);

  // Anything thrown, not only a std::exception, also from a button on a page.
  form_->SelectPage(kCloseProgram, 0);
  form_->OnClick(ctl::kCloseProgramButton, [] { throw 42; });
  SendMessageA(Control(ctl::kCloseProgramButton), BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return boxes_.shown.size() == 2; }, "the second failure's box"));
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
  EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(form_->hwnd()); }, "the window hidden"));
  EXPECT_TRUE(IsWindow(form_->hwnd()));
  EXPECT_EQ(kWelcome, form_->ShownPage());
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

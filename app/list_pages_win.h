// The window's two list pages, the safe list and the emergency list
// (kListPages), with what they share: the Welcome page's summary of the
// entries' states and the tooltip that names why an entry is not
// protected. They host their pages on the window's controls, found by
// identifier.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "app/entry_tip_win.h"
#include "app/failure_reporter_win.h"
#include "app/list_page_win.h"
#include "app/page_controls_win.h"
#include "platform/message_boxes.h"
#include "protection/entry_state.h"
#include "protection/list_editing.h"
#include "protection/protection.h"
#include "screen/navigation.h"

namespace fendrel {

class ListPages : private ListPageHost {
 public:
  ListPages(PageControls& controls, AccessLevel& access, Protection& protection, ListEditing& editing,
            MessageBoxes& boxes, FailureReporter& failures);
  ListPages(const ListPages&) = delete;
  ListPages& operator=(const ListPages&) = delete;

  // The safe list and the emergency list pages, in the order of kListPages.
  std::array<ListPage, 2>& pages() { return pages_; }
  // Shows the core's lists, their holds and the entries' states: after
  // every change of the core, and when a page is built.
  void Show();
  // A list box told that the person chose another entry (LBN_SELCHANGE);
  // false when `id` is no entry list.
  bool OnSelectionChange(int id);
  // A control of the window was made: an entry list gets the tooltip
  // (owned by `window`), a list page's control is prepared by its page.
  void Prepare(const ControlSpec& row, HWND control, HWND window, HINSTANCE instance);
  // Files dropped on a panel; only a list page's frame takes them.
  void OnDrop(HWND panel, HDROP drop);
  // Draws an entry of a list of one of the pages.
  void DrawEntry(const DRAWITEMSTRUCT& item);
  // The tooltip's wrapping width for the window's resolution.
  void FitTipWidth(int dpi) { tip_.FitWidth(dpi); }
  // The tooltip that tells why an entry is not protected (null before a
  // list page is built).
  HWND entryTips() const { return tip_.hwnd(); }

 private:
  // The list page whose control this is; null for none.
  ListPage* PageOf(int id);
  // The Welcome page's summary of the safe list's states.
  void ShowSummary();

  HWND Existing(int id) const override { return controls_.Existing(id); }
  std::optional<std::string> PathText(int id) override { return controls_.PathText(id); }
  void SetCaption(int id, const std::string& caption) override { controls_.SetCaption(id, caption); }
  bool Opens(int page) const override;
  int dpi() const override { return controls_.dpi(); }

  PageControls& controls_;
  AccessLevel& access_;
  Protection& protection_;
  std::uint64_t shownStates_ = 0;  // Protection::statesChanged as last drawn
  EntryTip tip_;
  std::array<ListPage, 2> pages_;
};

}  // namespace fendrel

// One list page, the safe list or the emergency list (screen/list_pages.h):
// its buttons (browse, add, remove), its entries drawn from the core's
// records by their states with the tooltip that says why one is not
// protected, the files dropped on it, and its two list boxes kept at the
// core's list and hold numbers. The page's controls are the window's; the
// page reaches them through its host by identifier, once its page is built.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/entry_tip_win.h"
#include "app/failure_reporter_win.h"
#include "app/window_proc_win.h"
#include "platform/message_boxes.h"
#include "protection/entry_state.h"
#include "protection/list_editing.h"
#include "protection/protection.h"
#include "screen/list_pages.h"

namespace fendrel {

// What a list page needs of the window that hosts it.
class ListPageHost {
 public:
  // The control with this identifier if it was made; builds nothing.
  virtual HWND Existing(int id) const = 0;
  // The text of a path box exactly; nothing, after telling the person, when
  // it holds what no file name can.
  virtual std::optional<std::string> PathText(int id) = 0;
  virtual void SetCaption(int id, const std::string& caption) = 0;
  // Whether the access level opens this page now.
  virtual bool Opens(int page) const = 0;
  virtual int dpi() const = 0;

 protected:
  ~ListPageHost() = default;
};

class ListPage {
 public:
  ListPage(const ListPageSpec& ids, ListPageHost& host, Protection& protection, ListEditing& editing,
           MessageBoxes& boxes, EntryTip& tip, FailureReporter& failures)
      : ids_(ids),
        host_(host),
        protection_(protection),
        editing_(editing),
        boxes_(boxes),
        tip_(tip),
        failures_(failures) {}
  ListPage(const ListPage&) = delete;
  ListPage& operator=(const ListPage&) = delete;

  const ListPageSpec& ids() const { return ids_; }

  // The buttons.
  void Browse();
  void Add();
  void Remove();

  // A control of the page was made: the entry list watches its mouse for
  // the tooltip, the page's frame takes dropped files.
  void Prepare(int id, HWND control);
  // Files dropped on the page's frame; finishes the drop.
  void OnDrop(HDROP drop);

  // Brings both list boxes to the core's list, its choice and its hold
  // numbers; `redraw`: the entries' states changed, so every row is drawn
  // again.
  void Show(bool redraw);
  // The person chose another entry (LBN_SELCHANGE): the core keeps the choice.
  void OnSelectionChange();
  void DrawEntry(const DRAWITEMSTRUCT& item) const;

 private:
  // The entry list's messages before its own procedure: the mouse for the tooltip.
  std::optional<LRESULT> OnEntryListMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
  void OnEntryListMouse(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
  const EntryState* StateOf(int index) const;

  const ListPageSpec& ids_;
  ListPageHost& host_;
  Protection& protection_;
  ListEditing& editing_;
  MessageBoxes& boxes_;
  EntryTip& tip_;
  FailureReporter& failures_;
  Subclass<ListPage, &ListPage::OnEntryListMessage> entryList_;
  // The list boxes as they were filled last, and the core's counts then
  // (Protection::pathsChanged, changes): what did not change is not read again.
  struct Filled {
    HWND list = nullptr;
    std::uint64_t paths = 0;
    HWND holds = nullptr;
    std::uint64_t changes = 0;
  } filled_;
};

}  // namespace fendrel

#include "app/list_pages_win.h"

#include <string>

#include "app/controls_win.h"
#include "platform/wide_text_win.h"
#include "screen/colours.h"
#include "screen/control_ids.h"
#include "screen/messages.h"

namespace fendrel {

ListPages::ListPages(PageControls& controls, AccessLevel& access, Protection& protection,
                     ListEditing& editing, MessageBoxes& boxes, FailureReporter& failures)
    : controls_(controls),
      access_(access),
      protection_(protection),
      pages_{{
          {kListPages[0], *this, protection, editing, boxes, tip_, failures},
          {kListPages[1], *this, protection, editing, boxes, tip_, failures},
      }} {}

void ListPages::Show() {
  const bool statesChanged = protection_.statesChanged() != shownStates_;
  shownStates_ = protection_.statesChanged();
  for (ListPage& page : pages_) page.Show(statesChanged);
  if (statesChanged) tip_.Forget();  // it may name a state that changed
  ShowSummary();
}

bool ListPages::OnSelectionChange(int id) {
  for (ListPage& page : pages_) {
    if (page.ids().listBox != id) continue;
    page.OnSelectionChange();
    return true;
  }
  return false;
}

ListPage* ListPages::PageOf(int id) {
  for (ListPage& page : pages_) {
    const ListPageSpec& ids = page.ids();
    if (id == ids.listBox || id == ids.holdNumbers || id == ctl::PageFrame(ids.page)) return &page;
  }
  return nullptr;
}

bool ListPages::Opens(int page) const {
  return fendrel::SelectPage(page, 0, access_.Level()).allowed;
}

void ListPages::Prepare(const ControlSpec& row, HWND control, HWND window, HINSTANCE instance) {
  if (row.kind == Kind::ListBox && row.Has(kEntryStates)) tip_.Create(window, instance, controls_.dpi());
  if (ListPage* page = PageOf(row.id)) page->Prepare(row.id, control);
}

void ListPages::DrawEntry(const DRAWITEMSTRUCT& item) {
  if (const ListPage* page = PageOf(static_cast<int>(item.CtlID))) page->DrawEntry(item);
}

void ListPages::ShowSummary() {
  const ListStates& states = protection_.states();
  const PageControls::Made* summary = controls_.Find(ctl::kSafeListSummary);
  if (!summary) return;  // its page shows it when it is built
  // A safe list not read yet is no empty list, and one read in part never
  // calls its unread files protected: the summary says so.
  const ListOutcome unread = protection_.unread(ListKind::Safe);
  const std::string text =
      messages::SafeListState(protection_.SafeListFile(), unread, protection_.unreadBecause(ListKind::Safe),
                              states.safeFilesHeld, states.safeFiles);
  const Rgb colour =
      unread != FileError::None || states.safeFilesHeld < states.safeFiles ? kNotProtectedRed : kBlack;
  const Label label(summary->hwnd);
  if (label.Text() == Wide(text) && summary->text == colour) return;
  label.SetText(text);
  controls_.SetTextColour(ctl::kSafeListSummary, colour);
}

void ListPages::OnDrop(HWND panel, HDROP drop) {
  const PageControls::Made* made = controls_.Find(panel);
  ListPage* page = made ? PageOf(made->row->id) : nullptr;
  // Only a list page's frame takes files.
  if (!page || made->row->id != ctl::PageFrame(page->ids().page)) {
    DragFinish(drop);
    return;
  }
  page->OnDrop(drop);
}

}  // namespace fendrel

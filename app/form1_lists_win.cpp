// How Form1 hosts its two list pages: the mirror of the core's lists in
// their list boxes, the person's selections taken into the core, the
// entries' states (drawn by the pages, summed up on the Welcome page) and
// the files dropped on a page's frame.
#include <windows.h>

#include <shellapi.h>

#include <string>

#include "app/form1_win.h"
#include "platform/wide_text_win.h"
#include "screen/colours.h"
#include "screen/control_ids.h"
#include "screen/messages.h"

namespace fendrel {

void Form1::MirrorLists() {
  for (ListPage& page : listPages_) page.Mirror();
  ShowEntryStates();
  healer_.Plan();
}

void Form1::TakeSelections() {
  for (ListPage& page : listPages_) page.TakeSelection();
}

ListPage* Form1::ListPageOf(int id) {
  for (ListPage& page : listPages_) {
    const ListPageIds& ids = page.ids();
    if (id == ids.listBox || id == ids.holdNumbers || id == ctl::PageFrame(ids.page)) return &page;
  }
  return nullptr;
}

bool Form1::Opens(int page) const {
  return fendrel::SelectPage(page, 0, access_.Level()).allowed;
}

void Form1::PrepareControl(const ControlSpec& row, HWND control) {
  if (row.kind == Kind::ListBox && row.Has(kEntryStates)) tip_.Create(hwnd_, instance_, factory_.dpi());
  if (ListPage* page = ListPageOf(row.id)) page->Prepare(row.id, control);
}

void Form1::ShowEntryStates() {
  ListStates now = EntryStates(protection_);
  if (now != states_) {
    states_ = std::move(now);
    for (ListPage& page : listPages_) page.RedrawEntries();
    tip_.Forget();  // it may name a state that changed
  }
  const PageControls::Made* summary = controls_.Find(ctl::kSafeListSummary);
  if (!summary) return;  // its page shows it when it is built
  // A safe list not read yet is no empty list: the summary says so.
  const bool unread = protection_.safeListUnread() == ListReason::NotLoaded;
  const std::string text =
      unread ? messages::SafeListUnread(protection_.SafeListFile(), protection_.safeListUnreadBecause())
             : messages::SafeListSummary(states_.safeFilesHeld, states_.safeFiles);
  const Rgb colour = unread || states_.safeFilesHeld < states_.safeFiles ? kNotProtectedRed : kBlack;
  const std::wstring wide = Wide(text);
  std::wstring shown(static_cast<std::size_t>(GetWindowTextLengthW(summary->hwnd)) + 1, L'\0');
  shown.resize(
      static_cast<std::size_t>(GetWindowTextW(summary->hwnd, shown.data(), static_cast<int>(shown.size()))));
  if (shown == wide && summary->text == colour) return;
  SetWindowTextW(summary->hwnd, wide.c_str());
  controls_.SetTextColour(ctl::kSafeListSummary, colour);
}

void Form1::OnDropFiles(HWND frame, HDROP drop) {
  const Healer::Busy busy(healer_);
  const PageControls::Made* created = controls_.Find(frame);
  ListPage* page = created ? ListPageOf(created->row->id) : nullptr;
  // Only a list page's frame takes files.
  if (!page || created->row->id != ctl::PageFrame(page->ids().page)) {
    DragFinish(drop);
    return;
  }
  page->OnDrop(drop);
}

}  // namespace fendrel

// Form1's controls: made from the layout table by the control factory (the
// window's own when it is made, a page's when it is first needed), laid out
// for the window's resolution, and found, read and changed by identifier.
#include <algorithm>
#include <optional>
#include <string>

#include "app/form1_win.h"
#include "app/window_text_win.h"
#include "platform/wide_text_win.h"
#include "resources/resource_ids.h"
#include "screen/control_ids.h"
#include "screen/messages.h"

namespace fendrel {

namespace {

// The page a control belongs to: the page of a page's frame or of a control
// on it; kNoPage for the window's own controls.
constexpr int kNoPage = -1;
int PageOf(const ControlSpec& row) {
  if (row.container >= 0) return row.container;
  if (row.kind == Kind::Frame && row.id != ctl::kPagePlace) return row.id - ctl::kPageFrameBase;
  return kNoPage;
}

}  // namespace

// --- Creation and layout.

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
    // Children are added beneath their siblings, so the table's order, top
    // first, is the z-order and the tab order.
    HWND control = factory_.Create(row, parent, instance_, this);
    if (!control) continue;
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

void Form1::ApplyLayout() {
  for (const Created& control : controls_) LayOut(control);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void Form1::LayOut(const Created& control, bool atItsPlace) {
  const ControlSpec& row = *control.row;
  const RECT place = factory_.LayOut(row, control.hwnd, atItsPlace);
  if (row.id == ctl::kAboutIcon) {
    const int size = place.right - place.left;
    aboutIcon_.reset(
        static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_FENDREL), IMAGE_ICON, size, size, 0)));
  }
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

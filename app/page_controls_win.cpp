#include "app/page_controls_win.h"

#include <algorithm>
#include <optional>
#include <string>

#include "platform/start_steps.h"
#include "platform/wide_text_win.h"
#include "screen/colours_win.h"
#include "screen/control_ids.h"
#include "screen/messages.h"
#include "screen/navigation.h"

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

// --- Making and layout.

void PageControls::MakeWindowControls(HWND window, HINSTANCE instance, void* panelParam) {
  window_ = window;
  instance_ = instance;
  panelParam_ = panelParam;
  controls_.clear();
  controls_.reserve(Controls().size());
  builtPages_.clear();
  MakeRows(kNoPage);
}

void PageControls::Forget() {
  window_ = nullptr;
  controls_.clear();
  builtPages_.clear();
}

void PageControls::BuildPage(int page) {
  if (!window_ || IsBuilt(page) || !FindControl(ctl::PageFrame(page))) return;
  const StartStep step("a page's controls");
  // Counted as built first: putting its state on the page asks for its controls.
  builtPages_.push_back(page);
  MakeRows(page);
  owner_.PageBuilt(page);
}

void PageControls::BuildEveryPage() {
  for (const PageInfo& page : kPages) BuildPage(page.index);
}

bool PageControls::IsBuilt(int page) const {
  return std::find(builtPages_.begin(), builtPages_.end(), page) != builtPages_.end();
}

void PageControls::MakeRows(int page) {
  const std::size_t first = controls_.size();
  for (const ControlSpec& row : Controls()) {
    // The decorative parts are no windows: the window paints them.
    if (PageOf(row) != page || row.Has(kPainted)) continue;
    HWND parent = row.container == kOnWindow ? window_ : Existing(ctl::PageFrame(row.container));
    if (!parent) continue;
    // Children are added beneath their siblings, so the table's order, top
    // first, is the z-order and the tab order.
    HWND control = factory_.Create(row, parent, instance_, panelParam_);
    if (!control) continue;
    if (PageOf(row) >= 0 && row.container == kOnWindow) {
      // A page's frame, made after the window's other controls: it goes to
      // its place in the table's order, beneath the control above it.
      SetWindowPos(control, SiblingAbove(row), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    std::optional<Rgb> back = row.Has(kOpaque) ? std::optional<Rgb>(row.back) : Backdrop(row);
    controls_.push_back({&row, control, row.text, back});
    owner_.ControlMade(row, control);
  }
  // Labels lie beneath every other control of their container (a text box
  // that touches a label keeps its border); among themselves they keep the
  // table's order. Labels made after every other control are there already
  // (children are added beneath their siblings); from the first label that
  // is not, each goes to the bottom in turn.
  const auto isLabel = [](const Made& control) { return control.row->kind == Kind::Label; };
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

HWND PageControls::SiblingAbove(const ControlSpec& row) const {
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

void PageControls::LayOutAgain() {
  for (const Made& control : controls_) LayOut(control);
  InvalidateRect(window_, nullptr, TRUE);
}

void PageControls::LayOut(const Made& control, bool atItsPlace) {
  const RECT place = factory_.LayOut(*control.row, control.hwnd, atItsPlace);
  owner_.ControlLaidOut(*control.row, place);
}

// --- Controls by identifier.

const PageControls::Made* PageControls::Find(int id) const {
  for (const Made& control : controls_) {
    if (control.row->id == id) return &control;
  }
  return nullptr;
}

PageControls::Made* PageControls::Changeable(int id) {
  return const_cast<Made*>(static_cast<const PageControls*>(this)->Find(id));
}

const PageControls::Made* PageControls::Find(HWND hwnd) const {
  for (const Made& control : controls_) {
    if (control.hwnd == hwnd) return &control;
  }
  return nullptr;
}

HWND PageControls::Existing(int id) const {
  const Made* control = Find(id);
  return control ? control->hwnd : nullptr;
}

std::optional<std::string> PageControls::PathText(int id) {
  const std::wstring text = Edit(id).Text();
  std::optional<std::string> path = FromWide(text);
  if (!path) boxes_.Show(messages::NameNotText(Narrow(text)), messages::kTitle);
  return path;
}

void PageControls::SetColours(int id, Rgb text, Rgb back) {
  Made* control = Changeable(id);
  if (!control) return;
  control->text = text;
  control->back = back;
  InvalidateRect(control->hwnd, nullptr, TRUE);
}

void PageControls::SetTextColour(int id, Rgb text) {
  Made* control = Changeable(id);
  if (!control) return;
  control->text = text;
  InvalidateRect(control->hwnd, nullptr, TRUE);
}

LRESULT PageControls::ColoursOn(HDC dc, HWND control) {
  const Made* made = Find(control);
  if (!made) return 0;
  const ControlSpec& row = *made->row;
  if (row.kind == Kind::Button && !row.Has(kWhiteButton)) return 0;  // the system's button colours
  SetTextColor(dc, ToColorRef(made->text));
  if (!made->back) {
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
  }
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, ToColorRef(*made->back));
  return reinterpret_cast<LRESULT>(factory_.BrushFor(*made->back));
}

}  // namespace fendrel

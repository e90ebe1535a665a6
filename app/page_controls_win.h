// The main window's controls, made from the layout table by the control
// factory: the window's own when the window is made, a page's when the page
// is first needed. They are laid out for the window's resolution and found,
// read and changed by identifier; each keeps the colours it is drawn in.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/control_factory_win.h"
#include "app/controls_win.h"
#include "app/list_box_control_win.h"
#include "platform/message_boxes.h"
#include "screen/colours.h"
#include "screen/layout.h"

namespace fendrel {

class PageControls {
 public:
  struct Made {
    const ControlSpec* row;
    HWND hwnd;
    Rgb text;
    std::optional<Rgb> back;  // nothing: transparent over a picture
  };

  // What the window adds to the making of its controls.
  class Owner {
   public:
    // A control was made: what it needs beyond its row (a tooltip, files dropped).
    virtual void ControlMade(const ControlSpec& row, HWND control) = 0;
    // A control has its place for the resolution (in its container, in pixels).
    virtual void ControlLaidOut(const ControlSpec& row, const RECT& place) = 0;
    // A page's controls were made: the core's state now is put on them.
    virtual void PageBuilt(int page) = 0;

   protected:
    ~Owner() = default;
  };

  // `boxes`: where a path box that holds no file name is told.
  PageControls(ControlFactory& factory, MessageBoxes& boxes, Owner& owner)
      : factory_(factory), boxes_(boxes), owner_(owner) {}
  PageControls(const PageControls&) = delete;
  PageControls& operator=(const PageControls&) = delete;

  // Makes the window's own controls (menu, emergency buttons) on `window`;
  // `panelParam` reaches the WM_NCCREATE of every panel made from now on.
  void MakeWindowControls(HWND window, HINSTANCE instance, void* panelParam);
  // The window is gone, and its controls with it.
  void Forget();
  // Makes a page's frame and controls, once.
  void BuildPage(int page);
  // Builds the pages that were not needed yet.
  void BuildEveryPage();
  bool IsBuilt(int page) const;
  // Every control's font and place again, for a new resolution.
  void LayOutAgain();
  int dpi() const { return factory_.dpi(); }

  // The control window with this identifier, wherever it lives; null if
  // none, or while its page is not built: asking builds nothing, and a
  // page built later is shown the state of the core then (Owner::PageBuilt).
  HWND Existing(int id) const;
  const Made* Find(int id) const;
  const Made* Find(HWND control) const;

  // The control with this identifier, wrapped by its kind; a wrapper over
  // no window (which answers as empty and changes nothing) if none.
  fendrel::Label Label(int id) const { return fendrel::Label(Existing(id)); }
  fendrel::Button Button(int id) const { return fendrel::Button(Existing(id)); }
  fendrel::Edit Edit(int id) const { return fendrel::Edit(Existing(id)); }
  fendrel::CheckBox CheckBox(int id) const { return fendrel::CheckBox(Existing(id)); }
  ListBoxControl ListBox(int id) const { return ListBoxControl(Existing(id)); }

  // The text of a path box exactly; nothing, after telling the person, when
  // it holds what no file name can (half of a UTF-16 pair).
  std::optional<std::string> PathText(int id);
  void SetCaption(int id, const std::string& caption) { ControlWindow(Existing(id)).SetText(caption); }
  // The colours a control is drawn in.
  void SetColours(int id, Rgb text, Rgb back);
  void SetTextColour(int id, Rgb text);
  // WM_CTLCOLOR*: the colours of one of these controls on `dc` and the brush
  // of its background; 0 for a control drawn in the system's colours.
  LRESULT ColoursOn(HDC dc, HWND control);

 private:
  // Makes the controls of one page (or of the window itself) in the
  // table's order, and lays them out.
  void MakeRows(int page);
  // Where a page's frame made later goes in the z-order.
  HWND SiblingAbove(const ControlSpec& row) const;
  // Sets the control's font and place for the window's resolution;
  // `atItsPlace`: it was made at its place in the table just now.
  void LayOut(const Made& control, bool atItsPlace = false);
  // Find, for changing its colours.
  Made* Changeable(int id);

  ControlFactory& factory_;
  MessageBoxes& boxes_;
  Owner& owner_;
  HWND window_ = nullptr;
  HINSTANCE instance_ = nullptr;
  void* panelParam_ = nullptr;
  std::vector<Made> controls_;
  std::vector<int> builtPages_;
};

}  // namespace fendrel

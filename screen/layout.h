// The main window's layout as data: every control with its kind, container,
// caption, place in twips, font, colours and initial state. The window
// creates its controls from this table in one loop, paints the purely
// decorative parts itself, and scales every number with TwipsToPixels.
#pragma once

#include <optional>
#include <span>

#include "screen/colours.h"
#include "screen/navigation.h"

namespace fendrel {

inline constexpr int kClientWidthTwips = 10500;
inline constexpr int kClientHeightTwips = 6735;

// Twips (1/1440 inch) to pixels at a resolution in dots per inch, rounded
// to the nearest pixel: 15 twips a pixel at 96 DPI.
int TwipsToPixels(int twips, int dpi);

enum class Kind {
  Label,
  Button,
  TextBox,
  PasswordBox,
  MultiLineText,
  ListBox,
  CheckBox,
  Picture,  // a picture box that shows a bitmap and may contain controls
  Image,    // shows the program icon
  Frame,
};

// Where a control lives: on the window's client area, inside kBanner, or
// on a page (a page index, 0 and up).
inline constexpr int kOnWindow = -1;
inline constexpr int kInBanner = -2;

struct Font {
  const char* face;
  int hundredthsOfPoint;  // 825 is 8.25 pt
  bool bold;
  bool underline;
};

// The window's default font.
inline constexpr Font kDefaultFont{"MS Sans Serif", 825, false, false};

// The faces to try for a font, best first: the face named by the layout
// (for the bitmap font MS Sans Serif its TrueType twin first, which stays
// sharp at every resolution), then faces that look alike where it is
// missing; Wine often lacks them all.
std::span<const char* const> FaceCandidates(const char* face);

// Initial state and look, as flags.
enum Flag : unsigned {
  kHidden = 1u << 0,
  kDisabled = 1u << 1,
  kReadOnly = 1u << 2,
  kSizedToText = 1u << 3,  // a label whose size follows its caption
  kCentred = 1u << 4,      // text centred
  kWhiteButton = 1u << 5,  // a push button drawn with a white background
  kClickable = 1u << 6,    // a label that reports clicks (menu items, the web link)
  kOpaque = 1u << 7,       // paints its own background colour; otherwise transparent
  kEntryStates = 1u << 8,  // a list whose entries show whether their files are protected now
  // Purely decorative (the banner and its version, the strip and grey panel
  // of the menu, its title, the place beneath the pages): the window paints
  // it beneath every control, and no control window is made for it.
  kPainted = 1u << 9,
};

struct ControlSpec {
  const char* name;
  int id;
  Kind kind;
  int container;  // kOnWindow, kInBanner or a page index
  const char* caption;
  int left, top, width, height;  // twips, relative to the container
  Font font;
  Rgb text;
  Rgb back;  // meaningful with kOpaque
  unsigned flags;

  bool Has(Flag flag) const { return (flags & flag) != 0; }
};

// Every control, in z-order from the top, which is also the tab order.
// A page's frame comes before the controls on it; kBanner before kVersionLabel.
// The painted parts lie beneath every control they touch, so they come after
// them.
std::span<const ControlSpec> Controls();

const ControlSpec* FindControl(int id);

// The placeholder whose place every shown page takes.
const ControlSpec& FramePosition();

// The colour that shows through a transparent control: the opaque control
// it lies on (the grey panel behind the menu) or its container's white.
// Nothing for a control on a picture, which shows the picture.
std::optional<Rgb> Backdrop(const ControlSpec& control);

}  // namespace fendrel

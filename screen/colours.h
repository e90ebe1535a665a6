// Every colour the program paints with, named by what it paints: the
// layout, the menu's three looks and the ON/OFF switch take them from here.
#pragma once

namespace fendrel {

struct Rgb {
  unsigned char red, green, blue;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The window, the pages and the white buttons.
inline constexpr Rgb kWhite{255, 255, 255};
// Text.
inline constexpr Rgb kBlack{0, 0, 0};
// The menu column and its items.
inline constexpr Rgb kMenuGrey{224, 224, 224};
// The text of a menu item the access level does not open.
inline constexpr Rgb kMenuClosedText{192, 192, 192};
// The version on the banner, and the menu item of the page shown.
inline constexpr Rgb kBannerBlue{146, 187, 219};
// The ON/OFF switch while Fendrel is ON, and while it is OFF.
inline constexpr Rgb kOnGreen{0, 128, 0};
inline constexpr Rgb kOffRed{255, 0, 0};
// A list entry whose file is not protected now, and the Welcome page's
// summary while some file of the safe list is not: the OFF red.
inline constexpr Rgb kNotProtectedRed{255, 0, 0};
// The web link on the About page.
inline constexpr Rgb kLinkBlue{0, 0, 255};

}  // namespace fendrel

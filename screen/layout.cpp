#include "screen/layout.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

#include "screen/control_ids.h"
#include "screen/list_pages.h"
#include "screen/messages.h"

namespace fendrel {

namespace {

constexpr Font kMenuFont{"Verdana", 825, true, false};
constexpr Font kCloseItemFont{"Verdana", 1200, true, false};
constexpr Font kMenuTitleFont{"Verdana", 975, true, false};
constexpr Font kVersionFont{"Lucida Console", 1575, true, false};
constexpr Font kSwitchFont{"MS Sans Serif", 825, true, false};
constexpr Font kLinkFont{"Arial", 975, true, true};

using enum Kind;
using namespace ctl;

// Shorthands for the rows: a plain label on a page, a white button, and so on.
constexpr ControlSpec PageLabel(const char* name, int id, int page, const char* caption, int left, int top,
                                int width, int height, unsigned flags = 0) {
  return {name, id, Label, page, caption, left, top, width, height, kDefaultFont, kBlack, kWhite, flags};
}
constexpr ControlSpec WhiteButton(const char* name, int id, int page, const char* caption, int left, int top,
                                  int width, int height) {
  return {name,  id,     Button,       page,   caption, left,        top,
          width, height, kDefaultFont, kBlack, kWhite,  kWhiteButton};
}
constexpr ControlSpec Input(const char* name, int id, Kind kind, int page, int left, int top, int width,
                            int height, unsigned flags = 0) {
  return {name, id, kind, page, "", left, top, width, height, kDefaultFont, kBlack, kWhite, kOpaque | flags};
}
constexpr ControlSpec kPagePlaceRow{
    "fraPos",     kPagePlace, Frame,  kOnWindow,         "", 2580, 1440, 7815, 5175,
    kDefaultFont, kBlack,     kWhite, kOpaque | kPainted};
// A page is created hidden, in the place it takes whenever it is shown.
constexpr ControlSpec PageRow(int page) {
  return {"fraContent",
          PageFrame(page),
          Frame,
          kOnWindow,
          FindPage(page)->frameCaption,
          kPagePlaceRow.left,
          kPagePlaceRow.top,
          kPagePlaceRow.width,
          kPagePlaceRow.height,
          kDefaultFont,
          kBlack,
          kWhite,
          kOpaque | kHidden};
}
constexpr ControlSpec MenuRow(int page, int left, int top, int width, int height,
                              const Font& font = kMenuFont, unsigned flags = 0) {
  return {"lblMenuItem", MenuItem(page), Label,  kOnWindow, FindPage(page)->menuCaption, left, top, width,
          height,        font,           kBlack, kMenuGrey, kOpaque | kClickable | flags};
}

// The rows both list pages share, at the same places: the file label, the
// path box, "...", ">>> Add", "<<< Remove" and the list itself.
constexpr std::array<ControlSpec, 6> SharedRows(const ListPageSpec& p) {
  return {
      PageLabel(p.names[0], p.fileLabel, p.page, messages::kListFileLabel, 120, 960, 1695, 255),
      Input(p.names[1], p.pathBox, TextBox, p.page, 120, 1200, 5655, 285, kReadOnly),
      WhiteButton(p.names[2], p.browseButton, p.page, messages::kListBrowseButton, 5820, 1200, 375, 285),
      WhiteButton(p.names[3], p.addButton, p.page, messages::kListAddButton, 6300, 900, 1215, 285),
      WhiteButton(p.names[4], p.removeButton, p.page, messages::kListRemoveButton, 6300, 1200, 1215, 255),
      Input(p.names[5], p.listBox, ListBox, p.page, 120, 1500, 7455, 3375, kEntryStates),
  };
}
constexpr auto kSafeListRows = SharedRows(kListPages[0]);
constexpr auto kEmergencyListRows = SharedRows(kListPages[1]);

// The table in pieces, joined in order.
template <std::size_t... N>
constexpr auto Join(const std::array<ControlSpec, N>&... parts) {
  std::array<ControlSpec, (N + ...)> all{};
  std::size_t at = 0;
  ((std::copy(parts.begin(), parts.end(), all.begin() + static_cast<std::ptrdiff_t>(at)), at += N), ...);
  return all;
}

constexpr std::array kBeforeTheLists{
    // Above the pages: the two emergency buttons reach into the pages' top border.
    ControlSpec{"Command3", kEmergencyButton, Button, kOnWindow, messages::kEmergencyButton, 8220, 1380, 915,
                255, kDefaultFont, kBlack, kWhite, 0},
    ControlSpec{"Command4", kNoEmergencyButton, Button, kOnWindow, messages::kNoEmergencyButton, 9180, 1380,
                1215, 255, kDefaultFont, kBlack, kWhite, kDisabled},

    // Page 0, "Welcome".
    PageRow(kWelcome),
    PageLabel("Label8", kWelcomeTitle, kWelcome, messages::kWelcomeTitle, 60, 240, 1545, 195, kSizedToText),
    PageLabel("Label10", kLoginPrompt, kWelcome, messages::kLoginPrompt, 60, 600, 3135, 255),
    Input("txtCheckPass", kLoginPasswordBox, PasswordBox, kWelcome, 1020, 960, 3015, 285),
    WhiteButton("cmdCheckPass", kLoginButton, kWelcome, messages::kLoginButton, 2940, 1320, 1095, 255),
    ControlSpec{"optOn", kOnOffSwitch, CheckBox, kWelcome, "", 180, 1740, 6075, 255, kSwitchFont, kOnGreen,
                kWhite, kOpaque},
    // Room for four lines: the summary of a safe list not read yet names its file and why.
    PageLabel("lblSafeSummary", kSafeListSummary, kWelcome, "", 180, 2040, 6075, 1020),

    // Page 1, "Main" (the safe list).
    PageRow(kMain),
    PageLabel("Label3", kSafeListNote, kMain, messages::kSafeListNote, 120, 300, 6615, 555),
};

constexpr std::array kBetweenTheLists{
    Input("safelist2", kSafeHoldNumbers, ListBox, kMain, 7440, 1560, 495, 2985, kHidden),

    // Page 2, "Emergency List".
    PageRow(kEmergencyList),
    PageLabel("Label2", kEmergencyListNote, kEmergencyList, messages::kEmergencyListNote, 60, 240, 5775, 735),
};

constexpr std::array kAfterTheLists{
    Input("EmerList2", kEmergencyHoldNumbers, ListBox, kEmergencyList, 7620, 1800, 495, 2985, kHidden),

    // Page 3, "About".
    PageRow(kAbout),
    ControlSpec{"Image1", kAboutIcon, Image, kAbout, "", 360, 360, 480, 480, kDefaultFont, kBlack, kWhite,
                kOpaque},
    PageLabel("Label21", kAboutName, kAbout, messages::kAboutName, 1200, 360, 3375, 255),
    ControlSpec{"Label23", kWebLink, Label, kAbout, messages::kProductWebSite, 1440, 1080, 1785, 240,
                kLinkFont, kLinkBlue, kWhite, kSizedToText | kClickable},

    // Page 4, "Password".
    PageRow(kPassword),
    PageLabel("Label11", kChangePasswordTitle, kPassword, messages::kChangePasswordTitle, 240, 360, 1665, 195,
              kSizedToText),
    PageLabel("Label7", kCurrentPasswordLabel, kPassword, messages::kCurrentPasswordLabel, 240, 720, 1245,
              195, kSizedToText),
    Input("txtCurPass", kCurrentPasswordBox, PasswordBox, kPassword, 1800, 720, 4455, 285),
    PageLabel("Label6", kNewPasswordLabel, kPassword, messages::kNewPasswordLabel, 240, 1080, 1335, 255),
    Input("txtNewPass", kNewPasswordBox, PasswordBox, kPassword, 1800, 1080, 4455, 285),
    PageLabel("Label5", kConfirmPasswordLabel, kPassword, messages::kConfirmPasswordLabel, 240, 1440, 1260,
              195, kSizedToText),
    Input("txtConPass", kConfirmPasswordBox, PasswordBox, kPassword, 1800, 1440, 4455, 285),
    WhiteButton("Command6", kChangePasswordButton, kPassword, messages::kChangePasswordButton, 5040, 1800,
                1215, 315),
    PageLabel("Label9", kDigestNote, kPassword, messages::kDigestNote, 120, 2160, 4260, 195, kSizedToText),

    // Page 7, "New User".
    PageRow(kNewUser),
    PageLabel("Label4", kNewUserTitle, kNewUser, messages::kNewUserTitle, 240, 300, 4635, 255),
    PageLabel("Label39", kCreatePasswordLabel, kNewUser, messages::kCreatePasswordLabel, 120, 660, 1815, 255),
    Input("txtCreatePass", kCreatePasswordBox, PasswordBox, kNewUser, 2040, 660, 3135, 285),
    PageLabel("Label40", kCreateConfirmLabel, kNewUser, messages::kCreateConfirmLabel, 120, 1140, 1815, 255),
    Input("txtCreatePass2", kCreateConfirmBox, PasswordBox, kNewUser, 2040, 1140, 3135, 285),
    ControlSpec{"Text1", kTermsOfUse, MultiLineText, kNewUser, messages::kTermsOfUse, 240, 1500, 7215, 2055,
                kDefaultFont, kBlack, kWhite, kOpaque | kReadOnly},
    PageLabel("Label37", kTermsNote, kNewUser, messages::kTermsNote, 240, 3540, 5055, 255),
    WhiteButton("Command5", kAcceptButton, kNewUser, messages::kAcceptButton, 6240, 3780, 1215, 375),

    // Page 8, "Close Program".
    PageRow(kCloseProgram),
    PageLabel("Label26", kCloseNote, kCloseProgram, messages::kCloseNote, 120, 240, 6555, 615),
    PageLabel("Label27", kClosePasswordLabel, kCloseProgram, messages::kClosePasswordLabel, 180, 1080, 795,
              255),
    Input("txtClose", kClosePasswordBox, PasswordBox, kCloseProgram, 960, 1020, 3135, 285),
    WhiteButton("Command7", kCloseProgramButton, kCloseProgram, messages::kCloseProgramButton, 120, 1440,
                5175, 375),

    // Beneath the pages: the placeholder whose place the shown page takes.
    kPagePlaceRow,

    // The menu column, above its grey panel.
    MenuRow(kWelcome, 120, 2160, 2295, 255),
    MenuRow(kMain, 120, 2520, 2295, 255),
    MenuRow(kEmergencyList, 120, 2760, 2295, 255),
    MenuRow(kAbout, 120, 3120, 2295, 255),
    MenuRow(kPassword, 120, 3480, 2295, 255),
    MenuRow(kNewUser, 240, 6660, 2175, 255, kMenuFont, kHidden),
    MenuRow(kCloseProgram, 120, 5940, 2295, 555, kCloseItemFont, kCentred),
    ControlSpec{"Label47", kMenuTitle, Label, kOnWindow, messages::kMenuTitle, 900, 1800, 795, 240,
                kMenuTitleFont, kBlack, kWhite, kSizedToText | kPainted},
    ControlSpec{"lblFakeBack", kMenuPanel, Label, kOnWindow, "", 120, 1800, 2295, 4815, kDefaultFont, kBlack,
                kMenuGrey, kOpaque | kPainted},
    ControlSpec{"Picture1", kMenuStrip, Picture, kOnWindow, "", 120, 1500, 2295, 225, kDefaultFont, kBlack,
                kWhite, kOpaque | kPainted},

    // The banner across the top, with the version on it.
    ControlSpec{"Picture3", kBanner, Picture, kOnWindow, "", 0, 0, 10575, 1385, kDefaultFont, kBlack, kWhite,
                kOpaque | kPainted},
    ControlSpec{"Label49", kVersionLabel, Label, kInBanner, messages::kVersionLabel, 6420, 900, 630, 315,
                kVersionFont, kBannerBlue, kWhite, kSizedToText | kPainted},
};

// Every row, from the top of the z-order down.
constexpr auto kControls =
    Join(kBeforeTheLists, kSafeListRows, kBetweenTheLists, kEmergencyListRows, kAfterTheLists);

bool Overlap(const ControlSpec& a, const ControlSpec& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
         b.top < a.top + a.height;
}

}  // namespace

std::span<const char* const> FaceCandidates(const char* face) {
  // MS Sans Serif is a bitmap font: its TrueType twin stays sharp at every
  // resolution. DejaVu Sans has Verdana's widths; its condensed cut comes
  // close to MS Sans Serif and Arial.
  static constexpr const char* kSansSerif[] = {
      "Microsoft Sans Serif", "MS Sans Serif",         "Tahoma",
      "Liberation Sans",      "DejaVu Sans Condensed", "DejaVu Sans"};
  static constexpr const char* kVerdana[] = {"Verdana", "DejaVu Sans", "Tahoma", "Liberation Sans"};
  static constexpr const char* kArial[] = {"Arial", "Liberation Sans", "DejaVu Sans Condensed", "Tahoma",
                                           "DejaVu Sans"};
  static constexpr const char* kLucida[] = {"Lucida Console", "DejaVu Sans Mono", "Liberation Mono",
                                            "Courier New"};
  const std::string_view name = face;
  if (name == "Verdana") return kVerdana;
  if (name == "Arial") return kArial;
  if (name == "Lucida Console") return kLucida;
  return kSansSerif;
}

int TwipsToPixels(int twips, int dpi) {
  const long long scaled = static_cast<long long>(twips) * dpi;
  return static_cast<int>(scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440));
}

std::span<const ControlSpec> Controls() {
  return kControls;
}

const ControlSpec* FindControl(int id) {
  for (const ControlSpec& control : kControls) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

const ControlSpec& FramePosition() {
  return *FindControl(kPagePlace);
}

std::optional<Rgb> Backdrop(const ControlSpec& control) {
  if (control.container == kInBanner) return std::nullopt;
  if (control.container != kOnWindow) return kWhite;  // every page is white
  // The table runs from the top of the z-order down: what lies beneath a
  // control comes after it.
  bool beneath = false;
  for (const ControlSpec& other : kControls) {
    if (&other == &control) {
      beneath = true;
    } else if (beneath && other.container == kOnWindow && other.Has(kOpaque) && Overlap(control, other)) {
      return other.back;
    }
  }
  return kWhite;
}

}  // namespace fendrel

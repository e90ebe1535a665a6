// The identifier of every control of the main window. Each control window
// carries its identifier (GetDlgCtrlID), also the controls on a page, so
// the window's command path, the tests and any driver find a control by it.
// The numbers are stable: new controls take new numbers.
#pragma once

namespace fendrel::ctl {

enum Id : int {
  // Top-level controls of Form1.
  kBanner = 1000,
  kVersionLabel = 1001,  // inside kBanner
  kEmergencyButton = 1002,
  kNoEmergencyButton = 1003,
  kMenuStrip = 1004,
  kMenuPanel = 1005,
  kMenuTitle = 1006,
  kPagePlace = 1007,

  // MenuItem(i) is 1100 + i and PageFrame(i) is 1200 + i, i the page index.
  kMenuItemBase = 1100,
  kPageFrameBase = 1200,

  // Page 0, "Welcome".
  kWelcomeTitle = 1300,
  kLoginPrompt = 1301,
  kLoginPasswordBox = 1302,
  kLoginButton = 1303,
  kOnOffSwitch = 1304,
  kSafeListSummary = 1305,  // how many files of the safe list are protected now

  // Page 1, "Main" (the safe list).
  kSafeListNote = 1310,
  kSafeFileLabel = 1311,
  kSafeAddButton = 1312,
  kSafePathBox = 1313,
  kSafeBrowseButton = 1314,
  kSafeRemoveButton = 1315,
  kSafeListBox = 1316,
  kSafeHoldNumbers = 1317,

  // Page 2, "Emergency List".
  kEmergencyListNote = 1320,
  kEmergencyFileLabel = 1321,
  kEmergencyAddButton = 1322,
  kEmergencyPathBox = 1323,
  kEmergencyBrowseButton = 1324,
  kEmergencyRemoveButton = 1325,
  kEmergencyListBox = 1326,
  kEmergencyHoldNumbers = 1327,

  // Page 3, "About".
  kAboutIcon = 1330,
  kAboutName = 1331,
  kWebLink = 1332,

  // Page 4, "Password".
  kChangePasswordTitle = 1340,
  kCurrentPasswordLabel = 1341,
  kCurrentPasswordBox = 1342,
  kNewPasswordLabel = 1343,
  kNewPasswordBox = 1344,
  kConfirmPasswordLabel = 1345,
  kConfirmPasswordBox = 1346,
  kChangePasswordButton = 1347,
  kDigestNote = 1348,

  // Page 7, "New User".
  kNewUserTitle = 1370,
  kCreatePasswordLabel = 1371,
  kCreatePasswordBox = 1372,
  kCreateConfirmLabel = 1373,
  kCreateConfirmBox = 1374,
  kTermsOfUse = 1375,
  kTermsNote = 1376,
  kAcceptButton = 1377,

  // Page 8, "Close Program".
  kCloseNote = 1380,
  kClosePasswordLabel = 1381,
  kClosePasswordBox = 1382,
  kCloseProgramButton = 1383,
};

constexpr int MenuItem(int pageIndex) {
  return kMenuItemBase + pageIndex;
}
constexpr int PageFrame(int pageIndex) {
  return kPageFrameBase + pageIndex;
}

// The page index of a menu item's identifier, or -1 for any other control.
constexpr int MenuItemIndex(int id) {
  return id >= kMenuItemBase && id < kMenuItemBase + 9 ? id - kMenuItemBase : -1;
}

}  // namespace fendrel::ctl

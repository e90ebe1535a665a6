// The identifier of every control of the main window. Each control window
// carries its identifier (GetDlgCtrlID), also the controls on a page, so
// the window's command path, the tests and any driver find a control by it.
// The numbers are stable: new controls take new numbers.
#pragma once

namespace fendrel::ctl {

enum Id : int {
  // Top-level controls of Form1.
  Picture3 = 1000,
  Label49 = 1001,  // inside Picture3
  Command3 = 1002,
  Command4 = 1003,
  Picture1 = 1004,
  lblFakeBack = 1005,
  Label47 = 1006,
  fraPos = 1007,

  // lblMenuItem(i) is 1100 + i and fraContent(i) is 1200 + i, i the page index.
  lblMenuItemBase = 1100,
  fraContentBase = 1200,

  // Page 0, "Welcome".
  Label8 = 1300,
  Label10 = 1301,
  txtCheckPass = 1302,
  cmdCheckPass = 1303,
  optOn = 1304,

  // Page 1, "Main" (the safe list).
  Label3 = 1310,
  Label30 = 1311,
  cmdSafeAdd = 1312,
  txtSafeAdd = 1313,
  cmdSafeDot = 1314,
  cmdSafeRem = 1315,
  SafeList = 1316,
  safelist2 = 1317,

  // Page 2, "Emergency List".
  Label2 = 1320,
  Label1 = 1321,
  cmdEAdd = 1322,
  txtEAdd = 1323,
  cmdEDot = 1324,
  cmdERem = 1325,
  EmerList = 1326,
  EmerList2 = 1327,

  // Page 3, "About".
  Image1 = 1330,
  Label21 = 1331,
  Label23 = 1332,

  // Page 4, "Password".
  Label11 = 1340,
  Label7 = 1341,
  txtCurPass = 1342,
  Label6 = 1343,
  txtNewPass = 1344,
  Label5 = 1345,
  txtConPass = 1346,
  Command6 = 1347,
  Label9 = 1348,

  // Page 7, "New User".
  Label4 = 1370,
  Label39 = 1371,
  txtCreatePass = 1372,
  Label40 = 1373,
  txtCreatePass2 = 1374,
  Text1 = 1375,
  Label37 = 1376,
  Command5 = 1377,

  // Page 8, "Close Program".
  Label26 = 1380,
  Label27 = 1381,
  txtClose = 1382,
  Command7 = 1383,
};

constexpr int lblMenuItem(int pageIndex) {
  return lblMenuItemBase + pageIndex;
}
constexpr int fraContent(int pageIndex) {
  return fraContentBase + pageIndex;
}

// The page index of a menu item's identifier, or -1 for any other control.
constexpr int MenuItemIndex(int id) {
  return id >= lblMenuItemBase && id < lblMenuItemBase + 9 ? id - lblMenuItemBase : -1;
}

}  // namespace fendrel::ctl

// Resource identifiers, shared by the resource script and the program.
#pragma once

#define IDI_FENDREL 1   // the program icon: window, About page and tray
#define IDB_BANNER 101  // the banner across the top, 700 x 120
#define IDB_STRIP 102   // the strip above the menu, 151 x 15

// The program's colours as GDI takes them.
#pragma once

#include <windows.h>

#include "screen/colours.h"

namespace fendrel {

inline COLORREF ToColorRef(Rgb colour) {
  return RGB(colour.red, colour.green, colour.blue);
}

}  // namespace fendrel

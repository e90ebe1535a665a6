// Guards for drawing: each gives back what it took when it goes out of
// scope, also when the code between throws, so no device context stays
// taken and no painting stays open.
#pragma once

#include <windows.h>

namespace fendrel {

// The device context of a window (GetDC; a null window is the screen),
// released at the end.
class WindowDC {
 public:
  explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;

  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// A memory device context compatible with `like` (CreateCompatibleDC; null
// is the screen), deleted at the end.
class MemoryDC {
 public:
  explicit MemoryDC(HDC like) : dc_(CreateCompatibleDC(like)) {}
  ~MemoryDC() {
    if (dc_) DeleteDC(dc_);
  }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;

  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// A font, bitmap, brush or pen selected into a device context; the object
// it replaced is selected again at the end, so the caller's object is free
// to be deleted.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(dc && object ? SelectObject(dc, object) : nullptr) {}
  ~Selection() {
    if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// The state of a device context (clipping, selections, colours, modes),
// saved now and put back at the end, so a part drawn with its own clipping
// and colours leaves the next one as it found the context.
class SavedState {
 public:
  explicit SavedState(HDC dc) : dc_(dc), saved_(dc ? SaveDC(dc) : 0) {}
  ~SavedState() {
    if (saved_) RestoreDC(dc_, saved_);
  }
  SavedState(const SavedState&) = delete;
  SavedState& operator=(const SavedState&) = delete;

 private:
  HDC dc_;
  int saved_;
};

// One WM_PAINT of a window: BeginPaint, and EndPaint at the end, which
// validates the window even when painting failed (else WM_PAINT would come
// again and again).
class Painting {
 public:
  explicit Painting(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
  ~Painting() { EndPaint(window_, &paint_); }
  Painting(const Painting&) = delete;
  Painting& operator=(const Painting&) = delete;

  HDC dc() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

}  // namespace fendrel

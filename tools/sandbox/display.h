// What the sandbox shows: the frame time and the clock; for each binding's key,
// named as the keyboard names it, the last event delivered, its age as the clock
// moves on, and what the plugin makes of it (will act, acted, missed...); the
// subject; and the natives the plugin called, newest first, with the frames they
// came in (a native called alike in consecutive frames shows once, with the first
// and the last), text arguments as text.
// Fed by the window's thread, painted with GDI on the same thread, and only while
// the plugin is loaded: the text arguments are read where the plugin keeps them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <type_traits>
#include <vector>

#include "host/platform.h"
#include "standin/standin.h"

namespace sandbox {

// The frame times, in ms, that the digit keys choose, one each from
// kFirstFrameTimeKey on (a digit's virtual-key code is its character); the
// display lists them.
inline constexpr DWORD kFrameTimes[] = {16, 33, 100, 250};
inline constexpr DWORD kFirstFrameTimeKey = '1';
// The keys whose last event the display follows: X, C and Ctrl.
inline constexpr std::size_t kWatchedKeyCount = 3;

class Display {
 public:
  Display();

  // A keystroke delivered at `tick` (ms, the clock the plugin reads).
  void keystroke(const standin::Keystroke& keystroke, DWORD tick);
  // Frame `number` (from 1), whose pass began at `tick` and made `calls`.
  void frame(std::uint64_t number, DWORD tick, std::span<const standin::HostCall> calls);
  // Whether a keystroke or a native has come since the last paint.
  bool hasNews() const;
  // Paints everything over `area` as of `now` (ms, the same clock as the ticks);
  // `frameMs` is the frame time in force, and the next pass is due in
  // `nextPassInMs`.
  void paint(HDC dc, const RECT& area, DWORD now, DWORD frameMs, DWORD nextPassInMs);
  // The smallest client area, in pixels, that shows every column and a few
  // natives, in the display's font on `dc`.
  SIZE minimumClientSize(HDC dc) const;

 private:
  struct LastEvent {
    bool seen = false;
    standin::Keystroke keystroke;
    DWORD tick = 0;
    std::optional<DWORD> passBefore;  // the tick of the last pass before it
    std::optional<DWORD> firstPass;   // the tick of the first pass after it
  };
  // A native called with the same arguments in one frame or in consecutive frames.
  struct Native {
    std::uint64_t firstFrame = 0;
    std::uint64_t lastFrame = 0;
    UINT64 hash = 0;
    std::vector<UINT64> slots;
  };

  void listNative(const Native& native);

  // Deleted with the display.
  std::unique_ptr<std::remove_pointer_t<HFONT>, decltype(&DeleteObject)> font_;
  std::array<LastEvent, kWatchedKeyCount> keys_;  // in kWatchedKeys' order (display.cpp)
  std::deque<Native> natives_;                    // newest first
  std::uint64_t frame_ = 0;
  DWORD now_ = 0;                  // the clock as last sampled
  std::optional<DWORD> lastPass_;  // the tick of the last pass
  INT32 subject_ = 0;
  bool subjectSeen_ = false;
  bool news_ = false;
};

}  // namespace sandbox

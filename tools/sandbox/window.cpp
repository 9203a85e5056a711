#include "tools/sandbox/window.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

#include "harness/format.h"
#include "tools/sandbox/key_message.h"

namespace sandbox {
namespace {

constexpr const char* kClassName = "keyrelay-sandbox";
constexpr const char* kTitle = "keyrelay sandbox";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;
constexpr int kClientWidth = 760;
constexpr int kClientHeight = 560;
constexpr DWORD kClockRepaintMs = 100;

struct Sandbox {
  Session& session;
  Display& display;
  DWORD frameMs;
  DWORD frameStart = 0;  // when the last pass began (ms)
};

// Null for the messages that come before WM_NCCREATE.
Sandbox* sandboxOf(HWND window) {
  return reinterpret_cast<Sandbox*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// From `now` until the next pass is due; 0 when it is due.
DWORD nextPassIn(const Sandbox& sandbox, DWORD now) {
  const DWORD elapsed = now - sandbox.frameStart;
  return elapsed >= sandbox.frameMs ? 0 : sandbox.frameMs - elapsed;
}

// The window's outer size for a client area of `client`.
POINT outerSize(SIZE client) {
  RECT outer{0, 0, client.cx, client.cy};
  AdjustWindowRect(&outer, kStyle, FALSE);
  return POINT{outer.right - outer.left, outer.bottom - outer.top};
}

// Never smaller than the display's columns need.
void limitSize(HWND window, const Sandbox& sandbox, MINMAXINFO& limits) {
  const HDC dc = GetDC(window);
  limits.ptMinTrackSize = outerSize(sandbox.display.minimumClientSize(dc));
  ReleaseDC(window, dc);
}

// Every key goes to the plugin, as the host hands it every key; a few also steer
// the sandbox.
void onKey(HWND window, Sandbox& sandbox, WPARAM wParam, LPARAM lParam) {
  const standin::Keystroke keystroke = decodeKeyMessage(wParam, lParam);
  sandbox.session.keystroke(GetTickCount(), keystroke);
  InvalidateRect(window, nullptr, FALSE);
  if (keystroke.transitionState != 0) return;
  if (keystroke.key == VK_ESCAPE) DestroyWindow(window);
  const DWORD choice = keystroke.key - kFirstFrameTimeKey;
  if (choice < std::size(kFrameTimes)) sandbox.frameMs = kFrameTimes[choice];
}

// Painted off screen first, so that the text does not flicker at every frame.
void paint(HWND window, Sandbox& sandbox) {
  PAINTSTRUCT ps;
  const HDC dc = BeginPaint(window, &ps);
  RECT area;
  GetClientRect(window, &area);
  const HDC buffer = CreateCompatibleDC(dc);
  const HBITMAP bitmap = CreateCompatibleBitmap(dc, area.right, area.bottom);
  const HGDIOBJ oldBitmap = SelectObject(buffer, bitmap);
  const DWORD now = GetTickCount();
  sandbox.display.paint(buffer, area, now, sandbox.frameMs, nextPassIn(sandbox, now));
  BitBlt(dc, 0, 0, area.right, area.bottom, buffer, 0, 0, SRCCOPY);
  SelectObject(buffer, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(buffer);
  EndPaint(window, &ps);
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    // Never passed on: DefWindowProc would open the system menu's modal loop on
    // Alt or F10, and the frames would stop.
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      onKey(window, *sandboxOf(window), wParam, lParam);
      return 0;
    case WM_PAINT:
      paint(window, *sandboxOf(window));
      return 0;
    case WM_GETMINMAXINFO:
      if (sandboxOf(window) == nullptr) break;
      limitSize(window, *sandboxOf(window), *reinterpret_cast<MINMAXINFO*>(lParam));
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the paint covers it all
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND openWindow(Sandbox& sandbox) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = windowProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kClassName;
  if (RegisterClassA(&windowClass) == 0) return nullptr;
  const POINT size = outerSize(SIZE{kClientWidth, kClientHeight});
  const HWND window =
      CreateWindowExA(0, kClassName, kTitle, kStyle, CW_USEDEFAULT, CW_USEDEFAULT, size.x, size.y,
                      nullptr, nullptr, windowClass.hInstance, &sandbox);
  if (window != nullptr) ShowWindow(window, SW_SHOWNORMAL);
  return window;
}

// Under Wine, a window fails to open when its X display cannot be opened: the
// display named by $DISPLAY, which Wine passes on.
std::string windowError(DWORD error) {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr) return harness::format("cannot open its window (error %lu)", error);
  return harness::format(
      "cannot open its window (error %lu): the X display '%s' cannot be opened (no X server "
      "there, or it refuses us)",
      error, display);
}

}  // namespace

std::string runWindow(Session& session, Display& display, DWORD frameMs) {
  Sandbox sandbox{session, display, frameMs};
  const HWND window = openWindow(sandbox);
  if (window == nullptr) return windowError(GetLastError());
  sandbox.frameStart = GetTickCount() - frameMs;  // the first frame at once
  DWORD paintedAt = sandbox.frameStart;
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return {};
      // Not translated: no character messages, whose Alt forms would open the menu.
      DispatchMessageA(&message);
    }
    const DWORD now = GetTickCount();
    if (nextPassIn(sandbox, now) == 0) {
      sandbox.frameStart = now;
      session.frame(now);
    }
    // The ages shown move on with the clock: a few repaints a second show it.
    if (display.hasNews() || now - paintedAt >= kClockRepaintMs) {
      InvalidateRect(window, nullptr, FALSE);
      paintedAt = now;
    }
    // Asleep until the next frame or repaint is due or a message arrives.
    const DWORD untilRepaint = kClockRepaintMs - std::min(now - paintedAt, kClockRepaintMs);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min(nextPassIn(sandbox, now), untilRepaint),
                              QS_ALLINPUT);
  }
}

}  // namespace sandbox

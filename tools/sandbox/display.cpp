#include "tools/sandbox/display.h"

#include <cinttypes>
#include <string>
#include <string_view>

#include "harness/format.h"
#include "harness/native_calls.h"
#include "harness/scenario.h"
#include "harness/trace.h"
#include "input/key_state.h"
#include "script/natives.h"
#include "script/script_loop.h"

namespace sandbox {
namespace {

using harness::format;

// The keys shown, in the order of keys_: for X and C a release acts while it is
// young, for Ctrl a press.
struct WatchedKey {
  DWORD code;
  bool actsOnPress;
};
constexpr std::array<WatchedKey, 3> kWatchedKeys = {{
    {kStealthKey, false},
    {kFollowUpKey, false},
    {kHoldKey, true},
}};

constexpr std::size_t kShownNatives = 16;
constexpr int kMargin = 12;
constexpr int kFontHeight = 16;
constexpr int kLineHeight = 19;
constexpr COLORREF kBackground = RGB(250, 250, 246);
constexpr COLORREF kText = RGB(20, 20, 20);
constexpr COLORREF kHeading = RGB(30, 70, 150);
constexpr COLORREF kFaint = RGB(130, 130, 130);
constexpr COLORREF kInside = RGB(0, 130, 40);

// Writes lines of text down the area, each in a color of its own.
class Writer {
 public:
  Writer(HDC dc, int left, int top) : dc_(dc), left_(left), y_(top) {}
  void line(const std::string& text, COLORREF color = kText) {
    SetTextColor(dc_, color);
    TextOutA(dc_, left_, y_, text.data(), static_cast<int>(text.size()));
    y_ += kLineHeight;
  }
  void gap() { y_ += kLineHeight / 2; }

 private:
  HDC dc_;
  int left_;
  int y_;
};

std::string describeEvent(const standin::Keystroke& k) {
  return format("%-7s rep=%u scan=0x%02X ext=%" PRId32 " ctx=%" PRId32 " prev=%" PRId32
                " trans=%" PRId32,
                k.transitionState != 0 ? "release" : "press", static_cast<unsigned>(k.repeatCount),
                static_cast<unsigned>(k.scanCode), k.extended, k.contextCode, k.previousState,
                k.transitionState);
}

// What the event means to the plugin at this age. `inside` is set when it is one
// the plugin acts on, still within its window.
std::string judge(const WatchedKey& key, const standin::Keystroke& k, DWORD ageMs, bool& inside) {
  const bool release = k.transitionState != 0;
  const DWORD windowMs = key.actsOnPress ? kHeldMs : kJustReleasedMs;
  const bool young = ageMs < windowMs;
  inside = release != key.actsOnPress && young;
  if (key.actsOnPress && release) return "released: not held";
  if (!key.actsOnPress && !release) return "pressed: acts on release";
  return format("%s, %s %" PRIu32 " ms", release ? "released" : "held", young ? "under" : "past",
                windowMs);
}

std::string describeNative(const auto& native) {
  const std::string_view name = harness::nativeName(native.hash);
  const std::string frames =
      native.firstFrame == native.lastFrame
          ? format("%" PRIu64, native.firstFrame)
          : format("%" PRIu64 "-%" PRIu64, native.firstFrame, native.lastFrame);
  std::string text = format("%13s  %-9.*s 0x%016" PRIX64 " ", frames.c_str(),
                            static_cast<int>(name.size()), name.data(), native.hash);
  for (std::size_t i = 0; i < native.slots.size(); ++i) {
    text += (i == 0 ? " " : ", ") + harness::argumentText(native.hash, i, native.slots[i]);
  }
  return text;
}

}  // namespace

Display::Display()
    : font_(CreateFontA(kFontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        FIXED_PITCH | FF_MODERN, "Courier New"),
            &DeleteObject) {}

void Display::keystroke(const standin::Keystroke& keystroke, DWORD tick) {
  now_ = tick;
  news_ = true;
  for (std::size_t i = 0; i < kWatchedKeys.size(); ++i) {
    if (kWatchedKeys[i].code == keystroke.key) keys_[i] = LastEvent{true, keystroke, tick};
  }
}

void Display::frame(std::uint64_t number, DWORD tick, std::span<const standin::HostCall> calls) {
  frame_ = number;
  now_ = tick;
  for (const harness::CallGroup& group : harness::groupNativeCalls(calls)) {
    const auto* native = std::get_if<harness::NativeCall>(&group);
    if (native == nullptr || !native->called) continue;
    if (native->hash == kSubjectNative) {
      // Called in every frame: shown as the subject, not listed.
      subject_ = static_cast<INT32>(static_cast<DWORD>(native->result));
      subjectSeen_ = true;
    } else {
      news_ = true;
      listNative(Native{number, number, native->hash, native->slots});
    }
  }
}

// A native called with the same slots as in the frame before extends that run.
void Display::listNative(const Native& native) {
  if (!natives_.empty()) {
    Native& newest = natives_.front();
    if (newest.lastFrame + 1 == native.firstFrame && newest.hash == native.hash &&
        newest.slots == native.slots) {
      newest.lastFrame = native.lastFrame;
      return;
    }
  }
  natives_.push_front(native);
  if (natives_.size() > kShownNatives) natives_.pop_back();
}

bool Display::hasNews() const { return news_; }

void Display::paint(HDC dc, const RECT& area, DWORD frameMs) {
  news_ = false;
  const HBRUSH background = CreateSolidBrush(kBackground);
  FillRect(dc, &area, background);
  DeleteObject(background);
  const HGDIOBJ oldFont = SelectObject(dc, font_.get());
  SetBkMode(dc, TRANSPARENT);

  Writer out(dc, area.left + kMargin, area.top + kMargin);
  std::string choices;
  for (const DWORD ms : kFrameTimes)
    choices += format("%s%" PRIu32, choices.empty() ? "" : ", ", ms);
  out.line(
      format("Frame time %" PRIu32 " ms   (keys 1-4: %s ms; Esc quits)", frameMs, choices.c_str()),
      kHeading);
  out.line(format("Frame %-8" PRIu64 " Tick %" PRIu32 " (0x%08" PRIX32 ")", frame_, now_, now_));
  out.line(subjectSeen_ ? format("Subject %" PRId32, subject_) : "Subject: no pass yet");
  out.gap();
  out.line("Key   Last event delivered                              Age", kHeading);
  for (std::size_t i = 0; i < kWatchedKeys.size(); ++i) {
    const WatchedKey& key = kWatchedKeys[i];
    const LastEvent& last = keys_[i];
    if (!last.seen) {
      out.line(format("%-5s none yet", harness::keyLabel(key.code).c_str()), kFaint);
      continue;
    }
    const DWORD age = now_ - last.tick;
    bool inside = false;
    const std::string verdict = judge(key, last.keystroke, age, inside);
    out.line(format("%-5s %-47s %7" PRIu32 " ms  %s", harness::keyLabel(key.code).c_str(),
                    describeEvent(last.keystroke).c_str(), age, verdict.c_str()),
             inside ? kInside : kText);
  }
  out.gap();
  out.line("Natives called, newest first (the subject native, called every frame, not listed)",
           kHeading);
  out.line("       Frames  Native    Hash               Argument slots", kHeading);
  if (natives_.empty()) out.line("  none yet", kFaint);
  for (const Native& native : natives_) out.line(describeNative(native));

  SelectObject(dc, oldFont);
}

}  // namespace sandbox

#include "tools/sandbox/display.h"

#include <cinttypes>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

#include "harness/format.h"
#include "harness/native_calls.h"
#include "harness/scenario.h"
#include "harness/trace.h"
#include "input/key_state.h"
#include "script/natives.h"
#include "script/script_loop.h"
#include "tools/sandbox/verdict.h"

namespace sandbox {
namespace {

using harness::format;

// The keys shown, in the order of keys_: for the stealth and follow-up keys a
// release acts while it is young, for the hold key a press.
struct WatchedKey {
  DWORD code;
  bool actsOnPress;
};
constexpr auto kWatchedKeys = std::to_array<WatchedKey>({
    {kStealthKey, false},
    {kFollowUpKey, false},
    {kHoldKey, true},
});
static_assert(kWatchedKeys.size() == kWatchedKeyCount, "a row for every watched key");

constexpr std::size_t kShownNatives = 16;
constexpr int kMargin = 12;
constexpr int kFontHeight = 16;
constexpr int kLineHeight = 19;
// A key's row: its name, the event, its age, then the verdict.
constexpr const char* kKeyRow = "%-5s%-7s %7" PRIu32 " ms  %s";
constexpr std::size_t kKeyRowLead = 5 + 7 + 1 + 7 + 3 + 2;
// The widest line, a key's row; the natives' lines are narrower.
constexpr std::size_t kColumns = kKeyRowLead + kVerdictColumns;
// The least shown: everything down to the natives' headings, and a few natives.
constexpr int kMinimumNatives = 3;
constexpr int kLinesAboveNatives =
    3 + 1 + 2 * static_cast<int>(kWatchedKeyCount) + 2;  // without the two gaps
constexpr COLORREF kBackground = RGB(250, 250, 246);
constexpr COLORREF kText = RGB(20, 20, 20);
constexpr COLORREF kHeading = RGB(30, 70, 150);
constexpr COLORREF kFaint = RGB(130, 130, 130);
constexpr COLORREF kWillAct = RGB(0, 130, 40);
constexpr COLORREF kMissed = RGB(190, 40, 30);

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

std::string describeFields(const standin::Keystroke& k) {
  return format("rep=%u scan=0x%02X ext=%" PRId32 " ctx=%" PRId32 " prev=%" PRId32
                " trans=%" PRId32,
                static_cast<unsigned>(k.repeatCount), static_cast<unsigned>(k.scanCode), k.extended,
                k.contextCode, k.previousState, k.transitionState);
}

// The key's name as the keyboard layout gives it ("X", "Ctrl"): what the person
// at the keyboard presses. As a trace shows it where the layout has none.
std::string keyName(DWORD code) {
  std::array<char, 32> name{};
  const UINT scanCode = MapVirtualKeyA(code, MAPVK_VK_TO_VSC);
  if (scanCode != 0 && GetKeyNameTextA(static_cast<LONG>(scanCode << 16), name.data(),
                                       static_cast<int>(name.size())) > 0) {
    return name.data();
  }
  return harness::keyLabel(code);
}

COLORREF verdictColor(Verdict verdict) {
  return verdict == Verdict::kWillAct ? kWillAct : verdict == Verdict::kMissed ? kMissed : kText;
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
    text += i == 0 ? " " : ", ";
    text += harness::isTextArgument(native.hash, i) ? harness::quotedText(native.slots[i])
                                                    : format("0x%" PRIX64, native.slots[i]);
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
    if (kWatchedKeys[i].code == keystroke.key) {
      keys_[i] = LastEvent{true, keystroke, tick, lastPass_, std::nullopt};
    }
  }
}

void Display::frame(std::uint64_t number, DWORD tick, std::span<const standin::HostCall> calls) {
  frame_ = number;
  now_ = tick;
  for (LastEvent& last : keys_) {
    if (last.seen && !last.firstPass) last.firstPass = tick;
  }
  lastPass_ = tick;
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

// A native called with the same slots as in the frame before extends that span.
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

void Display::paint(HDC dc, const RECT& area, DWORD now, DWORD frameMs, DWORD nextPassInMs) {
  news_ = false;
  const HBRUSH background = CreateSolidBrush(kBackground);
  FillRect(dc, &area, background);
  DeleteObject(background);
  const HGDIOBJ oldFont = SelectObject(dc, font_.get());
  SetBkMode(dc, TRANSPARENT);

  Writer out(dc, area.left + kMargin, area.top + kMargin);
  std::string choices;
  for (const DWORD ms : kFrameTimes)
    choices += format("%s%" PRIu32, choices.empty() ? "" : ", ", static_cast<std::uint32_t>(ms));
  const auto firstKey = static_cast<int>(kFirstFrameTimeKey);
  const auto lastKey = static_cast<int>(kFirstFrameTimeKey + std::size(kFrameTimes) - 1);
  out.line(format("Frame time %" PRIu32 " ms   (keys %c-%c: %s ms; Esc quits)",
                  static_cast<std::uint32_t>(frameMs), firstKey, lastKey, choices.c_str()),
           kHeading);
  out.line(format("Frame %-8" PRIu64 " Tick %" PRIu32 " (0x%08" PRIX32 ") at the last pass or key",
                  frame_, static_cast<std::uint32_t>(now_), static_cast<std::uint32_t>(now_)));
  out.line(subjectSeen_ ? format("Subject %" PRId32, subject_) : "Subject: no pass yet");
  out.gap();
  out.line(format("%-5s%-7s %10s  %s", "Key", "Event", "Age", "What the plugin makes of it"),
           kHeading);
  for (std::size_t i = 0; i < kWatchedKeys.size(); ++i) {
    const WatchedKey& key = kWatchedKeys[i];
    const LastEvent& last = keys_[i];
    if (!last.seen) {
      out.line(format("%-5s none yet", keyName(key.code).c_str()), kFaint);
      out.line("");
      continue;
    }
    const bool release = last.keystroke.transitionState != 0;
    EventTimes times{
        .actsOnPress = key.actsOnPress,
        .release = release,
        .ageLimitMs = key.actsOnPress ? kHeldMs : kJustReleasedMs,
        .ageMs = now - last.tick,
        .nextPassInMs = nextPassInMs,
        .firstPassAgeMs = std::nullopt,
        .passGapMs = std::nullopt,
    };
    if (last.firstPass) times.firstPassAgeMs = *last.firstPass - last.tick;
    if (last.passBefore) {
      const DWORD decidingPass = last.firstPass ? *last.firstPass : now + nextPassInMs;
      times.passGapMs = decidingPass - *last.passBefore;
    }
    const Verdict verdict = judgeEvent(times);
    out.line(format(kKeyRow, keyName(key.code).c_str(), release ? "release" : "press",
                    static_cast<std::uint32_t>(times.ageMs), verdictText(times, verdict).c_str()),
             verdictColor(verdict));
    out.line("       " + describeFields(last.keystroke), kFaint);
  }
  out.gap();
  out.line("Natives called, newest first (the subject native, called every frame, not listed)",
           kHeading);
  out.line("       Frames  Native    Hash               Argument slots", kHeading);
  if (natives_.empty()) out.line("  none yet", kFaint);
  for (const Native& native : natives_) out.line(describeNative(native));

  SelectObject(dc, oldFont);
}

SIZE Display::minimumClientSize(HDC dc) const {
  const HGDIOBJ oldFont = SelectObject(dc, font_.get());
  const std::string widest(kColumns, 'M');
  SIZE text{};
  GetTextExtentPoint32A(dc, widest.data(), static_cast<int>(widest.size()), &text);
  SelectObject(dc, oldFont);
  const int lines = kLinesAboveNatives + kMinimumNatives;
  return SIZE{text.cx + 2 * kMargin, lines * kLineHeight + kLineHeight + 2 * kMargin};
}

}  // namespace sandbox

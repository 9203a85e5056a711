#include "tools/replay/trace.h"

#include <cinttypes>
#include <utility>

#include "script/natives.h"
#include "tools/replay/format.h"
#include "tools/replay/scenario.h"

namespace replay {
namespace {

using standin::HostCall;
using standin::Op;

// The longest text shown for a text argument.
constexpr std::size_t kMaxShownText = 64;

std::string hex64(UINT64 value) { return format("0x%016" PRIX64, value); }

std::string tickLine(std::string_view what, DWORD now) {
  return format("%.*s: tick %" PRIu32 " (0x%08" PRIX32 ")", static_cast<int>(what.size()),
                what.data(), static_cast<std::uint32_t>(now), static_cast<std::uint32_t>(now));
}

// The happening's own line, before its host calls.
std::string headLine(const Happening& h) {
  const bool nothing = h.outcome == Outcome::kNothingToDo;
  const char* loadLine = h.outcome == Outcome::kFailed ? "load\n  the plugin did not load"
                         : nothing                     ? "load\n  already loaded"
                                                       : "load";
  return std::visit(
      Overloaded{
          [&](const SetTick&) { return tickLine("tick", h.tick); },
          [&](const Advance& s) { return tickLine(format("advance %" PRIu64, s.ms), h.tick); },
          [](const SetSubject& s) { return format("subject %" PRId32, s.subject); },
          [&](const Key& s) {
            return keystrokeText(s.keystroke, KeyStyle::kTrace) + (nothing ? " (no handler)" : "");
          },
          [&](const Passes&) {
            return format("pass %" PRIu64 " at tick %" PRIu32 "%s, %llu tick reads", h.pass,
                          static_cast<std::uint32_t>(h.tick), nothing ? " (no script to run)" : "",
                          h.tickReads);
          },
          [&](const Load&) { return std::string(loadLine); },
          [&](const Unload&) { return std::string(nothing ? "unload\n  not loaded" : "unload"); },
          [](const Thread&) { return std::string("thread started and ended"); },
      },
      h.step);
}

}  // namespace

bool isTextArgument(NativeHash hash, std::size_t index) {
  return hash == kStealthNative && index == 1;
}

std::string quotedText(UINT64 slot) {
  if (slot == 0) return "(null)";
  const char* text = reinterpret_cast<const char*>(slot);
  std::string out = "\"";
  std::size_t i = 0;
  for (; i < kMaxShownText && text[i] != '\0'; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    out += (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') ? std::string(1, text[i])
                                                            : format("\\x%02X", c);
  }
  out += i == kMaxShownText ? "\"..." : "\"";
  return out;
}

std::string_view nativeName(NativeHash hash) {
  constexpr std::pair<NativeHash, std::string_view> kNames[] = {{kSubjectNative, "subject"},
                                                                {kStealthNative, "stealth"},
                                                                {kFollowUpNative, "follow-up"},
                                                                {kHoldNative, "hold"}};
  for (const auto& [known, name] : kNames) {
    if (known == hash) return name;
  }
  return {};
}

std::string TracePrinter::print(const Runner& runner, std::size_t from) {
  out_.clear();
  const std::vector<Happening>& happenings = runner.happenings();
  for (std::size_t i = from; i < happenings.size(); ++i) {
    const Happening& h = happenings[i];
    if (std::holds_alternative<Load>(h.step)) loadedModule_ = h.module;
    line(headLine(h));
    printCalls(runner, h);
  }
  return std::move(out_);
}

// Natives, one line each, begun by nativeInit and ended by nativeCall; the other
// operations by name. Tick reads are counted in the pass's line, and a hand-back
// shows only when it asks for more than 0 ms.
void TracePrinter::printCalls(const Runner& runner, const Happening& happening) {
  const std::vector<HostCall>& calls = runner.calls();
  for (std::size_t i = happening.firstCall; i < happening.endCall; ++i) {
    const HostCall& call = calls[i];
    switch (call.op) {
      case Op::kGetTickCount:
        break;
      case Op::kScriptWait:
        if (call.value != 0) line(format("  wait %" PRIu64 " ms", call.value));
        break;
      case Op::kNativeInit:
        flushNative();
        pending_ = true;
        hash_ = call.value;
        slots_.clear();
        break;
      case Op::kNativePush64:
        if (!pending_) line("  push " + hex64(call.value) + " outside a native call");
        slots_.push_back(call.value);
        break;
      case Op::kNativeCall:
        if (!pending_) line("  call outside a native call");
        printNative(call.value);
        pending_ = false;
        break;
      case Op::kScriptRegister:
        registeredModule_ = call.value;
        line(call.value == loadedModule_
                 ? "  script registered: own module"
                 : "  script registered: " + hex64(call.value) + ", not the plugin's module");
        break;
      case Op::kScriptUnregister:
        line(call.value == registeredModule_
                 ? "  script unregistered: the module registered"
                 : "  script unregistered: " + hex64(call.value) + ", not the module registered");
        break;
      case Op::kKeyboardHandlerRegister:
        line("  keystroke handler registered");
        registeredHandler_ = call.value;
        break;
      case Op::kKeyboardHandlerUnregister:
        line(call.value == registeredHandler_
                 ? "  keystroke handler unregistered: the one registered"
                 : "  keystroke handler unregistered: " + hex64(call.value) +
                       ", not the one registered");
        break;
    }
  }
  flushNative();
}

void TracePrinter::line(const std::string& text) { out_ += text + "\n"; }

void TracePrinter::flushNative() {
  if (pending_) line("  " + nativeLabel() + " (begun, never called)");
  pending_ = false;
}

std::string TracePrinter::nativeLabel() const {
  const std::string_view name = nativeName(hash_);
  return name.empty() ? "native " + hex64(hash_) : std::string(name);
}

void TracePrinter::printNative(UINT64 result) {
  std::string text = "  " + nativeLabel();
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    text += i == 0 ? " " : ", ";
    text += isTextArgument(hash_, i) ? quotedText(slots_[i]) : hex64(slots_[i]);
  }
  if (hash_ == kSubjectNative) {
    text += format(" -> %" PRId32, static_cast<INT32>(static_cast<DWORD>(result)));
  }
  line(text);
}

Replay replayScenario(const Timeline& timeline) {
  Replay replay;
  TracePrinter printer;
  std::size_t printed = 0;
  Runner runner(Runner::Start::kLoad);
  // Step by step, while the module whose text the trace shows is still loaded.
  const auto printNew = [&] {
    replay.trace += printer.print(runner, printed);
    printed = runner.happenings().size();
  };
  printNew();
  for (const Step& step : timeline.steps) {
    runner.apply(step);
    printNew();
  }
  runner.finish();
  printNew();
  replay.loadFailed = runner.loadFailed();
  return replay;
}

}  // namespace replay

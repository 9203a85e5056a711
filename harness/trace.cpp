#include "harness/trace.h"

#include <cinttypes>
#include <span>
#include <utility>

#include "harness/format.h"
#include "harness/native_calls.h"
#include "harness/quote.h"
#include "harness/scenario.h"
#include "script/natives.h"

namespace harness {
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

// The applied step's own line, before its host calls.
std::string headLine(const AppliedStep& h) {
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

std::string TracePrinter::print(const Runner& runner) {
  out_.clear();
  for (const AppliedStep& h : runner.appliedSteps()) {
    if (std::holds_alternative<Load>(h.step)) loadedModule_ = h.module;
    line(headLine(h));
    printCalls(runner, h);
  }
  return std::move(out_);
}

// Natives, one line each; the other operations by name. Tick reads are counted
// in the pass's line, and a hand-back shows only when it asks for more than 0 ms.
void TracePrinter::printCalls(const Runner& runner, const AppliedStep& applied) {
  const std::span<const HostCall> calls = runner.calls();
  for (const CallGroup& group :
       groupNativeCalls(calls.subspan(applied.firstCall, applied.endCall - applied.firstCall))) {
    if (const auto* native = std::get_if<NativeCall>(&group)) {
      line("  " + nativeText(*native));
    } else {
      printOther(std::get<HostCall>(group));
    }
  }
}

void TracePrinter::printOther(const HostCall& call) {
  switch (call.op) {
    case Op::kScriptWait:
      if (call.value != 0) line(format("  wait %" PRIu64 " ms", call.value));
      break;
    case Op::kNativePush64:
      line("  push " + hex64(call.value) + " outside a native call");
      break;
    case Op::kNativeCall:
      line("  call outside a native call");
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
      line(call.value == registeredHandler_ ? "  keystroke handler unregistered: the one registered"
                                            : "  keystroke handler unregistered: " +
                                                  hex64(call.value) + ", not the one registered");
      break;
    default:  // tick reads, counted in the pass's line
      break;
  }
}

void TracePrinter::line(const std::string& text) { out_ += text + "\n"; }

std::string nativeLabel(const NativeCall& native) {
  const std::string_view name = nativeName(native.hash);
  const std::string text = name.empty() ? "native " + hex64(native.hash) : std::string(name);
  return native.called ? text : text + " (begun, never called)";
}

std::string nativeText(const NativeCall& native) {
  std::string text = nativeLabel(native);
  if (!native.called) return text;
  for (std::size_t i = 0; i < native.slots.size(); ++i) {
    text += i == 0 ? " " : ", ";
    text += isTextArgument(native.hash, i) ? quotedText(native.slots[i]) : hex64(native.slots[i]);
  }
  if (native.hash == kSubjectNative) {
    text += format(" -> %" PRId32, static_cast<INT32>(static_cast<DWORD>(native.result)));
  }
  return native.fromScript ? text : text + " (outside the script)";
}

bool isTextArgument(NativeHash hash, std::size_t index) {
  return hash == kStealthNative && index == 1;
}

std::string quotedText(UINT64 slot) {
  if (slot == 0) return "(null)";
  // One byte past the most shown tells a longer text, without reading further.
  const char* text = reinterpret_cast<const char*>(slot);
  std::size_t length = 0;
  while (length <= kMaxShownText && text[length] != '\0') ++length;
  return quoted(std::string_view(text, length), '"', kMaxShownText);
}

}  // namespace harness

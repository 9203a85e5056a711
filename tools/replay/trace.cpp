#include "tools/replay/trace.h"

#include <cinttypes>
#include <cstdio>
#include <string_view>
#include <type_traits>

#include "script/natives.h"
#include "standin/plugin_module.h"

namespace replay {
namespace {

using standin::HostCall;
using standin::Op;

// The longest text shown for a text argument.
constexpr std::size_t kMaxShownText = 64;

std::string format(const char* pattern, auto... values) {
  const int n = std::snprintf(nullptr, 0, pattern, values...);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(out.data(), out.size(), pattern, values...);
  out.pop_back();
  return out;
}

std::string hex64(UINT64 value) { return format("0x%016" PRIX64, value); }

std::string_view nativeName(NativeHash hash) {
  switch (hash) {
    case kSubjectNative:
      return "subject";
    case kStealthNative:
      return "stealth";
    case kFollowUpNative:
      return "follow-up";
    case kHoldNative:
      return "hold";
    default:
      return {};
  }
}

// The slot as the text whose address it holds. Only the stealth native takes one.
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

// Turns the calls recorded since the last step into trace lines.
class Printer {
 public:
  explicit Printer(std::string& out) : out_(out) {}

  // Natives, one line each, begun by nativeInit and ended by nativeCall; the
  // other operations by name. Tick reads are counted by the caller, and a
  // hand-back shows only when it asks for more than 0 ms.
  void printCalls(const std::vector<HostCall>& calls, std::size_t from) {
    for (std::size_t i = from; i < calls.size(); ++i) {
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
          line(call.value == reinterpret_cast<UINT64>(standin::pluginModule())
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

 private:
  void line(const std::string& text) { out_ += text + "\n"; }

  void flushNative() {
    if (pending_) line("  " + nativeLabel() + " (begun, never called)");
    pending_ = false;
  }

  std::string nativeLabel() const {
    const std::string_view name = nativeName(hash_);
    return name.empty() ? "native " + hex64(hash_) : std::string(name);
  }

  void printNative(UINT64 result) {
    std::string text = "  " + nativeLabel();
    for (std::size_t i = 0; i < slots_.size(); ++i) {
      text += i == 0 ? " " : ", ";
      text += (hash_ == kStealthNative && i == 1) ? quotedText(slots_[i]) : hex64(slots_[i]);
    }
    if (hash_ == kSubjectNative) {
      text += format(" -> %" PRId32, static_cast<INT32>(static_cast<DWORD>(result)));
    }
    line(text);
  }

  std::string& out_;
  bool pending_ = false;
  NativeHash hash_ = 0;
  std::vector<UINT64> slots_;
  UINT64 registeredModule_ = 0;
  UINT64 registeredHandler_ = 0;
};

std::string_view keyName(DWORD key) {
  switch (key) {
    case 0x58:
      return " (X)";
    case 0x43:
      return " (C)";
    case 0x11:
      return " (Ctrl)";
    default:
      return "";
  }
}

std::string describeKey(const standin::Keystroke& k) {
  return format("%s 0x%02" PRIX32 "%s repeat=%u scan=%u extended=%" PRId32 " context=%" PRId32
                " previous=%" PRId32 " transition=%" PRId32,
                k.transitionState != 0 ? "release" : "press", static_cast<std::uint32_t>(k.key),
                std::string(keyName(k.key)).c_str(), static_cast<unsigned>(k.repeatCount),
                static_cast<unsigned>(k.scanCode), k.extended, k.contextCode, k.previousState,
                k.transitionState);
}

}  // namespace

Replay replayScenario(const Scenario& scenario) {
  Replay replay;
  std::string& out = replay.trace;
  Printer printer(out);
  std::size_t seen = 0;
  const auto printNewCalls = [&] {
    printer.printCalls(standin::calls(), seen);
    seen = standin::calls().size();
  };
  const auto tickLine = [&](std::string_view what) {
    const DWORD now = standin::currentTick();
    out += format("%.*s: tick %" PRIu32 " (0x%08" PRIX32 ")\n", static_cast<int>(what.size()),
                  what.data(), static_cast<std::uint32_t>(now), static_cast<std::uint32_t>(now));
  };

  const auto load = [&] {
    out += "load\n";
    if (standin::pluginModule() != nullptr) {
      out += "  already loaded\n";
    } else if (!standin::loadPlugin()) {
      out += "  the plugin did not load\n";
      replay.loadFailed = true;
    }
    printNewCalls();
  };
  const auto unload = [&] {
    out += "unload\n";
    if (standin::pluginModule() == nullptr) out += "  not loaded\n";
    standin::unloadPlugin();
    printNewCalls();
  };

  standin::reset();
  load();
  std::uint64_t passNumber = 0;
  for (const Step& step : scenario.steps) {
    std::visit(
        [&](const auto& s) {
          using T = std::decay_t<decltype(s)>;
          if constexpr (std::is_same_v<T, SetTick>) {
            standin::setTick(s.ms);
            tickLine("tick");
          } else if constexpr (std::is_same_v<T, Advance>) {
            standin::advanceTick(s.ms);
            tickLine(format("advance %" PRIu32, s.ms));
          } else if constexpr (std::is_same_v<T, SetSubject>) {
            standin::setSubject(s.subject);
            out += format("subject %" PRId32 "\n", s.subject);
          } else if constexpr (std::is_same_v<T, Key>) {
            const bool delivered = standin::deliverKeystroke(s.keystroke);
            out += describeKey(s.keystroke) + (delivered ? "" : " (no handler)") + "\n";
            printNewCalls();
          } else if constexpr (std::is_same_v<T, Passes>) {
            for (std::uint32_t i = 0; i < s.count; ++i) {
              ++passNumber;
              const unsigned long long readsBefore = standin::tickReads();
              const DWORD now = standin::currentTick();
              const bool ran = standin::runPass();
              out += format("pass %" PRIu64 " at tick %" PRIu32 "%s, %llu tick reads\n", passNumber,
                            static_cast<std::uint32_t>(now), ran ? "" : " (no script to run)",
                            standin::tickReads() - readsBefore);
              printNewCalls();
              standin::advanceTick(s.everyMs);
            }
          } else if constexpr (std::is_same_v<T, Load>) {
            load();
          } else if constexpr (std::is_same_v<T, Unload>) {
            unload();
          } else if constexpr (std::is_same_v<T, Thread>) {
            out += "thread started and ended\n";
            standin::runThreadInProcess();
            printNewCalls();
          }
        },
        step);
  }

  if (standin::pluginModule() != nullptr) unload();
  return replay;
}

}  // namespace replay

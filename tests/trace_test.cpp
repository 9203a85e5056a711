// The trace's fault lines, which show a broken plugin: host calls made where the
// plugin never makes them, each printed through the trace printer as the one line
// it must print, beside the line the plugin's own call prints.
#include <gtest/gtest.h>

#include <cinttypes>
#include <functional>
#include <string>

#include "harness/format.h"
#include "harness/plugin_loader.h"
#include "harness/runner.h"
#include "harness/trace.h"
#include "host/host.h"
#include "input/key_state.h"
#include "script/natives.h"
#include "tests/plugin_fixture.h"

namespace keyrelay_test {
namespace {

// Handles and routines that are not the plugin's; only their values are shown.
const HINSTANCE kOtherModule = reinterpret_cast<HINSTANCE>(0x1234);
constexpr UINT64 kSubject = 7;
void otherScript() {}
void otherHandler(DWORD, WORD, BYTE, BOOL, BOOL, BOOL, BOOL) {}

UINT64 textSlot(const char* text) { return reinterpret_cast<UINT64>(text); }

using TraceTest = UnloadedPluginTest;

TEST_F(TraceTest, EachFaultIsPrintedAsItsOwnLine) {
  struct Case {
    const char* what;
    std::function<void()> calls;  // made by the test's thread, outside the script
    std::string line;
  };
  const Case cases[] = {
      {"a native called outside the script",
       [] {
         nativeInit(kStealthNative);
         nativePush64(kSubject);
         nativePush64(textSlot(kStealthText));
         nativeCall();
       },
       "  stealth 0x0000000000000007, \"stealth\" (outside the script)"},
      {"a text with a quote and a backslash",
       [] {
         nativeInit(kStealthNative);
         nativePush64(kSubject);
         nativePush64(textSlot("say \"hi\\\""));
         nativeCall();
       },
       "  stealth 0x0000000000000007, \"say \\x22hi\\x5C\\x22\" (outside the script)"},
      {"a native begun and never called",
       [] {
         nativeInit(kHoldNative);
         nativePush64(kSubject);
       },
       "  hold (begun, never called)"},
      {"an unknown native begun and never called", [] { nativeInit(0xABCDEF); },
       "  native 0x0000000000ABCDEF (begun, never called)"},
      {"a push with no native begun", [] { nativePush64(5); },
       "  push 0x0000000000000005 outside a native call"},
      {"a call with no native begun", [] { nativeCall(); }, "  call outside a native call"},
      {"a registration for the plugin's own module",
       [] { scriptRegister(harness::pluginModule(), otherScript); },
       "  script registered: own module"},
      {"a registration from a module that is not the plugin's",
       [] { scriptRegister(kOtherModule, otherScript); },
       "  script registered: 0x0000000000001234, not the plugin's module"},
      {"an unregistration of the module registered",
       [] { scriptUnregister(harness::pluginModule()); },
       "  script unregistered: the module registered"},
      {"an unregistration of a module never registered", [] { scriptUnregister(kOtherModule); },
       "  script unregistered: 0x0000000000001234, not the module registered"},
      {"an unregistration of the handler registered",
       [] { keyboardHandlerUnregister(onKeystroke); },
       "  keystroke handler unregistered: the one registered"},
      {"an unregistration of a handler never registered",
       [] { keyboardHandlerUnregister(otherHandler); },
       harness::format("  keystroke handler unregistered: 0x%016" PRIX64 ", not the one registered",
                       reinterpret_cast<UINT64>(&otherHandler))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    standin::reset();
    harness::Runner runner(harness::Runner::Start::kLoad, kLinkedPlugin);
    harness::TracePrinter printer;
    printer.print(runner);  // the load's lines, and what the plugin registered
    runner.forget();
    c.calls();
    // The calls are told under the next step's line.
    runner.apply(harness::SetSubject{static_cast<SubjectHandle>(kSubject)});
    EXPECT_EQ(printer.print(runner), "subject 7\n" + c.line + "\n");
    runner.forget();
    runner.finish();
  }
}

}  // namespace
}  // namespace keyrelay_test

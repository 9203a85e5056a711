// The module entry: registration for exactly the life of the module. What a load
// and an unload do for the scripts and keystrokes that follow, loaded again and
// again, is pinned by tests/scenarios/unloaded.trace and reload.trace.
#include <gtest/gtest.h>

#include "input/key_state.h"
#include "plugin/dll_main.h"
#include "script/script_loop.h"
#include "standin/standin.h"
#include "tests/plugin_fixture.h"

namespace keyrelay_test {
namespace {

using standin::HostCall;
using standin::Op;

char moduleA;
char moduleB;
HINSTANCE handle(char& image) { return reinterpret_cast<HINSTANCE>(&image); }
UINT64 address(const void* p) { return reinterpret_cast<UINT64>(p); }

using DllMainTest = UnloadedPluginTest;

TEST_F(DllMainTest, AttachRegistersTheScriptThenTheKeystrokeHandler) {
  EXPECT_EQ(DllMain(handle(moduleA), DLL_PROCESS_ATTACH, nullptr), TRUE);
  EXPECT_EQ(standin::calls(),
            (std::vector<HostCall>{
                {Op::kScriptRegister, address(&moduleA), reinterpret_cast<UINT64>(&runScript)},
                {Op::kKeyboardHandlerRegister, reinterpret_cast<UINT64>(&onKeystroke)}}));
}

TEST_F(DllMainTest, DetachUnregistersTheScriptThenTheSameHandlerWithTheModuleItIsGiven) {
  DllMain(handle(moduleA), DLL_PROCESS_ATTACH, nullptr);
  standin::clearCalls();
  EXPECT_EQ(DllMain(handle(moduleB), DLL_PROCESS_DETACH, nullptr), TRUE);
  EXPECT_EQ(standin::calls(), (std::vector<HostCall>{{Op::kScriptUnregister, address(&moduleB)},
                                                     {Op::kKeyboardHandlerUnregister,
                                                      reinterpret_cast<UINT64>(&onKeystroke)}}));
}

TEST_F(DllMainTest, ThreadNotificationsAndUnknownReasonsCallNothing) {
  for (DWORD reason : {DLL_THREAD_ATTACH, DLL_THREAD_DETACH, 4u, 0xFFFFFFFFu}) {
    EXPECT_EQ(DllMain(handle(moduleA), reason, nullptr), TRUE) << reason;
  }
  EXPECT_TRUE(standin::calls().empty());
}

TEST_F(DllMainTest, TheReservedArgumentIsNeverRead) {
  // A pointer that faults if read.
  const auto poisoned = reinterpret_cast<LPVOID>(UINT64{0xDEAD});
  for (DWORD reason : {DLL_PROCESS_ATTACH, DLL_THREAD_ATTACH, DLL_PROCESS_DETACH}) {
    EXPECT_EQ(DllMain(handle(moduleA), reason, poisoned), TRUE);
  }
}

TEST_F(DllMainTest, LoadingRunsTheScriptOnlyWhenTheHostResumesIt) {
  ASSERT_TRUE(harness::loadPlugin(kLinkedPlugin));
  EXPECT_EQ(standin::tickReads(), 0u);
  EXPECT_TRUE(standin::runPass());
  EXPECT_EQ(standin::tickReads(), 3u);
}

}  // namespace
}  // namespace keyrelay_test

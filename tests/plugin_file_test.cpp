// Which module file a program loads, read once from the environment by its main.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "harness/plugin_loader.h"

namespace keyrelay_test {
namespace {

// Sets `name` to `value`, or unsets it for null, for the scope's life.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (value != nullptr) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedVariable() { ::unsetenv(name_); }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const char* name_;
};

TEST(PluginFileTest, TheEnvironmentNamesTheFileAndWhetherItMovesOrWhatIsWrong) {
  struct Case {
    const char* plugin;  // $KEYRELAY_PLUGIN, null for unset
    const char* move;    // $KEYRELAY_MOVE_BASE, null for unset
    std::string path;
    bool moved;
    std::string error;
  };
  const Case cases[] = {
      {nullptr, nullptr, "fallback.asi", false, ""},
      {"", "", "fallback.asi", false, ""},
      {"C:\\mods\\keyrelay.asi", nullptr, "C:\\mods\\keyrelay.asi", false, ""},
      {nullptr, "0", "fallback.asi", false, ""},
      {nullptr, "1", "fallback.asi", true, ""},
      {nullptr, "0x1", "fallback.asi", true, ""},
      {nullptr, "2", "fallback.asi", false,
       "bad KEYRELAY_MOVE_BASE value '2' (expected 0 to 1, decimal or 0x hex)"},
      {nullptr, "yes", "fallback.asi", false,
       "bad KEYRELAY_MOVE_BASE value 'yes' (expected 0 to 1, decimal or 0x hex)"},
  };
  for (const Case& c : cases) {
    const ScopedVariable plugin("KEYRELAY_PLUGIN", c.plugin);
    const ScopedVariable move("KEYRELAY_MOVE_BASE", c.move);
    const harness::PluginFileResult read = harness::pluginFileFromEnvironment("fallback.asi");
    SCOPED_TRACE(std::string(c.plugin != nullptr ? c.plugin : "(unset)") + ", " +
                 (c.move != nullptr ? c.move : "(unset)"));
    EXPECT_EQ(read.file.path, c.path);
    EXPECT_EQ(read.file.moved, c.moved);
    EXPECT_EQ(read.error, c.error);
  }
}

TEST(PluginFileTest, WithNothingSetItIsKeyrelayAsiFoundTheLoadersWay) {
  const ScopedVariable plugin("KEYRELAY_PLUGIN", nullptr);
  EXPECT_EQ(harness::pluginFileFromEnvironment().file.path, "keyrelay.asi");
}

}  // namespace
}  // namespace keyrelay_test

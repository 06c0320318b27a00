// The plug-in entry dispatch, UTF-8 and file names.
#include "c4d.h"
#include "c4dhost_runtime.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {
int g_starts = 0;
int g_ends = 0;
std::vector<Int32> g_messages;
bool g_startResult = true;

void* Msg(Int32 id) { return reinterpret_cast<void*>(static_cast<std::intptr_t>(id)); }

}  // namespace

Bool PluginStart() {
  ++g_starts;
  return g_startResult;
}

void PluginEnd() { ++g_ends; }

Bool PluginMessage(Int32 id, void* data) {
  (void)data;
  g_messages.push_back(id);
  return id == C4DMSG_PRIORITY || id == C4DPL_INIT_SYS;
}

TEST(EntryDispatch, RefusesOldHostsAndForwardsTheActions) {
  char path[] = "plugin.so";
  EXPECT_EQ(c4d_main(C4DPL_INIT_VERSION, nullptr, nullptr, nullptr), C4DPL_VERSION);
  // Nothing runs before the system start.
  EXPECT_EQ(c4d_main(C4DPL_INIT, nullptr, nullptr, nullptr), C4DPL_ERROR);
  EXPECT_EQ(c4d_main(C4DPL_MESSAGE, Msg(C4DMSG_PRIORITY), nullptr, nullptr), C4DPL_ERROR);
  EXPECT_EQ(g_starts, 0);

  Int32 version = 20016;
  EXPECT_EQ(c4d_main(C4DPL_INIT_SYS, &version, nullptr, path), C4DPL_ERROR_VERSION);
  EXPECT_EQ(c4d_main(C4DPL_INIT_SYS, nullptr, nullptr, path), C4DPL_ERROR_VERSION);
  version = C4D_MINIMUM_HOST_VERSION;
  EXPECT_EQ(c4d_main(C4DPL_INIT_SYS, &version, nullptr, nullptr), C4DPL_ERROR);
  EXPECT_EQ(c4d_main(C4DPL_INIT, nullptr, nullptr, nullptr), C4DPL_ERROR);

  version = c4dhost::kHostInterfaceVersion;
  ASSERT_EQ(c4d_main(C4DPL_INIT_SYS, &version, nullptr, path), 1);
  EXPECT_EQ(c4d_main(C4DPL_MESSAGE, Msg(C4DPL_INIT_SYS), nullptr, nullptr), 1);
  EXPECT_EQ(c4d_main(C4DPL_MESSAGE, Msg(C4DPL_COMMANDLINEARGS), nullptr, nullptr), C4DPL_ERROR);
  EXPECT_EQ(g_messages, (std::vector<Int32>{C4DPL_INIT_SYS, C4DPL_COMMANDLINEARGS}));
  EXPECT_EQ(c4d_main(C4DPL_INIT, nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(g_starts, 1);
  g_startResult = false;
  EXPECT_EQ(c4d_main(C4DPL_INIT, nullptr, nullptr, nullptr), C4DPL_ERROR);
  g_startResult = true;
  EXPECT_EQ(c4d_main(99, nullptr, nullptr, nullptr), C4DPL_ERROR);

  // A second system start needs a second end before PluginEnd runs.
  ASSERT_EQ(c4d_main(C4DPL_INIT_SYS, &version, nullptr, path), 1);
  EXPECT_EQ(c4d_main(C4DPL_END, nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(g_ends, 0);
  EXPECT_EQ(c4d_main(C4DPL_END, nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(g_ends, 1);
  EXPECT_EQ(c4d_main(C4DPL_END, nullptr, nullptr, nullptr), C4DPL_ERROR);
  EXPECT_EQ(g_ends, 1);
}

// Text that is not UTF-8 (cut short, overlong) has no copy; a file name's suffix is that of
// its last part, which a leading dot does not start.
TEST(StringsAndFilenames, Utf8CopiesAndSuffixes) {
  auto copy = [](const char* bytes) {
    String s;
    s.SetRawBytes(bytes);
    Char* c = s.GetCStringCopy(STRINGENCODING::UTF8);
    const std::string out = c != nullptr ? c : "<none>";
    DeleteMem(c);
    return out;
  };
  EXPECT_EQ(copy("Gr\xc3\xbc\xc3\x9f!"), "Gr\xc3\xbc\xc3\x9f!");
  EXPECT_EQ(copy("ab\xc3"), "<none>");
  EXPECT_EQ(copy("\xc0\xaf"), "<none>");
  EXPECT_EQ(Filename("/data/.hidden").GetSuffix().GetUtf8(), "");
  Filename f("/data/v1.2/model");
  f.SetSuffix("svb");
  EXPECT_EQ(f.GetString().GetUtf8(), "/data/v1.2/model.svb");
  f.SetSuffix("png");
  EXPECT_EQ(f.GetFileString().GetUtf8(), "model.png");
}

// The plug-in entry dispatch, command registration, the file dialog, strings and
// file names.
#include "c4d.h"
#include "c4dhost_runtime.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {
int g_starts = 0;
int g_ends = 0;
std::vector<Int32> g_messages;
bool g_startResult = true;

void* Msg(Int32 id) { return reinterpret_cast<void*>(static_cast<std::intptr_t>(id)); }

class CountingCommand : public CommandData {
 public:
  explicit CountingCommand(int* deletions) : deletions_(deletions) {}
  ~CountingCommand() override { ++*deletions_; }
  Bool Execute(BaseDocument*) override { return true; }

 private:
  int* deletions_;
};

std::string Copy(const String& s, STRINGENCODING enc) {
  Char* c = s.GetCStringCopy(enc);
  if (!c) return "<null>";
  std::string out(c);
  DeleteMem(c);
  EXPECT_EQ(c, nullptr);
  return out;
}
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

TEST(EntryDispatch, DeclaresTheModuleAndItsFrameworks) {
  const C4DModuleDeclaration* decl = c4d_module_declaration();
  ASSERT_NE(decl, nullptr);
  EXPECT_STREQ(decl->id, "net.tessan.solvane7");
  ASSERT_EQ(decl->frameworkCount, 2);
  EXPECT_STREQ(decl->frameworks[0], "net.maxon.cinema.framework");
  EXPECT_STREQ(decl->frameworks[1], "net.maxon.core.framework");
}

TEST(Commands, RegistrationRecordsAndOwnsTheCommands) {
  int deletions = 0;
  EXPECT_TRUE(
      RegisterCommandPlugin(1033591, String("Render"), 0, AutoBitmap(String("render.png"), 1.0),
                            String("Render in Solvane"), NewObjClear(CountingCommand, &deletions)));
  EXPECT_TRUE(RegisterCommandPlugin(1034393, String("Update"), 0, nullptr,
                                    String("Update Solvane scene"),
                                    NewObjClear(CountingCommand, &deletions)));
  // A second command under a used id is refused and deleted.
  EXPECT_FALSE(RegisterCommandPlugin(1033591, String("Again"), 0, nullptr, String(),
                                     NewObjClear(CountingCommand, &deletions)));
  EXPECT_EQ(deletions, 1);
  EXPECT_FALSE(RegisterCommandPlugin(1, String("Nothing"), 0, nullptr, String(), nullptr));

  const auto& commands = c4dhost::RegisteredCommands();
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_EQ(commands[0].name, "Render");
  EXPECT_EQ(commands[0].icon, "render.png");
  ASSERT_NE(c4dhost::FindCommand("Update"), nullptr);
  EXPECT_EQ(c4dhost::FindCommand("Update")->id, 1034393);
  EXPECT_EQ(c4dhost::FindCommand(1033591)->name, "Render");
  EXPECT_EQ(c4dhost::FindCommand("Export"), nullptr);

  c4dhost::ClearCommands();
  EXPECT_EQ(deletions, 3);
  EXPECT_TRUE(c4dhost::RegisteredCommands().empty());
}

TEST(FileDialog, AnsweredCancelledAndGivenItsSuffix) {
  c4dhost::ResetFileDialog();
  Filename fn("%USERDATA%/untitled.svb");
  EXPECT_FALSE(fn.FileSelect(FILESELECTTYPE::ANYTHING, FILESELECT::SAVE, String("Export to .svb"),
                             String("svb")));
  EXPECT_EQ(fn.GetString(), String("%USERDATA%/untitled.svb"));  // unchanged when cancelled
  EXPECT_EQ(c4dhost::LastFileDialog().title, "Export to .svb");
  EXPECT_EQ(c4dhost::LastFileDialog().preset, "%USERDATA%/untitled.svb");

  // The forced suffix is added to an answer without one; "-" stays as it is.
  const char* answers[][2] = {
      {"out/scene", "out/scene.svb"}, {"scene.txt", "scene.txt"}, {"-", "-"}};
  for (const auto& a : answers) {
    c4dhost::SetFileDialogAnswer(a[0]);
    ASSERT_TRUE(
        fn.FileSelect(FILESELECTTYPE::ANYTHING, FILESELECT::SAVE, String("t"), String("svb")));
    EXPECT_EQ(fn.GetString(), String(a[1]));
  }
  EXPECT_EQ(c4dhost::FileDialogCount(), 4);
  c4dhost::ResetFileDialog();
}

TEST(Strings, CopiesInUtf8AndEightBit) {
  String s;
  s.SetCString(
      "Gr\xc3\xbc\xc3\x9f"
      "e",
      -1, STRINGENCODING::UTF8);
  EXPECT_EQ(Copy(s, STRINGENCODING::UTF8),
            "Gr\xc3\xbc\xc3\x9f"
            "e");
  EXPECT_EQ(Copy(s, STRINGENCODING::XBIT),
            "Gr\xfc\xdf"
            "e");
  EXPECT_EQ(Copy(String("\xe2\x82\xac"), STRINGENCODING::XBIT),
            "<null>");  // the euro sign has no 8-bit form
  // Bytes that are not UTF-8 cannot be converted.
  String broken;
  broken.SetRawBytes("ab\xc3");
  EXPECT_EQ(Copy(broken, STRINGENCODING::UTF8), "<null>");
  broken.SetRawBytes("\xc0\xaf");  // overlong
  EXPECT_EQ(Copy(broken, STRINGENCODING::UTF8), "<null>");
}

TEST(Filenames, PartsOfAPath) {
  const Filename f("/data/scenes/model.final.c4d");
  EXPECT_EQ(f.GetFileString(), String("model.final.c4d"));
  EXPECT_EQ(f.GetDirectory().GetString(), String("/data/scenes"));
  EXPECT_EQ(Filename("model").GetDirectory().GetString(), String(""));
  EXPECT_EQ(Filename(".hidden").GetSuffix(), String(""));
  Filename g = f;
  g.SetSuffix(String("svb"));
  EXPECT_EQ(g.GetString(), String("/data/scenes/model.final.svb"));
  g.SetFile(Filename("other.png"));
  g.SetDirectory(Filename("/tmp/"));
  EXPECT_EQ(g.GetString(), String("/tmp/other.png"));
  EXPECT_EQ((Filename("/a") + Filename("b.txt")).GetString(), String("/a/b.txt"));
}

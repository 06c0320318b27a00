// The plug-in's entry functions and its three commands, as the host calls them.
#include "C4DLoader.h"
#include "document_builders.h"

#include "solvane_system.h"

#include "c4d.h"
#include "c4dhost_runtime.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace plugin_test;

namespace {

const Int32 kRenderId = 1033591;
const Int32 kUpdateId = 1034393;
const Int32 kExportId = 1034420;

// The host starts the plug-in once per process; every test here shares that start.
void startPlugin() {
  static const bool started = PluginStart();
  ASSERT_TRUE(started);
}

CommandData* command(Int32 id) {
  const c4dhost::RegisteredCommand* registered = c4dhost::FindCommand(id);
  return registered ? registered->data : nullptr;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> dialogs() {
  std::vector<std::string> texts;
  for (const c4dhost::HostMessage& m : c4dhost::Messages())
    if (m.kind == c4dhost::MessageKind::Dialog) texts.push_back(m.text);
  return texts;
}

class Commands : public ::testing::Test {
 protected:
  void SetUp() override {
    startPlugin();
    c4dhost::ClearMessages();
    c4dhost::ResetFileDialog();
    c4dhost::SetFileDialogCancelled();
    char pattern[] = "/tmp/solvane-commands-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::string dir;
};

// A cancelled export writes nothing and succeeds for the host; an answered one writes it all.
TEST_F(Commands, ExportOfAnEmptyDocument) {
  Document d;
  EXPECT_TRUE(command(kExportId)->Execute(d.doc));
  ASSERT_EQ(c4dhost::FileDialogCount(), 1);
  const c4dhost::FileDialogRequest& request = c4dhost::LastFileDialog();
  EXPECT_EQ(request.title, "Export to .svb");
  EXPECT_EQ(request.preset, "%USERDATA%/untitled.svb");
  EXPECT_EQ(request.forceSuffix, "svb");
  EXPECT_EQ(request.type, FILESELECTTYPE::ANYTHING);
  EXPECT_EQ(request.flags, FILESELECT::SAVE);
  EXPECT_TRUE(c4dhost::Messages().empty());

  C4DLoader loader;
  EXPECT_FALSE(loader.svbExport(d.doc));
  EXPECT_EQ(loader.sceneOO, nullptr);

  c4dhost::SetFileDialogAnswer(dir + "/out.svb");
  EXPECT_TRUE(command(kExportId)->Execute(d.doc));
  EXPECT_TRUE(c4dhost::Messages().empty());
  EXPECT_EQ(readFile(dir + "/out.svb"),
            "//---tessan:dal:7---\n"
            "//---import:dal:1---\n"
            "//---id:1---\n"
            "// This is a Solvane scene file\n"
            "\n"
            "#print \"Solvane SceneApi oo 9.0.45  (built Wed Feb 20 12:07:52 2019)\"\n"
            "version 8\n"
            "\n"
            "load \"zelrtopt.so\" {\n"
            "\"import_mode\" on,\n"
            "\"import_merge_groups\" off,\n"
            "\"import_merge_objects\" off,\n"
            "\"import_up_vector\" 1,\n"
            "\"meter_scale\" 100,\n"
            "\"import_keep_original\" on,\n"
            "\"import_center_geometry\" off,\n"
            "\"import_snap_to_ground\" off,\n"
            "\"import_adjust_camera\" on,\n"
            "\"import_adjust_environment\" on,\n"
            "\"ext\" off,\n"
            "}\n"
            "\n"
            "group \"untitled\" {\n"
            "transform 1 0 0 0 0 1 0 0 0 0 -1 0 0 0 0 1\n"
            "attribute \"source file\" \"source file\"\n"
            "}\n");
}

// The export never replaces the document it converts, however the path is spelt.
TEST_F(Commands, ExportRefusesTheDocumentsOwnFile) {
  const std::string own = dir + "/shot.svb";
  std::ofstream(own) << "the document";
  Document d;
  d.doc->SetDocumentName(Filename("shot.svb"));
  d.doc->SetDocumentPath(Filename(dir.c_str()));
  c4dhost::SetFileDialogAnswer(dir + "/./shot.svb");
  EXPECT_TRUE(command(kExportId)->Execute(d.doc));
  EXPECT_EQ(readFile(own), "the document");
  ASSERT_EQ(dialogs().size(), 1u);
  EXPECT_THAT(dialogs()[0], ::testing::HasSubstr("is the open document's own file"));
}

// Without a renderer the commands succeed for the host; the user reads where we looked.
TEST_F(Commands, RenderAndUpdateWithoutRendererTellTheUser) {
  const std::string missing = dir + "/no-renderer-%d/";
  char const* const saved[2] = {SolvaneSystem::solvaneNLPath, SolvaneSystem::solvaneFltPath};
  SolvaneSystem::solvaneNLPath = SolvaneSystem::solvaneFltPath = missing.c_str();
  Document d;
  d.doc->SetDocumentName(Filename("shot.c4d"));
  EXPECT_TRUE(command(kRenderId)->Execute(d.doc));
  EXPECT_TRUE(command(kUpdateId)->Execute(d.doc));
  SolvaneSystem::solvaneNLPath = saved[0];
  SolvaneSystem::solvaneFltPath = saved[1];
  const std::string reason =
      "Failed to connect. Could not get a scene api. Please check your Solvane installation "
      "(looked for the link library in " +
      missing + " or " + missing + " for %d = 8 down to 7).\n";
  EXPECT_THAT(dialogs(), ::testing::ElementsAre(reason, reason));
}

}  // namespace

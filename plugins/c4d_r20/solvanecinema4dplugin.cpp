// The plug-in as the host sees it: the entry functions and the three commands, each
// running one flow of the single conversion driver.
#include "C4DLoader.h"

#include "c4d.h"

namespace {

const Int32 kRenderId = 1033591;
const Int32 kUpdateId = 1034393;
const Int32 kExportId = 1034420;

// The host's "available" command state, the same that CommandData answers by default.
const Int32 kCommandEnabled = 0x40000000;

}  // namespace

class SolvaneCinema4DRender : public CommandData {
 public:
  explicit SolvaneCinema4DRender(C4DLoader* loader) : loader_(loader) {}
  Bool Execute(BaseDocument* doc) override {
    loader_->render(doc);
    return true;
  }
  Int32 GetState(BaseDocument*) override { return kCommandEnabled; }
  Bool RestoreLayout(void*) override { return true; }

 private:
  C4DLoader* loader_;
};

class SolvaneCinema4DUpdate : public CommandData {
 public:
  explicit SolvaneCinema4DUpdate(C4DLoader* loader) : loader_(loader) {}
  Bool Execute(BaseDocument* doc) override {
    loader_->update(doc);
    return true;
  }
  Int32 GetState(BaseDocument*) override { return kCommandEnabled; }
  Bool RestoreLayout(void*) override { return true; }

 private:
  C4DLoader* loader_;
};

class SolvaneCinema4DExport : public CommandData {
 public:
  explicit SolvaneCinema4DExport(C4DLoader* loader) : loader_(loader) {}
  Bool Execute(BaseDocument* doc) override {
    loader_->svbExport(doc);
    return true;
  }
  Int32 GetState(BaseDocument*) override { return kCommandEnabled; }
  Bool RestoreLayout(void*) override { return true; }

 private:
  C4DLoader* loader_;
};

// Created once at start and never freed: the host may call the commands until it
// unloads the plug-in.
C4DLoader* loader = nullptr;
SolvaneCinema4DRender* renderPlugin = nullptr;
SolvaneCinema4DUpdate* updatePlugin = nullptr;
SolvaneCinema4DExport* exportPlugin = nullptr;

static Bool registerCommand(Int32 id, const char* name, const char* help, const char* icon,
                            CommandData* command) {
  String hostName, hostHelp, iconFile;
  hostName.SetCString(name, -1, STRINGENCODING::UTF8);
  hostHelp.SetCString(help, -1, STRINGENCODING::UTF8);
  iconFile.SetCString(icon, -1, STRINGENCODING::UTF8);
  AutoBitmap bitmap(iconFile, 1.0);
  return RegisterCommandPlugin(id, hostName, 0, bitmap, hostHelp, command);
}

Bool RegisterActiveObjectDlg() {
  loader = new C4DLoader();
  renderPlugin = NewObjClear(SolvaneCinema4DRender, loader);
  updatePlugin = NewObjClear(SolvaneCinema4DUpdate, loader);
  exportPlugin = NewObjClear(SolvaneCinema4DExport, loader);
  Bool ok = registerCommand(kRenderId, "Render", "Render in Solvane", "render.png", renderPlugin);
  ok = registerCommand(kUpdateId, "Update", "Update Solvane scene", "update.png", updatePlugin) &&
       ok;
  ok = registerCommand(kExportId, "Export", "Export to .svb", "export.png", exportPlugin) && ok;
  return ok;
}

Bool PluginStart() {
  RegisterActiveObjectDlg();
  return true;
}

Bool PluginMessage(Int32 id, void*) { return id == 0 || id == 1; }

void PluginEnd() {}

// A plug-in shell for the runner's tests: commands that show what the runner gives them (the
// document, the save dialog's answer), one that reports a problem, one under a taken id.
#include "c4d.h"

#include <string>

namespace {

// Runs one of the functions below.
struct Command : CommandData {
  explicit Command(void (*run)(BaseDocument*)) : run(run) {}
  Bool Execute(BaseDocument* doc) override {
    run(doc);
    return true;
  }
  void (*run)(BaseDocument*);
};

// Prints the document's name, its first object and its selection size.
void hello(BaseDocument* doc) {
  const BaseObject* first = doc->GetFirstObject();
  AtomArray selection;
  doc->GetSelection(selection);
  GePrint("document " + doc->GetDocumentName().GetString() + ", first object " +
          (first != nullptr ? first->GetName() : String("none")) + ", selected " +
          String(std::to_string(selection.GetCount())));
}

// Asks for a file to save and prints the answer.
void save(BaseDocument*) {
  Filename file("untitled.txt");
  if (file.FileSelect(FILESELECTTYPE::ANYTHING, FILESELECT::SAVE, "Save a test file"))
    GePrint("save as " + file.GetString());
  else
    GePrint("save cancelled, still " + file.GetString());
}

// Tells the user that it failed.
void fail(BaseDocument*) { MessageDialog("the test command failed"); }

}  // namespace

MAXON_MODULE_ID("net.tessan.c4dhosttest");

Bool PluginStart() {
  RegisterCommandPlugin(1000001, "Hello", 0, AutoBitmap("hello.png"), "Say hello",
                        new Command(hello));
  RegisterCommandPlugin(1000002, "Save", 0, AutoBitmap("save.png"), "Ask for a file name",
                        new Command(save));
  RegisterCommandPlugin(1000003, "Fail", 0, nullptr, "Report a failure", new Command(fail));
  RegisterCommandPlugin(1000001, "Again", 0, nullptr, "Taken id", new Command(fail));
  return true;
}

void PluginEnd() { GePrint("test plug-in ended"); }

Bool PluginMessage(Int32 id, void* data) {
  (void)data;
  return id == C4DMSG_PRIORITY || id == C4DPL_INIT_SYS;
}

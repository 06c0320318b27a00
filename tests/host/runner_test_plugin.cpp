// A plug-in shell for the runner's tests: three commands that show what the runner gives
// them (the document, the save dialog's answer) and one way of reporting a problem.
#include "c4d.h"

namespace {

String text(const char* s) { return String(s); }

std::string utf8(const String& s) {
  Char* copy = s.GetCStringCopy(STRINGENCODING::UTF8);
  std::string out = copy != nullptr ? copy : "";
  DeleteMem(copy);
  return out;
}

// Prints the document's name, its first object and its selection size.
class HelloCommand : public CommandData {
 public:
  Bool Execute(BaseDocument* doc) override {
    GePrint(text("hello from the test plug-in"));
    if (doc == nullptr) return false;
    const BaseObject* first = doc->GetFirstObject();
    AtomArray selection;
    doc->GetSelection(selection);
    GePrint(String("document " + utf8(doc->GetDocumentName().GetString()) + ", first object " +
                   (first != nullptr ? utf8(first->GetName()) : std::string("none")) +
                   ", selected " + std::to_string(selection.GetCount())));
    return true;
  }
};

// Asks for a file to save and prints the answer.
class SaveCommand : public CommandData {
 public:
  Bool Execute(BaseDocument* doc) override {
    (void)doc;
    Filename file;
    if (!file.FileSelect(FILESELECTTYPE::ANYTHING, FILESELECT::SAVE, text("Save a test file"))) {
      GePrint(text("save cancelled"));
      return true;
    }
    GePrint(String("save as " + utf8(file.GetString())));
    return true;
  }
};

// Tells the user that it failed.
class FailCommand : public CommandData {
 public:
  Bool Execute(BaseDocument* doc) override {
    (void)doc;
    MessageDialog(text("the test command failed"));
    return true;
  }
};

}  // namespace

MAXON_MODULE_ID("net.tessan.c4dhosttest");

Bool PluginStart() {
  RegisterCommandPlugin(1000001, text("Hello"), 0, AutoBitmap(text("hello.png")), text("Say hello"),
                        new HelloCommand());
  RegisterCommandPlugin(1000002, text("Save"), 0, AutoBitmap(text("save.png")),
                        text("Ask for a file name"), new SaveCommand());
  RegisterCommandPlugin(1000003, text("Fail"), 0, nullptr, text("Report a failure"),
                        new FailCommand());
  return true;
}

void PluginEnd() { GePrint(text("test plug-in ended")); }

Bool PluginMessage(Int32 id, void* data) {
  (void)data;
  return id == C4DMSG_PRIORITY || id == C4DPL_INIT_SYS;
}

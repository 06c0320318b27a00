#include "c4dhost_runtime.h"

#include "c4d_basebitmap.h"
#include "c4d_commanddata.h"
#include "c4d_general.h"
#include "runtime_internal.h"

#include <sys/stat.h>

#include <atomic>
#include <string>
#include <utility>

namespace {
struct Runtime {
  std::vector<c4dhost::RegisteredCommand> commands;
  bool dialogAnswered = false;
  std::string dialogAnswer;
  Int32 dialogCount = 0;
  c4dhost::FileDialogRequest lastDialog;
  std::vector<c4dhost::HostMessage> messages;
  std::function<void(const c4dhost::HostMessage&)> sink;
  std::string openDocumentFile;
  c4dhost::StatusBar status;
  std::function<void(const c4dhost::StatusBar&)> statusSink;
};

Runtime& State() {
  static Runtime runtime;
  return runtime;
}

void Emit(c4dhost::MessageKind kind, const maxon::String& str) {
  c4dhost::HostMessage message;
  message.kind = kind;
  message.text = str.GetUtf8();
  State().messages.push_back(message);
  if (State().sink) State().sink(message);
}

void StatusChanged() {
  if (State().statusSink) State().statusSink(State().status);
}
}  // namespace

namespace c4dhost {
const std::vector<RegisteredCommand>& RegisteredCommands() { return State().commands; }

const RegisteredCommand* FindCommand(const std::string& name) {
  for (const RegisteredCommand& c : State().commands)
    if (c.name == name) return &c;
  return nullptr;
}

const RegisteredCommand* FindCommand(Int32 id) {
  for (const RegisteredCommand& c : State().commands)
    if (c.id == id) return &c;
  return nullptr;
}

void ClearCommands() {
  for (RegisteredCommand& c : State().commands) delete c.data;
  State().commands.clear();
}

void SetFileDialogAnswer(const std::string& path) {
  State().dialogAnswered = true;
  State().dialogAnswer = path;
}

void SetOpenDocumentFile(const std::string& path) { State().openDocumentFile = path; }

void SetFileDialogCancelled() {
  State().dialogAnswered = false;
  State().dialogAnswer.clear();
}

Int32 FileDialogCount() { return State().dialogCount; }

const FileDialogRequest& LastFileDialog() { return State().lastDialog; }

void ResetFileDialog() {
  State().dialogCount = 0;
  State().lastDialog = FileDialogRequest();
  SetFileDialogCancelled();
}

const std::vector<HostMessage>& Messages() { return State().messages; }

void ClearMessages() { State().messages.clear(); }

void SetMessageSink(std::function<void(const HostMessage&)> sink) {
  State().sink = std::move(sink);
}

const StatusBar& Status() { return State().status; }

void SetStatusSink(std::function<void(const StatusBar&)> sink) {
  State().statusSink = std::move(sink);
}
}  // namespace c4dhost

namespace c4dhost_internal {
bool AnswerFileDialog(const c4dhost::FileDialogRequest& request, std::string& answer) {
  State().dialogCount++;
  State().lastDialog = request;
  if (!State().dialogAnswered) return false;
  answer = State().dialogAnswer;
  return true;
}

bool RefusesSaveTarget(const std::string& path) {
  const std::string& document = State().openDocumentFile;
  struct stat a;
  struct stat b;
  if (document.empty() || stat(path.c_str(), &a) != 0 || stat(document.c_str(), &b) != 0 ||
      a.st_dev != b.st_dev || a.st_ino != b.st_ino)
    return false;
  Emit(c4dhost::MessageKind::Dialog,
       maxon::String(("\"" + path + "\" is the open document's own file (" + document +
                      "); choose another name. Nothing was written.")
                         .c_str()));
  return true;
}

UInt64 NextGuid() {
  static std::atomic<UInt64> next{0x1000};
  return next++;
}
}  // namespace c4dhost_internal

Bool RegisterCommandPlugin(Int32 id, const maxon::String& str, Int32 info, BaseBitmap* icon,
                           const maxon::String& help, CommandData* dat) {
  if (!dat || c4dhost::FindCommand(id)) {
    delete dat;
    return false;
  }
  c4dhost::RegisteredCommand command;
  command.id = id;
  command.name = str.GetUtf8();
  command.help = help.GetUtf8();
  command.icon = icon ? icon->GetSourceName().GetUtf8() : std::string();
  command.info = info;
  command.data = dat;
  State().commands.push_back(command);
  return true;
}

void MessageDialog(const maxon::String& str) { Emit(c4dhost::MessageKind::Dialog, str); }

void GePrint(const maxon::String& str) { Emit(c4dhost::MessageKind::Print, str); }

void StatusSetText(const maxon::String& str) {
  State().status.text = str.GetUtf8();
  StatusChanged();
}

void StatusSetBar(Int32 p) {
  State().status.percent = p < 0 ? 0 : p > 100 ? 100 : p;
  StatusChanged();
}

void StatusClear() {
  State().status = c4dhost::StatusBar();
  StatusChanged();
}

Int32 GetC4DVersion() { return c4dhost::kHostInterfaceVersion; }

AutoBitmap::AutoBitmap(const maxon::String& str, Float pixelRatio) : bmp_(BaseBitmap::Alloc()) {
  (void)pixelRatio;
  bmp_->SetSourceName(str);
}

AutoBitmap::AutoBitmap(Int32 id) : bmp_(BaseBitmap::Alloc()) {
  bmp_->SetSourceName(String(std::to_string(id)));
}

AutoBitmap::~AutoBitmap() { BaseBitmap::Free(bmp_); }

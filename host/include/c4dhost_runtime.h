#pragma once

// The stand-in host's own interface for the runner and for tests: what the
// plug-in registered, the answer to the file dialog, and what the plug-in
// showed the user. Not part of the SDK (c4d.h does not include it).

#include "c4d_commanddata.h"
#include "ge_prepass.h"

#include <functional>
#include <string>
#include <vector>

namespace c4dhost {
// The host interface version the stand-in host reports to plug-ins
// (passed to c4d_main's C4DPL_INIT_SYS through p1).
constexpr Int32 kHostInterfaceVersion = 20026;

// One command as RegisterCommandPlugin recorded it. The host owns data.
struct RegisteredCommand {
  Int32 id = 0;
  std::string name;  // UTF-8
  std::string help;
  std::string icon;  // name of the icon bitmap, empty without one
  Int32 info = 0;
  CommandData* data = nullptr;
};

// Commands in registration order.
const std::vector<RegisteredCommand>& RegisteredCommands();
// The command with that name (or id), or null.
const RegisteredCommand* FindCommand(const std::string& name);
const RegisteredCommand* FindCommand(Int32 id);
// Deletes every registered command object and forgets the commands.
void ClearCommands();

// The file dialog (Filename::FileSelect). The runner sets the answer before
// running a command: a path (the user's choice) or cancelled (the default).
void SetFileDialogAnswer(const std::string& path);
void SetFileDialogCancelled();

// The file the open document was read from: a save dialog refuses to answer with it
// (however the path is spelt), shows why and counts as cancelled. Empty: none.
void SetOpenDocumentFile(const std::string& path);

// What the last FileSelect call asked for.
struct FileDialogRequest {
  std::string title;
  std::string preset;  // the preset name (GetString of the Filename)
  std::string forceSuffix;
  FILESELECTTYPE type = FILESELECTTYPE::ANYTHING;
  FILESELECT flags = FILESELECT::LOAD;
};
// Number of FileSelect calls since the last reset, and the last request.
Int32 FileDialogCount();
const FileDialogRequest& LastFileDialog();
void ResetFileDialog();

// Texts the plug-in showed (MessageDialog) or printed (GePrint).
enum class MessageKind { Dialog, Print };
struct HostMessage {
  MessageKind kind = MessageKind::Dialog;
  std::string text;  // UTF-8
};
const std::vector<HostMessage>& Messages();
void ClearMessages();
// Called for every message as it arrives (besides collecting it); an empty
// function removes the sink.
void SetMessageSink(std::function<void(const HostMessage&)> sink);

// The status bar as the plug-in set it last (StatusSetText, StatusSetBar, StatusClear).
struct StatusBar {
  std::string text;    // UTF-8, empty: none
  Int32 percent = -1;  // 0 to 100, -1: no bar
};
const StatusBar& Status();
// Called after every change of the status bar; an empty function removes the sink.
void SetStatusSink(std::function<void(const StatusBar&)> sink);

}  // namespace c4dhost

#pragma once

#include "c4d_basebitmap.h"
#include "c4d_basecontainer.h"
#include "c4d_string.h"
#include "ge_prepass.h"

class BaseDocument;

class BaseData {
 public:
  virtual ~BaseData() = default;
};

// A command of the host's command list. Virtual operations in the host's
// order; the defaults do nothing and GetState answers CMD_ENABLED.
class CommandData : public BaseData {
 public:
  ~CommandData() override = default;
  virtual Bool Execute(BaseDocument* doc) {
    (void)doc;
    return false;
  }
  virtual Bool ExecuteSubID(BaseDocument* doc, Int32 subid) {
    (void)doc;
    (void)subid;
    return false;
  }
  virtual Bool ExecuteOptionID(BaseDocument* doc, Int32 plugid, Int32 subid) {
    (void)doc;
    (void)plugid;
    (void)subid;
    return false;
  }
  virtual Int32 GetState(BaseDocument* doc) {
    (void)doc;
    return CMD_ENABLED;
  }
  virtual Bool GetSubContainer(BaseDocument* doc, BaseContainer& submenu) {
    (void)doc;
    (void)submenu;
    return false;
  }
  virtual Bool RestoreLayout(void* secret) {
    (void)secret;
    return false;
  }
  virtual String GetScriptName() { return String(); }
  virtual Bool Message(Int32 type, void* data) {
    (void)type;
    (void)data;
    return true;
  }
};

// Registers a command with the host, which takes ownership of dat (also when
// registration fails: dat is then deleted). Fails for a null dat or an id
// already registered. The icon is copied (by name).
Bool RegisterCommandPlugin(Int32 id, const maxon::String& str, Int32 info, BaseBitmap* icon,
                           const maxon::String& help, CommandData* dat);

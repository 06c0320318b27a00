#include "C4DLoader.h"

#include "DefaultRTModule.h"
#include "LightFileFactory.h"
#include "RepeatLinkFactory.h"
#include "c4dread.h"
#include "zel_sys.h"
#include "zelapi.h"
#include "zelsceneapi_oo.h"

#include "c4d.h"

#include <exception>
#include <string>

namespace {

const int kLowestVersion = 7;
const int kHighestVersion = 8;

// A document name without its extension: cut before the last ".".
std::string withoutExtension(const std::string& name) {
  std::string::size_type dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

// "1 object", "3 objects".
std::string counted(uint64_t n, const char* thing) {
  return std::to_string(n) + " " + thing + (n == 1 ? "" : "s");
}

// "3 objects, 120 triangles, 2 materials, 4567 bytes written to PATH".
std::string summaryOf(const C4DLoader::Counts& counts, const zel::LightFactory& factory) {
  return counted(counts.objects, "object") + ", " + counted(counts.triangles, "triangle") + ", " +
         counted(counts.materials, "material") + ", " + counted(factory.bytesWritten(), "byte") +
         " " + factory.destination();
}

void setStatusText(const std::string& text) {
  String status;
  status.SetCString(text.c_str(), -1, STRINGENCODING::UTF8);
  StatusSetText(status);
}

// Shows a failure to the user; nothing when there is none.
void tellUserOfFailure(const std::string& text) {
  if (text.empty()) return;
  String message;
  message.SetCString(text.c_str(), -1, STRINGENCODING::UTF8);
  MessageDialog(message);
}

void configureModule(zel::DefaultRTModule& module, bool adjust) {
  module.setImportMode(true);
  module.setImportMergeGroups(false);
  module.setImportMergeObjects(false);
  module.setImportAdjustEnvironment(adjust);
  module.setImportAdjustCamera(adjust);
  module.setImportKeepOriginal(true);
  module.setImportUpVector(1);
  module.setMeterScale(100.0f);
  module.setImportSnapToGround(false);
  module.setImportCenterGeometry(false);
  module.setExt(false);
}

// Whether `path` names the file the document was read from, however either is spelt.
bool isDocumentFile(BaseDocument* doc, const std::string& path) {
  if (!doc) return false;
  std::string folder;
  std::string name;
  if (!toUtf8(doc->GetDocumentPath().GetString(), folder) ||
      !toUtf8(doc->GetDocumentName().GetString(), name) || name.empty())
    return false;
  return zel_sys::sameFile(path, folder.empty() ? name : folder + "/" + name);
}

}  // namespace

C4DLoader::C4DLoader()
    : materialCounter(0),
      sceneOO(nullptr),
      progress(0.0f),
      document(nullptr),
      selectionOnly(false) {}

std::string C4DLoader::convertInto(BaseDocument* doc, zel::LightFactory& factory) {
  const int depth = hierarchyDepth(doc);
  if (depth > kMaxHierarchyDepth) {
    return "The object hierarchy is " + std::to_string(depth) +
           " levels deep; a scene holds at most " + std::to_string(kMaxHierarchyDepth) +
           ". Nothing was sent.";
  }
  std::string failure;
  counts = Counts();
  try {
    sceneOO = new zel::zelSceneapi_oo(&factory);
    if (sceneOO->get_scene_api()) {
      zel::DefaultRTModule module;
      configureModule(module, !factory.hadModel());
      sceneOO->insertNode(module);
      load(doc);
    } else {
      failure = factory.message();
    }
  } catch (const std::exception& e) {
    failure = e.what();
  }
  delete sceneOO;
  sceneOO = nullptr;
  // Only a complete scene is committed; the factory abandons the rest when it is destroyed.
  if (failure.empty() && !factory.shutdown()) failure = factory.message();
  // The progress is over; what arrived stays in the status bar as the command's summary.
  StatusClear();
  if (failure.empty()) setStatusText(summaryOf(counts, factory));
  return failure;
}

void C4DLoader::showProgress(const char* label) {
  const float percent = progress * 100.0f + 0.5f;
  setStatusText(label);
  StatusSetBar(percent < 0.0f ? 0 : percent > 100.0f ? 100 : static_cast<Int32>(percent));
}

bool C4DLoader::render(BaseDocument* doc) { return runLive(doc, "", false); }

bool C4DLoader::update(BaseDocument* doc) {
  std::string modelName = "untitled";
  if (doc) {
    Filename name = doc->GetDocumentName();
    std::string full;
    if (name.GetFileString().IsPopulated() && toUtf8(name.GetString(), full))
      modelName = withoutExtension(full);
  }
  return runLive(doc, modelName, true);
}

// Render and Update differ only in the factory's settings.
bool C4DLoader::runLive(BaseDocument* doc, const std::string& modelName, bool update) {
  selectionOnly = update;
  zel::RepeatLinkFactory factory;
  factory.setModelName(modelName);
  factory.setUpdate(update);
  factory.setVersionRange(kLowestVersion, kHighestVersion);
  tellUserOfFailure(convertInto(doc, factory));
  return true;
}

bool C4DLoader::svbExport(BaseDocument* doc) {
  Filename file;
  file.SetDirectory(Filename("%USERDATA%"));
  file.SetFile(Filename("untitled"));
  file.SetSuffix(String("svb"));
  if (!file.FileSelect(FILESELECTTYPE::ANYTHING, FILESELECT::SAVE, String("Export to .svb"),
                       String("svb")))
    return false;
  selectionOnly = false;
  std::string path;
  if (!toUtf8(file.GetString(), path)) {
    tellUserOfFailure(
        "Export: the chosen file name cannot be converted to UTF-8. Nothing was written.");
    return false;
  }
  // "-" is the host's standard output, which then carries the scene alone.
  if (path == "-") {
    zel::LightFileFactory factory(stdout, "standard output");
    tellUserOfFailure(convertInto(doc, factory));
    return true;
  }
  if (isDocumentFile(doc, path)) {
    tellUserOfFailure("Export: \"" + path +
                      "\" is the open document's own file; choose another name. Nothing was "
                      "written.");
    return true;
  }
  zel::LightFileFactory factory(path);
  tellUserOfFailure(convertInto(doc, factory));
  return true;
}

void C4DLoader::load(BaseDocument* doc) {
  document = doc;
  documentPath.clear();
  progress = 0.0f;
  std::string rootName = "untitled";
  if (!doc) return;

  BaseTime previousTime = doc->GetTime();
  doc->SetTime(doc->GetMinTime());
  doc->ExecutePasses(nullptr, true, true, true, BUILDFLAGS::NONE);

  std::string text;
  Filename path = doc->GetDocumentPath();
  if (path.GetString().IsPopulated() && toUtf8(path.GetString(), text)) documentPath = text;
  Filename name = doc->GetDocumentName();
  if (name.GetString().IsPopulated() && toUtf8(name.GetString(), text))
    rootName = withoutExtension(text);

  std::vector<BaseObject*> cameras;
  for (BaseObject* object = doc->GetFirstObject(); object; object = object->GetNext())
    getCameras(object, cameras);
  for (BaseObject* camera : cameras) writeCamera(camera);

  sceneOO->begin_group(rootName);
  zelScene_api* api = sceneOO->get_scene_api();
  api->transform(zMirror());
  api->set_attribute("source file", "source file");

  selectedGuids.clear();
  AtomArray* selection = AtomArray::Alloc();
  if (selection) {
    doc->GetSelection(*selection);
    if (selectionOnly) {
      for (Int32 i = 0; i < selection->GetCount(); ++i) {
        C4DAtom* atom = selection->GetIndex(i);
        if (!atom || atom->GetType() == Ttexture) continue;
        // Everything the host lists in a selection is a list element with an id.
        selectedGuids.insert(static_cast<BaseList2D*>(atom)->GetGUID());
      }
    }
    AtomArray::Free(selection);
  }

  int count = 0;
  for (BaseObject* object = doc->GetFirstObject(); object; object = object->GetNext()) ++count;
  if (count > 0) {
    float share = 1.0f / static_cast<float>(count);
    for (BaseObject* object = doc->GetFirstObject(); object; object = object->GetNext()) {
      std::vector<BaseTag*> tags(1, nullptr);
      browseHierarchy(object, tags, true, true, share, false);
    }
  }

  sceneOO->end_group();

  doc->SetTime(previousTime);
  doc->ExecutePasses(nullptr, true, true, true, BUILDFLAGS::NONE);
}

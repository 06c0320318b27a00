#pragma once

#include "c4d_baselist.h"
#include "c4d_basematerial.h"
#include "c4d_baseobject.h"
#include "c4d_basetime.h"
#include "c4d_file.h"
#include "ge_prepass.h"

// A layer. Parameters ID_LAYER_* (1000-1010); the switches read true by
// default (solo and locked false) and the colour (0.65, 0.65, 0.65).
class LayerObject : public BaseList2D {
 public:
  static LayerObject* Alloc();
  static void Free(LayerObject*& l) {
    delete l;
    l = nullptr;
  }

  LayerObject* GetNext() const { return static_cast<LayerObject*>(GeListNode::GetNext()); }
  LayerObject* GetPred() const { return static_cast<LayerObject*>(GeListNode::GetPred()); }

 private:
  LayerObject();
};

// The document: the object tree, materials, layers, selection, time and
// file name. It owns everything inserted into it.
//
// Selection: objects and tags are selected through BIT_ACTIVE. GetSelection
// walks the object tree depth-first and lists every selected object, each
// followed by its selected tags.
class BaseDocument : public BaseList2D {
 public:
  static BaseDocument* Alloc();
  static void Free(BaseDocument*& doc) {
    delete doc;
    doc = nullptr;
  }
  ~BaseDocument() override;

  BaseObject* GetFirstObject() const;
  // Inserts op under parent (or at the top) after pred (first when pred is
  // null); takes ownership. checknames is ignored.
  void InsertObject(BaseObject* op, BaseObject* parent, BaseObject* pred, Bool checknames = false);

  BaseMaterial* GetFirstMaterial() const;
  void InsertMaterial(BaseMaterial* mat, BaseMaterial* pred = nullptr, Bool checknames = false);
  // The first material with that name, or null.
  BaseMaterial* SearchMaterial(const maxon::String& str) const;

  // Host-side: the document's layers (the host keeps them in a layer tree).
  LayerObject* GetFirstLayer() const;
  void InsertLayer(LayerObject* layer, LayerObject* pred = nullptr);

  // Fills selection with the selected objects and tags (see above).
  void GetSelection(AtomArray& selection) const;
  void GetActiveObjects(AtomArray& selection, GETACTIVEOBJECTFLAGS flags) const;
  void GetActiveTags(AtomArray& selection) const;
  BaseObject* GetActiveObject() const;
  // SELECTION_NEW clears the selection of objects and tags first; ADD adds,
  // SUB removes. bl null with SELECTION_NEW clears the selection.
  void SetSelection(BaseList2D* bl, Int32 mode = SELECTION_NEW);
  void SetActiveObject(BaseObject* op, Int32 mode = SELECTION_NEW) { SetSelection(op, mode); }
  void SetActiveTag(BaseTag* tag, Int32 mode = SELECTION_NEW);

  // File name part and folder part of the document's file; empty for a
  // document never saved.
  Filename GetDocumentName() const { return documentName_; }
  Filename GetDocumentPath() const { return documentPath_; }
  void SetDocumentName(const Filename& name) { documentName_ = name; }
  void SetDocumentPath(const Filename& path) { documentPath_ = path; }

  BaseTime GetTime() const { return time_; }
  // Only sets the time; ExecutePasses brings the document to it.
  void SetTime(const BaseTime& t) { time_ = t; }
  BaseTime GetMinTime() const { return minTime_; }
  BaseTime GetMaxTime() const { return maxTime_; }
  void SetMinTime(const BaseTime& t) { minTime_ = t; }
  void SetMaxTime(const BaseTime& t) { maxTime_ = t; }
  BaseTime GetLoopMinTime() const { return minTime_; }
  BaseTime GetLoopMaxTime() const { return maxTime_; }
  Int32 GetFps() const { return fps_; }
  void SetFps(Int32 fps) { fps_ = fps; }

  // Evaluates the document at its time. With animation on, every track of
  // every object (caches included) whose ANIMOFF switch is on and that
  // animates a vector component (two-level id such as 903/VECTOR_X) or a
  // float parameter sets that value from its curve. Caches are kept as they
  // are. Always returns true.
  Bool ExecutePasses(BaseThread* bt, Bool animation, Bool expressions, Bool caches,
                     BUILDFLAGS flags);

 private:
  BaseDocument();
  c4dsdk_internal::NodeList objects_;
  c4dsdk_internal::NodeList materials_;
  c4dsdk_internal::NodeList layers_;
  Filename documentName_;
  Filename documentPath_;
  BaseTime time_;
  BaseTime minTime_;
  BaseTime maxTime_ = BaseTime(Float(3.0));
  Int32 fps_ = 30;
};

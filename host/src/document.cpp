#include "c4d_basedocument.h"

#include "c4d_basetag.h"
#include "c4d_canimation.h"
#include "params_internal.h"

#include <functional>

using c4dsdk_internal::ListKind;

LayerObject::LayerObject() : BaseList2D(Olayer) {
  data_.SetBool(ID_LAYER_SOLO, false);
  data_.SetBool(ID_LAYER_VIEW, true);
  data_.SetBool(ID_LAYER_RENDER, true);
  data_.SetBool(ID_LAYER_MANAGER, true);
  data_.SetBool(ID_LAYER_LOCKED, false);
  data_.SetBool(ID_LAYER_GENERATORS, true);
  data_.SetBool(ID_LAYER_DEFORMERS, true);
  data_.SetBool(ID_LAYER_EXPRESSIONS, true);
  data_.SetBool(ID_LAYER_ANIMATION, true);
  data_.SetVector(ID_LAYER_COLOR, Vector(0.65, 0.65, 0.65));
  data_.SetBool(ID_LAYER_XREF, true);
}

LayerObject* LayerObject::Alloc() { return new LayerObject(); }

BaseDocument::BaseDocument() : BaseList2D(0) {
  objects_.kind = ListKind::Objects;
  objects_.doc = this;
  materials_.kind = ListKind::Materials;
  materials_.doc = this;
  layers_.kind = ListKind::Layers;
  layers_.doc = this;
}

BaseDocument::~BaseDocument() {
  objects_.DeleteAll();
  materials_.DeleteAll();
  layers_.DeleteAll();
}

BaseDocument* BaseDocument::Alloc() { return new BaseDocument(); }

BaseObject* BaseDocument::GetFirstObject() const {
  return static_cast<BaseObject*>(objects_.first);
}

void BaseDocument::InsertObject(BaseObject* op, BaseObject* parent, BaseObject* pred,
                                Bool checknames) {
  (void)checknames;
  if (!op) return;
  // op cannot go into its own subtree; without children only op itself is in it.
  for (const GeListNode* n = parent; n && (n == parent || op->GetDown()); n = n->GetUp())
    if (n == op) return;
  if (pred && pred->GetUp() == parent && pred->GetDocument() == this) {
    op->InsertAfter(pred);
    return;
  }
  if (parent) {
    op->InsertUnder(parent);
    return;
  }
  op->Remove();
  objects_.Insert(op, nullptr);
}

BaseMaterial* BaseDocument::GetFirstMaterial() const {
  return static_cast<BaseMaterial*>(materials_.first);
}

void BaseDocument::InsertMaterial(BaseMaterial* mat, BaseMaterial* pred, Bool checknames) {
  (void)checknames;
  if (!mat || mat == pred) return;
  mat->Remove();
  materials_.Insert(mat, pred);
}

BaseMaterial* BaseDocument::SearchMaterial(const maxon::String& str) const {
  for (BaseMaterial* m = GetFirstMaterial(); m; m = m->GetNext())
    if (m->GetName() == str) return m;
  return nullptr;
}

LayerObject* BaseDocument::GetFirstLayer() const {
  return static_cast<LayerObject*>(layers_.first);
}

void BaseDocument::InsertLayer(LayerObject* layer, LayerObject* pred) {
  if (!layer || layer == pred) return;
  layer->Remove();
  layers_.Insert(layer, pred);
}

namespace {
// Depth-first, pre-order walk over the object tree (not into caches).
void WalkTree(BaseObject* op, const std::function<void(BaseObject*)>& fn) {
  for (; op; op = op->GetNext()) {
    fn(op);
    WalkTree(op->GetDown(), fn);
  }
}

// Like WalkTree, but also through caches and deform caches.
void WalkAll(BaseObject* op, const std::function<void(BaseObject*)>& fn) {
  for (; op; op = op->GetNext()) {
    fn(op);
    WalkAll(op->GetDeformCache(), fn);
    WalkAll(op->GetCache(), fn);
    WalkAll(op->GetDown(), fn);
  }
}

void CollectActive(BaseObject* op, AtomArray& out, bool descendIntoSelected) {
  for (; op; op = op->GetNext()) {
    const bool active = op->GetBit(BIT_ACTIVE);
    if (active) out.Append(op);
    if (!active || descendIntoSelected) CollectActive(op->GetDown(), out, descendIntoSelected);
  }
}
}  // namespace

void BaseDocument::GetSelection(AtomArray& selection) const {
  selection.Flush();
  WalkTree(GetFirstObject(), [&](BaseObject* op) {
    if (op->GetBit(BIT_ACTIVE)) selection.Append(op);
    for (BaseTag* t = op->GetFirstTag(); t; t = t->GetNext())
      if (t->GetBit(BIT_ACTIVE)) selection.Append(t);
  });
}

void BaseDocument::GetActiveObjects(AtomArray& selection, GETACTIVEOBJECTFLAGS flags) const {
  selection.Flush();
  const bool children = (Int32(flags) & Int32(GETACTIVEOBJECTFLAGS::CHILDREN)) != 0;
  CollectActive(GetFirstObject(), selection, children);
}

void BaseDocument::GetActiveTags(AtomArray& selection) const {
  selection.Flush();
  WalkTree(GetFirstObject(), [&](BaseObject* op) {
    for (BaseTag* t = op->GetFirstTag(); t; t = t->GetNext())
      if (t->GetBit(BIT_ACTIVE)) selection.Append(t);
  });
}

BaseObject* BaseDocument::GetActiveObject() const {
  BaseObject* found = nullptr;
  WalkTree(GetFirstObject(), [&](BaseObject* op) {
    if (!found && op->GetBit(BIT_ACTIVE)) found = op;
  });
  return found;
}

void BaseDocument::SetSelection(BaseList2D* bl, Int32 mode) {
  if (mode == SELECTION_NEW) {
    WalkTree(GetFirstObject(), [](BaseObject* op) {
      op->DelBit(BIT_ACTIVE);
      for (BaseTag* t = op->GetFirstTag(); t; t = t->GetNext()) t->DelBit(BIT_ACTIVE);
    });
  }
  if (!bl) return;
  if (mode == SELECTION_SUB)
    bl->DelBit(BIT_ACTIVE);
  else
    bl->SetBit(BIT_ACTIVE);
}

void BaseDocument::SetActiveTag(BaseTag* tag, Int32 mode) { SetSelection(tag, mode); }

namespace {
void ApplyTracks(BaseList2D* element, BaseDocument* doc, const BaseTime& time) {
  for (CTrack* track = element->GetFirstCTrack(); track; track = track->GetNext()) {
    GeData on;
    if (!track->GetParameter(DescID(ID_CTRACK_ANIMOFF), on, DESCFLAGS_GET::NONE) || !on.GetBool())
      continue;
    CCurve* curve = track->GetCurve(CCURVE::CURVE, false);
    if (!curve || curve->GetKeyCount() == 0) continue;
    const DescID& id = track->GetDescriptionID();
    const GeData value(track->GetValue(doc, time));
    if (id.GetDepth() == 2) {
      element->SetParameter(id, value, DESCFLAGS_SET::NONE);
    } else if (id.GetDepth() == 1) {
      // Only float parameters take a curve value as they are.
      GeData current;
      const bool isFloat = element->GetParameter(id, current, DESCFLAGS_GET::NONE)
                               ? current.GetType() == DA_REAL
                               : id[0].dtype == DTYPE_REAL;
      if (isFloat) element->SetParameter(id, value, DESCFLAGS_SET::NONE);
    }
  }
}
}  // namespace

Bool BaseDocument::ExecutePasses(BaseThread* bt, Bool animation, Bool expressions, Bool caches,
                                 BUILDFLAGS flags) {
  (void)bt;
  (void)expressions;
  (void)caches;
  (void)flags;
  if (!animation) return true;
  const BaseTime time = time_;
  WalkAll(GetFirstObject(), [&](BaseObject* op) {
    ApplyTracks(op, this, time);
    for (BaseTag* t = op->GetFirstTag(); t; t = t->GetNext()) ApplyTracks(t, this, time);
  });
  for (BaseMaterial* m = GetFirstMaterial(); m; m = m->GetNext()) ApplyTracks(m, this, time);
  return true;
}

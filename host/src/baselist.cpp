#include "c4d_baselist.h"

#include "c4d_basechannel.h"
#include "c4d_basedocument.h"
#include "c4d_canimation.h"
#include "params_internal.h"
#include "runtime_internal.h"

namespace c4dsdk_internal {
bool IsNumber(const GeData& value) {
  const Int32 t = value.GetType();
  return t == DA_LONG || t == DA_LLONG || t == DA_REAL;
}

namespace {
bool ComponentIndex(const DescID& id, int& index) {
  if (id.GetDepth() != 2) return false;
  const Int32 c = id[1].id;
  if (c < VECTOR_X || c > VECTOR_Z) return false;
  index = c - VECTOR_X;
  return true;
}
}  // namespace

bool ReadAddressed(const GeData& value, const DescID& id, GeData& out) {
  out = GeData();
  if (id.GetDepth() == 1) {
    out = value;
    return true;
  }
  int index = 0;
  if (value.GetType() != DA_VECTOR || !ComponentIndex(id, index)) return false;
  out = GeData(value.GetVector()[index]);
  return true;
}

bool WriteAddressed(GeData& target, const DescID& id, const GeData& in) {
  if (id.GetDepth() == 1) {
    target = in;
    return true;
  }
  int index = 0;
  if (!ComponentIndex(id, index) || !IsNumber(in)) return false;
  Vector v = target.GetType() == DA_VECTOR ? target.GetVector() : Vector();
  v[index] = in.GetFloat();
  target = GeData(v);
  return true;
}

void NodeList::Insert(GeListNode* node, GeListNode* pred) {
  node->ownerList_ = this;
  if (!pred || pred->ownerList_ != this) {
    node->pred_ = nullptr;
    node->next_ = first;
    if (first) first->pred_ = node;
    first = node;
    if (!last) last = node;
    return;
  }
  node->pred_ = pred;
  node->next_ = pred->next_;
  if (pred->next_)
    pred->next_->pred_ = node;
  else
    last = node;
  pred->next_ = node;
}

// A node's children move up into this list before the node goes, so that a tree of any
// depth is deleted without recursion.
void NodeList::DeleteAll() {
  while (first) {
    GeListNode* node = first;
    if (GeListNode* child = node->GetDown()) {
      child->Remove();
      Insert(child, nullptr);
      continue;
    }
    delete node;  // the destructor unlinks the node
  }
}
}  // namespace c4dsdk_internal

using c4dsdk_internal::ListKind;

Bool C4DAtom::GetParameter(const DescID& id, GeData& t_data, DESCFLAGS_GET flags) {
  (void)id;
  (void)flags;
  t_data = GeData();
  return false;
}

Bool C4DAtom::SetParameter(const DescID& id, const GeData& t_data, DESCFLAGS_SET flags) {
  (void)id;
  (void)t_data;
  (void)flags;
  return false;
}

GeListNode::GeListNode(Int32 type) : C4DAtom(type) {
  children_.kind = ListKind::Children;
  children_.parent = this;
}

GeListNode::~GeListNode() {
  children_.DeleteAll();
  Remove();
}

GeListNode* GeListNode::GetUp() const {
  return ownerList_ && ownerList_->kind == ListKind::Children ? ownerList_->parent : nullptr;
}

void GeListNode::Remove() {
  if (!ownerList_) return;
  if (pred_)
    pred_->next_ = next_;
  else
    ownerList_->first = next_;
  if (next_)
    next_->pred_ = pred_;
  else
    ownerList_->last = pred_;
  next_ = pred_ = nullptr;
  ownerList_ = nullptr;
}

namespace {
// True when node lies in the subtree of root (root itself included), so that
// inserting root there would make the tree a cycle. A root without children
// is answered at once, so that building deep trees leaf by leaf stays linear.
bool InSubtree(const GeListNode* node, const GeListNode* root) {
  if (node == root) return true;
  if (!root->GetDown()) return false;
  for (const GeListNode* n = node; n; n = n->GetUp())
    if (n == root) return true;
  return false;
}
}  // namespace

void GeListNode::InsertBefore(GeListNode* bl) {
  if (!bl || InSubtree(bl, this) || !bl->ownerList_) return;
  Remove();
  c4dsdk_internal::NodeList* list = bl->ownerList_;
  list->Insert(this, bl->pred_);
}

void GeListNode::InsertAfter(GeListNode* bl) {
  if (!bl || InSubtree(bl, this) || !bl->ownerList_) return;
  Remove();
  bl->ownerList_->Insert(this, bl);
}

void GeListNode::InsertUnder(GeListNode* bl) {
  if (!bl || InSubtree(bl, this)) return;
  Remove();
  bl->children_.Insert(this, nullptr);
}

void GeListNode::InsertUnderLast(GeListNode* bl) {
  if (!bl || InSubtree(bl, this)) return;
  Remove();
  bl->children_.Insert(this, bl->children_.Last());
}

BaseDocument* GeListNode::GetDocument() const {
  const GeListNode* n = this;
  while (n && n->ownerList_) {
    const c4dsdk_internal::NodeList* list = n->ownerList_;
    if (list->doc) return list->doc;
    n = list->parent ? list->parent : static_cast<const GeListNode*>(list->holder);
  }
  return nullptr;
}

BaseList2D::BaseList2D(Int32 type) : GeListNode(type), guid_(c4dhost_internal::NextGuid()) {
  tracks_.kind = ListKind::Tracks;
  tracks_.holder = this;
  shaders_.kind = ListKind::Shaders;
  shaders_.holder = this;
}

BaseList2D::~BaseList2D() {
  tracks_.DeleteAll();
  shaders_.DeleteAll();
}

CTrack* BaseList2D::GetFirstCTrack() const { return static_cast<CTrack*>(tracks_.first); }

CTrack* BaseList2D::FindCTrack(const DescID& id) const {
  for (CTrack* t = GetFirstCTrack(); t; t = t->GetNext())
    if (t->GetDescriptionID() == id) return t;
  return nullptr;
}

namespace {
bool DescIdLess(const DescID& a, const DescID& b) {
  const Int32 n = a.GetDepth() < b.GetDepth() ? a.GetDepth() : b.GetDepth();
  for (Int32 i = 0; i < n; ++i) {
    if (a[i].id != b[i].id) return a[i].id < b[i].id;
  }
  return a.GetDepth() < b.GetDepth();
}
}  // namespace

void BaseList2D::InsertTrackSorted(CTrack* track) {
  if (!track) return;
  track->Remove();
  CTrack* pred = nullptr;
  for (CTrack* t = GetFirstCTrack(); t; t = t->GetNext()) {
    if (DescIdLess(track->GetDescriptionID(), t->GetDescriptionID())) break;
    pred = t;
  }
  tracks_.Insert(track, pred);
}

BaseShader* BaseList2D::GetFirstShader() const { return static_cast<BaseShader*>(shaders_.first); }

void BaseList2D::InsertShader(BaseShader* shader, BaseShader* pred) {
  if (!shader) return;
  shader->Remove();
  shaders_.Insert(shader, pred);
}

LayerObject* BaseList2D::GetLayerObject(BaseDocument* doc) const {
  (void)doc;
  return layer_;
}

Bool BaseList2D::SetLayerObject(LayerObject* layer) {
  layer_ = layer;
  return true;
}

Bool BaseList2D::GetParameter(const DescID& id, GeData& t_data, DESCFLAGS_GET flags) {
  (void)flags;
  t_data = GeData();
  if (id.GetDepth() < 1) return false;
  const Int32 first = id[0].id;
  if (first == ID_BASELIST_NAME) return c4dsdk_internal::ReadAddressed(GeData(name_), id, t_data);
  if (first == ID_LAYER_LINK)
    return c4dsdk_internal::ReadAddressed(GeData(static_cast<BaseList2D*>(layer_)), id, t_data);
  const GeData* value = data_.GetDataPointer(first);
  if (!value) return false;
  return c4dsdk_internal::ReadAddressed(*value, id, t_data);
}

Bool BaseList2D::SetParameter(const DescID& id, const GeData& t_data, DESCFLAGS_SET flags) {
  (void)flags;
  if (id.GetDepth() < 1) return false;
  const Int32 first = id[0].id;
  if (first == ID_BASELIST_NAME) {
    if (id.GetDepth() != 1 || t_data.GetType() != DA_STRING) return false;
    name_ = t_data.GetString();
    return true;
  }
  if (first == ID_LAYER_LINK) {
    if (id.GetDepth() != 1 || t_data.GetType() != DA_ALIASLINK) return false;
    BaseList2D* link = t_data.GetLink(nullptr);
    if (link && link->GetType() != Olayer) return false;
    layer_ = static_cast<LayerObject*>(link);
    return true;
  }
  GeData value = data_.GetData(first);
  if (!c4dsdk_internal::WriteAddressed(value, id, t_data)) return false;
  data_.SetData(first, value);
  return true;
}

Int32 AtomArray::Find(C4DAtom* obj) const {
  for (size_t i = 0; i < atoms_.size(); ++i)
    if (atoms_[i] == obj) return Int32(i);
  return NOTOK;
}

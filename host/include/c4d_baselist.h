#pragma once

#include "c4d_basecontainer.h"
#include "c4d_gedata.h"
#include "c4d_string.h"
#include "ge_prepass.h"

#include <vector>

class BaseDocument;
class BaseList2D;
class BaseShader;
class CTrack;
class GeListNode;
class LayerObject;

namespace c4dsdk_internal {
// Where a node lives: the sibling list it belongs to and who owns that list.
// Exactly one of parent, holder and doc is set for a list in use.
enum class ListKind {
  Children,    // the children of parent
  Objects,     // the top-level objects of doc
  Materials,   // the materials of doc
  Layers,      // the layers of doc
  Tags,        // the tags of holder (an object)
  Tracks,      // the animation tracks of holder
  Shaders,     // the shaders of holder
  Cache,       // the cache of holder (a generator object)
  DeformCache  // the deform cache of holder
};

// Keeps its last node too, so that appending (tags, children, keys of a document read
// from a file) costs the same however long the list is.
struct NodeList {
  ListKind kind = ListKind::Children;
  GeListNode* first = nullptr;
  GeListNode* last = nullptr;
  GeListNode* parent = nullptr;
  BaseList2D* holder = nullptr;
  BaseDocument* doc = nullptr;

  GeListNode* Last() const { return last; }
  // Inserts node (which must not be in a list) after pred, or first when
  // pred is null.
  void Insert(GeListNode* node, GeListNode* pred);
  // Deletes every node of the list.
  void DeleteAll();
};
}  // namespace c4dsdk_internal

// Base of everything in a document: a numeric type id and parameters read
// and written by DescID.
class C4DAtom {
 public:
  virtual ~C4DAtom() = default;
  C4DAtom(const C4DAtom&) = delete;
  C4DAtom& operator=(const C4DAtom&) = delete;

  Int32 GetType() const { return type_; }
  Bool IsInstanceOf(Int32 id) const { return type_ == id; }

  // Reads a parameter into t_data. Returns false and leaves t_data DA_NIL when
  // the element has no such parameter. A two-level id whose second level is
  // VECTOR_X/Y/Z reads one component of a vector parameter as a float.
  virtual Bool GetParameter(const DescID& id, GeData& t_data, DESCFLAGS_GET flags);
  // Writes a parameter; a two-level VECTOR_X/Y/Z id writes one component of a
  // vector parameter from a number. Returns false when the value cannot be
  // stored there.
  virtual Bool SetParameter(const DescID& id, const GeData& t_data, DESCFLAGS_SET flags);

 protected:
  explicit C4DAtom(Int32 type) : type_(type) {}

 private:
  Int32 type_;
};

// A node of one of the host's lists. Deleting a node removes it from its list
// and deletes its children.
class GeListNode : public C4DAtom {
 public:
  ~GeListNode() override;

  GeListNode* GetNext() const { return next_; }
  GeListNode* GetPred() const { return pred_; }
  GeListNode* GetUp() const;
  GeListNode* GetDown() const { return children_.first; }
  GeListNode* GetDownLast() const { return children_.Last(); }

  // Inserting a node first removes it from the list it is in. Inserting a
  // node under, before or after itself or one of its descendants is refused
  // (nothing changes).
  void InsertBefore(GeListNode* bl);
  void InsertAfter(GeListNode* bl);
  void InsertUnder(GeListNode* bl);
  void InsertUnderLast(GeListNode* bl);
  void Remove();

  // The document the node belongs to, or null.
  BaseDocument* GetDocument() const;

 protected:
  explicit GeListNode(Int32 type);

  // Host-side links.
  c4dsdk_internal::NodeList* ownerList_ = nullptr;
  c4dsdk_internal::NodeList children_;

 private:
  friend struct c4dsdk_internal::NodeList;
  GeListNode* next_ = nullptr;
  GeListNode* pred_ = nullptr;
};

// A named list element with bits, a parameter container, animation tracks,
// shaders and a layer.
class BaseList2D : public GeListNode {
 public:
  ~BaseList2D() override;

  BaseList2D* GetNext() const { return static_cast<BaseList2D*>(GeListNode::GetNext()); }
  BaseList2D* GetPred() const { return static_cast<BaseList2D*>(GeListNode::GetPred()); }

  String GetName() const { return name_; }
  void SetName(const maxon::String& name) { name_ = name; }

  Bool GetBit(Int32 mask) const { return (bits_ & mask) != 0; }
  void SetBit(Int32 mask) { bits_ |= mask; }
  void DelBit(Int32 mask) { bits_ &= ~mask; }
  void ToggleBit(Int32 mask) { bits_ ^= mask; }
  Int32 GetAllBits() const { return bits_; }
  void SetAllBits(Int32 bits) { bits_ = bits; }

  // The element's own parameters (without the ones computed from fields,
  // such as the name or an object's transform).
  BaseContainer* GetDataInstance() { return &data_; }
  const BaseContainer* GetDataInstance() const { return &data_; }
  BaseContainer GetData() const { return data_; }
  void SetData(const BaseContainer& bc) { data_ = bc; }

  // Animation tracks, in their order; the element owns them.
  CTrack* GetFirstCTrack() const;
  CTrack* FindCTrack(const DescID& id) const;
  // Inserts a track (made with CTrack::Alloc) so that the tracks stay ordered
  // by description id; takes ownership.
  void InsertTrackSorted(CTrack* track);

  // Shaders owned by the element (materials and tags keep theirs here).
  BaseShader* GetFirstShader() const;
  // Inserts after pred, or first when pred is null; takes ownership.
  void InsertShader(BaseShader* shader, BaseShader* pred = nullptr);

  // The layer the element is assigned to, or null.
  LayerObject* GetLayerObject(BaseDocument* doc) const;
  Bool SetLayerObject(LayerObject* layer);

  // A stable 64-bit id, unique within the process. Objects answer it through
  // BaseObject::GetGUID as well; any list element (a selected tag, say) can
  // be asked through this class.
  UInt64 GetGUID() const { return guid_; }
  // Host-side: set the id (documents that keep their ids).
  void SetGUID(UInt64 guid) { guid_ = guid; }

  // Parameter 900 is the name and 898 the layer link; the rest come from the
  // data container.
  Bool GetParameter(const DescID& id, GeData& t_data, DESCFLAGS_GET flags) override;
  Bool SetParameter(const DescID& id, const GeData& t_data, DESCFLAGS_SET flags) override;

 protected:
  explicit BaseList2D(Int32 type);

  BaseContainer data_;
  c4dsdk_internal::NodeList tracks_;
  c4dsdk_internal::NodeList shaders_;

 private:
  String name_;
  Int32 bits_ = 0;
  UInt64 guid_;
  LayerObject* layer_ = nullptr;
};

// A list of borrowed atoms.
class AtomArray {
 public:
  static AtomArray* Alloc() { return new AtomArray(); }
  static void Free(AtomArray*& p) {
    delete p;
    p = nullptr;
  }

  Int32 GetCount() const { return Int32(atoms_.size()); }
  // Null when index is out of range.
  C4DAtom* GetIndex(Int32 index) const {
    return index >= 0 && index < GetCount() ? atoms_[size_t(index)] : nullptr;
  }
  Bool Append(C4DAtom* obj) {
    atoms_.push_back(obj);
    return true;
  }
  // The index of obj, or NOTOK.
  Int32 Find(C4DAtom* obj) const;
  void Flush() { atoms_.clear(); }

 private:
  std::vector<C4DAtom*> atoms_;
};

#pragma once

#include "c4d_gedata.h"
#include "ge_prepass.h"

#include <map>

// Values by numeric id. Getters return the given default when the id is
// absent (or holds another kind, as GeData's getters do).
class BaseContainer {
 public:
  BaseContainer() = default;
  explicit BaseContainer(Int32 id) : id_(id) {}

  Int32 GetId() const { return id_; }
  void SetId(Int32 id) { id_ = id; }
  Int32 GetCount() const { return Int32(values_.size()); }

  // Null when id is absent.
  const GeData* GetDataPointer(Int32 id) const;
  // A DA_NIL value when id is absent.
  const GeData& GetData(Int32 id) const;
  void SetData(Int32 id, const GeData& value) { values_[id] = value; }
  Bool RemoveData(Int32 id) { return values_.erase(id) != 0; }
  void FlushAll() { values_.clear(); }

  Bool GetBool(Int32 id, Bool preset = false) const;
  Int32 GetInt32(Int32 id, Int32 preset = 0) const;
  Int64 GetInt64(Int32 id, Int64 preset = 0) const;
  Float GetFloat(Int32 id, Float preset = 0.0) const;
  Vector GetVector(Int32 id, const Vector& preset = Vector()) const;
  String GetString(Int32 id, const maxon::String& preset = maxon::String()) const;
  Filename GetFilename(Int32 id, const Filename& preset = Filename()) const;
  BaseTime GetTime(Int32 id, const BaseTime& preset = BaseTime()) const;
  BaseList2D* GetLink(Int32 id, const BaseDocument* doc, Int32 instanceof = 0) const;

  void SetBool(Int32 id, Bool v) { SetData(id, GeData(Int32(v ? 1 : 0))); }
  void SetInt32(Int32 id, Int32 v) { SetData(id, GeData(v)); }
  void SetInt64(Int32 id, Int64 v) { SetData(id, GeData(v)); }
  void SetFloat(Int32 id, Float v) { SetData(id, GeData(v)); }
  void SetVector(Int32 id, const Vector& v) { SetData(id, GeData(v)); }
  void SetString(Int32 id, const maxon::String& v) { SetData(id, GeData(v)); }
  void SetFilename(Int32 id, const Filename& v) { SetData(id, GeData(v)); }
  void SetTime(Int32 id, const BaseTime& v) { SetData(id, GeData(v)); }
  void SetLink(Int32 id, BaseList2D* v) { SetData(id, GeData(v)); }

  // Ids in increasing order (host-side enumeration).
  const std::map<Int32, GeData>& GetValues() const { return values_; }

 private:
  Int32 id_ = 0;
  std::map<Int32, GeData> values_;
};

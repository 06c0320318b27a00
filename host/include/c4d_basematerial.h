#pragma once

#include "c4d_basechannel.h"
#include "c4d_baselist.h"
#include "ge_prepass.h"

#include <set>

// A material of the document; its shaders are in its shader list
// (BaseList2D::GetFirstShader) and its settings are parameters.
class BaseMaterial : public BaseList2D {
 public:
  // Mmaterial gives a Material; other types a plain BaseMaterial.
  static BaseMaterial* Alloc(Int32 type);
  static void Free(BaseMaterial*& bl) {
    delete bl;
    bl = nullptr;
  }

  BaseMaterial* GetNext() const { return static_cast<BaseMaterial*>(GeListNode::GetNext()); }
  BaseMaterial* GetPred() const { return static_cast<BaseMaterial*>(GeListNode::GetPred()); }

 protected:
  explicit BaseMaterial(Int32 type) : BaseList2D(type) {}
};

// The standard material (Mmaterial), with channels that are on or off.
class Material : public BaseMaterial {
 public:
  static Material* Alloc();
  static void Free(Material*& bl) {
    delete bl;
    bl = nullptr;
  }

  // Whether channel (CHANNEL_*) is enabled; a new material has only the
  // colour channel on.
  Bool GetChannelState(Int32 channel) const { return channels_.count(channel) != 0; }
  void SetChannelState(Int32 channel, Bool state) {
    if (state)
      channels_.insert(channel);
    else
      channels_.erase(channel);
  }

 private:
  friend class BaseMaterial;
  Material();
  std::set<Int32> channels_;
};

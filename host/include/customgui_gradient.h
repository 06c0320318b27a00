#pragma once

#include "c4d_basecontainer.h"
#include "c4d_customdatatype.h"
#include "ge_prepass.h"

#include <vector>

#define GRADIENT_KNOT 1001
#define GRADIENT_MODE 1002
#define GRADIENTMODE_COLOR 0
#define GRADIENTMODE_ALPHA 1
#define GRADIENTMODE_COLORALPHA 2

#define GRADIENT_INTERPOLATION_CUBICKNOT 0
#define GRADIENT_INTERPOLATION_CUBICBIAS 1
#define GRADIENT_INTERPOLATION_SMOOTHKNOT 2
#define GRADIENT_INTERPOLATION_LINEARKNOT 3
#define GRADIENT_INTERPOLATION_NONE 5

struct GradientKnot {
  Vector col = Vector(1.0, 1.0, 1.0);
  Float brightness = 1.0;
  Float pos = 0.0;
  Float bias = 0.5;
  Int32 index = 0;
  Int32 interpolation = GRADIENT_INTERPOLATION_SMOOTHKNOT;
};

// A colour gradient (custom data type CUSTOMDATATYPE_GRADIENT). Knots are
// kept in the order they were inserted.
class Gradient : public CustomDataType {
 public:
  static Gradient* Alloc() { return new Gradient(); }
  static void Free(Gradient*& grad) {
    delete grad;
    grad = nullptr;
  }

  Int32 GetKnotCount() const { return Int32(knots_.size()); }
  // Knot index by value; a default knot for an index out of range.
  GradientKnot GetKnot(Int32 index) const {
    return index >= 0 && index < GetKnotCount() ? knots_[size_t(index)] : GradientKnot();
  }
  // Appends a knot; returns its index.
  Int32 InsertKnot(const GradientKnot& knot) {
    knots_.push_back(knot);
    return GetKnotCount() - 1;
  }
  void SetKnot(Int32 index, const GradientKnot& k) {
    if (index >= 0 && index < GetKnotCount()) knots_[size_t(index)] = k;
  }
  Bool RemoveKnot(Int32 index) {
    if (index < 0 || index >= GetKnotCount()) return false;
    knots_.erase(knots_.begin() + index);
    return true;
  }
  void FlushKnots() { knots_.clear(); }

  GeData GetData(Int32 id) const { return data_.GetData(id); }
  Bool SetData(Int32 id, const GeData& data) {
    data_.SetData(id, data);
    return true;
  }

  CustomDataType* CloneData() const override { return new Gradient(*this); }

 private:
  std::vector<GradientKnot> knots_;
  BaseContainer data_;
};

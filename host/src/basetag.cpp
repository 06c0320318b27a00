#include "c4d_basetag.h"

#include "c4d_basematerial.h"
#include "c4d_baseobject.h"
#include "c4d_tools.h"

#include <algorithm>
#include <cmath>

BaseTag* BaseTag::Alloc(Int32 type) {
  switch (type) {
    case Ttexture:
      return new TextureTag();
    case Tuvw:
      return new UVWTag(0);
    case Tnormal:
      return new NormalTag(0);
    case Tpolygonselection:
    case Tpointselection:
    case Tedgeselection:
      return new SelectionTag(type);
    default:
      return new BaseTag(type);
  }
}

BaseObject* BaseTag::GetObject() const {
  if (!ownerList_ || ownerList_->kind != c4dsdk_internal::ListKind::Tags) return nullptr;
  return static_cast<BaseObject*>(ownerList_->holder);
}

UVWTag::UVWTag(Int32 count) : VariableTag(Tuvw, count), data_(size_t(count_)) {}

UVWTag* UVWTag::Alloc(Int32 count) { return new UVWTag(count); }

ConstUVWHandle UVWTag::GetDataAddressR() const { return data_.empty() ? nullptr : data_.data(); }

UVWHandle UVWTag::GetDataAddressW() { return data_.empty() ? nullptr : data_.data(); }

void UVWTag::Get(ConstUVWHandle dataptr, Int32 i, UVWStruct& res) {
  res = static_cast<const UVWStruct*>(dataptr)[i];
}

void UVWTag::Set(UVWHandle dataptr, Int32 i, const UVWStruct& s) {
  static_cast<UVWStruct*>(dataptr)[i] = s;
}

UVWStruct UVWTag::GetSlow(Int32 i) const {
  return i >= 0 && i < count_ ? data_[size_t(i)] : UVWStruct();
}

void UVWTag::SetSlow(Int32 i, const UVWStruct& s) {
  if (i >= 0 && i < count_) data_[size_t(i)] = s;
}

void UVWTag::Resize(Int32 count) {
  count_ = count < 0 ? 0 : count;
  data_.resize(size_t(count_));
}

namespace {
constexpr Float kNormalScale = 32000.0;
constexpr size_t kShortsPerPolygon = 12;

Int16 Encode(Float v) {
  Float r = std::floor(v * kNormalScale + 0.5);
  if (!(r >= -32768.0)) r = -32768.0;  // also NaN
  if (r > 32767.0) r = 32767.0;
  return Int16(r);
}

Vector Decode(const Int16* p) {
  return Vector(p[0] / kNormalScale, p[1] / kNormalScale, p[2] / kNormalScale);
}

void EncodeVector(Int16* p, const Vector& v) {
  p[0] = Encode(v.x);
  p[1] = Encode(v.y);
  p[2] = Encode(v.z);
}
}  // namespace

NormalTag::NormalTag(Int32 count)
    : VariableTag(Tnormal, count), raw_(size_t(count_) * kShortsPerPolygon) {}

NormalTag* NormalTag::Alloc(Int32 count) { return new NormalTag(count); }

ConstNormalHandle NormalTag::GetDataAddressR() const {
  return raw_.empty() ? nullptr : raw_.data();
}

NormalHandle NormalTag::GetDataAddressW() { return raw_.empty() ? nullptr : raw_.data(); }

void NormalTag::Get(ConstNormalHandle dataptr, Int32 i, NormalStruct& res) {
  const Int16* p = static_cast<const Int16*>(dataptr) + size_t(i) * kShortsPerPolygon;
  res.a = Decode(p);
  res.b = Decode(p + 3);
  res.c = Decode(p + 6);
  res.d = Decode(p + 9);
}

void NormalTag::Set(NormalHandle dataptr, Int32 i, const NormalStruct& s) {
  Int16* p = static_cast<Int16*>(dataptr) + size_t(i) * kShortsPerPolygon;
  EncodeVector(p, s.a);
  EncodeVector(p + 3, s.b);
  EncodeVector(p + 6, s.c);
  EncodeVector(p + 9, s.d);
}

NormalStruct NormalTag::GetSlow(Int32 i) const {
  NormalStruct res;
  if (i >= 0 && i < count_) Get(raw_.data(), i, res);
  return res;
}

void NormalTag::SetSlow(Int32 i, const NormalStruct& s) {
  if (i >= 0 && i < count_) Set(raw_.data(), i, s);
}

void NormalTag::Resize(Int32 count) {
  count_ = count < 0 ? 0 : count;
  raw_.resize(size_t(count_) * kShortsPerPolygon);
}

TextureTag::TextureTag() : BaseTag(Ttexture) {
  data_.SetFloat(TEXTURETAG_OFFSETX, 0.0);
  data_.SetFloat(TEXTURETAG_OFFSETY, 0.0);
  data_.SetFloat(TEXTURETAG_LENGTHX, 1.0);
  data_.SetFloat(TEXTURETAG_LENGTHY, 1.0);
  data_.SetInt32(TEXTURETAG_PROJECTION, TEXTURETAG_PROJECTION_UVW);
  data_.SetInt32(TEXTURETAG_SIDE, 0);
  data_.SetString(TEXTURETAG_RESTRICTION, String());
  data_.SetBool(TEXTURETAG_TILE, true);
  data_.SetBool(TEXTURETAG_SEAMLESS, false);
  data_.SetBool(TEXTURETAG_MIX, false);
  data_.SetLink(TEXTURETAG_MATERIAL, nullptr);
  data_.SetVector(TEXTURETAG_POSITION, Vector());
  data_.SetVector(TEXTURETAG_SIZE, Vector(1.0, 1.0, 1.0));
  data_.SetVector(TEXTURETAG_ROTATION, Vector());
}

TextureTag* TextureTag::Alloc() { return new TextureTag(); }

BaseMaterial* TextureTag::GetMaterial(Bool ignoredoc) const {
  (void)ignoredoc;
  return dynamic_cast<BaseMaterial*>(data_.GetLink(TEXTURETAG_MATERIAL, nullptr));
}

void TextureTag::SetMaterial(BaseMaterial* mat) { data_.SetLink(TEXTURETAG_MATERIAL, mat); }

Vector TextureTag::GetPos() const { return data_.GetVector(TEXTURETAG_POSITION); }

Vector TextureTag::GetScale() const {
  return data_.GetVector(TEXTURETAG_SIZE, Vector(1.0, 1.0, 1.0));
}

Vector TextureTag::GetRot() const { return data_.GetVector(TEXTURETAG_ROTATION); }

void TextureTag::SetPos(const Vector& v) { data_.SetVector(TEXTURETAG_POSITION, v); }

void TextureTag::SetScale(const Vector& v) { data_.SetVector(TEXTURETAG_SIZE, v); }

void TextureTag::SetRot(const Vector& v) { data_.SetVector(TEXTURETAG_ROTATION, v); }

Matrix TextureTag::GetMl() const {
  return MatrixMove(GetPos()) * HPBToMatrix(GetRot(), ROTATIONORDER::HPB) * MatrixScale(GetScale());
}

// Segments are kept sorted, disjoint and not touching.

Int32 BaseSelect::GetCount() const {
  Int64 n = 0;
  for (const auto& s : segments_) n += Int64(s.second) - Int64(s.first) + 1;
  return n > LIMIT_MAXINT32 ? LIMIT_MAXINT32 : Int32(n);
}

Bool BaseSelect::GetRange(Int32 seg, Int32 maxElements, Int32* a, Int32* b) const {
  if (seg < 0 || seg >= GetSegments() || maxElements <= 0) return false;
  const auto& s = segments_[size_t(seg)];
  if (s.first >= maxElements) return false;
  if (a) *a = s.first;
  if (b) *b = std::min(s.second, maxElements - 1);
  return true;
}

Bool BaseSelect::Select(Int32 num) { return SelectAll(num, num); }

Bool BaseSelect::SelectAll(Int32 min, Int32 max) {
  if (min < 0 || max < min) return false;
  Int64 lo = min;
  Int64 hi = max;
  std::vector<std::pair<Int32, Int32>> merged;
  merged.reserve(segments_.size() + 1);
  bool placed = false;
  for (const auto& s : segments_) {
    if (Int64(s.second) + 1 < lo) {
      merged.push_back(s);
    } else if (Int64(s.first) > hi + 1) {
      if (!placed) {
        merged.emplace_back(Int32(lo), Int32(hi));
        placed = true;
      }
      merged.push_back(s);
    } else {
      lo = std::min<Int64>(lo, s.first);
      hi = std::max<Int64>(hi, s.second);
    }
  }
  if (!placed) merged.emplace_back(Int32(lo), Int32(hi));
  segments_.swap(merged);
  return true;
}

Bool BaseSelect::Deselect(Int32 num) {
  for (size_t i = 0; i < segments_.size(); ++i) {
    auto& s = segments_[i];
    if (num < s.first || num > s.second) continue;
    if (s.first == s.second)
      segments_.erase(segments_.begin() + Int(i));
    else if (num == s.first)
      s.first++;
    else if (num == s.second)
      s.second--;
    else {
      const std::pair<Int32, Int32> tail(num + 1, s.second);
      s.second = num - 1;
      segments_.insert(segments_.begin() + Int(i) + 1, tail);
    }
    return true;
  }
  return true;
}

Bool BaseSelect::DeselectAll() {
  segments_.clear();
  return true;
}

Bool BaseSelect::IsSelected(Int32 num) const {
  const auto it =
      std::upper_bound(segments_.begin(), segments_.end(), num,
                       [](Int32 n, const std::pair<Int32, Int32>& s) { return n < s.first; });
  if (it == segments_.begin()) return false;
  return num <= std::prev(it)->second;
}

Bool BaseSelect::CopyTo(BaseSelect* dest) const {
  if (!dest) return false;
  dest->segments_ = segments_;
  return true;
}

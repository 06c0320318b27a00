#include "c4d_basecontainer.h"
#include "c4d_baselist.h"
#include "c4d_gedata.h"

const DescLevel& DescID::operator[](Int32 pos) const {
  static const DescLevel none(0);
  return pos >= 0 && pos < GetDepth() ? levels_[size_t(pos)] : none;
}

GeData::GeData(Int32 type, const CustomDataType& data) : type_(type), custom_(data.CloneData()) {}

GeData::GeData(const GeData& other)
    : type_(other.type_),
      int_(other.int_),
      float_(other.float_),
      vector_(other.vector_),
      matrix_(other.matrix_),
      string_(other.string_),
      filename_(other.filename_),
      time_(other.time_),
      link_(other.link_),
      custom_(other.custom_ ? other.custom_->CloneData() : nullptr) {}

GeData& GeData::operator=(const GeData& other) {
  if (this != &other) {
    GeData copy(other);
    *this = std::move(copy);
  }
  return *this;
}

Int32 GeData::GetInt32() const {
  switch (type_) {
    case DA_LONG:
    case DA_LLONG:
      return Int32(int_);
    case DA_REAL:
      return Int32(float_);
    default:
      return 0;
  }
}

Int64 GeData::GetInt64() const {
  switch (type_) {
    case DA_LONG:
    case DA_LLONG:
      return int_;
    case DA_REAL:
      return Int64(float_);
    default:
      return 0;
  }
}

Float GeData::GetFloat() const {
  switch (type_) {
    case DA_REAL:
      return float_;
    case DA_LONG:
    case DA_LLONG:
      return Float(int_);
    default:
      return 0.0;
  }
}

const String& GeData::GetString() const {
  static const String empty;
  return type_ == DA_STRING ? string_ : empty;
}

const Filename& GeData::GetFilename() const {
  static const Filename empty;
  return type_ == DA_FILENAME ? filename_ : empty;
}

BaseList2D* GeData::GetLink(const BaseDocument* doc, Int32 instanceof) const {
  (void)doc;
  if (type_ != DA_ALIASLINK || !link_) return nullptr;
  if (instanceof != 0 && !link_->IsInstanceOf(instanceof)) return nullptr;
  return link_;
}

CustomDataType* GeData::GetCustomDataType(Int32 datatype) const {
  return type_ == datatype && custom_ ? custom_.get() : nullptr;
}

const GeData* BaseContainer::GetDataPointer(Int32 id) const {
  const auto it = values_.find(id);
  return it == values_.end() ? nullptr : &it->second;
}

const GeData& BaseContainer::GetData(Int32 id) const {
  static const GeData nil;
  const GeData* d = GetDataPointer(id);
  return d ? *d : nil;
}

Bool BaseContainer::GetBool(Int32 id, Bool preset) const {
  const GeData* d = GetDataPointer(id);
  return d ? d->GetBool() : preset;
}

Int32 BaseContainer::GetInt32(Int32 id, Int32 preset) const {
  const GeData* d = GetDataPointer(id);
  return d ? d->GetInt32() : preset;
}

Int64 BaseContainer::GetInt64(Int32 id, Int64 preset) const {
  const GeData* d = GetDataPointer(id);
  return d ? d->GetInt64() : preset;
}

Float BaseContainer::GetFloat(Int32 id, Float preset) const {
  const GeData* d = GetDataPointer(id);
  return d ? d->GetFloat() : preset;
}

Vector BaseContainer::GetVector(Int32 id, const Vector& preset) const {
  const GeData* d = GetDataPointer(id);
  return d && d->GetType() == DA_VECTOR ? d->GetVector() : preset;
}

String BaseContainer::GetString(Int32 id, const maxon::String& preset) const {
  const GeData* d = GetDataPointer(id);
  return d && d->GetType() == DA_STRING ? d->GetString() : String(preset);
}

Filename BaseContainer::GetFilename(Int32 id, const Filename& preset) const {
  const GeData* d = GetDataPointer(id);
  return d && d->GetType() == DA_FILENAME ? d->GetFilename() : preset;
}

BaseTime BaseContainer::GetTime(Int32 id, const BaseTime& preset) const {
  const GeData* d = GetDataPointer(id);
  return d && d->GetType() == DA_TIME ? d->GetTime() : preset;
}

BaseList2D* BaseContainer::GetLink(Int32 id, const BaseDocument* doc, Int32 instanceof) const {
  const GeData* d = GetDataPointer(id);
  return d ? d->GetLink(doc, instanceof) : nullptr;
}

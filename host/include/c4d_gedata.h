#pragma once

#include "c4d_basetime.h"
#include "c4d_customdatatype.h"
#include "c4d_file.h"
#include "c4d_string.h"
#include "ge_prepass.h"

#include <memory>
#include <vector>

class BaseDocument;
class BaseList2D;

// One level of a parameter id: the id, its data type and its creator.
struct DescLevel {
  Int32 id = 0;
  Int32 dtype = 0;
  Int32 creator = 0;

  DescLevel(Int32 t_id) : id(t_id) {}
  DescLevel(Int32 t_id, Int32 t_datatype, Int32 t_creator)
      : id(t_id), dtype(t_datatype), creator(t_creator) {}
  // Levels compare by id only.
  friend bool operator==(const DescLevel& a, const DescLevel& b) { return a.id == b.id; }
  friend bool operator!=(const DescLevel& a, const DescLevel& b) { return a.id != b.id; }
};

// A parameter id: one or more levels (a vector parameter's component is the
// second level, VECTOR_X/Y/Z).
class DescID {
 public:
  DescID() = default;
  DescID(const DescLevel& id1) : levels_{id1} {}
  DescID(const DescLevel& id1, const DescLevel& id2) : levels_{id1, id2} {}
  DescID(const DescLevel& id1, const DescLevel& id2, const DescLevel& id3)
      : levels_{id1, id2, id3} {}

  Int32 GetDepth() const { return Int32(levels_.size()); }
  // Level pos (0 = first); asking beyond the depth yields a level with id 0.
  const DescLevel& operator[](Int32 pos) const;
  void PushId(const DescLevel& level) { levels_.push_back(level); }
  void PopId() {
    if (!levels_.empty()) levels_.pop_back();
  }
  friend bool operator==(const DescID& a, const DescID& b) { return a.levels_ == b.levels_; }
  friend bool operator!=(const DescID& a, const DescID& b) { return !(a == b); }

 private:
  std::vector<DescLevel> levels_;
};

// A value of one of the host's kinds, tagged with GetType() (DA_*). Bools are
// stored as DA_LONG. A getter asked for another kind returns that kind's zero,
// except that the numeric kinds (DA_LONG, DA_LLONG, DA_REAL) convert among
// themselves.
class GeData {
 public:
  GeData() = default;
  GeData(Int32 n) : type_(DA_LONG), int_(n) {}
  GeData(Int64 n) : type_(DA_LLONG), int_(n) {}
  GeData(Float f) : type_(DA_REAL), float_(f) {}
  GeData(const Vector& v) : type_(DA_VECTOR), vector_(v) {}
  GeData(const Matrix& m) : type_(DA_MATRIX), matrix_(m) {}
  GeData(const maxon::String& s) : type_(DA_STRING), string_(s) {}
  GeData(const char* s) : type_(DA_STRING), string_(s) {}
  GeData(const Filename& f) : type_(DA_FILENAME), filename_(f) {}
  GeData(const BaseTime& t) : type_(DA_TIME), time_(t) {}
  GeData(BaseList2D* link) : type_(DA_ALIASLINK), link_(link) {}
  GeData(Int32 type, const CustomDataType& data);
  GeData(const GeData& other);
  GeData& operator=(const GeData& other);
  GeData(GeData&&) = default;
  GeData& operator=(GeData&&) = default;
  ~GeData() = default;

  Int32 GetType() const { return type_; }
  void Free() { *this = GeData(); }

  Bool GetBool() const { return GetInt32() != 0; }
  Int32 GetInt32() const;
  Int64 GetInt64() const;
  Float GetFloat() const;
  Vector GetVector() const { return type_ == DA_VECTOR ? vector_ : Vector(); }
  Matrix GetMatrix() const { return type_ == DA_MATRIX ? matrix_ : Matrix(); }
  const String& GetString() const;
  const Filename& GetFilename() const;
  BaseTime GetTime() const { return type_ == DA_TIME ? time_ : BaseTime(); }
  // The linked element; null without a link, or when instanceof is not 0
  // and the element is not of that type.
  BaseList2D* GetLink(const BaseDocument* doc, Int32 instanceof = 0) const;
  // The custom data of type datatype; null when the value is of another kind.
  CustomDataType* GetCustomDataType(Int32 datatype) const;

  void SetInt32(Int32 v) { *this = GeData(v); }
  void SetInt64(Int64 v) { *this = GeData(v); }
  void SetFloat(Float v) { *this = GeData(v); }
  void SetVector(const Vector& v) { *this = GeData(v); }
  void SetMatrix(const Matrix& v) { *this = GeData(v); }
  void SetString(const maxon::String& v) { *this = GeData(v); }
  void SetFilename(const Filename& v) { *this = GeData(v); }
  void SetBaseTime(const BaseTime& v) { *this = GeData(v); }
  void SetBaseList2D(BaseList2D* v) { *this = GeData(v); }
  void SetCustomDataType(Int32 datatype, const CustomDataType& v) { *this = GeData(datatype, v); }

 private:
  Int32 type_ = DA_NIL;
  Int64 int_ = 0;
  Float float_ = 0.0;
  Vector vector_;
  Matrix matrix_;
  String string_;
  Filename filename_;
  BaseTime time_;
  BaseList2D* link_ = nullptr;
  std::unique_ptr<CustomDataType> custom_;
};

// Building a document in the model from a checked DocumentRecord, and the public entry points.
#include "document_reader.h"

#include "c4d.h"
#include "document_content.h"
#include "document_text.h"

#include <filesystem>
#include <unordered_map>
#include <utility>

namespace c4ddoc {
namespace {

constexpr Int32 kTrackSwitch = 904;  // a track's on/off parameter

Vector toVector(const Vec3& v) { return Vector(v.x, v.y, v.z); }

// Builds the model's document. The parser has checked the rec, so a failure here means the
// model refused something (a type it cannot make, a parameter it cannot store); that is
// reported at the place of the rec element, and the partly built document is freed by the
// caller's owner.
class Builder {
 public:
  Builder(std::string source, BaseDocument* doc) : source_(std::move(source)), doc_(doc) {}

  // Releases the bulk data of the records once it is in the model.
  void build(DocumentRecord& rec);

 private:
  [[noreturn]] void fail(const std::string& place, const std::string& message) const {
    throw DocumentError(source_, place, message);
  }

  void remember(const std::string& id, BaseList2D* element) {
    if (!id.empty()) byId_[id] = element;
  }
  void setParams(BaseList2D* element, const std::vector<ParamRecord>& params);
  void setParam(BaseList2D* element, const ParamRecord& p);
  void buildShader(const ShaderRecord& rec, BaseList2D* owner, BaseShader* parent,
                   BaseShader*& pred);
  BaseObject* makeObject(const ObjectRecord& rec);
  void fillObject(BaseObject* op, ObjectRecord& rec);
  void buildTag(BaseObject* op, TagRecord& rec);
  void buildTrack(BaseObject* op, const TrackRecord& rec);
  void buildObjectList(std::vector<ObjectRecord>& records, BaseObject* parent);
  void buildCache(std::vector<ObjectRecord>& records, BaseObject* generator, bool deform);

  std::string source_;
  BaseDocument* doc_;
  std::unordered_map<std::string, BaseList2D*> byId_;
  // Links and layers are set once everything they may point to exists.
  std::vector<std::pair<BaseList2D*, const ParamRecord*>> links_;
  std::vector<std::pair<BaseObject*, const ObjectRecord*>> layered_;
};

void Builder::setParam(BaseList2D* element, const ParamRecord& p) {
  GeData value;
  switch (p.kind) {
    case ValueKind::Int:
      value = GeData(static_cast<Int32>(p.integer));
      break;
    case ValueKind::Float:
      value = GeData(static_cast<Float>(p.real));
      break;
    case ValueKind::Bool:
      value = GeData(static_cast<Int32>(p.flag ? 1 : 0));
      break;
    case ValueKind::Vector:
      value = GeData(toVector(p.vector));
      break;
    case ValueKind::String:
      value = GeData(maxon::String(p.text));
      break;
    case ValueKind::File:
      value = GeData(Filename(p.text.c_str()));
      break;
    case ValueKind::Link:
      links_.emplace_back(element, &p);
      return;
    case ValueKind::Gradient: {
      Gradient gradient;
      gradient.SetData(GRADIENT_MODE, GeData(p.gradient.mode));
      for (const GradientKnotRecord& k : p.gradient.knots) {
        GradientKnot knot;
        knot.col = toVector(k.color);
        knot.brightness = k.brightness;
        knot.pos = k.position;
        knot.bias = k.bias;
        knot.index = k.index;
        knot.interpolation = k.interpolation;
        gradient.InsertKnot(knot);
      }
      value = GeData(CUSTOMDATATYPE_GRADIENT, gradient);
      break;
    }
  }
  if (!element->SetParameter(DescID(DescLevel(p.id)), value, DESCFLAGS_SET::NONE))
    fail(p.place, "the host cannot store this value as parameter " + std::to_string(p.id));
}

void Builder::setParams(BaseList2D* element, const std::vector<ParamRecord>& params) {
  for (const ParamRecord& p : params) setParam(element, p);
}

void Builder::buildShader(const ShaderRecord& rec, BaseList2D* owner, BaseShader* parent,
                          BaseShader*& pred) {
  BaseShader* shader = BaseShader::Alloc(rec.type);
  if (shader == nullptr)
    fail(rec.place, "the host cannot make a shader of type " + std::to_string(rec.type));
  if (parent != nullptr) {
    shader->InsertUnderLast(parent);
  } else {
    owner->InsertShader(shader, pred);
    pred = shader;
  }
  shader->SetName(maxon::String(rec.name));
  remember(rec.id, shader);
  setParams(shader, rec.params);
  BaseShader* childPred = nullptr;
  for (const ShaderRecord& child : rec.children) buildShader(child, owner, shader, childPred);
}

template <typename T>
void release(std::vector<T>& v) {
  std::vector<T>().swap(v);
}

void Builder::buildTag(BaseObject* op, TagRecord& rec) {
  BaseTag* tag = op->MakeTag(rec.type, op->GetLastTag());
  if (tag == nullptr)
    fail(rec.place, "the host cannot make a tag of type " + std::to_string(rec.type));
  tag->SetName(maxon::String(rec.name));
  remember(rec.id, tag);
  const auto count = static_cast<Int32>(rec.corners.size());
  if (rec.type == Tuvw) {
    auto* uvw = static_cast<UVWTag*>(tag);
    uvw->Resize(count);
    for (Int32 i = 0; i < count; ++i) {
      const CornerRecord& c = rec.corners[static_cast<std::size_t>(i)];
      uvw->SetSlow(i, UVWStruct(toVector(c.a), toVector(c.b), toVector(c.c), toVector(c.d)));
    }
  } else if (rec.type == Tnormal) {
    auto* normal = static_cast<NormalTag*>(tag);
    normal->Resize(count);
    for (Int32 i = 0; i < count; ++i) {
      const CornerRecord& c = rec.corners[static_cast<std::size_t>(i)];
      normal->SetSlow(i, NormalStruct(toVector(c.a), toVector(c.b), toVector(c.c), toVector(c.d)));
    }
  } else if (rec.type == Tpolygonselection) {
    BaseSelect* select = static_cast<SelectionTag*>(tag)->GetBaseSelect();
    for (std::int32_t index : rec.selection) select->Select(index);
  }
  release(rec.corners);
  setParams(tag, rec.params);
}

void Builder::buildTrack(BaseObject* op, const TrackRecord& rec) {
  DescID id;
  for (const DescLevelRecord& level : rec.descId) id.PushId(DescLevel(level.id, level.dtype, 0));
  CTrack* track = CTrack::Alloc(op, id);
  if (track == nullptr) fail(rec.place, "the host cannot make this track");
  op->InsertTrackSorted(track);
  if (!rec.name.empty()) track->SetName(maxon::String(rec.name));
  if (rec.enabled)
    track->SetParameter(DescID(DescLevel(kTrackSwitch)), GeData(Int32(*rec.enabled ? 1 : 0)),
                        DESCFLAGS_SET::NONE);
  CCurve* curve = track->GetCurve();
  for (const KeyRecord& k : rec.keys) {
    CKey* key = curve->AddKey(BaseTime(k.time));
    if (key == nullptr) fail(rec.place, "the host cannot add a key at " + std::to_string(k.time));
    key->SetValue(curve, k.value);
    key->SetInterpolation(curve, static_cast<CINTERPOLATION>(k.interpolation));
  }
  setParams(track, rec.params);
}

BaseObject* Builder::makeObject(const ObjectRecord& rec) {
  BaseObject* op = BaseObject::Alloc(rec.type);
  if (op == nullptr)
    fail(rec.place, "the host cannot make an object of type " + std::to_string(rec.type));
  return op;
}

// Fills an object that is already in the document (so that it is freed with it).
void Builder::fillObject(BaseObject* op, ObjectRecord& rec) {
  op->SetName(maxon::String(rec.name));
  remember(rec.id, op);
  op->SetRelPos(toVector(rec.position));
  op->SetRelRot(toVector(rec.rotation));
  op->SetRelScale(toVector(rec.scale));
  op->SetRotationOrder(static_cast<ROTATIONORDER>(rec.rotationOrder));
  op->SetAllBits(rec.bits);
  if (!rec.layer.empty()) layered_.emplace_back(op, &rec);
  setParams(op, rec.params);
  if (op->GetType() == Opolygon) {
    auto* poly = static_cast<PolygonObject*>(op);
    if (!poly->ResizeObject(static_cast<Int32>(rec.points.size()),
                            static_cast<Int32>(rec.polygons.size())))
      fail(rec.place, "the host cannot hold this many points and polygons");
    Vector* points = poly->GetPointW();
    for (std::size_t i = 0; i < rec.points.size(); ++i) points[i] = toVector(rec.points[i]);
    CPolygon* polygons = poly->GetPolygonW();
    for (std::size_t i = 0; i < rec.polygons.size(); ++i) {
      const PolygonRecord& p = rec.polygons[i];
      polygons[i] = CPolygon(p.a, p.b, p.c, p.d);
    }
  }
  release(rec.points);
  if (op->GetType() == Ohair && !rec.strands.empty()) {
    const auto count = static_cast<Int32>(rec.strands.size());
    const auto perStrand = static_cast<Int32>(rec.strands.front().points.size());
    HairGuides* guides = HairGuides::Alloc(count, perStrand - 1);
    if (guides == nullptr) fail(rec.place + ".strands", "the host cannot hold these strands");
    Vector* points = guides->GetPoints();
    for (Int32 g = 0; g < count; ++g) {
      const StrandRecord& s = rec.strands[static_cast<std::size_t>(g)];
      for (Int32 k = 0; k < perStrand; ++k)
        points[g * perStrand + k] = toVector(s.points[static_cast<std::size_t>(k)]);
      guides->SetRootUV(g, Vector(s.rootU, s.rootV, 0.0));
    }
    static_cast<HairObject*>(op)->SetGuides(guides);
  }
  for (TagRecord& tag : rec.tags) buildTag(op, tag);
  release(rec.polygons);
  for (const TrackRecord& track : rec.tracks) buildTrack(op, track);
  buildCache(rec.cache, op, false);
  buildCache(rec.deformCache, op, true);
  buildObjectList(rec.children, op);
}

void Builder::buildObjectList(std::vector<ObjectRecord>& records, BaseObject* parent) {
  BaseObject* pred = nullptr;
  for (ObjectRecord& rec : records) {
    BaseObject* op = makeObject(rec);
    if (parent != nullptr) {
      op->InsertUnderLast(parent);
    } else {
      doc_->InsertObject(op, nullptr, pred);
    }
    pred = op;
    fillObject(op, rec);
  }
}

void Builder::buildCache(std::vector<ObjectRecord>& records, BaseObject* generator, bool deform) {
  BaseObject* pred = nullptr;
  for (ObjectRecord& rec : records) {
    BaseObject* op = makeObject(rec);
    if (pred == nullptr) {
      if (deform) {
        generator->SetDeformCache(op);
      } else {
        generator->SetCache(op);
      }
    } else {
      op->InsertAfter(pred);
    }
    pred = op;
    fillObject(op, rec);
  }
}

void Builder::build(DocumentRecord& rec) {
  doc_->SetName(maxon::String(rec.name));
  doc_->SetDocumentName(Filename(rec.name.c_str()));
  doc_->SetDocumentPath(Filename(rec.folder.c_str()));
  doc_->SetFps(rec.fps);
  doc_->SetMinTime(BaseTime(rec.minTime));
  doc_->SetMaxTime(BaseTime(rec.maxTime));
  doc_->SetTime(BaseTime(rec.time));

  LayerObject* layerPred = nullptr;
  for (const LayerRecord& l : rec.layers) {
    LayerObject* layer = LayerObject::Alloc();
    if (layer == nullptr) fail(l.place, "the host cannot make a layer");
    doc_->InsertLayer(layer, layerPred);
    layerPred = layer;
    layer->SetName(maxon::String(l.name));
    remember(l.id, layer);
    setParams(layer, l.params);
  }

  BaseMaterial* matPred = nullptr;
  for (const MaterialRecord& m : rec.materials) {
    BaseMaterial* mat = BaseMaterial::Alloc(m.type);
    if (mat == nullptr)
      fail(m.place, "the host cannot make a material of type " + std::to_string(m.type));
    doc_->InsertMaterial(mat, matPred);
    matPred = mat;
    mat->SetName(maxon::String(m.name));
    remember(m.id, mat);
    if (m.type == Mmaterial && m.hasChannels) {
      auto* standard = static_cast<Material*>(mat);
      standard->SetChannelState(CHANNEL_COLOR, false);
      for (std::int32_t channel : m.channels) standard->SetChannelState(channel, true);
    }
    setParams(mat, m.params);
    BaseShader* shaderPred = nullptr;
    for (const ShaderRecord& s : m.shaders) buildShader(s, mat, nullptr, shaderPred);
  }

  buildObjectList(rec.objects, nullptr);

  for (const auto& [element, p] : links_) {
    BaseList2D* target = byId_.at(p->text);
    if (!element->SetParameter(DescID(DescLevel(p->id)), GeData(target), DESCFLAGS_SET::NONE))
      fail(p->place, "the host cannot store a link as parameter " + std::to_string(p->id));
  }
  for (const auto& [op, s] : layered_) {
    if (!op->SetLayerObject(static_cast<LayerObject*>(byId_.at(s->layer))))
      fail(s->place + ".layer", "the host cannot put the object on this layer");
  }
  for (const std::string& id : rec.selection) {
    BaseList2D* element = byId_.at(id);
    if (dynamic_cast<BaseMaterial*>(element) != nullptr) {
      element->SetBit(BIT_ACTIVE);
    } else {
      doc_->SetSelection(element, SELECTION_ADD);
    }
  }
}

}  // namespace

void DocumentDeleter::operator()(BaseDocument* doc) const { BaseDocument::Free(doc); }

DocumentPtr buildDocument(DocumentRecord&& records, std::string_view sourceName) {
  DocumentPtr doc(BaseDocument::Alloc());
  if (!doc) throw DocumentError(std::string(sourceName), "document", "out of memory");
  Builder(std::string(sourceName), doc.get()).build(records);
  return doc;
}

DocumentPtr readDocument(std::string_view json, std::string_view sourceName,
                         const ReadOptions& options) {
  return buildDocument(parseDocument(json, sourceName, ParseOptions{options.baseFolder}),
                       sourceName);
}

DocumentPtr readDocumentFile(const std::string& path) {
  // A relative "folder" in the file is taken from the file's own folder, made absolute as
  // the host's document folders are.
  ParseOptions options;
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  options.baseFolder = (error ? std::filesystem::path(path) : absolute).parent_path().string();
  DocumentRecord records;
  {
    // The text is freed before the model is built, so that the two are never held together.
    DocumentText text = DocumentText::readFile(path);
    records = parseDocumentText(text, path, options);
  }
  return buildDocument(std::move(records), path);
}

}  // namespace c4ddoc

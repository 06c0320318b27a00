#include "c4d_basechannel.h"
#include "c4d_basematerial.h"

BaseShader* BaseShader::Alloc(Int32 type) { return new BaseShader(type); }

BaseMaterial* BaseMaterial::Alloc(Int32 type) {
  if (type == Mmaterial) return new Material();
  return new BaseMaterial(type);
}

Material::Material() : BaseMaterial(Mmaterial) { channels_.insert(CHANNEL_COLOR); }

Material* Material::Alloc() { return new Material(); }

// Looking up the children of a block of a parsed scene.
#pragma once

#include "svb_reader.h"

#include <string_view>

namespace svb_preview {

// First child of `kind` called `name` (parameters and subshaders share names).
inline const svb::Node* childNamed(const svb::Node& block, svb::NodeKind kind,
                                   std::string_view name) {
  for (const svb::Node& c : block.children)
    if (c.kind == kind && c.name() == name) return &c;
  return nullptr;
}

inline const svb::Node* parameter(const svb::Node& block, std::string_view name) {
  return childNamed(block, svb::NodeKind::Parameter, name);
}

}  // namespace svb_preview

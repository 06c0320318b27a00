// The demo document built into c4dhost (examples/demo.json at build time).
#pragma once

#include <string_view>

namespace c4dhost_app {

std::string_view embeddedDemo();

}  // namespace c4dhost_app

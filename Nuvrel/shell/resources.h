// The program's icons are compiled into its GUI library and must be registered before use.
#pragma once

namespace nuvrel {

void initResources();

}  // namespace nuvrel

// Whether the device may be used now. The library's busy flag alone is not enough: a failing
// command clears it while the worker that issued it still runs, so a live worker counts too.
#pragma once

namespace nuvrel {

bool deviceInUse();

}  // namespace nuvrel

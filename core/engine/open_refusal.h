// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Why the device could not be opened, as a value. The library tells the reason (another program
// has the device, no permission) only to its message handler, on whichever thread tried the open.
// Each front end's handler passes it on to noteIfOpenRefusal; whoever tried the open collects it
// through a watch begun before the attempt, so a reason given to another thread's earlier open is
// never taken for this one's.
#pragma once

#include <cstdint>
#include <string>

namespace nuvrel {

// For a front end's message handler: keeps text when icon marks an open's refusal, and says
// whether it was one (the handler then shows nothing: the reason is shown where it was asked for).
bool noteIfOpenRefusal(int icon, const char* text);

class OpenRefusalWatch {
  public:
    OpenRefusalWatch();
    // The latest reason given since the watch began; empty when there was none.
    std::string reason() const;

  private:
    std::uint64_t start_;
};

}  // namespace nuvrel

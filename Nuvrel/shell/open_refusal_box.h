// Tells the user why the device could not be opened when they asked for it (a button press) and
// the library knew why: another program has the device, or the user may not open it. A page
// coming to the front is no such request and shows nothing.
#pragma once

#include "shell/library_messages.h"

class QWidget;

namespace nuvrel {

// An information box with the reason the watch saw; nothing when it saw none.
void showOpenRefusal(QWidget* parent, const OpenRefusalWatch& watch);

}  // namespace nuvrel

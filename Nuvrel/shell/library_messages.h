// Shows the device library's own messages ("Device Not Detected!", unrecognised chips) as the
// program's message boxes, whichever thread the library raised them on.
#pragma once

class QObject;

namespace nuvrel {

// uiContext: an object of the user-interface thread that lives as long as the handler is installed.
void installLibraryMessageHandler(QObject* uiContext);
void removeLibraryMessageHandler();

}  // namespace nuvrel

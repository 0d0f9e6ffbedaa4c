// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The wait cursor over the whole program while a page asks the device something on the
// user-interface thread: a device that stops answering holds the window until the transfer
// times out, and the cursor says why nothing reacts.
#pragma once

namespace nuvrel {

class WaitCursor {
  public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

    // Gives the normal cursor back early (before a message box); the destructor then does nothing.
    void release();

  private:
    bool m_active = true;
};

}  // namespace nuvrel

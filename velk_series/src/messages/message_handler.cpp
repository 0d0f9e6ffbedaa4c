// SPDX-FileCopyrightText: 2026 The Nuvrel developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "messages/message_handler.h"

#include <cstdio>

namespace velk {

namespace {

struct InstalledHandler {
    VelkMessageHandler handler = nullptr;
    void* context = nullptr;
};

constinit InstalledHandler g_handler{};

}  // namespace

void showLibraryMessage(const char* caption, const char* text, VelkMessageIcon icon) {
    if (g_handler.handler != nullptr) {
        g_handler.handler(g_handler.context, caption, text, icon);
        return;
    }
    if (caption != nullptr && caption[0] != '\0') {
        std::fprintf(stderr, "velk_series: %s: %s\n", caption, text);
    } else {
        std::fprintf(stderr, "velk_series: %s\n", text);
    }
}

void resetMessageHandler() {
    g_handler = InstalledHandler{};
}

}  // namespace velk

extern "C" void VELK_CALL SetVelkMessageHandler(VelkMessageHandler handler, void* context) {
    velk::g_handler = velk::InstalledHandler{handler, context};
}

#pragma once

namespace platform {

// For a command-line program that draws or measures text but shows no window; call it
// before the QGuiApplication is made. It picks the offscreen platform unless one is chosen,
// and when the session names no runtime folder (a headless shell as root) it names a
// private one, made on first use, so a normal run prints nothing about the platform. A
// folder that exists but is not this user's alone is left to Qt, which then says so.
void prepareHeadlessGui();

} // namespace platform

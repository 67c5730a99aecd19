// Whether the desktop asks applications for a dark or a light look.
#pragma once

#include <QString>

namespace vellumry {

// The desktop's interface style: u"Dark"_s when the user prefers a dark look, otherwise an empty string.
//
// The first source that gives an answer wins:
//  1. the environment variable VELLUMRY_INTERFACE_STYLE, "Dark" or "Light" in any case (other values
//     are ignored);
//  2. the XDG desktop portal's "org.freedesktop.appearance" "color-scheme" setting on the session bus
//     (1 means prefer dark; 0, no preference, and 2, prefer light, both mean light);
//  3. GNOME's "org.gnome.desktop.interface" "color-scheme" key, when that schema is installed;
//  4. otherwise light.
//
// Cheap enough to poll every second from the GUI thread: every bus call gives up after 200 ms, and when
// the portal gives no usable answer it is not asked again for 30 seconds. Safe to call from any thread.
QString interfaceStyle();

} // namespace vellumry

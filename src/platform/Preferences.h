// The two preferences of the Preferences window: start at login, and the used-count threshold.
#pragma once

#include "platform/DesktopServices.h"

#include <QString>
#include <QStringView>

namespace vellumry {

class LoginItems;
class Settings;

// "BAutoLogin": "YES" or "NO" (missing means "NO"); "usedNum": the threshold as the user typed it.
inline constexpr QStringView kAutoLoginKey = u"BAutoLogin";
inline constexpr QStringView kUsedNumKey = u"usedNum";
inline constexpr QStringView kDefaultUsedNum = u"10";

// The leading integer of a text, as a signed 32-bit value: blanks first are skipped, one sign may
// come before the digits, and what follows the digits is ignored ("12x" is 12). No digits give 0; a
// number too large for 32 bits gives the nearest limit.
int leadingInt32(QStringView text);

// Adds or removes the program's login item, then stores under "BAutoLogin" whether it now starts at
// login and writes the settings to disk. When the change fails, the stored value says what is true:
// "NO" after a failed add, "YES" after a failed removal.
ActionResult applyLoginPreference(const LoginItems &items, Settings &settings, bool startAtLogin);

// The text under "usedNum", or "10" when there is none.
QString storedUsedNum(const Settings &settings);

} // namespace vellumry

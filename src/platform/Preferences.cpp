// The preferences as stored in the user's settings.
#include "platform/Preferences.h"

#include "platform/LoginItems.h"
#include "platform/Settings.h"

#include <limits>

namespace vellumry {

using namespace Qt::StringLiterals;

int leadingInt32(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    // Accumulate towards the limit on the number's own side, so INT_MIN itself is reachable.
    constexpr qint64 limit = qint64(std::numeric_limits<int>::max()) + 1;
    qint64 value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > limit)
            value = limit; // stays at the limit however many digits follow
    }
    if (negative)
        return int(-value);
    return value >= limit ? std::numeric_limits<int>::max() : int(value);
}

ActionResult applyLoginPreference(const LoginItems &items, Settings &settings, bool startAtLogin)
{
    const ActionResult result = startAtLogin ? items.add() : items.remove();
    const bool nowOn = result.ok ? startAtLogin : !startAtLogin;
    settings.setValue(kAutoLoginKey.toString(), nowOn ? u"YES"_s : u"NO"_s);
    settings.synchronize();
    return result;
}

QString storedUsedNum(const Settings &settings)
{
    const QVariant stored = settings.value(kUsedNumKey.toString());
    return stored.isValid() ? settings.string(kUsedNumKey.toString()) : kDefaultUsedNum.toString();
}

} // namespace vellumry

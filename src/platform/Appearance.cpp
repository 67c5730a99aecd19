// The desktop's light or dark preference, from the environment, the desktop portal or GNOME's settings.
#include "platform/Appearance.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QMutex>
#include <QMutexLocker>

#include <optional>

#include <gio/gio.h>

namespace vellumry {
namespace {

using namespace Qt::StringLiterals;

enum class Look
{
    Light,
    Dark
};

constexpr int kBusTimeoutMs = 200;
constexpr qint64 kPortalRetryMs = 30'000;

std::optional<Look> lookFromEnvironment()
{
    const QString value = qEnvironmentVariable("VELLUMRY_INTERFACE_STYLE").trimmed();
    if (value.compare(u"dark"_s, Qt::CaseInsensitive) == 0)
        return Look::Dark;
    if (value.compare(u"light"_s, Qt::CaseInsensitive) == 0)
        return Look::Light;
    return std::nullopt;
}

// The older Read method wraps the value in a second variant; some portals wrap it once more.
QVariant unwrapVariants(QVariant value)
{
    for (int depth = 0; depth < 8 && value.userType() == qMetaTypeId<QDBusVariant>(); ++depth)
        value = qvariant_cast<QDBusVariant>(value).variant();
    return value;
}

std::optional<Look> lookFromPortalValue(const QVariant &wrapped)
{
    const QVariant value = unwrapVariants(wrapped);
    switch (value.typeId()) {
    case QMetaType::UInt:
    case QMetaType::Int:
    case QMetaType::UShort:
    case QMetaType::Short:
    case QMetaType::UChar:
    case QMetaType::ULongLong:
    case QMetaType::LongLong:
        return value.toLongLong() == 1 ? Look::Dark : Look::Light;
    default:
        return std::nullopt;
    }
}

// What the portal code remembers between calls.
struct PortalState
{
    QMutex mutex;
    bool hasReadOne = true; // cleared once the portal turns out to predate ReadOne
    bool resting = false;   // the last attempt gave no usable answer
    QElapsedTimer restingSince;
};

PortalState &portalState()
{
    static PortalState state;
    return state;
}

QDBusMessage readPortalSetting(const QDBusConnection &bus, const QString &method)
{
    QDBusMessage call = QDBusMessage::createMethodCall(u"org.freedesktop.portal.Desktop"_s,
                                                       u"/org/freedesktop/portal/desktop"_s,
                                                       u"org.freedesktop.portal.Settings"_s, method);
    call << u"org.freedesktop.appearance"_s << u"color-scheme"_s;
    return bus.call(call, QDBus::Block, kBusTimeoutMs);
}

std::optional<Look> lookFromPortal()
{
    PortalState &state = portalState();
    const QMutexLocker lock(&state.mutex);
    if (state.resting && !state.restingSince.hasExpired(kPortalRetryMs))
        return std::nullopt;

    std::optional<Look> look;
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        QDBusMessage reply = readPortalSetting(bus, state.hasReadOne ? u"ReadOne"_s : u"Read"_s);
        if (state.hasReadOne && reply.type() == QDBusMessage::ErrorMessage &&
            reply.errorName() == u"org.freedesktop.DBus.Error.UnknownMethod"_s) {
            state.hasReadOne = false;
            reply = readPortalSetting(bus, u"Read"_s);
        }
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
            look = lookFromPortalValue(reply.arguments().constFirst());
    }

    state.resting = !look.has_value();
    if (state.resting)
        state.restingSince.start();
    return look;
}

// GNOME's own setting, read through GSettings. A GSettings call on a missing schema or key aborts the
// program, so both are checked first and the object is made once.
std::optional<Look> lookFromGnome()
{
    static QMutex mutex;
    static bool lookedUp = false;
    static GSettings *settings = nullptr; // kept for the life of the program
    static const char *const key = "color-scheme";

    const QMutexLocker lock(&mutex);
    if (!lookedUp) {
        lookedUp = true;
        if (GSettingsSchemaSource *source = g_settings_schema_source_get_default()) {
            if (GSettingsSchema *schema =
                    g_settings_schema_source_lookup(source, "org.gnome.desktop.interface", TRUE)) {
                if (g_settings_schema_has_key(schema, key))
                    settings = g_settings_new_full(schema, nullptr, nullptr);
                g_settings_schema_unref(schema);
            }
        }
    }
    if (!settings)
        return std::nullopt;

    GVariant *value = g_settings_get_value(settings, key);
    std::optional<Look> look;
    if (value && g_variant_is_of_type(value, G_VARIANT_TYPE_STRING))
        look = qstrcmp(g_variant_get_string(value, nullptr), "prefer-dark") == 0 ? Look::Dark : Look::Light;
    if (value)
        g_variant_unref(value);
    return look;
}

} // namespace

QString interfaceStyle()
{
    std::optional<Look> look = lookFromEnvironment();
    if (!look)
        look = lookFromPortal();
    if (!look)
        look = lookFromGnome();
    return look == Look::Dark ? u"Dark"_s : QString();
}

} // namespace vellumry

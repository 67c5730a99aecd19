// Named notifications between the custom controls and the controllers.
#pragma once

#include <QObject>
#include <QString>

namespace vellumry {

namespace Notification {
inline const QString DragOperationImage = QStringLiteral("NSDragOperationImageNote");
inline const QString ButtonMouseDown = QStringLiteral("MybuttonMouseDown");
inline const QString LeftButtonMouseDown = QStringLiteral("PRLeftButtonMouseDown");
inline const QString StartScanApplication = QStringLiteral("StartScanApplication");
} // namespace Notification

// One per program, handed to everyone who posts or observes. Delivery is immediate, on the posting thread.
class NotificationCenter : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    void post(const QString &name, QObject *object) { Q_EMIT posted(name, object); }

    // Calls `handler(object)` for every notification of that name, as long as `receiver` lives.
    template<typename Handler>
    QMetaObject::Connection observe(const QString &name, QObject *receiver, Handler handler)
    {
        return connect(this, &NotificationCenter::posted, receiver, [name, handler](const QString &n, QObject *object) {
            if (n == name)
                handler(object);
        });
    }

Q_SIGNALS:
    void posted(const QString &name, QObject *object);
};

} // namespace vellumry

// The background pool.
#include "platform/Background.h"

#include <QThread>

namespace vellumry {

QThreadPool *backgroundPool()
{
    static QThreadPool *pool = [] {
        auto *threads = new QThreadPool; // lives as long as the program: tasks may still end at exit
        threads->setObjectName(QStringLiteral("vellumry-background"));
        threads->setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
        return threads;
    }();
    return pool;
}

} // namespace vellumry

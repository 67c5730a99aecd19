// Temporary folders removed with rm, which walks names and depths that QDir cannot.
#include "support/TempDir.h"

#include "platform/ChildProcess.h"

#include <QFile>

namespace vellumry::test {

TempDir::TempDir() { m_dir.setAutoRemove(false); }

namespace {

void removeTree(const QByteArray &path)
{
    // Give back any permission a test took away, then remove everything.
    runProcess("/bin/chmod", {"-R", "u+rwx", path});
    const ProcessResult removed = runProcess("/bin/rm", {"-rf", "--", path});
    if (!removed.succeeded())
        qWarning("could not remove the temporary folder %s", path.constData());
}

struct RemovedAtExit
{
    QList<QByteArray> paths;
    ~RemovedAtExit()
    {
        for (const QByteArray &path : paths)
            removeTree(path);
    }
};

RemovedAtExit &removedAtExit()
{
    static RemovedAtExit list;
    return list;
}

} // namespace

TempDir::~TempDir()
{
    if (m_dir.isValid() && !m_atExit)
        removeTree(path());
}

void TempDir::removeAtExit()
{
    if (m_atExit || !m_dir.isValid())
        return;
    m_atExit = true;
    removedAtExit().paths.append(path());
}

QByteArray TempDir::path() const { return QFile::encodeName(m_dir.path()); }

} // namespace vellumry::test

// Temporary folders removed with rm, which walks names and depths that QDir cannot.
#include "support/TempDir.h"

#include "platform/ChildProcess.h"

#include <QFile>

namespace vellumry::test {
namespace {

void removeTree(const QByteArray &path)
{
    // Give back any permission a test took away, then remove everything.
    runProcess("/bin/chmod", {"-R", "u+rwx", path});
    if (!runProcess("/bin/rm", {"-rf", "--", path}).succeeded())
        qWarning("could not remove the temporary folder %s", path.constData());
}

// The folders left for the end of the process, removed when this static list is destroyed.
struct RemovedAtExit : QList<QByteArray>
{
    ~RemovedAtExit()
    {
        for (const QByteArray &path : std::as_const(*this))
            removeTree(path);
    }
};

} // namespace

TempDir::TempDir() { m_dir.setAutoRemove(false); }

TempDir::~TempDir()
{
    if (m_dir.isValid() && !m_atExit)
        removeTree(path());
}

void TempDir::removeAtExit()
{
    static RemovedAtExit paths;
    if (!m_atExit && m_dir.isValid())
        paths.append(path());
    m_atExit = true;
}

QByteArray TempDir::path() const { return QFile::encodeName(m_dir.path()); }

} // namespace vellumry::test

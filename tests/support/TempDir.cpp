// Temporary folders removed with rm, which walks names and depths that QDir cannot.
#include "support/TempDir.h"

#include "platform/ChildProcess.h"

#include <QFile>

namespace vellumry::test {

TempDir::TempDir() { m_dir.setAutoRemove(false); }

TempDir::~TempDir()
{
    if (!m_dir.isValid())
        return;
    // Give back any permission a test took away, then remove everything.
    runProcess("/bin/chmod", {"-R", "u+rwx", path()});
    if (!runProcess("/bin/rm", {"-rf", "--", path()}).succeeded())
        qWarning("could not remove the temporary folder %s", path().constData());
}

QByteArray TempDir::path() const { return QFile::encodeName(m_dir.path()); }

} // namespace vellumry::test

// A temporary folder that is removed completely, also below names Qt cannot decode and paths
// longer than the system limit.
#pragma once

#include <QByteArray>
#include <QTemporaryDir>

namespace vellumry::test {

class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    QByteArray path() const; // exact bytes
    bool isValid() const { return m_dir.isValid(); }
    QString errorString() const { return m_dir.errorString(); }

private:
    QTemporaryDir m_dir;
};

} // namespace vellumry::test

// The desktop as tests see it: every request recorded, none sent to a real application.
#pragma once

#include "platform/DesktopServices.h"

#include <QByteArrayList>

namespace vellumry::test {

// Records what the program asked of the desktop. Trashing goes to the real Trash of the test's home
// unless `trashForReal` is off; the look is `style` ("Dark" or empty).
class FakeDesktop : public DesktopServices
{
public:
    QByteArrayList opened, revealed, trashed, launched, urls;
    QString style;
    bool succeed = true; // the answer to open, reveal, launch and showUrl
    bool trashForReal = true;

    ActionResult open(const QByteArray &path) override { return record(opened, path); }
    ActionResult reveal(const QByteArray &path) override { return record(revealed, path); }
    ActionResult launch(const QByteArray &path) override { return record(launched, path); }
    ActionResult showUrl(const QByteArray &url) override { return record(urls, url); }
    ActionResult trash(const QByteArray &path) override
    {
        trashed.append(path);
        return trashForReal ? DesktopServices::trash(path) : ActionResult{succeed, {}};
    }
    QString interfaceStyle() override { return style; }

private:
    ActionResult record(QByteArrayList &list, const QByteArray &what)
    {
        list.append(what);
        return {succeed, succeed ? QString() : QStringLiteral("refused by the test")};
    }
};

} // namespace vellumry::test

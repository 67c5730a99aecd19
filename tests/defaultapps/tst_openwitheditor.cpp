// placeholder
#include <QTest>
class TestOpenWithEditor : public QObject { Q_OBJECT };
QTEST_MAIN(TestOpenWithEditor)
#include "tst_openwitheditor.moc"

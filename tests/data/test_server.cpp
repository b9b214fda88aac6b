#include <QtTest>
class TestServer : public QObject {
    Q_OBJECT
private slots:
    void placeholder() {}
};
QTEST_GUILESS_MAIN(TestServer)
#include "test_server.moc"

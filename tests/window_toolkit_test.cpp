// What the window module tells Qt, on the offscreen platform: the session
// bus it is left to find.
#include "toolkit_environment.h"
#include "window_platform.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <memory>

namespace {

// What may lie at $XDG_RUNTIME_DIR/bus.
enum class BusEntry { nothing, ourSocket, othersSocket, linkToOurSocket, file, folder };

bool makeSocket(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(name.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, name.constData(), name.size());
    const int socketFd = socket(AF_UNIX, SOCK_STREAM, 0);
    const bool made = socketFd >= 0 && bind(socketFd, reinterpret_cast<sockaddr *>(&address),
                                            sizeof address) == 0;
    if (socketFd >= 0)
        close(socketFd);
    return made;
}

// Sets or, for a null value, removes an environment variable.
void setVariable(const char *name, const QByteArray &value)
{
    if (value.isNull())
        qunsetenv(name);
    else
        qputenv(name, value);
}

QByteArray variable(const char *name)
{
    return qEnvironmentVariableIsSet(name) ? qgetenv(name) : QByteArray();
}

}  // namespace

class WindowToolkitTest : public QObject {
    Q_OBJECT
private slots:
    void sessionBus_data();
    void sessionBus();
};

void WindowToolkitTest::sessionBus_data()
{
    QTest::addColumn<QByteArray>("address");  // null: not set
    QTest::addColumn<bool>("runtimeFolderSet");
    QTest::addColumn<BusEntry>("entry");
    QTest::addColumn<bool>("reachable");

    const QByteArray unset, given("unix:path=/run/user/1000/bus");
    QTest::newRow("address given") << given << false << BusEntry::nothing << true;
    QTest::newRow("address given, nothing in the runtime folder") << given << true << BusEntry::nothing << true;
    QTest::newRow("no address, no runtime folder") << unset << false << BusEntry::nothing << false;
    QTest::newRow("empty address counts as none") << QByteArray("") << false << BusEntry::nothing << false;
    QTest::newRow("our socket") << unset << true << BusEntry::ourSocket << true;
    QTest::newRow("empty address, our socket") << QByteArray("") << true << BusEntry::ourSocket << true;
    QTest::newRow("another user's socket") << unset << true << BusEntry::othersSocket << false;
    QTest::newRow("a link to our socket") << unset << true << BusEntry::linkToOurSocket << false;
    QTest::newRow("a file") << unset << true << BusEntry::file << false;
    QTest::newRow("a folder") << unset << true << BusEntry::folder << false;
    QTest::newRow("nothing in the runtime folder") << unset << true << BusEntry::nothing << false;
}

// A bus that libdbus would find is left alone; without one, the address is
// one libdbus refuses at once instead of launching a bus.
void WindowToolkitTest::sessionBus()
{
    QFETCH(QByteArray, address);
    QFETCH(bool, runtimeFolderSet);
    QFETCH(BusEntry, entry);
    QFETCH(bool, reachable);

    QTemporaryDir runtime;
    QVERIFY(runtime.isValid());
    const QString bus = runtime.path() + "/bus";
    switch (entry) {
    case BusEntry::nothing: break;
    case BusEntry::ourSocket: QVERIFY(makeSocket(bus)); break;
    case BusEntry::othersSocket:
        if (getuid() != 0)
            QSKIP("only root can give a socket to another user");
        QVERIFY(makeSocket(bus));
        QVERIFY(lchown(QFile::encodeName(bus).constData(), 65534, 65534) == 0);
        break;
    case BusEntry::linkToOurSocket:
        QVERIFY(makeSocket(runtime.path() + "/real-bus"));
        QVERIFY(QFile::link(runtime.path() + "/real-bus", bus));
        break;
    case BusEntry::file: {
        QFile file(bus);
        QVERIFY(file.open(QIODevice::WriteOnly));
        break;
    }
    case BusEntry::folder: QVERIFY(QDir().mkdir(bus)); break;
    }

    const QByteArray savedAddress = variable("DBUS_SESSION_BUS_ADDRESS");
    const QByteArray savedRuntime = variable("XDG_RUNTIME_DIR");
    setVariable("DBUS_SESSION_BUS_ADDRESS", address);
    setVariable("XDG_RUNTIME_DIR", runtimeFolderSet ? QFile::encodeName(runtime.path()) : QByteArray());
    const bool found = sessionBusReachable();
    prepareToolkitEnvironment();
    const QByteArray addressAfter = variable("DBUS_SESSION_BUS_ADDRESS");
    setVariable("DBUS_SESSION_BUS_ADDRESS", savedAddress);
    setVariable("XDG_RUNTIME_DIR", savedRuntime);

    QCOMPARE(found, reachable);
    QCOMPARE(addressAfter, reachable ? address : QByteArray("disabled:"));
}

// The application is made the way the tool makes it, through the platform.
int main(int argc, char **argv)
{
    // A runtime folder of the test's own: Qt would make one in /tmp.
    QTemporaryDir runtime;
    if (!qEnvironmentVariableIsSet("XDG_RUNTIME_DIR") && runtime.isValid())
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    WindowPlatform platform;
    std::unique_ptr<Application> application(platform.createApplication(argc, argv));
    WindowToolkitTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "window_toolkit_test.moc"

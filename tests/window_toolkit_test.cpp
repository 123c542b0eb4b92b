// What the window module tells Qt and takes from it, on the offscreen
// platform: the session bus it is left to find, and the buttons' icons.
#include "toolkit_environment.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <memory>

namespace {

const QStyle::StandardPixmap buttonPixmaps[] = {
    QStyle::SP_DialogOkButton, QStyle::SP_DialogCancelButton, QStyle::SP_DialogYesButton,
    QStyle::SP_DialogNoButton};

bool makeSocket(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.constData(), qMin(size_t(name.size()), sizeof address.sun_path - 1));
    const int socketFd = socket(AF_UNIX, SOCK_STREAM, 0);
    const bool made = bind(socketFd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    close(socketFd);
    return made;
}

// A theme at `folder` with a 16-pixel red icon under each of `names`.
bool makeIconTheme(const QString &folder, const QStringList &names)
{
    QFile index(folder + "/index.theme");
    if (!QDir().mkpath(folder + "/16x16/actions") || !index.open(QIODevice::WriteOnly))
        return false;
    index.write("[Icon Theme]\nName=Probe\nDirectories=16x16/actions\n\n"
                "[16x16/actions]\nSize=16\nType=Fixed\n");
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::red);
    for (const QString &name : names) {
        if (!image.save(folder + "/16x16/actions/" + name + ".png"))
            return false;
    }
    return true;
}

QStringList loadedImagePlugins()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return {QStringLiteral("(cannot read /proc/self/maps)")};
    QStringList plugins;
    for (const QByteArray &line : maps.readAll().split('\n')) {
        if (line.contains("/imageformats/"))
            plugins << QString::fromLocal8Bit(line.mid(line.indexOf('/')));
    }
    plugins.removeDuplicates();
    return plugins;
}

// As a dialog's button draws it, on this screen's scale.
QImage drawn(const QIcon &icon)
{
    const int size = QApplication::style()->pixelMetric(QStyle::PM_ButtonIconSize);
    return icon.pixmap(QSize(size, size), qApp->devicePixelRatio()).toImage();
}

}  // namespace

class WindowToolkitTest : public QObject {
    Q_OBJECT
private slots:
    // First: a plugin, once loaded by any test, stays.
    void buttonIconsLoadNoImagePlugin();
    void buttonIcons_data();
    void buttonIcons();
    // Before sessionBus, whose rows prepare the environment too.
    void runtimeFolderNoteAlone();
    void sessionBus_data();
    void sessionBus();

private:
    std::unique_ptr<QStyle> plainStyle{QStyleFactory::create(QStringLiteral("fusion"))};
};

void WindowToolkitTest::buttonIconsLoadNoImagePlugin()
{
    for (const QStyle::StandardPixmap pixmap : buttonPixmaps)
        drawn(QApplication::style()->standardIcon(pixmap));
    QCOMPARE(loadedImagePlugins(), QStringList());

    // The check above can see a plugin: the style on its own loads them.
    drawn(plainStyle->standardIcon(QStyle::SP_DialogOkButton));
    if (loadedImagePlugins().isEmpty())
        QSKIP("no image format plugin is installed here");
}

void WindowToolkitTest::buttonIcons_data()
{
    QTest::addColumn<QStringList>("themeIcons");  // none: no icon theme at all

    QTest::newRow("no icon theme") << QStringList();
    QTest::newRow("theme with all three") << QStringList{"dialog-ok", "dialog-cancel", "process-stop"};
    QTest::newRow("theme with process-stop only") << QStringList{"process-stop"};
}

// Whatever the plain style draws a button's icon from, Qt's own images or
// the desktop's icon theme, the window's style draws the same. ctest runs
// this once more at three times the scale, where Qt's largest image is used.
void WindowToolkitTest::buttonIcons()
{
    QFETCH(QStringList, themeIcons);

    QTemporaryDir themes;
    QVERIFY(themes.isValid());
    // A new name each row: Qt keeps what it once found in a theme.
    static int row = 0;
    const QString theme = themeIcons.isEmpty() ? QString() : QStringLiteral("probe%1").arg(++row);
    if (!theme.isEmpty())
        QVERIFY(makeIconTheme(themes.path() + "/" + theme, themeIcons));
    QIcon::setThemeSearchPaths({themes.path()});
    QIcon::setThemeName(theme);

    for (const QStyle::StandardPixmap pixmap : buttonPixmaps) {
        const QIcon ours = QApplication::style()->standardIcon(pixmap);
        QCOMPARE(ours.name(), plainStyle->standardIcon(pixmap).name());
        // A new icon each time: Qt's picks its image by the size it was
        // given until it has read it, then by the image's own (the 16-pixel
        // Yes is 16 by 14), so only its first picture is what a button shows.
        const QImage plain = drawn(plainStyle->standardIcon(pixmap));
        QVERIFY(!plain.isNull());
        QVERIFY(drawn(ours) == plain);
        QVERIFY(drawn(ours) == plain);
    }
}

void WindowToolkitTest::sessionBus_data()
{
    QTest::addColumn<QByteArray>("address");  // null: not set
    QTest::addColumn<bool>("runtimeFolderSet");
    QTest::addColumn<QString>("busEntry");    // what lies at $XDG_RUNTIME_DIR/bus
    QTest::addColumn<bool>("reachable");

    const QByteArray unset, empty("");
    QTest::newRow("address given") << QByteArray("unix:path=/run/user/1000/bus") << false << "" << true;
    QTest::newRow("no address, no runtime folder") << unset << false << "" << false;
    QTest::newRow("empty address counts as none") << empty << false << "" << false;
    QTest::newRow("our socket") << unset << true << "socket" << true;
    QTest::newRow("another user's socket") << unset << true << "others' socket" << false;
    QTest::newRow("a link to our socket") << unset << true << "link" << false;
    QTest::newRow("a file") << unset << true << "file" << false;
    QTest::newRow("nothing in the runtime folder") << unset << true << "" << false;
}

// A bus that libdbus would find is left alone; without one, the address is
// one libdbus refuses at once instead of launching a bus.
void WindowToolkitTest::sessionBus()
{
    QFETCH(QByteArray, address);
    QFETCH(bool, runtimeFolderSet);
    QFETCH(QString, busEntry);
    QFETCH(bool, reachable);

    QTemporaryDir runtime;
    QVERIFY(runtime.isValid());
    const QString bus = runtime.path() + "/bus";
    if (busEntry == "others' socket" && getuid() != 0)
        QSKIP("only root can give a socket to another user");
    if (busEntry == "socket" || busEntry == "others' socket")
        QVERIFY(makeSocket(bus));
    if (busEntry == "others' socket")
        QVERIFY(lchown(QFile::encodeName(bus).constData(), 65534, 65534) == 0);
    if (busEntry == "link")
        QVERIFY(makeSocket(bus + "-target") && QFile::link(bus + "-target", bus));
    if (busEntry == "file")
        QVERIFY(QFile(bus).open(QIODevice::WriteOnly));

    const auto set = [](const char *name, const QByteArray &value) {
        value.isNull() ? qunsetenv(name) : qputenv(name, value);
    };
    const auto get = [](const char *name) {
        return qEnvironmentVariableIsSet(name) ? qgetenv(name) : QByteArray();
    };
    const QByteArray savedAddress = get("DBUS_SESSION_BUS_ADDRESS");
    const QByteArray savedRuntime = get("XDG_RUNTIME_DIR");
    set("DBUS_SESSION_BUS_ADDRESS", address);
    set("XDG_RUNTIME_DIR", runtimeFolderSet ? QFile::encodeName(runtime.path()) : QByteArray());
    const bool found = sessionBusReachable();
    prepareToolkitEnvironment();
    const QByteArray addressAfter = get("DBUS_SESSION_BUS_ADDRESS");
    set("DBUS_SESSION_BUS_ADDRESS", savedAddress);
    set("XDG_RUNTIME_DIR", savedRuntime);

    QCOMPARE(found, reachable);
    QCOMPARE(addressAfter, reachable ? address : QByteArray("disabled:"));
}

QStringList passedOn;

void collect(QtMsgType, const QMessageLogContext &, const QString &message)
{
    passedOn << message;
}

// Without XDG_RUNTIME_DIR, as under sudo, Qt's notes about it and about its
// own fallback folder go; every other message, its kind or its text
// different, is passed on.
void WindowToolkitTest::runtimeFolderNoteAlone()
{
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qunsetenv("XDG_RUNTIME_DIR");
    qInstallMessageHandler(collect);
    prepareToolkitEnvironment();
    qWarning("QStandardPaths: XDG_RUNTIME_DIR not set, defaulting to '/tmp/runtime-root'");
    qWarning("QStandardPaths: runtime directory '/tmp/runtime-root' is not owned by UID 0, but a directory");
    qWarning("QStandardPaths: runtime directory '/tmp/runtime-root' is not a directory, but a symlink");
    qWarning("QStandardPaths: something else");
    qWarning("QtOther: runtime directory '/tmp/runtime-root' is not owned by UID 0");
    qInfo("QStandardPaths: XDG_RUNTIME_DIR not set, as information");
    qInstallMessageHandler(nullptr);
    qputenv("XDG_RUNTIME_DIR", savedRuntime);
    QCOMPARE(passedOn, QStringList({"QStandardPaths: something else",
                                    "QtOther: runtime directory '/tmp/runtime-root' is not owned by UID 0",
                                    "QStandardPaths: XDG_RUNTIME_DIR not set, as information"}));
}

// The application is made the way the window program makes it.
int main(int argc, char **argv)
{
    // A runtime folder of the test's own: Qt would make one in /tmp.
    QTemporaryDir runtime;
    if (!qEnvironmentVariableIsSet("XDG_RUNTIME_DIR") && runtime.isValid())
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    const std::unique_ptr<QApplication> application = startToolkit(argc, argv);
    WindowToolkitTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "window_toolkit_test.moc"

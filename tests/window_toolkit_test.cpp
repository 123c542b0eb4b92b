// What the window module tells Qt and takes from it, on the offscreen
// platform: the session bus it is left to find, and the buttons' icons.
#include "toolkit_environment.h"
#include "window_platform.h"

#include <QApplication>
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

// The image format plugins mapped into this process.
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

QImage drawn(const QIcon &icon, int size, QIcon::Mode mode)
{
    return icon.pixmap(QSize(size, size), qApp->devicePixelRatio(), mode).toImage();
}

}  // namespace

class WindowToolkitTest : public QObject {
    Q_OBJECT
private slots:
    // First: a plugin, once loaded by any test, stays.
    void buttonIconsLoadNoImagePlugin();
    void buttonIconsLookAsTheStyleDrawsThem_data();
    void buttonIconsLookAsTheStyleDrawsThem();
    void iconThemeStillServesItsOwn_data();
    void iconThemeStillServesItsOwn();
    void sessionBus_data();
    void sessionBus();

private:
    std::unique_ptr<QStyle> plainStyle{QStyleFactory::create(QStringLiteral("fusion"))};
};

void WindowToolkitTest::buttonIconsLoadNoImagePlugin()
{
    for (const QStyle::StandardPixmap pixmap : buttonPixmaps)
        drawn(QApplication::style()->standardIcon(pixmap), 16, QIcon::Normal);
    QCOMPARE(loadedImagePlugins(), QStringList());

    // The check above can see a plugin: the style on its own loads them.
    drawn(plainStyle->standardIcon(QStyle::SP_DialogOkButton), 16, QIcon::Normal);
    if (loadedImagePlugins().isEmpty())
        QSKIP("no image format plugin is installed here");
}

void WindowToolkitTest::buttonIconsLookAsTheStyleDrawsThem_data()
{
    QTest::addColumn<QStyle::StandardPixmap>("pixmap");
    QTest::addColumn<QIcon::Mode>("mode");

    const struct { QStyle::StandardPixmap pixmap; const char *name; } buttons[] = {
        {QStyle::SP_DialogOkButton, "OK"}, {QStyle::SP_DialogCancelButton, "Cancel"},
        {QStyle::SP_DialogYesButton, "Yes"}, {QStyle::SP_DialogNoButton, "No"}};
    const struct { QIcon::Mode mode; const char *name; } modes[] = {
        {QIcon::Normal, "normal"}, {QIcon::Disabled, "disabled"}, {QIcon::Active, "active"}};
    for (const auto &button : buttons) {
        for (const auto &mode : modes)
            QTest::addRow("%s, %s", button.name, mode.name) << button.pixmap << mode.mode;
    }
}

// At the size a dialog's button draws it, on this screen's scale (ctest runs
// this once more at three times the scale, where the largest image is used).
void WindowToolkitTest::buttonIconsLookAsTheStyleDrawsThem()
{
    QFETCH(QStyle::StandardPixmap, pixmap);
    QFETCH(QIcon::Mode, mode);

    const int size = QApplication::style()->pixelMetric(QStyle::PM_ButtonIconSize);
    const QImage ours = drawn(QApplication::style()->standardIcon(pixmap), size, mode);
    const QImage plain = drawn(plainStyle->standardIcon(pixmap), size, mode);
    QVERIFY(!plain.isNull());
    QCOMPARE(ours.size(), plain.size());
    QCOMPARE(ours.devicePixelRatio(), plain.devicePixelRatio());
    QVERIFY(ours == plain);
}

void WindowToolkitTest::iconThemeStillServesItsOwn_data()
{
    QTest::addColumn<QStringList>("themeIcons");

    QTest::newRow("theme without button icons") << QStringList{"dialog-question"};
    QTest::newRow("theme with dialog-ok") << QStringList{"dialog-ok"};
    QTest::newRow("theme with dialog-cancel") << QStringList{"dialog-cancel"};
    QTest::newRow("theme with process-stop only") << QStringList{"process-stop"};
    QTest::newRow("theme with all three") << QStringList{"dialog-ok", "dialog-cancel", "process-stop"};
}

// Whichever icon the style takes from the desktop's theme, the window's
// style takes too; where the theme has none, both draw Qt's own.
void WindowToolkitTest::iconThemeStillServesItsOwn()
{
    QFETCH(QStringList, themeIcons);

    QTemporaryDir themes;
    QVERIFY(themes.isValid());
    // A new theme name each row: Qt keeps what it found in a theme.
    static int row = 0;
    const QString theme = QStringLiteral("probe%1").arg(++row);
    const QString folder = themes.path() + "/" + theme + "/16x16/actions";
    QVERIFY(QDir().mkpath(folder));
    QFile index(themes.path() + "/" + theme + "/index.theme");
    QVERIFY(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=Probe\nDirectories=16x16/actions\n\n"
                "[16x16/actions]\nSize=16\nType=Fixed\n");
    index.close();
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::red);
    for (const QString &name : themeIcons)
        QVERIFY(image.save(folder + "/" + name + ".png"));

    const QStringList searchPaths = QIcon::themeSearchPaths();
    const QString themeName = QIcon::themeName();
    QIcon::setThemeSearchPaths({themes.path()});
    QIcon::setThemeName(theme);
    for (const QStyle::StandardPixmap pixmap : buttonPixmaps) {
        const QIcon ours = QApplication::style()->standardIcon(pixmap);
        const QIcon plain = plainStyle->standardIcon(pixmap);
        QCOMPARE(ours.name(), plain.name());
        QVERIFY(drawn(ours, 16, QIcon::Normal) == drawn(plain, 16, QIcon::Normal));
    }
    QIcon::setThemeSearchPaths(searchPaths);
    QIcon::setThemeName(themeName);
}

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

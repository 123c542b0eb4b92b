#include "display_access.h"

#include <QByteArray>
#include <QFileInfo>
#include <QLibraryInfo>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstring>

namespace {

// The same handshake Qt's xcb platform makes, with the same DISPLAY and
// XAUTHORITY, so a refused cookie counts as unreachable too.
bool x11Reachable()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return false;
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return reachable;
}

// A Wayland compositor is reachable when its socket accepts a connection
// and Qt has its Wayland platform installed (a separate package on Debian).
bool waylandReachable()
{
    const QByteArray name = qgetenv("WAYLAND_DISPLAY");
    if (name.isEmpty())
        return false;
    const QString plugin = QLibraryInfo::path(QLibraryInfo::PluginsPath)
                           + QStringLiteral("/platforms/libqwayland-generic.so");
    if (!QFileInfo::exists(plugin))
        return false;

    const QByteArray path = name.startsWith('/') ? name : qgetenv("XDG_RUNTIME_DIR") + '/' + name;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (static_cast<size_t>(path.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.constData(), path.size());

    const int socketFd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socketFd < 0)
        return false;
    const bool reachable =
        connect(socketFd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    close(socketFd);
    return reachable;
}

}  // namespace

bool displayNamed()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
           || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

QString displayUnreachableReason()
{
    // Chosen by the caller: Qt tries each platform of the list in turn.
    // Platforms other than these two (offscreen, vnc, ...) need no display.
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        const QByteArray chosen = qgetenv("QT_QPA_PLATFORM");
        for (const QByteArray &entry : chosen.split(';')) {
            const QByteArray platform = entry.split(':').first().trimmed();
            if (platform == "xcb" ? x11Reachable()
                : platform.startsWith("wayland") ? waylandReachable()
                                                 : !platform.isEmpty())
                return {};
        }
        return QStringLiteral("cannot open a display for QT_QPA_PLATFORM=%1")
            .arg(QString::fromLocal8Bit(chosen));
    }

    if (waylandReachable()) {
        qputenv("QT_QPA_PLATFORM", "wayland");
        return {};
    }
    if (x11Reachable()) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        return {};
    }
    return QStringLiteral("cannot open the display (DISPLAY=%1, WAYLAND_DISPLAY=%2)")
        .arg(qEnvironmentVariable("DISPLAY"), qEnvironmentVariable("WAYLAND_DISPLAY"));
}

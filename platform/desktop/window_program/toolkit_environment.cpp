#include "toolkit_environment.h"

#include "button_icon_style.h"
#include "user_files.h"

#include <unistd.h>

#include <QString>
#include <QtGlobal>

#include <cstdlib>
#include <string>

namespace {

QtMessageHandler toolkitMessages = nullptr;

// Under sudo there is no XDG_RUNTIME_DIR, and Qt says so at every start,
// though it falls back to a folder of its own and a window needs nothing
// from it. That folder is /tmp/runtime-root, which anyone may plant first;
// Qt then refuses it (it looks without following links and checks the
// owner) and says so too, which is no news either. Every other message is
// passed on as before.
bool isRuntimeFolderNote(const QString &message)
{
    return message.startsWith(QLatin1String("QStandardPaths: ")) &&
           (message.contains(QLatin1String("XDG_RUNTIME_DIR not set")) ||
            message.contains(QLatin1String("runtime directory")));
}

void withoutRuntimeFolderNotes(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && isRuntimeFolderNote(message))
        return;
    toolkitMessages(type, context, message);
}

}  // namespace

// As libdbus decides it: an empty address counts as none, and the runtime
// folder's socket is looked at without following links.
bool sessionBusReachable()
{
    const char *address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && address[0] != '\0')
        return true;
    const char *runtimeFolder = std::getenv("XDG_RUNTIME_DIR");
    if (!runtimeFolder)
        return false;
    return ownedSocket(std::string(runtimeFolder) + "/bus", getuid());
}

void prepareToolkitEnvironment()
{
    // Qt asks for the session bus to find a screen reader on it. Without a
    // bus, libdbus would try to start one: it looks for dbus-launch in every
    // folder of PATH, and where dbus-x11 is installed leaves a bus daemon of
    // root's running on the display after we have gone. A bus started just
    // for us has no screen reader on it, so nothing is lost by having none:
    // an address of a kind libdbus does not know fails at once and quietly.
    // The refresh shell inherits it; it uses no bus.
    if (!sessionBusReachable())
        setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
    // The tool runs as root: plugins come only from Qt's own folder, never
    // from one that the environment names (kept through `sudo -E`, say),
    // where anyone who can write would have root run their code.
    unsetenv("QT_PLUGIN_PATH");
    unsetenv("QT_QPA_PLATFORM_PLUGIN_PATH");
    // Qt hands back its own handler when none was installed before.
    if (!std::getenv("XDG_RUNTIME_DIR") && !toolkitMessages)
        toolkitMessages = qInstallMessageHandler(withoutRuntimeFolderNotes);
}

std::unique_ptr<QApplication> startToolkit(int &argc, char **argv)
{
    prepareToolkitEnvironment();
    auto application = std::make_unique<QApplication>(argc, argv);
    QApplication::setStyle(new ButtonIconStyle);
    return application;  // NOLINT(clang-analyzer-cplusplus.NewDeleteLeaks): the application owns its style
}

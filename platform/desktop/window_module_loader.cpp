#include "window_module_loader.h"

#include "window_module.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <dlfcn.h>

namespace {

// Found from the executable itself, never from the working folder: the tool
// runs as root, and must not load code from wherever it was started.
QString executableFolder()
{
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section('/', 0, -2);
}

}  // namespace

Platform *loadWindowPlatform(QString &failure)
{
    const QString folder = executableFolder();
    const QStringList candidates = {
        folder + QStringLiteral("/" KESTRUNE_WINDOW_MODULE),
        folder + QStringLiteral("/../" KESTRUNE_INSTALLED_MODULE_DIR "/" KESTRUNE_WINDOW_MODULE),
    };
    for (const QString &path : candidates) {
        if (!QFileInfo::exists(path))
            continue;
        void *module = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            failure = QStringLiteral("cannot load the window module: %1")
                          .arg(QString::fromLocal8Bit(dlerror()));
            return nullptr;
        }
        // Never unloaded: the platform lives until the process ends.
        auto entryPoint = reinterpret_cast<decltype(&kestruneWindowPlatform)>(
            dlsym(module, KESTRUNE_WINDOW_ENTRY_POINT));
        if (!entryPoint) {
            failure = QStringLiteral("%1 has no entry point %2")
                          .arg(path, QStringLiteral(KESTRUNE_WINDOW_ENTRY_POINT));
            return nullptr;
        }
        return entryPoint();
    }
    failure = QStringLiteral("no window module at %1").arg(candidates.join(QStringLiteral(" or ")));
    return nullptr;
}

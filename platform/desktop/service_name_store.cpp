#include "service_name_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

QString serviceNamePath()
{
    // Relative values are invalid by the XDG base directory rules.
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configHome.isEmpty() || QDir::isRelativePath(configHome))
        configHome = QDir::homePath() + QStringLiteral("/.config");
    return configHome + QStringLiteral("/kestrune/service-name");
}

QString storeServiceName(const QByteArray &name)
{
    const QString path = serviceNamePath();
    const QString folder = QFileInfo(path).path();
    if (!QDir().mkpath(folder))
        return QStringLiteral("cannot create the folder %1").arg(folder);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    file.write(name + '\n');
    if (!file.commit())
        return file.errorString();
    return {};
}

std::optional<QByteArray> storedServiceName()
{
    QFile file(serviceNamePath());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray name = file.readAll();
    if (name.endsWith('\n'))
        name.chop(1);
    return name;
}

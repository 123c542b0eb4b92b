#include "button_icon_style.h"

#include <QApplication>
#include <QImageReader>

namespace {

struct ButtonIcon {
    QStyle::StandardPixmap pixmap;
    // What an icon theme calls it, as the style looks for it there.
    const char *themeNames[2];
    // Qt's own images: standardbutton-NAME-SIZE.png among the style's resources.
    const char *builtInName;
};

const ButtonIcon buttonIcons[] = {
    {QStyle::SP_DialogOkButton, {"dialog-ok", nullptr}, "ok"},
    {QStyle::SP_DialogYesButton, {"dialog-ok", nullptr}, "yes"},
    {QStyle::SP_DialogCancelButton, {"dialog-cancel", "process-stop"}, "cancel"},
    {QStyle::SP_DialogNoButton, {"dialog-cancel", "process-stop"}, "no"},
};

bool inIconTheme(const ButtonIcon &icon)
{
    for (const char *name : icon.themeNames) {
        if (name && !QIcon::fromTheme(QLatin1String(name)).isNull())
            return true;
    }
    return false;
}

// Qt's images in the sizes a button's icon of `iconSize` pixels is drawn
// from on the sharpest screen: of the 16, 32 and 128 the style offers, Qt
// takes the first whose size is not smaller than asked, so the larger ones
// are only read where they are needed. Read as PNG with no guessing: then no
// plugin is asked.
QIcon builtInIcon(const char *name, int iconSize)
{
    const qreal asked = iconSize * qApp->devicePixelRatio();
    QIcon icon;
    for (const int size : {16, 32, 128}) {
        QImageReader reader(QStringLiteral(":/qt-project.org/styles/commonstyle/images/"
                                           "standardbutton-%1-%2.png")
                                .arg(QLatin1String(name))
                                .arg(size),
                            "png");
        reader.setAutoDetectImageFormat(false);
        const QImage image = reader.read();
        if (image.isNull())
            return QIcon();
        icon.addPixmap(QPixmap::fromImage(image));
        if (size >= asked)
            break;
    }
    return icon;
}

}  // namespace

QIcon ButtonIconStyle::standardIcon(StandardPixmap pixmap, const QStyleOption *option,
                                    const QWidget *widget) const
{
    // Other styles may draw these icons their own way.
    if (baseStyle()->name() == QLatin1String("fusion")) {
        for (const ButtonIcon &icon : buttonIcons) {
            if (icon.pixmap != pixmap || inIconTheme(icon))
                continue;
            QIcon builtIn =
                builtInIcon(icon.builtInName, pixelMetric(PM_ButtonIconSize, option, widget));
            if (!builtIn.isNull())
                return builtIn;
        }
    }
    return QProxyStyle::standardIcon(pixmap, option, widget);
}

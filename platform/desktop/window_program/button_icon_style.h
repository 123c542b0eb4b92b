// The dialogs' button icons as Qt's Fusion style shows them, found without
// loading every image format plugin: for each of its built-in icon files Qt
// asks all the plugins whether they read PNG, which loads each of them and
// libjpeg, before it reads the file with its own PNG reader.
#pragma once

#include <QProxyStyle>

class ButtonIconStyle : public QProxyStyle {
public:
    // The OK, Cancel, Yes and No icons. The icon theme's own, when it has
    // one, and every other icon still come from the style it stands in for.
    QIcon standardIcon(StandardPixmap pixmap, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
};

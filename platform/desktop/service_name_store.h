// Where the desktop stand-in keeps the operator name that the phone's
// framework would keep: $XDG_CONFIG_HOME/kestrune/service-name, or
// ~/.config/kestrune/service-name, holding the name's bytes and one newline.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

QString serviceNamePath();

// Replaces the stored name atomically: a crash at any moment leaves the old
// name or the new one. Returns the reason when it could not store, else empty.
QString storeServiceName(const QByteArray &name);

// The stored name without its newline, if one is stored and readable.
std::optional<QByteArray> storedServiceName();

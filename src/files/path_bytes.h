// Paths are bytes. Qt holds them as QString and decodes them as UTF-8, which
// turns the bytes of a name that is not UTF-8 into U+FFFD and loses them. Here
// each byte that is not part of valid UTF-8 is kept as the lone surrogate
// U+DC80 + byte instead, and turned back into that very byte on the way to the
// file system, so every path reaches it exactly as given.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace hexpane {

// A path as the file system gave it (argv, a folder listing) to a QString.
QString pathFromBytes(QByteArrayView bytes);

// The bytes to hand to the file system: pathFromBytes' inverse. Every call
// that touches the file system takes its path from here, never from
// QFile::encodeName, which would lose the kept bytes.
QByteArray pathBytes(const QString& path);

// A path as messages show it: kept bytes as \xHH, control and other invisible
// characters as <U+XXXX>, so a name can neither hide nor steer a terminal.
QString shownPath(const QString& path);

}  // namespace hexpane

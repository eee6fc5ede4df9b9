#include "window/name_text.h"

#include <QByteArrayView>
#include <QStringDecoder>

namespace hexpane {

QString nameText(std::string_view bytes) {
    const QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(view);
    if (!utf8.hasError()) return text;
    QStringDecoder cp1251("windows-1251", QStringConverter::Flag::Stateless);
    return cp1251.isValid() ? QString(cp1251(view)) : QString::fromLatin1(view);
}

}  // namespace hexpane

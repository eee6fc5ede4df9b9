#include "window/translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace hexpane {

namespace {

// Loaded into an installed translator, or none.
std::unique_ptr<QTranslator> loaded(const QLocale& locale, const QString& name, const QString& folder) {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(locale, name, QStringLiteral("_"), folder) ||
        !QCoreApplication::installTranslator(translator.get()))
        return nullptr;
    return translator;
}

}  // namespace

bool installTranslation(const QLocale& locale) {
    static std::unique_ptr<QTranslator> own, toolkit;
    own.reset();  // a translator removes itself when it goes
    toolkit.reset();
    own = loaded(locale, QStringLiteral("hexpane"), QStringLiteral(":/translations"));
    if (!own) return false;
    toolkit = loaded(locale, QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    return true;
}

}  // namespace hexpane

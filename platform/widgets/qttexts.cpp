#include "qttexts.h"

#include <QCoreApplication>
#include <QDebug>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace quorvane::platform {

bool installGermanQtTexts(QCoreApplication &app)
{
    if (QLocale::system().language() != QLocale::German)
        return false;
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto *translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_de"), folder)) {
        delete translator;
        qWarning().noquote() << QStringLiteral("Qts deutsche Texte (qtbase_de) fehlen in %1").arg(folder);
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace quorvane::platform

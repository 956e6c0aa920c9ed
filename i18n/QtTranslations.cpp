#include "i18n/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMetaEnum>
#include <QPointer>
#include <QTranslator>

namespace tessel {

bool UseQtTranslations(const QString &language)
{
    static QPointer<QTranslator> installed;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
    }
    // The message table compares language names without regard to case.
    QString name = language.toLower();
    if (!name.isEmpty())
        name[0] = name.at(0).toUpper();
    bool known = false;
    const int code = QMetaEnum::fromType<QLocale::Language>().keyToValue(name.toLatin1().constData(), &known);
    if (!known)
        return false;
    // The file dialog's dates, sizes and file type descriptions follow the
    // default locale.
    QLocale::setDefault(QLocale(QLocale::Language(code)));
    if (code == QLocale::English || !QCoreApplication::instance())
        return false;
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QLocale(QLocale::Language(code)), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}

} // namespace tessel

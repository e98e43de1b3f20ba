#include "platform/chinese_conventions.h"
#include <QCollator>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <algorithm>

namespace platform {

namespace {

QLocale chinese()
{
    return QLocale(QLocale::Chinese, QLocale::SimplifiedHanScript, QLocale::China);
}

const QCollator& nameCollator()
{
    // Made once: a collator is costly to create, and the order never changes during a run.
    static const QCollator collator = [] {
        QCollator c(chinese());
        c.setNumericMode(true);
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

} // namespace

void useChineseConventions()
{
    QLocale::setDefault(chinese());
}

bool installQtChineseTranslations(QCoreApplication& application)
{
    // qt_zh_CN pulls in the translations of every Qt module installed (qtbase: dialogs and
    // buttons); qtbase_zh_CN alone is the fall-back when the meta file is missing.
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(&application);
    if (translator->load(chinese(), QStringLiteral("qt"), QStringLiteral("_"), folder)
        || translator->load(chinese(), QStringLiteral("qtbase"), QStringLiteral("_"), folder)) {
        QCoreApplication::installTranslator(translator);
        return true;
    }
    delete translator;
    return false;
}

bool nameLess(const QString& a, const QString& b)
{
    return nameCollator().compare(a, b) < 0;
}

void sortNames(QStringList& names)
{
    std::stable_sort(names.begin(), names.end(), nameLess);
}

} // namespace platform

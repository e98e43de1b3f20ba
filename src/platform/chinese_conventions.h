#pragma once
#include <QString>
#include <QStringList>

class QCoreApplication;

// The program reads and shows dates, numbers and names as a Chinese shop expects, whatever
// locale the desktop session runs in.
namespace platform {

// Makes Chinese (China) the process's default locale (QLocale()): "." as the decimal point,
// Chinese names of days and months, Chinese collation. Call it once, before any window.
void useChineseConventions();

// Loads Qt's own Chinese translations (message-box buttons, file dialogs, context menus of
// text fields) into the application; false when the translation files are not installed.
bool installQtChineseTranslations(QCoreApplication& application);

// True when a sorts before b in Chinese name order: pinyin where the platform's collation
// offers it, digits by value ("2号" before "10号").
bool nameLess(const QString& a, const QString& b);
void sortNames(QStringList& names);

} // namespace platform

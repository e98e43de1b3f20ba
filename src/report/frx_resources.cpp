#include "report/frx_resources.h"

#include <QFile>
#include <QStringView>
#include <QtDebug>

namespace {

const char* const builtInPath = ":/report/frx_resources.txt";

QString builtInText()
{
    QFile file(QString::fromLatin1(builtInPath));
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("TfrxResources: built-in text %s is missing", builtInPath);
        return {};
    }
    QString text = QString::fromUtf8(file.readAll());
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

} // namespace

TfrxResources& TfrxResources::instance()
{
    static TfrxResources table;
    return table;
}

TfrxResources::TfrxResources()
{
    texts_.reserve(160);
    AddStrings(builtInText());
}

QString TfrxResources::lookup(const QString& foldedKey, const QString& original) const
{
    const auto it = texts_.constFind(foldedKey);
    return it == texts_.cend() ? original : *it;
}

QString TfrxResources::Get(const QString& key) const
{
    // toLower() hands back the same shared string when nothing changes.
    return lookup(key.toLower(), key);
}

QString TfrxResources::Get(int key) const
{
    const QString text = QString::number(key);
    return lookup(text, text);
}

void TfrxResources::Add(const QString& key, const QString& value)
{
    texts_.insert(key.toLower(), value.startsWith(u'!') ? value.mid(1) : value);
}

void TfrxResources::AddStrings(const QString& text)
{
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QStringView trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u';'))
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        const QStringView key = line.left(eq).trimmed();
        if (key.isEmpty())
            continue;
        Add(key.toString(), line.mid(eq + 1).toString());
    }
}

QString frxGet(int key)
{
    return TfrxResources::instance().Get(key);
}

QString frxGet(const QString& key)
{
    return TfrxResources::instance().Get(key);
}

#include "report/calc/frx_script_language.h"

#include "report/frx_resources.h"

namespace report {

namespace {

struct Wrapper {
    QString prefix, suffix;
};

Wrapper wrapperOf(ScriptLanguageKind language, int number)
{
    const QString name = QStringLiteral("fr3f") + QString::number(number);
    switch (language) {
    case ScriptLanguageKind::PascalScript:
        return {QStringLiteral("function ") + name + QStringLiteral(": Variant; begin Result := "),
                QStringLiteral(" end; begin end.")};
    case ScriptLanguageKind::CppScript:
        return {QStringLiteral("Variant ") + name + QStringLiteral("() { return "), QStringLiteral("; } {}")};
    case ScriptLanguageKind::BasicScript:
        return {QStringLiteral("function ") + name + QStringLiteral("\r\nreturn "), QStringLiteral("\r\nend function")};
    case ScriptLanguageKind::JScript:
        return {QStringLiteral("function ") + name + QStringLiteral("() { return "), QStringLiteral("; }")};
    case ScriptLanguageKind::Other:
        break;
    }
    return {};
}

// Skips blanks and the comments of the language; returns the new position.
qsizetype skipBlanks(const QString& s, qsizetype i, bool pascal)
{
    while (i < s.size()) {
        if (s[i].isSpace()) {
            ++i;
        } else if (s.mid(i, 2) == QLatin1StringView("//")) {
            while (i < s.size() && s[i] != u'\n')
                ++i;
        } else if (pascal && s[i] == u'{') {
            const qsizetype end = s.indexOf(u'}', i);
            i = end < 0 ? s.size() : end + 1;
        } else if (s.mid(i, 2) == (pascal ? QLatin1StringView("(*") : QLatin1StringView("/*"))) {
            const qsizetype end = s.indexOf(pascal ? QLatin1StringView("*)") : QLatin1StringView("*/"), i + 2);
            i = end < 0 ? s.size() : end + 2;
        } else {
            break;
        }
    }
    return i;
}

// Matches the words of the empty main block one after the other, blanks between them.
bool matchWords(const QString& s, qsizetype& i, const QStringList& words, bool pascal)
{
    for (const QString& w : words) {
        i = skipBlanks(s, i, pascal);
        if (s.mid(i, w.size()).compare(w, Qt::CaseInsensitive) != 0)
            return false;
        i += w.size();
    }
    return true;
}

} // namespace

ScriptLanguageKind scriptLanguageOf(const QString& name)
{
    static const char* const names[] = {"PascalScript", "C++Script", "BasicScript", "JScript"};
    for (int i = 0; i < 4; ++i)
        if (name.compare(QLatin1StringView(names[i]), Qt::CaseInsensitive) == 0)
            return ScriptLanguageKind(i);
    return ScriptLanguageKind::Other;
}

QString wrapExpression(ScriptLanguageKind language, int number, const QString& expression)
{
    const Wrapper w = wrapperOf(language, number);
    return w.prefix + expression + w.suffix;
}

QString unwrapExpression(ScriptLanguageKind language, int number, const QString& program)
{
    const Wrapper w = wrapperOf(language, number);
    if (program.size() < w.prefix.size() + w.suffix.size() || !program.startsWith(w.prefix)
        || !program.endsWith(w.suffix))
        return {};
    return program.mid(w.prefix.size(), program.size() - w.prefix.size() - w.suffix.size());
}

QString checkScriptText(ScriptLanguageKind language, const QStringList& text)
{
    const QString s = text.join(u'\n');
    const bool pascal = language == ScriptLanguageKind::PascalScript || language == ScriptLanguageKind::Other;
    qsizetype i = skipBlanks(s, 0, pascal);
    if (i < s.size()) {
        qsizetype j = i;
        bool ok = false;
        if (pascal)
            ok = matchWords(s, j, {QStringLiteral("begin"), QStringLiteral("end"), QStringLiteral(".")}, true);
        else if (language == ScriptLanguageKind::CppScript)
            ok = matchWords(s, j, {QStringLiteral("{"), QStringLiteral("}")}, false);
        // "begin" must be a word of its own, not the start of "beginning".
        const bool whole = !pascal || s.size() <= i + 5 || !s[i + 5].isLetterOrNumber();
        if (ok)
            j = skipBlanks(s, j, pascal);
        if (ok && whole && j >= s.size())
            return {};
        if (whole)
            i = j; // the first thing that is not part of the empty block
        const qsizetype lineStart = i == 0 ? 0 : s.lastIndexOf(u'\n', i - 1) + 1;
        const int line = int(s.left(i).count(u'\n')) + 1;
        const int column = int(i - lineStart) + 1;
        QString message = frxGet(QStringLiteral("clScrError"));
        const QString where = QStringLiteral("%1:%2").arg(line).arg(column);
        qsizetype at = message.indexOf(QLatin1StringView("%s"));
        if (at >= 0) {
            message.replace(at, 2, where);
            at = message.indexOf(QLatin1StringView("%s"), at + where.size());
            if (at >= 0)
                message.replace(at, 2, QStringLiteral("statements are not supported"));
        }
        return message;
    }
    return {};
}

} // namespace report

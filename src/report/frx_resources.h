#pragma once

// The report engine's text table: every user-interface text and message of the engine
// (preview, print dialog, page settings, find dialog, progress window, engine errors),
// looked up by key. Keys are numbers ("101") or names ("clPageOf").

#include <QHash>
#include <QString>

class TfrxResources {
public:
    // The one table of the process, made and filled from the built-in text on first use.
    static TfrxResources& instance();

    // The text of a key, ignoring letter case. A key that is not in the table returns the
    // key itself; a text that begins with "!" is returned without it.
    QString Get(const QString& key) const;
    // A numeric key, looked up as its decimal text.
    QString Get(int key) const;

    // Adds a text; an existing key (in any letter case) gets the new text.
    void Add(const QString& key, const QString& value);
    // Adds every "key=value" line of a text. The line is split at its first "="; blank lines,
    // lines starting with ";" and lines without "=" or without a key are skipped.
    void AddStrings(const QString& text);

    TfrxResources(const TfrxResources&) = delete;
    TfrxResources& operator=(const TfrxResources&) = delete;

private:
    TfrxResources();
    QString lookup(const QString& foldedKey, const QString& original) const;

    // Lower-cased key -> text as returned (the leading "!" already removed). Reads may come
    // from anywhere; Add and AddStrings belong to the user-interface thread.
    QHash<QString, QString> texts_;
};

// Shorthands for TfrxResources::instance().Get(key).
QString frxGet(int key);
QString frxGet(const QString& key);

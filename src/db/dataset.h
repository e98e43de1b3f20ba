#pragma once
#include "db/field.h"
#include <QObject>
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

namespace db { class Engine; }

namespace db {

class Connection;
namespace detail { class RowStore; class Statement; class StatementCache; }

// A query with its client-side result set: the one current row and one state (browse,
// edit, insert) are shared by everything bound to it. Grids, edits and navigators observe
// the signals below instead of keeping copies.
//
// Every failure is a DbError whose text is prefixed with the dataset's name.
class Dataset : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    Dataset(QString name, Connection* connection, QObject* parent = nullptr);
    ~Dataset() override;

    const QString& name() const { return name_; }
    Connection* connection() const { return connection_; }

    // --- statement text: close, clear, add one line, open or execute ---
    void clearSql() { sql_.clear(); }
    void addSql(const QString& line) { sql_.append(line); }
    QString sqlText() const { return sql_.join(QLatin1Char('\n')); }

    // A fixed field list: open() fails with "Field '%s' not found" when the statement does
    // not return one of them, and only these fields are shown. Empty: whatever the statement returns.
    void setFixedFields(const QStringList& names) { fixedFields_ = names; }

    void open();
    // Posts a pending edit or insert first (see postPending); a failed post leaves the
    // dataset open, the row as it was, and throws.
    void close();
    bool active() const { return state_ != State::Inactive; }
    // Runs the statement text as a statement that returns no rows; the dataset stays closed.
    int execSql();
    // Re-runs the statement, keeping the current row where it can.
    void refresh();

    // --- result set ---
    const QList<FieldDef>& fields() const { return fields_; }
    int fieldIndex(const QString& name) const;  // -1 when missing, case-insensitive
    const FieldDef& field(const QString& name) const; // throws "Field '%s' not found"
    QString tableName() const { return table_; }

    int recordCount() const;
    int currentRow() const { return current_; } // -1 when there are no rows
    bool isEmpty() const { return recordCount() == 0; }
    bool bof() const { return bof_; }
    bool eof() const { return eof_; }
    void first();
    void last();
    void next();
    void prior();
    void moveBy(int distance);
    void setCurrentRow(int row);

    // Values of the current row (of the edit buffer while editing or inserting).
    QVariant value(const QString& name) const; // null QVariant for a null value
    bool isNull(const QString& name) const;
    // The current row's value as it was before the edit began (null for a new row).
    QVariant storedValue(const QString& name) const;
    // Strict conversions: a null value is an error, as is text that is not a number.
    QString asString(const QString& name) const;
    int asInteger(const QString& name) const;
    double asFloat(const QString& name) const;
    // The text a grid cell or edit shows for the current row.
    QString displayText(const QString& name) const;

    // Values of any row, by field position, for grids drawing rows that are not current.
    QVariant valueAt(int row, int fieldIndex) const;
    QString displayTextAt(int row, int fieldIndex) const;

    // --- editing ---
    State state() const { return state_; }
    bool modified() const { return modified_; }
    // Rows can be written back: the result comes from one table and holds its key.
    bool canModify() const { return active() && !table_.isEmpty() && keyField_ >= 0; }
    // Posts a modified row, drops an untouched one; nothing in browse state.
    void checkBrowseMode();
    // checkBrowseMode before the rows go away (close, re-run): what the operator typed is
    // posted as a move to another row would post it. A failed post keeps the row and its
    // text and throws UnsavedEditError naming the dataset and the cause.
    void postPending();
    bool editing() const { return state_ == State::Edit || state_ == State::Insert; }
    // Called by a bound editor, during aboutToPost, whose text the field refused: the post
    // (or the move that started it) then fails with this message and the row stays as it is.
    void refuseHandOver(const QString& message) { refusal_ = message; }
    // Puts a value into the edit buffer; fails outside edit or insert mode and for read-only
    // fields. A null QVariant stores null.
    void setValue(const QString& name, const QVariant& value);
    // Converts the text an operator typed to the field's type (empty text is null).
    void setText(const QString& name, const QString& text);

    void insert();  // new row before the current one
    void append();  // new row after the last one
    void edit();
    void post();
    void cancel();
    void remove();  // deletes the current row from its table

    // --- events of the owner (a throwing handler ends the operation that ran it) ---
    // afterInsert fills in defaults: they do not count as a change (see checkBrowseMode).
    std::function<void(Dataset&)> afterInsert;
    std::function<void(Dataset&)> beforeDelete;
    std::function<void(Dataset&)> afterDelete;
    // Runs in post() once the bound editors have handed their text over, before the row is
    // written: a handler may still set values of the row.
    std::function<void(Dataset&)> beforePost;
    std::function<void(Dataset&)> afterPost;

signals:
    void opened();               // a new result set (fields and rows)
    void closed();
    void rowsChanged();          // rows inserted, removed or rewritten
    void currentChanged(int row);
    void stateChanged(db::Dataset::State state);
    void fieldChanged(int fieldIndex); // a value of the current row's edit buffer changed
    void aboutToPost();          // bound editors hand over the text they hold

private:
    // dataset.cpp: failures and the connection.
    [[noreturn]] void fail(const QString& message) const;
    void requireActive() const;
    int requireField(const QString& name) const;
    QString rowName() const;
    [[noreturn]] void refuseStalePost(qint64 key);
    Engine* liveHandle() const;
    // dataset_values.cpp: a row's value as read, ignoring the edit buffer.
    QVariant storedAt(int row, int fieldIndex) const;
    // dataset_navigation.cpp
    void moveTo(int row);
    // dataset_editing.cpp: the edit states.
    void requireEditing() const;
    void requireWritable() const;
    // The field a value may be put into: editing, and the field is not read-only.
    int requireModifiableField(const QString& name) const;
    void storeInBuffer(int field, const QVariant& value);
    void throwRefusal();
    // The rows may have changed and the state with them: everything bound hears of both.
    void enterState(State state);
    void beginInsert(bool atEnd);
    void checkTextSizes() const;
    // dataset_write_back.cpp: the edited row written to its table by key, and read back.
    void postInsert();
    void postUpdate();
    void deleteRow(qint64 key);
    void reloadRow(int row, qint64 key);
    detail::Statement& writeStatement(const QString& sql);

    QString name_;
    Connection* connection_;
    QStringList sql_;
    QStringList fixedFields_;
    QList<FieldDef> fields_;
    QString table_;
    int keyField_ = -1;               // field holding the table's key, -1 when not writable
    bool allTableColumns_ = false;    // every field is a column of the table: a posted row is read back
    std::unique_ptr<detail::RowStore> rows_;
    std::unique_ptr<detail::StatementCache> writeStatements_;
    int current_ = -1;
    bool bof_ = true;
    bool eof_ = true;
    State state_ = State::Inactive;
    bool modified_ = false;
    QList<QVariant> buffer_;          // edit buffer while editing or inserting
    QString refusal_;                 // a bound editor's refused text, during a hand-over
};

} // namespace db

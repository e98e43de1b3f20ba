// Evaluating a compiled report expression over an in-memory data source, against muparser
// evaluating the same arithmetic with bound variables, in one run.
//
// The data source is a stand-in for the engine's: rows of values and a current row, its
// fields reached through the resolver interface the engine implements (a reference in angle
// brackets compiles to an operand that reads the field of the current row). Every
// evaluation moves to the next row, in both loops.
#include "report/format/frx_display_format.h"
#include "report/script/frx_brackets.h"
#include "report/script/frx_expression.h"
#include "report/value/frx_value.h"

#include <muParser.h>

#include "best_rate.h"

#include <QElapsedTimer>
#include <QHash>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRows = 1024; // a power of two: the row wraps with a mask
constexpr int kRepeats = 5;
constexpr qint64 kEvaluations = 4'000'000;

struct MemoryDataSet {
    QString userName;
    QStringList fields;
    std::vector<report::Value> cells; // row-major
    int row = 0;

    const report::Value& at(int field) const { return cells[std::size_t(row * fields.size() + field)]; }
    void next() { row = (row + 1) & (kRows - 1); }
};

class FieldOperand final : public report::Operand {
public:
    FieldOperand(const MemoryDataSet* ds, int field) : ds_(ds), field_(field) {}
    report::Value evaluate() const override { return ds_->at(field_); }

private:
    const MemoryDataSet* ds_;
    int field_;
};

// Resolves data references "Source."Field"" as the engine's first resolution step does.
class DataResolver final : public report::NameResolver {
public:
    explicit DataResolver(const MemoryDataSet* ds) : ds_(ds) {}

    report::OperandPtr resolveReference(const QString& text) override
    {
        const qsizetype mark = text.indexOf(QLatin1String(".\""));
        if (mark < 0 || text.left(mark).compare(ds_->userName, Qt::CaseInsensitive) != 0)
            return nullptr;
        const QString field = text.mid(mark + 2).chopped(1);
        for (int i = 0; i < ds_->fields.size(); ++i)
            if (ds_->fields[i].compare(field, Qt::CaseInsensitive) == 0)
                return std::make_unique<FieldOperand>(ds_, i);
        return nullptr;
    }

private:
    const MemoryDataSet* ds_;
};

} // namespace

int main()
{
    MemoryDataSet ds;
    ds.userName = QStringLiteral("ds");
    ds.fields = {QStringLiteral("A"), QStringLiteral("B")};
    std::vector<double> columnA, columnB;
    for (int i = 0; i < kRows; ++i) {
        columnA.push_back(1 + i % 17);
        columnB.push_back(0.5 + (i % 101) * 1.25);
        ds.cells.emplace_back(columnA.back());
        ds.cells.emplace_back(columnB.back());
    }
    DataResolver resolver(&ds);
    const report::Expression expression =
        report::compileExpression(u"<ds.\"A\"> * <ds.\"B\"> + 1", resolver);

    double checksum = 0;
    const double ours = bestRate(kRepeats, kEvaluations, [&](qint64 n) {
        double sum = 0;
        for (qint64 i = 0; i < n; ++i) {
            sum += expression.evaluate().doubleValue();
            ds.next();
        }
        checksum += sum;
    });

    // Integers in A (as quantities are): the mixed integer-times-floating path.
    MemoryDataSet mixed = ds;
    for (int i = 0; i < kRows; ++i)
        mixed.cells[std::size_t(i * 2)] = report::Value(1 + i % 17);
    DataResolver mixedResolver(&mixed);
    const report::Expression mixedExpression =
        report::compileExpression(u"<ds.\"A\"> * <ds.\"B\"> + 1", mixedResolver);
    const double oursMixed = bestRate(kRepeats, kEvaluations, [&](qint64 n) {
        double sum = 0;
        for (qint64 i = 0; i < n; ++i) {
            sum += mixedExpression.evaluate().doubleValue();
            mixed.next();
        }
        checksum += sum;
    });

    double a = 0, b = 0;
    mu::Parser parser;
    parser.DefineVar("a", &a);
    parser.DefineVar("b", &b);
    parser.SetExpr("a*b+1");
    const double theirs = bestRate(kRepeats, kEvaluations, [&](qint64 n) {
        double sum = 0;
        int row = 0;
        for (qint64 i = 0; i < n; ++i) {
            a = columnA[std::size_t(row)];
            b = columnB[std::size_t(row)];
            sum += parser.Eval();
            row = (row + 1) & (kRows - 1);
        }
        checksum += sum;
    });

    // A bracket of a text object: find it, look its compiled expression up by text (as the
    // expression cache does), evaluate, and convert the value to text.
    QHash<QString, report::Expression> cache;
    const report::Delimiters brackets;
    const report::DisplayFormat plain;
    const QString memoText = QStringLiteral("[<ds.\"A\"> * <ds.\"B\">]");
    const double expansions = bestRate(kRepeats, kEvaluations / 8, [&](qint64 n) {
        qint64 length = 0;
        for (qint64 i = 0; i < n; ++i) {
            const QString out = report::expandBrackets(memoText, brackets, [&](const QString& e) {
                auto it = cache.find(e);
                if (it == cache.end())
                    it = cache.insert(e, report::compileExpression(e, resolver));
                return report::formatDisplayValue(it->evaluate(), plain);
            });
            length += out.size();
            ds.next();
        }
        checksum += double(length);
    });

    std::printf("compiled evaluations of <ds.\"A\"> * <ds.\"B\"> + 1 (floating fields): %.0f/s (goal >= 5000000/s)\n", ours);
    std::printf("compiled evaluations of <ds.\"A\"> * <ds.\"B\"> + 1 (integer times floating): %.0f/s\n", oursMixed);
    std::printf("muparser evaluations of a*b+1 with bound variables: %.0f/s\n", theirs);
    std::printf("ratio muparser / report expression: %.2f (goal <= 3)\n", theirs / ours);
    std::printf("bracket expansions of [<ds.\"A\"> * <ds.\"B\">] with text conversion (stand-in cache): %.0f/s (goal >= 1000000/s)\n",
                expansions);
    std::fprintf(stderr, "checksum %.0f\n", checksum);
    return 0;
}

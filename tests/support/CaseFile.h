#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <ostream>
#include <string>

namespace tessel::test {

// Case files: "# ..." lines are comments. A case of a block file starts with
// "== title" and holds fields, "name: value", whose lines below (up to the next
// field, case or blank line) belong to it when its rule takes lines. A table
// holds a case a line, its columns parted by " | ", "^" in the first column
// repeating the one above. Escapes: \r \n \t \b \0 \\ \xHH \uHHHH, \{N}c for N
// times c, and \z at the end of a line of lines: no line break after it. In
// text \xHH is U+00HH; in bytes it is the byte HH and the rest is UTF-8.

struct FieldRule
{
    enum Need {
        Optional,
        Required,
        Repeats
    };
    FieldRule(const QString &name, Need need = Optional, const QStringList &allowed = {}, bool list = false,
              const char *lineEnd = nullptr)
        : name(name)
        , need(need)
        , allowed(allowed)
        , list(list)
        , lineEnd(lineEnd)
    { }
    QString name;
    Need need;
    QStringList allowed; // the values the field may have; empty: any
    bool list; // the value is a blank-parted list of allowed values
    const char *lineEnd; // set: the field takes the lines below it, each ended so
};

struct Decoded
{
    QString text;
    QByteArray bytes;
    QString error;
};
Decoded decodeEscapes(QStringView raw);

struct CaseField
{
    QString name;
    QString value; // as written
    QString lines; // as written, each with its line end
    int line = 0;
    QString text() const { return decodeEscapes(QString(value + lines)).text; } // the value, then the lines
};

struct Case
{
    QString title;
    QString where; // file:line of the title or row
    QList<CaseField> fields;
    QString error; // the first slip of the case, with its file and line; the case fails on it

    const CaseField *field(const QString &name) const;
    bool has(const QString &name) const { return field(name) != nullptr; }
    QString text(const QString &name, const QString &missing = {}) const;
    QString testName() const; // the title in [A-Za-z0-9_]
};

// Names each test of a suite over cases by its case.
struct CaseName
{
    template<typename Info>
    std::string operator()(const Info &info) const
    {
        return info.param.testName().toStdString();
    }
};

inline void PrintTo(const Case &c, std::ostream *out)
{
    *out << c.where.toStdString();
}

// The cases of the block file at path (relative to the sources), its fields checked against rules.
QList<Case> readCases(const QString &path, const QList<FieldRule> &rules);

// The rows of the table at path, each laid out by the first layout whose
// column count and "=word" columns it matches; a layout's other entries name its columns.
QList<Case> readTable(const QString &path, const QList<QStringList> &layouts);

} // namespace tessel::test

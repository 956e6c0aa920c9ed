#include "tests/support/CaseFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include "tests/support/TestFiles.h"

namespace tessel::test {

using namespace Qt::StringLiterals;

Decoded decodeEscapes(QStringView raw)
{
    Decoded out;
    QString pending; // text not yet in bytes, which takes it as UTF-8
    const auto append = [&](const QString &text) {
        out.text += text;
        pending += text;
    };
    for (qsizetype i = 0; i < raw.size() && out.error.isEmpty(); ++i) {
        if (raw[i] != u'\\') {
            append(raw[i]);
            continue;
        }
        const qsizetype start = i;
        const QChar kind = ++i < raw.size() ? raw[i] : QChar();
        static const QString simple = u"rntb0\\"_s, meaning = u"\r\n\t\b"_s + QChar(0) + u'\\';
        bool ok = true;
        if (simple.contains(kind)) {
            append(meaning[simple.indexOf(kind)]);
        } else if (kind == u'x' || kind == u'u') {
            const int width = kind == u'x' ? 2 : 4;
            const ushort code = raw.mid(i + 1, width).toUShort(&ok, 16);
            ok = ok && raw.mid(i + 1, width).size() == width;
            i += width;
            if (ok && kind == u'x') {
                out.bytes += pending.toUtf8() + char(code);
                pending.clear();
                out.text += QChar(code);
            } else if (ok) {
                append(QChar(code));
            }
        } else if (kind == u'{') {
            const qsizetype close = raw.indexOf(u'}', i);
            const int count = close < 0 ? 0 : raw.sliced(i + 1, close - i - 1).toInt(&ok);
            ok = ok && close >= 0 && close + 1 < raw.size();
            if (ok)
                append(QString(raw[close + 1]).repeated(count));
            i = close + 1;
        } else {
            ok = false;
        }
        if (!ok)
            out.error = u"an escape it cannot read: "_s + raw.sliced(start).left(8);
    }
    out.bytes += pending.toUtf8();
    return out;
}

const CaseField *Case::field(const QString &name) const
{
    for (const CaseField &f : fields)
        if (f.name == name)
            return &f;
    return nullptr;
}

QString Case::text(const QString &name, const QString &missing) const
{
    const CaseField *f = field(name);
    return f ? f->text() : missing;
}

QString Case::testName() const
{
    static const QRegularExpression other(u"[^A-Za-z0-9_]+"_s);
    const QString name = QString(title).replace(other, u"_"_s);
    return name.isEmpty() ? u"untitled"_s : name;
}

namespace {

// The lines of the file at path, or a case that fails naming it.
std::optional<QStringList> lines(const QString &path, QList<Case> &cases)
{
    QFile file(sourceDir() + u'/' + path);
    if (file.open(QIODevice::ReadOnly))
        return QString::fromUtf8(file.readAll()).split(u'\n');
    cases.append({u"unreadable"_s, path, {}, path + u": cannot be read"_s});
    return std::nullopt;
}

void fail(Case &c, const QString &path, int line, const QString &why)
{
    if (c.error.isEmpty())
        c.error = path + u':' + QString::number(line) + u": "_s + why;
}

// Two cases of a file with one test name: the later one fails and gets a name of its own.
void checkNames(QList<Case> &cases, const QString &path)
{
    QSet<QString> names;
    for (Case &c : cases) {
        if (names.contains(c.testName())) {
            fail(c, path, c.where.section(u':', -1).toInt(), u"another case has this title"_s);
            c.title += u" at "_s + c.where.section(u':', -1);
        }
        names.insert(c.testName());
    }
}

} // namespace

QList<Case> readCases(const QString &path, const QList<FieldRule> &rules)
{
    static const QRegularExpression fieldLine(u"^([A-Za-z][\\w-]*):(?: (.*))?$"_s);
    QList<Case> cases;
    const auto text = lines(path, cases);
    const FieldRule *taking = nullptr; // the rule of the field that takes the lines below
    for (int number = 1; text && number <= text->size(); ++number) {
        const QString &line = text->at(number - 1);
        const auto slip = [&](const QString &why) {
            if (cases.isEmpty())
                cases.append({u"before_the_first_case"_s, path + u":1"_s, {}, {}});
            fail(cases.last(), path, number, why);
        };
        if (line.startsWith(u'#'))
            continue;
        if (line.isEmpty()) {
            taking = nullptr;
        } else if (line.startsWith(u"== "_s)) {
            cases.append({line.mid(3).trimmed(), path + u':' + QString::number(number), {}, {}});
            taking = nullptr;
        } else if (const auto match = fieldLine.match(line); match.hasMatch() && !cases.isEmpty()) {
            const auto rule = std::find_if(rules.begin(), rules.end(),
                                           [&](const FieldRule &r) { return r.name == match.captured(1); });
            taking = nullptr;
            if (rule == rules.end()) {
                slip(u"unknown field "_s + match.captured(1));
                continue;
            }
            if (rule->need != FieldRule::Repeats && cases.last().has(rule->name))
                slip(u"a second "_s + rule->name);
            const QString value = match.captured(2);
            for (const QString &word :
                 rule->list ? value.split(u' ', Qt::SkipEmptyParts) : QStringList{value})
                if (!rule->allowed.isEmpty() && !rule->allowed.contains(word))
                    slip(rule->name + u": \""_s + word + u"\" is not one of "_s
                         + rule->allowed.join(u", "_s));
            cases.last().fields.append({rule->name, value, {}, number});
            taking = rule->lineEnd ? &*rule : nullptr;
        } else if (taking) {
            const bool open = line.endsWith(u"\\z"_s) && !line.endsWith(u"\\\\z"_s);
            cases.last().fields.last().lines +=
                open ? line.chopped(2) : line + QLatin1String(taking->lineEnd);
        } else {
            slip(u"a line that is no case, field or line of a field: "_s + line.left(40));
        }
        if (!cases.isEmpty() && !cases.last().fields.isEmpty()) {
            const CaseField &last = cases.last().fields.last();
            if (const Decoded decoded = decodeEscapes(QString(last.value + last.lines));
                !decoded.error.isEmpty())
                slip(decoded.error);
        }
    }
    for (Case &c : cases)
        for (const FieldRule &rule : rules)
            if (rule.need == FieldRule::Required && !c.has(rule.name))
                fail(c, path, c.where.section(u':', -1).toInt(), u"no "_s + rule.name + u':');
    if (text && cases.isEmpty())
        cases.append({u"no_case"_s, path, {}, path + u": holds no case"_s});
    checkNames(cases, path);
    return cases;
}

QList<Case> readTable(const QString &path, const QList<QStringList> &layouts)
{
    QList<Case> cases;
    const auto text = lines(path, cases);
    QString above;
    for (int number = 1; text && number <= text->size(); ++number) {
        const QString &line = text->at(number - 1);
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        Case row{QFileInfo(path).baseName() + u'_' + QString::number(number),
                 path + u':' + QString::number(number),
                 {},
                 {}};
        QStringList columns = line.split(u" |"_s);
        for (qsizetype i = 1; i < columns.size(); ++i)
            columns[i].remove(0, columns[i].startsWith(u' ') ? 1 : 0);
        if (columns[0] == u"^" && above.isNull())
            fail(row, path, number, u"^ with no row above"_s);
        above = columns[0] = columns[0] == u"^" ? above : columns[0];
        const auto fits = [&](const QStringList &layout) {
            for (qsizetype i = 0; i < layout.size(); ++i)
                if (layout[i].startsWith(u'=') && columns.value(i) != layout[i].mid(1))
                    return false;
            return layout.size() == columns.size();
        };
        const auto layout = std::find_if(layouts.begin(), layouts.end(), fits);
        if (layout == layouts.end())
            fail(row, path, number, u"a row no layout fits (%1 columns)"_s.arg(columns.size()));
        for (qsizetype i = 0; i < columns.size(); ++i) {
            const QString name = layout == layouts.end() ? QString::number(i) : layout->at(i);
            row.fields.append({name.startsWith(u'=') ? u"op"_s : name, columns[i], {}, number});
            if (const QString error = decodeEscapes(columns[i]).error; !error.isEmpty())
                fail(row, path, number, error);
        }
        cases.append(row);
    }
    if (text && cases.isEmpty())
        cases.append({u"no_case"_s, path, {}, path + u": holds no row"_s});
    return cases;
}

} // namespace tessel::test

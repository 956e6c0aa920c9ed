#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "registry/ProfileStore.h"
#include "tests/support/QtPrinting.h"
#include "tests/support/TestFiles.h"

namespace tessel::test {

using namespace Qt::StringLiterals;

// Bytes as text for failure messages.
inline std::string Escaped(const QByteArray &bytes)
{
    return bytes.toPercentEncoding(" []=;\"'<>_,.").toStdString();
}

// A field of a case file with \r \n \t \0 \\ replaced, and \xHH or \uHHHH by
// the character of that code (a file's bytes are the codes of its characters).
inline QString Unescape(QStringView text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i] == u'\\' && i + 1 < text.size() ? text[++i] : QChar();
        const int width = c == u'x' ? 2 : c == u'u' ? 4 : 0;
        if (width)
            out += QChar(text.sliced(i + 1, width).toUShort(nullptr, 16));
        else if (c.isNull())
            out += text[i];
        else
            out += c == u'r' ? u'\r' : c == u'n' ? u'\n' : c == u't' ? u'\t' : c == u'0' ? QChar(0) : c;
        i += width;
    }
    return out;
}

// A line of a case file of golden/: its fields, parted by " | "; a first field
// "^" stands for that of the line above. Lines starting with # are comments.
struct Case
{
    std::string where;
    QStringList fields;
};

inline std::vector<Case> ReadCases(const char *name)
{
    QFile file(sourceDir() + u"/tests/registry/golden/" + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text)) << name;
    std::vector<Case> cases;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    for (int number = 1; number <= lines.size(); ++number) {
        QStringList fields = lines[number - 1].split(u" |"_s);
        for (qsizetype i = 1; i < fields.size(); ++i)
            fields[i].remove(0, fields[i].startsWith(u' ') ? 1 : 0);
        if (fields[0] == u"^")
            fields[0] = cases.back().fields[0];
        if (fields.size() > 1 && !fields[0].startsWith(u'#'))
            cases.push_back({name + (':' + std::to_string(number)), fields});
    }
    return cases;
}

// The names of a list result of the store, in order.
inline QStringList SplitNameList(const QString &list)
{
    return list.isEmpty() ? QStringList() : list.chopped(1).split(ListSeparator);
}

// A fresh folder for the files of one test.
class TempDirTest : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString fileWith(const QByteArray &bytes, const QString &name = u"TEST.INI"_s) const
    {
        writeBytes(path(name), bytes);
        return path(name);
    }

    QTemporaryDir m_dir;
};

} // namespace tessel::test

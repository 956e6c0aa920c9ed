// Runs the recorded facts about the platform's profile functions, when the
// collection is present beside the sources, against the store.
#include "ProfileTestSupport.h"

#include "registry/ProfileDocument.h"
#include "registry/ProfileReading.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace tessel;
using namespace tessel::test;

namespace {

QString VectorsPath()
{
    return sourceDir() + QStringLiteral("/../shared/profile-vectors.json");
}

QStringList Strings(const QJsonValue &value)
{
    QStringList strings;
    for (const QJsonValue &item : value.toArray())
        strings.append(item.toString());
    return strings;
}

QString Json(const QJsonArray &array)
{
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

// The file as the store reads it back: [[section, [[key, value], ...]], ...].
QJsonArray ReadBack(const QString &file)
{
    const ProfileDocument document(readBytes(file));
    QJsonArray sections;
    for (const QString &section : SplitNameList(ReadProfileSections(file))) {
        QJsonArray keys;
        for (const QString &key : SplitNameList(ReadProfileKeys(section, file)))
            keys.append(QJsonArray{key, LookupString(document, section, key, {})});
        sections.append(QJsonArray{section, keys});
    }
    return sections;
}

class ProfileVectors : public ProfileFileTest
{
protected:
    void check(const QJsonObject &vector)
    {
        const QString name = vector[u"name"].toString();
        const QString file = path(name + QStringLiteral(".INI"));
        const QJsonValue before = vector[u"file_before"];
        const QByteArray bytes = before.toString().toLatin1();
        if (!before.isNull())
            writeBytes(file, bytes);
        const QString op = vector[u"op"].toString();
        const QString section = vector[u"section"].toString();
        const QString key = vector[u"key"].toString();

        if (op == u"get") {
            const ProfileDocument document = before.isNull() ? ProfileDocument() : ProfileDocument(bytes);
            EXPECT_EQ(LookupString(document, section, key, vector[u"default"].toString()),
                      vector[u"expected"].toString());
        } else if (op == u"keys") {
            EXPECT_EQ(SplitNameList(ReadProfileKeys(section, file)), Strings(vector[u"expected"]));
        } else if (op == u"sections") {
            EXPECT_EQ(SplitNameList(ReadProfileSections(file)), Strings(vector[u"expected"]));
        } else {
            if (op == u"set")
                (void)WriteProfileString(section, key, vector[u"value"].toString(), file);
            else
                (void)DeleteProfileSection(section, file);
            const QJsonValue after = vector[u"expected_after"];
            if (after.isNull())
                EXPECT_FALSE(QFile::exists(file));
            else
                EXPECT_EQ(Json(ReadBack(file)), Json(after.toArray()));
        }
    }
};

TEST_F(ProfileVectors, EveryRecordedCaseHolds)
{
    QFile source(VectorsPath());
    if (!source.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "no recorded cases at " << VectorsPath().toStdString();
    const QJsonArray vectors = QJsonDocument::fromJson(source.readAll()).array();
    ASSERT_EQ(vectors.size(), 168);
    for (const QJsonValue &vector : vectors) {
        SCOPED_TRACE(vector[u"name"].toString().toStdString());
        check(vector.toObject());
    }
}

} // namespace

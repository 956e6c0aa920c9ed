// The record rules and how record texts read, as one table (golden/rules.txt).
#include "StoreTestSupport.h"

#include "registry/NumericText.h"
#include "registry/ProfileDocument.h"
#include "registry/ProfileReading.h"
#include "registry/RecordRules.h"
#include "registry/SourceCatalogue.h"

#include <functional>
#include <map>

using namespace tessel;
using namespace tessel::test;

namespace {

using Rule = std::function<std::optional<QString>(const QString &)>;

QString Number(double value)
{
    return QString::number(value + 0.0, 'g', 12); // -0 reads as 0
}

RecordKey Key(const QString &name)
{
    return RecordKeyNamed(name).value_or(RecordKey::Private);
}

std::optional<QString> If(bool kept, const QString &text)
{
    return kept ? std::optional(text) : std::nullopt;
}

// The rules applied to each blank-parted text of their field; a rule that
// gives nothing leaves the text out.
const std::map<QString, Rule> RulesOfEachText = {
    {u"rounded"_s, [](const QString &text) { return Number(RoundHalfEven(text.toDouble())); }},
    {u"whole number"_s, [](const QString &text) { return QString::number(WholeNumber32(text)); }},
    {u"short whole number"_s, [](const QString &text) { return QString::number(WholeNumber16(text)); }},
    {u"numeric"_s, [](const QString &text) { return If(IsNumericText(text), text); }},
    {u"decimal"_s, [](const QString &text) { return DecimalText(text.toDouble()); }},
    {u"source number"_s, [](const QString &text) {
         const SourceId id = ParseSourceId(text);
         return id.automatic ? u"Auto"_s : id.number;
     }},
    {u"storable"_s, [](const QString &name) { return If(IsStorableName(name), name); }},
    {u"catalogue type"_s, [](const QString &text) { return QString::number(CatalogueTypeCode(text)); }},
    {u"holds a number"_s, [](const QString &name) { return If(HoldsNumber(Key(name)), name); }},
    {u"type"_s, [](const QString &text) -> QString {
         const auto dialog = ConfigDialogOfType(text.toInt());
         const auto icon = SrcTypeToIcon(text.toInt());
         return (dialog ? QStringList{u"native"_s, u"demand"_s, u"odbc"_s}[int(*dialog)] : u"-"_s) + u':'
                + (icon ? QString::number(*icon) : u"-"_s);
     }},
};

QString Each(const QString &field, const Rule &rule)
{
    QStringList results;
    for (const QString &text : field.split(u' ')) {
        if (const std::optional<QString> result = rule(Unescape(text)))
            results.append(*result);
    }
    return results.join(u' ');
}

QString Apply(const QString &rule, const QStringList &args)
{
    if (RulesOfEachText.count(rule))
        return Each(args[0], RulesOfEachText.at(rule));
    QStringList arg;
    for (const QString &field : args)
        arg.append(Unescape(field));
    QStringList texts, numbers;
    if (rule.startsWith(u"typed into a ")) {
        for (const QChar key : arg[0])
            texts.append(QChar(FilterNameKey(key.unicode(), rule.endsWith(u" a name"))));
        return texts.join(QString()).remove(QChar(0));
    }
    if (rule == u"new record") {
        const RecordValues values = NewRecordValues(arg[0].toInt());
        for (int key = 0; key < SavedKeyCount; ++key)
            texts.append(values[RecordKey(key)]);
        return texts.join(u',');
    }
    if (rule == u"record") {
        const DataSourceRecord record(std::make_shared<const ProfileDocument>(arg[0].toLatin1()), u"R"_s);
        for (const RecordKeyEntry &entry : RecordKeys) {
            texts.append(record.text(entry.key));
            numbers.append(QString::number(record.whole16(entry.key)));
        }
        return texts.join(u',') + u" / " + numbers.join(u' ');
    }
    if (rule == u"accepts") {
        return Each(args[2], [&](const QString &text) {
            return If(ProblemWithRecordValue(Key(arg[0]), text, arg[1].toInt()).isEmpty(), text);
        });
    }
    if (rule == u"scales") {
        const Scales scales = ParseScales(arg[0]);
        return Number(scales.minimum) + u' ' + Number(scales.maximum) + u' ' + Number(scales.overview)
               + (scales.allScales() ? u" all"_s : QString());
    }
    const DemandConnect connect = SplitDemandConnect(arg[0]);
    const std::map<QString, std::function<QString()>> rules = {
        {u"limits"_s, [&] { return QStringLiteral("name %1, storage name %2").arg(NameLengthLimit).arg(StorageNameLimit); }},
        {u"problem"_s, [&] { return ProblemWithRecordValue(Key(arg[0]), arg[2], arg[1].toInt()); }},
        {u"key named"_s, [&] { return RecordKeyNamed(arg[0]) ? KeyName(*RecordKeyNamed(arg[0])) : u"-"_s; }},
        {u"leading number"_s, [&] { return Number(LeadingNumber(arg[0])); }},
        {u"scales text"_s, [&] { return ScalesText(arg[0] == u"all", arg[1], arg[2], arg[3]); }},
        {u"source number text"_s, [&] { return SourceIdText(arg[0] == u"auto", arg[1]); }},
        {u"demand connection"_s, [&]() -> QString { return connect.dldPath + u'>' + connect.entity; }},
        {u"demand connection text"_s, [&] { return DemandConnectText(arg[0], arg[1]); }},
        {u"stored value"_s, [&] {
             const auto encoding = arg[0] == u"UTF-8" ? ProfileCodec::Encoding::Utf8 : ProfileCodec::Encoding::Windows1252;
             return ProblemWithStoredValue(arg[1], ProfileCodec(encoding));
         }},
    };
    EXPECT_TRUE(rules.count(rule)) << rule.toStdString();
    return rules.count(rule) ? rules.at(rule)() : QString();
}

TEST(RecordRules, EveryRuleGivesWhatItsRowSays)
{
    for (const Case &c : ReadCases("rules.txt"))
        EXPECT_EQ(Apply(c.fields[0], c.fields.mid(1, c.fields.size() - 2)), Unescape(c.fields.back())) << c.where;
}

} // namespace

#include "tools/admin/RegistryCheck.h"

#include <algorithm>

#include <QFileInfo>
#include <QHash>
#include <QSet>

#include "platform/Windows1252.h"
#include "profile/NumericText.h"
#include "profile/ProfileReading.h"
#include "profile/StoredValue.h"
#include "registry/DataSourceRecord.h"
#include "registry/DldEntities.h"
#include "tools/admin/RecordTemplate.h"
#include "tools/common/ProfileFileCheck.h"

namespace tessel {
namespace {

// A demand-load record's entity, looked for in its DLD file.
struct EntityUse
{
    qsizetype record = 0; // the record's place in the file
    QString section;
    QString dldPath; // as the record gives it
    QString entity;
};

// Why the file is no profile file at all, when it is not: a profile file is
// text, and text holds no NUL; a UTF-16 file has whole code units.
std::optional<QString> FileDamage(const ProfileDocument &document)
{
    const QByteArray &bytes = document.bytes();
    const ProfileCodec &codec = document.codec();
    if (codec.unitSize() == 2) {
        if ((bytes.size() - codec.byteOrderMarkSize()) % 2 != 0)
            return QStringLiteral("the file ends in the middle of a UTF-16 character: it was cut short");
        for (qsizetype at = codec.byteOrderMarkSize(); at < bytes.size(); at += 2) {
            if (codec.unitAt(bytes, at) == 0)
                return QStringLiteral("the file holds NUL characters: it is not a profile file");
        }
    } else if (bytes.contains('\0')) {
        return QStringLiteral("the file holds NUL bytes: it is not a profile file (binary content)");
    }
    return std::nullopt;
}

class RegistryChecker
{
public:
    RegistryChecker(const RegistrySnapshot &registry, const QList<CatalogueEntry> &catalogue)
        : m_registry(registry)
    {
        for (const CatalogueEntry &entry : catalogue)
            m_offeredTypes.insert(entry.type);
    }

    RegistryCheckReport run()
    {
        const ProfileDocument &document = m_registry.document();
        if (const std::optional<QString> damage = FileDamage(document))
            m_problems.append({-1, {{}, {}, *damage}});
        const std::vector<ProfileDocument::SectionView> records = document.namedSections();
        for (qsizetype index = 0; index < qsizetype(records.size()); ++index) {
            const ProfileDocument::SectionView &record = records[std::size_t(index)];
            const QString name = record.name().toString();
            if (record.hidden()) {
                addProblem(index, name, {},
                           QStringLiteral("the host reads only the first section of this name, [%1]")
                               .arg(document.section(name)->name()));
                continue;
            }
            if (!IsStorableName(name))
                addProblem(index, name, {}, QStringLiteral("Tessel cannot store a record of this name"));
            checkRecord(index, name, record);
        }
        for (const QList<EntityUse> &uses : std::as_const(m_dldUses))
            checkDldFile(uses);

        // The DLD files are checked after the records: put their findings
        // back in file order.
        std::stable_sort(m_problems.begin(), m_problems.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
        RegistryCheckReport report;
        report.records = qsizetype(records.size());
        for (const auto &problem : std::as_const(m_problems))
            report.problems.append(problem.second);
        report.information = m_information;
        return report;
    }

private:
    void checkRecord(qsizetype index, const QString &name, const ProfileDocument::SectionView &record)
    {
        const ProfileDocument &document = m_registry.document();
        const qint32 type = WholeNumber32(RecordText(document, record, RecordKey::Type));
        for (const RecordKeyEntry &entry : RecordKeys) {
            const std::optional<QStringView> stored = record.value(entry.name);
            if (!stored && entry.key != RecordKey::Connect) {
                if (entry.key == RecordKey::Type)
                    addProblem(index, name, entry.name,
                               QStringLiteral("missing; the record reads as type %1").arg(type));
                continue;
            }
            // The rule export and every write apply: a value that does not
            // read back as the file holds it is no value a read can use.
            if (stored) {
                if (const WriteResult whole = CheckStoredValue(StripQuotes(*stored), document.codec());
                    !whole) {
                    addProblem(index, name, entry.name, whole.error().detail);
                    continue;
                }
            }
            const QString text = RecordText(document, record, entry.key);
            if (const Result<void> valid = CheckRecordValue(entry.key, text, type); !valid) {
                addProblem(index, name, entry.name, valid.error());
            } else if (entry.key == RecordKey::Type && !isKnownType(type)) {
                addProblem(index, name, entry.name,
                           QStringLiteral("SRCS.INI does not offer type %1, and Tessel has no icon or "
                                          "dialog for it")
                               .arg(type));
            } else if (entry.key == RecordKey::Connect && type == SourceType::DemandLoad) {
                const DemandConnect connect = SplitDemandConnect(text);
                m_dldUses[QFileInfo(connect.dldPath).absoluteFilePath()].append(
                    {index, name, connect.dldPath, connect.entity});
            }
        }
        noteLocks(name, WholeNumber16(RecordText(document, record, RecordKey::Private)));
    }

    bool isKnownType(qint32 type) const
    {
        return m_offeredTypes.contains(type) || (SrcTypeToIcon(type) && ConfigDialogOfType(type));
    }

    void noteLocks(const QString &name, qint16 privateBits)
    {
        QStringList locks;
        if (privateBits & PrivateBit::Locked)
            locks.append(QStringLiteral("locked (its dialogs open read-only)"));
        if (privateBits & PrivateBit::Protected)
            locks.append(QStringLiteral("protected against deletion"));
        if (!locks.isEmpty()) {
            m_information.append({name, KeyName(RecordKey::Private),
                                  QStringLiteral("the record is ") + locks.join(QStringLiteral(" and "))});
        }
    }

    // Reads one DLD file and looks for the entities of all records that use it.
    void checkDldFile(const QList<EntityUse> &uses)
    {
        const QString path = uses.first().dldPath;
        QString failure;
        DldEntities read;
        if (!CheckFileKind(path)) {
            failure = QStringLiteral("it is not a regular file");
        } else {
            read = ReadDldEntities(path);
            failure = read.errorText;
        }
        const QString connect = KeyName(RecordKey::Connect);
        if (!failure.isEmpty()) {
            for (const EntityUse &use : uses) {
                addProblem(use.record, use.section, connect,
                           QStringLiteral("cannot read the DLD file %1: %2").arg(use.dldPath, failure));
            }
            return;
        }
        // The names are compared as the file holds them, in its code page;
        // an entity that the code page cannot hold is declared by no file.
        QSet<QByteArray> wanted;
        for (const EntityUse &use : uses)
            wanted.insert(Windows1252::Encode(use.entity));
        QSet<QByteArray> declared;
        for (qsizetype index = 0; index < read.names.size() && declared.size() < wanted.size(); ++index) {
            const QByteArrayView name = read.names.encodedAt(index);
            if (wanted.contains(QByteArray::fromRawData(name.data(), name.size())))
                declared.insert(name.toByteArray());
        }
        for (const EntityUse &use : uses) {
            if (Windows1252::Fit(use.entity) != use.entity
                || !declared.contains(Windows1252::Encode(use.entity))) {
                addProblem(use.record, use.section, connect,
                           QStringLiteral("the DLD file %1 does not declare the entity \"%2\"")
                               .arg(use.dldPath, use.entity));
            }
        }
    }

    void addProblem(qsizetype record, const QString &section, QStringView key, const QString &text)
    {
        m_problems.append({record, {section, key.toString(), text}});
    }

    const RegistrySnapshot &m_registry;
    QSet<qint32> m_offeredTypes;
    QHash<QString, QList<EntityUse>> m_dldUses; // by the DLD file's absolute path
    QList<std::pair<qsizetype, CheckFinding>> m_problems;
    QList<CheckFinding> m_information;
};

} // namespace

RegistryCheckReport CheckRegistry(const RegistrySnapshot &registry, const QList<CatalogueEntry> &catalogue)
{
    return RegistryChecker(registry, catalogue).run();
}

} // namespace tessel

#include "profile/ProfileDocument.h"

#include "profile/ProfileNames.h"

#include <QSysInfo>

#include <algorithm>
#include <cstring>
#include <iterator>

namespace tessel {

namespace {

constexpr char16_t CarriageReturn = u'\r';
constexpr char16_t LineFeed = u'\n';

qsizetype SkipBlanks(QStringView text, qsizetype from)
{
    while (from < text.size() && IsProfileBlank(text[from]))
        ++from;
    return from;
}

// Where the part of text from floor to end ends once its trailing blanks are
// removed; floor is where SkipBlanks stopped, so the part has none in front.
qsizetype TrimBlanksBefore(QStringView text, qsizetype end, qsizetype floor)
{
    return floor + TrimProfileBlanks(text.sliced(floor, end - floor)).size();
}

// Whether UTF-16 units, read as text, would differ from the text a decoder
// gives for them: it drops a second byte-order mark and replaces surrogates
// that do not pair.
bool StartsWithMarkOrHoldsSurrogates(QStringView units)
{
    return units.startsWith(u'\uFEFF')
        || std::any_of(units.cbegin(), units.cend(), [](QChar unit) { return unit.isSurrogate(); });
}

} // namespace

ProfileDocument::ProfileDocument()
{
    parse();
}

ProfileDocument::ProfileDocument(QByteArray bytes)
    : m_bytes(std::move(bytes))
    , m_codec(ProfileCodec::ForFile(m_bytes))
    , m_markSize(m_codec.byteOrderMarkSize())
{
    parse();
}

ProfileDocument::ProfileDocument(QByteArray part, ProfileCodec::Encoding encoding, QByteArray lineBreak)
    : m_bytes(std::move(part))
    , m_codec(encoding)
{
    parse();
    if (!lineBreak.isEmpty())
        m_lineBreak = std::move(lineBreak);
}

void ProfileDocument::decodeWhole()
{
    const int unit = m_codec.unitSize();
    const qsizetype mark = m_markSize;
    if (m_codec.encoding() != ProfileCodec::Encoding::Utf16LE || m_bytes.size() <= mark)
        return;
    const qsizetype units = (m_bytes.size() - mark) / unit;
    const auto *raw = reinterpret_cast<const char16_t *>(m_bytes.constData() + mark);
    if (QSysInfo::ByteOrder == QSysInfo::LittleEndian
        && !StartsWithMarkOrHoldsSurrogates(QStringView(raw, units))) {
        // Such units are their own text: the text is read from the bytes,
        // which the document keeps unchanged, instead of a copy of them.
        m_text = QString::fromRawData(reinterpret_cast<const QChar *>(raw), units);
        m_textIsWhole = true;
        return;
    }
    m_text = m_codec.decode(QByteArrayView(m_bytes).sliced(mark, units * unit));
    m_textIsWhole = m_text.size() == units;
    if (!m_textIsWhole)
        m_text.clear();
}

void ProfileDocument::parse()
{
    decodeWhole();
    if (!m_textIsWhole)
        m_text.reserve(m_bytes.size());
    // A line ends at each line feed, or at each carriage return in a file
    // without line feeds: room for all of them saves growing the list.
    const auto lineFeeds = std::count(m_bytes.cbegin(), m_bytes.cend(), '\n');
    m_lines.reserve(
        std::size_t(lineFeeds > 0 ? lineFeeds : std::count(m_bytes.cbegin(), m_bytes.cend(), '\r')) + 1);
    const int unit = m_codec.unitSize();
    const qsizetype size = m_bytes.size();
    m_sections.push_back(Section{});
    std::vector<size_t> nameHashes;
    qsizetype position = m_markSize;
    while (position < size) {
        const qsizetype start = position;
        const qsizetype textEnd = m_codec.lineBreakAt(m_bytes, position);
        position = textEnd;
        if (position + unit > size) {
            position = size; // past a half code unit that ends the file
        } else {
            const char16_t first = m_codec.unitAt(m_bytes, position);
            position += unit;
            if (first == CarriageReturn && position + unit <= size
                && m_codec.unitAt(m_bytes, position) == LineFeed)
                position += unit;
            if (m_lineBreak.isEmpty())
                m_lineBreak = m_bytes.sliced(textEnd, position - textEnd);
        }

        const Line line = parseLine(start, textEnd);
        if (line.isSection()) {
            m_sections.back().end = qint32(m_lines.size());
            m_sections.push_back(Section{qint32(m_lines.size()), 0, 0});
            nameHashes.push_back(qHash(nameOf(line).toString().toCaseFolded()));
        }
        m_lines.push_back(line);
    }
    m_sections.back().end = qint32(m_lines.size());
    indexSectionNames(nameHashes);
    if (m_lineBreak.isEmpty())
        m_lineBreak = m_codec.encode(u"\r\n");
}

ProfileDocument::Line ProfileDocument::parseLine(qsizetype start, qsizetype textEnd)
{
    Line line;
    line.start = Offset(start);
    qsizetype textStart = 0;
    if (m_textIsWhole) {
        const int unit = m_codec.unitSize();
        textStart = (start - m_markSize) / unit;
        textEnd = textStart + (textEnd - start) / unit;
    } else {
        textStart = m_text.size();
        m_codec.appendDecoded(m_text, QByteArrayView(m_bytes).sliced(start, textEnd - start));
        textEnd = m_text.size();
    }
    const QStringView text = QStringView(m_text).sliced(textStart, textEnd - textStart);
    const qsizetype first = SkipBlanks(text, 0);
    if (first == text.size() || text[first] == u';') {
        // Nothing of a blank line or a comment is ever looked up.
        if (!m_textIsWhole)
            m_text.truncate(textStart);
        return line;
    }
    const qsizetype trimmedEnd = TrimBlanksBefore(text, text.size(), first);
    const auto name = [&](qsizetype from, qsizetype to) {
        line.nameStart = Offset(textStart + from);
        line.partEnd = Offset(textStart + to);
    };
    if (text[first] == u'[') {
        // A section line runs from "[" to the last "]"; a line without one is a key.
        const qsizetype close = text.lastIndexOf(u']', trimmedEnd - 1);
        if (close > first) {
            const qsizetype nameStart = SkipBlanks(text, first + 1);
            name(nameStart, TrimBlanksBefore(text, close, nameStart));
            line.valueStart = Line::Header;
            return line;
        }
    }
    const qsizetype equals = text.indexOf(u'=', first);
    if (equals < 0) {
        name(first, trimmedEnd);
        line.valueStart = Line::NoValue;
        return line;
    }
    line.nameStart = Offset(textStart + first);
    const qsizetype valueStart = SkipBlanks(text, equals + 1);
    line.valueStart = Offset(textStart + valueStart);
    line.partEnd = Offset(textStart + std::max(valueStart, trimmedEnd));
    return line;
}

void ProfileDocument::indexSectionNames(const std::vector<size_t> &nameHashes)
{
    m_sectionsByNameHash.reserve(nameHashes.size());
    for (std::size_t i = 0; i < nameHashes.size(); ++i)
        m_sectionsByNameHash.push_back({nameHashes[i], qint32(i + 1)});
    std::sort(m_sectionsByNameHash.begin(), m_sectionsByNameHash.end());
    // Sections of one name share a hash; the first of them in the file is
    // the first of its run whose name is the same.
    for (auto run = m_sectionsByNameHash.cbegin(); run != m_sectionsByNameHash.cend();) {
        const auto runEnd = std::find_if(run, m_sectionsByNameHash.cend(),
                                         [&](const NameHash &entry) { return entry.hash != run->hash; });
        for (auto entry = run; entry != runEnd; ++entry) {
            Section &section = m_sections[entry->section];
            section.firstOfName = entry->section;
            if (runEnd - run == 1)
                continue;
            const QString folded = foldedNameOf(section);
            section.firstOfName = std::find_if(run, entry + 1, [&](const NameHash &earlier) {
                                      return foldedNameOf(m_sections[earlier.section]) == folded;
                                  })->section;
        }
        run = runEnd;
    }
}

qsizetype ProfileDocument::endOf(qsizetype lineIndex) const
{
    return lineIndex + 1 < qsizetype(m_lines.size()) ? m_lines[lineIndex + 1].start : m_bytes.size();
}

qsizetype ProfileDocument::textEndOf(const Line &line) const
{
    return m_codec.lineBreakAt(m_bytes, line.start);
}

QStringView ProfileDocument::nameOf(const Line &line) const
{
    if (!line.hasValue())
        return QStringView(m_text).sliced(line.nameStart, line.partEnd - line.nameStart);
    // Only blanks stand between the "=" and the value.
    qsizetype equals = line.valueStart - 1;
    while (m_text[equals] != u'=')
        --equals;
    return QStringView(m_text).sliced(line.nameStart,
                                      TrimBlanksBefore(m_text, equals, line.nameStart) - line.nameStart);
}

QString ProfileDocument::foldedNameOf(const Section &section) const
{
    return nameOf(m_lines[section.header]).toString().toCaseFolded();
}

QString ProfileDocument::requestName(QStringView name) const
{
    return m_codec.fit(TrimProfileBlanks(name).toString());
}

const ProfileDocument::Section *ProfileDocument::findSection(QString name) const
{
    const QString folded = std::move(name).toCaseFolded();
    if (folded.isEmpty())
        return &m_sections.front(); // the nameless section comes before any named one
    const size_t hash = qHash(folded);
    for (auto entry =
             std::lower_bound(m_sectionsByNameHash.cbegin(), m_sectionsByNameHash.cend(), NameHash{hash, 0});
         entry != m_sectionsByNameHash.cend() && entry->hash == hash; ++entry) {
        if (foldedNameOf(m_sections[entry->section]) == folded)
            return &m_sections[entry->section];
    }
    return nullptr;
}

const ProfileDocument::Line *ProfileDocument::findKey(const Section &section, QStringView name) const
{
    for (qsizetype i = section.firstLine(); i < section.end; ++i) {
        const Line &line = m_lines[i];
        if (line.isKey() && nameOf(line).compare(name, Qt::CaseInsensitive) == 0)
            return &line;
    }
    return nullptr;
}

std::optional<QString> ProfileDocument::value(QStringView section, QStringView key) const
{
    const Section *found = findSection(requestName(section));
    if (!found)
        return std::nullopt;
    return valueOf(findKey(*found, requestName(key)));
}

std::optional<QString> ProfileDocument::valueOf(const Line *line) const
{
    if (!line || !line->hasValue())
        return std::nullopt;
    return valueOf(*line).toString();
}

QStringView ProfileDocument::valueOf(const Line &line) const
{
    return QStringView(m_text).sliced(line.valueStart, line.partEnd - line.valueStart);
}

QList<ProfileEntry> ProfileDocument::entries(QStringView section) const
{
    QList<ProfileEntry> entries;
    const Section *found = findSection(requestName(section));
    if (!found)
        return entries;
    QStringList seen;
    for (qsizetype i = found->firstLine(); i < found->end; ++i) {
        const Line &line = m_lines[i];
        if (!line.isKey() || seen.contains(nameOf(line), Qt::CaseInsensitive))
            continue;
        seen.append(nameOf(line).toString());
        if (line.hasValue())
            entries.append({seen.last(), *valueOf(&line)});
    }
    return entries;
}

QList<std::pair<QString, std::optional<QString>>> ProfileDocument::sectionValues(QStringView key) const
{
    const QString keyName = requestName(key);
    QList<std::pair<QString, std::optional<QString>>> values;
    values.reserve(qsizetype(m_sections.size()));
    for (std::size_t i = 1; i < m_sections.size(); ++i) {
        const QStringView name = nameOf(m_lines[m_sections[i].header]);
        if (!name.isEmpty())
            values.append(
                {name.toString(), valueOf(findKey(m_sections[m_sections[i].firstOfName], keyName))});
    }
    return values;
}

QStringList ProfileDocument::keyNames(QStringView section) const
{
    QStringList names;
    const Section *found = findSection(requestName(section));
    if (!found)
        return names;
    for (qsizetype i = found->firstLine(); i < found->end; ++i) {
        const Line &line = m_lines[i];
        if (line.isKey() && line.hasValue())
            names.append(nameOf(line).toString());
    }
    return names;
}

bool ProfileDocument::hasSection(QStringView section) const
{
    const QString name = requestName(section);
    return !name.isEmpty() && findSection(name);
}

QStringList ProfileDocument::sectionNames() const
{
    QStringList names;
    names.reserve(qsizetype(m_sections.size()));
    for (std::size_t i = 1; i < m_sections.size(); ++i) {
        const QStringView name = nameOf(m_lines[m_sections[i].header]);
        if (!name.isEmpty())
            names.append(name.toString());
    }
    return names;
}

std::vector<ProfileDocument::SectionView> ProfileDocument::namedSections() const
{
    std::vector<SectionView> sections;
    sections.reserve(m_sections.size());
    for (std::size_t i = 1; i < m_sections.size(); ++i) {
        if (!nameOf(m_lines[m_sections[i].header]).isEmpty())
            sections.push_back(SectionView(*this, qsizetype(i), m_sections[i].firstOfName));
    }
    return sections;
}

std::optional<ProfileDocument::SectionView> ProfileDocument::section(QStringView name) const
{
    const QString requested = requestName(name);
    const Section *found = requested.isEmpty() ? nullptr : findSection(requested);
    if (!found)
        return std::nullopt;
    const qsizetype index = found - m_sections.data();
    return SectionView(*this, index, index);
}

QStringView ProfileDocument::SectionView::name() const
{
    return m_document->nameOf(m_document->m_lines[m_document->m_sections[m_own].header]);
}

std::optional<QStringView> ProfileDocument::SectionView::value(QStringView key) const
{
    const Line *line = m_document->findKey(m_document->m_sections[m_keys], key);
    if (!line || !line->hasValue())
        return std::nullopt;
    return m_document->valueOf(*line);
}

QList<std::pair<QStringView, QStringView>> ProfileDocument::SectionView::entries() const
{
    const Section &section = m_document->m_sections[m_keys];
    QList<std::pair<QStringView, QStringView>> entries;
    for (qsizetype i = section.firstLine(); i < section.end; ++i) {
        const Line &line = m_document->m_lines[i];
        if (line.isKey() && line.hasValue())
            entries.append({m_document->nameOf(line), m_document->valueOf(line)});
    }
    return entries;
}

QByteArray ProfileDocument::spliced(std::vector<Splice> splices) const
{
    std::sort(splices.begin(), splices.end(), [](const Splice &a, const Splice &b) {
        return a.from != b.from ? a.from < b.from : a.to < b.to;
    });
    qsizetype size = m_bytes.size();
    for (const Splice &splice : splices)
        size += splice.bytes.size() - (splice.to - splice.from);
    QByteArray result;
    result.reserve(size);
    qsizetype copied = 0;
    for (const Splice &splice : splices) {
        result.append(QByteArrayView(m_bytes).sliced(copied, splice.from - copied));
        result.append(splice.bytes);
        copied = splice.to;
    }
    result.append(QByteArrayView(m_bytes).sliced(copied));
    return result;
}

QByteArray ProfileDocument::withValue(QStringView section, QStringView key, QStringView value) const
{
    return withValues(section, {ProfileEntry{key.toString(), value.toString()}});
}

QList<ProfileEntry> ProfileDocument::distinctWrites(const QList<ProfileEntry> &entries) const
{
    // As the second write of a key replaces the line the first one made.
    QList<ProfileEntry> writes;
    for (const ProfileEntry &entry : entries) {
        const QString key = requestName(entry.key);
        const auto same = std::find_if(writes.begin(), writes.end(), [&](const ProfileEntry &write) {
            return write.key.compare(key, Qt::CaseInsensitive) == 0;
        });
        if (same == writes.end())
            writes.append({key, entry.value});
        else
            same->value = entry.value;
    }
    return writes;
}

QByteArray ProfileDocument::withValues(QStringView section, const QList<ProfileEntry> &entries) const
{
    const QList<ProfileEntry> writes = distinctWrites(entries);
    const QString sectionName = requestName(section);
    const Section *found = findSection(sectionName);
    QStringList newLines;
    if (!found)
        newLines.append(u'[' + sectionName + u']');
    std::vector<Splice> splices;
    qsizetype after = found ? found->header : qsizetype(m_lines.size()) - 1;
    if (found) {
        for (qsizetype i = found->firstLine(); i < found->end; ++i) {
            if (m_lines[i].isKey())
                after = i;
        }
    }
    for (const ProfileEntry &write : writes) {
        if (const Line *line = found ? findKey(*found, write.key) : nullptr) {
            // The key keeps its spelling and its indent; the rest of the line is new.
            const qsizetype textEnd = textEndOf(*line);
            const QString oldText =
                m_codec.decode(QByteArrayView(m_bytes).sliced(line->start, textEnd - line->start));
            const QString text = oldText.first(SkipBlanks(oldText, 0)) + nameOf(*line) + u'=' + write.value;
            splices.push_back({line->start, textEnd, m_codec.encode(text)});
        } else {
            newLines.append(write.key + u'=' + write.value);
        }
    }
    if (!newLines.isEmpty())
        splices.push_back(linesAfter(after, newLines));
    return spliced(std::move(splices));
}

ProfileDocument::Splice ProfileDocument::linesAfter(qsizetype lineIndex, const QStringList &texts) const
{
    QByteArray lines;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        if (i > 0)
            lines.append(m_lineBreak);
        lines.append(m_codec.encode(texts[i]));
    }
    if (lineIndex < 0)
        return {m_markSize, m_markSize, lines.append(m_lineBreak)};
    const qsizetype textEnd = textEndOf(m_lines[lineIndex]);
    const qsizetype end = endOf(lineIndex);
    if (end - textEnd >= m_codec.unitSize())
        return {end, end, lines.append(m_lineBreak)};
    // The file's last line has no break: the new lines end the same way. A
    // half code unit that ends a UTF-16 file is no text; it gives way to the
    // new lines, which would otherwise be read a byte out of step.
    return {textEnd, end, lines.prepend(m_lineBreak)};
}

std::optional<std::pair<qsizetype, qsizetype>> ProfileDocument::sectionRange(QStringView section) const
{
    const Section *found = findSection(requestName(section));
    if (!found || found->header < 0)
        return std::nullopt;
    const qsizetype from = m_lines[found->header].start;
    const qsizetype to = found->end < qsizetype(m_lines.size()) ? m_lines[found->end].start : m_bytes.size();
    return std::pair(from, to);
}

std::optional<QByteArray> ProfileDocument::sectionBytes(QStringView section) const
{
    const auto range = sectionRange(section);
    if (!range)
        return std::nullopt;
    return m_bytes.sliced(range->first, range->second - range->first);
}

QByteArray ProfileDocument::withoutSection(QStringView section) const
{
    const auto range = sectionRange(section);
    if (!range)
        return m_bytes;
    return spliced({Splice{range->first, range->second, {}}});
}

QByteArray ProfileDocument::withSectionBytes(QStringView section, QByteArray lines) const
{
    const auto range = sectionRange(section);
    const qsizetype from = range ? range->first : m_bytes.size();
    const qsizetype to = range ? range->second : m_bytes.size();
    if (to < m_bytes.size() && !lines.endsWith('\n'))
        lines += m_lineBreak;
    if (from > 0 && !m_bytes.sliced(0, from).endsWith('\n'))
        lines.prepend(m_lineBreak);
    return spliced({Splice{from, to, std::move(lines)}});
}

QByteArray ProfileDocument::withSectionRewritten(QStringView section,
                                                 const QList<ProfileEntry> &entries) const
{
    const QString sectionName = requestName(section);
    const Section *found = findSection(sectionName);
    if (!found || found->header < 0)
        return withValues(section, entries);
    const Line &header = m_lines[found->header];
    std::vector<Splice> splices{
        {header.start, textEndOf(header), m_codec.encode(QString(u'[' + sectionName + u']'))}};
    for (qsizetype i = found->firstLine(); i < found->end; ++i) {
        if (m_lines[i].isKey())
            splices.push_back({m_lines[i].start, endOf(i), {}});
    }
    QStringList lines;
    for (const ProfileEntry &write : distinctWrites(entries))
        lines.append(write.key + u'=' + write.value);
    if (!lines.isEmpty())
        splices.push_back(linesAfter(found->header, lines));
    return spliced(std::move(splices));
}

std::vector<ProfileDocument::SectionSpan> ProfileDocument::sectionSpans() const
{
    std::vector<SectionSpan> spans;
    spans.reserve(m_sections.size());
    for (const Section &section : m_sections) {
        const qsizetype from = section.header < 0 ? m_markSize : m_lines[section.header].start;
        const qsizetype to =
            section.end < qsizetype(m_lines.size()) ? m_lines[section.end].start : m_bytes.size();
        spans.push_back(
            {section.header < 0 ? QString() : nameOf(m_lines[section.header]).toString(), from, to});
    }
    return spans;
}

QString ProfileDocument::LookupName(const ProfileCodec &codec, QStringView section)
{
    return codec.fit(TrimProfileBlanks(section).toString()).toCaseFolded();
}

namespace {

// Where the line after the first line feed at or after from starts: a line
// feed always ends a line. The end of bytes when there is none.
qsizetype NextLineAfter(const QByteArray &bytes, const ProfileCodec &codec, qsizetype from)
{
    const int unit = codec.unitSize();
    const qsizetype mark = codec.byteOrderMarkSize();
    for (qsizetype offset = mark + (std::max(from, mark) - mark + unit - 1) / unit * unit;
         offset + unit <= bytes.size(); offset += unit) {
        if (unit == 1) {
            const auto *lineFeed = static_cast<const char *>(
                std::memchr(bytes.constData() + offset, '\n', std::size_t(bytes.size() - offset)));
            return lineFeed ? lineFeed - bytes.constData() + 1 : bytes.size();
        }
        if (codec.unitAt(bytes, offset) == u'\n')
            return offset + unit;
    }
    return bytes.size();
}

// The line break that new lines of a Windows-1252 file take: its first.
QByteArray FirstLineBreak(const QByteArray &bytes, const ProfileCodec &codec)
{
    const qsizetype end = codec.lineBreakAt(bytes, codec.byteOrderMarkSize());
    if (end == bytes.size())
        return codec.encode(u"\r\n");
    return bytes.sliced(end, bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1);
}

} // namespace

void ProfileDocument::ScanSectionLines(const QByteArray &bytes,
                                       const std::function<void(const SectionLine &)> &found)
{
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; };
    const ProfileCodec codec(ProfileCodec::Encoding::Windows1252);
    const char *data = bytes.constData();
    for (qsizetype start = 0; start < bytes.size();) {
        const qsizetype end = codec.lineBreakAt(bytes, start);
        qsizetype first = start;
        while (first < end && isBlank(data[first]))
            ++first;
        qsizetype close = end - 1;
        while (close > first && data[close] != ']')
            --close;
        if (first < end && data[first] == '[' && close > first) {
            SectionLine line{start, first + 1, close};
            while (line.nameFrom < line.nameTo && isBlank(data[line.nameFrom]))
                ++line.nameFrom;
            while (line.nameTo > line.nameFrom && isBlank(data[line.nameTo - 1]))
                --line.nameTo;
            found(line);
        }
        // The line feed of a carriage return and line feed ends an empty line.
        start = end + 1;
    }
}

ProfileDocument::SectionScan ProfileDocument::ScanSections(const QByteArray &bytes)
{
    constexpr qsizetype PieceSize = 1 << 20;
    const ProfileCodec codec = ProfileCodec::ForFile(bytes);
    if (codec.encoding() == ProfileCodec::Encoding::Windows1252) {
        SectionScan scan{codec, 0, FirstLineBreak(bytes, codec), {{QString(), 0, bytes.size()}}};
        ScanSectionLines(bytes, [&](const SectionLine &line) {
            scan.spans.back().to = line.start;
            scan.spans.push_back(
                {codec.decode(QByteArrayView(bytes).sliced(line.nameFrom, line.nameTo - line.nameFrom)),
                 line.start, bytes.size()});
        });
        return scan;
    }
    SectionScan scan{codec, codec.byteOrderMarkSize(), {}, {}};
    qsizetype from = scan.markSize;
    do {
        const qsizetype to = NextLineAfter(bytes, codec, from + PieceSize);
        const ProfileDocument piece(bytes.sliced(from, to - from), codec.encoding(), {});
        std::vector<SectionSpan> spans = piece.sectionSpans();
        for (SectionSpan &span : spans) {
            span.from += from;
            span.to += from;
        }
        if (scan.spans.empty()) {
            // The first piece's first break is the file's.
            scan.lineBreak = piece.lineBreak();
            scan.spans.push_back(std::move(spans.front()));
        } else {
            // The lines before a later piece's first section line end the section before it.
            scan.spans.back().to = spans.front().to;
        }
        std::move(spans.begin() + 1, spans.end(), std::back_inserter(scan.spans));
        from = to;
    } while (from < bytes.size());
    return scan;
}

} // namespace tessel

#include "output/kaf.h"

#include "model/airspace.h"
#include "output/longlines.h"
#include "output/outlinefit.h"

#include <QChar>
#include <QHashFunctions>

#include <algorithm>
#include <cstring>
#include <functional>
#include <unordered_map>

namespace Kaf {

namespace {

// Written through a plain pointer: appending byte by byte costs more than the rest of
// the writing together. Returns the end.
char *putLatin1(char *out, QStringView text)
{
    const qsizetype size = text.size();
    const char16_t *in = text.utf16();
    qsizetype i = 0;
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    // Four characters at a time while all are below 256, as nearly all are.
    for (; i + 4 <= size; i += 4) {
        uint64_t word;
        std::memcpy(&word, in + i, sizeof word);
        if (word & 0xFF00FF00FF00FF00u)
            break;
        word = (word | (word >> 8)) & 0x0000FFFF0000FFFFu;
        const uint32_t bytes = uint32_t(word | (word >> 16));
        std::memcpy(out, &bytes, sizeof bytes);
        out += 4;
    }
#endif
    for (; i < size; ++i) {
        const char16_t c = in[i];
        if (c < 0x100) {
            *out++ = static_cast<char>(c);
            continue;
        }
        if (QChar::isHighSurrogate(c) && i + 1 < size && QChar::isLowSurrogate(in[i + 1]))
            ++i;
        *out++ = '?';
    }
    return out;
}

} // namespace

QByteArray toLatin1(QStringView text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    bytes.truncate(putLatin1(bytes.data(), text) - bytes.constData());
    return bytes;
}

void putRecord(const QStringList &record, QByteArray &bytes)
{
    qsizetype size = 2;
    for (const QString &line : record)
        size += line.size() + 2;
    bytes.resize(size);
    char *out = bytes.data();
    for (const QString &line : record) {
        out = putLatin1(out, line);
        *out++ = '\r';
        *out++ = '\n';
    }
    *out++ = '\r';
    *out++ = '\n';
    bytes.truncate(out - bytes.constData());
}

namespace {

// An outline beyond the limit, fitted into it: outwards, so that the pilot is warned a
// little early and never late, or inwards for a wave window, an area the pilot may use.
// A faulty airspace stays faulty: fitting never hides a definition error.
void fitRecord(const Airspace &airspace, const RecordOptions &options, Record &record)
{
    if (airspace.hasDefinitionError()) {
        record.kind = Record::Faulty;
        return;
    }
    const FitSide side = airspace.airspaceClass() == WaveWindow ? FitSide::Inside : FitSide::Outside;
    const OutlineFit fit = fitOutline(airspace.segments(), MaxSegments, side);
    if (fit.segments.empty())
        return;   // over the limit, as without fitting
    std::vector<OutlinePiece> working;
    const QStringList lines = deviceRecord(airspace, fit.segments, options.warningDistanceCm, working);
    if (lines.size() == 1) {
        record.kind = Record::Faulty;
        return;
    }
    putRecord(lines, record.bytes);
    record.kind = Record::Fitted;
    record.fittedSegmentCount = int(fit.segments.size());
    record.fittedDistanceCm = fit.largestDistanceCm;
    if (options.keepOutline) {
        record.outline = pieceSegments(fit.segments, working);
        record.original = airspace.segments();
    }
}

} // namespace

Record makeRecord(Airspace &airspace, const RecordOptions &options)
{
    Record record;
    if (options.closeOutline && !airspace.isClosed())
        airspace.closeOutline();
    record.segmentCount = airspace.segmentCount();
    if (!airspace.isFinished())
        airspace.finishDefinition();
    if (record.segmentCount > MaxSegments) {
        record.kind = Record::OverLimit;
        if (options.fitLongOutline)
            fitRecord(airspace, options, record);
    } else {
        std::vector<OutlinePiece> working;
        const QStringList lines = deviceRecord(airspace, airspace.segments(), options.warningDistanceCm, working);
        if (lines.size() == 1) {
            record.kind = Record::Faulty;
        } else {
            putRecord(lines, record.bytes);
            if (options.keepOutline)
                record.outline = pieceSegments(airspace.segments(), working);
        }
    }
    if (options.keepOutline && record.outline.empty())
        record.outline = airspace.segments();
    return record;
}

void DeviceNames::append(QStringView name)
{
    m_chars.append(name);
    m_ends.push_back(uint32_t(m_chars.size()));
}

void DeviceNames::clear()
{
    m_chars.clear();
    m_ends.clear();
    m_renamed.clear();
}

QStringView DeviceNames::original(qsizetype i) const
{
    const uint32_t begin = i == 0 ? 0 : m_ends[std::size_t(i - 1)];
    return QStringView(m_chars).sliced(begin, m_ends[std::size_t(i)] - begin);
}

namespace {

// The original names of a run, each found by its first airspace (open addressing), with
// the later airspaces of the same name chained through `next` in input order.
class NameChains
{
public:
    explicit NameChains(const std::function<QStringView(qsizetype)> &name, std::size_t count)
        : m_name(name), m_next(count, -1)
    {
        while (m_capacity < 2 * count)
            m_capacity *= 2;
        m_firsts.assign(m_capacity, -1);
        for (std::size_t i = count; i-- > 0;) {
            int32_t &first = slotOf(m_name(qsizetype(i)));
            m_next[i] = first;
            first = int32_t(i);
        }
    }
    // The first airspace of the name, or -1 when no airspace held it from the start.
    int32_t firstOf(QStringView name) { return slotOf(name); }
    // The airspaces that hold the name from the start, its first one given.
    void holders(int32_t first, std::vector<int32_t> &positions) const
    {
        for (int32_t p = first; p >= 0; p = m_next[std::size_t(p)])
            positions.push_back(p);
    }
    bool heldOnce(int32_t first) const { return m_next[std::size_t(first)] < 0; }

private:
    int32_t &slotOf(QStringView name)
    {
        std::size_t slot = qHash(name) & (m_capacity - 1);
        while (m_firsts[slot] >= 0 && m_name(m_firsts[slot]) != name)
            slot = (slot + 1) & (m_capacity - 1);
        return m_firsts[slot];
    }

    std::function<QStringView(qsizetype)> m_name;
    std::size_t m_capacity = 4;
    std::vector<int32_t> m_firsts;
    std::vector<int32_t> m_next;
};

// "TMA_01": the base, "_" and a counter of at least two digits.
QString numberedName(QStringView base, int counter)
{
    QString name = base.toString();
    name += counter < 10 ? QLatin1String("_0") : QLatin1String("_");
    name += QString::number(counter);
    return name;
}

} // namespace

// The rule asks for every name to be counted anew after each change. Only the original
// names are ever handled, so it is enough to know, for each of them, the airspaces that
// hold it from the start and those that a renaming gave it since: a renamed airspace is
// followed only when its new name is an original name that is still to be handled.
void DeviceNames::makeUnique()
{
    m_renamed.clear();
    const std::size_t count = m_ends.size();
    if (count < 2)
        return;
    NameChains chains([this](qsizetype i) { return original(i); }, count);
    std::unordered_map<int32_t, std::vector<int32_t>> renamedTo;   // by first airspace of the name
    std::vector<int32_t> holders;
    for (std::size_t i = 0; i < count; ++i) {
        const QStringView name = original(qsizetype(i));
        if (chains.firstOf(name) != int32_t(i))
            continue;   // not the first airspace of its name
        const auto given = renamedTo.find(int32_t(i));
        if (chains.heldOnce(int32_t(i)) && given == renamedTo.end())
            continue;
        holders.clear();
        chains.holders(int32_t(i), holders);
        if (given != renamedTo.end()) {
            holders.insert(holders.end(), given->second.begin(), given->second.end());
            renamedTo.erase(given);
            std::sort(holders.begin(), holders.end());
        }
        if (holders.size() < 2)
            continue;
        // Counted from the last airspace of the name.
        int counter = 1;
        for (auto p = holders.rbegin(); p != holders.rend(); ++p, ++counter) {
            QString newName = numberedName(name.left(DeviceNameBaseLength), counter);
            if (const int32_t first = chains.firstOf(newName); first > int32_t(i))   // still to be handled
                renamedTo[first].push_back(*p);
            m_renamed.emplace_back(uint32_t(*p), std::move(newName));
        }
    }
    keepLastNames();
}

// Of several new names of one airspace the last counts; ordered by position for name().
void DeviceNames::keepLastNames()
{
    std::stable_sort(m_renamed.begin(), m_renamed.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<std::pair<uint32_t, QString>> last;
    for (auto &entry : m_renamed) {
        if (!last.empty() && last.back().first == entry.first)
            last.back().second = std::move(entry.second);
        else
            last.push_back(std::move(entry));
    }
    m_renamed = std::move(last);
}

QString DeviceNames::name(qsizetype i) const
{
    const auto found = std::lower_bound(m_renamed.begin(), m_renamed.end(), uint32_t(i),
                                        [](const auto &entry, uint32_t position) { return entry.first < position; });
    if (found != m_renamed.end() && found->first == uint32_t(i))
        return found->second;
    return original(i).toString();
}

void makeDeviceNamesUnique(QStringList &deviceNames)
{
    DeviceNames names;
    for (const QString &name : std::as_const(deviceNames))
        names.append(name);
    names.makeUnique();
    for (qsizetype i = 0; i < deviceNames.size(); ++i)
        deviceNames[i] = names.name(i);
}

} // namespace Kaf

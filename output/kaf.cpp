#include "output/kaf.h"

#include "model/airspace.h"
#include "output/longlines.h"

#include <QChar>
#include <QHashFunctions>

#include <algorithm>
#include <cstring>
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

Record makeRecord(Airspace &airspace, const RecordOptions &options)
{
    Record record;
    if (options.closeOutline && !airspace.isClosed())
        airspace.closeOutline();
    record.segmentCount = airspace.segmentCount();
    if (record.segmentCount > MaxSegments) {
        record.kind = Record::OverLimit;
    } else if (const QStringList lines = airspace.deviceRecord(options.warningDistanceCm); lines.size() == 1) {
        record.kind = Record::Faulty;
    } else {
        putRecord(lines, record.bytes);
    }
    if (options.keepOutline)
        record.outline = record.kind == Record::Written ? splitLongLines(airspace.segments()) : airspace.segments();
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

// The rule asks for every name to be counted anew after each change. Only the original
// names are ever handled, so it is enough to know, for each of them, the airspaces that
// hold it from the start (a chain through `next`) and those that a renaming gave it
// since: a renamed airspace is followed only when its new name is an original name that
// is still to be handled.
void DeviceNames::makeUnique()
{
    m_renamed.clear();
    const std::size_t count = m_ends.size();
    if (count < 2)
        return;

    std::size_t capacity = 4;
    while (capacity < 2 * count)
        capacity *= 2;
    // The first airspace of each original name, found by open addressing.
    std::vector<int32_t> firsts(capacity, -1);
    const auto slotOf = [&](QStringView name) -> int32_t & {
        std::size_t slot = qHash(name) & (capacity - 1);
        while (firsts[slot] >= 0 && original(firsts[slot]) != name)
            slot = (slot + 1) & (capacity - 1);
        return firsts[slot];
    };
    // Later airspaces of the same name, in input order.
    std::vector<int32_t> next(count, -1);
    for (std::size_t i = count; i-- > 0;) {
        int32_t &first = slotOf(original(qsizetype(i)));
        next[i] = first;
        first = int32_t(i);
    }

    std::unordered_map<int32_t, std::vector<int32_t>> renamedTo;   // by first airspace of the name
    std::vector<int32_t> holders;
    for (std::size_t i = 0; i < count; ++i) {
        const QStringView name = original(qsizetype(i));
        if (slotOf(name) != int32_t(i))
            continue;   // not the first airspace of its name
        const auto given = renamedTo.find(int32_t(i));
        if (next[i] < 0 && given == renamedTo.end())
            continue;   // held once
        holders.clear();
        for (int32_t p = int32_t(i); p >= 0; p = next[std::size_t(p)])
            holders.push_back(p);
        if (given != renamedTo.end()) {
            holders.insert(holders.end(), given->second.begin(), given->second.end());
            renamedTo.erase(given);
            std::sort(holders.begin(), holders.end());
        }
        if (holders.size() < 2)
            continue;

        const QStringView base = name.left(DeviceNameBaseLength);
        int counter = 1;
        for (auto p = holders.rbegin(); p != holders.rend(); ++p, ++counter) {
            // The counter has at least two digits.
            QString newName = base.toString();
            newName += counter < 10 ? QLatin1String("_0") : QLatin1String("_");
            newName += QString::number(counter);
            const int32_t first = slotOf(newName);
            if (first > int32_t(i))   // an original name still to be handled
                renamedTo[first].push_back(*p);
            m_renamed.emplace_back(uint32_t(*p), std::move(newName));
        }
    }

    // The last new name of each airspace counts.
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

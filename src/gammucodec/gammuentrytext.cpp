#include "gammucodec/gammuentrytext.h"

#include "gammucodec/gammumapping.h"
#include "gammucodec/gammuwallclock.h"
#include "gammucodec/gammuwidetexts.h"

#include <QList>

namespace gammu {

namespace {

// The encoder's text without its final line break, its blank lines and its X-GAMMU-LOCATION
// line: like a LUID, the location is the phone's, and a restored entry gets a new one.
QByteArray withoutLocationLine(const char* buffer, size_t length)
{
    QList<QByteArray> lines = QByteArray(buffer, static_cast<qsizetype>(length)).split('\n');
    lines.removeIf([](const QByteArray& line) {
        return line.trimmed().isEmpty() || line.startsWith("X-GAMMU-LOCATION:");
    });
    for (QByteArray& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return lines.join("\r\n");
}

// Encodes entry with encode(buffer, size, &length), the texts libgammu's writer cannot hold
// written by us; libgammu's reason in why when it cannot.
template <class Entry, class Encode>
QByteArray keepEncoded(std::vector<char>& buffer, Entry& entry, QString& why, Encode encode)
{
    WideTexts wide;
    wide.stash(entry);
    why.clear();
    for (;;) {
        size_t length = 0;
        const GSM_Error result = encode(buffer.data(), buffer.size(), &length);
        if (result == ERR_NONE)
            return wide.restore(withoutLocationLine(buffer.data(), length));
        if (result != ERR_MOREMEMORY || buffer.size() >= LastBufferSize) {
            why = errorText(result);
            return QByteArray();
        }
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace

QByteArray encodedContact(std::vector<char>& buffer, GSM_MemoryEntry& entry, QString& why)
{
    return keepEncoded(buffer, entry, why, [&entry](char* data, size_t size, size_t* length) {
        return GSM_EncodeVCARD(nullptr, data, size, length, &entry, TRUE, Nokia_VCard21);
    });
}

QByteArray encodedEvent(std::vector<char>& buffer, GSM_CalendarEntry& note, QString& why)
{
    const QByteArray text = keepEncoded(buffer, note, why, [&note](char* data, size_t size, size_t* length) {
        return GSM_EncodeVCALENDAR(data, size, length, &note, FALSE, Nokia_VCalendar);
    });
    return why.isEmpty() ? asThePhoneMeansIt(text, nullptr) : QByteArray();
}

QByteArray encodedToDo(std::vector<char>& buffer, GSM_ToDoEntry& todo, QString& why)
{
    const QByteArray text = keepEncoded(buffer, todo, why, [&todo](char* data, size_t size, size_t* length) {
        return GSM_EncodeVTODO(data, size, length, &todo, FALSE, Nokia_VToDo);
    });
    return why.isEmpty() ? asThePhoneMeansIt(text, &todo) : QByteArray();
}

} // namespace gammu

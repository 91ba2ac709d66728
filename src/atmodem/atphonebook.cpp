#include "atmodem/atphonebook.h"

#include "core/codepage.h"
#include "core/vproperty.h"
#include "atmodem/atcommand.h"
#include "phonesim/imageirmcstore.h"
#include "phonesim/phoneimage.h"

#include <QJsonArray>
#include <QJsonObject>

namespace phonesim {

namespace atphonebook {

namespace {

// A value the parser leaves as it found it: bytes of UTF-8 named by CHARSET=UTF-8.
QString textOf(const QString& line, const vproperty::Property& property)
{
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    const QString head = line.left(colon).toUpper();
    if (head.contains(QLatin1String("CHARSET=UTF-8")) && !head.contains(QLatin1String("QUOTED")))
        return QString::fromUtf8(codepage::encode(property.text));
    return property.text;
}

} // namespace

Entry fromVCard(const QByteArray& card)
{
    Entry entry;
    QString fullName;
    QString firstNumber;
    QString preferred;
    for (const QByteArray& raw : card.split('\n')) {
        const QString line = codepage::decode(raw.trimmed());
        const vproperty::Property property = vproperty::parse(line);
        const QString text = textOf(line, property);
        if (property.name == QLatin1String("FN")) {
            fullName = text;
        } else if (property.name == QLatin1String("N")) {
            const QStringList parts = text.split(QLatin1Char(';'));
            QStringList ordered;
            for (int i : {3, 1, 2, 0, 4}) {
                if (i < parts.size() && !parts.at(i).trimmed().isEmpty())
                    ordered << parts.at(i).trimmed();
            }
            entry.name = ordered.join(QLatin1Char(' '));
        } else if (property.name == QLatin1String("TEL")) {
            if (firstNumber.isEmpty())
                firstNumber = text.trimmed();
            const bool pref = std::any_of(property.params.cbegin(), property.params.cend(),
                                          [](const QString& p) {
                                              return p.toUpper().contains(QLatin1String("PREF"));
                                          });
            if (pref && preferred.isEmpty())
                preferred = text.trimmed();
        }
    }
    if (!fullName.isEmpty())
        entry.name = fullName;
    entry.name = entry.name.left(MaximumName);
    entry.number = (preferred.isEmpty() ? firstNumber : preferred).left(MaximumNumber);
    return entry;
}

QByteArray toVCard(const Entry& entry)
{
    const qsizetype space = entry.name.lastIndexOf(QLatin1Char(' '));
    const QString n = space < 0 ? entry.name
                                : entry.name.mid(space + 1) + QLatin1Char(';') + entry.name.left(space);
    QStringList lines{QStringLiteral("BEGIN:VCARD"), QStringLiteral("VERSION:2.1"),
                      vproperty::utf8Line({QStringLiteral("N"), {}, n})};
    if (!entry.number.isEmpty())
        lines << QStringLiteral("TEL:") + entry.number;
    lines << QStringLiteral("END:VCARD");
    return lines.join(QStringLiteral("\r\n")).toUtf8();
}

} // namespace atphonebook

namespace {

using Form = AtRequest::Form;
using atphonebook::Entry;

const QString SimPhonebookKey = QStringLiteral("simPhonebook");
constexpr int SimCapacity = 250;
constexpr int NumberInternational = 145;
constexpr int NumberUnknown = 129;

// One phonebook memory of the phone as a list of entries.
class Memory
{
public:
    virtual ~Memory() = default;
    virtual QList<Entry> entries() const = 0;
    virtual int capacity() const = 0;
    virtual bool add(const Entry& entry) = 0;
    virtual bool replace(int index, const Entry& entry) = 0;
    virtual bool remove(int index) = 0;
};

// ME: the image's contacts, the vCards the OBEX server serves too.
class PhoneMemory final : public Memory
{
public:
    explicit PhoneMemory(std::shared_ptr<PhoneImage> image) : m_store(std::move(image)) {}
    QList<Entry> entries() const override
    {
        QList<Entry> result;
        for (const irmc::IrmcEntry& entry : m_store.entries(irmc::IrmcBook::Phonebook))
            result << atphonebook::fromVCard(entry.data);
        return result;
    }
    int capacity() const override { return m_store.maximumRecords(irmc::IrmcBook::Phonebook); }
    bool add(const Entry& entry) override
    {
        return !m_store.add(irmc::IrmcBook::Phonebook, atphonebook::toVCard(entry)).isEmpty();
    }
    bool replace(int index, const Entry& entry) override
    {
        return m_store.replace(irmc::IrmcBook::Phonebook, luid(index), atphonebook::toVCard(entry));
    }
    bool remove(int index) override
    {
        return m_store.remove(irmc::IrmcBook::Phonebook, luid(index));
    }

private:
    QString luid(int index) const
    {
        return m_store.entries(irmc::IrmcBook::Phonebook).value(index).luid;
    }
    ImageIrmcStore m_store;
};

// SM: the SIM card's entries, kept as what they are: {"name": ..., "number": ...}.
class SimMemory final : public Memory
{
public:
    explicit SimMemory(std::shared_ptr<PhoneImage> image) : m_image(std::move(image)) {}
    QList<Entry> entries() const override
    {
        QList<Entry> result;
        for (const QJsonValue& value : m_image->category(SimPhonebookKey).toArray()) {
            const QJsonObject object = value.toObject();
            result << Entry{object.value(QStringLiteral("name")).toString(),
                            object.value(QStringLiteral("number")).toString()};
        }
        return result;
    }
    int capacity() const override { return SimCapacity; }
    bool add(const Entry& entry) override
    {
        if (!m_image->category(SimPhonebookKey).isArray() &&
            !m_image->setCategory(SimPhonebookKey, QJsonArray()))
            return false;
        return m_image->appendToCategory(SimPhonebookKey, json(entry));
    }
    bool replace(int index, const Entry& entry) override
    {
        return m_image->replaceInCategory(SimPhonebookKey, index, json(entry));
    }
    bool remove(int index) override { return m_image->removeFromCategory(SimPhonebookKey, index); }

private:
    static QJsonObject json(const Entry& entry)
    {
        return {{QStringLiteral("name"), entry.name}, {QStringLiteral("number"), entry.number}};
    }
    std::shared_ptr<PhoneImage> m_image;
};

std::unique_ptr<Memory> memoryOf(const AtSession& session)
{
    if (session.phonebook == QLatin1String("SM"))
        return std::make_unique<SimMemory>(session.image);
    return std::make_unique<PhoneMemory>(session.image);
}

// The locations of the selected phonebook, brought up to date with its entries.
AtLocations& locationsOf(AtSession& session, qsizetype entries)
{
    AtLocations& locations = session.phonebookLocations[session.phonebook];
    locations.sync(static_cast<int>(entries));
    return locations;
}

QByteArray entryLine(const AtSession& session, int location, const Entry& entry)
{
    const int type = entry.number.startsWith(QLatin1Char('+')) ? NumberInternational
                                                               : NumberUnknown;
    return "+CPBR: " + QByteArray::number(location) + ',' + quoted(entry.number.toLatin1()) + ',' +
           QByteArray::number(type) + ',' + quoted(atcharset::encode(entry.name, session.charset));
}

AtResult selectStorage(AtSession& session, const AtRequest& request)
{
    if (request.form == Form::Test)
        return AtResult::ok({"+CPBS: (\"ME\",\"SM\")"});
    if (request.form == Form::Read) {
        const auto memory = memoryOf(session);
        const AtLocations& locations = locationsOf(session, memory->entries().size());
        return AtResult::ok({"+CPBS: " + quoted(session.phonebook.toLatin1()) + ',' +
                             QByteArray::number(locations.used()) + ',' +
                             QByteArray::number(memory->capacity())});
    }
    const QString name =
        argName(session, request, 0, {QStringLiteral("ME"), QStringLiteral("SM")});
    if (request.form != Form::Set || name.isEmpty())
        return AtResult::cme(cme::NotSupported);
    session.phonebook = name;
    return AtResult::ok();
}

AtResult readEntries(AtSession& session, const AtRequest& request)
{
    const auto memory = memoryOf(session);
    if (request.form == Form::Test)
        return AtResult::ok({"+CPBR: (1-" + QByteArray::number(memory->capacity()) + ")," +
                             QByteArray::number(atphonebook::MaximumNumber) + ',' +
                             QByteArray::number(atphonebook::MaximumName)});
    const auto first = request.number(0);
    const auto last = request.hasArg(1) ? request.number(1) : first;
    if (request.form != Form::Set || !first || !last || *first < 1 || *last < *first ||
        *last > memory->capacity())
        return AtResult::cme(cme::InvalidIndex);
    const QList<Entry> entries = memory->entries();
    const AtLocations& locations = locationsOf(session, entries.size());
    QList<QByteArray> lines;
    for (int location = *first; location <= qMin(*last, locations.highest()); ++location) {
        const int index = locations.indexAt(location);
        if (index >= 0)
            lines << entryLine(session, location, entries.at(index));
    }
    // A single location that is empty is "not found", as phones answer it.
    if (lines.isEmpty() && *first == *last)
        return AtResult::cme(cme::NotFound);
    return AtResult::ok(lines);
}

AtResult writeEntry(AtSession& session, const AtRequest& request)
{
    const auto memory = memoryOf(session);
    if (request.form == Form::Test)
        return AtResult::ok({"+CPBW: (1-" + QByteArray::number(memory->capacity()) + ")," +
                             QByteArray::number(atphonebook::MaximumNumber) + ",(129,145)," +
                             QByteArray::number(atphonebook::MaximumName)});
    if (request.form != Form::Set || request.args.isEmpty())
        return AtResult::cme(cme::IncorrectParameters);
    const int location = request.hasArg(0) ? request.number(0).value_or(-1) : 0;
    if (location < 0 || location > memory->capacity())
        return AtResult::cme(cme::InvalidIndex);
    AtLocations& locations = locationsOf(session, memory->entries().size());
    const int index = locations.indexAt(location);
    if (request.args.size() == 1) {
        // A location alone deletes its entry; an empty one is deleted already.
        if (index >= 0) {
            if (!memory->remove(index))
                return AtResult::cme(cme::Unknown);
            locations.removeAt(location);
        }
        return AtResult::ok();
    }
    Entry entry{QString(), request.args.at(1).text};
    if (const auto name = argText(session, request, 3))
        entry.name = *name;
    else if (request.args.size() > 3)
        return AtResult::cme(cme::InvalidCharacters);
    static const QString dialable = QStringLiteral("+0123456789*#pPwW,");
    if (entry.number.size() > atphonebook::MaximumNumber)
        return AtResult::cme(cme::DialStringTooLong);
    for (const QChar c : entry.number) {
        if (!dialable.contains(c))
            return AtResult::cme(cme::InvalidDialString);
    }
    if (entry.name.size() > atphonebook::MaximumName)
        return AtResult::cme(cme::TextTooLong);
    if (request.number(2).value_or(0) == NumberInternational &&
        !entry.number.startsWith(QLatin1Char('+')))
        entry.number.prepend(QLatin1Char('+'));
    if (index >= 0)
        return memory->replace(index, entry) ? AtResult::ok() : AtResult::cme(cme::Unknown);
    if (locations.used() >= memory->capacity())
        return AtResult::cme(cme::MemoryFull);
    if (!memory->add(entry))
        return AtResult::cme(cme::Unknown);
    return locations.append(location, memory->capacity()) > 0 ? AtResult::ok()
                                                              : AtResult::cme(cme::MemoryFull);
}

} // namespace

void addPhonebookCommands(AtHandlers& handlers)
{
    handlers.insert(QStringLiteral("+CPBS"), selectStorage);
    handlers.insert(QStringLiteral("+CPBR"), readEntries);
    handlers.insert(QStringLiteral("+CPBW"), writeEntry);
}

} // namespace phonesim

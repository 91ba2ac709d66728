#include "atmodem/atcommand.h"

#include "phonesim/phoneimage.h"
#include "phonesim/simstatus.h"
#include "phonesim/smsstore.h"

#include <QJsonArray>

namespace phonesim {

namespace {

using Form = AtRequest::Form;

// The storages of 27.005 by name: SM the SIM card (storage 1 of the image), ME the phone (2).
const QStringList StorageNames = {QStringLiteral("SM"), QStringLiteral("ME")};

qint32 storageOf(const QString& name)
{
    return static_cast<qint32>(StorageNames.indexOf(name)) + 1;
}

QJsonArray elementsOf(const PhoneImage& image, const QString& storage)
{
    return image.category(SmsStore::Key)
        .toObject()
        .value(QString::number(storageOf(storage)))
        .toObject()
        .value(QStringLiteral("messages"))
        .toArray();
}

// The locations of a storage, brought in line with its elements (a message the phone cannot
// read still takes its place).
AtLocations& locationsOf(AtSession& session, const QString& storage)
{
    AtLocations& locations = session.messageLocations[storage];
    locations.sync(static_cast<int>(elementsOf(*session.image, storage).size()));
    return locations;
}

std::optional<StoredSms> messageAt(const AtSession& session, const QString& storage, int index)
{
    const QJsonObject message = elementsOf(*session.image, storage).at(index).toObject();
    if (!message.value(QStringLiteral("pdu")).isString() ||
        !message.value(QStringLiteral("type")).isDouble() ||
        !message.value(QStringLiteral("length")).isDouble())
        return std::nullopt;
    return StoredSms{message.value(QStringLiteral("type")).toInt(),
                     message.value(QStringLiteral("length")).toInt(),
                     message.value(QStringLiteral("pdu")).toString()};
}

// The PDU as the phone gives it out: cut short when the image makes this message (counted over
// the SIM, then the phone memory) the corrupt one.
QByteArray pduOut(const AtSession& session, const QString& storage, int index,
                  const StoredSms& message)
{
    const int number = (storage == StorageNames.at(1)
                            ? static_cast<int>(elementsOf(*session.image, StorageNames.at(0)).size())
                            : 0) +
                       index + 1;
    QByteArray hex = message.pdu.toLatin1();
    if (number == session.image->faults().at.corruptPduAtMessage)
        hex.truncate(hex.size() / 4 * 2);
    return hex;
}

// "used,total" of a storage, after its name unless the answer leaves names out.
QByteArray storageStatus(AtSession& session, const QString& storage, bool named)
{
    SmsStore store(*session.image);
    return (named ? quoted(storage.toLatin1()) + ',' : QByteArray()) +
           QByteArray::number(locationsOf(session, storage).used()) + ',' +
           QByteArray::number(store.capacity(storageOf(storage)));
}

AtResult preferredStorage(AtSession& session, const AtRequest& request)
{
    SmsStore store(*session.image);
    QStringList available;
    for (const QString& name : StorageNames) {
        if (store.hasStorage(storageOf(name)))
            available << name;
    }
    if (request.form == Form::Test) {
        QByteArrayList names;
        for (const QString& name : available)
            names << quoted(name.toLatin1());
        const QByteArray list = '(' + names.join(',') + ')';
        return AtResult::ok({"+CPMS: " + list + ',' + list + ',' + list});
    }
    if (request.form == Form::Read)
        return AtResult::ok({"+CPMS: " + storageStatus(session, session.readStorage, true) + ',' +
                             storageStatus(session, session.writeStorage, true) + ',' +
                             storageStatus(session, session.writeStorage, true)});
    if (request.form != Form::Set || request.args.isEmpty() || request.args.size() > 3)
        return AtResult::cms(cms::InvalidTextParameter);
    QStringList chosen;
    for (int i = 0; i < request.args.size(); ++i) {
        const QString name = argName(session, request, i, available);
        if (name.isEmpty())
            return AtResult::cms(cms::NotSupported);
        chosen << name;
    }
    session.readStorage = chosen.at(0);
    session.writeStorage = chosen.value(1, session.writeStorage);
    return AtResult::ok({"+CPMS: " + storageStatus(session, session.readStorage, false) + ',' +
                         storageStatus(session, session.writeStorage, false) + ',' +
                         storageStatus(session, session.writeStorage, false)});
}

AtResult messageFormat(AtSession& session, const AtRequest& request)
{
    if (request.form == Form::Test)
        return AtResult::ok({"+CMGF: (0)"});
    if (request.form == Form::Read)
        return AtResult::ok({"+CMGF: " + QByteArray::number(session.messageFormat)});
    // Text mode is not offered: the phone speaks PDU mode only.
    if (request.form != Form::Set || request.number(0).value_or(-1) != 0)
        return AtResult::cms(cms::NotSupported);
    session.messageFormat = 0;
    return AtResult::ok();
}

AtResult listMessages(AtSession& session, const AtRequest& request)
{
    if (request.form == Form::Test)
        return AtResult::ok({"+CMGL: (0-4)"});
    const int wanted = request.hasArg(0) ? request.number(0).value_or(-1) : 0;
    if (request.form == Form::Read || wanted < 0 || wanted > 4)
        return AtResult::cms(cms::InvalidPduParameter);
    const AtLocations& locations = locationsOf(session, session.readStorage);
    QList<QByteArray> lines;
    for (int location = 1; location <= locations.highest(); ++location) {
        const int index = locations.indexAt(location);
        const auto message = index < 0 ? std::nullopt
                                       : messageAt(session, session.readStorage, index);
        if (!message || (wanted != smstype::All && message->type != wanted))
            continue;
        lines << "+CMGL: " + QByteArray::number(location) + ',' +
                     QByteArray::number(message->type) + ",," +
                     QByteArray::number(message->length)
              << pduOut(session, session.readStorage, index, *message);
    }
    return AtResult::ok(lines);
}

AtResult readMessage(AtSession& session, const AtRequest& request)
{
    if (request.form == Form::Test)
        return AtResult::ok();
    const auto location = request.number(0);
    if (request.form != Form::Set || !location)
        return AtResult::cms(cms::InvalidPduParameter);
    const int index = locationsOf(session, session.readStorage).indexAt(*location);
    const auto message = index < 0 ? std::nullopt : messageAt(session, session.readStorage, index);
    if (!message)
        return AtResult::cms(cms::InvalidMemoryIndex);
    return AtResult::ok({"+CMGR: " + QByteArray::number(message->type) + ",," +
                             QByteArray::number(message->length),
                         pduOut(session, session.readStorage, index, *message)});
}

AtResult writeMessage(AtSession& session, const AtRequest& request)
{
    if (request.form == Form::Test)
        return AtResult::ok();
    const auto length = request.number(0);
    const int status = request.hasArg(1) ? request.number(1).value_or(-1) : smstype::StoredUnsent;
    if (request.form != Form::Set || !length || *length < 1 || *length > 200 || status < 0 ||
        status > 3)
        return AtResult::cms(cms::InvalidPduParameter);
    session.pendingWriteLength = *length;
    session.pendingWriteStatus = status;
    return {{}, AtResult::Code::Prompt, 0};
}

bool removeElement(AtSession& session, const QString& storage, int index)
{
    QJsonObject all = session.image->category(SmsStore::Key).toObject();
    const QString key = QString::number(storageOf(storage));
    QJsonObject object = all.value(key).toObject();
    QJsonArray elements = object.value(QStringLiteral("messages")).toArray();
    elements.removeAt(index);
    object.insert(QStringLiteral("messages"), elements);
    all.insert(key, object);
    return session.image->setCategory(SmsStore::Key, all);
}

AtResult deleteMessages(AtSession& session, const AtRequest& request)
{
    if (request.form == Form::Test)
        return AtResult::ok({"+CMGD: (1-" + QByteArray::number(SmsStore(*session.image).capacity(
                                                storageOf(session.readStorage))) +
                             "),(0-4)"});
    const auto location = request.number(0);
    const int flag = request.hasArg(1) ? request.number(1).value_or(-1) : 0;
    if (request.form != Form::Set || !location || flag < 0 || flag > 4)
        return AtResult::cms(cms::InvalidPduParameter);
    AtLocations& locations = locationsOf(session, session.readStorage);
    // Flags 1 to 4 delete by status, whatever the location: read; and sent; and unsent; all.
    QList<int> doomed;
    if (flag == 0) {
        doomed << *location;
    } else {
        for (int at = 1; at <= locations.highest(); ++at) {
            const int index = locations.indexAt(at);
            const auto message = index < 0 ? std::nullopt
                                           : messageAt(session, session.readStorage, index);
            const bool byStatus =
                message && (flag == 4 || message->type == smstype::ReceivedRead ||
                            (flag >= 2 && message->type == smstype::StoredSent) ||
                            (flag >= 3 && message->type == smstype::StoredUnsent));
            if (byStatus)
                doomed << at;
        }
    }
    for (int at : doomed) {
        const int index = locations.indexAt(at);
        if (index < 0)
            continue;
        if (!removeElement(session, session.readStorage, index))
            return AtResult::cms(cms::Unknown);
        locations.removeAt(at);
    }
    return AtResult::ok();
}

// The service centre the SIM card holds; the demo phone's messages came through this one.
AtResult serviceCentre(AtSession& session, const AtRequest& request)
{
    const QString key = QStringLiteral("serviceCentre");
    QJsonObject settings = session.image->settings(LineSettings);
    if (request.form == Form::Read) {
        const QString number = settings.value(key).toString(QStringLiteral("+491710760000"));
        return AtResult::ok({"+CSCA: " + quoted(atcharset::encode(number, session.charset)) + ',' +
                             (number.startsWith(QLatin1Char('+')) ? "145" : "129")});
    }
    if (request.form == Form::Test)
        return AtResult::ok();
    const auto number = argText(session, request, 0);
    if (request.form != Form::Set || !number)
        return AtResult::cms(cms::InvalidTextParameter);
    settings.insert(key, *number);
    return session.image->setSettings(LineSettings, settings) ? AtResult::ok()
                                                                : AtResult::cms(cms::Unknown);
}

} // namespace

AtResult storeWrittenMessage(AtSession& session, const QByteArray& pdu)
{
    const int length = session.pendingWriteLength;
    session.pendingWriteLength = -1;
    SmsStore store(*session.image);
    const qint32 storage = storageOf(session.writeStorage);
    AtLocations& locations = locationsOf(session, session.writeStorage);
    if (locations.used() >= store.capacity(storage))
        return AtResult::cms(cms::MemoryFull);
    const qint32 stored = store.add(
        storage, StoredSms{session.pendingWriteStatus, length, QString::fromLatin1(pdu.trimmed())});
    if (stored == status::MemoryFull)
        return AtResult::cms(cms::MemoryFull);
    if (stored != status::Ok)
        return AtResult::cms(stored == status::InvalidParameter ? cms::InvalidPduParameter
                                                                : cms::Unknown);
    const int location = locations.append(0, store.capacity(storage));
    return AtResult::ok({"+CMGW: " + QByteArray::number(location)});
}

void addMessageCommands(AtHandlers& handlers)
{
    handlers.insert(QStringLiteral("+CPMS"), preferredStorage);
    handlers.insert(QStringLiteral("+CMGF"), messageFormat);
    handlers.insert(QStringLiteral("+CMGL"), listMessages);
    handlers.insert(QStringLiteral("+CMGR"), readMessage);
    handlers.insert(QStringLiteral("+CMGW"), writeMessage);
    handlers.insert(QStringLiteral("+CMGD"), deleteMessages);
    handlers.insert(QStringLiteral("+CSCA"), serviceCentre);
}

} // namespace phonesim

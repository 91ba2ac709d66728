#include "atmodem/atcommand.h"

#include "core/clock.h"
#include "irmc/irmcstore.h"
#include "phonesim/phoneimage.h"

#include <QJsonObject>
#include <QRegularExpression>
#include <QTimeZone>

namespace phonesim {

namespace {

using Form = AtRequest::Form;

// The SIM card's subscriber identity: a test network's (MCC 001, MNC 01), as no image keeps one.
constexpr const char* TestImsi = "001010123456789";
// What the phone reports of its battery (charge level in per cent) and of the network.
constexpr int BatteryPercent = 85;
constexpr int SignalRssi = 21;

const QString OffsetKey = QStringLiteral("clockOffsetSeconds");

// A command that only tells a text: its name alone or with "=?" (then answered OK alone).
AtHandler telling(std::function<QString(const AtSession&)> text)
{
    return [text](AtSession& session, const AtRequest& request) {
        if (request.form == Form::Test)
            return AtResult::ok();
        if (request.form != Form::Action)
            return AtResult::fail();
        return AtResult::ok({text(session).toUtf8()});
    };
}

AtResult charsetCommand(AtSession& session, const AtRequest& request)
{
    if (request.form == Form::Read)
        return AtResult::ok({"+CSCS: " + quoted(atcharset::name(session.charset).toLatin1())});
    if (request.form == Form::Test) {
        QByteArrayList names;
        for (const QString& name : atcharset::names())
            names << quoted(name.toLatin1());
        return AtResult::ok({"+CSCS: (" + names.join(',') + ')'});
    }
    if (request.form != Form::Set || request.args.size() != 1)
        return AtResult::cme(cme::IncorrectParameters);
    const auto charset = atcharset::fromName(argName(session, request, 0, atcharset::names()));
    if (!charset)
        return AtResult::cme(cme::NotSupported);
    session.charset = *charset;
    return AtResult::ok();
}

AtResult errorReporting(AtSession& session, const AtRequest& request)
{
    if (request.form == Form::Read)
        return AtResult::ok({"+CMEE: " + QByteArray::number(session.cmee)});
    if (request.form == Form::Test)
        return AtResult::ok({"+CMEE: (0-2)"});
    const auto mode = request.args.isEmpty() ? std::optional<int>(0) : request.number(0);
    if (request.form != Form::Set || !mode || *mode < 0 || *mode > 2)
        return AtResult::cme(cme::IncorrectParameters);
    session.cmee = *mode;
    return AtResult::ok();
}

// The phone's clock: the wall clock moved by the offset the last AT+CCLK set, which the image
// keeps so that the time set survives the line.
AtResult clockCommand(AtSession& session, const AtRequest& request)
{
    const qint64 offset =
        static_cast<qint64>(session.image->settings(LineSettings).value(OffsetKey).toDouble());
    if (request.form == Form::Test)
        return AtResult::ok();
    if (request.form == Form::Read) {
        const QDateTime now = session.clock->now().addSecs(offset);
        const int quarters = now.offsetFromUtc() / 900;
        const QByteArray zone =
            (quarters < 0 ? "-" : "+") + QByteArray::number(std::abs(quarters)).rightJustified(2, '0');
        return AtResult::ok(
            {"+CCLK: " + quoted(now.toString(QStringLiteral("yy/MM/dd,HH:mm:ss")).toLatin1() + zone)});
    }
    if (request.form != Form::Set || request.args.size() != 1)
        return AtResult::cme(cme::IncorrectParameters);
    static const QRegularExpression format(
        QStringLiteral("^(\\d\\d)/(\\d\\d)/(\\d\\d),(\\d\\d):(\\d\\d):(\\d\\d)([+-]\\d\\d?)?$"));
    const auto match = format.match(request.args.first().text);
    if (!match.hasMatch())
        return AtResult::cme(cme::IncorrectParameters);
    const int quarters = match.captured(7).toInt();
    const QDateTime set(QDate(2000 + match.captured(1).toInt(), match.captured(2).toInt(),
                              match.captured(3).toInt()),
                        QTime(match.captured(4).toInt(), match.captured(5).toInt(),
                              match.captured(6).toInt()),
                        QTimeZone(quarters * 900));
    if (!set.isValid() || std::abs(quarters) > 56)
        return AtResult::cme(cme::IncorrectParameters);
    QJsonObject clock = session.image->settings(LineSettings);
    clock.insert(OffsetKey, static_cast<double>(session.clock->now().secsTo(set)));
    if (!session.image->setSettings(LineSettings, clock))
        return AtResult::cme(cme::Unknown);
    return AtResult::ok();
}

// A status the phone only reports: the read or action form answers it, "=?" its range.
AtHandler reporting(const QByteArray& name, const QByteArray& value, const QByteArray& range)
{
    return [name, value, range](AtSession&, const AtRequest& request) {
        if (request.form == Form::Test)
            return AtResult::ok({name + ": " + range});
        if (request.form == Form::Set)
            return AtResult::cme(cme::NotAllowed);
        return AtResult::ok({name + ": " + value});
    };
}

} // namespace

const QString LineSettings = QStringLiteral("serialLine");

void AtSession::reset()
{
    charset = atcharset::Charset::Gsm;
    cmee = 0;
    phonebook = QStringLiteral("ME");
    readStorage = writeStorage = QStringLiteral("SM");
    messageFormat = 0;
    pendingWriteLength = -1;
}

std::optional<int> AtRequest::number(int index) const
{
    if (index >= args.size() || args.at(index).quoted)
        return std::nullopt;
    bool ok = false;
    const int value = args.at(index).text.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

QByteArray quoted(const QByteArray& text)
{
    return '"' + text + '"';
}

std::optional<QString> argText(const AtSession& session, const AtRequest& request, int index)
{
    if (index >= request.args.size())
        return std::nullopt;
    return atcharset::decode(request.args.at(index).text.toLatin1(), session.charset);
}

QString argName(const AtSession& session, const AtRequest& request, int index,
                const QStringList& names)
{
    const QString raw = request.args.value(index).text.toUpper();
    if (names.contains(raw))
        return raw;
    const QString decoded = argText(session, request, index).value_or(QString()).toUpper();
    return names.contains(decoded) ? decoded : QString();
}

void addGeneralCommands(AtHandlers& handlers)
{
    const auto manufacturer = telling([](const AtSession&) {
        return irmc::MemoryIrmcStore::defaultIdentity().manufacturer;
    });
    const auto model = telling([](const AtSession& s) { return s.image->identity().model; });
    const auto revision =
        telling([](const AtSession& s) { return s.image->identity().softwareVersion; });
    const auto serial = telling([](const AtSession& s) { return s.image->identity().imei; });
    for (const char* prefix : {"+C", "+"}) {
        handlers.insert(QLatin1String(prefix) + QStringLiteral("GMI"), manufacturer);
        handlers.insert(QLatin1String(prefix) + QStringLiteral("GMM"), model);
        handlers.insert(QLatin1String(prefix) + QStringLiteral("GMR"), revision);
        handlers.insert(QLatin1String(prefix) + QStringLiteral("GSN"), serial);
    }
    handlers.insert(QStringLiteral("+CIMI"),
                    telling([](const AtSession&) { return QString::fromLatin1(TestImsi); }));
    handlers.insert(QStringLiteral("+CSCS"), charsetCommand);
    handlers.insert(QStringLiteral("+CMEE"), errorReporting);
    handlers.insert(QStringLiteral("+CCLK"), clockCommand);
    handlers.insert(QStringLiteral("+CBC"),
                    reporting("+CBC", "0," + QByteArray::number(BatteryPercent), "(0-3),(0-100)"));
    handlers.insert(QStringLiteral("+CSQ"),
                    reporting("+CSQ", QByteArray::number(SignalRssi) + ",99", "(0-31,99),(0-7,99)"));
    handlers.insert(QStringLiteral("+CPIN"), reporting("+CPIN", "READY", ""));
    handlers.insert(QStringLiteral("+CREG"), reporting("+CREG", "0,1", "(0-2)"));
    // The phone stays on whatever level is asked for; only full function is offered.
    handlers.insert(QStringLiteral("+CFUN"), [](AtSession&, const AtRequest& request) {
        if (request.form == Form::Set)
            return request.number(0).value_or(-1) == 1 ? AtResult::ok()
                                                       : AtResult::cme(cme::NotSupported);
        return AtResult::ok({request.form == Form::Test ? "+CFUN: (1),(0)" : "+CFUN: 1"});
    });
    // OBEX (protocol 0): the phone's IrMC server takes the line until the client disconnects.
    // Only an image with "atObex" tells its IrMC level, which makes libgammu read the phonebook
    // and calendar over OBEX rather than AT.
    handlers.insert(QStringLiteral("+CPROT"), [](AtSession& session, const AtRequest& request) {
        if (request.form == Form::Test)
            return AtResult::ok({session.image->category(QStringLiteral("atObex")).toBool()
                                     ? "+CPROT: 0,\"1.2\",8"
                                     : "+CPROT: 0"});
        if (request.form == Form::Set && request.args.size() == 1 && request.number(0) == 0)
            return AtResult{{}, AtResult::Code::ObexMode, 0};
        return AtResult::cme(cme::NotSupported);
    });
    handlers.insert(QStringLiteral("+CHUP"), [](AtSession&, const AtRequest& request) {
        return request.form == Form::Action || request.form == Form::Test ? AtResult::ok()
                                                                          : AtResult::fail();
    });
}

} // namespace phonesim

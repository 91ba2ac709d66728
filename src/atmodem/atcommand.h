#pragma once

#include "atmodem/atcharset.h"
#include "atmodem/atlocations.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class WallClock;

namespace phonesim {

class PhoneImage;

// One argument of an extended command: its text, unquoted, and whether it was quoted.
struct AtArg
{
    QString text;
    bool quoted = false;
};

// One extended command of a command line ("+CPBR=1,10"): its name in upper case, its form
// and its arguments.
struct AtRequest
{
    enum class Form { Action, Read, Test, Set };
    QString name;
    Form form = Form::Action;
    QList<AtArg> args;

    bool hasArg(int index) const { return index < args.size() && !args.at(index).text.isEmpty(); }
    // The argument as a whole number; nullopt when it is missing or no number.
    std::optional<int> number(int index) const;
};

// The answer to one command: information lines and the final result.
struct AtResult
{
    enum class Code { Ok, Error, CmeError, CmsError, Prompt, ObexMode };
    QList<QByteArray> lines;
    Code code = Code::Ok;
    int error = 0;

    static AtResult ok(QList<QByteArray> lines = {}) { return {std::move(lines), Code::Ok, 0}; }
    static AtResult fail() { return {{}, Code::Error, 0}; }
    static AtResult cme(int error) { return {{}, Code::CmeError, error}; }
    static AtResult cms(int error) { return {{}, Code::CmsError, error}; }
};

// +CME ERROR numbers of 3GPP TS 27.007 and +CMS ERROR numbers of 27.005 the phone answers.
namespace cme {
constexpr int NotAllowed = 3;
constexpr int NotSupported = 4;
constexpr int MemoryFull = 20;
constexpr int InvalidIndex = 21;
constexpr int NotFound = 22;
constexpr int TextTooLong = 24;
constexpr int InvalidCharacters = 25;
constexpr int DialStringTooLong = 26;
constexpr int InvalidDialString = 27;
constexpr int IncorrectParameters = 50;
constexpr int Unknown = 100;
} // namespace cme
namespace cms {
constexpr int NotAllowed = 302;
constexpr int NotSupported = 303;
constexpr int InvalidPduParameter = 304;
constexpr int InvalidTextParameter = 305;
constexpr int InvalidMemoryIndex = 321;
constexpr int MemoryFull = 322;
constexpr int Unknown = 500;
} // namespace cms

// What the commands of one line share: the phone's image and the settings of the session,
// which last until the line is closed (ATZ puts them back).
struct AtSession
{
    std::shared_ptr<PhoneImage> image;
    const WallClock* clock = nullptr;
    atcharset::Charset charset = atcharset::Charset::Gsm;
    int cmee = 0;
    QString phonebook = QStringLiteral("ME");
    QString readStorage = QStringLiteral("SM");
    QString writeStorage = QStringLiteral("SM");
    int messageFormat = 0;
    // Locations of the entries of each phonebook and message storage, by storage name.
    QHash<QString, AtLocations> phonebookLocations;
    QHash<QString, AtLocations> messageLocations;
    // AT+CMGW waiting for its PDU: the octets of its TPDU and the status to store.
    int pendingWriteLength = -1;
    int pendingWriteStatus = 2;

    void reset();
};

// The settings group of the image where the phone keeps what AT commands set: the clock's
// offset from the wall clock and the service centre.
extern const QString LineSettings;

using AtHandler = std::function<AtResult(AtSession&, const AtRequest&)>;
using AtHandlers = QHash<QString, AtHandler>;

// The commands by part of the phone, each adding its handlers under their names.
void addGeneralCommands(AtHandlers& handlers);
void addPhonebookCommands(AtHandlers& handlers);
void addMessageCommands(AtHandlers& handlers);
// The PDU typed after the prompt of AT+CMGW, ended by Ctrl-Z.
AtResult storeWrittenMessage(AtSession& session, const QByteArray& pdu);

// A text between quotes, as answers write it.
QByteArray quoted(const QByteArray& text);
// The text of a quoted argument in the session's character set; nullopt when it is not well
// formed in it.
std::optional<QString> argText(const AtSession& session, const AtRequest& request, int index);
// A name of the standards (a storage, a character set): as written, or in the session's
// character set, since programs send it either way.
QString argName(const AtSession& session, const AtRequest& request, int index, const QStringList& names);

} // namespace phonesim

#pragma once

#include "atmodem/atcommand.h"

#include <QByteArray>
#include <QList>
#include <memory>

class WallClock;

namespace irmc {
class IrmcStore;
class ObexServer;
}

namespace phonesim {

class PhoneImage;

// The phone as an AT modem (ITU-T V.250, 3GPP TS 27.007 and 27.005): takes the bytes that
// arrive on the line and gives the bytes to send back, one answer per command line. It knows
// nothing of the line itself; the faults of the image's "at" member that shape the answers
// (silence, an error for chosen commands, a corrupt PDU) are applied here, the delay and the cut
// line by the line that carries the answers.
class AtModem
{
public:
    struct Answer
    {
        QByteArray bytes;
        // The command count reached the image's cutAfterCommands with this answer.
        bool cutLine = false;
    };

    AtModem(std::shared_ptr<PhoneImage> image, const WallClock& clock);
    ~AtModem();

    // The answers to the command lines completed by bytes, in order.
    QList<Answer> feed(const QByteArray& bytes);
    // Commands answered so far.
    int commandCount() const { return m_commands; }

private:
    Answer commandLine(const QByteArray& line);
    // Runs one basic command (E, V, Q, Z, ...) at text[pos], moving pos past it.
    AtResult basicCommand(const QByteArray& text, qsizetype& pos);
    AtResult extendedCommand(const QByteArray& text, qsizetype& pos);
    QByteArray framed(const AtResult& result) const;
    QByteArray finalCode(AtResult::Code code, int error) const;
    bool silent() const;
    // OBEX after AT+CPROT=0: the bytes go to the IrMC server until its client disconnects.
    QByteArray obexBytes(const QByteArray& bytes);

    AtSession m_session;
    AtHandlers m_handlers;
    QByteArray m_line;
    bool m_echo = true;
    bool m_verbose = true;
    bool m_quiet = false;
    // Typing the PDU of AT+CMGW, after the "> " prompt.
    bool m_inPdu = false;
    int m_commands = 0;
    std::unique_ptr<irmc::IrmcStore> m_obexStore;
    std::unique_ptr<irmc::ObexServer> m_obex;
    bool m_obexConnected = false;
};

} // namespace phonesim

#include "atmodem/atmodem.h"

#include "irmc/obexserver.h"
#include "phonesim/imageirmcstore.h"
#include "phonesim/phoneimage.h"

#include <cctype>

namespace phonesim {

namespace {

constexpr char CtrlZ = 0x1A;
constexpr char Escape = 0x1B;
constexpr char Backspace = 0x08;
// A line longer than any command is noise on the line; it is dropped rather than kept growing.
constexpr qsizetype MaximumLine = 8192;

bool isExtendedPrefix(char c)
{
    return c == '+' || c == '*' || c == '^' || c == '$' || c == '%' || c == '#';
}

bool isNameChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '.' || c == '-';
}

// Arguments up to the ";" that ends the command, outside quotes; pos ends after it.
QList<AtArg> takeArguments(const QByteArray& text, qsizetype& pos)
{
    QList<AtArg> args;
    AtArg current;
    bool inQuotes = false;
    bool any = false;
    for (; pos < text.size(); ++pos) {
        const char c = text.at(pos);
        if (inQuotes) {
            if (c == '"')
                inQuotes = false;
            else
                current.text += QLatin1Char(c);
            continue;
        }
        if (c == ';')
            break;
        any = true;
        if (c == '"') {
            inQuotes = true;
            current.quoted = true;
        } else if (c == ',') {
            args.append(current);
            current = AtArg();
        } else if (c != ' ') {
            current.text += QLatin1Char(c);
        }
    }
    if (any)
        args.append(current);
    return args;
}

QByteArray cmeText(int error)
{
    switch (error) {
    case cme::NotAllowed: return "operation not allowed";
    case cme::NotSupported: return "operation not supported";
    case cme::MemoryFull: return "memory full";
    case cme::InvalidIndex: return "invalid index";
    case cme::NotFound: return "not found";
    case cme::TextTooLong: return "text string too long";
    case cme::InvalidCharacters: return "invalid characters in text string";
    case cme::DialStringTooLong: return "dial string too long";
    case cme::InvalidDialString: return "invalid characters in dial string";
    case cme::IncorrectParameters: return "incorrect parameters";
    default: return "unknown";
    }
}

} // namespace

AtModem::AtModem(std::shared_ptr<PhoneImage> image, const WallClock& clock)
{
    m_session.image = std::move(image);
    m_session.clock = &clock;
    addGeneralCommands(m_handlers);
    addPhonebookCommands(m_handlers);
    addMessageCommands(m_handlers);
}

AtModem::~AtModem() = default;

QByteArray AtModem::obexBytes(const QByteArray& bytes)
{
    m_obex->faults() = m_session.image->faults().obex;
    const QByteArray answer = m_obex->feed(bytes);
    if (m_obex->isConnected()) {
        m_obexConnected = true;
    } else if (m_obexConnected) {
        m_obex.reset();
        m_obexStore.reset();
        m_obexConnected = false;
    }
    return answer;
}

bool AtModem::silent() const
{
    const int after = m_session.image->faults().at.silentAfterCommands;
    return after > 0 && m_commands >= after;
}

QList<AtModem::Answer> AtModem::feed(const QByteArray& bytes)
{
    // Another program may have changed the image or its journal since the last command: the
    // answers come from the image as it is now, as every program sharing an image serves it.
    m_session.image->refresh();
    QList<Answer> answers;
    if (m_obex) {
        if (!silent())
            answers.append({obexBytes(bytes), false});
        return answers;
    }
    for (const char c : bytes) {
        if (m_inPdu) {
            if (c == CtrlZ || c == Escape) {
                m_inPdu = false;
                const AtResult result = c == CtrlZ ? storeWrittenMessage(m_session, m_line)
                                                   : AtResult::ok();
                Answer answer{silent() ? QByteArray() : framed(result), false};
                if (m_echo && !answer.bytes.isEmpty())
                    answer.bytes.prepend(m_line);
                m_line.clear();
                answers.append(answer);
            } else if (c != '\r' && c != '\n' && m_line.size() < MaximumLine) {
                m_line.append(c);
            }
            continue;
        }
        if (c == '\r') {
            answers.append(commandLine(m_line));
            m_line.clear();
        } else if (c == Backspace) {
            m_line.chop(1);
        } else if (c == Escape || c == CtrlZ || m_line.size() >= MaximumLine) {
            m_line.clear();
        } else if (c != '\n' || !m_line.isEmpty()) {
            m_line.append(c);
        }
    }
    return answers;
}

AtModem::Answer AtModem::commandLine(const QByteArray& line)
{
    if (silent())
        return {};
    Answer answer;
    if (m_echo)
        answer.bytes = line + '\r';
    const QByteArray text = line.trimmed();
    // Not a command line (noise, a lone ESC before the first command): read and let pass.
    if (text.size() < 2 || text.left(2).toUpper() != "AT")
        return answer;

    QList<QByteArray> lines;
    AtResult last = AtResult::ok();
    qsizetype pos = 2;
    while (pos < text.size() && last.code == AtResult::Code::Ok) {
        const char c = text.at(pos);
        if (c == ' ' || c == ';') {
            ++pos;
            continue;
        }
        if (isExtendedPrefix(c))
            last = extendedCommand(text, pos);
        else
            last = basicCommand(text, pos);
        lines += last.lines;
    }
    // A command line counts as one command, however many it holds: what a program sends at once.
    ++m_commands;
    const int cut = m_session.image->faults().at.cutAfterCommands;
    answer.cutLine = cut > 0 && m_commands == cut;
    if (last.code == AtResult::Code::ObexMode) {
        m_obexStore = std::make_unique<ImageIrmcStore>(m_session.image);
        m_obex = std::make_unique<irmc::ObexServer>(*m_obexStore);
        answer.bytes += m_verbose ? "\r\nCONNECT\r\n" : "1\r";
        return answer;
    }
    if (last.code == AtResult::Code::Prompt) {
        m_inPdu = true;
        answer.bytes += "\r\n> ";
        return answer;
    }
    last.lines = lines;
    answer.bytes += framed(last);
    return answer;
}

AtResult AtModem::basicCommand(const QByteArray& text, qsizetype& pos)
{
    QByteArray name(1, static_cast<char>(QChar::toUpper(static_cast<char32_t>(text.at(pos++)))));
    if (name == "&" && pos < text.size())
        name += static_cast<char>(QChar::toUpper(static_cast<char32_t>(text.at(pos++))));
    if (name == "S") {
        // S registers are accepted and read as their V.250 defaults; the phone keeps CR and LF.
        while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text.at(pos))))
            ++pos;
        if (pos < text.size() && text.at(pos) == '?') {
            ++pos;
            return AtResult::ok({"000"});
        }
        if (pos < text.size() && text.at(pos) == '=')
            ++pos;
    }
    int value = 0;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text.at(pos))))
        value = value * 10 + (text.at(pos++) - '0');
    if (name == "E" || name == "V" || name == "Q") {
        if (value > 1)
            return AtResult::fail();
        (name == "E" ? m_echo : name == "V" ? m_verbose : m_quiet) = value == 1;
        return AtResult::ok();
    }
    if (name == "Z" || name == "&F") {
        m_echo = m_verbose = true;
        m_quiet = false;
        m_session.reset();
        return AtResult::ok();
    }
    if (name == "I")
        return value == 0 ? AtResult::ok({m_session.image->identity().model.toUtf8()})
                          : AtResult::fail();
    static const QList<QByteArray> accepted = {"S", "H", "L", "M", "X", "&C", "&D", "&K", "&W"};
    return accepted.contains(name) ? AtResult::ok() : AtResult::fail();
}

AtResult AtModem::extendedCommand(const QByteArray& text, qsizetype& pos)
{
    AtRequest request;
    QByteArray name(1, text.at(pos++));
    while (pos < text.size() && isNameChar(static_cast<char>(std::toupper(text.at(pos)))))
        name += static_cast<char>(std::toupper(text.at(pos++)));
    request.name = QString::fromLatin1(name);
    if (text.mid(pos, 2) == "=?") {
        request.form = AtRequest::Form::Test;
        pos += 2;
    } else if (pos < text.size() && text.at(pos) == '=') {
        request.form = AtRequest::Form::Set;
        ++pos;
        request.args = takeArguments(text, pos);
    } else if (pos < text.size() && text.at(pos) == '?') {
        request.form = AtRequest::Form::Read;
        ++pos;
    }
    // Whatever follows up to the next command is no part of this one.
    if (request.form != AtRequest::Form::Set && pos < text.size() && text.at(pos) != ';')
        return AtResult::fail();
    const auto chosen = m_session.image->faults().at.cmeErrors.constFind(request.name);
    if (chosen != m_session.image->faults().at.cmeErrors.cend())
        return AtResult::cme(chosen.value());
    const auto handler = m_handlers.constFind(request.name);
    if (handler == m_handlers.cend())
        return AtResult::fail();
    return handler.value()(m_session, request);
}

QByteArray AtModem::finalCode(AtResult::Code code, int error) const
{
    if (m_quiet)
        return {};
    QByteArray text;
    if (code == AtResult::Code::Ok) {
        text = m_verbose ? "OK" : "0";
    } else if (code == AtResult::Code::Error || m_session.cmee == 0) {
        text = m_verbose ? "ERROR" : "4";
    } else if (code == AtResult::Code::CmeError) {
        text = "+CME ERROR: " + (m_session.cmee == 2 ? cmeText(error) : QByteArray::number(error));
    } else {
        text = "+CMS ERROR: " + QByteArray::number(error);
    }
    return m_verbose ? "\r\n" + text + "\r\n" : text + '\r';
}

QByteArray AtModem::framed(const AtResult& result) const
{
    QByteArray bytes;
    if (!result.lines.isEmpty()) {
        for (const QByteArray& line : result.lines)
            bytes += (m_verbose && bytes.isEmpty() ? "\r\n" : "") + line + "\r\n";
    }
    return bytes + finalCode(result.code, result.error);
}

} // namespace phonesim

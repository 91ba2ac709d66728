#pragma once

#include "phone/phonecommands.h"

#include <QList>
#include <QString>
#include <QVariantList>
#include <functional>
#include <map>
#include <optional>

namespace phonesim {

class PhoneImage;

// What a settings command answers: a status (0 = success) and the values of the answer.
struct CommandResult
{
    qint32 status = 0;
    QVariantList data;
};

// Executes one settings command on the phone's state. Handlers validate their parameters and
// answer status::InvalidParameter rather than throw; a throwing handler is answered the same.
using CommandHandler = std::function<CommandResult(PhoneImage& image, const QVariantList& params)>;

// The settings commands a phone knows, by code.
class CommandTable
{
public:
    // A command registered twice keeps its first handler; returns false then.
    bool add(Command command, CommandHandler handler);
    bool contains(qint32 code) const;
    // Every registered code, ascending.
    QList<qint32> codes() const;
    // Runs the handler; an unknown code answers status::NotSupported.
    CommandResult run(qint32 code, PhoneImage& image, const QVariantList& params) const;

private:
    std::map<qint32, CommandHandler> m_entries;
};

// Every category's commands; the one list of registrations (one line per category).
void registerAllCommands(CommandTable& table);

// Helpers shared by the handlers of all categories.
namespace answer {
CommandResult ok(const QVariantList& data = {});
CommandResult status(qint32 status);
CommandResult invalidParameter();
} // namespace answer

// The integer parameter at index, when it is one: integer variants of any width are accepted
// (the program sends 16-bit and 32-bit values), texts, Booleans and fractions are not.
std::optional<qint64> integerParam(const QVariantList& params, qsizetype index);
// The integer parameter at index when it lies within min..max.
std::optional<qint64> rangeParam(const QVariantList& params, qsizetype index, qint64 min,
                                 qint64 max);
// The text parameter at index; any other type is not one.
std::optional<QString> textParam(const QVariantList& params, qsizetype index);
// A 16-bit answer value; counts, indexes and choices of the phone all fit one.
QVariant int16Value(qint64 value);

} // namespace phonesim

#include "phonesim/commandtable.h"

#include "phone/variants.h"
#include "phonesim/simstatus.h"

#include <QMetaType>
#include <exception>

namespace phonesim {

bool CommandTable::add(Command command, CommandHandler handler)
{
    Q_ASSERT_X(!m_entries.count(command), "CommandTable::add", "command code registered twice");
    return m_entries.emplace(command, std::move(handler)).second;
}

bool CommandTable::contains(qint32 code) const
{
    return m_entries.count(code) != 0;
}

QList<qint32> CommandTable::codes() const
{
    QList<qint32> result;
    result.reserve(static_cast<qsizetype>(m_entries.size()));
    for (const auto& [code, handler] : m_entries)
        result.append(code);
    return result;
}

CommandResult CommandTable::run(qint32 code, PhoneImage& image, const QVariantList& params) const
{
    const auto it = m_entries.find(code);
    if (it == m_entries.end())
        return answer::status(status::NotSupported);
    // A phone answers a command it cannot carry out; it never goes down over one.
    try {
        return it->second(image, params);
    } catch (const std::exception&) {
        return answer::invalidParameter();
    }
}

namespace answer {

CommandResult ok(const QVariantList& data)
{
    return CommandResult{status::Ok, data};
}

CommandResult status(qint32 value)
{
    return CommandResult{value, {}};
}

CommandResult invalidParameter()
{
    return CommandResult{status::InvalidParameter, {}};
}

} // namespace answer

std::optional<qint64> integerParam(const QVariantList& params, qsizetype index)
{
    if (index < 0 || index >= params.size())
        return std::nullopt;
    return variants::integerOf(params.at(index));
}

std::optional<qint64> rangeParam(const QVariantList& params, qsizetype index, qint64 min,
                                 qint64 max)
{
    const std::optional<qint64> value = integerParam(params, index);
    if (!value || *value < min || *value > max)
        return std::nullopt;
    return value;
}

std::optional<QString> textParam(const QVariantList& params, qsizetype index)
{
    if (index < 0 || index >= params.size() || params.at(index).typeId() != QMetaType::QString)
        return std::nullopt;
    return params.at(index).toString();
}

QVariant int16Value(qint64 value)
{
    return variants::int16(static_cast<qint16>(value));
}

} // namespace phonesim

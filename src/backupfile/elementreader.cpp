#include "backupfile/backupfile.h"

#include "statuslog/statuslog.h"
#include "backupfile/elements.h"

bool BackupFile::opensSection(const QString& line) const
{
    return sections::findTag(sections::tagWord(line)) >= 0;
}

void BackupFile::logMissingClose(const QString& closingText)
{
    m_log.WriteLog(QStringLiteral("Missing end of section -> ") + closingText);
}

void BackupFile::handleElementLine(const QString& line, const ElementHandler& onElement)
{
    const elements::ElementParts parts = elements::splitElementLine(line);
    if (!parts.hasKey || !parts.hasValueEnd) {
        m_log.WriteLog(QStringLiteral("Incorrect element line -> ") + line);
        return;
    }
    onElement(parts.key, parts.value);
}

int BackupFile::readElements(int lineIndex, const QString& skipText, const QString& closingText,
                             const ElementHandler& onElement)
{
    const int last = static_cast<int>(sFileLines.size()) - 1;
    // The line after the current one decides whether the reading goes on.
    auto endsHere = [&](int index) {
        if (index >= last) {
            logMissingClose(closingText);
            return true;
        }
        const QString& next = sFileLines.at(index + 1);
        if (next.contains(closingText))
            return true;
        if (opensSection(next)) {
            logMissingClose(closingText);
            return true;
        }
        return false;
    };

    if (lineIndex < 0 || endsHere(lineIndex))
        return lineIndex;
    int index = lineIndex;
    for (;;) {
        ++index;
        const QString& line = sFileLines.at(index);
        const bool skipped =
            (!skipText.isEmpty() && line.contains(skipText)) || line.size() <= 2;
        if (!skipped)
            handleElementLine(line, onElement);
        if (endsHere(index))
            return index;
        yieldOnce();
    }
}

template <typename Int>
bool BackupFile::readInteger(const QString& key, const std::optional<Int>& number, const QString& value,
                             Int& target)
{
    if (!number) {
        m_log.WriteLog(QStringLiteral("Value out of range -> ") + key + QStringLiteral(" value=") +
                       value);
        return false;
    }
    target = *number;
    return true;
}

bool BackupFile::readInt16(const QString& key, const QString& value, qint16& target)
{
    return readInteger(key, elements::valueToInt16(value), value, target);
}

bool BackupFile::readInt32(const QString& key, const QString& value, qint32& target)
{
    return readInteger(key, elements::valueToInt32(value), value, target);
}

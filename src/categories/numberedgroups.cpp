#include "categories/numberedgroups.h"

#include "backupfile/backupfile.h"
#include "categories/categoryservices.h"
#include "statuslog/statuslog.h"

int readNumberedGroups(CategoryServices& services, int lineIndex, const NumberedGroups& groups)
{
    StatusLog& log = services.log;
    // No group is current until a Number line names one.
    int current = -1;
    return services.file.readElements(
        lineIndex, groups.skipText, groups.closingText,
        [&](const QString& key, const QString& value) {
            if (key == QLatin1String("Number")) {
                // After a Number line that is passed over, its elements have no group either.
                current = groups.open(value);
                return;
            }
            if (!groups.elements.contains(key)) {
                if (!groups.quietUnknown)
                    log.WriteLog(QStringLiteral("Failed to find the tag->") + key);
                return;
            }
            if (current < 0) {
                log.WriteLog(groups.withoutGroup + key + QStringLiteral(" value=") + value);
                return;
            }
            groups.element(current, key, value);
        });
}

int numberIndex(CategoryServices& services, const QString& value, qint32 first, qint64 last,
                const QString& outOfRange)
{
    qint32 number = 0;
    if (!services.file.readInt32(QStringLiteral("Number"), value, number))
        return -1;
    if (number < first || number > last) {
        services.log.WriteLog(outOfRange + value);
        return -1;
    }
    return number - first;
}

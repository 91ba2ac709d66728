#include "runs/runerror.h"

#include "statuslog/statuslog.h"
#include "core/programerror.h"

void reportRunError(StatusLog& log, const QString& statusPrefix, const QString& logLine,
                    const std::exception& error)
{
    const auto* programError = dynamic_cast<const ProgramError*>(&error);
    const QString description =
        programError ? programError->description() : QString::fromStdString(error.what());
    log.UpdateStat(statusPrefix + description);
    log.WriteLog(logLine);
    if (programError)
        log.LogErrorDetails(*programError);
    else
        log.LogErrorDetails(description, -1, QStringLiteral("Cellarchive"));
}

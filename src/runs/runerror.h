#pragma once

#include <QString>
#include <exception>

class StatusLog;

// Reports an error that stopped a run: a status line for the user, the handler's log line and
// the error's details.
void reportRunError(StatusLog& log, const QString& statusPrefix, const QString& logLine,
                    const std::exception& error);

#include "backupfile/stagedbackup.h"

#include <QFile>

#include <filesystem>
#include <system_error>

namespace stagedbackup {

QString stagingPath(const QString& target)
{
    return target + QStringLiteral(".partial");
}

QString incompletePath(const QString& target)
{
    const QString extension = QStringLiteral(".MS");
    const QString base = target.endsWith(extension) ? target.chopped(extension.size()) : target;
    return base + QStringLiteral(".incomplete") + extension;
}

bool moveOnto(const QString& from, const QString& to, QString& error)
{
    std::error_code code;
    // A rename within one folder replaces the target at once: there is never a moment without
    // either file.
    std::filesystem::rename(std::filesystem::path(QFile::encodeName(from).constData()),
                            std::filesystem::path(QFile::encodeName(to).constData()), code);
    if (!code)
        return true;
    error = QString::fromStdString(code.message());
    return false;
}

} // namespace stagedbackup

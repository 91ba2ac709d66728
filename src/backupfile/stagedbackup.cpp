#include "backupfile/stagedbackup.h"

#include "backupfile/sectiontable.h"
#include "core/codepage.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace stagedbackup {

namespace {

QString lastError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool syncPath(const QByteArray& path, int flags)
{
    const int fd = ::open(path.constData(), flags | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

// Renames without replacing: renameat2 where the file system has it, else a link, which
// fails on an existing name just as well.
bool renameNoReplace(const QByteArray& from, const QByteArray& to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    if (::link(from.constData(), to.constData()) != 0)
        return false;
    ::unlink(from.constData());
    return true;
}

} // namespace

QString createStaging(const QString& target, QString& error)
{
    QTemporaryFile file(target + QStringLiteral(".XXXXXX.partial"));
    file.setAutoRemove(false);
    // QTemporaryFile creates the name exclusively (O_EXCL) and for its owner only.
    if (!file.open()) {
        error = file.errorString();
        return QString();
    }
    const QString path = file.fileName();
    file.close();
    return path;
}

bool holdsFilledSection(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // Read line by line: the question is answered at the first filled section, and a large
    // backup is never held whole.
    QString open;
    bool filled = false;
    while (!file.atEnd()) {
        const QString line = codepage::decode(file.readLine()).trimmed();
        const bool opening = line.startsWith(QLatin1Char('<')) && line.endsWith(QLatin1Char('>')) &&
                             sections::findTag(line.chopped(1)) >= 0;
        if (opening) {
            open = line;
            filled = false;
        } else if (!open.isEmpty() && line == open.chopped(1) + QStringLiteral("/>")) {
            if (filled)
                return true;
            open.clear();
        } else if (!open.isEmpty() && !line.isEmpty()) {
            filled = true;
        }
    }
    return false;
}

QString incompletePath(const QString& target)
{
    const QString extension = QStringLiteral(".MS");
    const QString base = target.endsWith(extension) ? target.chopped(extension.size()) : target;
    return base + QStringLiteral(".incomplete") + extension;
}

QString numberedPath(const QString& target, int n)
{
    const QString extension = QStringLiteral(".MS");
    const QString base = target.endsWith(extension) ? target.chopped(extension.size()) : target;
    return base + QStringLiteral("-%1").arg(n) + extension;
}

bool moveOnto(const QString& from, const QString& to, bool replace, QString& error,
              bool* targetTaken)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray destination = QFile::encodeName(to);
    if (targetTaken)
        *targetTaken = false;
    // The data first, then the name: a crash after the rename must not leave an empty backup.
    if (!syncPath(source, O_RDONLY)) {
        error = lastError();
        return false;
    }
    // A rename within one folder replaces the target at once: there is never a moment without
    // either file.
    const bool moved = replace ? ::rename(source.constData(), destination.constData()) == 0
                               : renameNoReplace(source, destination);
    if (!moved) {
        if (targetTaken)
            *targetTaken = errno == EEXIST;
        error = lastError();
        return false;
    }
    // The folder holds the new name; without syncing it a crash could bring the old one back.
    syncPath(QFile::encodeName(QFileInfo(to).absolutePath()), O_RDONLY | O_DIRECTORY);
    return true;
}

} // namespace stagedbackup

#include "phonesim/imagefiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace phonesim {

namespace {

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

qint64 nanoseconds(const timespec& time)
{
    return qint64(time.tv_sec) * 1000000000 + time.tv_nsec;
}

} // namespace

FileStamp FileStamp::of(const QString& path)
{
    struct stat info
    {
    };
    if (::stat(encoded(path).constData(), &info) != 0)
        return {};
    return {true,
            info.st_dev,
            info.st_ino,
            qint64(info.st_size),
            nanoseconds(info.st_mtim),
            nanoseconds(info.st_ctim)};
}

ImageLock::ImageLock(const QString& imagePath)
{
    const QString path = pathFor(imagePath);
    m_fd = ::open(encoded(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        m_error = QStringLiteral("its lock file %1 cannot be opened (%2)")
                      .arg(path, imagefiles::systemError());
        return;
    }
    while (::flock(m_fd, LOCK_EX) != 0) {
        if (errno == EINTR)
            continue;
        m_error = QStringLiteral("its lock file %1 cannot be locked (%2)")
                      .arg(path, imagefiles::systemError());
        ::close(m_fd);
        m_fd = -1;
        return;
    }
}

ImageLock::~ImageLock()
{
    // Closing the file ends the lock.
    if (m_fd >= 0)
        ::close(m_fd);
}

QString ImageLock::pathFor(const QString& imagePath)
{
    return imagePath + QStringLiteral(".lock");
}

namespace imagefiles {

bool writeAll(int fd, const QByteArray& bytes)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        written += n;
    }
    return true;
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

void syncFolderOf(const QString& path)
{
    const int folder = ::open(encoded(QFileInfo(path).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

bool replaceFile(const QString& path, const QByteArray& bytes, QString& error)
{
    QByteArray temporary = encoded(path) + ".tmp-XXXXXX";
    // mkstemp creates the copy owner-only, so private data is never readable by others, not
    // even for a moment.
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        error = QStringLiteral("%1 cannot be written (no temporary copy: %2)").arg(path, systemError());
        return false;
    }
    const bool written = writeAll(fd, bytes) && ::fchmod(fd, 0600) == 0 && ::fsync(fd) == 0;
    const QString why = systemError();
    ::close(fd);
    if (!written || ::rename(temporary.constData(), encoded(path).constData()) != 0) {
        error = QStringLiteral("%1 cannot be written (%2)").arg(path, written ? systemError() : why);
        ::unlink(temporary.constData());
        return false;
    }
    syncFolderOf(path);
    return true;
}

void removeLeftoverCopies(const QString& imagePath)
{
    const QFileInfo image(imagePath);
    // The names of the temporary copies: the image's name, ".tmp-" and six letters or digits;
    // earlier versions left the image's name, a dot and six letters or digits. Such a name may
    // also be a file of the user's ("phone.json.backup"), so one of the earlier kind goes only
    // when it holds a JSON object, as an image copy does.
    const QString escaped = QRegularExpression::escape(image.fileName());
    const QRegularExpression copyName(QStringLiteral("^%1\\.tmp-[A-Za-z0-9]{6}$").arg(escaped));
    const QRegularExpression olderName(QStringLiteral("^%1\\.[A-Za-z0-9]{6}$").arg(escaped));
    const QDir folder = image.absoluteDir();
    for (const QString& name : folder.entryList({image.fileName() + QStringLiteral(".*")},
                                                QDir::Files | QDir::Hidden | QDir::System)) {
        const QString path = folder.filePath(name);
        if (copyName.match(name).hasMatch()) {
            QFile::remove(path);
        } else if (olderName.match(name).hasMatch()) {
            QFile file(path);
            if (file.open(QIODevice::ReadOnly) && file.read(1) == "{") {
                file.close();
                QFile::remove(path);
            }
        }
    }
}

QString moveAside(const QString& path, QString& error)
{
    for (int n = 1; n < 10000; ++n) {
        const QString aside = QStringLiteral("%1.damaged-%2").arg(path).arg(n);
        if (QFileInfo::exists(aside))
            continue;
        if (::rename(encoded(path).constData(), encoded(aside).constData()) != 0) {
            error = QStringLiteral("%1 cannot be moved aside (%2)").arg(path, systemError());
            return QString();
        }
        syncFolderOf(aside);
        return aside;
    }
    error = QStringLiteral("%1 cannot be moved aside (too many damaged copies)").arg(path);
    return QString();
}

} // namespace imagefiles

} // namespace phonesim

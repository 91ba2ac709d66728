#pragma once

#include <QByteArray>
#include <QString>
#include <sys/types.h>

namespace phonesim {

// What a file was when it was last looked at. Every write of an image file or a journal changes
// its stamp (a new file, a new size or a new modification time), so equal stamps mean nobody
// wrote the file since.
struct FileStamp
{
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;

    bool operator==(const FileStamp&) const = default;
    static FileStamp of(const QString& path);
};

// The exclusive lock of a phone image, on "IMAGE.lock" beside it. Every program that reads or
// changes the image files holds it meanwhile, so a change is always made to the image as it is
// on disk and a load never sees a fold half-done. It is held only for one change or one load,
// so the wait is never longer than one such step of another program.
class ImageLock
{
public:
    explicit ImageLock(const QString& imagePath);
    ~ImageLock();
    ImageLock(const ImageLock&) = delete;
    ImageLock& operator=(const ImageLock&) = delete;

    static QString pathFor(const QString& imagePath);
    bool isHeld() const { return m_fd >= 0; }
    // Why the lock could not be taken.
    const QString& error() const { return m_error; }

private:
    int m_fd = -1;
    QString m_error;
};

namespace imagefiles {

// Writes bytes to path through an owner-only temporary copy beside it ("PATH.tmp-XXXXXX"),
// synced and renamed over path, so that a crash leaves the old file or the new one.
bool replaceFile(const QString& path, const QByteArray& bytes, QString& error);
// Removes the temporary copies a crash in replaceFile left beside the image.
void removeLeftoverCopies(const QString& imagePath);
// Renames path to "PATH.damaged-N" with the first N not taken; the new path, or an empty text
// (with the reason in error) when it cannot be renamed.
QString moveAside(const QString& path, QString& error);
// Makes a rename or a new file in the folder of path survive a crash.
void syncFolderOf(const QString& path);
QString systemError();
// Writes all of bytes to fd, going on after interrupted writes; false when the file refuses.
bool writeAll(int fd, const QByteArray& bytes);

} // namespace imagefiles

} // namespace phonesim

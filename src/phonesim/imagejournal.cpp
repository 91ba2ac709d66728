#include "phonesim/imagejournal.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace phonesim {

namespace {

const QString OpKey = QStringLiteral("op");
const QString KeyKey = QStringLiteral("key");
const QString IndexKey = QStringLiteral("index");
const QString ValueKey = QStringLiteral("value");
const QString JournalKey = QStringLiteral("journal");
const QString ImageKey = QStringLiteral("image");
constexpr int JournalVersion = 1;

constexpr const char* OpNames[] = {"set", "append", "replace", "remove"};

QByteArray compactLine(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

QByteArray headerLine(const QByteArray& imageHash)
{
    return compactLine(QJsonObject{{JournalKey, JournalVersion},
                                   {ImageKey, QString::fromLatin1(imageHash)}});
}

// Edits an array member in place. The member is taken out of the object first, so the array
// is not shared while it changes and no copy of it is made.
template <typename Edit>
bool editArray(QJsonObject& data, const QString& key, Edit edit)
{
    const auto it = data.constFind(key);
    const bool present = it != data.constEnd();
    if (present && !it->isArray())
        return false;
    QJsonValue member = data.take(key);
    QJsonArray array = member.toArray();
    member = QJsonValue();
    const bool ok = edit(array);
    if (ok || present)
        data.insert(key, array);
    return ok;
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

bool JournalRecord::fits(const QJsonObject& data) const
{
    if (op == Op::Set)
        return true;
    const QJsonValue member = data.value(key);
    // An element appended to a category that is not there yet starts it.
    if (op == Op::Append)
        return member.isArray() || member.isUndefined();
    return member.isArray() && index >= 0 && index < member.toArray().size();
}

bool JournalRecord::applyTo(QJsonObject& data) const
{
    switch (op) {
    case Op::Set:
        // An undefined value removes the member, as QJsonObject::insert does.
        data.insert(key, value);
        return true;
    case Op::Append:
        return editArray(data, key, [&](QJsonArray& array) {
            array.append(value);
            return true;
        });
    case Op::Replace:
        return editArray(data, key, [&](QJsonArray& array) {
            if (index < 0 || index >= array.size())
                return false;
            array.replace(index, value);
            return true;
        });
    case Op::Remove:
        return editArray(data, key, [&](QJsonArray& array) {
            if (index < 0 || index >= array.size())
                return false;
            array.removeAt(index);
            return true;
        });
    }
    return false;
}

QByteArray JournalRecord::toLine() const
{
    QJsonObject json{{OpKey, QLatin1String(OpNames[int(op)])}, {KeyKey, key}};
    if (op == Op::Replace || op == Op::Remove)
        json.insert(IndexKey, index);
    if (op != Op::Remove && !value.isUndefined())
        json.insert(ValueKey, value);
    return compactLine(json);
}

bool JournalRecord::fromLine(const QByteArray& line, JournalRecord& record)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(line, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        return false;
    const QJsonObject json = document.object();
    const QString op = json.value(OpKey).toString();
    int found = -1;
    for (int i = 0; i < 4; ++i) {
        if (op == QLatin1String(OpNames[i]))
            found = i;
    }
    if (found < 0 || !json.value(KeyKey).isString())
        return false;
    record.op = Op(found);
    record.key = json.value(KeyKey).toString();
    record.value = json.value(ValueKey);
    record.index = -1;
    if (record.op == Op::Replace || record.op == Op::Remove) {
        const QJsonValue index = json.value(IndexKey);
        if (!index.isDouble())
            return false;
        record.index = qsizetype(index.toInteger(-1));
    }
    return record.op == Op::Set || record.op == Op::Remove || !record.value.isUndefined();
}

JournalFileState JournalFileState::of(const QString& path)
{
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return {true, info.st_dev, info.st_ino, qint64(info.st_size)};
}

ImageJournal::ImageJournal(const QString& imagePath) : m_path(pathFor(imagePath)) {}

ImageJournal::~ImageJournal()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QString ImageJournal::pathFor(const QString& imagePath)
{
    return imagePath + QStringLiteral(".journal");
}

QByteArray ImageJournal::hashOf(const QByteArray& imageBytes)
{
    return QCryptographicHash::hash(imageBytes, QCryptographicHash::Sha256).toHex();
}

bool ImageJournal::replay(const QString& imagePath, const QByteArray& imageHash,
                          QJsonObject& data, int& applied, QString& error)
{
    applied = 0;
    const QString path = pathFor(imagePath);
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("its journal %1 cannot be read (%2)").arg(path, file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    // Only lines with their line end are whole: what follows the last one is a record the
    // crash cut short, never answered, and is left out.
    const qsizetype end = bytes.lastIndexOf('\n');
    if (end < 0)
        return true;
    const QList<QByteArray> lines = bytes.first(end).split('\n');
    const QJsonObject header = QJsonDocument::fromJson(lines.first()).object();
    if (header.value(JournalKey).toInt() != JournalVersion)
        return true; // not a journal this program wrote whole
    // A journal of another image: left behind when its records were already folded in.
    if (header.value(ImageKey).toString().toLatin1() != imageHash)
        return true;
    QJsonObject replayed = data;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        JournalRecord record;
        if (!JournalRecord::fromLine(lines.at(i), record) || !record.applyTo(replayed)) {
            error = QStringLiteral("its journal %1 is damaged at line %2; move the journal away "
                                   "to use the image as it was last saved")
                        .arg(path)
                        .arg(i + 1);
            return false;
        }
        ++applied;
    }
    data = replayed;
    return true;
}

QString ImageJournal::failure(const QString& what) const
{
    return QStringLiteral("Phone image journal %1 %2 (%3)").arg(m_path, what, systemError());
}

bool ImageJournal::create(const QByteArray& imageHash, const JournalFileState& expected,
                          QString& error)
{
    Q_ASSERT(m_fd < 0);
    if (!(JournalFileState::of(m_path) == expected)) {
        error = QStringLiteral("Phone image journal %1 was written by another program since "
                               "the image was read; the change is not kept")
                    .arg(m_path);
        return false;
    }
    // A journal left by a crash has been applied (or passed over) when the image was read;
    // its replacement is a new file, so that a program still holding the old one sees it went.
    if (expected.exists)
        ::unlink(QFile::encodeName(m_path).constData());
    m_fd = ::open(QFile::encodeName(m_path).constData(),
                  O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        error = failure(QStringLiteral("cannot be created"));
        return false;
    }
    if (!writeSynced(headerLine(imageHash), error)) {
        discard();
        return false;
    }
    // The new name must survive a crash too.
    const int folder = ::open(QFile::encodeName(QFileInfo(m_path).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

bool ImageJournal::restart(const QByteArray& imageHash, QString& error)
{
    if (::ftruncate(m_fd, 0) != 0) {
        error = failure(QStringLiteral("cannot be emptied"));
        return false;
    }
    m_size = 0;
    return writeSynced(headerLine(imageHash), error);
}

bool ImageJournal::append(const JournalRecord& record, QString& error)
{
    return writeSynced(record.toLine(), error);
}

bool ImageJournal::writeSynced(const QByteArray& bytes, QString& error)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += n;
    }
    if (written == bytes.size() && ::fdatasync(m_fd) == 0) {
        m_size += bytes.size();
        return true;
    }
    error = failure(QStringLiteral("cannot be written"));
    // A half-written line would glue itself to the next one.
    if (::ftruncate(m_fd, m_size) == 0)
        ::fdatasync(m_fd);
    return false;
}

void ImageJournal::discard()
{
    if (m_fd < 0)
        return;
    if (isCurrent())
        ::unlink(QFile::encodeName(m_path).constData());
    ::close(m_fd);
    m_fd = -1;
    m_size = 0;
}

bool ImageJournal::isCurrent() const
{
    struct stat own
    {
    };
    if (m_fd < 0 || ::fstat(m_fd, &own) != 0)
        return false;
    const JournalFileState current = JournalFileState::of(m_path);
    return current.exists && current.device == own.st_dev && current.inode == own.st_ino;
}

} // namespace phonesim

#include "phonesim/imagejournal.h"

#include "phonesim/imagefiles.h"

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
const QString SequenceKey = QStringLiteral("seq");
const QString FoldedSequenceKey = QStringLiteral("sequence");

constexpr const char* OpNames[] = {"set", "append", "replace", "remove"};

QByteArray compactLine(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

QByteArray headerLine(const QByteArray& imageHash)
{
    return compactLine(QJsonObject{{JournalKey, ImageJournal::Version},
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
    if (sequence > 0)
        json.insert(SequenceKey, sequence);
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
    record.sequence = json.value(SequenceKey).toInteger(0);
    if (record.op == Op::Replace || record.op == Op::Remove) {
        const QJsonValue index = json.value(IndexKey);
        if (!index.isDouble())
            return false;
        record.index = qsizetype(index.toInteger(-1));
    }
    return record.op == Op::Set || record.op == Op::Remove || !record.value.isUndefined();
}

QJsonObject FoldMark::toJson() const
{
    return QJsonObject{{ImageKey, QString::fromLatin1(image)}, {FoldedSequenceKey, sequence}};
}

FoldMark FoldMark::fromJson(const QJsonValue& value)
{
    const QJsonObject json = value.toObject();
    return FoldMark{json.value(ImageKey).toString().toLatin1(),
                    json.value(FoldedSequenceKey).toInteger(0)};
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
                          const FoldMark& mark, QJsonObject& data, JournalContents& contents,
                          QString& error)
{
    contents = JournalContents();
    const QString path = pathFor(imagePath);
    QFile file(path);
    if (!file.exists())
        return true;
    const auto damaged = [&](const QString& why) {
        error = QStringLiteral("its journal %1 %2").arg(path, why);
        return false;
    };
    if (!file.open(QIODevice::ReadOnly))
        return damaged(QStringLiteral("cannot be read (%1)").arg(file.errorString()));
    const QByteArray bytes = file.readAll();
    // Only lines with their line end are whole: what follows the last one is a record the
    // crash cut short, never answered, and is left out.
    const qsizetype end = bytes.lastIndexOf('\n');
    if (end < 0) {
        // A crash while the journal was being started: it holds nothing yet.
        if (headerLine(imageHash).startsWith(bytes))
            return true;
        return damaged(QStringLiteral("is damaged at line 1 (no journal header)"));
    }
    const QList<QByteArray> lines = bytes.first(end).split('\n');
    QJsonParseError parseError;
    const QJsonDocument headerDocument = QJsonDocument::fromJson(lines.first(), &parseError);
    const QJsonObject header = headerDocument.object();
    if (parseError.error != QJsonParseError::NoError || !headerDocument.isObject() ||
        !header.value(JournalKey).isDouble() || !header.value(ImageKey).isString())
        return damaged(QStringLiteral("is damaged at line 1 (no journal header)"));
    const int version = header.value(JournalKey).toInt();
    if (version != 1 && version != Version)
        return damaged(QStringLiteral("is of version %1, which this program does not know")
                           .arg(header.value(JournalKey).toVariant().toString()));
    const QByteArray journalImage = header.value(ImageKey).toString().toLatin1();
    const bool folded = journalImage != imageHash;
    if (folded && (mark.image.isEmpty() || journalImage != mark.image))
        return damaged(QStringLiteral("was written for another image than %1").arg(imagePath));

    QJsonObject replayed = data;
    qint64 sequence = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        JournalRecord record;
        const QString line = QStringLiteral("line %1").arg(i + 1);
        if (!JournalRecord::fromLine(lines.at(i), record))
            return damaged(QStringLiteral("is damaged at %1").arg(line));
        if (version == Version && record.sequence != sequence + 1)
            return damaged(record.sequence > 0 && record.sequence <= sequence
                               ? QStringLiteral("repeats record %1 at %2").arg(record.sequence).arg(line)
                               : QStringLiteral("is damaged at %1 (record %2 where %3 was due)")
                                     .arg(line)
                                     .arg(record.sequence)
                                     .arg(sequence + 1));
        sequence = record.sequence;
        // A fold's leftover holds exactly the records the image took in.
        if (folded && version == Version && sequence > mark.sequence)
            return damaged(QStringLiteral("holds records after the ones folded into %1 (%2)")
                               .arg(imagePath, line));
        if (!folded && !record.applyTo(replayed))
            return damaged(QStringLiteral("is damaged at %1 (the change does not fit the image)").arg(line));
        ++contents.applied;
    }
    contents.version = version;
    contents.lastSequence = sequence;
    contents.wholeBytes = end + 1;
    contents.folded = folded;
    if (folded)
        contents.applied = 0;
    else
        data = replayed;
    return true;
}

QString ImageJournal::failure(const QString& what) const
{
    return QStringLiteral("Phone image journal %1 %2 (%3)").arg(m_path, what, imagefiles::systemError());
}

bool ImageJournal::create(const QByteArray& imageHash, QString& error)
{
    Q_ASSERT(m_fd < 0);
    // What was there has been applied or passed over when the image was read.
    ::unlink(QFile::encodeName(m_path).constData());
    m_fd = ::open(QFile::encodeName(m_path).constData(),
                  O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        error = failure(QStringLiteral("cannot be created"));
        return false;
    }
    m_size = 0;
    m_sequence = 0;
    if (!writeSynced(headerLine(imageHash), error)) {
        discard();
        return false;
    }
    // The new name must survive a crash too.
    imagefiles::syncFolderOf(m_path);
    return true;
}

bool ImageJournal::resume(const JournalContents& contents, QString& error)
{
    Q_ASSERT(m_fd < 0 && contents.version == Version);
    m_fd = ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (m_fd < 0 || ::ftruncate(m_fd, contents.wholeBytes) != 0) {
        error = failure(QStringLiteral("cannot be opened"));
        return false;
    }
    ::fchmod(m_fd, 0600);
    m_size = contents.wholeBytes;
    m_sequence = contents.lastSequence;
    return true;
}

bool ImageJournal::restart(const QByteArray& imageHash, QString& error)
{
    if (::ftruncate(m_fd, 0) != 0) {
        error = failure(QStringLiteral("cannot be emptied"));
        return false;
    }
    m_size = 0;
    m_sequence = 0;
    return writeSynced(headerLine(imageHash), error);
}

bool ImageJournal::append(JournalRecord record, QString& error)
{
    record.sequence = m_sequence + 1;
    if (!writeSynced(record.toLine(), error))
        return false;
    m_sequence = record.sequence;
    return true;
}

bool ImageJournal::writeSynced(const QByteArray& bytes, QString& error)
{
    if (imagefiles::writeAll(m_fd, bytes) && ::fdatasync(m_fd) == 0) {
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
    ::unlink(QFile::encodeName(m_path).constData());
    ::close(m_fd);
    m_fd = -1;
    m_size = 0;
}

} // namespace phonesim

#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <sys/types.h>

namespace phonesim {

// One change of a phone image as its journal keeps it: a member of the document set (or
// removed, when value is undefined), or one element of an array member appended, replaced or
// removed. A record carries the change only, so that keeping it costs what the change costs.
struct JournalRecord
{
    enum class Op { Set, Append, Replace, Remove };

    Op op = Op::Set;
    QString key;
    qsizetype index = -1; // Replace and Remove
    QJsonValue value;     // Set, Append and Replace

    // Whether applyTo would succeed.
    bool fits(const QJsonObject& data) const;
    // False, leaving data as it was, when the record does not fit the document (an index out
    // of range, a member that is no array).
    bool applyTo(QJsonObject& data) const;
    QByteArray toLine() const;
    static bool fromLine(const QByteArray& line, JournalRecord& record);
};

// What a journal file was when it was last looked at; equal states mean nobody wrote it since.
struct JournalFileState
{
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    qint64 size = 0;

    bool operator==(const JournalFileState&) const = default;
    static JournalFileState of(const QString& path);
};

// The journal beside a phone image ("IMAGE.journal"): a header line naming the image it applies
// to by its SHA-256, then one line of JSON per change. Each line is on disk (written and synced)
// before the change counts as kept, so a crash loses at most the line being written, which the
// next load ignores. Folding the journal into the image ends it.
class ImageJournal
{
public:
    explicit ImageJournal(const QString& imagePath);
    ~ImageJournal();
    ImageJournal(const ImageJournal&) = delete;
    ImageJournal& operator=(const ImageJournal&) = delete;

    static QString pathFor(const QString& imagePath);
    static QByteArray hashOf(const QByteArray& imageBytes);

    // Applies to data the journal's records when the journal belongs to the image of imageHash;
    // a journal of another image (one already folded into it) is passed over, and so is a last
    // line cut short by a crash. False with a description when the journal is damaged or cannot
    // be read; applied counts the records taken.
    static bool replay(const QString& imagePath, const QByteArray& imageHash, QJsonObject& data,
                       int& applied, QString& error);

    // Creates a new, empty journal for the image of imageHash; fails when a journal appeared
    // since expected was taken (another program changing the same image).
    bool create(const QByteArray& imageHash, const JournalFileState& expected, QString& error);
    // Empties the journal after a fold, for the image as it is now.
    bool restart(const QByteArray& imageHash, QString& error);
    // Writes and syncs one record. On failure the journal is cut back to where it was.
    bool append(const JournalRecord& record, QString& error);
    // Deletes the journal file after its records went into the image.
    void discard();
    // False when the file at the journal's path is no longer this journal: another program took
    // the image over (and folded this journal's records into it).
    bool isCurrent() const;

    qint64 size() const { return m_size; }

private:
    bool writeSynced(const QByteArray& bytes, QString& error);
    QString failure(const QString& what) const;

    QString m_path;
    int m_fd = -1;
    qint64 m_size = 0;
};

} // namespace phonesim

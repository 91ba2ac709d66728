#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

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
    // Its place in the journal, from 1; 0 in journals of the first version, which had none.
    qint64 sequence = 0;

    // Whether applyTo would succeed.
    bool fits(const QJsonObject& data) const;
    // False, leaving data as it was, when the record does not fit the document (an index out
    // of range, a member that is no array).
    bool applyTo(QJsonObject& data) const;
    QByteArray toLine() const;
    static bool fromLine(const QByteArray& line, JournalRecord& record);
};

// The journal a fold took into the image, as the folded image names it ("journalFolded"): the
// image the journal was written for and its last record. A crash between the new image and
// the end of the journal leaves that journal behind; this is how the next load knows it.
struct FoldMark
{
    QByteArray image;
    qint64 sequence = 0;

    QJsonObject toJson() const;
    static FoldMark fromJson(const QJsonValue& value);
};

// What a journal file held when it was read.
struct JournalContents
{
    // 0: there is none.
    int version = 0;
    int applied = 0;
    qint64 lastSequence = 0;
    // The bytes up to the end of the last whole line; what follows was cut short by a crash.
    qint64 wholeBytes = 0;
    // A fold's leftover, whose records are in the image already.
    bool folded = false;
};

// The journal beside a phone image ("IMAGE.journal"): a header line naming the image it applies
// to by its SHA-256, then one line of JSON per change, numbered from 1. Each line is on disk
// (written and synced) before the change counts as kept, so a crash loses at most the line being
// written, which the next load ignores. Programs sharing the image append to the same journal,
// one at a time under the image's lock; folding the journal into the image ends it.
class ImageJournal
{
public:
    static constexpr int Version = 2;

    explicit ImageJournal(const QString& imagePath);
    ~ImageJournal();
    ImageJournal(const ImageJournal&) = delete;
    ImageJournal& operator=(const ImageJournal&) = delete;

    static QString pathFor(const QString& imagePath);
    static QByteArray hashOf(const QByteArray& imageBytes);

    // Applies to data the records of the journal beside the image of imageHash. A last line cut
    // short by a crash is left out; a journal the image names as folded (mark) is passed over.
    // False with a description naming the journal when it is damaged, of another version, for
    // another image, or repeats or misses a record; data is then as it was.
    static bool replay(const QString& imagePath, const QByteArray& imageHash, const FoldMark& mark,
                       QJsonObject& data, JournalContents& contents, QString& error);

    // Starts a new, empty journal for the image of imageHash, in place of any file there.
    bool create(const QByteArray& imageHash, QString& error);
    // Goes on with the journal as replay found it, dropping a last line a crash cut short.
    bool resume(const JournalContents& contents, QString& error);
    // Empties the journal after a fold, for the image as it is now.
    bool restart(const QByteArray& imageHash, QString& error);
    // Numbers, writes and syncs one record. On failure the journal is cut back to where it was.
    bool append(JournalRecord record, QString& error);
    // Deletes the journal file after its records went into the image.
    void discard();

    qint64 size() const { return m_size; }
    qint64 lastSequence() const { return m_sequence; }

private:
    bool writeSynced(const QByteArray& bytes, QString& error);
    QString failure(const QString& what) const;

    QString m_path;
    int m_fd = -1;
    qint64 m_size = 0;
    qint64 m_sequence = 0;
};

} // namespace phonesim

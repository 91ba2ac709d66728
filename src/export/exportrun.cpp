#include "export/exportrun.h"

#include "backupfile/sectiontable.h"
#include "export/cards.h"
#include "export/messages.h"

#include <QDir>
#include <QFile>

namespace backupexport {

namespace {

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Every section of the kind merged, should the file hold it twice.
Section merged(const BackupContents& contents, qint16 iTag)
{
    Section all;
    all.iTag = iTag;
    for (const Section& section : contents.sections) {
        if (section.iTag != iTag)
            continue;
        if (all.line == 0) {
            all.line = section.line;
            all.name = section.name;
        }
        all.entries.append(section.entries);
        all.groups.append(section.groups);
        all.problems.append(section.problems);
    }
    return all;
}

bool writeFile(const QString& path, const QByteArray& bytes, bool overwrite, QString& error)
{
    QFile file(path);
    // The exports hold private data: a new file is for its owner's eyes only, and a replaced
    // one becomes so before anything is written into it.
    const QIODevice::OpenMode mode =
        QIODevice::WriteOnly | (overwrite ? QIODevice::Truncate : QIODevice::NewOnly);
    if (!file.open(mode, kOwnerOnly) || !file.setPermissions(kOwnerOnly)) {
        error = QStringLiteral("cannot write %1 (%2)").arg(path, file.errorString());
        return false;
    }
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        error = QStringLiteral("cannot write %1 (%2)").arg(path, file.errorString());
        file.close();
        return false;
    }
    file.close();
    return true;
}

} // namespace

QStringList exportFileNames(const BackupContents& contents)
{
    QStringList names;
    if (contents.find(sections::Contacts))
        names << QStringLiteral("contacts.vcf");
    if (contents.find(sections::Calendar))
        names << QStringLiteral("calendar.ics");
    if (contents.find(sections::SmsMessages))
        names << QStringLiteral("messages.xml") << QStringLiteral("messages.txt");
    return names;
}

ExportReport exportBackup(const BackupContents& contents, const ExportOptions& options)
{
    ExportReport report;
    report.problems = contents.problems;
    const QStringList names = exportFileNames(contents);
    if (names.isEmpty()) {
        report.failed = true;
        report.error = QStringLiteral("nothing to export: the file holds no contacts, calendar or "
                                      "messages");
        return report;
    }
    QDir folder(options.folder);
    if (!folder.exists()) {
        if (!QDir().mkpath(options.folder) ||
            !QFile::setPermissions(options.folder, kOwnerOnly | QFileDevice::ExeOwner)) {
            report.failed = true;
            report.error = QStringLiteral("cannot create the folder %1").arg(options.folder);
            return report;
        }
    }
    if (!options.overwrite) {
        QStringList existing;
        for (const QString& name : names) {
            if (QFile::exists(folder.filePath(name)))
                existing << name;
        }
        if (!existing.isEmpty()) {
            report.failed = true;
            report.error = QStringLiteral("%1 exists already in %2; nothing was written (use "
                                          "--overwrite to replace)")
                               .arg(existing.join(QStringLiteral(", ")), options.folder);
            return report;
        }
    }

    struct Output
    {
        QString name;
        QByteArray bytes;
        QString what;
        QString note = QString();
    };
    QList<Output> outputs;
    if (contents.find(sections::Contacts)) {
        const Section contacts = merged(contents, sections::Contacts);
        report.problems.append(contacts.problems);
        int count = 0;
        const QByteArray bytes = contactsVcf(contacts, options.vcard, report.problems, count);
        outputs.append({QStringLiteral("contacts.vcf"), bytes,
                        QStringLiteral("%1 contacts").arg(count)});
    }
    if (contents.find(sections::Calendar)) {
        const Section calendar = merged(contents, sections::Calendar);
        report.problems.append(calendar.problems);
        int count = 0;
        const QByteArray bytes =
            calendarIcs(calendar, options.now, options.calendarZone, report.problems, count);
        outputs.append({QStringLiteral("calendar.ics"), bytes,
                        QStringLiteral("%1 events and to-dos").arg(count)});
    }
    if (contents.find(sections::SmsMessages)) {
        const Section sms = merged(contents, sections::SmsMessages);
        report.problems.append(sms.problems);
        QList<Message> messages = readMessages(sms, report.problems);
        // Never 1970: a message of no known time gets the time the backup was taken.
        int untimed = 0;
        for (Message& message : messages) {
            if (message.time.isValid())
                continue;
            message.time = contents.modified;
            ++untimed;
        }
        const QList<Conversation> conversations = joinParts(messages);
        const Section contacts = merged(contents, sections::Contacts);
        const QList<NamedNumber> book = contactNumbers(&contacts);
        const QString what = QStringLiteral("%1 messages").arg(conversations.size());
        const QString untimedNote =
            untimed == 0 ? QString()
                         : QStringLiteral(" (%1 had no time: given the backup's time)")
                               .arg(untimed == 1 ? QStringLiteral("1 message")
                                                 : QStringLiteral("%1 messages").arg(untimed));
        outputs.append({QStringLiteral("messages.xml"),
                        messagesXml(conversations, book, options.zone), what, untimedNote});
        outputs.append({QStringLiteral("messages.txt"), messagesText(conversations, book), what});
    }
    for (const Output& output : outputs) {
        const QString path = folder.filePath(output.name);
        if (!writeFile(path, output.bytes, options.overwrite, report.error)) {
            report.failed = true;
            return report;
        }
        report.written << QStringLiteral("Exported %1 -> %2").arg(output.what, path) + output.note;
    }
    std::sort(report.problems.begin(), report.problems.end(),
              [](const Problem& a, const Problem& b) { return a.line < b.line; });
    return report;
}

} // namespace backupexport

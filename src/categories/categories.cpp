#include "categories/categories.h"

#include "backupfile/backupfile.h"
#include "categories/categoryservices.h"
#include "backupfile/sectiontable.h"
#include "categories/categorysupport.h"
#include "categories/categorytable.h"
#include "phone/obextransfer.h"
#include "phone/phonelink.h"
#include "statuslog/statuslog.h"

Categories::Categories(CategoryServices& services, ObexTransfer& obexTransfer)
    : services(services), obex(services, obexTransfer)
{
    obexTransfer.setEntryWriters([this](const QByteArray& entry) { obex.bSaveContact(entry); },
                                 [this](const QByteArray& entry) { obex.bSaveCal(entry); });
}

OutcomeTally::Category Categories::categoryOfSection(qint16 iTag)
{
    const categorytable::Row* row = categorytable::rowOfSection(iTag);
    return row ? row->category : OutcomeTally::Count;
}

bool Categories::restorable(OutcomeTally::Category category) const
{
    // The phonebook has its own check in the walk.
    return category == OutcomeTally::Phonebook || categorysupport::servedBy(services.link, category);
}

void Categories::registerReaders(BackupFile& file)
{
    file.sectionSkipped = [this](qint16 iTag) {
        if (iTag == sections::Contacts)
            services.tally.failed(OutcomeTally::Phonebook);
    };
    // Each reader notes its section, so that a restore the phone's loss cuts short can name
    // the sections it never reached. A section of a category the phone has not got is passed
    // over without a command, and named.
    for (const categorytable::Row& row : categorytable::rows()) {
        file.registerReader(row.section, [this, &file, &row](int lineIndex) {
            services.lists.sectionStarted(row.section);
            const auto pastSection = [&file, lineIndex] {
                const sections::Extent extent = sections::extentOf(file.sFileLines, lineIndex);
                return static_cast<int>(extent.closed ? extent.end : extent.end - 1);
            };
            if (!restorable(row.category)) {
                services.tally.unsupported(row.category);
                services.log.WriteLog(QStringLiteral("Not written -> the %1 section (not "
                                                     "supported by the phone)")
                                          .arg(sections::nameOf(file.sFileLines.at(lineIndex))));
                return pastSection();
            }
            // A dry run reads only the lists: reading a setting may change the phone.
            if (services.lists.preview() && !categorytable::isUserData(row)) {
                services.lists.settingsNotRead(QLatin1String(row.name));
                return pastSection();
            }
            return row.decode(*this, lineIndex);
        });
    }
}

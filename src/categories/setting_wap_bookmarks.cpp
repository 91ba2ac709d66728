#include "categories/setting_wap_bookmarks.h"

#include "statuslog/statuslog.h"
#include "backupfile/backupfile.h"
#include "backupfile/elements.h"
#include "categories/categoryservices.h"
#include "categories/numberedgroups.h"
#include "phone/phonelink.h"
#include "phone/variants.h"

namespace {

const QString kSection = QStringLiteral("Bookmarks");
const QString kGroup = QStringLiteral("Bookmark");

// Values are stored unquoted on one line: a NUL is dropped, and a line break would end the
// line inside the value and let the rest pass for lines of the file, so it becomes a blank.
QString storedText(QString text)
{
    text.remove(QChar(u'\0'));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

} // namespace

Setting_WAPBookmarks::Setting_WAPBookmarks(CategoryServices& services) : m_services(services) {}

void Setting_WAPBookmarks::GetWAPBookmarks()
{
    WAPBookmarks.clear();
    // A refused answer carries no values, so its status is looked at before its count.
    if (!m_services.sendOk(CMD_GETWAPBOOKMARKS)) {
        m_services.listNotRead(OutcomeTally::Bookmarks, CMD_GETWAPBOOKMARKS);
        return;
    }
    const PhoneLink& link = m_services.link;
    const qint16 count = variants::toInt16(variants::at(link.ResponseData, 0));
    QList<BookmarkRecord> read;
    for (int k = 0; k < count; ++k) {
        BookmarkRecord bookmark;
        bookmark.Url = variants::toText(variants::at(link.ResponseData, 3 * k + 2));
        bookmark.Name = variants::toText(variants::at(link.ResponseData, 3 * k + 3));
        read.append(bookmark);
        m_services.yieldOnce();
    }
    WAPBookmarks = read;
}

bool Setting_WAPBookmarks::bSaveBookmarks()
{
    BackupFile& file = m_services.file;
    file.AppendLine(elements::openTag(kSection));
    m_services.saveGroups(kGroup, WAPBookmarks.size(), 1, [&](qsizetype k) {
        const BookmarkRecord& bookmark = WAPBookmarks[k];
        file.AppendLine(
            elements::elementLine(2, QStringLiteral("Name"), storedText(bookmark.Name)));
        file.AppendLine(elements::elementLine(2, QStringLiteral("Url"), storedText(bookmark.Url)));
    });
    file.AppendLine(elements::closeTag(kSection));
    return true;
}

int Setting_WAPBookmarks::DecodeBookmarks(int lineIndex)
{
    WAPBookmarks.clear();
    const int last = readNumberedGroups(
        m_services, lineIndex,
        // "<Bookmark" also matches the section's and each group's opening and closing lines.
        {.skipText = QStringLiteral("<Bookmark"),
         .closingText = QStringLiteral("<Bookmarks/>"),
         .open =
             [this](const QString& value) {
                 const int index =
                     numberIndex(m_services, value, 1, MaxBookmarks,
                                 QStringLiteral("Bookmark Number out of range -> Number value="));
                 if (index >= 0)
                     WAPBookmarks.resize(index + 1);
                 return index;
             },
         .elements = {QStringLiteral("Name"), QStringLiteral("Url")},
         .withoutGroup = QStringLiteral("Bookmark line without a Number -> "),
         .element =
             [this](int index, const QString& key, const QString& value) {
                 BookmarkRecord& bookmark = WAPBookmarks[index];
                 (key == QLatin1String("Name") ? bookmark.Name : bookmark.Url) = value;
             }});
    SetWAPBookmark();
    return last;
}

void Setting_WAPBookmarks::SetWAPBookmark()
{
    for (qsizetype k = 0; k < WAPBookmarks.size(); ++k) {
        m_services.log.UpdateStat(QStringLiteral("Restoring Bookmark ->") +
                                  StatusLog::signed_(k + 1));
        m_services.write(
            OutcomeTally::Bookmarks, CMD_ADDWAPBOOKMARK,
            {variants::text(WAPBookmarks[k].Url), variants::text(WAPBookmarks[k].Name)});
    }
}

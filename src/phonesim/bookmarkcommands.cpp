#include "phonesim/phonecategories.h"

#include "phone/variants.h"
#include "phonesim/commandtable.h"
#include "phonesim/phoneimage.h"
#include "phonesim/simstatus.h"

#include <QJsonArray>
#include <QJsonObject>

namespace phonesim {

namespace {

const QString kCategory = QStringLiteral("bookmarks");
const QString kName = QStringLiteral("name");
const QString kUrl = QStringLiteral("url");

struct Bookmark
{
    QString name;
    QString url;
};

// Entries that are not objects are no bookmarks; a missing or non-text member reads empty.
QList<Bookmark> storedBookmarks(const PhoneImage& image)
{
    QList<Bookmark> bookmarks;
    for (const QJsonValue& entry : image.category(kCategory).toArray()) {
        if (!entry.isObject())
            continue;
        const QJsonObject object = entry.toObject();
        bookmarks.append({object.value(kName).toString(), object.value(kUrl).toString()});
    }
    return bookmarks;
}

QJsonObject bookmarkJson(const QString& name, const QString& url)
{
    return QJsonObject{{kName, name}, {kUrl, url}};
}

// The count, then per bookmark the phone's own number of it, its address and its name.
CommandResult getBookmarks(const PhoneImage& image, const QVariantList& params)
{
    if (!params.isEmpty())
        return answer::invalidParameter();
    const QList<Bookmark> bookmarks = storedBookmarks(image);
    QVariantList data{variants::int16(static_cast<qint16>(bookmarks.size()))};
    for (qsizetype k = 0; k < bookmarks.size(); ++k) {
        data << variants::int16(static_cast<qint16>(k + 1)) << variants::text(bookmarks[k].url)
             << variants::text(bookmarks[k].name);
    }
    return answer::ok(data);
}

// Takes the address and the name; a bookmark needs an address.
CommandResult addBookmark(PhoneImage& image, const QVariantList& params)
{
    const std::optional<QString> url = textParam(params, 0);
    const std::optional<QString> name = textParam(params, 1);
    if (params.size() != 2 || !url || !name || url->isEmpty())
        return answer::invalidParameter();
    const QList<Bookmark> bookmarks = storedBookmarks(image);
    if (bookmarks.size() >= BookmarkCapacity)
        return answer::status(status::MemoryFull);
    QJsonArray stored;
    for (const Bookmark& bookmark : bookmarks)
        stored.append(bookmarkJson(bookmark.name, bookmark.url));
    stored.append(bookmarkJson(*name, *url));
    if (!image.setCategory(kCategory, stored))
        return answer::status(status::StorageFailure);
    return answer::ok();
}

} // namespace

void registerBookmarkCommands(CommandTable& table)
{
    table.add(CMD_ADDWAPBOOKMARK, addBookmark);
    table.add(CMD_GETWAPBOOKMARKS, getBookmarks);
}

QJsonArray demoBookmarks()
{
    return QJsonArray{
        bookmarkJson(QStringLiteral("Operator portal"),
                     QStringLiteral("http://wap.operator.example/")),
        bookmarkJson(QStringLiteral("Weather"),
                     QStringLiteral("http://m.weather.example/today?city=Lund")),
        bookmarkJson(QStringLiteral("Timetable"), QStringLiteral("http://wap.trains.example//dep")),
    };
}

QJsonArray blankBookmarks()
{
    return QJsonArray{};
}

} // namespace phonesim

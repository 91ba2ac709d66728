#include "phonesim/phonecategories.h"

#include "phone/variants.h"
#include "phonesim/commandtable.h"
#include "phonesim/phoneimage.h"
#include "phonesim/simstatus.h"

#include <QJsonArray>
#include <cmath>
#include <initializer_list>
#include <iterator>

namespace phonesim {

namespace {

const QString kCategory = QStringLiteral("shortcuts");

struct MenuItem
{
    qint16 number;
    const char* caption;
};

struct ShortcutModel
{
    const char* code; // first row whose code occurs in the model text; nullptr for all others
    std::initializer_list<MenuItem> items;
    std::initializer_list<qint16> factoryMenu;
};

// The items a model's shortcut menu can hold, with the numbers the phone names them by. The
// older BVT300 has no camera, music player, radio, timer or voice recorder.
const ShortcutModel kModels[] = {
    {"BVT300",
     {{1, "Alarms"},
      {2, "Calendar"},
      {3, "Calls"},
      {5, "Contacts"},
      {6, "Games"},
      {7, "Internet"},
      {8, "Messages"},
      {10, "Profiles"},
      {12, "Ringtones"},
      {13, "Settings"},
      {16, "Write new message"}},
     {8, 5, 3, 7}},
    {nullptr,
     {{1, "Alarms"},
      {2, "Calendar"},
      {3, "Calls"},
      {4, "Camera"},
      {5, "Contacts"},
      {6, "Games"},
      {7, "Internet"},
      {8, "Messages"},
      {9, "Music player"},
      {10, "Profiles"},
      {11, "Radio"},
      {12, "Ringtones"},
      {13, "Settings"},
      {14, "Timer"},
      {15, "Voice recorder"},
      {16, "Write new message"}},
     {8, 5, 3, 7, 4}},
};

const ShortcutModel& shortcutModel(const QString& model)
{
    for (const ShortcutModel& row : kModels) {
        if (!row.code || model.contains(QLatin1String(row.code)))
            return row;
    }
    return kModels[std::size(kModels) - 1];
}

const MenuItem* findItem(const ShortcutModel& model, qint64 number)
{
    for (const MenuItem& item : model.items) {
        if (item.number == number)
            return &item;
    }
    return nullptr;
}

// The menu in order. Without a stored menu the phone has its model's factory menu; numbers
// the model does not know are left out.
QList<qint16> storedMenu(const PhoneImage& image)
{
    const ShortcutModel& model = shortcutModel(image.identity().model);
    const QJsonValue stored = image.category(kCategory);
    if (!stored.isArray())
        return QList<qint16>(model.factoryMenu.begin(), model.factoryMenu.end());
    QList<qint16> menu;
    for (const QJsonValue& entry : stored.toArray()) {
        const double number = entry.toDouble(-1);
        if (number != std::floor(number) || number < 0 || number > 32767)
            continue;
        if (findItem(model, static_cast<qint64>(number)))
            menu.append(static_cast<qint16>(number));
    }
    return menu;
}

CommandResult storeMenu(PhoneImage& image, const QList<qint16>& menu)
{
    QJsonArray stored;
    for (qint16 number : menu)
        stored.append(number);
    if (!image.setCategory(kCategory, stored))
        return answer::status(status::StorageFailure);
    return answer::ok();
}

// The count, then per item its caption and its number.
CommandResult getMenu(const PhoneImage& image, const QVariantList& params)
{
    if (!params.isEmpty())
        return answer::invalidParameter();
    const ShortcutModel& model = shortcutModel(image.identity().model);
    const QList<qint16> menu = storedMenu(image);
    QVariantList data{variants::int16(static_cast<qint16>(menu.size()))};
    for (qint16 number : menu)
        data << variants::text(QLatin1String(findItem(model, number)->caption))
             << variants::int16(number);
    return answer::ok(data);
}

// Takes the position (from 1, at most one past the last item) and an item number the model
// knows; the menu holds each item once.
CommandResult insertItem(PhoneImage& image, const QVariantList& params)
{
    const std::optional<qint64> position = integerParam(params, 0);
    const std::optional<qint64> number = integerParam(params, 1);
    QList<qint16> menu = storedMenu(image);
    if (params.size() != 2 || !position || !number || *position < 1 ||
        *position > menu.size() + 1 || !findItem(shortcutModel(image.identity().model), *number) ||
        menu.contains(static_cast<qint16>(*number)))
        return answer::invalidParameter();
    menu.insert(*position - 1, static_cast<qint16>(*number));
    return storeMenu(image, menu);
}

// Takes the position of an item in the menu, from 1.
CommandResult removeItem(PhoneImage& image, const QVariantList& params)
{
    const std::optional<qint64> position = integerParam(params, 0);
    QList<qint16> menu = storedMenu(image);
    if (params.size() != 1 || !position || *position < 1 || *position > menu.size())
        return answer::invalidParameter();
    menu.removeAt(*position - 1);
    return storeMenu(image, menu);
}

QJsonArray menuJson(std::initializer_list<qint16> numbers)
{
    QJsonArray menu;
    for (qint16 number : numbers)
        menu.append(number);
    return menu;
}

} // namespace

void registerShortcutCommands(CommandTable& table)
{
    table.add(CMD_GETCUSTOMMENUITEMS, getMenu);
    table.add(CMD_ADDCUSTOMMENUITEM, insertItem);
    table.add(CMD_REMOVECUSTOMMENUITEM, removeItem);
}

QJsonArray demoShortcuts()
{
    return menuJson({4, 9, 2});
}

QJsonArray blankShortcuts(const QString& model)
{
    return menuJson(shortcutModel(model).factoryMenu);
}

} // namespace phonesim

#include "phonesim/profileset.h"

#include "phonesim/phoneimage.h"

#include <cmath>

namespace phonesim {

const QString ProfileSet::Group = QStringLiteral("profiles");
const QString ProfileSet::NameKey = QStringLiteral("name");

namespace {

const QString kActiveKey = QStringLiteral("active");
const QString kListKey = QStringLiteral("list");

bool inRange(const QJsonValue& value, qint64 min, qint64 max)
{
    if (!value.isDouble())
        return false;
    const double number = value.toDouble();
    return number == std::floor(number) && number >= static_cast<double>(min) &&
           number <= static_cast<double>(max);
}

} // namespace

ProfileSet::ProfileSet(PhoneImage& image)
    : m_image(image), m_group(image.settings(Group)), m_list(m_group.value(kListKey).toArray())
{
}

int ProfileSet::active() const
{
    const QJsonValue number = m_group.value(kActiveKey);
    return count() > 0 && inRange(number, 1, count()) ? number.toInt() : 1;
}

QJsonObject ProfileSet::activeProfile() const
{
    return m_list.at(active() - 1).toObject();
}

QString ProfileSet::activeName() const
{
    return activeProfile().value(NameKey).toString();
}

qint64 ProfileSet::value(const Setting& setting) const
{
    const QJsonValue stored = activeProfile().value(setting.key);
    return inRange(stored, setting.min, setting.max) ? stored.toInteger() : setting.factory;
}

qint64 ProfileSet::element(const Setting& setting, int index) const
{
    const QJsonValue stored = activeProfile().value(setting.key).toArray().at(index);
    return inRange(stored, setting.min, setting.max) ? stored.toInteger() : setting.factory;
}

bool ProfileSet::save()
{
    QJsonObject group = m_group;
    group.insert(kListKey, m_list);
    if (!m_image.setSettings(Group, group)) {
        // Back to what the image still holds.
        m_group = m_image.settings(Group);
        m_list = m_group.value(kListKey).toArray();
        return false;
    }
    m_group = group;
    return true;
}

bool ProfileSet::storeActiveProfile(const QJsonObject& profile)
{
    m_list.replace(active() - 1, profile);
    return save();
}

bool ProfileSet::setActive(int number)
{
    m_group.insert(kActiveKey, number);
    return save();
}

bool ProfileSet::setActiveName(const QString& name)
{
    QJsonObject profile = activeProfile();
    profile.insert(NameKey, name);
    return storeActiveProfile(profile);
}

bool ProfileSet::setValue(const Setting& setting, qint64 value)
{
    QJsonObject profile = activeProfile();
    profile.insert(setting.key, static_cast<double>(value));
    return storeActiveProfile(profile);
}

bool ProfileSet::setElement(const Setting& setting, int index, qint64 value, int size)
{
    QJsonObject profile = activeProfile();
    // The other elements keep what they read as, so a broken array is mended as it is written.
    QJsonArray values;
    for (int i = 0; i < size; ++i)
        values.append(static_cast<double>(i == index ? value : element(setting, i)));
    profile.insert(setting.key, values);
    return storeActiveProfile(profile);
}

} // namespace phonesim

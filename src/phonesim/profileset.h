#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

namespace phonesim {

class PhoneImage;

// The user profiles of the simulated phone: settings group "profiles" holding "active" (the
// number of the active profile, from 1) and "list" (one object per profile). The per-profile
// settings commands act on the active profile.
class ProfileSet
{
public:
    static const QString Group;
    static const QString NameKey;
    // Longest profile name the phone keeps.
    static constexpr int MaxNameLength = 20;

    // A value of a profile that is one whole number in a range.
    struct Setting
    {
        QString key;
        qint64 min = 0;
        qint64 max = 1;
        // Read when the image lacks the value or holds one that is not a number in range.
        qint64 factory = 0;
    };

    explicit ProfileSet(PhoneImage& image);

    int count() const { return static_cast<int>(m_list.size()); }
    // The active profile's number; a missing or impossible one reads as profile 1.
    int active() const;
    QString activeName() const;

    qint64 value(const Setting& setting) const;
    // Element index of an array member such as the ring volume of each line.
    qint64 element(const Setting& setting, int index) const;

    // Each change is written to the image at once; false when it could not be kept, and then
    // nothing changed.
    bool setActive(int number);
    bool setActiveName(const QString& name);
    bool setValue(const Setting& setting, qint64 value);
    bool setElement(const Setting& setting, int index, qint64 value, int size);

private:
    QJsonObject activeProfile() const;
    bool storeActiveProfile(const QJsonObject& profile);
    bool save();

    PhoneImage& m_image;
    QJsonObject m_group;
    QJsonArray m_list;
};

} // namespace phonesim

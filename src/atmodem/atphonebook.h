#pragma once

#include <QByteArray>
#include <QString>

// How a contact of the image (a vCard) becomes an entry of an AT phonebook, a name and one
// number, and back.
namespace phonesim::atphonebook {

struct Entry
{
    QString name;
    QString number;
};

// The longest name and number an entry holds; longer names read shortened.
constexpr int MaximumName = 40;
constexpr int MaximumNumber = 40;

// The name is the FN line, else the parts of N from the prefix to the suffix, joined by spaces;
// the number is the first TEL marked PREF, else the first TEL.
Entry fromVCard(const QByteArray& card);
// A vCard 2.1 with the name as N (its last word as the family name) and the number as TEL.
QByteArray toVCard(const Entry& entry);

} // namespace phonesim::atphonebook

#pragma once

#include <QJsonObject>
#include <QString>

namespace phonesim {

// The built-in demo phone, a BVT610 with plausible identity and content in every category.
QJsonObject demoPhone();
// A phone of the given model in factory state: identity, factory settings, no data.
QJsonObject blankPhone(const QString& model);

// The demo phone's image when no other phone is chosen: demo-phone.json in the
// "cellarchive/phones" folder of the user's data location.
QString demoImagePath();
// Writes the demo phone to path unless a file is there already; false with a description
// naming the file when it cannot be written.
bool ensureImage(const QString& path, QString& error);

} // namespace phonesim

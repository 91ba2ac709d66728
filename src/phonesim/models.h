#pragma once

#include <QSet>
#include <QString>

namespace phonesim {

// Settings commands a phone model lacks although the simulated phone has handlers for them.
// The first row whose model code occurs in the model text applies; other models lack nothing.
QSet<qint32> modelLacks(const QString& model);

} // namespace phonesim

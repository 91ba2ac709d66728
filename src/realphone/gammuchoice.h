#pragma once

#include <QString>
#include <QStringList>

namespace gammu {

// A phone reached through libgammu: a section of a gammu configuration file.
struct PhoneChoice
{
    // The configuration file; empty for the one gammu itself finds.
    QString path;
    int section = 0;
};

// Reads the forms "gammu", "gammu:N", "gammu:PATH" and "gammu:PATH:N". False for a text
// that names no gammu phone (a phone image, for instance).
bool parsePhoneChoice(const QString& text, PhoneChoice& choice);

// Every file gammu looks at for its configuration, in its order: the user's configuration
// folder, ~/.gammurc (also in the account's home when HOME points elsewhere), /etc/gammurc.
QStringList configurationCandidates();
// The first of them that exists; empty when there is none.
QString foundConfiguration();
// The configuration file the choice means, for messages: the given path, or the one gammu
// finds, or ~/.gammurc when there is none.
QString configurationFile(const PhoneChoice& choice);

} // namespace gammu

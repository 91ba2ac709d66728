#pragma once

#include <QString>

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

// The configuration file the choice means, for messages: the given path, or the first of the
// files gammu looks at that exists (the user's configuration folder, ~/.gammurc,
// /etc/gammurc), or ~/.gammurc when there is none.
QString configurationFile(const PhoneChoice& choice);

} // namespace gammu

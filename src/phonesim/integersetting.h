#pragma once

#include "phonesim/commandtable.h"

namespace phonesim {

// A setting that is one whole number in a range, kept as settings/group/key in the image.
// Most settings commands read or write one such value; their handlers share these two.
struct IntegerSetting
{
    enum class Width { Int16, Int32 };

    QString group;
    QString key;
    qint64 min = 0;
    qint64 max = 1;
    // What a phone in factory state holds; answered too when the image lacks the value or
    // holds something that is not a number in range.
    qint64 factory = 0;
    Width width = Width::Int16;
};

// Takes no parameters; answers the stored value as element 0.
CommandResult getIntegerSetting(const PhoneImage& image, const IntegerSetting& setting,
                                const QVariantList& params);
// Takes the value as its only parameter; a value out of range is refused and nothing changes.
CommandResult setIntegerSetting(PhoneImage& image, const IntegerSetting& setting,
                                const QVariantList& params);
// The stored value, or the factory value.
qint64 storedInteger(const PhoneImage& image, const IntegerSetting& setting);

// Registers the get and the set command of one integer setting.
void addIntegerSetting(CommandTable& table, Command getCommand, Command setCommand,
                       const IntegerSetting& setting);

} // namespace phonesim

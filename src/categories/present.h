#pragma once

#include <QtGlobal>

// An optional setting: a value beside a flag that is true when the value was read from the
// phone or from the file. Only present values are written to the file and sent to the phone.
template <typename T> struct Present
{
    T value{};
    bool present = false;

    void set(T newValue)
    {
        value = newValue;
        present = true;
    }
    void clear()
    {
        value = T{};
        present = false;
    }
};

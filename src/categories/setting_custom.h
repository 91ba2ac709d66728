#pragma once

#include <QList>
#include <QString>

struct CategoryServices;

// The "My Shortcuts" category: the phone's customisable menu, an ordered list of item
// numbers, backed up as the Settings_CustomMenu section and rebuilt on restore. The item
// numbers belong to the phone model; nothing translates them between models.
class Setting_Custom
{
public:
    // Menu positions travel as 16-bit values counted from 1, which bounds the list.
    static constexpr int MaxItems = 32767;

    explicit Setting_Custom(CategoryServices& services);

    // Reads the menu. Each backup starts from an empty list, so a menu the phone does not give
    // is never taken from an earlier run.
    void GetCustomMenuSettings();
    // Writes the section; nothing at all for an empty list.
    bool bSaveCustomMenu();
    // Reads the section that opens at lineIndex, restores it and returns the last line read.
    int DecodeCustomMenu(int lineIndex);
    // Empties the phone's menu from the top and adds the list's items in order; an item the
    // phone refuses is left out. Does nothing to a phone that reports no items.
    void SetCustomMenuSettings();

    // Element k is the item number at menu position k + 1.
    QList<qint16> iCustomMenuItems;

private:
    CategoryServices& m_services;
};

#pragma once

#include <QList>
#include <QString>

struct CategoryServices;

// One WAP bookmark as the phone shows it.
struct BookmarkRecord
{
    QString Name;
    QString Url;

    bool operator==(const BookmarkRecord&) const = default;
};

// The "Bookmarks" category: the phone's WAP bookmarks, backed up as the Bookmarks section and
// restored by adding each one to the phone. Bookmarks already on the phone stay there.
class Setting_WAPBookmarks
{
public:
    // The phone counts its bookmarks in 16 bits; a Number beyond that is no bookmark of a phone.
    static constexpr int MaxBookmarks = 32767;

    explicit Setting_WAPBookmarks(CategoryServices& services);

    // Reads the list. Each backup starts from an empty list, so bookmarks the phone does not
    // give are never taken from an earlier run.
    void GetWAPBookmarks();
    // Writes the section; an empty list gives the opening line directly followed by the closing
    // one.
    bool bSaveBookmarks();
    // Reads the section that opens at lineIndex, restores it and returns the last line read.
    int DecodeBookmarks(int lineIndex);
    // Adds every bookmark of the list to the phone, whatever the phone answers.
    void SetWAPBookmark();

    // Element k is bookmark number k + 1.
    QList<BookmarkRecord> WAPBookmarks;

private:
    CategoryServices& m_services;
};

#pragma once

#include <QByteArray>
#include <QStringList>

#include <gammu.h>

namespace gammu {

// libgammu's vCard and vCalendar writers overrun their buffer on a text of mostly wide
// characters (see writerFits): a contact whose name is written in Chinese would corrupt memory
// on every backup. Such texts are written by us instead: libgammu gets a placeholder of plain
// letters, and the placeholder in its output is replaced by the text, as quoted-printable UTF-8.
class WideTexts
{
public:
    // Swaps each text of entry that the writer cannot hold for a placeholder.
    void stash(GSM_MemoryEntry& entry) { stashAll(entry.Entries, entry.EntriesNum); }
    void stash(GSM_CalendarEntry& entry) { stashAll(entry.Entries, entry.EntriesNum); }
    void stash(GSM_ToDoEntry& entry) { stashAll(entry.Entries, entry.EntriesNum); }
    // The writer's output with every placeholder replaced by its text.
    QByteArray restore(const QByteArray& encoded) const;

private:
    template <class SubEntry, size_t N> void stashAll(SubEntry (&entries)[N], int count)
    {
        for (int i = 0; i < count && static_cast<size_t>(i) < N; ++i)
            stashText(entries[i].Text, sizeof entries[i].Text);
    }
    void stashText(unsigned char* text, size_t size);
    QByteArray placeholder(qsizetype index) const;

    QStringList m_texts;
};

} // namespace gammu

#include "statuslog/mainview.h"

PlainMainView::PlainMainView()
{
    for (int i = 0; i < BoxCount; ++i)
        m_enabled[i] = true;
    // The two boxes of the bottom row are created disabled.
    m_enabled[int(Box::Password)] = false;
    m_enabled[int(Box::MasterReset)] = false;
    m_buttonCaption[int(Button::Backup)] = QStringLiteral("Backup");
    m_buttonCaption[int(Button::Restore)] = QStringLiteral("Restore");
    for (QString& info : m_phoneInfo)
        info = QStringLiteral("-");
}

bool PlainMainView::isTicked(Box box) const
{
    return m_ticked[int(box)];
}

void PlainMainView::setTicked(Box box, bool ticked)
{
    m_ticked[int(box)] = ticked;
}

bool PlainMainView::isBoxEnabled(Box box) const
{
    return m_enabled[int(box)];
}

void PlainMainView::setBoxEnabled(Box box, bool enabled)
{
    m_enabled[int(box)] = enabled;
}

void PlainMainView::setButtonEnabled(Button button, bool enabled)
{
    m_buttonEnabled[int(button)] = enabled;
}

void PlainMainView::setButtonCaption(Button button, const QString& caption)
{
    m_buttonCaption[int(button)] = caption;
}

QString PlainMainView::phoneInfo(int index) const
{
    return index >= 0 && index < 4 ? m_phoneInfo[index] : QString();
}

void PlainMainView::setPhoneInfo(int index, const QString& text)
{
    if (index >= 0 && index < 4)
        m_phoneInfo[index] = text;
}

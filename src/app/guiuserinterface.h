#pragma once

#include "core/userinterface.h"

class QWidget;

// The program's questions asked with real dialogs owned by the main window.
class GuiUserInterface final : public UserInterface
{
public:
    explicit GuiUserInterface(QWidget* owner) : m_owner(owner) {}

    bool chooseFile(bool save, const QString& title, const QString& initialFolder,
                    const QString& filterDescription, const QString& filterPattern,
                    QString& path) override;
    bool askQuestion(const QString& title, const QString& text) override;
    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override;
    // In the window's title, so the layout stays as it is: "Cellarchive — Phonebook 631 of
    // 1,250", and "Cellarchive" again once the text is empty.
    void progress(const QString& text) override;
    void tell(const QString& title, const QString& text) override;

private:
    QWidget* m_owner;
};

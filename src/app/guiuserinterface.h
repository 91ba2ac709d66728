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

private:
    QWidget* m_owner;
};

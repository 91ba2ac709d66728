#include "app/guiuserinterface.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

bool GuiUserInterface::chooseFile(bool save, const QString& title, const QString& initialFolder,
                                  const QString& filterDescription, const QString& filterPattern,
                                  QString& path)
{
    QFileDialog dialog(m_owner, title, initialFolder);
    dialog.setObjectName(QStringLiteral("fileDialog"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // The program itself asks before it replaces a file and reports a file it cannot read.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // Several filters come apart by ";;"; a first one that already names its pattern
    // ("MS (*.MS)") is complete.
    QStringList filters = filterDescription.split(QStringLiteral(";;"));
    if (!filters.first().contains(filterPattern))
        filters.first() += QStringLiteral(" (") + filterPattern + QLatin1Char(')');
    dialog.setNameFilters(filters);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return false;
    path = chosen.first();
    return true;
}

bool GuiUserInterface::askQuestion(const QString& title, const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(QMessageBox::Warning, title, shown, QMessageBox::Yes | QMessageBox::No,
                    m_owner);
    box.setObjectName(QStringLiteral("questionBox"));
    // Both questions guard something destructive: Enter alone must not confirm it.
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString GuiUserInterface::inputBox(const QString& prompt, const QString& title,
                                   const QString& defaultText)
{
    QInputDialog dialog(m_owner);
    dialog.setObjectName(QStringLiteral("inputBox"));
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}

void GuiUserInterface::progress(const QString& text)
{
    const QString title = QStringLiteral("Cellarchive");
    QString shown = text;
    m_owner->setWindowTitle(text.isEmpty() ? title
                                           : title + QStringLiteral(" \u2014 ") +
                                                 shown.remove(QLatin1Char(':')));
}

void GuiUserInterface::tell(const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, m_owner);
    box.setObjectName(QStringLiteral("messageBox"));
    box.exec();
}

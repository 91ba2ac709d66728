#include "scriptedui.h"

bool ScriptedUi::chooseFile(bool save, const QString& title, const QString&,
                            const QString& filterDescription, const QString&, QString& path)
{
    asked << QStringLiteral("file:%1:%2").arg(save ? QStringLiteral("save") : QStringLiteral("open"), title);
    filters << filterDescription;
    if (m_files.isEmpty())
        return false;
    const QString next = m_files.dequeue();
    if (next.isEmpty())
        return false;
    path = next;
    return true;
}

bool ScriptedUi::askQuestion(const QString& title, const QString& text)
{
    asked << QStringLiteral("question:%1:%2").arg(title, text);
    return !m_answers.isEmpty() && m_answers.dequeue();
}

QString ScriptedUi::inputBox(const QString& prompt, const QString& title,
                             const QString& defaultText)
{
    asked << QStringLiteral("input:%1:%2:%3").arg(title, prompt, defaultText);
    return m_inputs.isEmpty() ? QString() : m_inputs.dequeue();
}

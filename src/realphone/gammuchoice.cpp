#include "realphone/gammuchoice.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace gammu {

bool parsePhoneChoice(const QString& text, PhoneChoice& choice)
{
    static const QString Prefix = QStringLiteral("gammu:");
    choice = PhoneChoice();
    if (text == QLatin1String("gammu"))
        return true;
    if (!text.startsWith(Prefix) || text.size() == Prefix.size())
        return false;
    const QString rest = text.mid(Prefix.size());
    static const QRegularExpression Section(QStringLiteral("^(?:(.*):)?(\\d{1,4})$"));
    const QRegularExpressionMatch match = Section.match(rest);
    if (match.hasMatch()) {
        choice.path = match.captured(1);
        choice.section = match.captured(2).toInt();
        // "gammu::N" names no file.
        return match.capturedStart(1) < 0 || !choice.path.isEmpty();
    }
    choice.path = rest;
    return true;
}

QString configurationFile(const PhoneChoice& choice)
{
    if (!choice.path.isEmpty())
        return choice.path;
    const QString home = QDir::homePath();
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME", home + QStringLiteral("/.config"));
    const QString candidates[] = {xdg + QStringLiteral("/gammu/config"),
                                  home + QStringLiteral("/.gammurc"),
                                  QStringLiteral("/etc/gammurc")};
    for (const QString& candidate : candidates) {
        if (QFileInfo::exists(candidate))
            return candidate;
    }
    return candidates[1];
}

} // namespace gammu

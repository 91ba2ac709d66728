#include "realphone/gammuchoice.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <pwd.h>
#include <unistd.h>

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

QStringList configurationCandidates()
{
    const QString home = QDir::homePath();
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME", home + QStringLiteral("/.config"));
    QStringList candidates{xdg + QStringLiteral("/gammu/config"),
                           home + QStringLiteral("/.gammurc")};
    // libgammu also tries the account's own home when HOME names another folder.
    // Reentrant: the worker thread asks too.
    passwd entry{};
    passwd* account = nullptr;
    char buffer[4096];
    if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &account) == 0 && account &&
        account->pw_dir) {
        const QString accountRc = QDir(QString::fromLocal8Bit(account->pw_dir))
                                      .filePath(QStringLiteral(".gammurc"));
        if (!candidates.contains(accountRc))
            candidates << accountRc;
    }
    candidates << QStringLiteral("/etc/gammurc");
    return candidates;
}

QString foundConfiguration()
{
    for (const QString& candidate : configurationCandidates()) {
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return QString();
}

QString configurationFile(const PhoneChoice& choice)
{
    if (!choice.path.isEmpty())
        return choice.path;
    const QString found = foundConfiguration();
    return found.isEmpty() ? QDir::homePath() + QStringLiteral("/.gammurc") : found;
}

} // namespace gammu

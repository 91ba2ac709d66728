#include "app/phonechoice.h"

#include "app/program.h"
#include "realphone/gammuphone.h"

namespace phonechoice {

bool isGammu(const QString& text)
{
    gammu::PhoneChoice choice;
    return gammu::parsePhoneChoice(text, choice);
}

PhoneMonitor* createGammuMonitor(const QString& text, bool waitForFirstAttempt, QObject* parent,
                                 QString* firstProblem)
{
    gammu::PhoneChoice choice;
    gammu::parsePhoneChoice(text, choice);
    auto* monitor = new gammu::GammuPhoneMonitor(choice, parent);
    if (auto* program = qobject_cast<Program*>(parent)) {
        QObject::connect(monitor, &gammu::GammuPhoneMonitor::problem, program,
                         [program](const QString& line) {
                             program->log().UpdateStat(line);
                             program->log().WriteLog(line);
                         });
    }
    if (waitForFirstAttempt) {
        monitor->waitForFirstAttempt();
        if (firstProblem)
            *firstProblem = monitor->lastProblem();
    }
    return monitor;
}

} // namespace phonechoice

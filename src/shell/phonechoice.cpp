#include "shell/phonechoice.h"

#include "shell/program.h"
#include "core/programerror.h"
#include "phonesim/cable.h"
#include "phonesim/demophone.h"
#include "phonesim/phoneimage.h"
#include "realphone/gammuphone.h"

namespace phonechoice {

bool isGammu(const QString& text)
{
    gammu::PhoneChoice choice;
    return gammu::parsePhoneChoice(text, choice);
}

PhoneInUse choose(const QString& option, const QString& environment, const QString& demoImage)
{
    const QString phoneText = !option.isEmpty() ? option : environment;
    gammu::PhoneChoice choice;
    if (phoneText.isEmpty() && gammu::foundConfiguration().isEmpty())
        return {demoImage,
                QStringLiteral("Phone -> demo phone: ") + demoImage +
                    QStringLiteral(" (no gammu configuration found, see the README)"),
                true};
    if (phoneText.isEmpty() || gammu::parsePhoneChoice(phoneText, choice)) {
        gammu::parsePhoneChoice(phoneText.isEmpty() ? QStringLiteral("gammu") : phoneText, choice);
        return {phoneText.isEmpty() ? QStringLiteral("gammu") : phoneText,
                QStringLiteral("Phone -> gammu: %1, section %2")
                    .arg(gammu::configurationFile(choice))
                    .arg(choice.section)};
    }
    return {phoneText, QStringLiteral("Phone -> phone image: ") + phoneText};
}

namespace {

PhoneMonitor* createGammuMonitor(const QString& phoneText, Program* program,
                                 const MonitorOptions& options)
{
    gammu::PhoneChoice choice;
    gammu::parsePhoneChoice(phoneText, choice);
    auto* monitor = new gammu::GammuPhoneMonitor(choice, program);
    if (program) {
        QObject::connect(monitor, &gammu::GammuPhoneMonitor::problem, program,
                         [program](const QString& line) {
                             program->log().UpdateStat(line);
                             program->log().WriteLog(line);
                         });
        QObject::connect(monitor, &gammu::GammuPhoneMonitor::note, program,
                         [program](const QString& line) { program->log().WriteLog(line); });
    }
    if (options.waitForFirstAttempt) {
        monitor->waitForFirstAttempt();
        if (options.problem)
            *options.problem = monitor->lastProblem();
    }
    return monitor;
}

PhoneMonitor* createSimMonitor(const QString& path, MonotonicClock& clock, QObject* parent,
                               const MonitorOptions& options)
{
    QString error;
    std::shared_ptr<phonesim::PhoneImage> image;
    if (!options.createMissingImage || phonesim::ensureImage(path, error))
        image = phonesim::PhoneImage::load(path, error);
    if (!image) {
        if (options.problem)
            *options.problem = error;
        throw ProgramError(ProgramError::ComponentFailure, QStringLiteral("PhoneMonitor"), error);
    }
    if (options.image)
        *options.image = image;
    auto* monitor = new phonesim::SimPhoneMonitor(image, clock, options.sim, parent);
    // The phone goes away the moment its cable is pulled (`phone unplug`).
    new phonesim::CableWatcher(*monitor, path);
    return monitor;
}

} // namespace

PhoneMonitor* createMonitor(const PhoneInUse& phone, MonotonicClock& clock, QObject* parent,
                            const MonitorOptions& options)
{
    auto* program = qobject_cast<Program*>(parent);
    if (program) {
        program->log().WriteLog(phone.line);
        program->log().UpdateStat(phone.line);
    }
    if (isGammu(phone.phoneText))
        return createGammuMonitor(phone.phoneText, program, options);
    return createSimMonitor(phone.phoneText, clock, parent, options);
}

} // namespace phonechoice

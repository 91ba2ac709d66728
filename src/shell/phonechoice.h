#pragma once

#include "phonesim/simphonemonitor.h"

#include <QString>
#include <memory>

class MonotonicClock;
class PhoneMonitor;
class QObject;

namespace phonesim {
class PhoneImage;
}

// The phone the program reaches, chosen by a text: "gammu", "gammu:N", "gammu:PATH" or
// "gammu:PATH:N" name a phone described in a gammu configuration; any other text is the path
// of a simulated phone's image.
namespace phonechoice {

bool isGammu(const QString& text);

struct PhoneInUse
{
    // What the phone monitor is made from: one of the gammu forms or an image path.
    QString phoneText;
    // "Phone -> ...", naming the phone for the status box and the log.
    QString line;
    // The demo phone, chosen because nothing else was.
    bool demo = false;
};

// The phone of option (--phone), else of environment (CELLARCHIVE_PHONE), else section 0 of
// the gammu configuration when gammu finds one, else the demo phone's image demoImage.
PhoneInUse choose(const QString& option, const QString& environment, const QString& demoImage);

struct MonitorOptions
{
    // Return once the first connection attempt to a gammu phone is over; problem, when
    // given, receives what that attempt reported (empty on success).
    bool waitForFirstAttempt = false;
    QString* problem = nullptr;
    // A missing image is made from the demo phone (the window's first start).
    bool createMissingImage = false;
    phonesim::SimPhoneOptions sim;
    // Receives the simulated phone's image, which its owner closes before the process ends.
    std::shared_ptr<phonesim::PhoneImage>* image = nullptr;
};

// Names the phone in the status box and the log of the Program that is parent, then creates
// its phone monitor; a gammu phone's configuration and connection problems go there too.
// Throws ProgramError naming the image when a simulated phone's image cannot be used.
PhoneMonitor* createMonitor(const PhoneInUse& phone, MonotonicClock& clock, QObject* parent,
                            const MonitorOptions& options);

} // namespace phonechoice

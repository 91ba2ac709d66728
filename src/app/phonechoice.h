#pragma once

#include <QString>

class PhoneMonitor;
class QObject;

// The phone the program reaches, chosen by a text: "gammu", "gammu:N", "gammu:PATH" or
// "gammu:PATH:N" name a phone described in a gammu configuration; any other text is not ours.
namespace phonechoice {

bool isGammu(const QString& text);

// The libgammu phone monitor for text. Its configuration and connection problems go to the
// status box and the log of the Program that is parent (Form_Load passes it). With
// waitForFirstAttempt the call returns once the first connection attempt is over, and
// firstProblem, when given, receives what that attempt reported (empty on success).
PhoneMonitor* createGammuMonitor(const QString& text, bool waitForFirstAttempt,
                                 QObject* parent, QString* firstProblem = nullptr);

} // namespace phonechoice

#include "phone/variants.h"
#include "phonesim/commandtable.h"
#include "phonesim/phonecategories.h"
#include "phonesim/phoneimage.h"
#include "phonesim/profileset.h"
#include "phonesim/simstatus.h"

namespace phonesim {

namespace {

using Setting = ProfileSet::Setting;

// 0 = off, 1 = on, 2 = automatic.
const Setting kBacklight{QStringLiteral("backlightMode"), 0, 2, 2};
// 0 = any key answers, 1 = the answer key only, 2 = automatic answer in the car kit.
const Setting kAnswerMode{QStringLiteral("answerMode"), 0, 2, 1};
// 0 = small, 1 = medium, 2 = large.
const Setting kFontSize{QStringLiteral("fontSize"), 0, 2, 1};
const Setting kHelpText{QStringLiteral("helpTextMode"), 0, 1, 1};
// 0 = chosen by the SIM card, then one number per menu language.
const Setting kLanguage{QStringLiteral("language"), 0, 30, 0};
const Setting kScreenSaver{QStringLiteral("screenSaverMode"), 0, 1, 1};
// 0 = silent, 1 = click, 2 = tone.
const Setting kKeySound{QStringLiteral("keySound"), 0, 2, 1};
// 0 = no sound, then one of seven alert sounds.
const Setting kMessageAlert{QStringLiteral("messageAlert"), 0, 7, 1};
const Setting kMinuteMinder{QStringLiteral("minuteMinder"), 0, 1, 0};
// Per line code 1 to 4 (line 1, line 2, fax, data): 0 = off to 5 = loudest.
const Setting kRingVolumes{QStringLiteral("ringVolumes"), 0, 5, 3};
// Per line code 1 to 5 (line 1, line 2, fax, data, alarm): one of 40 melodies.
const Setting kRingMelodies{QStringLiteral("ringMelodies"), 0, 39, 1};
const Setting kSilentMode{QStringLiteral("silentMode"), 0, 1, 0};
// 0 = off, 1 = on, 2 = on while the phone is silent.
const Setting kVibrator{QStringLiteral("vibratorMode"), 0, 2, 0};

constexpr int kVolumeLines = 4;
constexpr int kMelodyLines = 5;
// The only message alert the phone keeps: that of text messages.
constexpr qint64 kTextMessageAlert = 3;

CommandResult stored(bool kept)
{
    return kept ? answer::ok() : answer::status(status::StorageFailure);
}

// Integer parameter at index in [min, max].
bool paramIn(const QVariantList& params, qsizetype index, qint64 min, qint64 max,
             qint64* value = nullptr)
{
    const auto number = integerParam(params, index);
    if (!number || *number < min || *number > max)
        return false;
    if (value)
        *value = *number;
    return true;
}

void addScalar(CommandTable& table, Command getCommand, Command setCommand, const Setting& setting)
{
    table.add(getCommand,
              [setting](PhoneImage& image, const QVariantList& params) {
                  ProfileSet set(image);
                  if (!params.isEmpty() || set.count() == 0)
                      return answer::invalidParameter();
                  return answer::ok({int16Value(set.value(setting))});
              });
    table.add(setCommand,
              [setting](PhoneImage& image, const QVariantList& params) {
                  ProfileSet set(image);
                  qint64 value = 0;
                  if (params.size() != 1 || set.count() == 0 ||
                      !paramIn(params, 0, setting.min, setting.max, &value))
                      return answer::invalidParameter();
                  return stored(set.setValue(setting, value));
              });
}

void registerProfileSwitching(CommandTable& table)
{
    table.add(CMD_GETALTERNATELINESUPPORT,
              [](PhoneImage&, const QVariantList& params) {
                  return params.isEmpty() ? answer::ok({int16Value(1)})
                                          : answer::invalidParameter();
              });
    table.add(CMD_GETPROFILES,
              [](PhoneImage& image, const QVariantList& params) {
                  return params.isEmpty() ? answer::ok({int16Value(ProfileSet(image).count())})
                                          : answer::invalidParameter();
              });
    // Parameters are ignored: the number of the profile just activated often comes along.
    table.add(CMD_GETACTIVEPROFILE,
              [](PhoneImage& image, const QVariantList&) {
                  ProfileSet set(image);
                  if (set.count() == 0)
                      return answer::invalidParameter();
                  return answer::ok({int16Value(set.active()), variants::text(set.activeName())});
              });
    table.add(CMD_SETACTIVEPROFILE,
              [](PhoneImage& image, const QVariantList& params) {
                  ProfileSet set(image);
                  qint64 number = 0;
                  if (params.size() != 1 || !paramIn(params, 0, 1, set.count(), &number))
                      return answer::invalidParameter();
                  return stored(set.setActive(static_cast<int>(number)));
              });
    table.add(CMD_SETACTIVEPROFILENAME,
              [](PhoneImage& image, const QVariantList& params) {
                  ProfileSet set(image);
                  if (params.size() != 1 || params.at(0).typeId() != QMetaType::QString ||
                      params.at(0).toString().size() > ProfileSet::MaxNameLength ||
                      set.count() == 0)
                      return answer::invalidParameter();
                  return stored(set.setActiveName(params.at(0).toString()));
              });
}

// Answers lowest mode, highest mode and the current mode; set with (0 = the display, mode).
void registerBacklight(CommandTable& table)
{
    table.add(CMD_GETBACKLIGHTMODES,
              [](PhoneImage& image, const QVariantList& params) {
                  ProfileSet set(image);
                  if (!params.isEmpty() || set.count() == 0)
                      return answer::invalidParameter();
                  return answer::ok({int16Value(kBacklight.min), int16Value(kBacklight.max),
                                     int16Value(set.value(kBacklight))});
              });
    table.add(CMD_SETBACKLIGHTMODE,
              [](PhoneImage& image, const QVariantList& params) {
                  ProfileSet set(image);
                  qint64 mode = 0;
                  if (params.size() != 2 || set.count() == 0 || !paramIn(params, 0, 0, 0) ||
                      !paramIn(params, 1, kBacklight.min, kBacklight.max, &mode))
                      return answer::invalidParameter();
                  return stored(set.setValue(kBacklight, mode));
              });
}

// Read as one value; written with (sound, 3), 3 being the alert of text messages.
void registerMessageAlert(CommandTable& table)
{
    table.add(CMD_GETMESSAGEALERTSOUND,
              [](PhoneImage& image, const QVariantList& params) {
                  ProfileSet set(image);
                  if (!params.isEmpty() || set.count() == 0)
                      return answer::invalidParameter();
                  return answer::ok({int16Value(set.value(kMessageAlert))});
              });
    table.add(CMD_SETMESSAGEALERTSOUND,
              [](PhoneImage& image, const QVariantList& params) {
                  ProfileSet set(image);
                  qint64 sound = 0;
                  if (params.size() != 2 || set.count() == 0 ||
                      !paramIn(params, 0, kMessageAlert.min, kMessageAlert.max, &sound) ||
                      !paramIn(params, 1, kTextMessageAlert, kTextMessageAlert))
                      return answer::invalidParameter();
                  return stored(set.setValue(kMessageAlert, sound));
              });
}

// Volumes answer (line code, level, increasing ring) per line and are set with (level, line
// code, increasing ring); this phone has no increasing ring, so that value is always 0.
// Melodies answer (line code, melody) per line and are set with (melody, line code).
void registerRings(CommandTable& table)
{
    table.add(CMD_GETRINGVOLUMES,
              [](PhoneImage& image, const QVariantList& params) {
                  ProfileSet set(image);
                  if (!params.isEmpty() || set.count() == 0)
                      return answer::invalidParameter();
                  QVariantList data;
                  for (int line = 1; line <= kVolumeLines; ++line)
                      data << int16Value(line) << int16Value(set.element(kRingVolumes, line - 1))
                           << int16Value(0);
                  return answer::ok(data);
              });
    table.add(CMD_SETRINGVOLUME,
              [](PhoneImage& image, const QVariantList& params) {
                  ProfileSet set(image);
                  qint64 level = 0;
                  qint64 line = 0;
                  if (params.size() != 3 || set.count() == 0 ||
                      !paramIn(params, 0, kRingVolumes.min, kRingVolumes.max, &level) ||
                      !paramIn(params, 1, 1, kVolumeLines, &line) || !paramIn(params, 2, 0, 0))
                      return answer::invalidParameter();
                  return stored(set.setElement(kRingVolumes, static_cast<int>(line - 1), level,
                                               kVolumeLines));
              });
    table.add(CMD_GETRINGMELODIES,
              [](PhoneImage& image, const QVariantList& params) {
                  ProfileSet set(image);
                  if (!params.isEmpty() || set.count() == 0)
                      return answer::invalidParameter();
                  QVariantList data;
                  for (int line = 1; line <= kMelodyLines; ++line)
                      data << int16Value(line) << int16Value(set.element(kRingMelodies, line - 1));
                  return answer::ok(data);
              });
    table.add(CMD_SETRINGMELODY,
              [](PhoneImage& image, const QVariantList& params) {
                  ProfileSet set(image);
                  qint64 melody = 0;
                  qint64 line = 0;
                  if (params.size() != 2 || set.count() == 0 ||
                      !paramIn(params, 0, kRingMelodies.min, kRingMelodies.max, &melody) ||
                      !paramIn(params, 1, 1, kMelodyLines, &line))
                      return answer::invalidParameter();
                  return stored(set.setElement(kRingMelodies, static_cast<int>(line - 1), melody,
                                               kMelodyLines));
              });
}

struct ProfileValues
{
    const char* name;
    qint64 backlight, answerMode, fontSize, helpText, language, screenSaver, keySound, messageAlert,
        minuteMinder;
    qint64 volumes[kVolumeLines];
    qint64 melodies[kMelodyLines];
    qint64 silent, vibrator;
};

QJsonObject profile(const ProfileValues& v)
{
    QJsonArray volumes;
    for (qint64 level : v.volumes)
        volumes.append(static_cast<double>(level));
    QJsonArray melodies;
    for (qint64 melody : v.melodies)
        melodies.append(static_cast<double>(melody));
    const auto number = [](qint64 value) { return QJsonValue(static_cast<double>(value)); };
    return QJsonObject{{ProfileSet::NameKey, QLatin1String(v.name)},
                       {kBacklight.key, number(v.backlight)},
                       {kAnswerMode.key, number(v.answerMode)},
                       {kFontSize.key, number(v.fontSize)},
                       {kHelpText.key, number(v.helpText)},
                       {kLanguage.key, number(v.language)},
                       {kScreenSaver.key, number(v.screenSaver)},
                       {kKeySound.key, number(v.keySound)},
                       {kMessageAlert.key, number(v.messageAlert)},
                       {kMinuteMinder.key, number(v.minuteMinder)},
                       {kRingVolumes.key, volumes},
                       {kRingMelodies.key, melodies},
                       {kSilentMode.key, number(v.silent)},
                       {kVibrator.key, number(v.vibrator)}};
}

QJsonObject profileGroup(int active, std::initializer_list<ProfileValues> profiles)
{
    QJsonArray list;
    for (const ProfileValues& values : profiles)
        list.append(profile(values));
    return QJsonObject{{QStringLiteral("active"), active}, {QStringLiteral("list"), list}};
}

} // namespace

void registerProfileCommands(CommandTable& table)
{
    registerProfileSwitching(table);
    registerBacklight(table);
    registerMessageAlert(table);
    registerRings(table);
    addScalar(table, CMD_GETANSWERMODE, CMD_SETANSWERMODE, kAnswerMode);
    addScalar(table, CMD_GETFONTSIZE, CMD_SETFONTSIZE, kFontSize);
    addScalar(table, CMD_GETHELPTEXTMODE, CMD_SETHELPTEXTMODE, kHelpText);
    addScalar(table, CMD_GETLANGUAGE, CMD_SETLANGUAGE, kLanguage);
    addScalar(table, CMD_GETSCREENSAVERMODE, CMD_SETSCREENSAVERMODE, kScreenSaver);
    addScalar(table, CMD_GETKEYSOUND, CMD_SETKEYSOUND, kKeySound);
    addScalar(table, CMD_GETMINUTEMINDER, CMD_SETMINUTEMINDER, kMinuteMinder);
    addScalar(table, CMD_GETSILENTMODE, CMD_SETSILENTMODE, kSilentMode);
    addScalar(table, CMD_GETVIBRATORMODE, CMD_SETVIBRATORMODE, kVibrator);
}

QJsonObject demoProfileSettings()
{
    // Renamed, personalised profiles with the second one active.
    return profileGroup(
        2, {
               {"Normal", 1, 0, 2, 0, 4, 0, 2, 5, 1, {4, 2, 1, 0}, {12, 7, 3, 3, 21}, 0, 0},
               {"Meeting", 2, 1, 1, 1, 4, 1, 0, 0, 0, {0, 0, 0, 0}, {12, 7, 3, 3, 21}, 1, 1},
               {"My car", 1, 2, 2, 0, 4, 0, 1, 6, 1, {5, 5, 2, 2}, {30, 7, 3, 3, 21}, 0, 0},
               {"Outdoors", 1, 0, 2, 0, 4, 0, 2, 7, 0, {5, 5, 5, 5}, {8, 8, 3, 3, 15}, 0, 1},
               {"Home office", 0, 1, 0, 1, 9, 1, 1, 3, 0, {2, 1, 0, 0}, {2, 4, 3, 3, 21}, 0, 2},
           });
}

QJsonObject blankProfileSettings()
{
    return profileGroup(
        1, {
               {"Normal", 2, 1, 1, 1, 0, 1, 1, 1, 0, {3, 3, 3, 3}, {1, 1, 2, 2, 1}, 0, 0},
               {"Meeting", 2, 1, 1, 1, 0, 1, 0, 1, 0, {1, 1, 1, 1}, {1, 1, 2, 2, 1}, 0, 1},
               {"In car", 2, 2, 1, 1, 0, 1, 1, 1, 0, {5, 5, 3, 3}, {1, 1, 2, 2, 1}, 0, 0},
               {"Outdoors", 2, 1, 1, 1, 0, 1, 1, 1, 0, {5, 5, 5, 5}, {1, 1, 2, 2, 1}, 0, 1},
               {"Silent", 2, 1, 1, 1, 0, 1, 0, 0, 0, {0, 0, 0, 0}, {1, 1, 2, 2, 1}, 1, 1},
           });
}

} // namespace phonesim

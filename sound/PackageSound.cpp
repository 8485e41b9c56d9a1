#include "sound/PackageSound.h"

#include "format/OptionSettings.h"
#include "sound/MediaCommand.h"
#include "sound/MediaControl.h"

QString closeAllCommand() {
    return QStringLiteral("close all");
}

QString soundOpenCommand(const QString& folder, const QString& shortName) {
    QString path = folder + shortName;
    if (path.contains(QLatin1Char(' ')) || path.contains(QLatin1Char('\t')))
        path = QLatin1Char('"') + path + QLatin1Char('"');
    return QStringLiteral("open ") + path + QStringLiteral(" type MPEGVideo alias ") +
           QLatin1String(kSoundDeviceAlias) + QStringLiteral(" wait");
}

QString soundPlayCommand(bool repeat) {
    QString command = QStringLiteral("play ") + QLatin1String(kSoundDeviceAlias);
    if (repeat)
        command += QStringLiteral(" repeat");
    return command;
}

QString soundStopCommand() {
    return QStringLiteral("stop ") + QLatin1String(kSoundDeviceAlias);
}

bool startPackageSound(MediaControl& media, const QString& folder, const QString& shortName,
                       bool bSoundRepeat, const OptionSettings& options) {
    if (!options.bOptSound || shortName.isEmpty())
        return false;
    if (media.sendCommand(soundOpenCommand(folder, shortName)) != MediaResult::Done)
        return false;
    const bool repeat = bSoundRepeat && options.bOptSoundRepeat;
    return media.sendCommand(soundPlayCommand(repeat)) == MediaResult::Done;
}

void applySoundOption(MediaControl& media, const OptionSettings& options) {
    if (!options.bOptSound && media.hasDevice())
        media.sendCommand(soundStopCommand());
}

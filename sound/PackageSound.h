#pragma once

#include <QString>

class MediaControl;
struct OptionSettings;

// The sound of a shown package: the command texts the viewer sends to its media layer and the
// steps that send them. The opening calls startPackageSound once the package shows; the options
// window calls applySoundOption when "Sound On?" changes; the opening and the shutdown send
// closeAllCommand(). Return codes of the media layer are never reported to the user.

// The alias of the viewer's one sound device.
inline constexpr char kSoundDeviceAlias[] = "MP3_Device";

// "close all": stops and closes every device.
QString closeAllCommand();

// "open " + path + " type MPEGVideo alias MP3_Device wait", where path is folder + shortName.
// `folder` ends in "/". The path is wrapped in double quotes when it holds a blank or a tab (the
// media layer splits its commands at blanks); otherwise it is used as it stands. A path that
// holds a blank and a double quote cannot be expressed; opening it fails.
QString soundOpenCommand(const QString& folder, const QString& shortName);

// "play MP3_Device", or "play MP3_Device repeat" when `repeat`.
QString soundPlayCommand(bool repeat);

// "stop MP3_Device": halts the sound and keeps the device open.
QString soundStopCommand();

// Starts a package's sound: sends the open command for folder + shortName, then, when it
// succeeded, the play command, looping when the package asks for it (bSoundRepeat) and
// "Repeat Sound?" is on, once otherwise. Sends nothing when "Sound On?" is off or shortName is
// empty. True when the sound started.
bool startPackageSound(MediaControl& media, const QString& folder, const QString& shortName,
                       bool bSoundRepeat, const OptionSettings& options);

// Makes a sound that is playing follow "Sound On?": when it is off, the sound stops at once (the
// device stays open until the next "close all"). When it is on, nothing changes: a stopped sound
// starts again with the next package.
void applySoundOption(MediaControl& media, const OptionSettings& options);

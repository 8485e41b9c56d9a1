#pragma once

#include "sound/MediaCommand.h"

#include <QList>
#include <QString>
#include <QStringList>

struct _Mix_Music;

// The media layer: plays a package's sound from command texts in the classic media-control
// string form (grammar in MediaCommand.h). The viewer creates one and keeps it for its whole
// life; the opening sends "close all" before it extracts a package and the open and play commands
// once the package shows, the shutdown sends "close all".
//
// Contract:
// - At most one device is open at a time. Opening while a device is open changes nothing and
//   fails: MediaResult::DuplicateAlias when the name is the open device's, MediaResult::DeviceOpen
//   otherwise. Device names compare case-insensitively.
// - "open" loads the file by name (any format the mixer decodes; the type word is not checked).
//   A missing file gives FileNotFound, a file that does not decode InvalidFile.
// - "play" starts the device from the beginning, once, or with "repeat" over and over until it is
//   stopped or closed. It returns at once; the sound runs on by itself.
// - "stop" halts the sound and keeps the device open; "close" halts it and closes the device;
//   "close all" and "stop all" act on whatever is open and succeed when nothing is.
// - The audio output (AudioOutput) is started by the first "open". Until it runs, every command
//   returns non-zero: "open" gives CannotLoadDriver when no audio device can be opened, the others
//   DeviceNotReady. Nothing is ever reported to the user, thrown, or waited for.
// - The destructor closes the device and lets go of the audio output.
// Every command returns MediaResult::Done (0) or one of the MediaResult codes; callers may ignore
// the code. The most recent commands and their results are kept for inspection.
// Window thread only.
class MediaControl {
public:
    struct LoggedCommand {
        QString text;
        int result = 0;
    };
    static constexpr int kLogSize = 32; // commands kept in the log

    MediaControl() = default;
    ~MediaControl();
    MediaControl(const MediaControl&) = delete;
    MediaControl& operator=(const MediaControl&) = delete;

    // Carries out one command text; returns MediaResult::Done or an error code.
    int sendCommand(const QString& text);

    // The open device: whether there is one, its name and its file.
    bool hasDevice() const { return m_music != nullptr; }
    QString deviceName() const { return m_deviceName; }
    QString deviceFile() const { return m_deviceFile; }

    // True while this object's device is sounding.
    bool isPlaying() const;

    // The most recent commands, oldest first, at most kLogSize of them.
    const QList<LoggedCommand>& commandLog() const { return m_log; }
    QStringList sentCommands() const;
    void clearCommandLog() { m_log.clear(); }

private:
    int execute(const MediaCommand& command);
    int open(const MediaCommand& command);
    int play(const MediaCommand& command);
    int stop(const MediaCommand& command);
    int close(const MediaCommand& command);
    bool names(const MediaCommand& command) const; // addresses the open device by name
    void halt();
    void closeDevice();

    bool m_holdsOutput = false;
    _Mix_Music* m_music = nullptr;
    QString m_deviceName;
    QString m_deviceFile;
    QList<LoggedCommand> m_log;
};

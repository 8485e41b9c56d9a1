#include "sound/MediaControl.h"

#include "sound/AudioOutput.h"

#include <QFile>
#include <QFileInfo>
#include <SDL2/SDL_mixer.h>

MediaControl::~MediaControl() {
    closeDevice();
    if (m_holdsOutput)
        AudioOutput::release();
}

int MediaControl::sendCommand(const QString& text) {
    MediaCommand command;
    int result = parseMediaCommand(text, command);
    if (result == MediaResult::Done)
        result = execute(command);
    m_log.append({text, result});
    while (m_log.size() > kLogSize)
        m_log.removeFirst();
    return result;
}

bool MediaControl::isPlaying() const {
    return m_music != nullptr && AudioOutput::musicOwner() == this && Mix_PlayingMusic() != 0;
}

QStringList MediaControl::sentCommands() const {
    QStringList texts;
    for (const LoggedCommand& entry : m_log)
        texts.append(entry.text);
    return texts;
}

int MediaControl::execute(const MediaCommand& command) {
    if (command.verb == MediaCommand::Verb::Open && !m_holdsOutput) {
        m_holdsOutput = AudioOutput::acquire();
        if (!m_holdsOutput)
            return MediaResult::CannotLoadDriver;
    }
    if (!m_holdsOutput)
        return MediaResult::DeviceNotReady;

    switch (command.verb) {
    case MediaCommand::Verb::Open:
        return open(command);
    case MediaCommand::Verb::Play:
        return play(command);
    case MediaCommand::Verb::Stop:
        return stop(command);
    case MediaCommand::Verb::Close:
        return close(command);
    }
    return MediaResult::UnrecognizedCommand;
}

int MediaControl::open(const MediaCommand& command) {
    const QString name = command.deviceName();
    if (m_music != nullptr) {
        return name.compare(m_deviceName, Qt::CaseInsensitive) == 0 ? MediaResult::DuplicateAlias
                                                                    : MediaResult::DeviceOpen;
    }
    const QFileInfo file(command.target);
    if (!file.exists())
        return MediaResult::FileNotFound;
    if (!file.isFile())
        return MediaResult::InvalidFile;
    Mix_Music* music = Mix_LoadMUS(QFile::encodeName(command.target).constData());
    if (music == nullptr)
        return MediaResult::InvalidFile;
    m_music = music;
    m_deviceName = name;
    m_deviceFile = command.target;
    return MediaResult::Done;
}

int MediaControl::play(const MediaCommand& command) {
    if (!names(command))
        return MediaResult::InvalidDeviceName;
    // One play through is 1 in the mixer's counting; -1 loops until halted.
    if (Mix_PlayMusic(m_music, command.repeat ? -1 : 1) != 0)
        return MediaResult::DeviceNotReady;
    AudioOutput::setMusicOwner(this);
    return MediaResult::Done;
}

int MediaControl::stop(const MediaCommand& command) {
    if (!command.addressesAll() && !names(command))
        return MediaResult::InvalidDeviceName;
    halt();
    return MediaResult::Done;
}

int MediaControl::close(const MediaCommand& command) {
    if (!command.addressesAll() && !names(command))
        return MediaResult::InvalidDeviceName;
    closeDevice();
    return MediaResult::Done;
}

bool MediaControl::names(const MediaCommand& command) const {
    return m_music != nullptr && command.target.compare(m_deviceName, Qt::CaseInsensitive) == 0;
}

void MediaControl::halt() {
    if (AudioOutput::musicOwner() != this)
        return;
    Mix_HaltMusic();
    AudioOutput::setMusicOwner(nullptr);
}

void MediaControl::closeDevice() {
    if (m_music == nullptr)
        return;
    halt();
    Mix_FreeMusic(m_music);
    m_music = nullptr;
    m_deviceName.clear();
    m_deviceFile.clear();
}

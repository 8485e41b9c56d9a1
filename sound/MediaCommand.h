#pragma once

#include <QString>

// Result codes of media commands. Zero means done; every other value says why a command was not
// carried out. The values follow the classic media-control error numbering so that a code alone
// says what went wrong. Callers of the media layer are free to ignore them.
namespace MediaResult {
constexpr int Done = 0;
constexpr int UnrecognizedKeyword = 259;
constexpr int UnrecognizedCommand = 261;
constexpr int InvalidDeviceName = 263; // no open device has that name
constexpr int DeviceOpen = 265;        // a device is open already (one at a time)
constexpr int CannotLoadDriver = 266;  // no audio output could be started
constexpr int MissingCommandString = 267;
constexpr int MissingStringArgument = 269;
constexpr int FileNotFound = 275;
constexpr int DeviceNotReady = 276; // the audio output is not running
constexpr int CannotUseAll = 279;   // "play all"
constexpr int DuplicateAlias = 289; // the alias is open already
constexpr int MissingDeviceName = 292;
constexpr int NoClosingQuote = 294;
constexpr int InvalidFile = 296; // the file is not a sound the player can decode
} // namespace MediaResult

// One media command, parsed. The grammar (keywords are case-insensitive, words are separated by
// blanks or tabs, a word that starts with a double quote runs to the next double quote and loses
// both quotes):
//   open <file> [type <type>] [alias <alias>] [wait]
//   play <device> [repeat]
//   stop <device>|all [wait]
//   close <device>|all [wait]
// An open without alias names its device by the file text.
struct MediaCommand {
    enum class Verb { Open, Play, Stop, Close };

    Verb verb = Verb::Close;
    QString target;      // open: the file; the others: the device name, or "all"
    QString type;        // open: the device type given ("" when none); the player ignores it
    QString alias;       // open: the device name to use ("" when none given)
    bool repeat = false; // play: loop until stopped
    bool wait = false;   // the command returns when done (every command here does anyway)

    // The device name this command addresses or creates.
    QString deviceName() const { return verb == Verb::Open && !alias.isEmpty() ? alias : target; }
    // True for "stop all" and "close all".
    bool addressesAll() const;
};

// Splits a command text into words as described above. Returns MediaResult::Done, or
// MediaResult::NoClosingQuote when a quoted word does not end.
int splitMediaWords(const QString& text, QStringList& words);

// Parses one command text. Returns MediaResult::Done and fills `command`, or an error code:
// MissingCommandString (empty text), UnrecognizedCommand (unknown verb), MissingDeviceName (no
// file or device), UnrecognizedKeyword (a word the verb does not take, or "wait" on play),
// MissingStringArgument ("type" or "alias" without a value), CannotUseAll ("play all"),
// NoClosingQuote.
int parseMediaCommand(const QString& text, MediaCommand& command);

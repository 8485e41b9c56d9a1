#include "sound/MediaCommand.h"

#include <QStringList>

namespace {

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool is(const QString& word, const char* keyword) {
    return word.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
}

// Reads the optional words after the target of one verb.
int parseOptions(const QStringList& words, MediaCommand& command) {
    for (qsizetype i = 2; i < words.size(); ++i) {
        const QString& word = words.at(i);
        if (is(word, "wait")) {
            command.wait = true;
        } else if (command.verb == MediaCommand::Verb::Play && is(word, "repeat")) {
            command.repeat = true;
        } else if (command.verb == MediaCommand::Verb::Open &&
                   (is(word, "type") || is(word, "alias"))) {
            if (i + 1 >= words.size() || words.at(i + 1).isEmpty())
                return MediaResult::MissingStringArgument;
            (is(word, "type") ? command.type : command.alias) = words.at(++i);
        } else {
            return MediaResult::UnrecognizedKeyword;
        }
    }
    // A play that waits for its end would hold the caller for as long as the sound lasts.
    if (command.verb == MediaCommand::Verb::Play && command.wait)
        return MediaResult::UnrecognizedKeyword;
    return MediaResult::Done;
}

} // namespace

bool MediaCommand::addressesAll() const {
    return verb != Verb::Open && target.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0;
}

int splitMediaWords(const QString& text, QStringList& words) {
    words.clear();
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        while (i < n && isBlank(text.at(i)))
            ++i;
        if (i >= n)
            break;
        if (text.at(i) == QLatin1Char('"')) {
            const qsizetype close = text.indexOf(QLatin1Char('"'), i + 1);
            if (close < 0)
                return MediaResult::NoClosingQuote;
            words.append(text.mid(i + 1, close - i - 1));
            i = close + 1;
        } else {
            const qsizetype start = i;
            while (i < n && !isBlank(text.at(i)))
                ++i;
            words.append(text.mid(start, i - start));
        }
    }
    return MediaResult::Done;
}

int parseMediaCommand(const QString& text, MediaCommand& command) {
    command = MediaCommand{};
    QStringList words;
    if (const int split = splitMediaWords(text, words); split != MediaResult::Done)
        return split;
    if (words.isEmpty())
        return MediaResult::MissingCommandString;

    const QString& verb = words.first();
    if (is(verb, "open"))
        command.verb = MediaCommand::Verb::Open;
    else if (is(verb, "play"))
        command.verb = MediaCommand::Verb::Play;
    else if (is(verb, "stop"))
        command.verb = MediaCommand::Verb::Stop;
    else if (is(verb, "close"))
        command.verb = MediaCommand::Verb::Close;
    else
        return MediaResult::UnrecognizedCommand;

    if (words.size() < 2 || words.at(1).isEmpty())
        return MediaResult::MissingDeviceName;
    command.target = words.at(1);
    if (command.verb == MediaCommand::Verb::Play && command.addressesAll())
        return MediaResult::CannotUseAll;
    return parseOptions(words, command);
}

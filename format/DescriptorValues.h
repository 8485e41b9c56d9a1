#pragma once

#include <QStringView>
#include <optional>

// How the descriptor's texts become numbers and truth values.
//
// A number is: optional blanks (spaces, tabs), an optional sign '+' or '-', decimal digits with an
// optional fraction after a '.' (at least one digit in all), optional blanks. Nothing else: no
// exponent, no thousands separator, no hexadecimal, no trailing text. A fraction rounds to the
// nearest whole number with ties to even ("2.5" -> 2, "3.5" -> 4, "-2.5" -> -2). Magnitudes
// beyond WholeNumberLimit are held as WholeNumberLimit with their sign, which is outside the range
// of every type the descriptor uses.

constexpr long long WholeNumberLimit = 1'000'000'000'000LL;

// The whole number the text stands for, or std::nullopt when the text is not a number (empty
// text included).
std::optional<long long> parseWholeNumber(QStringView text);

// "True" or "False" in any case (blanks around ignored), or a number as above whose value is
// zero (false) or not (true; "0.4" is true). std::nullopt for anything else.
std::optional<bool> parseTruthValue(QStringView text);

#pragma once

#include <functional>

// Runs the event loop while `pending` holds, for at most `mostMs` milliseconds (negative: no
// limit), sleeping between events as a window left alone does. processEvents with a time limit
// would spin instead, taking a core from the threads a bench measures.
void waitWhile(const std::function<bool()>& pending, int mostMs = -1);

// Runs the event loop, sleeping between events, for `ms` milliseconds.
void idleFor(int ms);

#pragma once

// The warnings Qt and the libraries it loads print on the standard error (an image plug-in's
// complaint about a picture, the platform's notes at start-up) would add lines to a command's
// one-line messages: they are kept off unless the command line holds --verbose. Call first thing
// in main(), before the application is made; the command then ignores --verbose.
void keepLibraryWarningsOff(int argc, char** argv);

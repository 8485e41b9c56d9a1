#pragma once

// The four viewer preferences of the options window. Process-wide, held in memory only, never
// saved. They start true so that the program by default loads everything, decoded, with sound
// repeated as the package asks.
struct OptionSettings {
    bool bOptLoadVertical = true; // load the upper and lower rings
    bool bOptUseRam = true;       // hold pictures decoded (false: hold their compressed bytes)
    bool bOptSound = true;        // play the package's sound
    bool bOptSoundRepeat = true;  // repeat it when the package asks for it

    void reset() { *this = OptionSettings{}; }
};

// The process-wide settings.
OptionSettings& optionSettings();

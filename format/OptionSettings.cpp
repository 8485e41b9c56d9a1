#include "OptionSettings.h"

OptionSettings& optionSettings() {
    static OptionSettings settings;
    return settings;
}

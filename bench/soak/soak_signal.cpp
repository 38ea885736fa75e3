#include "soak_signal.h"

namespace plotwright_soak {

std::string soakSettings() {
    std::string text = "[CONFIG]\nFullSizeWindow = 1\n";
    for (int set = 0; set < kSets; ++set) {
        text += "[DATASET" + std::to_string(set + 1) + "]\n";
        for (int channel = 0; channel < kChannels; ++channel) {
            const std::string n = std::to_string(channel + 1);
            text += "Name" + n + " = " + (channel == 0 ? kCounterDataRef : kValuesDataRef) + "\n";
            text += "Scaling" + n + " = 1.0\n";
            text += "Index" + n + " = " +
                    std::to_string(channel == 0 ? 0 : valueElement(set, channel)) + "\n";
        }
    }
    return text;
}

} // namespace plotwright_soak

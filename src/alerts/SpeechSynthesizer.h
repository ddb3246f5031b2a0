#pragma once

#include <string>

namespace navora {

// A speech synthesizer with the default voice, by role. Both calls come from
// the GPS thread and must return at once.
class SpeechSynthesizer {
public:
    virtual ~SpeechSynthesizer() = default;

    // Starts speaking text asynchronously; false when the synthesizer refuses.
    // What happens to speech already in progress is the synthesizer's choice.
    virtual bool startSpeaking(const std::string& text) = 0;
    virtual bool isSpeaking() const = 0;

protected:
    SpeechSynthesizer() = default;
    SpeechSynthesizer(const SpeechSynthesizer&) = default;
    SpeechSynthesizer& operator=(const SpeechSynthesizer&) = default;
};

} // namespace navora

#pragma once

#include "alerts/SpeechSynthesizer.h"

#include <memory>

class QTextToSpeech;

namespace navora {

// Speech through Qt TextToSpeech with the engine's default voice.
//
// The engine object lives on the thread that called create(), which must run
// a Qt event loop (the user-interface thread). startSpeaking may be called
// from any thread: from another thread the request is queued to the
// engine's thread. isSpeaking reads a state kept from the engine's
// stateChanged signal, and counts a request still in the queue as speech, so
// a beep right after a spoken alert does not cut in before it starts.
class QtSpeechSynthesizer : public SpeechSynthesizer {
public:
    // The first installed engine that starts without error, or nullptr when
    // there is none (then the caller has no synthesizer at all).
    static std::unique_ptr<QtSpeechSynthesizer> create();
    ~QtSpeechSynthesizer() override;

    QtSpeechSynthesizer(const QtSpeechSynthesizer&) = delete;
    QtSpeechSynthesizer& operator=(const QtSpeechSynthesizer&) = delete;

    // Refused while the engine reports an error.
    bool startSpeaking(const std::string& text) override;
    bool isSpeaking() const override;

private:
    struct State;

    QtSpeechSynthesizer(QTextToSpeech* engine, std::shared_ptr<State> state);

    QTextToSpeech* const m_engine; // owned; deleted on its own thread
    const std::shared_ptr<State> m_state;
};

} // namespace navora

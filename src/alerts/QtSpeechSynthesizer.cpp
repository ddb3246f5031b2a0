#include "alerts/QtSpeechSynthesizer.h"

#include <QTextToSpeech>
#include <QThread>

#include <atomic>

namespace navora {

// Shared with the engine's signal handler and queued requests, which may
// outlive this object by a moment when the engine is deleted later.
struct QtSpeechSynthesizer::State {
    std::atomic<bool> speaking = false;
    std::atomic<bool> failed = false;
    std::atomic<int> queued = 0;

    void follow(QTextToSpeech::State engineState)
    {
        speaking = engineState == QTextToSpeech::Speaking;
        failed = engineState == QTextToSpeech::Error;
    }
};

std::unique_ptr<QtSpeechSynthesizer> QtSpeechSynthesizer::create()
{
    for (const QString& name : QTextToSpeech::availableEngines()) {
        auto* engine = new QTextToSpeech(name);
        if (engine->state() == QTextToSpeech::Error) {
            delete engine;
            continue;
        }
        auto state = std::make_shared<State>();
        state->follow(engine->state());
        QObject::connect(engine, &QTextToSpeech::stateChanged, engine,
            [state](QTextToSpeech::State engineState) { state->follow(engineState); });
        return std::unique_ptr<QtSpeechSynthesizer>(new QtSpeechSynthesizer(engine, std::move(state)));
    }
    return nullptr;
}

QtSpeechSynthesizer::QtSpeechSynthesizer(QTextToSpeech* engine, std::shared_ptr<State> state)
    : m_engine(engine)
    , m_state(std::move(state))
{
}

QtSpeechSynthesizer::~QtSpeechSynthesizer()
{
    if (m_engine->thread() == QThread::currentThread())
        delete m_engine;
    else
        m_engine->deleteLater();
}

bool QtSpeechSynthesizer::startSpeaking(const std::string& text)
{
    if (m_state->failed)
        return false;
    ++m_state->queued;
    auto request = [engine = m_engine, state = m_state, line = QString::fromStdString(text)] {
        engine->say(line);
        state->follow(engine->state());
        --state->queued;
    };
    if (m_engine->thread() == QThread::currentThread())
        request();
    else
        // Dropped, not run, if the engine is deleted first.
        QMetaObject::invokeMethod(m_engine, std::move(request), Qt::QueuedConnection);
    return true;
}

bool QtSpeechSynthesizer::isSpeaking() const
{
    return m_state->speaking || m_state->queued > 0;
}

} // namespace navora

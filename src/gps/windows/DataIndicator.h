#pragma once

#include <QWidget>

namespace navora {

// Shows that reports are arriving: a ring of segments whose bright one moves
// on by one step with every report, so a stalled feed is a still wheel.
class DataIndicator : public QWidget {
    Q_OBJECT
public:
    static constexpr int segments = 12;

    explicit DataIndicator(QWidget* parent = nullptr);

    void step();
    // Steps taken since the indicator was made.
    long long steps() const { return m_steps; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    long long m_steps = 0;
};

} // namespace navora
